// Console front end over the core: inspects exchange files and runs the
// tool's job headless, exactly as the window would.
//
//   rupena-cli dump FILE
//   rupena-cli grid FILE
//   rupena-cli split FILE [-o OUT] [--spacing N=TEXT]...
//
// Exit codes: 0 success, 1 no text to split, 2 usage error, 3 write failed.
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/character_layout.h"
#include "app/separated_output.h"
#include "exchange/drawing.h"
#include "exchange/exchange_reader.h"
#include "exchange/exchange_writer.h"
#include "tools/dump_json.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNoText = 1;
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

// The drawing right after loading, and where the reader stood.
int Dump(const Args& args) {
  if (args.size() != 1) return Usage();
  Drawing drawing;
  rupena::exchange::ExchangeReader reader(drawing);
  const bool loaded = reader.ReadFile(std::filesystem::path(args[0]));
  Print(rupena::tools::DumpJson(drawing, reader.State(), loaded));
  return kExitOk;
}

int Grid(const Args& args) {
  if (args.size() != 1) return Usage();
  Drawing drawing;
  rupena::exchange::LoadExchangeFile(drawing, std::filesystem::path(args[0]));
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
  std::vector<std::pair<int, std::string_view>> spacings;  // data column, text
};

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
      o.spacings.emplace_back(*col, assignment.substr(eq + 1));
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
  rupena::exchange::LoadExchangeFile(drawing, std::filesystem::path(options->file));
  rupena::app::SpacingCells grid;
  rupena::app::FillSpacingGrid(Picked(drawing), grid);
  for (const auto& [col, text] : options->spacings) {
    if (col >= grid.ColCount()) {
      std::cerr << "rupena-cli: no data column " << col << " (the text has "
                << grid.ColCount() - 1 << ")\n";
      return Usage();
    }
  }
  if (Picked(drawing) == nullptr) {
    std::cerr << "rupena-cli: " << options->file << " holds no text; nothing written\n";
    return kExitNoText;
  }
  for (const auto& [col, text] : options->spacings) grid.SetCell(col, 1, text);
  rupena::exchange::ExchangeWriter writer(drawing);
  rupena::app::EmitSeparatedText(writer, drawing, 0,
                                 rupena::app::PlaceCharacters(*Picked(drawing), rupena::app::GridSpacings(grid)));
  const std::filesystem::path out(options->out.value_or(options->file));
  if (!writer.WriteFile(out)) {
    std::cerr << "rupena-cli: could not write " << out.string() << "\n";
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
