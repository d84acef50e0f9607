#include "app/text_write_back.h"

#include <cstddef>

#include "exchange/exchange_writer.h"

namespace Unit1 {

using namespace JwwGaibu;

namespace {

bool Takes(const TJwwEntText& text) { return TakesText(text.Text, text.DirX, text.DirY); }

// The text of an order entry, unless it is the picked text or no text.
const TJwwEntText* OtherText(const TJwwOrder& entry) {
  const auto index = static_cast<std::size_t>(entry.Index);
  if (entry.Kind == kKindText && index > 0) return &Model.Texts[index];
  if (entry.Kind == kKindMsgText) return &Model.MsgTexts[index].Text;
  return nullptr;
}

template <typename Visit>
void ForEachEntity(Visit visit) {
  const BlockTable<TJwwOrder>& order = Model.EntityOrder;
  for (std::size_t i = 0; i < static_cast<std::size_t>(order.Count()); ++i) visit(order[i]);
}

void EmitLineAttributes(const TJwwEntHead& head) {
  EmitLayerGroup(head.LayerGroup);
  EmitLayer(head.Layer);
  EmitLineColor(head.Color, 0);
  EmitLineType(head.LineType, 0);
  EmitLineWidth(head.LineWidth);
}

void WriteBackText(const TJwwEntText& text) {
  EmitTextAttributes(text);
  EmitTextCommand(text, text.Text, text.X1, text.Y1);
}

void WriteBackDimension(const TJwwEntMsgText& dimension) {
  const TJwwEntLine& line = dimension.Line;
  const bool withValue = Takes(dimension.Text);
  if (withValue) AddOutputLine("msg");
  EmitLineAttributes(line);
  EmitZFlags(line.ZFlags);
  EmitPlainLine(line.X1, line.Y1, line.X2, line.Y2);
  if (!withValue) return;
  // the value may come under another colour, type or width than its line
  EmitLineAttributes(dimension);
  WriteBackText(dimension.Text);
  AddOutputLine("#");
}

}  // namespace

void EmitTextAttributes(const TJwwEntText& text) {
  EmitLayerGroup(text.LayerGroup);
  EmitLayer(text.Layer);
  EmitTextType(text.TextType, text.Color, 0, text.CharWidth, text.CharHeight, text.CharSpacing);
  EmitCharStyle(0);
  EmitFontName(text.FontName);
}

void EmitTextCommand(const TJwwEntText& text, std::string_view chars, double x, double y) {
  if (!TakesText(chars, text.DirX, text.DirY)) return;
  EmitZFlags(text.ZFlags);
  EmitText(text.TextKind, chars, x, y, text.DirX, text.DirY);
}

void WriteBackOtherTexts() {
  ForEachEntity([](const TJwwOrder& entry) {
    const auto index = static_cast<std::size_t>(entry.Index);
    if (entry.Kind == kKindMsgText) {
      WriteBackDimension(Model.MsgTexts[index]);
    } else if (const TJwwEntText* text = OtherText(entry)) {
      WriteBackText(*text);
    }
  });
}

int KeptTextCount() {
  int count = 0;
  ForEachEntity([&count](const TJwwOrder& entry) {
    const TJwwEntText* text = OtherText(entry);
    if (text != nullptr && Takes(*text)) ++count;
  });
  return count;
}

}  // namespace Unit1
