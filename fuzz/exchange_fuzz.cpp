// libFuzzer target for the exchange reader.
//
// Each input is read from memory through the line source into a drawing
// made by its default constructor, as the tool reads the host's file, so
// that nothing but the reader costs time. Besides crashes, leaks and hangs
// it reports:
//   - a drawing that breaks its own invariants (order list against the
//     tables, layer numbers outside 0..15, ...),
//   - a drawing that differs from the one read from the same bytes cut into
//     lines by a reference written for clarity: LF, CR LF and Ctrl-Z as the
//     exchange format defines. That catches splitting faults that never
//     crash (a line lost at a buffer edge, a CR kept in front of a lead
//     byte); drawings are compared field by field through their field lists,
//   - lines that differ when the same bytes come from a stream read in
//     chunks of a size the input picks, as a file is read: faults at the
//     edges of the read buffer.

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

#include "exchange/drawing.h"
#include "exchange/exchange_reader.h"
#include "exchange/line_source.h"

namespace {

using namespace rupena::exchange;

[[noreturn]] void Fail(std::string_view what) {
  std::cerr << "exchange_fuzz: " << what << '\n';
  std::abort();
}

// ---------------------------------------------------------------------------
// The expected line splitting, written for clarity rather than speed: the
// CRs of a physical line go first, then the Ctrl-Z rules apply.

constexpr char kCtrlZ = '\x1a';

void ReadLinesOneByOne(Drawing& drawing, std::string_view data) {
  ExchangeReader reader(drawing);
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
// Invariants of a drawing read from any bytes.

bool LayerInRange(const EntityHeader& h) {
  return h.layerGroup >= 0 && h.layerGroup < 16 && h.layer >= 0 && h.layer < 16;
}

template <typename T>
void CheckRecords(const BlockTable<T>& table) {
  for (std::size_t i = 0; i < table.size(); ++i) {
    const T& r = table[i];
    if (!LayerInRange(r)) Fail("a figure's layer group or layer is outside 0..15");
    if constexpr (std::is_same_v<T, DimensionRecord>) {
      if (!LayerInRange(r.value) || !LayerInRange(r.line)) Fail("a dimension's parts break the rules of their own");
    }
  }
}

void CheckInvariants(const Drawing& d) {
  // The order list holds every record exactly once, in the order each table
  // was filled.
  std::array<std::int32_t, 16> seen{};
  for (std::size_t i = 0; i < d.entityOrder.size(); ++i) {
    const OrderEntry& o = d.entityOrder[i];
    const auto kind = static_cast<std::size_t>(o.kind);
    if (kind < 1 || kind > 15) Fail("order entry of an unknown kind");
    if (o.index != seen[kind]++) Fail("order entry out of sequence");
  }
  ForEachEntityTable(
      [&](EntityKind kind, std::string_view, const auto& table) {
        if (table.size() != static_cast<std::size_t>(seen[static_cast<std::size_t>(kind)]))
          Fail("a table and the order list disagree on its count");
        CheckRecords(table);
      },
      d);
  if (d.designatedPoints[0].set) Fail("designated point 0 set");
}

void CheckState(const ReaderState& s) {
  if (!LayerInRange(s.heldLine)) Fail("held line's layer outside 0..15");
  const CurrentAttributes& a = s.current;
  if (a.layerGroup < 0 || a.layerGroup > 15 || a.layer < 0 || a.layer > 15)
    Fail("current layer group or layer outside 0..15");
  if (a.basePoint < 0 || a.basePoint > 8) Fail("base point outside 0..8");
  if (a.zFlags < 0 || a.zFlags > 31) Fail("z flags beyond z1..z5");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  Drawing loaded;
  ExchangeReader reader(loaded);
  LineSource whole(bytes);
  if (!reader.ReadLines(whole)) Fail("reading failed with memory to spare");
  CheckInvariants(loaded);
  CheckState(reader.State());

  Drawing expected;
  ReadLinesOneByOne(expected, bytes);
  if (!SameDrawing(loaded, expected))
    Fail("the reader and the reference line splitting built different drawings");

  // 1..64 bytes per read: every line of a short input meets a chunk edge.
  const std::size_t chunk = size == 0 ? 1 : 1 + data[size / 2] % 64;
  InputStream in(bytes);
  LineSource streamed(in, chunk);
  LineSource again(bytes);
  for (;;) {
    std::string_view a;
    std::string_view b;
    const bool more = again.Next(a);
    if (streamed.Next(b) != more) Fail("reading in chunks gave another number of lines");
    if (!more) break;
    if (a != b) Fail("reading in chunks gave another line than reading at once");
  }
  if (!streamed.EndedByCtrlZ() && streamed.BytesRead() != size) Fail("the stream was not read to its end");
  return 0;
}
