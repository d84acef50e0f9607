#pragma once
// Control IDs of the main window, shared with the end-to-end driver, which
// finds the controls of the running tool with GetDlgItem.

#include <windows.h>

namespace rupena::win32 {

inline constexpr wchar_t kMainWindowClass[] = L"TForm1";
inline constexpr wchar_t kApplicationWindowClass[] = L"TApplication";

inline constexpr int kIdLabel1 = 101;     // "指示した文字："
inline constexpr int kIdLabel2 = 102;     // the picked text
inline constexpr int kIdStringGrid1 = 103;
inline constexpr int kIdLabel3 = 104;     // "セル幅："
inline constexpr int kIdTrackBar1 = 105;
inline constexpr int kIdButton1 = IDOK;
inline constexpr int kIdButton2 = IDCANCEL;
inline constexpr int kIdMemo1 = 106;
inline constexpr int kIdLabelA1 = 107;    // status line

}  // namespace rupena::win32
