#include "exchange/exchange_reader.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <memory>
#include <system_error>

#include "exchange/drawing_model.h"
#include "textutil/text_utils.h"

// SSE2 is part of every x86-64 processor; elsewhere the byte classes alone
// do the cutting.
#if defined(__SSE2__)
#include <emmintrin.h>
#define RUPENA_SPLIT_MASKS 1
#else
#define RUPENA_SPLIT_MASKS 0
#endif

namespace JwwGaibu {

// ---------------------------------------------------------------------------
// Field cutting

namespace {

// What a byte does while splitting is on. Once splitting is off a lead
// byte still takes its partner, tabs and kDrop bytes are still dropped, and
// every other byte is appended.
enum ByteClass : std::uint8_t { kAppend, kLead, kQuote, kEquals, kBlank, kTab, kDrop };

constexpr std::array<std::uint8_t, 256> MakeByteClasses() {
  std::array<std::uint8_t, 256> classes{};
  for (unsigned b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    std::uint8_t c = kAppend;
    if (MyFunc::IsLeadByte(byte)) c = kLead;
    else if (b == 0x22) c = kQuote;
    else if (b == 0x3D) c = kEquals;
    else if (b == 0x20) c = kBlank;
    else if (b == 0x09) c = kTab;
    else if (b < 0x20 || b > 0xFD) c = kDrop;
    classes[b] = c;
  }
  return classes;
}

constexpr std::array<std::uint8_t, 256> kByteClass = MakeByteClasses();

// Beyond this the cutter gives its buffer back after a long line, so that one
// huge line does not pin its size for the rest of the load.
constexpr std::size_t kCutterKeep = std::size_t{1} << 20;

// Ordinary bytes are copied unchanged and need no decision: printable ASCII
// apart from the blank, '"' and '=' while splitting, and printable ASCII with
// the blank once splitting is off. Everything else (bytes from 0x80 up
// included, whatever their class) goes through the byte classes one by one.
template <bool Splitting>
constexpr bool IsOrdinary(unsigned char b) noexcept {
  if constexpr (Splitting) return b > 0x20 && b < 0x80 && b != '"' && b != '=';
  else return b >= 0x20 && b < 0x80;
}

// A mask whose lowest set bit lies in the first byte of `x` (in memory
// order, little-endian) that is not ordinary. Bits above that byte may be
// set spuriously by borrows; only the lowest one is used.
template <bool Splitting>
constexpr std::uint64_t NotOrdinaryMask(std::uint64_t x) noexcept {
  constexpr std::uint64_t k01 = 0x0101010101010101u;
  constexpr std::uint64_t k80 = k01 * 0x80;
  // High bit of each byte of v below `limit` (limit <= 0x80).
  auto below = [](std::uint64_t v, std::uint64_t limit) { return (v - k01 * limit) & ~v & k80; };
  std::uint64_t mask = (x & k80) | below(x, Splitting ? 0x21 : 0x20);
  if constexpr (Splitting) mask |= below(x ^ (k01 * '"'), 1) | below(x ^ (k01 * '='), 1);
  return mask;
}

// Copies the run of ordinary bytes that starts at `in` (of `n` bytes) to
// `out` and returns its length. Eight bytes are stored at a time before it
// is known how many of them count; `out` has room for `n` bytes, so that is
// safe.
template <bool Splitting>
std::size_t CopyOrdinaryRun(const char* in, std::size_t n, char* out) noexcept {
  std::size_t k = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; k + 8 <= n; k += 8) {
      std::uint64_t x;
      std::memcpy(&x, in + k, 8);
      std::memcpy(out + k, &x, 8);
      const std::uint64_t mask = NotOrdinaryMask<Splitting>(x);
      if (mask != 0) return k + static_cast<std::size_t>(std::countr_zero(mask)) / 8;
    }
  }
  for (; k < n && IsOrdinary<Splitting>(static_cast<unsigned char>(in[k])); ++k) out[k] = in[k];
  return k;
}

// Length of the run of blanks and tabs at `in`: the host pads columns with
// blanks, so a run of eight is checked at once.
std::size_t BlankRun(const char* in, std::size_t n) noexcept {
  std::size_t k = 0;
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kBlanks = 0x2020202020202020u;
    for (; k + 8 <= n; k += 8) {
      std::uint64_t x;
      std::memcpy(&x, in + k, 8);
      if (x != kBlanks) {
        k += static_cast<std::size_t>(std::countr_zero(x ^ kBlanks)) / 8;
        break;
      }
    }
  }
  while (k < n && (in[k] == ' ' || in[k] == '\t')) ++k;
  return k;
}

#if RUPENA_SPLIT_MASKS
// One bit per byte of a block of up to 64 bytes, in memory order: blanks and
// tabs, and the bytes that splitting cannot pass without the byte classes
// (neither ordinary nor a blank or a tab).
struct SplitMasks {
  std::uint64_t separators = 0;
  std::uint64_t special = 0;
};

// The bytes of a piece of a line, at most 16, in a register with zeros
// above them. Piece loads never read outside the line.
__m128i LoadShortPiece(const char* in, std::size_t n) noexcept {
  std::uint64_t lo = 0;
  std::uint64_t hi = 0;
  if (n >= 8) {
    std::memcpy(&lo, in, 8);
    if (n > 8) {
      std::memcpy(&hi, in + n - 8, 8);
      hi >>= 8 * (16 - n);
    }
  } else if (n >= 4) {
    // Two loads that overlap where n < 8; the shared bytes agree.
    std::uint32_t a;
    std::uint32_t b;
    std::memcpy(&a, in, 4);
    std::memcpy(&b, in + n - 4, 4);
    lo = a | std::uint64_t{b} << (8 * (n - 4));
  } else if (n != 0) {
    lo = std::uint64_t{static_cast<unsigned char>(in[0])} |
         std::uint64_t{static_cast<unsigned char>(in[n / 2])} << (8 * (n / 2)) |
         std::uint64_t{static_cast<unsigned char>(in[n - 1])} << (8 * (n - 1));
  }
  return _mm_set_epi64x(static_cast<long long>(hi), static_cast<long long>(lo));
}

struct PieceMasks {
  std::uint32_t separators;
  std::uint32_t special;
};

