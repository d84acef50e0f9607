#include "app/main_form.h"

#include <string>

#include "app/character_layout.h"
#include "app/separated_output.h"
#include "app/text_write_back.h"
#include "exchange/exchange_reader.h"
#include "exchange/exchange_writer.h"
#include "textutil/number_parse.h"

namespace rupena::app {

namespace {

constexpr std::string_view kLabelFont = "\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e";  // ＭＳ ゴシック
constexpr std::string_view kNothingPicked =
    "\x81\x69\x8e\x77\x8e\xa6\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1\x81\x6a";  // （指示していません）
constexpr std::string_view kProcessing = "\x8f\x88\x97\x9d\x92\x86\x82\xc5\x82\xb7";  // 処理中です
constexpr std::string_view kGenerating =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x90\xb6\x90\xac\x92\x86\x82\xc5\x82\xb7";  // ファイル生成中です

// 寸法値は分解できません（寸法図形はそのまま残ります）: the user picked
// dimension values alone, which are not split; OK leaves them as they are.
constexpr std::string_view kDimensionsOnly =
    "\x90\xa1\x96\x40\x92\x6c\x82\xcd\x95\xaa\x89\xf0\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x69"
    "\x90\xa1\x96\x40\x90\x7d\x8c\x60\x82\xcd\x82\xbb\x82\xcc\x82\xdc\x82\xdc\x8e\x63\x82\xe8\x82\xdc\x82\xb7\x81\x6a";

// "ほかの文字列 N 個はそのまま残ります": OK deletes nothing else the user picked.
std::string KeptTextsNotice(int count) {
  std::string notice = "\x82\xd9\x82\xa9\x82\xcc\x95\xb6\x8e\x9a\x97\xf1 ";
  notice += std::to_string(count);
  notice += " \x8c\xc2\x82\xcd\x82\xbb\x82\xcc\x82\xdc\x82\xdc\x8e\x63\x82\xe8\x82\xdc\x82\xb7";
  return notice;
}

}  // namespace

std::string WriteFailureMessage(std::string_view fileName, std::string_view reason) {
  std::string message(fileName);
  message += " \x82\xc9\x8f\x91\x82\xab\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x46";  // に書き込めませんでした：
  message += reason;
  return message;
}

MainForm::MainForm(FormView& view, const std::filesystem::path& exePath)
    : view_(view),
      exchangePath_(exePath.parent_path() / kExchangeFileName),
      positionPath_(PositionFilePath(exePath)) {}

const exchange::TextRecord* MainForm::Picked() const noexcept {
  return picked_ < drawing_.texts.size() ? &drawing_.texts[picked_] : nullptr;
}

void MainForm::OnShown() {
  drawing_ = exchange::Drawing{};
  exchange::LoadExchangeFile(drawing_, exchangePath_);  // a missing or broken file leaves what could be read
  picked_ = 0;
  view_.MoveTo(ReadPosition(positionPath_));
  view_.SetPickedTextFont(kLabelFont);
  view_.SetPickedText(kNothingPicked);
  const exchange::TextRecord* picked = Picked();
  if (picked != nullptr) {
    view_.SetPickedTextFont(DisplayFontName(picked->fontName));
    view_.SetPickedText(picked->text);
  }
  view_.RedrawPickedTextNow();
  if (drawing_.texts.size() > 1) {
    std::vector<TextChoice> choices;
    for (std::size_t i = 0; i < drawing_.texts.size(); ++i) {
      const exchange::TextRecord& text = drawing_.texts[i];
      choices.push_back({text.text, DisplayFontName(text.fontName)});
    }
    view_.ShowTextChoices(choices, picked_);
  }
  FillSpacingGrid(picked, view_.Grid());
  if (picked != nullptr) {
    ShowKeptTexts();
  } else if (!drawing_.dimensions.empty()) {
    SetStatus(kDimensionsOnly);
  }
  ShowPreview();
}

void MainForm::ShowKeptTexts() {
  if (const int kept = KeptTextCount(drawing_, picked_); kept > 0) SetStatus(KeptTextsNotice(kept));
}

void MainForm::ShowPreview() {
  view_.ShowPreview(MakePreview(Picked(), GridSpacings(view_.Grid())));
}

void MainForm::OnTextChosen(std::size_t index) {
  if (closed_ || index >= drawing_.texts.size() || index == picked_) return;
  picked_ = index;
  SpacingGrid& grid = view_.Grid();
  FillSpacingGrid(Picked(), grid);
  grid.SetDataColWidths(cellWidth_);  // the slider's width, for the new columns too
  ShowKeptTexts();
  ShowPreview();
}

void MainForm::OnSpacingsChanged() { ShowPreview(); }

void MainForm::OnLengthEntered(std::string_view length) {
  const exchange::TextRecord* picked = Picked();
  const std::optional<double> value = text::ParseFloat(length);
  if (picked != nullptr && value) {
    if (const std::optional<double> spacing = SpacingForLength(*picked, *value)) {
      SetSpacingsBetween(view_.Grid(), *spacing);
    }
  }
  // Also what is no number: the box shows the length the characters span.
  ShowPreview();
}

void MainForm::SetStatus(std::string_view caption) {
  status_ = caption;
  view_.SetStatus(caption);
}

void MainForm::OnWidthSliderMoved(int position) {
  cellWidth_ = position;
  SpacingGrid& grid = view_.Grid();
  grid.SetDataColWidths(position);
  grid.SetColWidth(0, kHeadingColWidth);
  ShowPreview();
}

void MainForm::OnOk() {
  if (closed_) return;
  const exchange::TextRecord* picked = Picked();
  if (picked != nullptr) {
    view_.SetStatus(kProcessing);
    exchange::ExchangeWriter writer(drawing_);
    const std::vector<double> spacings = GridSpacings(view_.Grid());
    EmitSeparatedText(writer, drawing_, picked_, PlaceCharacters(*picked, spacings));
    if (const std::error_code failed = writer.WriteFile(exchangePath_)) {
      // The host's file is as it was; the user, told why, may free the way
      // and try again, or cancel.
      view_.SetStatus(status_);
      view_.ReportWriteFailure(kExchangeFileName, failed);
      return;
    }
    view_.SetStatus(kGenerating);
  }
  closed_ = true;
  // Stored only now, so that an OK that could not write leaves both files
  // as they were.
  WritePosition(positionPath_, view_.Position());
  view_.Close();
}

void MainForm::OnCancel() {
  if (closed_) return;
  closed_ = true;
  view_.Close();
}

}  // namespace rupena::app
