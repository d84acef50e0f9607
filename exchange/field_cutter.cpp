#include "exchange/field_cutter.h"

#include <cstdint>

#include "textutil/shift_jis.h"

namespace rupena::exchange {

namespace {

// What a byte does while splitting is on. Once splitting is off a lead
// byte still takes its partner, tabs and kDrop bytes are still dropped, and
// every other byte is appended. The order matters: while splitting, the
// classes before kQuote are appended as they are; once it is off, those
// before kLead.
enum ByteClass : std::uint8_t { kAppend, kQuote, kEquals, kBlank, kLead, kTab, kDrop };

constexpr std::array<std::uint8_t, 256> MakeByteClasses() {
  std::array<std::uint8_t, 256> classes{};
  for (unsigned b = 0; b < 256; ++b) {
    std::uint8_t c = kAppend;
    if (text::IsLeadByte(static_cast<unsigned char>(b))) c = kLead;
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
  // the line's size cannot overrun. The cut's state lives in locals: stores
  // through a char pointer could alias the members and force reloads.
  char* const out = bytes_.data();
  const char* const in = line.data();
  std::size_t i = 0;           // the next byte of the line
  std::size_t w = 0;           // the next byte of the copy
  std::size_t field = 0;       // the field being filled
  std::size_t fieldBegin = 0;  // where it begins in the copy

  // Most bytes are appended as they are, in runs between the few that are
  // not; a run is copied by a loop of its own, on copies of the positions
  // (a call to memcpy per run costs more than the short runs of a line).
  const auto appendRun = [&](std::uint8_t stop) {
    std::size_t from = i;
    std::size_t to = w;
    while (from < n && kByteClass[static_cast<unsigned char>(in[from])] < stop) out[to++] = in[from++];
    i = from;
    w = to;
  };

  bool splitting = true;
  while (splitting && i < n) {
    appendRun(kQuote);
    if (i == n) break;
    const char b = in[i];
    switch (kByteClass[static_cast<unsigned char>(b)]) {
      case kLead:
        if (i + 1 == n) {
          i = n;  // a lead byte without its partner is dropped
        } else {
          out[w++] = b;
          out[w++] = in[i + 1];
          i += 2;
        }
        break;
      case kBlank:
      case kTab:
        ++i;
        if (w != fieldBegin) {  // runs of blanks open no empty fields
          begin_[field] = fieldBegin;
          end_[field] = w;
          fieldBegin = w;
          if (++field == kMaxFields) {
            // A further field would leave the drawing's 32; nothing after it
            // can reach a rule, so the rest of the line is not looked at.
            count_ = kMaxFields;
            return;
          }
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
  while (i < n) {
    appendRun(kLead);  // quotes, equals signs and blanks are text now
    if (i == n) break;
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

}  // namespace rupena::exchange
