#pragma once
// Messages of the string grid window class, for code that holds only the
// grid's HWND, such as an end-to-end driver in another process, and the
// notification it sends its parent. Everything
// travels in wParam, lParam and the result, so they work across processes.
// Coordinates are client pixels; "edges" pack (left, right) or (top, bottom)
// as signed 16-bit halves: use static_cast<short>(LOWORD(r)) and HIWORD alike.
//
// WM_GETTEXT / WM_GETTEXTLENGTH on the grid answer the current cell's text.

#include <windows.h>

namespace rupena::win32 {

inline constexpr UINT kStringGridMessageBase = WM_USER + 0x500;

// -> number of columns (heading column included).
inline constexpr UINT GM_GETCOLCOUNT = kStringGridMessageBase + 0;
// -> number of rows (heading row included).
inline constexpr UINT GM_GETROWCOUNT = kStringGridMessageBase + 1;
// wParam column -> its width in pixels, -1 for a column that does not exist.
inline constexpr UINT GM_GETCOLWIDTH = kStringGridMessageBase + 2;
// wParam column, lParam width -> TRUE when the column exists.
inline constexpr UINT GM_SETCOLWIDTH = kStringGridMessageBase + 3;
// -> MAKELRESULT(column, row) of the current cell, -1 when there is none.
inline constexpr UINT GM_GETCURCELL = kStringGridMessageBase + 4;
// wParam column, lParam row -> TRUE when that cell became current.
inline constexpr UINT GM_SETCURCELL = kStringGridMessageBase + 5;
// -> MAKELRESULT(column, row) of the fixed corner of the range selection.
inline constexpr UINT GM_GETANCHOR = kStringGridMessageBase + 6;
// -> the data column shown first right of the heading column.
inline constexpr UINT GM_GETLEFTCOL = kStringGridMessageBase + 7;
// wParam column -> its (left, right) edges, -1 when it is scrolled out of view.
// right is the x of the grid line that follows the column.
inline constexpr UINT GM_GETCOLEDGES = kStringGridMessageBase + 8;
// wParam row -> its (top, bottom) edges, -1 when below the client area.
inline constexpr UINT GM_GETROWEDGES = kStringGridMessageBase + 9;
// -> TRUE while the in-place editor is open.
inline constexpr UINT GM_ISEDITING = kStringGridMessageBase + 10;
// Closes the in-place editor, keeping what was typed. -> 0.
inline constexpr UINT GM_COMMITEDIT = kStringGridMessageBase + 11;

// Notification to the parent, as a standard control sends one: WM_COMMAND
// with wParam MAKEWPARAM(the grid's control ID, code) and lParam the grid's
// HWND.
//
// The user changed the text of one or more cells: typed text stored (the
// editor closed keeping a text that differs from the cell's, whatever closed
// it), Ctrl+Enter, Delete or a paste. One per action, however many cells it
// changed, sent (not posted) after its last cell is stored, so the parent
// reads the cells as the action left them. None for an action that left
// every cell as it was, nor for cells set from code.
inline constexpr WORD GN_CELLSCHANGED = 1;

}  // namespace rupena::win32
