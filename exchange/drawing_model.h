// The drawing the host handed over in the exchange file, held in memory:
// header values, layer tables, the ten text types, designated points, the
// attribute state (the reader's parse state while loading, the writer's
// memory of what it wrote afterwards), one table per entity kind, the order
// the entities arrived in, and the output line list.
//
// A model is a plain object; the reader, the writer and the operations below
// work on the one they are given. Numbers are stored as the file gives them,
// strings as the file's bytes. A model is used from one thread at a time.
//
// Every record type lists its fields once, beside them, in the order the
// dump writes them: Fields(visit, record...) calls visit("Name",
// record.Name...) for each field, so a visitor given one record reads it and
// a visitor given two compares them. Nested records, arrays and tables are
// handed to the visitor as they are.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace JwwGaibu {

// Texts and font names inside entity records keep at most this many bytes.
inline constexpr std::size_t kShortStringMax = 255;

// "<ＭＳ ゴシック>": the host's default font, angle brackets included.
inline constexpr std::string_view kDefaultFontName =
    "<\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e>";

// Cuts a byte string to what a record's short string can hold.
std::string ShortString(std::string_view text);

// The font name of a text record: immutable, and shared by every record
// stored while it was the current one. A file names one or two fonts for
// many thousands of texts, so a record holds one pointer, not a string.
// Reads as a std::string_view of its bytes and compares equal to any byte
// string with the same bytes. Copies share the bytes; the count of sharers
// is not atomic, as the model lives on one thread.
class TJwwFontName {
 public:
  TJwwFontName() noexcept = default;
  // Copies `name`; allocates unless it is empty, and may throw
  // std::bad_alloc then.
  explicit TJwwFontName(std::string_view name);
  TJwwFontName(const TJwwFontName& other) noexcept : shared_(other.shared_) {
    if (shared_ != nullptr) ++shared_->sharers;
  }
  TJwwFontName(TJwwFontName&& other) noexcept : shared_(other.shared_) { other.shared_ = nullptr; }
  TJwwFontName& operator=(TJwwFontName other) noexcept {
    std::swap(shared_, other.shared_);
    return *this;
  }
  ~TJwwFontName() { Release(); }

  std::string_view View() const noexcept {
    return shared_ != nullptr ? std::string_view(shared_->bytes) : std::string_view();
  }
  operator std::string_view() const noexcept { return View(); }
  const char* data() const noexcept { return View().data(); }
  std::size_t size() const noexcept { return View().size(); }
  bool empty() const noexcept { return shared_ == nullptr; }

  friend bool operator==(const TJwwFontName& name, std::string_view bytes) noexcept {
    return name.View() == bytes;
  }
  friend bool operator==(const TJwwFontName& a, const TJwwFontName& b) noexcept {
    return a.View() == b.View();
  }

 private:
  struct Shared {
    std::size_t sharers;
    std::string bytes;
  };
  void Release() noexcept;

  Shared* shared_ = nullptr;
};

// A table that grows one block of 1000 records at a time. Growing never moves
// a record, so indices and references stay valid and a large file costs one
// allocation per thousand records rather than a copy of the whole table. A
// block is raw storage until records are appended to it: a record is made
// once, where it stays, and a table of a few records costs no more than
// those.
template <typename T>
class BlockTable {
 public:
  static constexpr std::size_t kBlock = 1000;

  BlockTable() = default;
  BlockTable(BlockTable&& other) noexcept
      : count_(std::exchange(other.count_, 0)),
        live_(std::exchange(other.live_, 0)),
        blocks_(std::move(other.blocks_)) {}
  BlockTable& operator=(BlockTable&& other) noexcept {
    if (this != &other) {
      Clear();
      count_ = std::exchange(other.count_, 0);
      live_ = std::exchange(other.live_, 0);
      blocks_ = std::move(other.blocks_);
    }
    return *this;
  }
  ~BlockTable() { Release(); }

