// Times the exchange reader on one file.
//
//   reader_bench FILE [REPEAT]   loads FILE REPEAT times (default 5), each
//                                into a new drawing, and prints the first and
//                                the best time of LoadExchangeFile (the later
//                                runs with the memory of the earlier ones)
//   reader_bench --once FILE     loads FILE once and prints the peak resident
//                                memory of the whole process, before and after,
//                                and the bytes of records each table holds
//
// Output is "key value" lines for scripts. The exit code is non-zero when the
// file cannot be loaded, so a benchmark never reports figures for nothing.

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <limits>
#include <string_view>
#include <system_error>
#include <type_traits>

#if defined(__GLIBC__) && __has_include(<malloc.h>)
#include <malloc.h>
#define RUPENA_HAVE_MALLOPT 1
#endif

#if __has_include(<sys/resource.h>)
#include <sys/resource.h>
#define RUPENA_HAVE_RUSAGE 1
#endif

#include "exchange/drawing.h"
#include "exchange/exchange_reader.h"

namespace {

using rupena::exchange::Drawing;

double LoadSeconds(Drawing& drawing, const std::filesystem::path& file, bool& ok) {
  drawing = Drawing{};
  const auto start = std::chrono::steady_clock::now();
  ok = rupena::exchange::LoadExchangeFile(drawing, file);
  const auto stop = std::chrono::steady_clock::now();
  return std::chrono::duration<double>(stop - start).count();
}

// What the load produced, so that a figure always comes with evidence that
// the reader did the work.
void PrintDrawing(const Drawing& drawing) {
  std::cout << "entities " << drawing.entityOrder.size() << '\n';
  rupena::exchange::ForEachEntityTable(
      [](rupena::exchange::EntityKind, std::string_view name, const auto& table) {
        if (!table.empty()) std::cout << "drawing_" << name << ' ' << table.size() << '\n';
      },
      drawing);
}

// Where the memory of a load goes: records held per table, count times
// record size (the strings' own heap bytes not included).
void PrintTableBytes(const Drawing& drawing) {
  std::size_t total = 0;
  const auto print = [&total](rupena::exchange::EntityKind, std::string_view name, const auto& table) {
    using Record = std::remove_cvref_t<decltype(table[0])>;
    const std::size_t bytes = table.size() * sizeof(Record);
    total += bytes;
    if (bytes != 0) std::cout << "table_bytes_" << name << ' ' << bytes << '\n';
  };
  print(rupena::exchange::EntityKind{}, "entityOrder", drawing.entityOrder);
  rupena::exchange::ForEachEntityTable(print, drawing);
  std::cout << "table_bytes " << total << '\n';
}

// The runs after the first are to measure the reader with its memory warm.
// glibc hands the tables of one load back to the system once they are freed
// and maps fresh pages for the next, so every run would pay the page faults
// of the first; it is told to keep them.
void KeepFreedMemory() {
#ifdef RUPENA_HAVE_MALLOPT
  mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
  mallopt(M_MMAP_THRESHOLD, std::numeric_limits<int>::max());
#endif
}

#ifdef RUPENA_HAVE_RUSAGE
long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;  // kibibytes on Linux
}
#endif

int Once(Drawing& drawing, const std::filesystem::path& file) {
#ifdef RUPENA_HAVE_RUSAGE
  // The high-water mark before loading is the program's own baseline (code,
  // C++ runtime, an empty drawing); it is part of the peak below.
  const long baseline = PeakRssKiB();
  bool ok = false;
  const double seconds = LoadSeconds(drawing, file, ok);
  const long peak = PeakRssKiB();
  if (!ok) {
    std::cerr << "reader_bench: loading " << file << " failed\n";
    return 1;
  }
  std::cout << "seconds " << seconds << "\nbaseline_rss_kib " << baseline << "\npeak_rss_kib "
            << peak << '\n';
  PrintDrawing(drawing);
  PrintTableBytes(drawing);
  return 0;
#else
  (void)drawing;
  (void)file;
  std::cerr << "reader_bench: no getrusage on this platform\n";
  return 1;
#endif
}

int Repeat(Drawing& drawing, const std::filesystem::path& file, int repeat) {
  KeepFreedMemory();
  double first = 0.0;
  double best = 0.0;
  for (int i = 0; i < repeat; ++i) {
    bool ok = false;
    const double seconds = LoadSeconds(drawing, file, ok);
    if (!ok) {
      std::cerr << "reader_bench: loading " << file << " failed\n";
      return 1;
    }
    if (i == 0) first = seconds;
    best = i == 0 ? seconds : std::min(best, seconds);
  }
  std::cout << "repeat " << repeat << "\nfirst_seconds " << first << "\nbest_seconds " << best
            << '\n';
  PrintDrawing(drawing);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Drawing drawing;
  if (argc == 3 && std::string_view(argv[1]) == "--once") return Once(drawing, argv[2]);
  if (argc == 2) return Repeat(drawing, argv[1], 5);
  if (argc == 3) {
    const std::string_view text(argv[2]);
    int repeat = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), repeat);
    if (ec == std::errc{} && end == text.data() + text.size() && repeat > 0)
      return Repeat(drawing, argv[1], repeat);
  }
  std::cerr << "usage: reader_bench FILE [REPEAT]\n       reader_bench --once FILE\n";
  return 2;
}
