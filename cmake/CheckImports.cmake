# cmake -DOBJDUMP=... -DEXE=... -P CheckImports.cmake
# Fails unless every DLL the executable imports ships with Windows itself:
# the tool is handed out as one .exe with nothing beside it.
# imm32.dll: the input method manager, part of every Windows since 2000 (the
# grid takes its input method context away).
set(allowed advapi32.dll comctl32.dll comdlg32.dll gdi32.dll imm32.dll kernel32.dll
    msvcrt.dll ole32.dll shell32.dll user32.dll)
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" names "${dump}")
if(NOT names)
  message(FATAL_ERROR "no imports found in ${EXE}: not a PE file?")
endif()
foreach(entry IN LISTS names)
  string(REPLACE "DLL Name: " "" dll "${entry}")
  string(TOLOWER "${dll}" dll)
  list(FIND allowed "${dll}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "${EXE} imports ${dll}, which is not a system DLL")
  endif()
  message(STATUS "imports ${dll}")
endforeach()
