// What the main window does when it is shown, on OK, on Cancel, when the
// width slider moves, a text is chosen, spacings change or a length is
// entered, as plain C++ over a small view interface. The Win32
// window implements the view and forwards its events here; tests use a fake.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/position_file.h"
#include "app/preview.h"
#include "app/spacing_grid.h"
#include "exchange/drawing.h"

namespace rupena::app {

// One handed-over text as the user chooses among them.
struct TextChoice {
  std::string text;      // CP932
  std::string fontName;  // to show it in, without its angle brackets
};

// The window as the lifecycle sees it. Captions and font names are CP932
// bytes; the view converts them at its edge.
class FormView {
 public:
  virtual ~FormView() = default;
  virtual SpacingGrid& Grid() = 0;
  virtual void SetPickedTextFont(std::string_view fontName) = 0;
  virtual void SetPickedText(std::string_view caption) = 0;
  virtual void RedrawPickedTextNow() = 0;
  // More than one text was handed over: instead of the picked text, the
  // user chooses among `choices`, in the order they came; `chosen` is shown
  // chosen.
  virtual void ShowTextChoices(const std::vector<TextChoice>& choices, std::size_t chosen) = 0;
  // Draws the preview band anew and puts the length into the length box.
  virtual void ShowPreview(const Preview& preview) = 0;
  virtual void SetStatus(std::string_view caption) = 0;  // shown at once
  // Tells the user that the file `fileName` could not be written and why
  // (WriteFailureMessage, with the system's own words for `reason`), and
  // returns once they have read it.
  virtual void ReportWriteFailure(std::string_view fileName, std::error_code reason) = 0;
  virtual void MoveTo(WindowPosition position) = 0;
  virtual WindowPosition Position() const = 0;
  virtual void Close() = 0;
};

inline constexpr std::string_view kExchangeFileName = "JWC_TEMP.TXT";

// "<fileName> に書き込めませんでした：<reason>", in CP932 as `fileName` and
// `reason` are.
std::string WriteFailureMessage(std::string_view fileName, std::string_view reason);
inline constexpr int kMinCellWidth = 5;
inline constexpr int kMaxCellWidth = 100;
inline constexpr int kInitialCellWidth = 32;

// The tool's one run: the drawing the host handed over, read when the window
// is shown and written back, split, on OK.
class MainForm {
 public:
  // `exePath` is the running executable: its folder holds the exchange file,
  // its ".dat" sibling the window position.
  MainForm(FormView& view, const std::filesystem::path& exePath);

  void OnShown();
  void OnOk();
  void OnCancel();
  void OnWidthSliderMoved(int position);
  // The user chose the handed-over text `index` (from 0) to split.
  void OnTextChosen(std::size_t index);
  // The user changed spacing cells in the grid.
  void OnSpacingsChanged();
  // The user entered a length (CP932, full-width forms already ASCII) to
  // spread the characters over.
  void OnLengthEntered(std::string_view length);

  const exchange::Drawing& HandedOver() const noexcept { return drawing_; }
  const std::filesystem::path& ExchangePath() const noexcept { return exchangePath_; }
  const std::filesystem::path& PositionPath() const noexcept { return positionPath_; }

 private:
  // The text that is split: the one chosen, at first the first one handed
  // over, or none.
  const exchange::TextRecord* Picked() const noexcept;

  void SetStatus(std::string_view caption);
  void ShowKeptTexts();
  void ShowPreview();

  FormView& view_;
  std::filesystem::path exchangePath_;
  std::filesystem::path positionPath_;
  exchange::Drawing drawing_;
  std::size_t picked_ = 0;  // in the drawing's text table
  int cellWidth_ = kInitialCellWidth;
  std::string status_ = "\x81\x40";  // what the status line says until OK; a full-width space at first
  bool closed_ = false;  // OK and Cancel each end the run; a second one is ignored
};

}  // namespace rupena::app
