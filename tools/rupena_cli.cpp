// Console front end over the core: inspects exchange files and runs the
// tool's job headless, exactly as the window would.
//
//   rupena-cli dump FILE
//   rupena-cli grid FILE
//   rupena-cli split FILE [-o OUT] [--spacing N=TEXT]...
//
// Exit codes: 0 success; 1 FILE cannot be read, or (grid, split) holds no
// text; 2 usage error; 3 the output cannot be written. Every failure says
// what and why on standard error.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "app/character_layout.h"
#include "app/number_input.h"
#include "app/separated_output.h"
#include "exchange/drawing.h"
#include "exchange/exchange_reader.h"
#include "exchange/exchange_writer.h"
#include "tools/dump_json.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNoInput = 1;
constexpr int kExitUsage = 2;
constexpr int kExitWriteFailed = 3;

using Args = std::vector<std::string_view>;

int Usage() {
  std::cerr << "usage: rupena-cli dump FILE\n"
               "       rupena-cli grid FILE\n"
               "       rupena-cli split FILE [-o OUT] [--spacing N=TEXT]...\n";
  return kExitUsage;
}

void Print(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

using rupena::exchange::Drawing;

// The text the window splits: the first one handed over, or none.
const rupena::exchange::TextRecord* Picked(const Drawing& drawing) {
  return drawing.texts.empty() ? nullptr : &drawing.texts[0];
}

// Reads FILE with `reader`; false, having said why, when it cannot be read.
bool Read(rupena::exchange::ExchangeReader& reader, std::string_view file) {
  const std::error_code failed = reader.ReadFile(std::filesystem::path(file));
  if (failed) std::cerr << "rupena-cli: cannot read " << file << ": " << failed.message() << "\n";
  return !failed;
}

// FILE as the window reads it, with its text; false, having said why, when
// it cannot be read or holds no text.
bool ReadWithText(Drawing& drawing, std::string_view file) {
  rupena::exchange::ExchangeReader reader(drawing);
  if (!Read(reader, file)) return false;
  if (Picked(drawing) == nullptr) std::cerr << "rupena-cli: " << file << " holds no text\n";
  return Picked(drawing) != nullptr;
}

// The drawing right after reading, and where the reader stood.
int Dump(const Args& args) {
  if (args.size() != 1) return Usage();
  Drawing drawing;
  rupena::exchange::ExchangeReader reader(drawing);
  if (!Read(reader, args[0])) return kExitNoInput;
  Print(rupena::tools::DumpJson(drawing, reader.State(), true));
  return kExitOk;
}

int Grid(const Args& args) {
  if (args.size() != 1) return Usage();
  Drawing drawing;
  if (!ReadWithText(drawing, args[0])) return kExitNoInput;
  rupena::app::SpacingCells grid;
  rupena::app::FillSpacingGrid(Picked(drawing), grid);
  std::string out;
  for (int col = 1; col < grid.ColCount(); ++col) {
    out += std::to_string(col);
    out += '\t';
    out += grid.Cell(col, 0);
    out += '\t';
    out += grid.Cell(col, 1);
    out += '\n';
  }
  Print(out);
  return kExitOk;
}

struct SplitOptions {
  std::string_view file;
  std::optional<std::string_view> out;
  std::vector<std::pair<int, std::string>> spacings;  // data column, cell text
};

// UTF-8 as UTF-16, or nullopt where the bytes are no UTF-8 of the basic
// plane (a terminal's arguments are UTF-8).
std::optional<std::u16string> FromUtf8(std::string_view bytes) {
  std::u16string text;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    const std::size_t length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : 0;
    if (length == 0 || i + length > bytes.size()) return std::nullopt;
    char32_t c = length == 1 ? b : length == 2 ? (b & 0x1F) : (b & 0x0F);
    for (std::size_t k = 1; k < length; ++k) {
      const auto t = static_cast<unsigned char>(bytes[i + k]);
      if ((t & 0xC0) != 0x80) return std::nullopt;
      c = c << 6 | (t & 0x3F);
    }
    text.push_back(static_cast<char16_t>(c));
    i += length;
  }
  return text;
}

// A spacing as the window stores what is typed: full-width digits, signs
// and points as their ASCII forms. Anything else stays as given.
std::string SpacingCellText(std::string_view argument) {
  const std::optional<std::u16string> text = FromUtf8(argument);
  if (!text) return std::string(argument);
  const std::u16string normal = rupena::app::NormaliseNumberText(*text);
  if (std::any_of(normal.begin(), normal.end(), [](char16_t c) { return c >= 0x80; })) {
    return std::string(argument);
  }
  return std::string(normal.begin(), normal.end());
}

std::optional<int> ParseColumn(std::string_view s) {
  int n = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), n);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || n < 1) return std::nullopt;
  return n;
}

std::optional<SplitOptions> ParseSplit(const Args& args) {
  SplitOptions o;
  bool haveFile = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (a == "-o" && i + 1 < args.size() && !o.out) {
      o.out = args[++i];
    } else if (a == "--spacing" && i + 1 < args.size()) {
      const std::string_view assignment = args[++i];
      const auto eq = assignment.find('=');
      if (eq == std::string_view::npos) return std::nullopt;
      const auto col = ParseColumn(assignment.substr(0, eq));
      if (!col) return std::nullopt;
      o.spacings.emplace_back(*col, SpacingCellText(assignment.substr(eq + 1)));
    } else if (!a.empty() && a[0] != '-' && !haveFile) {
      o.file = a;
      haveFile = true;
    } else {
      return std::nullopt;
    }
  }
  if (!haveFile) return std::nullopt;
  return o;
}

int Split(const Args& args) {
  const auto options = ParseSplit(args);
  if (!options) return Usage();
  Drawing drawing;
  if (!ReadWithText(drawing, options->file)) return kExitNoInput;
  rupena::app::SpacingCells grid;
  rupena::app::FillSpacingGrid(Picked(drawing), grid);
  for (const auto& [col, text] : options->spacings) {
    if (col >= grid.ColCount()) {
      std::cerr << "rupena-cli: no data column " << col << " (the text has "
                << grid.ColCount() - 1 << ")\n";
      return Usage();
    }
  }
  for (const auto& [col, text] : options->spacings) grid.SetCell(col, 1, text);
  rupena::exchange::ExchangeWriter writer(drawing);
  rupena::app::EmitSeparatedText(writer, drawing, 0,
                                 rupena::app::PlaceCharacters(*Picked(drawing), rupena::app::GridSpacings(grid)));
  const std::filesystem::path out(options->out.value_or(options->file));
  if (const std::error_code failed = writer.WriteFile(out)) {
    std::cerr << "rupena-cli: cannot write " << out.string() << ": " << failed.message() << "\n";
    return kExitWriteFailed;
  }
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const std::string_view command = argv[1];
  const Args args(argv + 2, argv + argc);
  try {
    if (command == "dump") return Dump(args);
    if (command == "grid") return Grid(args);
    if (command == "split") return Split(args);
  } catch (const std::exception& e) {
    std::cerr << "rupena-cli: " << e.what() << "\n";
    return 1;
  }
  return Usage();
}
