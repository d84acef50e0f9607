// Writes a large exchange file shaped like the ones the host hands over, for
// measuring the reader: CP932 bytes, CR LF line ends, the host's header, then
// a long run of figures in roughly the mix a real floor plan has (mostly plain
// lines, polyline runs, texts and dimension values with Japanese text, circles
// and arcs, attribute changes in between).
//
// The output depends only on the seed and the size: the random numbers come
// from our own generator, never from a library distribution whose results
// differ between standard libraries. The only inexact steps are cos, sin and
// pow, so two C math libraries may disagree in a last digit now and then.
//
//   gen_exchange OUTPUT SEED BYTES
//
// Stops after the first line that brings the file to BYTES or more. Prints
// the number of lines of each sort to stdout.

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iostream>
#include <numbers>
#include <string>
#include <string_view>
#include <system_error>

namespace {

// splitmix64: tiny, fast, and its sequence is fixed by the algorithm itself.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // Uniform in [0, n); the modulo bias is far below anything a benchmark sees.
  std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }

  // Uniform in [0, 1), from the top 53 bits.
  double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

  double Between(double lo, double hi) { return lo + (hi - lo) * Unit(); }

  bool Percent(std::uint32_t p) { return Below(100) < p; }

 private:
  std::uint64_t state_;
};

// Words as the host stores them: code page 932 bytes. Several hold a trail
// byte 0x5C (the ASCII backslash): 表, 能, ソ, 予, 構, 十.
constexpr std::array<std::string_view, 40> kWords = {
    "\x95\x5c\x8e\xa6",                  // 表示
    "\x8b\x40\x94\x5c",                  // 機能
    "\x83\x5c\x83\x74\x83\x40",          // ソファ
    "\x98\x61\x8e\xba",                  // 和室
    "\x97\x6d\x8e\xba",                  // 洋室
    "\x91\xe4\x8f\x8a",                  // 台所
    "\x8c\xba\x8a\xd6",                  // 玄関
    "\x97\x81\x8e\xba",                  // 浴室
    "\x95\xd6\x8f\x8a",                  // 便所
    "\x8b\x8f\x8a\xd4",                  // 居間
    "\x94\x5b\x8c\xcb",                  // 納戸
    "\x98\x4c\x89\xba",                  // 廊下
    "\x95\xbd\x96\xca\x90\x7d",          // 平面図
    "\x90\xa1\x96\x40",                  // 寸法
    "\x95\xc7\x90\x63",                  // 壁芯
    "\x91\x8b",                          // 窓
    "\x8a\x4b\x92\x69",                  // 階段
    "\x8e\xfb\x94\x5b",                  // 収納
    "\x83\x5f\x83\x43\x83\x6a\x83\x93\x83\x4f",  // ダイニング
    "\x8e\x71\x8b\x9f\x8e\xba",          // 子供室
    "\x8e\xe5\x90\x51\x8e\xba",          // 主寝室
    "\x90\xf4\x96\xca\x92\x45\x88\xdf\x8e\xba",  // 洗面脱衣室
    "\x83\x4e\x83\x8d\x81\x5b\x83\x5b\x83\x62\x83\x67",  // クローゼット
    "\x97\x5c\x92\xe8",                  // 予定
    "\x82\x50\x8a\x4b",                  // １階
    "\x82\x51\x8a\x4b",                  // ２階
    "\x8d\x5c\x91\xa2",                  // 構造
    "\x8f\x5c",                          // 十
    "\x89\x84\x8f\xb0\x96\xca\x90\xcf",  // 延床面積
    "\x93\x5f\x8c\x9f\x8c\xfb",          // 点検口
    "\x8a\xb7\x8b\x43\x90\xee",          // 換気扇
    "\x82\x6f\x82\x72",                  // ＰＳ
    "\x82\x74\x82\x6f",                  // ＵＰ
    "\x82\x63\x82\x6d",                  // ＤＮ
    "\xb7\xaf\xc1\xdd",                  // ｷｯﾁﾝ (half-width)
    "\xd8\xcb\xde\xdd\xb8\xde",          // ﾘﾋﾞﾝｸﾞ (half-width)
    "\xbf\xcc\xa7",                      // ｿﾌｧ (half-width)
    "\x87\x40", "\x87\x41", "\x87\x42",  // ① ② ③
};

