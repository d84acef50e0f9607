#include "exchange/drawing_model.h"

namespace JwwGaibu {

TJwwModel Model;

std::string ShortString(std::string_view text) {
  return std::string(text.substr(0, kShortStringMax));
}

TJwwFontName::TJwwFontName(std::string_view name) {
  // The empty name needs no storage, which keeps empty() a pointer test.
  if (!name.empty()) shared_ = new Shared{1, std::string(name)};
}

void TJwwFontName::Release() noexcept {
  if (shared_ != nullptr && --shared_->sharers == 0) delete shared_;
  shared_ = nullptr;
}

namespace {

template <typename F>
void ForEachTable(TJwwModel& m, F&& f) {
  f(m.EntityOrder);
  f(m.Lines);
  f(m.Circles);
  f(m.Arcs);
  f(m.Texts);
  f(m.Points);
  f(m.PointExs);
  f(m.MsgTexts);
  f(m.Blocks);
  f(m.Sl2Ps);
  f(m.Sl3Ps);
  f(m.Sl4Ps);
  f(m.Scs);
  f(m.Ses);
  f(m.Sos);
  f(m.Sgs);
  f(m.OutputLines);
}

template <typename V>
void FreeVector(V& v) {
  V().swap(v);
}

}  // namespace

void ResetModel() {
  TJwwModel& m = Model;
  m.DrawingFile.clear();
  m.HkValue = 0.0;
  m.GroupScales.fill(1.0);
  m.SheetWidth = 1189.0;
  m.SheetHeight = 841.0;
  m.TextTypes.fill(TJwwTextType{});
  m.BzSeen = false;
  m.HnValues.fill(0.0);

  m.GroupNames.assign(kGroupCount, std::string());
  m.GroupValues.assign(kGroupCount, 0);
  m.LayerNames.assign(kLayerSlotCount, std::string());
  m.LayerValues.assign(kLayerSlotCount, 0);
  m.PointSlots.assign(kPointSlotTotal, TJwwPointSlot{});
  m.PointSlotCount = 0;

  m.CurAttr = TJwwAttr{};
  m.FirstAttr = TJwwFirstAttr{};
  m.AttrFresh.fill(false);
  for (std::size_t i = kFreshLayerGroup; i <= kFreshTextType; ++i) m.AttrFresh[i] = true;
  m.LineWidthSeen = false;
  m.HeldLine = TJwwEntLine{};
  m.HeldLine.Color = 1;
  m.HeldLine.LineType = 1;
  m.HeldLine.X2 = 1.0;

  ForEachTable(m, [](auto& table) { table.Clear(); });
}

void ReleaseModel() {
  TJwwModel& m = Model;
  FreeVector(m.GroupNames);
  FreeVector(m.GroupValues);
  FreeVector(m.LayerNames);
  FreeVector(m.LayerValues);
  FreeVector(m.PointSlots);
  ForEachTable(m, [](auto& table) { table.Release(); });
}

void AppendOrder(std::int32_t kind, std::int32_t index) {
  Model.EntityOrder.Append() = TJwwOrder{kind, index};
}

void StampHeader(TJwwEntHead& record) {
  const TJwwAttr& a = Model.CurAttr;
  record.PointRef = a.PointRef;
  record.LayerGroup = a.LayerGroup;
  record.Layer = a.Layer;
  record.Color = a.LineColor;
  record.LineType = a.LineType;
  record.LineWidth = a.LineWidth;
  record.ZFlags = a.ZFlags;
}

void FinishEntity(bool endsModes) {
  TJwwAttr& a = Model.CurAttr;
  a.PointRef = 0;
  a.ZFlags = 0;
  if (endsModes) {
    a.InPolyline = false;
    a.MsgMode = false;
  }
}

void PrepareOutputState() {
  TJwwModel& m = Model;
  m.AttrFresh.fill(true);
  const TJwwAttr defaults;
  TJwwAttr& a = m.CurAttr;
  static_cast<TJwwAttrValues&>(a) = TJwwAttrValues{};
  a.CharStyle = defaults.CharStyle;
  a.FontName = defaults.FontName;
  a.PointColor = defaults.PointColor;
  a.ExtColor = defaults.ExtColor;
}

std::int32_t MapColorNumber(std::int32_t n) {
  if (n <= 0) return Model.FirstAttr.LineColor;
  if (n <= 9) return n;
  // 10 -> 101; saturates rather than overflowing near INT32_MAX
  return n > INT32_MAX - 91 ? INT32_MAX : n + 91;
}

std::int32_t MapLineTypeNumber(std::int32_t n) {
  if (n <= 0) return Model.FirstAttr.LineType;
  if (n <= 9) return n;
  if (n <= 18) return n + 1;
  return n > INT32_MAX - 12 ? INT32_MAX : n + 12;
}

}  // namespace JwwGaibu