PieceMasks ClassifyPiece(__m128i x) noexcept {
  const __m128i sep =
      _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(' ')), _mm_cmpeq_epi8(x, _mm_set1_epi8('\t')));
  // Signed: bytes from 0x80 up compare below 0x21 as well.
  const __m128i unprintable = _mm_cmplt_epi8(x, _mm_set1_epi8(0x21));
  const __m128i quoteOrEquals =
      _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('"')), _mm_cmpeq_epi8(x, _mm_set1_epi8('=')));
  const __m128i special = _mm_or_si128(_mm_andnot_si128(sep, unprintable), quoteOrEquals);
  return {static_cast<std::uint32_t>(_mm_movemask_epi8(sep)),
          static_cast<std::uint32_t>(_mm_movemask_epi8(special))};
}

// `in` holds `n` (1..64) bytes of the line that begins at `first`; they are
// copied to `out` on the way, as the cutter keeps them. The last 16 bytes
// are loaded as one piece even where it overlaps the one before: a byte
// classifies (and copies) the same in either, so the two simply agree.
SplitMasks ClassifyBlock(const char* first, const char* in, std::size_t n, char* out) noexcept {
  SplitMasks m;
  const auto add = [&m](const PieceMasks& piece, int shift) {
    if (shift >= 0) {
      m.separators |= std::uint64_t{piece.separators} << shift;
      m.special |= std::uint64_t{piece.special} << shift;
    } else {
      m.separators |= std::uint64_t{piece.separators} >> -shift;
      m.special |= std::uint64_t{piece.special} >> -shift;
    }
  };
  if (n >= 16) {
    // Always four loads, the later ones held back to end at the block's
    // end: no loop whose count varies with the line's length.
    for (std::size_t k = 0; k < 64; k += 16) {
      const std::size_t at = k + 16 <= n ? k : n - 16;
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + at));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), x);
      add(ClassifyPiece(x), static_cast<int>(at));
    }
  } else if (in + n - first >= 16) {
    add(ClassifyPiece(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + n - 16))),
        static_cast<int>(n) - 16);
    std::memcpy(out, in, n);
  } else {
    std::memcpy(out, in, n);
    // The zeros above the bytes read as special; they are outside the block.
    const PieceMasks piece = ClassifyPiece(LoadShortPiece(in, n));
    const std::uint32_t inBlock = (std::uint32_t{1} << n) - 1;
    add({piece.separators & inBlock, piece.special & inBlock}, 0);
  }
  return m;
}

// Whether `hit` marks any of the `n` bytes at `in`, of the line that begins
// at `first`, pieces loaded as ClassifyBlock loads them.
template <typename Hit>
bool AnyByte(const char* first, const char* in, std::size_t n, Hit hit) noexcept {
  const auto marks = [&hit](__m128i x) {
    return static_cast<std::uint32_t>(_mm_movemask_epi8(hit(x)));
  };
  if (n >= 16) {
    for (std::size_t k = 0; k + 16 < n; k += 16) {
      if (marks(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + k))) != 0) return true;
    }
    return marks(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + n - 16))) != 0;
  }
  if (n == 0) return false;
  if (in + n - first >= 16) {
    return marks(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + n - 16))) >> (16 - n) != 0;
  }
  return (marks(LoadShortPiece(in, n)) & ((std::uint32_t{1} << n) - 1)) != 0;
}

// Whether no byte of the `n` bytes at `in` is one that is dropped once
// splitting is off (a control byte, a tab, 0xFE or 0xFF) wherever it stands.
bool NoneDroppable(const char* first, const char* in, std::size_t n) noexcept {
  return !AnyByte(first, in, n, [](__m128i x) {
    return _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(0x1F)), x),
                        _mm_cmpeq_epi8(_mm_max_epu8(x, _mm_set1_epi8(static_cast<char>(0xFE))), x));
  });
}
#endif

}  // namespace

void FieldCutter::Cut(std::string_view line) {
  const std::size_t n = line.size();
  if (bytes_.size() < n) {
    bytes_.resize(n);
  } else if (bytes_.size() > kCutterKeep && n <= kCutterKeep) {
    bytes_.resize(kCutterKeep);
    bytes_.shrink_to_fit();
  }
  // The kept bytes never outnumber the line's, so writing into a buffer of
  // the line's size cannot overrun. The scan state lives in locals: stores
  // through a char pointer could alias the members and force reloads.
  char* const out = bytes_.data();
  const char* const in = line.data();
  std::size_t i = 0;
  std::size_t w = 0;
  std::size_t field = 0;
  std::size_t fieldBegin = 0;

#if RUPENA_SPLIT_MASKS
  // Up to the first byte that needs the byte classes, the fields are the
  // runs between blanks and tabs. Most host lines are nothing else, so they
  // are cut 64 bytes at a time from bit masks, with no branch per byte or on
  // the length of a run. That stretch is copied as it stands, blanks and
  // all, and the fields are marked in the copy; the loops below take over
  // from the first such byte, writing on behind the open field (the copy
  // may run past that byte; nothing there is part of a field).
  {
    bool open = false;  // a field runs up to i
    while (i < n) {
      const std::size_t len = n - i < 64 ? n - i : 64;
      const SplitMasks m = ClassifyBlock(in, in + i, len, out + i);
      const std::size_t stop =
          m.special != 0 ? static_cast<std::size_t>(std::countr_zero(m.special)) : len;
      const std::uint64_t beforeStop =
          stop == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << stop) - 1;
      // Runs of field bytes before `stop`, by their first and last bytes;
      // the two lists are walked side by side.
      const std::uint64_t runs = ~m.separators & beforeStop;
      std::uint64_t starts = runs & ~(runs << 1);
      std::uint64_t lasts = runs & ~(runs >> 1);
      if (open && (m.separators & 1) != 0) {  // the field from the last block ends
        open = false;
        end_[field] = i;
        if (++field == kMaxFields) {
          count_ = kMaxFields;
          return;
        }
      }
      while (starts != 0) {
        const auto first = static_cast<std::size_t>(std::countr_zero(starts));
        const auto last = static_cast<std::size_t>(std::countr_zero(lasts));
        starts &= starts - 1;
        lasts &= lasts - 1;
        if (!open) begin_[field] = i + first;  // else the run goes on from the last block
        open = true;
        if (last + 1 < stop) {  // a blank or tab follows: the field ends
          open = false;
          end_[field] = i + last + 1;
          if (++field == kMaxFields) {
            // A further field would leave the model's 32; nothing after it
            // can reach a rule, so the rest of the line is not looked at.
            count_ = kMaxFields;
            return;
          }
        }
      }
      i += stop;
      if (stop != len) break;
    }
    w = i;
    fieldBegin = open ? begin_[field] : i;
  }