constexpr std::string_view kSquareMetre = "\x87\x75";  // ㎡
constexpr std::string_view kIdeographicSpace = "\x81\x40";
constexpr std::string_view kFullWidthW = "\x82\x76";  // Ｗ
constexpr std::string_view kTimes = "\x81\x7e";       // ×

// The ten text types of the header: paper sizes in millimetres.
constexpr std::array<double, 10> kTypeWidth = {2, 2.5, 3, 4, 5, 6, 7, 8, 9, 10};
constexpr std::array<double, 10> kTypeSpacing = {0, 0, 0, 0, 0, 0, 0.5, 0.5, 1, 1};
constexpr std::array<int, 16> kGroupScale = {50, 100, 100, 100, 20, 100, 100, 100,
                                             100, 100, 100, 100, 100, 100, 100, 30};

void AppendInt(std::string& out, long long v) {
  std::array<char, 24> tmp{};
  const auto result = std::to_chars(tmp.data(), tmp.data() + tmp.size(), v);
  out.append(tmp.data(), result.ptr);
}

// The host's real format: 15 significant digits, no trailing zeros, and a
// three-digit exponent ("e-005") where to_chars writes two.
void AppendReal(std::string& out, double v) {
  if (v == 0.0) v = 0.0;  // never "-0"
  std::array<char, 40> tmp{};
  const auto result =
      std::to_chars(tmp.data(), tmp.data() + tmp.size(), v, std::chars_format::general, 15);
  const std::string_view text(tmp.data(), static_cast<std::size_t>(result.ptr - tmp.data()));
  const std::size_t e = text.find('e');
  if (e == std::string_view::npos) {
    out.append(text);
    return;
  }
  out.append(text.substr(0, e + 2));  // mantissa, 'e' and the sign
  const std::string_view digits = text.substr(e + 2);
  for (std::size_t i = digits.size(); i < 3; ++i) out.push_back('0');
  out.append(digits);
}

class ExchangeWriter {
 public:
  explicit ExchangeWriter(std::ofstream& out) : out_(out) { buffer_.reserve(kFlushAt + 4096); }

  std::uint64_t Bytes() const { return written_ + buffer_.size(); }

  void Put(std::string_view s) { buffer_.append(s); }
  void Put(char c) { buffer_.push_back(c); }
  void Int(long long v) { AppendInt(buffer_, v); }
  void Real(double v) { AppendReal(buffer_, v); }

  void EndLine() {
    buffer_.append("\r\n");
    if (buffer_.size() >= kFlushAt) Flush();
  }

  void Flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    written_ += buffer_.size();
    buffer_.clear();
  }

 private:
  static constexpr std::size_t kFlushAt = std::size_t{1} << 20;
  std::ofstream& out_;
  std::string buffer_;
  std::uint64_t written_ = 0;
};

struct Counts {
  std::uint64_t header = 0, plain = 0, polylineMarks = 0, polylineMembers = 0, texts = 0,
                dimensions = 0, circles = 0, arcs = 0, attributes = 0;
  std::uint64_t Total() const {
    return header + plain + polylineMarks + polylineMembers + texts + dimensions + circles +
           arcs + attributes;
  }
};

class Generator {
 public:
  Generator(ExchangeWriter& w, std::uint64_t seed) : w_(w), rng_(seed) {}

  const Counts& Tally() const { return counts_; }

