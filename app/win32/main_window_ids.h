#pragma once
// Control IDs of the main window, shared with the end-to-end driver, which
// finds the controls of the running tool with GetDlgItem; the names of our
// window classes, which it finds the windows by; the tool's icon resource.

#include <windows.h>

namespace rupena::win32 {

inline constexpr wchar_t kMainWindowClass[] = L"RupenaMainWindow";
inline constexpr wchar_t kApplicationWindowClass[] = L"RupenaApplication";

// The icon of the .exe (rupena.rc.in), shown by the task bar button.
inline constexpr int kAppIconResource = 1;

inline constexpr int kIdPickedTextHeading = 101;  // "指示した文字："
inline constexpr int kIdPickedText = 102;
inline constexpr int kIdSpacingGrid = 103;
inline constexpr int kIdCellWidthLabel = 104;  // "セル幅："
inline constexpr int kIdWidthSlider = 105;
inline constexpr int kIdOk = IDOK;
inline constexpr int kIdCancel = IDCANCEL;
inline constexpr int kIdNotes = 106;
inline constexpr int kIdStatusLine = 107;
inline constexpr int kIdTextChooser = 108;  // in the picked text's place when there are several
inline constexpr int kIdPreviewBand = 109;
inline constexpr int kIdLengthLabel = 110;  // "全長：", directly before the box it names
inline constexpr int kIdLengthBox = 111;

}  // namespace rupena::win32
