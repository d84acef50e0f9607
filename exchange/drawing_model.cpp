#include "exchange/drawing_model.h"

#include <bit>
#include <type_traits>

namespace JwwGaibu {

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

// Every table of the model, the order and output lists included.
template <typename F>
void ForEachTable(TJwwModel& m, F&& f) {
  f(m.EntityOrder);
  ForEachEntityTable([&f](std::int32_t, std::string_view, auto& table) { f(table); }, m);
  f(m.OutputLines);
}

// Compares two values of the same field, all the way down.
class SameFields {
 public:
  bool Same() const noexcept { return same_; }

  template <typename T>
  void operator()(std::string_view, const T& a, const T& b) noexcept {
    if (same_) same_ = Equal(a, b);
  }

 private:
  template <typename T>
  bool Equal(const T& a, const T& b) noexcept {
    if constexpr (std::is_same_v<T, double>) {
      return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    } else if constexpr (HasFields<T>) {
      SameFields inner;
      T::Fields(inner, a, b);
      return inner.Same();
    } else if constexpr (kIsBlockTable<T>) {
      if (a.Count() != b.Count()) return false;
      for (std::size_t i = 0; i < static_cast<std::size_t>(a.Count()); ++i) {
        if (!Equal(a[i], b[i])) return false;
      }
      return true;
    } else if constexpr (requires { a.begin(); a.size(); } && !std::is_same_v<T, std::string>) {
      if (a.size() != b.size()) return false;
      for (std::size_t i = 0; i < a.size(); ++i) {
        if (!Equal(a[i], b[i])) return false;
      }
      return true;
    } else {
      return a == b;
    }
  }

  bool same_ = true;
};

template <typename V>
void FreeVector(V& v) {
  V().swap(v);
}

}  // namespace

bool SameDrawing(const TJwwModel& a, const TJwwModel& b) noexcept {
  SameFields same;
  TJwwModel::Fields(same, a, b);
  ForEachEntityTable([&same](std::int32_t, std::string_view name, const auto& x, const auto& y) {
    same(name, x, y);
  }, a, b);
  return same.Same();
}

void ResetModel(TJwwModel& m) {
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

void ReleaseModel(TJwwModel& m) noexcept {
  FreeVector(m.GroupNames);
  FreeVector(m.GroupValues);
  FreeVector(m.LayerNames);
  FreeVector(m.LayerValues);
  FreeVector(m.PointSlots);
  ForEachTable(m, [](auto& table) { table.Release(); });
}

void AppendOrder(TJwwModel& m, std::int32_t kind, std::int32_t index) {
  m.EntityOrder.Append() = TJwwOrder{kind, index};
}

void StampHeader(const TJwwModel& m, TJwwEntHead& record) noexcept {
  const TJwwAttr& a = m.CurAttr;
  record.PointRef = a.PointRef;
  record.LayerGroup = a.LayerGroup;
  record.Layer = a.Layer;
  record.Color = a.LineColor;
  record.LineType = a.LineType;
  record.LineWidth = a.LineWidth;
  record.ZFlags = a.ZFlags;
}

void FinishEntity(TJwwModel& m, bool endsModes) noexcept {
  TJwwAttr& a = m.CurAttr;
  a.PointRef = 0;
  a.ZFlags = 0;
  if (endsModes) {
    a.InPolyline = false;
    a.MsgMode = false;
  }
}

void PrepareOutputState(TJwwModel& m) {
  m.AttrFresh.fill(true);
  const TJwwAttr defaults;
  TJwwAttr& a = m.CurAttr;
  static_cast<TJwwAttrValues&>(a) = TJwwAttrValues{};
  a.CharStyle = defaults.CharStyle;
  a.FontName = defaults.FontName;
  a.PointColor = defaults.PointColor;
  a.ExtColor = defaults.ExtColor;
}

std::int32_t MapColorNumber(const TJwwModel& m, std::int32_t n) noexcept {
  if (n <= 0) return m.FirstAttr.LineColor;
  if (n <= 9) return n;
  // 10 -> 101; saturates rather than overflowing near INT32_MAX
  return n > INT32_MAX - 91 ? INT32_MAX : n + 91;
}

std::int32_t MapLineTypeNumber(const TJwwModel& m, std::int32_t n) noexcept {
  if (n <= 0) return m.FirstAttr.LineType;
  if (n <= 9) return n;
  if (n <= 18) return n + 1;
  return n > INT32_MAX - 12 ? INT32_MAX : n + 12;
}

}  // namespace JwwGaibu