  void Header() {
    Line("hq");
    Line("hk 0");
    w_.Put("hs");
    for (int s : kGroupScale) {
      w_.Put(' ');
      w_.Int(s);
    }
    End(counts_.header);
    SizeRow("hcw", kTypeWidth);
    SizeRow("hch", kTypeWidth);
    SizeRow("hcd", kTypeSpacing);
    // Colours right-aligned in seven-character columns, as the host pads them.
    constexpr std::array<int, 10> colours = {1, 1, 2, 2, 2, 2, 2, 2, 2, 2};
    w_.Put("hcc");
    std::string column;
    for (int c : colours) {
      column.clear();
      AppendInt(column, c);
      w_.Put(std::string(7 - std::min<std::size_t>(column.size(), 7), ' '));
      w_.Put(column);
    }
    End(counts_.header);
    w_.Put("hn ");
    w_.Real(-21431.6582914573);
    w_.Put(' ');
    w_.Real(-14873.5);
    w_.Put(' ');
    w_.Real(23006.0301507538);
    w_.Put(' ');
    w_.Real(15127.3869346734);
    End(counts_.header);
    Line("lg0");
    Line("lye");
    Line("lc1");
    Line("lt1");
    Line("cn1");
    w_.Put("cn\"$<\x82\x6c\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4e>");  // <ＭＳ ゴシック>
    End(counts_.header);
    Line("#");
  }

  // One figure or attribute change. The weights give a file in which about
  // six lines in ten are plain lines, like a floor plan's.
  void Step() {
    const std::uint32_t pick = rng_.Below(100);
    if (pick < 49) {
      PlainLine();
    } else if (pick < 52) {
      PolylineRun();
    } else if (pick < 64) {
      Text();
    } else if (pick < 69) {
      Dimension();
    } else if (pick < 74) {
      Circle();
    } else if (pick < 79) {
      Arc();
    } else {
      Attribute();
    }
  }

 private:
  void Line(std::string_view s) {
    w_.Put(s);
    End(counts_.header);
  }

  void End(std::uint64_t& counter) {
    w_.EndLine();
    ++counter;
  }

  void SizeRow(std::string_view keyword, const std::array<double, 10>& values) {
    w_.Put(keyword);
    for (double v : values) {
      w_.Put(' ');
      w_.Real(v);
    }
    End(counts_.header);
  }

  // A coordinate as drawn: on the grid (whole or half units) or computed by
  // an offset, intersection or rotation (15 digits). Now and then a value the
  // host computed as "zero" carries the rounding left-over.
  double Coordinate(double v) {
    const std::uint32_t form = rng_.Below(100);
    if (form < 35) return std::round(v);
    if (form < 45) return std::round(v * 2.0) / 2.0;
    if (form < 50) return std::round(v * 100.0) / 100.0;
    return v;
  }

  double Noise() {
    // ±(1e-12 .. 1e-4): the tiny exponents the host writes for near-zero values.
    const double exponent = rng_.Between(-12.0, -4.0);
    const double v = std::pow(10.0, exponent) * rng_.Between(1.0, 9.99);
    return rng_.Percent(50) ? -v : v;
  }

  // A point in the drawing area. One statement per draw: the order in which
  // function arguments are evaluated differs between compilers, and the file
  // must not.
  void SomewhereOnSheet() {
    const double x = Coordinate(rng_.Between(-20000.0, 20000.0));
    const double y = Coordinate(rng_.Between(-14000.0, 14000.0));
    Point(x, y);
  }

  void Point(double x, double y) {
    w_.Real(x);
    w_.Put(' ');
    w_.Real(y);
  }

  void Segment(double x1, double y1, double x2, double y2) {
    w_.Put(' ');
    Point(x1, y1);
    w_.Put(' ');
    Point(x2, y2);
  }

  void PlainLine() {
    double x1 = Coordinate(rng_.Between(-20000.0, 20000.0));
    double y1 = Coordinate(rng_.Between(-14000.0, 14000.0));
    const double length = Coordinate(rng_.Between(50.0, 9000.0));
    double x2 = x1;
    double y2 = y1;
    const std::uint32_t dir = rng_.Below(100);
    if (dir < 40) {
      x2 = x1 + (rng_.Percent(50) ? length : -length);
    } else if (dir < 75) {
      y2 = y1 + (rng_.Percent(50) ? length : -length);
    } else {
      const double angle = rng_.Between(0.0, 2.0 * std::numbers::pi);
      x2 = x1 + length * std::cos(angle);
      y2 = y1 + length * std::sin(angle);
    }
    if (rng_.Percent(2)) x1 = Noise();
    if (rng_.Percent(2)) y2 = Noise();
    Segment(x1, y1, x2, y2);
    End(counts_.plain);
  }

