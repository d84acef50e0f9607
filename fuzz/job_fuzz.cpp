// libFuzzer target for the tool's whole job on arbitrary bytes, as the
// window runs it: the host's file is written beside a would-be executable,
// then the lifecycle shows (reset, load, prepare, fill the grid), a few
// spacing cells are edited, and OK writes the file back; that file is then
// read back. Besides crashes, leaks and hangs it reports a written file that
// does not read back with the separated characters in order, one text each,
// of the picked text's kind and direction, or a run that leaves the file
// unwritten.
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
#include <vector>

#include "app/char_layout.h"
#include "app/main_form.h"
#include "exchange/drawing_model.h"
#include "exchange/exchange_reader.h"
#include "textutil/text_utils.h"

namespace {

namespace fs = std::filesystem;
using namespace JwwGaibu;

[[noreturn]] void Fail(std::string_view what) {
  std::cerr << "job_fuzz: " << what << '\n';
  std::abort();
}

// The window as the lifecycle sees it, with nothing to show.
class JobView final : public Unit1::FormView {
 public:
  Unit1::CharGrid& Grid() override { return grid; }
  void SetLabelFont(std::string_view) override {}
  void SetLabelCaption(std::string_view) override {}
  void RedrawLabelNow() override {}
  void SetStatus(std::string_view) override {}
  void MoveTo(Unit1::WindowPosition p) override { position = p; }
  Unit1::WindowPosition Position() const override { return position; }
  void Close() override { closed = true; }

  Unit1::StringCells grid;
  Unit1::WindowPosition position;
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

// What a text command of `character` reads back as: the reader keeps the
// bytes after the quote, but drops a lead byte that ends the line.
std::string ReadBackAs(std::string_view character) {
  if (character.size() == 1 && MyFunc::IsLeadByte(static_cast<unsigned char>(character[0]))) return "";
  return std::string(character);
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
  Unit1::MainForm form(view, Folder() / "rupena.exe");
  form.OnShown();
  const bool picked = Unit1::Model.Texts.Count() > 0;
  // What OK is to write from: the picked text, and the grid once edited.
  const TJwwEntText text = picked ? Unit1::Model.Texts[0] : TJwwEntText{};
  for (const SpacingEdit& e : edits) {
    if (e.column >= 1 && e.column < view.grid.ColCount()) view.grid.SetCell(e.column, 1, e.text);
  }
  std::vector<std::string> expected;
  for (int col = 1; col < view.grid.ColCount(); ++col) {
    const std::string character = view.grid.Cell(col, 0);
    if (character == " " || character == "\x81\x40" || MyFunc::StripBlanks(character).empty()) continue;
    expected.push_back(ReadBackAs(character));
  }
  const bool pointsSomewhere = std::fabs(text.DirX) >= 1e-8 || std::fabs(text.DirY) >= 1e-8;
  if (!pointsSomewhere) expected.clear();

  form.OnOk();
  if (!view.closed) Fail("OK did not close the window");
  // The tool ends here: what the run allocated is freed with it, so that
  // libFuzzer counts no leak.
  Unit1::Model = TJwwModel{};

  if (!picked) {
    // Nothing was picked: OK leaves the host's file as it was.
    std::ifstream in(exchange, std::ios::binary);
    const std::string now((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (now != host) Fail("OK without a picked text changed the host's file");
    return 0;
  }

  TJwwModel back;
  ResetModel(back);
  if (!LoadExchangeFile(back, exchange)) Fail("the written file does not read back");
  if (back.Texts.Count() != static_cast<std::int32_t>(expected.size())) {
    std::cerr << back.Texts.Count() << " texts read back, " << expected.size() << " expected\n";
    Fail("the written file holds another number of texts than characters were separated");
  }
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const TJwwEntText& t = back.Texts[i];
    if (t.Text != expected[i]) Fail("a separated character reads back as another text");
    if (t.TextKind != text.TextKind) Fail("a separated character reads back with another text kind");
    if (!Near(t.DirX, text.DirX) || !Near(t.DirY, text.DirY))
      Fail("a separated character reads back pointing elsewhere");
  }
  if (back.MsgTexts.Count() != 0) Fail("the written file holds a message text");
  ReleaseModel(back);
  return 0;
}
