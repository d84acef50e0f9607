// Console front end over the core: inspects exchange files and runs the
// tool's job headless, exactly as the window would.
//
//   rupena-cli dump FILE
//   rupena-cli grid FILE [--text N] [--length L]
//   rupena-cli split FILE [-o OUT] [--text N] [--spacing N=TEXT]... [--length L]
//
// Exit codes: 0 success; 1 FILE cannot be read, or (grid, split) holds no
// text; 2 usage error; 3 the output cannot be written. Every failure says
// what and why on standard error.
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
#include "app/separated_output.h"
#include "exchange/drawing.h"
#include "exchange/exchange_reader.h"
#include "exchange/exchange_writer.h"
#include "tools/cli_options.h"
#include "tools/dump_json.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitNoInput = 1;
constexpr int kExitUsage = 2;
constexpr int kExitWriteFailed = 3;

using Args = std::vector<std::string_view>;

int Usage() {
  std::cerr << "usage: rupena-cli dump FILE\n"
               "       rupena-cli grid FILE [--text N] [--length L]\n"
               "       rupena-cli split FILE [-o OUT] [--text N] [--spacing N=TEXT]... [--length L]\n";
  return kExitUsage;
}

void Print(std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); }

using rupena::exchange::Drawing;

// Reads FILE with `reader`; false, having said why, when it cannot be read.
bool Read(rupena::exchange::ExchangeReader& reader, std::string_view file) {
  const std::error_code failed = reader.ReadFile(std::filesystem::path(file));
  if (failed) std::cerr << "rupena-cli: cannot read " << file << ": " << failed.message() << "\n";
  return !failed;
}

// FILE as the window reads it, with a text; false, having said why, when it
// cannot be read or holds no text.
bool ReadWithText(Drawing& drawing, std::string_view file) {
  rupena::exchange::ExchangeReader reader(drawing);
  if (!Read(reader, file)) return false;
  if (drawing.texts.empty()) std::cerr << "rupena-cli: " << file << " holds no text\n";
  return !drawing.texts.empty();
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

// The grid of the chosen text, with the spacings and the length the
// command line gives; the text's index in `picked`. Returns an exit code
// other than kExitOk, having said why, when there is nothing to show.
int PrepareGrid(const rupena::tools::JobOptions& o, Drawing& drawing, rupena::app::SpacingCells& grid,
                std::size_t& picked) {
  if (!ReadWithText(drawing, o.file)) return kExitNoInput;
  picked = static_cast<std::size_t>(o.text - 1);
  if (picked >= drawing.texts.size()) {
    std::cerr << "rupena-cli: no text " << o.text << " (" << o.file << " holds "
              << drawing.texts.size() << ")\n";
    return Usage();
  }
  const rupena::exchange::TextRecord& text = drawing.texts[picked];
  rupena::app::FillSpacingGrid(&text, grid);
  for (const auto& [col, cell] : o.spacings) {
    if (col >= grid.ColCount()) {
      std::cerr << "rupena-cli: no data column " << col << " (the text has "
                << grid.ColCount() - 1 << ")\n";
      return Usage();
    }
    grid.SetCell(col, 1, cell);
  }
  if (o.length) {
    const std::optional<double> spacing = rupena::app::SpacingForLength(text, *o.length);
    if (!spacing) {
      std::cerr << "rupena-cli: one character has no spacing to spread over a length\n";
      return Usage();
    }
    rupena::app::SetSpacingsBetween(grid, *spacing);
  }
  return kExitOk;
}

int Grid(const Args& args) {
  const auto options = rupena::tools::ParseJobOptions(args, false);
  if (!options) return Usage();
  Drawing drawing;
  rupena::app::SpacingCells grid;
  std::size_t picked = 0;
  if (const int code = PrepareGrid(*options, drawing, grid, picked); code != kExitOk) return code;
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

int Split(const Args& args) {
  const auto options = rupena::tools::ParseJobOptions(args, true);
  if (!options) return Usage();
  Drawing drawing;
  rupena::app::SpacingCells grid;
  std::size_t picked = 0;
  if (const int code = PrepareGrid(*options, drawing, grid, picked); code != kExitOk) return code;
  rupena::exchange::ExchangeWriter writer(drawing);
  rupena::app::EmitSeparatedText(
      writer, drawing, picked,
      rupena::app::PlaceCharacters(drawing.texts[picked], rupena::app::GridSpacings(grid)));
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