  void PolylineRun() {
    w_.Put("pl");
    End(counts_.polylineMarks);
    double x = Coordinate(rng_.Between(-20000.0, 20000.0));
    double y = Coordinate(rng_.Between(-14000.0, 14000.0));
    const std::uint32_t members = 3 + rng_.Below(18);
    for (std::uint32_t i = 0; i < members; ++i) {
      const double angle = rng_.Between(0.0, 2.0 * std::numbers::pi);
      const double step = rng_.Between(20.0, 1500.0);
      const double nx = x + step * std::cos(angle);
      const double ny = y + step * std::sin(angle);
      Segment(x, y, nx, ny);
      End(counts_.polylineMembers);
      x = nx;
      y = ny;
    }
    w_.Put("#");
    End(counts_.polylineMarks);
  }

  // Fills `body` with a text and returns its width in half-width columns.
  int TextBody(std::string& body) {
    body.clear();
    int columns = 0;
    const std::uint32_t words = 1 + rng_.Below(3);
    for (std::uint32_t i = 0; i < words; ++i) {
      if (i > 0) {
        const bool wide = rng_.Percent(50);
        body.append(wide ? kIdeographicSpace : std::string_view(" "));
        columns += wide ? 2 : 1;
      }
      const std::string_view word = kWords[rng_.Below(static_cast<std::uint32_t>(kWords.size()))];
      body.append(word);
      for (std::size_t k = 0; k < word.size(); ++k) {
        const auto b = static_cast<unsigned char>(word[k]);
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        columns += lead ? 2 : 1;
        if (lead) ++k;
      }
    }
    const std::uint32_t tail = rng_.Below(10);
    if (tail == 0) {
      body.push_back(' ');
      AppendReal(body, std::round(rng_.Between(3.0, 40.0) * 100.0) / 100.0);
      body.append(kSquareMetre);
      columns += 8;
    } else if (tail == 1) {
      body.append(kFullWidthW);
      body.push_back('=');  // an "=" inside a text stays text
      AppendInt(body, 300 + 10 * rng_.Below(150));
      body.append(kTimes);
      AppendInt(body, 300 + 10 * rng_.Below(150));
      columns += 12;
    }
    return columns;
  }

  // Direction vector of a text of `length`: mostly horizontal, some turned a
  // quarter (where the host's rotation leaves a tiny, never exactly zero
  // component), some at an arbitrary angle.
  void Direction(double length) {
    const std::uint32_t form = rng_.Below(100);
    double angle = 0.0;
    if (form < 75) {
      Point(length, 0.0);
      return;
    }
    if (form < 90) {
      angle = std::numbers::pi / 2.0 + rng_.Between(-1e-7, 1e-7);
    } else {
      angle = rng_.Between(0.0, 2.0 * std::numbers::pi);
    }
    Point(length * std::cos(angle), length * std::sin(angle));
  }

  void Text() {
    w_.Put("ch ");
    SomewhereOnSheet();
    w_.Put(' ');
    // Without "bz" the coordinates are real sizes: paper size times the
    // group's scale. Text-type sizes are per full-width character.
    const int columns = TextBody(textBuffer_);
    const auto type = static_cast<std::size_t>(textType_ - 1);
    const double advance = (kTypeWidth[type] + kTypeSpacing[type]) * scale_ / 2.0;
    Direction(advance * columns);
    w_.Put(" \"");
    w_.Put(textBuffer_);
    End(counts_.texts);
  }

  void Dimension() {
    w_.Put("cs ");
    SomewhereOnSheet();
    w_.Put(' ');
    // Millimetres on the 910 module (in half steps) or in 50 mm steps, with a
    // thousands comma as the host writes dimension values.
    const int value = rng_.Percent(60) ? 455 * static_cast<int>(1 + rng_.Below(16))
                                       : 50 * static_cast<int>(1 + rng_.Below(200));
    std::string text;
    if (value >= 1000) {
      text = std::to_string(value / 1000) + ",";
      const std::string rest = std::to_string(value % 1000);
      text += std::string(3 - rest.size(), '0') + rest;
    } else {
      text = std::to_string(value);
    }
    const double length = 150.0 * static_cast<double>(text.size());
    Direction(length);
    w_.Put(" \"");
    w_.Put(text);
    End(counts_.dimensions);
  }