#endif

  bool splitting = true;
  while (splitting) {
    const std::size_t run = CopyOrdinaryRun<true>(in + i, n - i, out + w);
    i += run;
    w += run;
    if (i == n) break;
    const char b = in[i];
    if (b == ' ' || b == '\t') {
      i += BlankRun(in + i, n - i);
      if (w != fieldBegin) {  // runs of blanks open no empty fields
        begin_[field] = fieldBegin;
        end_[field] = w;
        if (++field == kMaxFields) {
          // A further field would leave the model's 32; nothing after it
          // can reach a rule, so the rest of the line is not looked at.
          count_ = kMaxFields;
          return;
        }
        fieldBegin = w;
      }
      continue;
    }
    switch (kByteClass[static_cast<unsigned char>(b)]) {
      case kAppend:
        out[w++] = b;
        ++i;
        break;
      case kLead:
        if (i + 1 == n) {
          i = n;  // a lead byte without its partner is dropped
        } else {
          out[w++] = b;
          out[w++] = in[i + 1];
          i += 2;
        }
        break;
      case kQuote:
        ++i;
        splitting = false;
        break;
      case kEquals:
        out[w++] = b;
        ++i;
        splitting = false;
        break;
      default:
        ++i;
        break;
    }
  }
#if RUPENA_SPLIT_MASKS
  // The text after a quote usually drops nothing, and then it is kept as it
  // stands but for a lead byte in the last position, which only a walk over
  // the characters can tell from a trail byte.
  if (i < n && NoneDroppable(in, in + i, n - i)) {
    std::size_t keptEnd = n;
    if (MyFunc::IsLeadByte(static_cast<unsigned char>(in[n - 1]))) {
      std::size_t k = i;
      while (k + 1 < n) k += MyFunc::IsLeadByte(static_cast<unsigned char>(in[k])) ? 2u : 1u;
      if (k == n - 1) keptEnd = n - 1;
    }
    std::memcpy(out + w, in + i, keptEnd - i);
    w += keptEnd - i;
    i = n;
  }
#endif
  for (;;) {
    const std::size_t run = CopyOrdinaryRun<false>(in + i, n - i, out + w);
    i += run;
    w += run;
    if (i >= n) break;
    const char b = in[i];
    const std::uint8_t c = kByteClass[static_cast<unsigned char>(b)];
    if (c == kLead) {
      if (i + 1 == n) break;
      out[w++] = b;
      out[w++] = in[i + 1];
      i += 2;
    } else {
      if (c != kDrop && c != kTab) out[w++] = b;
      ++i;
    }
  }
  begin_[field] = fieldBegin;
  end_[field] = w;
  count_ = field + 1;
}

// ---------------------------------------------------------------------------
// The line rules

namespace {

// One cut line as the rules see it.
struct Line {
  const FieldCutter& fields;
  std::string_view key;  // field 0
  std::size_t n;         // field count

