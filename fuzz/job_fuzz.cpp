// libFuzzer target for the tool's whole job on arbitrary bytes, as the
// window runs it: the host's file is written beside a would-be executable,
// then the lifecycle shows (read the file, fill the grid), a few
// spacing cells are edited, and OK writes the file back; that file is then
// read back. Besides crashes, leaks and hangs it reports a written file that
// does not read back with the separated characters in order, one text each,
// of the picked text's kind and direction, followed by every other text
// handed over, in order; and a file changed although nothing was picked.
//
// The input is the host's file, followed by the spacing edits, read from
// its end so that the file's bytes stay in front where the dictionary works:
// the last byte gives the number of edits (0..3); each edit is a column
// byte, a length byte (0..11) and that many bytes of cell text, before it.

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/main_form.h"
#include "exchange/drawing.h"
#include "exchange/exchange_reader.h"
#include "exchange/exchange_writer.h"
#include "textutil/shift_jis.h"

namespace {

namespace fs = std::filesystem;
using namespace rupena::exchange;

[[noreturn]] void Fail(std::string_view what) {
  std::cerr << "job_fuzz: " << what << '\n';
  std::abort();
}

// The window as the lifecycle sees it, with nothing to show.
class JobView final : public rupena::app::FormView {
 public:
  rupena::app::SpacingGrid& Grid() override { return grid; }
  void SetPickedTextFont(std::string_view) override {}
  void SetPickedText(std::string_view) override {}
  void RedrawPickedTextNow() override {}
  void SetStatus(std::string_view) override {}
  void ShowTextChoices(const std::vector<rupena::app::TextChoice>&, std::size_t) override {}
  void ShowPreview(const rupena::app::Preview&) override {}
  void ReportWriteFailure(std::string_view, std::error_code reason) override {
    std::cerr << reason.message() << '\n';
    Fail("OK could not write the exchange file");
  }
  void MoveTo(rupena::app::WindowPosition p) override { position = p; }
  rupena::app::WindowPosition Position() const override { return position; }
  void Close() override { closed = true; }

  rupena::app::SpacingCells grid;
  rupena::app::WindowPosition position;
  bool closed = false;
};

struct SpacingEdit {
  int column;
  std::string text;
};

// Splits the input into the host's file and the spacing edits at its end.
std::string_view TakeEdits(std::string_view input, std::vector<SpacingEdit>& edits) {
  if (input.empty()) return input;
  const auto take = [&input]() {
    const auto b = static_cast<unsigned char>(input.back());
    input.remove_suffix(1);
    return b;
  };
  for (int n = take() % 4; n > 0 && input.size() >= 2; --n) {
    const int column = take();
    const std::size_t length = std::min<std::size_t>(take() % 12, input.size());
    edits.push_back({column, std::string(input.substr(input.size() - length))});
    input.remove_suffix(length);
  }
  return input;
}

// The folder the would-be executable sits in, one per process.
const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path p = fs::temp_directory_path() / ("job_fuzz_" + std::to_string(getpid()));
    fs::create_directories(p);
    return p;
  }();
  return folder;
}

void RemoveFolder() {
  std::error_code ec;
  fs::remove_all(Folder(), ec);
}

// What a text command of `text` reads back as: the reader keeps the bytes
// after the quote, but drops a lead byte that ends the line without its
// partner (a text that ends in a lone lead byte, or a character of that
// byte alone).
std::string ReadBackAs(std::string_view text) {
  std::size_t last = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += rupena::text::CharLengthAt(text, pos)) last = pos;
  if (last + 1 == text.size() && rupena::text::IsLeadByte(static_cast<unsigned char>(text[last]))) {
    text.remove_suffix(1);
  }
  return std::string(text);
}

// The texts of a drawing in the order they came, dimension values included.
template <typename F>
void ForEachText(const Drawing& d, F&& f) {
  for (std::size_t i = 0; i < d.entityOrder.size(); ++i) {
    const OrderEntry& o = d.entityOrder[i];
    const auto k = static_cast<std::size_t>(o.index);
    if (o.kind == EntityKind::kText) f(o, d.texts[k]);
    if (o.kind == EntityKind::kDimension) f(o, d.dimensions[k].value);
  }
}