  std::int32_t Count() const noexcept { return count_; }
  std::size_t Capacity() const noexcept { return blocks_.size() * kBlock; }

  // Makes sure the next Append allocates nothing. On memory exhaustion
  // throws std::bad_alloc and leaves the table as it was.
  void MakeRoom() {
    if (static_cast<std::size_t>(count_) == Capacity()) {
      // The list of blocks grows geometrically: growing it by one each time
      // left every shorter list behind as a hole in the heap.
      if (blocks_.size() == blocks_.capacity()) {
        blocks_.reserve(blocks_.size() < 8 ? 8 : 2 * blocks_.size());
      }
      blocks_.push_back(std::make_unique_for_overwrite<Slot[]>(kBlock));
    }
  }

  // Appends a value-initialised record and returns it; may throw as MakeRoom.
  T& Append() {
    MakeRoom();
    T* const record = ::new (static_cast<void*>(SlotOf(static_cast<std::size_t>(count_)))) T();
    ++count_;
    ++live_;
    return *record;
  }

  // Record i < Count().
  T& operator[](std::size_t i) noexcept { return *std::launder(reinterpret_cast<T*>(SlotOf(i))); }
  const T& operator[](std::size_t i) const noexcept {
    return *std::launder(reinterpret_cast<const T*>(SlotOf(i)));
  }

  // Releases the records and the storage; the count is left as it was, as
  // the model's teardown asks. Nothing may index the table again before
  // Clear().
  void Release() noexcept {
    for (std::size_t i = live_; i > 0; --i) (*this)[i - 1].~T();
    live_ = 0;
    blocks_.clear();
    blocks_.shrink_to_fit();
  }
  void Clear() noexcept {
    Release();
    count_ = 0;
  }

 private:
  struct alignas(T) Slot {
    std::byte bytes[sizeof(T)];
  };

  Slot* SlotOf(std::size_t i) const noexcept { return &blocks_[i / kBlock][i % kBlock]; }

  std::int32_t count_ = 0;
  std::size_t live_ = 0;  // records made and not yet released
  std::vector<std::unique_ptr<Slot[]>> blocks_;
};

template <typename T>
inline constexpr bool kIsBlockTable = false;
template <typename T>
inline constexpr bool kIsBlockTable<BlockTable<T>> = true;

// Common header of every entity record, stamped from CurAttr when stored.
struct TJwwEntHead {
  std::int32_t PointRef = 0;
  std::int32_t LayerGroup = 0;
  std::int32_t Layer = 0;
  std::int32_t Color = 0;
  std::int32_t LineType = 0;
  std::int32_t LineWidth = 0;
  std::int32_t ZFlags = 0;  // "z1".."z5" as bits 1, 2, 4, 8, 16

  bool operator==(const TJwwEntHead&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("PointRef", r.PointRef...);
    v("LayerGroup", r.LayerGroup...);
    v("Layer", r.Layer...);
    v("Color", r.Color...);
    v("LineType", r.LineType...);
    v("LineWidth", r.LineWidth...);
    v("ZFlags", r.ZFlags...);
  }
};

struct TJwwPoint {
  double X = 0.0;
  double Y = 0.0;

  bool operator==(const TJwwPoint&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("X", r.X...);
    v("Y", r.Y...);
  }
};

struct TJwwEntLine : TJwwEntHead {  // kind 1
  std::int32_t PolylineNo = 0;
  double X1 = 0.0, Y1 = 0.0, X2 = 0.0, Y2 = 0.0;

  bool operator==(const TJwwEntLine&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    TJwwEntHead::Fields(v, r...);
    v("PolylineNo", r.PolylineNo...);
    v("X1", r.X1...);
    v("Y1", r.Y1...);
    v("X2", r.X2...);
    v("Y2", r.Y2...);
  }
};

// The circle's and the arc's numbers in file order.
template <std::size_t N>
struct TJwwEntValues : TJwwEntHead {
  std::array<double, N> Values{};