  std::string_view Field(std::size_t k) const noexcept { return fields.Field(k); }
  double Value(std::size_t k) const noexcept { return MyFunc::ParseFloatOrZero(Field(k)); }
  std::int32_t Int(std::size_t k) const noexcept { return MyFunc::ParseIntOrZero(Field(k)); }
};

// Keyword tests against literals, as fixed-length loops the compiler
// unrolls: most lines are decided by a few of them.
template <std::size_t N>
constexpr bool Begins(std::string_view key, const char (&prefix)[N]) noexcept {
  if (key.size() < N - 1) return false;
  for (std::size_t k = 0; k + 1 < N; ++k) {
    if (key[k] != prefix[k]) return false;
  }
  return true;
}

template <std::size_t N>
constexpr bool Is(std::string_view key, const char (&text)[N]) noexcept {
  return key.size() == N - 1 && Begins(key, text);
}

// First occurrence of `needle` that starts on a character boundary of the
// code page: an occurrence starting on the second byte of a two-byte
// character is passed over. Boundaries are found by walking from the start,
// since a trail byte can only be told from a lead byte by what precedes it.
std::size_t FindOnBoundary(std::string_view text, std::string_view needle) noexcept {
  std::size_t at = text.find(needle);
  std::size_t i = 0;
  while (at != std::string_view::npos) {
    while (i < at) {
      const bool pair =
          MyFunc::IsCodePageLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size();
      i += pair ? 2 : 1;
    }
    if (i == at) return at;
    at = text.find(needle, at + 1);  // i == at + 1 here, so the walk resumes in step
  }
  return std::string_view::npos;
}

bool Contains(std::string_view text, std::string_view needle) noexcept {
  return FindOnBoundary(text, needle) != std::string_view::npos;
}

// The selector byte of "lg"/"ly" is one hexadecimal digit; anything else,
// or no byte at all, selects 0.
std::int32_t HexSelector(std::string_view key) noexcept {
  if (key.size() < 3) return 0;
  const char c = key[2];
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 0;
}

// "<kw>" followed by a number from the third byte on ("lc5", "cn3", "pn2").
std::int32_t KeywordNumber(std::string_view key) noexcept {
  return MyFunc::ParseIntOrZero(key.substr(2));
}

// "ch" 0, "cv" 1, "cs" 2, "cr" 3, "co" 4, "cp" 5, "ct" 6, "ck" 7, "cz" 8,
// "c2" 9; -1 for anything else.
int TextKindOf(std::string_view key) noexcept {
  if (key.size() != 2 || key[0] != 'c') return -1;
  switch (key[1]) {
    case 'h': return 0;
    case 'v': return 1;
    case 's': return 2;
    case 'r': return 3;
    case 'o': return 4;
    case 'p': return 5;
    case 't': return 6;
    case 'k': return 7;
    case 'z': return 8;
    case '2': return 9;
    default: return -1;
  }
}

int ZFlagOf(std::string_view key) noexcept {
  if (key.size() != 2 || key[0] != 'z' || key[1] < '1' || key[1] > '5') return 0;
  return 1 << (key[1] - '1');
}

std::size_t LayerSlot(std::int32_t group, std::int32_t layer) noexcept {
  return static_cast<std::size_t>(group) * 16 + static_cast<std::size_t>(layer);
}

// --- header lines ----------------------------------------------------------

void Ignore(const Line&) {}

void ReadDrawingFile(const Line& l) { Model.DrawingFile.assign(l.key.substr(5)); }

void ReadHk(const Line& l) { Model.HkValue = l.Value(1); }

void ReadGroupScales(const Line& l) {
  for (std::size_t g = 0; g < Model.GroupScales.size(); ++g) Model.GroupScales[g] = l.Value(g + 1);
}

void ReadSheetSize(const Line& l) {
  Model.SheetWidth = l.Value(1);
  Model.SheetHeight = l.Value(2);
}

template <double TJwwTextType::*Member>
void ReadTextTypeSizes(const Line& l) {
  for (std::size_t t = 0; t < Model.TextTypes.size(); ++t) Model.TextTypes[t].*Member = l.Value(t + 1);
}

void ReadTextTypeColors(const Line& l) {
  for (std::size_t t = 0; t < Model.TextTypes.size(); ++t) Model.TextTypes[t].Color = l.Int(t + 1);
}

void ReadBz(const Line&) { Model.BzSeen = true; }

void ReadHn(const Line& l) {
  for (std::size_t k = 0; k < Model.HnValues.size(); ++k) Model.HnValues[k] = l.Value(k + 1);
}

// --- layer and attribute lines ------------------------------------------------

void NameGroup(const Line& l) {
  Model.GroupNames[static_cast<std::size_t>(Model.CurAttr.LayerGroup)].assign(l.key.substr(3));
}

void NameLayer(const Line& l) {
  const TJwwAttr& a = Model.CurAttr;
  Model.LayerNames[LayerSlot(a.LayerGroup, a.Layer)].assign(l.key.substr(3));
}

// Takes the first value of an attribute into FirstAttr once.
void CaptureFirst(TJwwFresh flag, std::int32_t& first, std::int32_t value) {
  if (Model.AttrFresh[flag]) {
    first = value;
    Model.AttrFresh[flag] = false;
  }
}

void SelectGroup(const Line& l) {
  const std::int32_t group = HexSelector(l.key);
  CaptureFirst(kFreshLayerGroup, Model.FirstAttr.LayerGroup, group);
  Model.CurAttr.LayerGroup = group;
  if (l.n >= 2) Model.GroupValues[static_cast<std::size_t>(group)] = l.Int(1);
  Model.CurAttr.InPolyline = false;
}

void SelectLayer(const Line& l) {
  const std::int32_t layer = HexSelector(l.key);
  CaptureFirst(kFreshLayer, Model.FirstAttr.Layer, layer);
  Model.CurAttr.Layer = layer;
  if (l.n >= 2) Model.LayerValues[LayerSlot(Model.CurAttr.LayerGroup, layer)] = l.Int(1);
  Model.CurAttr.InPolyline = false;
}

void SetLineColor(const Line& l) {
  const std::int32_t color = KeywordNumber(l.key);
  CaptureFirst(kFreshLineColor, Model.FirstAttr.LineColor, color);
  Model.CurAttr.LineColor = color;
  if (color == 10 && l.n >= 2) Model.CurAttr.ExtColor = l.Int(1);
  Model.CurAttr.InPolyline = false;
}

void SetLineType(const Line& l) {
  const std::int32_t type = KeywordNumber(l.key);
  CaptureFirst(kFreshLineType, Model.FirstAttr.LineType, type);
  Model.CurAttr.LineType = type;
  Model.CurAttr.InPolyline = false;
}

void SetLineWidth(const Line& l) {
  const std::int32_t width = KeywordNumber(l.key);
  CaptureFirst(kFreshLineWidth, Model.FirstAttr.LineWidth, width);
  Model.CurAttr.LineWidth = width;
  Model.LineWidthSeen = true;
  Model.CurAttr.InPolyline = false;
}

void SetFontName(const Line& l) {
  const std::string_view name = l.key.substr(3);
  if (Model.FirstAttr.FontName.empty()) Model.FirstAttr.FontName.assign(name);
  Model.CurAttr.FontName.assign(name);
  Model.CurAttr.InPolyline = false;
}

template <typename Attr>
void ReadFreeSize(const Line& l, Attr& attr) {
  attr.FreeWidth = l.Value(1);
  attr.FreeHeight = l.Value(2);
  attr.FreeSpacing = l.Value(3);
  attr.FreeColor = l.Int(4);
}

void SetTextType(const Line& l) {
  const std::int32_t type = KeywordNumber(l.key);
  // A sized text type leaves the free-size values alone, so a later bare
  // "cn0" brings the earlier ones back into use.
  const bool freeSize = type == 0 && l.n >= 5;
  if (Model.AttrFresh[kFreshTextType]) {
    Model.FirstAttr.TextType = type;
    if (freeSize) ReadFreeSize(l, Model.FirstAttr);
    Model.AttrFresh[kFreshTextType] = false;
  }
  Model.CurAttr.TextType = type;
  if (freeSize) ReadFreeSize(l, Model.CurAttr);
  Model.CurAttr.InPolyline = false;
}

void SetCharStyle(const Line& l) {
  // Only the byte after "cc" counts: "cc12" is style 1.
  const char c = l.key.size() > 2 ? l.key[2] : '\0';
  Model.CurAttr.CharStyle = c >= '0' && c <= '8' ? c - '0' : 0;
  Model.CurAttr.InPolyline = false;
}

void AddZFlag(const Line& l) { Model.CurAttr.ZFlags |= ZFlagOf(l.key); }

void SetPointColor(const Line& l) {
  Model.CurAttr.PointColor = KeywordNumber(l.key);
  Model.CurAttr.InPolyline = false;
}

void StartPolyline(const Line&) {
  TJwwAttr& a = Model.CurAttr;
  ++a.PolylineCount;
  a.InPolyline = true;
  a.MsgMode = false;
}

void StartMsgMode(const Line&) {
  Model.CurAttr.MsgMode = true;
  Model.CurAttr.InPolyline = false;
}

void EndModes(const Line&) {
  Model.CurAttr.InPolyline = false;
  Model.CurAttr.MsgMode = false;
}

// "hp<number>[mark]": each mark found cuts the number text anew from the
// whole keyword, so the last mark in search order that is present wins.
void SetPointSlot(const Line& l) {
  static constexpr std::string_view kMarks[] = {"-", "ln", "ci", "ch"};
  std::string_view number = l.key.substr(2);
  std::int32_t mark = 0;
  for (std::size_t m = 0; m < std::size(kMarks); ++m) {
    const std::size_t at = FindOnBoundary(l.key, kMarks[m]);
    if (at == std::string_view::npos) continue;
    number = at >= 2 ? l.key.substr(2, at - 2) : std::string_view();
    mark = static_cast<std::int32_t>(m) + 1;
  }
  const std::int32_t slot = MyFunc::ParseIntOrZero(number);
  if (slot < 1 || slot > 99) return;
  TJwwPointSlot& p = Model.PointSlots[static_cast<std::size_t>(slot)];
  p.Set = true;
  p.X = l.Value(1);
  p.Y = l.Value(2);
  p.Mark = mark;
  ++Model.PointSlotCount;
}

// "hhp<number>[mark]": a mark counts only after at least one number byte.
void SetPointRef(const Line& l) {
  static constexpr std::string_view kMarks[] = {"ln", "ci", "ch"};
  std::string_view number = l.key.substr(3);
  for (const std::string_view mark : kMarks) {
    const std::size_t at = FindOnBoundary(l.key, mark);
    if (at != std::string_view::npos && at >= 4) number = l.key.substr(3, at - 3);
  }
  Model.CurAttr.PointRef = MyFunc::ParseIntOrZero(number);
}

// --- entity lines -------------------------------------------------------------

template <std::size_t Count, std::size_t Size>
void ReadValues(const Line& l, std::array<double, Size>& values) {
  static_assert(Count <= Size);
  for (std::size_t k = 0; k < Count; ++k) values[k] = l.Value(k + 1);
}

void StoreCircle(const Line& l) {
  TJwwEntCircle& r = StoreEntity(Model.Circles, kKindCircle);
  ReadValues<3>(l, r.Values);
  FinishEntity(true);
}

void StoreArc(const Line& l) {
  TJwwEntArc& r = StoreEntity(Model.Arcs, kKindArc);
  ReadValues<7>(l, r.Values);
  FinishEntity(true);
}

// The text fields shared by kind 4 and the text part of kind 7. The strings
// are made by the caller before the record exists, so running out of memory
// there leaves no half-filled record behind.
void FillText(TJwwEntText& r, const Line& l, int kind, const TJwwFontName& font,
              std::string text) {
  const TJwwAttr& a = Model.CurAttr;
  r.TextKind = kind;
  r.CharStyle = a.CharStyle;
  r.TextType = a.TextType;
  if (a.TextType >= 1 && a.TextType <= 10) {
    const TJwwTextType& t = Model.TextTypes[static_cast<std::size_t>(a.TextType - 1)];
    r.CharWidth = t.Width;
    r.CharHeight = t.Height;
    r.CharSpacing = t.Spacing;
    r.Color = t.Color;
  } else {
    r.CharWidth = a.FreeWidth;
    r.CharHeight = a.FreeHeight;
    r.CharSpacing = a.FreeSpacing;
    r.Color = a.FreeColor;
  }
  r.X1 = l.Value(1);
  r.Y1 = l.Value(2);
  r.DirX = l.Value(3);
  r.DirY = l.Value(4);
  r.FontName = font;
  r.Text = std::move(text);
}

// The font name the next text record shares: the current one as a record
// keeps it, made anew only when that differs from the last one handed out.
const TJwwFontName& SharedFontName() {
  static TJwwFontName shared;
  const std::string_view name =
      std::string_view(Model.CurAttr.FontName).substr(0, kShortStringMax);
  if (shared != name) shared = TJwwFontName(name);
  return shared;
}

void StoreText(const Line& l) {
  const TJwwFontName& font = SharedFontName();
  std::string text = ShortString(l.Field(5));
  const int kind = TextKindOf(l.key);
  if (Model.CurAttr.MsgMode && kind == 2) {
    TJwwEntMsgText& r = StoreEntity(Model.MsgTexts, kKindMsgText);
    r.Line = Model.HeldLine;
    StampHeader(r.Text);
    FillText(r.Text, l, 2, font, std::move(text));
  } else {
    TJwwEntText& r = StoreEntity(Model.Texts, kKindText);
    FillText(r, l, kind, font, std::move(text));
  }
  FinishEntity(true);
}

void StorePoint(const Line& l) {
  TJwwEntPoint& r = StoreEntity(Model.Points, kKindPoint);
  r.Color = Model.CurAttr.PointColor;
  r.X = l.Value(1);
  r.Y = l.Value(2);
  FinishEntity(true);
}

void StorePointEx(const Line& l) {
  TJwwEntPointEx& r = StoreEntity(Model.PointExs, kKindPointEx);
  r.Color = Model.CurAttr.PointColor;
  r.X = l.Value(1);
  r.Y = l.Value(2);
  r.Values = {l.Value(3), l.Value(4)};
  r.Int = l.Int(5);
  FinishEntity(true);
}

void StoreBlock(const Line& l) {
  std::string name(l.Field(3));
  TJwwEntBlk& r = StoreEntity(Model.Blocks, kKindBlk);
  r.X = l.Value(1);
  r.Y = l.Value(2);
  r.Name = std::move(name);
  FinishEntity(true);
}

TJwwPoint Corner(const Line& l, std::size_t c) { return {l.Value(2 * c - 1), l.Value(2 * c)}; }

bool Coincide(const TJwwPoint& p, const TJwwPoint& q) noexcept {
  return std::fabs(p.X - q.X) <= 1e-10 && std::fabs(p.Y - q.Y) <= 1e-10;
}

template <std::size_t N>
void StoreSl(BlockTable<TJwwEntSl<N>>& table, std::int32_t kind,
             const std::array<TJwwPoint, N>& corners) {
  TJwwEntSl<N>& r = StoreEntity(table, kind);
  r.ExtColor = Model.CurAttr.ExtColor;
  r.Points = corners;
  FinishEntity(true);
}

void StoreSl2(const TJwwPoint& a, const TJwwPoint& b) { StoreSl<2>(Model.Sl2Ps, kKindSl2P, {a, b}); }

void StoreSl3(const TJwwPoint& a, const TJwwPoint& b, const TJwwPoint& c) {
  StoreSl<3>(Model.Sl3Ps, kKindSl3P, {a, b, c});
}

void StoreSlTwoCorners(const Line& l) { StoreSl2(Corner(l, 1), Corner(l, 2)); }

// Coinciding corners are merged; the order of the tests decides which
// corners survive.
void StoreSlThreeCorners(const Line& l) {
  const TJwwPoint p1 = Corner(l, 1), p2 = Corner(l, 2), p3 = Corner(l, 3);
  if (Coincide(p1, p2)) StoreSl2(p1, p3);
  else if (Coincide(p2, p3)) StoreSl2(p1, p2);
  else StoreSl3(p1, p2, p3);
}

void StoreSlFourCorners(const Line& l) {
  const TJwwPoint p1 = Corner(l, 1), p2 = Corner(l, 2), p3 = Corner(l, 3), p4 = Corner(l, 4);
  const bool c12 = Coincide(p1, p2), c13 = Coincide(p1, p3), c14 = Coincide(p1, p4);
  const bool c23 = Coincide(p2, p3), c24 = Coincide(p2, p4), c34 = Coincide(p3, p4);
  if (c12 && c13) StoreSl2(p1, p4);
  else if (c23 && c24) StoreSl2(p1, p2);
  else if (c12 && c34) StoreSl2(p1, p3);
  else if (c14 || c24 || c34) StoreSl3(p1, p2, p3);
  else if (c13 || c23) StoreSl3(p1, p2, p4);
  else if (c12) StoreSl3(p1, p3, p4);
  else StoreSl<4>(Model.Sl4Ps, kKindSl4P, {p1, p2, p3, p4});
}

template <std::int32_t Kind>
void StoreScSe(const Line& l) {
  TJwwEntScSe& r = StoreEntity(Kind == kKindSc ? Model.Scs : Model.Ses, Kind);
  r.ExtColor = Model.CurAttr.ExtColor;
  ReadValues<7>(l, r.Values);
  r.Int = l.Int(8);
  FinishEntity(true);
}

template <std::int32_t Kind>
void StoreSoSg(const Line& l) {
  TJwwEntSoSg& r = StoreEntity(Kind == kKindSo ? Model.Sos : Model.Sgs, Kind);
  r.ExtColor = Model.CurAttr.ExtColor;
  ReadValues<8>(l, r.Values);
  FinishEntity(true);
}

// A keyword-less line of four numbers. In message mode it is only held for
// the next "cs" text; neither case ends a mode, so a polyline run goes on.
void StoreLineOrHold(const Line& l) {
  const TJwwAttr& a = Model.CurAttr;
  TJwwEntLine& r = a.MsgMode ? Model.HeldLine : StoreEntity(Model.Lines, kKindLine);
  if (a.MsgMode) StampHeader(r);
  r.PolylineNo = !a.MsgMode && a.InPolyline ? a.PolylineCount : 0;
  r.X1 = l.Value(0);
  r.Y1 = l.Value(1);
  r.X2 = l.Value(2);
  r.Y2 = l.Value(3);
  FinishEntity(false);
}

// --- the rule table --------------------------------------------------------------

// `lead` is the byte a keyword must begin with for `test` to hold, or kAny.
// It only narrows which rows are tried; the tests themselves are complete,
// and the first row whose test holds takes the line.
constexpr char kAny = '\0';

struct Rule {
  char lead;
  bool (*test)(const Line&);
  void (*apply)(const Line&);
};

// The order of the rows is the behaviour.
constexpr Rule kRules[] = {
    /*  1 */ {kAny, [](const Line& l) { return l.n == 1 && l.key.empty(); }, Ignore},
    /*  2 */ {kAny, [](const Line& l) { return Contains(l.key, "file="); }, ReadDrawingFile},
    /*  3 */ {'h', [](const Line& l) { return Is(l.key, "hk") && l.n >= 2; }, ReadHk},
    /*  4 */ {'h', [](const Line& l) { return Is(l.key, "hs") && l.n >= 17; }, ReadGroupScales},
    /*  5 */ {'h', [](const Line& l) { return Is(l.key, "hzs") && l.n >= 3; }, ReadSheetSize},
    /*  6 */ {'h', [](const Line& l) { return Is(l.key, "hcw") && l.n >= 11; }, ReadTextTypeSizes<&TJwwTextType::Width>},
    /*  7 */ {'h', [](const Line& l) { return Is(l.key, "hch") && l.n >= 11; }, ReadTextTypeSizes<&TJwwTextType::Height>},
    /*  8 */ {'h', [](const Line& l) { return Is(l.key, "hcd") && l.n >= 11; }, ReadTextTypeSizes<&TJwwTextType::Spacing>},
    /*  9 */ {'h', [](const Line& l) { return Is(l.key, "hcc") && l.n >= 11; }, ReadTextTypeColors},
    /* 10 */ {'b', [](const Line& l) { return Is(l.key, "bz"); }, ReadBz},
    /* 11 */ {'h', [](const Line& l) { return Is(l.key, "hn") && l.n >= 5; }, ReadHn},
    /* 12 */ {'l', [](const Line& l) { return Begins(l.key, "lgn"); }, NameGroup},
    /* 13 */ {'l', [](const Line& l) { return Begins(l.key, "lyn"); }, NameLayer},
    /* 14 */ {'l', [](const Line& l) { return Begins(l.key, "lg"); }, SelectGroup},
    /* 15 */ {'l', [](const Line& l) { return Begins(l.key, "ly"); }, SelectLayer},
    /* 16 */ {'l', [](const Line& l) { return Begins(l.key, "lc"); }, SetLineColor},
    /* 17 */ {'l', [](const Line& l) { return Begins(l.key, "lt"); }, SetLineType},
    /* 18 */ {'l', [](const Line& l) { return Begins(l.key, "lw"); }, SetLineWidth},
    /* 19 */ {'c', [](const Line& l) { return Begins(l.key, "cn$"); }, SetFontName},
    /* 20 */ {'c', [](const Line& l) { return Begins(l.key, "cn"); }, SetTextType},
    /* 21 */ {'c', [](const Line& l) { return Begins(l.key, "cc"); }, SetCharStyle},
    /* 22 */ {'z', [](const Line& l) { return ZFlagOf(l.key) != 0; }, AddZFlag},
    /* 23 */ {'p', [](const Line& l) { return Begins(l.key, "pn"); }, SetPointColor},
    /* 24 */ {'p', [](const Line& l) { return Is(l.key, "pl"); }, StartPolyline},
    /* 25 */ {'m', [](const Line& l) { return Is(l.key, "msg"); }, StartMsgMode},
    /* 26 */ {'#', [](const Line& l) { return Is(l.key, "#"); }, EndModes},
    /* 27 */ {'h', [](const Line& l) { return Begins(l.key, "hp") && l.n >= 3; }, SetPointSlot},
    /* 28 */ {'h', [](const Line& l) { return Begins(l.key, "hhp"); }, SetPointRef},
    /* 29 */ {'c', [](const Line& l) { return Is(l.key, "ci") && l.n == 4; }, StoreCircle},
    /* 30 */ {'c', [](const Line& l) { return Is(l.key, "ci") && l.n >= 8; }, StoreArc},
    /* 31 */ {'c', [](const Line& l) { return TextKindOf(l.key) >= 0 && l.n >= 6; }, StoreText},
    /* 32 */ {'p', [](const Line& l) { return Is(l.key, "pt") && l.n == 3; }, StorePoint},
    /* 33 */ {'p', [](const Line& l) { return Is(l.key, "pt") && l.n >= 6; }, StorePointEx},
    /* 34 */ {'B', [](const Line& l) { return Is(l.key, "BL") && l.n >= 4; }, StoreBlock},
    /* 35 */ {'s', [](const Line& l) { return Is(l.key, "sl") && l.n == 5; }, StoreSlTwoCorners},
    /* 36 */ {'s', [](const Line& l) { return Is(l.key, "sl") && l.n == 7; }, StoreSlThreeCorners},
    /* 37 */ {'s', [](const Line& l) { return Is(l.key, "sl") && l.n >= 9; }, StoreSlFourCorners},
    /* 38 */ {'s', [](const Line& l) { return Is(l.key, "sc") && l.n >= 9; }, StoreScSe<kKindSc>},
    /* 39 */ {'s', [](const Line& l) { return Is(l.key, "se") && l.n >= 9; }, StoreScSe<kKindSe>},
    /* 40 */ {'s', [](const Line& l) { return Is(l.key, "so") && l.n >= 9; }, StoreSoSg<kKindSo>},
    /* 41 */ {'s', [](const Line& l) { return Is(l.key, "sg") && l.n >= 9; }, StoreSoSg<kKindSg>},
    /* 42 */ {kAny, [](const Line& l) { return l.n == 4; }, StoreLineOrHold},
    /* 43 */ {kAny, [](const Line&) { return true; }, Ignore},
};

constexpr std::size_t kRuleCount = std::size(kRules);
static_assert(kRuleCount < 256, "row indices are kept in bytes");

// For each possible first byte of a keyword, the rows that can take it, in
// table order: the rows that need that byte and the rows open to any. Trying
// only these gives the same first match as trying every row, but a line of
// four numbers reaches its row after three tests instead of forty.
struct Candidates {
  std::array<std::uint8_t, kRuleCount> rows{};
  std::size_t count = 0;
};

constexpr std::array<Candidates, 256> MakeCandidates() {
  std::array<Candidates, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    for (std::size_t r = 0; r < kRuleCount; ++r) {
      const char lead = kRules[r].lead;
      if (lead == kAny || static_cast<unsigned char>(lead) == b) {
        table[b].rows[table[b].count++] = static_cast<std::uint8_t>(r);
      }
    }
  }
  return table;
}

