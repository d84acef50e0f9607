#pragma once
// The string grid's in-place editor: a single-line EDIT laid over the
// current cell, and the bookkeeping of input method compositions that tells
// an Enter meant for the composition from an Enter meant for the window.
//
// The EDIT has no input method context: the cells take numbers, and the
// keyboard then types ASCII whatever mode the input method was left in.
// Where that fails (or a system re-associates one), composed text still
// arrives as characters.
//
// The keys that end or leave the editing (Enter, Esc, Tab, Up, Down) are
// the grid's: the editor hands them on, except an Enter for a composition.
// Losing the focus any other way (a click on a button, the mouse in the
// grid) stores what was typed.

#include <windows.h>

#include <string>
#include <string_view>

#include "app/win32/window_base.h"

namespace rupena::win32 {

class CellEditor final : private ControlSubclass {
 public:
  // Where a cell draws its text from its left edge at 96 DPI; the editor's
  // text sits there too, so opening it moves nothing.
  static constexpr int kTextIndent = 2;

  // What the editor leaves to the grid it sits in.
  class Grid {
   public:
    // Enter (not for a composition), Esc, Tab, Up or Down in the editor.
    virtual void OnEditorKey(UINT key) = 0;
    // Stores the editor's text into its cell and closes the editor.
    virtual void CommitEdit() = 0;
    // The grid's own WM_GETDLGCODE answer for a key message.
    virtual LRESULT DialogCode(const MSG* message) = 0;

   protected:
    ~Grid() = default;
  };

  explicit CellEditor(Grid& grid) noexcept : grid_(grid) {}

  // The hidden EDIT, a child of the grid window `parent`; false when it
  // could not be made. The grid's own window loses its input method context
  // too, for the characters typed before the editor opens.
  bool Create(HWND parent);
  using ControlSubclass::Handle;

  bool IsOpen() const noexcept { return open_ && Handle() != nullptr; }
  // Shows the editor over `cell` (grid client pixels) holding `text`, the
  // caret at its end, and gives it the focus.
  void Open(std::wstring_view text, RECT cell);
  // Hides it; when it had the focus, the grid gets it back rather than
  // whatever USER32 would pick.
  void Close();
  std::wstring Text() const;
  // Follows its cell when the columns move or the font changes.
  void Place(RECT cell);
  void SetFont(HFONT font);
  // The cells' text indent in pixels, kTextIndent at the grid's DPI.
  void SetTextIndent(int pixels);

  // Input method messages, whichever of grid and editor gets them.
  void OnComposition(UINT message) noexcept;
  // Any key released, the focus moved or a click: an Enter that ended a
  // composition is over.
  void ForgetCompositionEnter() noexcept { compositionEnter_ = false; }
  // An Enter that an input method is still composing with, or that ended
  // the composition and is still held down, confirms the text, not the
  // window.
  bool IsEnterForComposition(WPARAM key) const noexcept {
    return key == VK_PROCESSKEY || composing_ || compositionEnter_;
  }

 private:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
  LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);
  LRESULT OnChar(WPARAM wParam, LPARAM lParam);
  LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);

  Grid& grid_;
  HWND parent_ = nullptr;
  bool open_ = false;
  static constexpr int kUnmeasured = -1;
  HFONT font_ = nullptr;  // borrowed: the grid's
  int textHeight_ = kUnmeasured;  // of font_
  bool composing_ = false;
  bool compositionEnter_ = false;
};

}  // namespace rupena::win32
