REM 文字列を１文字ずつの文字に分解（ルペナ）
@echo off
REM #jww
REM #cd
REM #h3
REM #hc 文字に分解する文字列を範囲選択してください
REM #bz
REM #zz
REM #zw
REM #zc
REM #e
REM ここより下は変更しないでください
"%~dp0rupena.exe"