// An empty keyword looks up entry 0: no row needs byte 0, so only the rows
// open to any keyword are tried.
constexpr std::array<Candidates, 256> kCandidates = MakeCandidates();

FieldCutter& LineCutter() {
  static FieldCutter cutter;
  return cutter;
}

// Applies one line; may throw std::bad_alloc, which leaves the model without
// a partial record (StoreEntity reserves before it changes anything).
void ApplyLine(std::string_view text) {
  FieldCutter& cutter = LineCutter();
  cutter.Cut(text);
  const Line line{cutter, cutter.Field(0), cutter.Count()};
  const unsigned char first = line.key.empty() ? 0 : static_cast<unsigned char>(line.key[0]);
  const Candidates& c = kCandidates[first];
  for (std::size_t k = 0; k < c.count; ++k) {
    const Rule& rule = kRules[c.rows[k]];
    if (rule.test(line)) {
      rule.apply(line);
      return;
    }
  }
}

}  // namespace

void ReadExchangeLine(std::string_view line) {
  try {
    ApplyLine(line);
  } catch (...) {
    // Only memory exhaustion can get here; the line is then not applied.
  }
}

// ---------------------------------------------------------------------------
// Loading

namespace {

constexpr char kCtrlZ = '\x1A';
constexpr std::size_t kChunk = std::size_t{1} << 20;

// Whether a line needs the slow path of Physical. One pass over the line
// instead of a search per byte value, as lines are short and many.
bool HasCrOrCtrlZ(std::string_view line) noexcept {
#if RUPENA_SPLIT_MASKS
  return AnyByte(line.data(), line.data(), line.size(), [](__m128i x) {
    return _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\r')),
                        _mm_cmpeq_epi8(x, _mm_set1_epi8(kCtrlZ)));
  });
#else
  const char* const p = line.data();
  const std::size_t n = line.size();
  std::size_t k = 0;
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t k01 = 0x0101010101010101u;
    constexpr std::uint64_t k80 = k01 * 0x80;
    auto hasZeroByte = [](std::uint64_t v) { return ((v - k01) & ~v & k80) != 0; };
    for (; k + 8 <= n; k += 8) {
      std::uint64_t x;
      std::memcpy(&x, p + k, 8);
      if (hasZeroByte(x ^ (k01 * '\r')) || hasZeroByte(x ^ (k01 * 0x1A))) return true;
    }
  }
  for (; k < n; ++k) {
    if (p[k] == '\r' || p[k] == kCtrlZ) return true;
  }
  return false;