  bool operator==(const TJwwEntValues&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    TJwwEntHead::Fields(v, r...);
    v("Values", r.Values...);
  }
};
using TJwwEntCircle = TJwwEntValues<3>;  // kind 2
using TJwwEntArc = TJwwEntValues<7>;     // kind 3

struct TJwwEntText : TJwwEntHead {  // kind 4; Color holds the text colour
  std::int32_t TextKind = 0;  // "ch" 0, "cv" 1, ... "c2" 9
  std::int32_t CharStyle = 0;
  std::int32_t TextType = 0;  // 1..10 a text type, otherwise free size
  double CharWidth = 0.0, CharHeight = 0.0, CharSpacing = 0.0;
  double X1 = 0.0, Y1 = 0.0;
  double DirX = 0.0, DirY = 0.0;  // direction vector, as the file gives it
  TJwwFontName FontName;          // at most kShortStringMax bytes
  std::string Text;               // at most kShortStringMax bytes

  bool operator==(const TJwwEntText&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    TJwwEntHead::Fields(v, r...);
    v("TextKind", r.TextKind...);
    v("CharStyle", r.CharStyle...);
    v("TextType", r.TextType...);
    v("CharWidth", r.CharWidth...);
    v("CharHeight", r.CharHeight...);
    v("CharSpacing", r.CharSpacing...);
    v("X1", r.X1...);
    v("Y1", r.Y1...);
    v("DirX", r.DirX...);
    v("DirY", r.DirY...);
    v("FontName", r.FontName...);
    v("Text", r.Text...);
  }
};

struct TJwwEntPoint : TJwwEntHead {  // kind 5; Color holds the point colour
  double X = 0.0, Y = 0.0;

  bool operator==(const TJwwEntPoint&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    TJwwEntHead::Fields(v, r...);
    v("X", r.X...);
    v("Y", r.Y...);
  }
};

struct TJwwEntPointEx : TJwwEntHead {  // kind 6; Color holds the point colour
  double X = 0.0, Y = 0.0;
  std::array<double, 2> Values{};
  std::int32_t Int = 0;

  bool operator==(const TJwwEntPointEx&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    TJwwEntHead::Fields(v, r...);
    v("X", r.X...);
    v("Y", r.Y...);
    v("Values", r.Values...);
    v("Int", r.Int...);
  }
};

struct TJwwEntMsgText : TJwwEntHead {  // kind 7
  TJwwEntLine Line;  // the held line as it was when the "cs" line came
  TJwwEntText Text;  // TextKind 2

  bool operator==(const TJwwEntMsgText&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    TJwwEntHead::Fields(v, r...);
    v("Line", r.Line...);
    v("Text", r.Text...);
  }
};

struct TJwwEntBlk : TJwwEntHead {  // kind 8
  double X = 0.0, Y = 0.0;
  std::string Name;  // any length

  bool operator==(const TJwwEntBlk&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    TJwwEntHead::Fields(v, r...);
    v("X", r.X...);
    v("Y", r.Y...);
    v("Name", r.Name...);
  }
};

template <std::size_t Corners>
struct TJwwEntSl : TJwwEntHead {
  std::int32_t ExtColor = 0;
  std::array<TJwwPoint, Corners> Points{};

  bool operator==(const TJwwEntSl&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    TJwwEntHead::Fields(v, r...);
    v("ExtColor", r.ExtColor...);
    v("Points", r.Points...);
  }
};
using TJwwEntSl2P = TJwwEntSl<2>;  // kind 9
using TJwwEntSl3P = TJwwEntSl<3>;  // kind 10
using TJwwEntSl4P = TJwwEntSl<4>;  // kind 11

struct TJwwEntScSe : TJwwEntHead {
  std::int32_t ExtColor = 0;
  std::array<double, 7> Values{};
  std::int32_t Int = 0;

  bool operator==(const TJwwEntScSe&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    TJwwEntHead::Fields(v, r...);
    v("ExtColor", r.ExtColor...);
    v("Values", r.Values...);
    v("Int", r.Int...);
  }
};
using TJwwEntSc = TJwwEntScSe;  // kind 12
using TJwwEntSe = TJwwEntScSe;  // kind 13

