#pragma once
// The tool's one window. It places its controls as app/window_layout.h
// says, scaled to the window's DPI, and forwards its events to the
// lifecycle in app/main_form.h, which does the work; this class only shows
// what it is told and converts CP932 at its edge.

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/main_form.h"
#include "app/number_input.h"
#include "app/spacing_grid.h"
#include "app/window_layout.h"
#include "app/win32/length_box.h"
#include "app/win32/preview_band.h"
#include "app/win32/scoped_gdi.h"
#include "app/win32/string_grid.h"
#include "app/win32/text_chooser.h"
#include "app/win32/window_base.h"

namespace rupena::win32 {

class MainWindow final : public WindowBase, private app::FormView {
 public:
  MainWindow() = default;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window, hidden, owned by `owner` (which carries the task
  // bar button), and its controls.
  bool Create(HINSTANCE instance, HWND owner, const std::filesystem::path& exePath);
  // Runs the shown event, then shows the window.
  void Show();

 private:
  // The grid as the layout sees it. Widths pass through as the 96-DPI
  // values they are; the grid draws them at its DPI.
  class GridCells final : public app::SpacingGrid {
   public:
    explicit GridCells(StringGrid& grid) : grid_(grid) {}
    void SetColCount(int count) override { grid_.SetColCount(count); }
    int ColCount() const override { return grid_.ColCount(); }
    void SetColWidth(int col, int width) override { grid_.SetColWidth(col, width); }
    void SetDataColWidths(int width) override { grid_.SetDataColWidths(width); }
    void SetCell(int col, int row, std::string_view bytes) override {
      grid_.SetCellBytes(col, row, bytes);
    }
    std::string Cell(int col, int row) const override { return grid_.CellBytes(col, row); }

   private:
    StringGrid& grid_;
  };

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  LRESULT OnMessageFailed(UINT message, WPARAM wParam, LPARAM lParam) noexcept override;

  // Window messages.
  bool OnCreate();
  void OnCommand(int id, int code);
  void OnMeasureItem(int id, MEASUREITEMSTRUCT& item);
  void OnDrawItem(int id, const DRAWITEMSTRUCT& item);
  void OnHScroll(HWND control);
  LRESULT OnCtlColorStatic(HDC dc, HWND control);
  void OnActivate(bool active);
  bool OnSysCommand(WPARAM command);
  void OnClose();
  void OnDestroy();
  bool OnGetDpiScaledSize(int dpi, SIZE* size) const;
  void OnDpiChanged(int dpi, const RECT* suggested);

  // Controls, in tab order, each at its box at the window's DPI.
  HWND AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int id,
                  DWORD exStyle = 0);
  void CreatePickedText();
  void CreateSpacingGrid();
  void CreateWidthSlider();
  void CreateButtons();
  void CreateNotes();
  void CreatePreview();
  void CreateStatusLine();
  void FitLabelToText(HWND label);

  // The scale: the layout's boxes and fonts at the window's DPI.
  app::LayoutBox Box(int id) const;
  app::LayoutBox FittedBox(int id, HFONT font, std::wstring_view text) const;
  app::LayoutBox ControlBox(HWND control) const;
  ScopedFont MakeWindowFont() const;
  ScopedFont MakePickedTextFont(const std::wstring& faceName) const;
  void SizeToLayout();
  void LayOut();

  // Buttons.
  void OnOk();
  void OnCancel();

  // The view the lifecycle drives.
  app::SpacingGrid& Grid() override { return gridCells_; }
  void SetPickedTextFont(std::string_view fontName) override;
  void SetPickedText(std::string_view caption) override;
  void RedrawPickedTextNow() override;
  void ShowTextChoices(const std::vector<app::TextChoice>& choices, std::size_t chosen) override;
  void ShowPreview(const app::Preview& preview) override;
  void SetStatus(std::string_view caption) override;
  void ReportWriteFailure(std::string_view fileName, std::error_code reason) override;
  void MoveTo(app::WindowPosition position) override;
  app::WindowPosition Position() const override;
  void Close() override;

  HWND pickedTextHeading_ = nullptr;
  HWND pickedText_ = nullptr;
  HWND cellWidthLabel_ = nullptr;
  HWND widthSlider_ = nullptr;
  HWND notes_ = nullptr;
  HWND statusLine_ = nullptr;
  HWND focusBeforeDeactivate_ = nullptr;
  HWND owner_ = nullptr;
  int dpi_ = app::kLayoutDpi;
  std::wstring pickedTextFace_;
  StringGrid spacingGrid_{app::kSpacingCellRules};
  GridCells gridCells_{spacingGrid_};
  TextChooser textChooser_;
  PreviewBand previewBand_;
  HWND lengthLabel_ = nullptr;
  LengthBox lengthBox_{[this](std::string_view length) { form_->OnLengthEntered(length); }};
  std::unique_ptr<app::MainForm> form_;

  ScopedFont windowFont_;
  ScopedFont pickedTextFont_;
  ScopedBrush whiteBrush_;
  ScopedBrush pickedTextBrush_;
  ScopedBrush notesBrush_;
  ScopedBrush statusBrush_;
};

}  // namespace rupena::win32