#endif
}

// Splits the byte stream into physical lines (ended by LF) and hands each,
// without line end and lone CRs, to ApplyLine, until a Ctrl-Z ends the file.
class LineFeeder {
 public:
  // Returns false once the file has ended by a Ctrl-Z.
  bool Physical(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // CR LF
    if (!HasCrOrCtrlZ(line)) {
      ApplyLine(line);
      return true;
    }
    if (line.find('\r') != std::string_view::npos) line = WithoutCr(line);
    const std::size_t z = line.find(kCtrlZ);
    if (z == std::string_view::npos) {
      ApplyLine(line);
      return true;
    }
    if (z == 0) return false;
    ApplyLine(line.substr(0, z));
    return line.find(kCtrlZ, z + 1) == std::string_view::npos;
  }

  // Feeds a chunk; a line that runs past its end is kept for the next one.
  bool Chunk(std::string_view chunk) {
    std::size_t pos = 0;
    if (!carry_.empty()) {
      const std::size_t lf = chunk.find('\n');
      if (lf == std::string_view::npos) {
        carry_.append(chunk);
        return true;
      }
      carry_.append(chunk.substr(0, lf));
      const bool more = Physical(carry_);
      ReleaseCarry();
      if (!more) return false;
      pos = lf + 1;
    }
#if RUPENA_SPLIT_MASKS
    if (!Lines(chunk, pos)) return false;
#else
    for (;;) {
      const std::size_t lf = chunk.find('\n', pos);
      if (lf == std::string_view::npos) break;
      const std::string_view piece = chunk.substr(pos, lf - pos);
      pos = lf + 1;
      if (!Physical(piece)) return false;
    }
#endif
    carry_.append(chunk.substr(pos));
    return true;
  }

