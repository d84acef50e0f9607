#include "exchange/field_cutter.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "textutil/shift_jis.h"

namespace JwwGaibu {

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
    if (rupena::text::IsLeadByte(byte)) c = kLead;
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

using Bounds = std::array<std::size_t, CutFields::kMaxFields>;

// Where a cut stands: the next byte of the line, the next byte of the
// copy, the field being filled and where it begins in the copy.
struct CutState {
  std::size_t i = 0;
  std::size_t w = 0;
  std::size_t field = 0;
  std::size_t fieldBegin = 0;
};

// Up to the first byte that needs the byte classes, the fields are the runs
// between blanks and tabs. Most host lines are nothing else, so they are cut
// 64 bytes at a time from bit masks, with no branch per byte or on the length
// of a run. That stretch is copied as it stands, blanks and all, and the
// fields are marked in the copy; the byte loops take over from the first such
// byte, writing on behind the open field (the copy may run past that byte;
// nothing there is part of a field). Returns false when the line already has
// the most fields a line keeps.
template <ByteScan Scan>
bool CutByMarks(const char* in, std::size_t n, char* out, Bounds& begin, Bounds& end,
                CutState& s) noexcept {
  bool open = false;  // a field runs up to s.i
  while (s.i < n) {
    const std::size_t len = n - s.i < 64 ? n - s.i : 64;
    const BlockMarks m = BlockScan<Scan>::FieldMarks(in, in + s.i, len, out + s.i);
    const std::uint64_t separators = m.first;
    const std::size_t stop = m.second != 0 ? static_cast<std::size_t>(std::countr_zero(m.second)) : len;
    const std::uint64_t beforeStop = stop == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << stop) - 1;
    // Runs of field bytes before `stop`, by their first and last bytes; the
    // two lists are walked side by side.
    const std::uint64_t runs = ~separators & beforeStop;
    std::uint64_t starts = runs & ~(runs << 1);
    std::uint64_t lasts = runs & ~(runs >> 1);
    if (open && (separators & 1) != 0) {  // the field from the last block ends
      open = false;
      end[s.field] = s.i;
      if (++s.field == CutFields::kMaxFields) return false;
    }
    while (starts != 0) {
      const auto first = static_cast<std::size_t>(std::countr_zero(starts));
      const auto last = static_cast<std::size_t>(std::countr_zero(lasts));
      starts &= starts - 1;
      lasts &= lasts - 1;
      if (!open) begin[s.field] = s.i + first;  // else the run goes on from the last block
      open = true;
      if (last + 1 < stop) {  // a blank or tab follows: the field ends
        open = false;
        end[s.field] = s.i + last + 1;
        if (++s.field == CutFields::kMaxFields) return false;
      }
    }
    s.i += stop;
    if (stop != len) break;
  }
  s.w = s.i;
  s.fieldBegin = open ? begin[s.field] : s.i;
  return true;
}

}  // namespace

template <ByteScan Scan>
void BasicFieldCutter<Scan>::Cut(std::string_view line) {
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
  CutState s;

  if constexpr (Scan == ByteScan::kSse2) {
    if (!CutByMarks<Scan>(in, n, out, begin_, end_, s)) {
      // A further field would leave the model's 32; nothing after it can
      // reach a rule, so the rest of the line is not looked at.
      count_ = kMaxFields;
      return;
    }
  }
  std::size_t i = s.i;
  std::size_t w = s.w;
  std::size_t field = s.field;
  std::size_t fieldBegin = s.fieldBegin;

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
          count_ = kMaxFields;  // as above
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
  if constexpr (Scan == ByteScan::kSse2) {
    // The text after a quote usually drops nothing, and then it is kept as
    // it stands but for a lead byte in the last position, which only a walk
    // over the characters can tell from a trail byte.
    if (i < n && !BlockScan<Scan>::AnyDroppable(in, in + i, n - i)) {
      std::size_t keptEnd = n;
      if (rupena::text::IsLeadByte(static_cast<unsigned char>(in[n - 1]))) {
        std::size_t k = i;
        while (k + 1 < n) k += rupena::text::IsLeadByte(static_cast<unsigned char>(in[k])) ? 2u : 1u;
        if (k == n - 1) keptEnd = n - 1;
      }
      std::memcpy(out + w, in + i, keptEnd - i);
      w += keptEnd - i;
      i = n;
    }
  }
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

template class BasicFieldCutter<ByteScan::kPlain>;
#if defined(__SSE2__)
template class BasicFieldCutter<ByteScan::kSse2>;
#endif

}  // namespace JwwGaibu