  void Circle() {
    w_.Put("ci ");
    SomewhereOnSheet();
    w_.Put(' ');
    w_.Real(Coordinate(rng_.Between(10.0, 3000.0)));
    End(counts_.circles);
  }

  // An arc: centre, radius, start and end angle in degrees, flatness, tilt.
  void Arc() {
    w_.Put("ci ");
    SomewhereOnSheet();
    w_.Put(' ');
    w_.Real(Coordinate(rng_.Between(100.0, 2000.0)));
    const bool quarter = rng_.Percent(60);
    const double start = quarter ? 90.0 * static_cast<double>(rng_.Below(4)) : rng_.Between(0.0, 360.0);
    const double sweep = quarter ? 90.0 : rng_.Between(5.0, 300.0);
    w_.Put(' ');
    w_.Real(start);
    w_.Put(' ');
    w_.Real(std::fmod(start + sweep, 360.0));
    w_.Put(' ');
    w_.Real(rng_.Percent(85) ? 1.0 : rng_.Between(0.2, 1.0));
    w_.Put(' ');
    w_.Real(rng_.Percent(85) ? 0.0 : rng_.Between(0.0, 180.0));
    End(counts_.arcs);
  }

  void Attribute() {
    constexpr std::string_view kHex = "0123456789abcdef";
    const std::uint32_t pick = rng_.Below(100);
    if (pick < 25) {
      w_.Put("ly");
      w_.Put(kHex[rng_.Below(16)]);
    } else if (pick < 32) {
      const std::uint32_t group = rng_.Below(16);
      w_.Put("lg");
      w_.Put(kHex[group]);
      scale_ = kGroupScale[group];
    } else if (pick < 55) {
      w_.Put("lc");
      w_.Int(1 + rng_.Below(9));
    } else if (pick < 65) {
      w_.Put("lt");
      w_.Int(1 + rng_.Below(9));
    } else if (pick < 80) {
      textType_ = static_cast<int>(1 + rng_.Below(10));
      w_.Put("cn");
      w_.Int(textType_);
    } else if (pick < 90) {
      w_.Put('z');
      w_.Int(1 + rng_.Below(5));
    } else {
      w_.Put("hhp");
      w_.Int(1 + rng_.Below(20));
      if (rng_.Percent(50)) w_.Put(rng_.Percent(50) ? "ln" : "ci");
    }
    End(counts_.attributes);
  }

  ExchangeWriter& w_;
  Rng rng_;
  Counts counts_;
  int textType_ = 1;
  double scale_ = kGroupScale[0];
  std::string textBuffer_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: gen_exchange OUTPUT SEED BYTES\n";
    return 2;
  }
  const std::string_view seedText(argv[2]);
  const std::string_view sizeText(argv[3]);
  std::uint64_t seed = 0;
  std::uint64_t size = 0;
  if (std::from_chars(seedText.data(), seedText.data() + seedText.size(), seed).ec != std::errc{} ||
      std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), size).ec != std::errc{}) {
    std::cerr << "gen_exchange: SEED and BYTES must be decimal numbers\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  if (!out) {
    std::cerr << "gen_exchange: cannot create " << argv[1] << '\n';
    return 1;
  }
  ExchangeWriter writer(out);
  Generator gen(writer, seed);
  gen.Header();
  while (writer.Bytes() < size) gen.Step();
  writer.Flush();
  out.close();
  if (!out) {
    std::cerr << "gen_exchange: writing " << argv[1] << " failed\n";
    return 1;
  }
  const Counts& c = gen.Tally();
  std::cout << "bytes " << writer.Bytes() << "\nlines " << c.Total() << "\nheader " << c.header
            << "\nplain " << c.plain << "\npolyline_marks " << c.polylineMarks
            << "\npolyline_members " << c.polylineMembers << "\ntexts " << c.texts
            << "\ndimensions " << c.dimensions << "\ncircles " << c.circles << "\narcs "
            << c.arcs << "\nattributes " << c.attributes << '\n';
  return 0;
}