  // The last line of a file may lack its line end.
  void End() {
    if (!carry_.empty()) {
      Physical(carry_);
      ReleaseCarry();
    }
  }

 private:
  // A CR that does not end the line is dropped from it, wherever it is.
  std::string_view WithoutCr(std::string_view line) {
    scratch_.clear();
    for (const char c : line) {
      if (c != '\r') scratch_.push_back(c);
    }
    return scratch_;
  }

#if RUPENA_SPLIT_MASKS
  // The whole lines of `chunk` from `pos` on, found in one pass that marks
  // line feeds, CRs and Ctrl-Zs 64 bytes at a time; `pos` is left where the
  // unfinished last line begins. A line with no CR or Ctrl-Z but the CR of
  // its CR LF goes straight to the rules, anything else through Physical.
  bool Lines(std::string_view chunk, std::size_t& pos) {
    const char* const base = chunk.data();
    const std::size_t n = chunk.size();
    std::size_t firstCrOrCtrlZ = std::string_view::npos;
    for (std::size_t k = pos; k < n; k += 64) {
      const std::size_t len = n - k < 64 ? n - k : 64;
      std::uint64_t lf = 0;
      std::uint64_t crOrCtrlZ = 0;
      const auto mark = [&](__m128i x, int shift) {
        const auto bits = [](__m128i lanes) {
          return std::uint64_t{static_cast<std::uint32_t>(_mm_movemask_epi8(lanes))};
        };
        const std::uint64_t lfBits = bits(_mm_cmpeq_epi8(x, _mm_set1_epi8('\n')));
        const std::uint64_t otherBits = bits(_mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\r')),
                                                          _mm_cmpeq_epi8(x, _mm_set1_epi8(kCtrlZ))));
        lf |= shift >= 0 ? lfBits << shift : lfBits >> -shift;
        crOrCtrlZ |= shift >= 0 ? otherBits << shift : otherBits >> -shift;
      };
      if (len >= 16) {
        // As in ClassifyBlock: four loads, the later ones held back to end
        // at the block's end; overlapping loads mark the same bits.
        for (std::size_t j = 0; j < 64; j += 16) {
          const std::size_t at = j + 16 <= len ? j : len - 16;
          mark(_mm_loadu_si128(reinterpret_cast<const __m128i*>(base + k + at)),
               static_cast<int>(at));
        }
      } else if (k + len >= 16) {
        mark(_mm_loadu_si128(reinterpret_cast<const __m128i*>(base + k + len - 16)),
             static_cast<int>(len) - 16);
      } else {
        mark(LoadShortPiece(base + k, len), 0);  // its zeros mark nothing
      }
      for (std::uint64_t marks = lf | crOrCtrlZ; marks != 0; marks &= marks - 1) {
        const auto bit = static_cast<unsigned>(std::countr_zero(marks));
        const std::size_t at = k + bit;
        if ((crOrCtrlZ >> bit & 1) != 0) {
          if (firstCrOrCtrlZ == std::string_view::npos) firstCrOrCtrlZ = at;
          continue;
        }
        const std::string_view line(base + pos, at - pos);
        bool more = true;
        if (firstCrOrCtrlZ == std::string_view::npos) {
          ApplyLine(line);
        } else if (firstCrOrCtrlZ == at - 1 && base[at - 1] == '\r') {
          ApplyLine(line.substr(0, line.size() - 1));
        } else {
          more = Physical(line);
        }
        if (!more) return false;
        pos = at + 1;
        firstCrOrCtrlZ = std::string_view::npos;
      }
    }
    return true;
  }
