// libFuzzer target for the exchange reader.
//
// Each input is written to a file and loaded the way the tool loads the
// host's file (ResetModel, LoadExchangeFile, PrepareOutputState,
// ReleaseModel), so the fuzzer reaches the reader's own line splitting and
// buffering as well as the rule table. Besides crashes, leaks and hangs it
// reports:
//   - a load that fails on a readable file,
//   - a model that breaks its own invariants (order list against the tables,
//     short strings over 255 bytes, layer numbers outside 0..15, ...),
//   - a model that differs from the one built by handing the same bytes to
//     ReadExchangeLine line by line, cut at LF, CR LF and Ctrl-Z as the
//     exchange format defines. That catches splitting faults (a line lost at
//     a buffer boundary, a CR kept in front of a lead byte) that never crash.

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include <unistd.h>

#include "exchange/drawing_model.h"
#include "exchange/exchange_reader.h"

namespace {

using namespace JwwGaibu;

std::filesystem::path& InputPath() {
  static std::filesystem::path path;
  return path;
}

void RemoveInputFile() {
  std::error_code ec;
  std::filesystem::remove(InputPath(), ec);
}

[[noreturn]] void Fail(std::string_view what) {
  std::cerr << "exchange_fuzz: " << what << '\n';
  std::abort();
}

// ---------------------------------------------------------------------------
// The expected line splitting, written for clarity rather than speed.

constexpr char kCtrlZ = '\x1a';

// A Ctrl-Z after nothing but CRs in its physical line is read by one reading
// of the format as the start of a line (the CRs are dropped first) and by
// another as inside a line. Both are defensible, so the comparison skips
// inputs that hold one.
bool HasAmbiguousCtrlZ(std::string_view data) {
  std::size_t lineStart = 0;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (data[i] == '\n') {
      lineStart = i + 1;
    } else if (data[i] == kCtrlZ && i > lineStart) {
      const std::string_view before = data.substr(lineStart, i - lineStart);
      if (before.find_first_not_of('\r') == std::string_view::npos) return true;
    }
  }
  return false;
}

void ReadLinesOneByOne(std::string_view data) {
  std::size_t pos = 0;
  while (pos < data.size()) {
    if (data[pos] == kCtrlZ) return;  // where a line begins: end of file
    std::size_t end = data.find('\n', pos);
    if (end == std::string_view::npos) end = data.size();
    std::string_view physical = data.substr(pos, end - pos);
    pos = end + 1;

    bool fileEnds = false;
    const std::size_t z = physical.find(kCtrlZ);
    if (z != std::string_view::npos) {
      fileEnds = physical.find(kCtrlZ, z + 1) != std::string_view::npos;
      physical = physical.substr(0, z);
    }
    // The CR of a CR LF ends the line; any other CR is dropped from it.
    std::string line;
    std::copy_if(physical.begin(), physical.end(), std::back_inserter(line),
                 [](char c) { return c != '\r'; });
    ReadExchangeLine(line);
    if (fileEnds) return;
  }
}

// ---------------------------------------------------------------------------
// Invariants of a loaded model.

template <typename T>
bool ShortStrings(const BlockTable<T>& table) {
  for (std::size_t i = 0; i < static_cast<std::size_t>(table.Count()); ++i) {
    const TJwwEntText& t = [&]() -> const TJwwEntText& {
      if constexpr (std::is_same_v<T, TJwwEntMsgText>) {
        return table[i].Text;
      } else {
        return table[i];
      }
    }();
    if (t.Text.size() > kShortStringMax || t.FontName.size() > kShortStringMax) return false;
  }
  return true;
}

bool LayerInRange(const TJwwEntHead& h) {
  return h.LayerGroup >= 0 && h.LayerGroup < 16 && h.Layer >= 0 && h.Layer < 16;
}

template <typename T>
bool HeadersInRange(const BlockTable<T>& table) {
  for (std::size_t i = 0; i < static_cast<std::size_t>(table.Count()); ++i) {
    if (!LayerInRange(table[i])) return false;
  }
  return true;
}

template <typename F>
void ForEachEntityTable(F&& f) {
  const TJwwModel& m = Model;
  f(kKindLine, m.Lines);
  f(kKindCircle, m.Circles);
  f(kKindArc, m.Arcs);
  f(kKindText, m.Texts);
  f(kKindPoint, m.Points);
  f(kKindPointEx, m.PointExs);
  f(kKindMsgText, m.MsgTexts);
  f(kKindBlk, m.Blocks);
  f(kKindSl2P, m.Sl2Ps);
  f(kKindSl3P, m.Sl3Ps);
  f(kKindSl4P, m.Sl4Ps);
  f(kKindSc, m.Scs);
  f(kKindSe, m.Ses);
  f(kKindSo, m.Sos);
  f(kKindSg, m.Sgs);
}

