#pragma once
// Control IDs of the main window, shared with the end-to-end driver, which
// finds the controls of the running tool with GetDlgItem.

#include <windows.h>

namespace rupena::win32 {

// Window class names; only our own code looks them up.
inline constexpr wchar_t kMainWindowClass[] = L"RupenaMainWindow";
inline constexpr wchar_t kApplicationWindowClass[] = L"RupenaApplication";

inline constexpr int kIdPickedTextHeading = 101;  // "指示した文字："
inline constexpr int kIdPickedText = 102;
inline constexpr int kIdSpacingGrid = 103;
inline constexpr int kIdCellWidthLabel = 104;  // "セル幅："
inline constexpr int kIdWidthSlider = 105;
inline constexpr int kIdOk = IDOK;
inline constexpr int kIdCancel = IDCANCEL;
inline constexpr int kIdNotes = 106;
inline constexpr int kIdStatusLine = 107;

}  // namespace rupena::win32