#endif

  void ReleaseCarry() {
    carry_.clear();
    if (carry_.capacity() > 4 * kChunk) carry_.shrink_to_fit();
  }

  std::string carry_;
  std::string scratch_;
};

bool Load(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  const std::uintmax_t expected = std::filesystem::file_size(path, ec);
  const bool sizeKnown = !ec;

  std::ifstream in(path, std::ios::in | std::ios::binary);
  if (!in.is_open()) return false;
  std::filebuf& buf = *in.rdbuf();

  // Every byte of the chunk is written by the read before it is looked at.
  const auto chunk = std::make_unique_for_overwrite<char[]>(kChunk);
  LineFeeder feeder;
  std::uintmax_t total = 0;
  for (;;) {
    const std::streamsize got = buf.sgetn(chunk.get(), static_cast<std::streamsize>(kChunk));
    if (got <= 0) break;
    total += static_cast<std::uintmax_t>(got);
    if (!feeder.Chunk(std::string_view(chunk.get(), static_cast<std::size_t>(got)))) return true;
  }
  feeder.End();
  // The stream reports a read error like an end of file; a file that yields
  // fewer bytes than it holds was not read to its end.
  return !sizeKnown || total >= expected;
}

}  // namespace

bool LoadExchangeFile(const std::filesystem::path& path) {
  try {
    return Load(path);
  } catch (...) {
    // Out of memory or a failing stream: what was applied so far stays.
    return false;
  }
}

}  // namespace JwwGaibu