struct TJwwEntSoSg : TJwwEntHead {
  std::int32_t ExtColor = 0;
  std::array<double, 8> Values{};

  bool operator==(const TJwwEntSoSg&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    TJwwEntHead::Fields(v, r...);
    v("ExtColor", r.ExtColor...);
    v("Values", r.Values...);
  }
};
using TJwwEntSo = TJwwEntSoSg;  // kind 14
using TJwwEntSg = TJwwEntSoSg;  // kind 15

// Entity kinds as the order list records them.
enum TJwwKind : std::int32_t {
  kKindLine = 1,
  kKindCircle = 2,
  kKindArc = 3,
  kKindText = 4,
  kKindPoint = 5,
  kKindPointEx = 6,
  kKindMsgText = 7,
  kKindBlk = 8,
  kKindSl2P = 9,
  kKindSl3P = 10,
  kKindSl4P = 11,
  kKindSc = 12,
  kKindSe = 13,
  kKindSo = 14,
  kKindSg = 15,
};

struct TJwwOrder {
  std::int32_t Kind = 0;
  std::int32_t Index = 0;

  bool operator==(const TJwwOrder&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("Kind", r.Kind...);
    v("Index", r.Index...);
  }
};

struct TJwwTextType {
  double Width = 3.0;
  double Height = 3.0;
  double Spacing = 0.0;
  std::int32_t Color = 2;

  bool operator==(const TJwwTextType&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("Width", r.Width...);
    v("Height", r.Height...);
    v("Spacing", r.Spacing...);
    v("Color", r.Color...);
  }
};

struct TJwwPointSlot {
  bool Set = false;
  double X = 0.0, Y = 0.0;
  std::int32_t Mark = 0;  // 0 plain, 1 "-", 2 "ln", 3 "ci", 4 "ch"

  bool operator==(const TJwwPointSlot&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("Set", r.Set...);
    v("X", r.X...);
    v("Y", r.Y...);
    v("Mark", r.Mark...);
  }
};

// The attributes whose first value in the file is remembered, and which the
// writer puts back to these defaults before it writes.
struct TJwwAttrValues {
  std::int32_t LayerGroup = 0;
  std::int32_t Layer = 0;
  std::int32_t LineColor = 1;
  std::int32_t LineType = 1;
  std::int32_t LineWidth = 0;
  std::int32_t TextType = 1;
  double FreeWidth = 2.0;
  double FreeHeight = 2.0;
  double FreeSpacing = 0.0;
  std::int32_t FreeColor = 1;

  bool operator==(const TJwwAttrValues&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("LayerGroup", r.LayerGroup...);
    v("Layer", r.Layer...);
    v("LineColor", r.LineColor...);
    v("LineType", r.LineType...);
    v("LineWidth", r.LineWidth...);
    v("TextType", r.TextType...);
    v("FreeWidth", r.FreeWidth...);
    v("FreeHeight", r.FreeHeight...);
    v("FreeSpacing", r.FreeSpacing...);
    v("FreeColor", r.FreeColor...);
  }
};

// The running attributes: the reader's state while loading, afterwards the
// writer's record of the values it wrote last.
struct TJwwAttr : TJwwAttrValues {
  std::int32_t PointRef = 0;
  std::int32_t CharStyle = 0;
  std::string FontName{kDefaultFontName};
  std::int32_t ZFlags = 0;
  std::int32_t PolylineCount = 0;
  bool InPolyline = false;
  bool MsgMode = false;
  std::int32_t PointColor = 1;
  std::int32_t ExtColor = 0;

  bool operator==(const TJwwAttr&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    v("PointRef", r.PointRef...);
    TJwwAttrValues::Fields(v, r...);
    v("CharStyle", r.CharStyle...);
    v("FontName", r.FontName...);
    v("ZFlags", r.ZFlags...);
    v("PolylineCount", r.PolylineCount...);
    v("InPolyline", r.InPolyline...);
    v("MsgMode", r.MsgMode...);
    v("PointColor", r.PointColor...);
    v("ExtColor", r.ExtColor...);
  }
};

