// libFuzzer target for the exchange reader.
//
// Each input is loaded from memory through the line source, as the tool
// loads the host's file (ResetModel, LoadExchangeBytes, PrepareOutputState),
// so that nothing but the reader costs time. Besides crashes, leaks and hangs
// it reports:
//   - a model that breaks its own invariants (order list against the tables,
//     short strings over 255 bytes, layer numbers outside 0..15, ...),
//   - a model that differs from the one the plain reader (the variant
//     targets without SSE2 run) builds from the same bytes cut into lines by
//     a reference written for clarity: LF, CR LF and Ctrl-Z as the exchange
//     format defines. That catches splitting and cutting faults that never
//     crash (a line lost at a block edge, a CR kept in front of a lead byte,
//     the two variants cutting a line apart); models are compared field by
//     field through their field lists,
//   - lines that differ when the same bytes come from a stream read in
//     chunks of a size the input picks, as a file is read, or through the
//     plain line source: faults at the edges of the read buffer.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <streambuf>
#include <string>
#include <string_view>
#include <type_traits>

#include "exchange/drawing_model.h"
#include "exchange/exchange_reader.h"
#include "exchange/line_source.h"

namespace {

using namespace JwwGaibu;

[[noreturn]] void Fail(std::string_view what) {
  std::cerr << "exchange_fuzz: " << what << '\n';
  std::abort();
}

// ---------------------------------------------------------------------------
// The expected line splitting, written for clarity rather than speed: the
// CRs of a physical line go first, then the Ctrl-Z rules apply.

constexpr char kCtrlZ = '\x1a';

void ReadLinesOneByOne(TJwwModel& model, std::string_view data) {
  BasicExchangeReader<ByteScan::kPlain> reader(model);
  std::string line;
  std::size_t pos = 0;
  while (pos < data.size()) {
    std::size_t end = data.find('\n', pos);
    if (end == std::string_view::npos) end = data.size();
    line.clear();
    for (std::string_view rest = data.substr(pos, end - pos); !rest.empty();) {
      const std::size_t cr = std::min(rest.find('\r'), rest.size());
      line.append(rest.substr(0, cr));
      rest.remove_prefix(std::min(cr + 1, rest.size()));
    }
    pos = end + 1;
    const std::size_t z = line.find(kCtrlZ);
    if (z == 0) return;  // where a line begins: end of file
    reader.ReadLine(std::string_view(line).substr(0, z));
    if (z != std::string::npos && line.find(kCtrlZ, z + 1) != std::string::npos) return;
  }
}

// The input as a stream, read without a copy.
class InputStream : public std::streambuf {
 public:
  explicit InputStream(std::string_view bytes) {
    char* const p = const_cast<char*>(bytes.data());
    setg(p, p, p + bytes.size());
  }
};

// ---------------------------------------------------------------------------
// Invariants of a loaded model.

bool LayerInRange(const TJwwEntHead& h) {
  return h.LayerGroup >= 0 && h.LayerGroup < 16 && h.Layer >= 0 && h.Layer < 16;
}

bool ShortStrings(const TJwwEntText& t) {
  return t.Text.size() <= kShortStringMax && t.FontName.size() <= kShortStringMax;
}

template <typename T>
void CheckRecords(const BlockTable<T>& table) {
  for (std::size_t i = 0; i < static_cast<std::size_t>(table.Count()); ++i) {
    const T& r = table[i];
    if (!LayerInRange(r)) Fail("an entity's layer group or layer is outside 0..15");
    if constexpr (std::is_same_v<T, TJwwEntText>) {
      if (!ShortStrings(r)) Fail("a text or font name over 255 bytes");
    } else if constexpr (std::is_same_v<T, TJwwEntMsgText>) {
      if (!ShortStrings(r.Text) || !LayerInRange(r.Text) || !LayerInRange(r.Line))
        Fail("a message text's parts break the rules of their own");
    }
  }
}

void CheckInvariants(const TJwwModel& m) {
  // The order list holds every record exactly once, in the order each table
  // was filled.
  std::array<std::int32_t, 16> seen{};
  for (std::size_t i = 0; i < static_cast<std::size_t>(m.EntityOrder.Count()); ++i) {
    const TJwwOrder& o = m.EntityOrder[i];
    if (o.Kind < kKindLine || o.Kind > kKindSg) Fail("order entry of an unknown kind");
    if (o.Index != seen[static_cast<std::size_t>(o.Kind)]++) Fail("order entry out of sequence");
  }
  ForEachEntityTable(
      [&](std::int32_t kind, std::string_view, const auto& table) {
        if (table.Count() != seen[static_cast<std::size_t>(kind)])
          Fail("a table and the order list disagree on its count");
        CheckRecords(table);
      },
      m);
  if (!LayerInRange(m.HeldLine)) Fail("held line's layer outside 0..15");

  const TJwwAttr& a = m.CurAttr;
  if (a.LayerGroup < 0 || a.LayerGroup > 15 || a.Layer < 0 || a.Layer > 15)
    Fail("current layer group or layer outside 0..15");
  if (a.CharStyle < 0 || a.CharStyle > 8) Fail("character style outside 0..8");
  if (a.ZFlags < 0 || a.ZFlags > 31) Fail("z flags beyond z1..z5");
  if (m.GroupNames.size() != kGroupCount || m.GroupValues.size() != kGroupCount ||
      m.LayerNames.size() != kLayerSlotCount || m.LayerValues.size() != kLayerSlotCount ||
      m.PointSlots.size() != kPointSlotTotal)
    Fail("a layer table or the point slots changed size");
  if (m.PointSlots[0].Set) Fail("point slot 0 set");
}

// Live across inputs so that a reset reuses their layer tables. Each input
// finds them reset and leaves them so, which frees what it allocated.
TJwwModel loaded;
TJwwModel expected;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  ResetModel(loaded);
  ResetModel(expected);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  if (!LoadExchangeBytes(loaded, bytes)) Fail("LoadExchangeBytes failed with memory to spare");
  CheckInvariants(loaded);

  ReadLinesOneByOne(expected, bytes);
  if (!SameDrawing(loaded, expected))
    Fail("the reader and the plain reader fed line by line built different models");

  // 1..64 bytes per read: every line of a short input meets a chunk edge.
  const std::size_t chunk = size == 0 ? 1 : 1 + data[size / 2] % 64;
  InputStream in(bytes);
  LineSource streamed(in, chunk);
  LineSource whole(bytes);
  BasicLineSource<ByteScan::kPlain> plain(bytes);
  for (;;) {
    std::string_view a;
    std::string_view b;
    std::string_view c;
    const bool more = whole.Next(a);
    if (streamed.Next(b) != more || plain.Next(c) != more) Fail("the line sources gave different numbers of lines");
    if (!more) break;
    if (a != b) Fail("reading in chunks gave another line than reading at once");
    if (a != c) Fail("the plain line source gave another line");
  }
  if (!streamed.EndedByCtrlZ() && streamed.BytesRead() != size) Fail("the stream was not read to its end");

  PrepareOutputState(loaded);
  ResetModel(loaded);
  ResetModel(expected);
  return 0;
}