void CheckInvariants() {
  const TJwwModel& m = Model;

  // The order list holds every record exactly once, in the order each table
  // was filled.
  std::array<std::int32_t, 16> seen{};
  for (std::size_t i = 0; i < static_cast<std::size_t>(m.EntityOrder.Count()); ++i) {
    const TJwwOrder& o = m.EntityOrder[i];
    if (o.Kind < kKindLine || o.Kind > kKindSg) Fail("order entry of an unknown kind");
    if (o.Index != seen[static_cast<std::size_t>(o.Kind)]++) Fail("order entry out of sequence");
  }
  ForEachEntityTable([&](std::int32_t kind, const auto& table) {
    if (table.Count() != seen[static_cast<std::size_t>(kind)])
      Fail("a table and the order list disagree on its count");
    if (!HeadersInRange(table)) Fail("an entity's layer group or layer is outside 0..15");
  });

  if (!ShortStrings(m.Texts) || !ShortStrings(m.MsgTexts)) Fail("a text or font name over 255 bytes");
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

// ---------------------------------------------------------------------------
// A byte image of everything the reader can change, for the comparison.

class Snapshot {
 public:
  const std::string& Bytes() const { return bytes_; }

  void Add(std::int32_t v) { Raw(v); }
  void Add(bool v) { bytes_.push_back(v ? '\1' : '\0'); }
  void Add(double v) { Raw(std::bit_cast<std::uint64_t>(v)); }
  void Add(std::string_view s) {
    Raw(static_cast<std::uint64_t>(s.size()));
    bytes_.append(s);
  }
  template <typename T, std::size_t N>
  void Add(const std::array<T, N>& values) {
    for (const T& v : values) Add(v);
  }
  template <typename T>
  void Add(const std::vector<T>& values) {
    Raw(static_cast<std::uint64_t>(values.size()));
    for (const T& v : values) Add(v);
  }
  template <typename T>
  void Add(const BlockTable<T>& table) {
    Add(table.Count());
    for (std::size_t i = 0; i < static_cast<std::size_t>(table.Count()); ++i) Add(table[i]);
  }

  void Add(const TJwwEntHead& h) {
    Add(h.PointRef);
    Add(h.LayerGroup);
    Add(h.Layer);
    Add(h.Color);
    Add(h.LineType);
    Add(h.LineWidth);
    Add(h.ZFlags);
  }
  void Add(const TJwwPoint& p) {
    Add(p.X);
    Add(p.Y);
  }
  void Add(const TJwwOrder& o) {
    Add(o.Kind);
    Add(o.Index);
  }
  void Add(const TJwwEntLine& e) {
    Add(static_cast<const TJwwEntHead&>(e));
    Add(e.PolylineNo);
    Add(e.X1);
    Add(e.Y1);
    Add(e.X2);
    Add(e.Y2);
  }
  void Add(const TJwwEntCircle& e) {
    Add(static_cast<const TJwwEntHead&>(e));
    Add(e.Values);
  }
  void Add(const TJwwEntArc& e) {
    Add(static_cast<const TJwwEntHead&>(e));
    Add(e.Values);
  }
  void Add(const TJwwEntText& e) {
    Add(static_cast<const TJwwEntHead&>(e));
    Add(e.TextKind);
    Add(e.CharStyle);
    Add(e.TextType);
    Add(e.CharWidth);
    Add(e.CharHeight);
    Add(e.CharSpacing);
    Add(e.X1);
    Add(e.Y1);
    Add(e.DirX);
    Add(e.DirY);
    Add(e.FontName);
    Add(e.Text);
  }
  void Add(const TJwwEntPoint& e) {
    Add(static_cast<const TJwwEntHead&>(e));
    Add(e.X);
    Add(e.Y);
  }
  void Add(const TJwwEntPointEx& e) {
    Add(static_cast<const TJwwEntHead&>(e));
    Add(e.X);
    Add(e.Y);
    Add(e.Values);
    Add(e.Int);
  }
  void Add(const TJwwEntMsgText& e) {
    Add(static_cast<const TJwwEntHead&>(e));
    Add(e.Line);
    Add(e.Text);
  }
  void Add(const TJwwEntBlk& e) {
    Add(static_cast<const TJwwEntHead&>(e));
    Add(e.X);
    Add(e.Y);
    Add(e.Name);
  }
  template <std::size_t N>
  void Add(const TJwwEntSl<N>& e) {
    Add(static_cast<const TJwwEntHead&>(e));
    Add(e.ExtColor);
    Add(e.Points);
  }
  void Add(const TJwwEntScSe& e) {
    Add(static_cast<const TJwwEntHead&>(e));
    Add(e.ExtColor);
    Add(e.Values);
    Add(e.Int);
  }
  void Add(const TJwwEntSoSg& e) {
    Add(static_cast<const TJwwEntHead&>(e));
    Add(e.ExtColor);
    Add(e.Values);
  }
  void Add(const TJwwTextType& t) {
    Add(t.Width);
    Add(t.Height);
    Add(t.Spacing);
    Add(t.Color);
  }
  void Add(const TJwwPointSlot& s) {
    Add(s.Set);
    Add(s.X);
    Add(s.Y);
    Add(s.Mark);
  }
  void Add(const TJwwAttr& a) {
    Add(a.PointRef);
    Add(a.LayerGroup);
    Add(a.Layer);
    Add(a.LineColor);
    Add(a.LineType);
    Add(a.LineWidth);
    Add(a.TextType);
    Add(a.FreeWidth);
    Add(a.FreeHeight);
    Add(a.FreeSpacing);
    Add(a.FreeColor);
    Add(a.CharStyle);
    Add(a.FontName);
    Add(a.ZFlags);
    Add(a.PolylineCount);
    Add(a.InPolyline);
    Add(a.MsgMode);
    Add(a.PointColor);
    Add(a.ExtColor);
  }
  void Add(const TJwwFirstAttr& a) {
    Add(a.LayerGroup);
    Add(a.Layer);
    Add(a.LineColor);
    Add(a.LineType);
    Add(a.LineWidth);
    Add(a.TextType);
    Add(a.FreeWidth);
    Add(a.FreeHeight);
    Add(a.FreeSpacing);
    Add(a.FreeColor);
    Add(a.FontName);
  }
  void Add(const std::string& s) { Add(std::string_view(s)); }

 private:
  template <typename T>
  void Raw(T v) {
    const auto bytes = std::bit_cast<std::array<char, sizeof(T)>>(v);
    bytes_.append(bytes.data(), bytes.size());
  }

  std::string bytes_;
};

std::string TakeSnapshot() {
  const TJwwModel& m = Model;
  Snapshot s;
  s.Add(m.DrawingFile);
  s.Add(m.HkValue);
  s.Add(m.GroupScales);
  s.Add(m.SheetWidth);
  s.Add(m.SheetHeight);
  s.Add(m.TextTypes);
  s.Add(m.BzSeen);
  s.Add(m.HnValues);
  s.Add(m.GroupNames);
  s.Add(m.GroupValues);
  s.Add(m.LayerNames);
  s.Add(m.LayerValues);
  s.Add(m.PointSlots);
  s.Add(m.PointSlotCount);
  s.Add(m.CurAttr);
  s.Add(m.FirstAttr);
  s.Add(m.AttrFresh);
  s.Add(m.LineWidthSeen);
  s.Add(m.HeldLine);
  s.Add(m.EntityOrder);
  ForEachEntityTable([&](std::int32_t, const auto& table) { s.Add(table); });
  return s.Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  InputPath() = std::filesystem::temp_directory_path() /
                ("exchange_fuzz_" + std::to_string(getpid()) + ".txt");
  std::atexit(RemoveInputFile);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  {
    std::ofstream out(InputPath(), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) Fail("cannot write the input file");
  }

  ResetModel();
  if (!LoadExchangeFile(InputPath())) Fail("LoadExchangeFile failed on a readable file");
  CheckInvariants();
  const std::string loaded = TakeSnapshot();
  PrepareOutputState();
  ReleaseModel();

  if (!HasAmbiguousCtrlZ(bytes)) {
    ResetModel();
    ReadLinesOneByOne(bytes);
    const std::string expected = TakeSnapshot();
    ReleaseModel();
    if (loaded != expected) {
      const auto diff = std::mismatch(loaded.begin(), loaded.end(), expected.begin(), expected.end());
      std::cerr << "model snapshots differ at byte " << (diff.first - loaded.begin()) << " of "
                << loaded.size() << " / " << expected.size() << '\n';
      Fail("LoadExchangeFile and line-by-line ReadExchangeLine built different models");
    }
  }
  return 0;
}