// The first value the file gave for each attribute, or its default.
struct TJwwFirstAttr : TJwwAttrValues {
  std::string FontName;  // first non-empty font name

  bool operator==(const TJwwFirstAttr&) const = default;
  template <typename V, typename... R>
  static void Fields(V&& v, R&... r) {
    TJwwAttrValues::Fields(v, r...);
    v("FontName", r.FontName...);
  }
};

// Indices into AttrFresh.
enum TJwwFresh : std::size_t {
  kFreshLayerGroup,
  kFreshLayer,
  kFreshLineColor,
  kFreshLineType,
  kFreshLineWidth,
  kFreshTextType,
  kFreshCharStyle,
  kFreshFontName,
  kFreshPointColor,
  kFreshCount
};

inline constexpr int kGroupCount = 16;
inline constexpr int kLayerSlotCount = 256;  // group * 16 + layer
inline constexpr int kPointSlotTotal = 100;  // slots 1..99 are used

struct TJwwModel {
  // Header values.
  std::string DrawingFile;
  double HkValue = 0.0;
  std::array<double, kGroupCount> GroupScales{};
  double SheetWidth = 1189.0;
  double SheetHeight = 841.0;
  std::array<TJwwTextType, 10> TextTypes{};
  bool BzSeen = false;
  std::array<double, 4> HnValues{};

  // Layers; allocated by ResetModel, released by ReleaseModel.
  std::vector<std::string> GroupNames;
  std::vector<std::int32_t> GroupValues;
  std::vector<std::string> LayerNames;
  std::vector<std::int32_t> LayerValues;

  std::vector<TJwwPointSlot> PointSlots;
  std::int32_t PointSlotCount = 0;

  TJwwAttr CurAttr;
  TJwwFirstAttr FirstAttr;
  std::array<bool, kFreshCount> AttrFresh{};
  bool LineWidthSeen = false;
  TJwwEntLine HeldLine;

  BlockTable<TJwwOrder> EntityOrder;
  BlockTable<TJwwEntLine> Lines;
  BlockTable<TJwwEntCircle> Circles;
  BlockTable<TJwwEntArc> Arcs;
  BlockTable<TJwwEntText> Texts;
  BlockTable<TJwwEntPoint> Points;
  BlockTable<TJwwEntPointEx> PointExs;
  BlockTable<TJwwEntMsgText> MsgTexts;
  BlockTable<TJwwEntBlk> Blocks;
  BlockTable<TJwwEntSl2P> Sl2Ps;
  BlockTable<TJwwEntSl3P> Sl3Ps;
  BlockTable<TJwwEntSl4P> Sl4Ps;
  BlockTable<TJwwEntSc> Scs;
  BlockTable<TJwwEntSe> Ses;
  BlockTable<TJwwEntSo> Sos;
  BlockTable<TJwwEntSg> Sgs;

  // Command lines for the new exchange file, each at most 255 bytes.
  BlockTable<std::string> OutputLines;

  // Everything but the entity tables (ForEachEntityTable lists those) and
  // the output lines (the writer's, not the drawing's).
  template <typename V, typename... M>
  static void Fields(V&& v, M&... m) {
    v("DrawingFile", m.DrawingFile...);
    v("HkValue", m.HkValue...);
    v("GroupScales", m.GroupScales...);
    v("SheetWidth", m.SheetWidth...);
    v("SheetHeight", m.SheetHeight...);
    v("TextTypes", m.TextTypes...);
    v("BzSeen", m.BzSeen...);
    v("HnValues", m.HnValues...);
    v("GroupNames", m.GroupNames...);
    v("GroupValues", m.GroupValues...);
    v("LayerNames", m.LayerNames...);
    v("LayerValues", m.LayerValues...);
    v("PointSlots", m.PointSlots...);
    v("PointSlotCount", m.PointSlotCount...);
    v("CurAttr", m.CurAttr...);
    v("FirstAttr", m.FirstAttr...);
    v("AttrFresh", m.AttrFresh...);
    v("LineWidthSeen", m.LineWidthSeen...);
    v("HeldLine", m.HeldLine...);
    v("EntityOrder", m.EntityOrder...);
  }
};