// Reals go out with 15 significant digits; a subnormal keeps fewer.
bool Near(double a, double b) {
  if (std::fabs(a) < 1e-300 && std::fabs(b) < 1e-300) return true;
  return std::fabs(a - b) <= 1e-14 * std::max(std::fabs(a), std::fabs(b));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Folder();
  std::atexit(RemoveFolder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<SpacingEdit> edits;
  const std::string_view host = TakeEdits(std::string_view(reinterpret_cast<const char*>(data), size), edits);
  const fs::path exchange = Folder() / "JWC_TEMP.TXT";
  {
    std::ofstream out(exchange, std::ios::binary | std::ios::trunc);
    out.write(host.data(), static_cast<std::streamsize>(host.size()));
    if (!out) Fail("cannot write the host's file");
  }

  JobView view;
  rupena::app::MainForm form(view, Folder() / "rupena.exe");
  form.OnShown();
  const Drawing& handedOver = form.HandedOver();
  const bool picked = !handedOver.texts.empty();
  // What OK is to write from: the picked text, and the grid once edited.
  const TextRecord text = picked ? handedOver.texts[0] : TextRecord{};
  for (const SpacingEdit& e : edits) {
    if (e.column >= 1 && e.column < view.grid.ColCount()) view.grid.SetCell(e.column, 1, e.text);
  }
  std::vector<std::string> expected;
  for (int col = 1; col < view.grid.ColCount(); ++col) {
    const std::string character = view.grid.Cell(col, 0);
    if (character == " " || character == "\x81\x40" || rupena::text::StripBlanks(character).empty()) continue;
    expected.push_back(ReadBackAs(character));
  }
  const bool pointsSomewhere = std::fabs(text.directionX) >= 1e-8 || std::fabs(text.directionY) >= 1e-8;
  if (!pointsSomewhere) expected.clear();
  const std::size_t separated = expected.size();
  // Then every other text handed over, as it came; a text that could not be
  // written as a command (blank, no direction) is left out.
  ForEachText(handedOver, [&expected](const OrderEntry& o, const TextRecord& t) {
    const bool isPicked = o.kind == EntityKind::kText && o.index == 0;
    if (!isPicked && TakesText(t.text, t.directionX, t.directionY)) expected.push_back(ReadBackAs(t.text));
  });
  form.OnOk();
  if (!view.closed) Fail("OK did not close the window");

  if (!picked) {
    // Nothing was picked: OK leaves the host's file as it was.
    std::ifstream in(exchange, std::ios::binary);
    const std::string now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (now != host) Fail("OK without a picked text changed the host's file");
    return 0;
  }

  Drawing back;
  if (!LoadExchangeFile(back, exchange)) Fail("the written file does not read back");
  std::vector<std::string> written;
  ForEachText(back, [&written](const OrderEntry&, const TextRecord& t) { written.push_back(t.text); });
  if (written.size() != expected.size()) {
    std::cerr << written.size() << " texts read back, " << expected.size() << " expected, "
              << separated << " of them separated characters\n";
    Fail("the written file holds another number of texts than it should");
  }
  for (std::size_t i = 0; i < expected.size(); ++i) {
    if (written[i] != expected[i]) {
      Fail(i < separated ? "a separated character reads back as another text"
                         : "a text handed over reads back as another text");
    }
  }
  for (std::size_t i = 0; i < separated; ++i) {
    const TextRecord& t = back.texts[i];
    if (back.entityOrder[i].kind != EntityKind::kText) Fail("a separated character reads back as a dimension");
    if (t.textKind != text.textKind) Fail("a separated character reads back with another text kind");
    if (!Near(t.directionX, text.directionX) || !Near(t.directionY, text.directionY))
      Fail("a separated character reads back pointing elsewhere");
  }
  return 0;
}