// The fifteen entity tables with their kinds, in kind order: calls
// f(kind, name, model.Table...) for each.
template <typename F, typename... M>
void ForEachEntityTable(F&& f, M&... m) {
  f(kKindLine, "Lines", m.Lines...);
  f(kKindCircle, "Circles", m.Circles...);
  f(kKindArc, "Arcs", m.Arcs...);
  f(kKindText, "Texts", m.Texts...);
  f(kKindPoint, "Points", m.Points...);
  f(kKindPointEx, "PointExs", m.PointExs...);
  f(kKindMsgText, "MsgTexts", m.MsgTexts...);
  f(kKindBlk, "Blocks", m.Blocks...);
  f(kKindSl2P, "Sl2Ps", m.Sl2Ps...);
  f(kKindSl3P, "Sl3Ps", m.Sl3Ps...);
  f(kKindSl4P, "Sl4Ps", m.Sl4Ps...);
  f(kKindSc, "Scs", m.Scs...);
  f(kKindSe, "Ses", m.Ses...);
  f(kKindSo, "Sos", m.Sos...);
  f(kKindSg, "Sgs", m.Sgs...);
}

// A type that lists its fields as above.
template <typename T>
concept HasFields = requires(T& t) {
  T::Fields([](std::string_view, auto&) {}, t);
};

// Whether two models hold the same drawing: every field that Fields and
// ForEachEntityTable list, reals compared by their bits (so 0 and -0
// differ). The output lines are not compared.
bool SameDrawing(const TJwwModel& a, const TJwwModel& b) noexcept;

// Every value to its default, every table, the order list and the output
// list empty; layer tables and point slots allocated and cleared; the first
// six AttrFresh flags set. May throw std::bad_alloc.
void ResetModel(TJwwModel& m);

// Frees the layer tables, point slots, order list, output list and entity
// tables. Counts stay; nothing may read the tables until ResetModel.
void ReleaseModel(TJwwModel& m) noexcept;

void AppendOrder(TJwwModel& m, std::int32_t kind, std::int32_t index);

// Copies PointRef, LayerGroup, Layer, LineColor (as Color), LineType,
// LineWidth and ZFlags from CurAttr.
void StampHeader(const TJwwModel& m, TJwwEntHead& record) noexcept;

// Stores a new record of a kind in `table`, one of m's: order entry,
// growth, header stamp. The caller fills the kind's own fields and then
// calls FinishEntity. Throws std::bad_alloc before changing anything when
// memory runs out, so the model never holds a record without its order
// entry or the reverse.
template <typename T>
T& StoreEntity(TJwwModel& m, BlockTable<T>& table, std::int32_t kind) {
  table.MakeRoom();
  m.EntityOrder.MakeRoom();
  AppendOrder(m, kind, table.Count());
  T& record = table.Append();
  StampHeader(m, record);
  return record;
}

// After a record (or the held line) is filled: PointRef and ZFlags back to 0;
// unless the line was a plain or held line, both modes end as well.
void FinishEntity(TJwwModel& m, bool endsModes) noexcept;

// Turns the attribute state into the writer's: all nine AttrFresh flags set,
// the written attributes of CurAttr back to their defaults.
void PrepareOutputState(TJwwModel& m);

// Output numbering of colours and line types for callers that ask for it.
std::int32_t MapColorNumber(const TJwwModel& m, std::int32_t n) noexcept;
std::int32_t MapLineTypeNumber(const TJwwModel& m, std::int32_t n) noexcept;

}  // namespace JwwGaibu
