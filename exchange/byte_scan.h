// Finding the bytes that matter in exchange-file text, up to 64 bytes at a
// time: the one block scan that both the line source and the field cutter
// build on.
//
// Two variants keep the same contracts: kSse2 classifies 16 bytes per
// instruction; kPlain is ordinary C++, what the 32-bit build and every
// target without SSE2 run. Code that uses the scan is a template over the
// variant, so where SSE2 exists both variants are built and tests hold one
// against the other. Nothing here reads outside the bytes it is given.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace JwwGaibu {

enum class ByteScan { kPlain, kSse2 };

// SSE2 is part of every x86-64 processor.
#if defined(__SSE2__)
inline constexpr ByteScan kNativeScan = ByteScan::kSse2;
#else
inline constexpr ByteScan kNativeScan = ByteScan::kPlain;
#endif

// Two sets of marks over a block of up to 64 bytes: bit k stands for the
// block's byte k (memory order).
struct BlockMarks {
  std::uint64_t first = 0;
  std::uint64_t second = 0;
};

// The SSE2 scan; kPlain code does not use one. Every block lies within a
// run of bytes that begins at `begin`: a block shorter than 16 bytes is
// loaded from further back in that run when the run holds 16 bytes before
// its end, and piece by piece otherwise.
template <ByteScan Scan>
struct BlockScan;

#if defined(__SSE2__)
template <>
struct BlockScan<ByteScan::kSse2> {
  // For the field cutter, over the `n` (1..64) bytes at `in`, which are also
  // copied to `out` (room for `n` bytes): first = blanks and tabs; second =
  // the bytes splitting cannot pass without the byte classes (neither
  // printable ASCII apart from '"' and '=', nor a blank or a tab).
  static BlockMarks FieldMarks(const char* begin, const char* in, std::size_t n, char* out) noexcept {
    return Block(begin, in, n, out, [](__m128i x) {
      const __m128i sep = _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(' ')),
                                       _mm_cmpeq_epi8(x, _mm_set1_epi8('\t')));
      // Signed: bytes from 0x80 up compare below 0x21 as well.
      const __m128i unprintable = _mm_cmplt_epi8(x, _mm_set1_epi8(0x21));
      const __m128i quoteOrEquals = _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('"')),
                                                 _mm_cmpeq_epi8(x, _mm_set1_epi8('=')));
      return Lanes{sep, _mm_or_si128(_mm_andnot_si128(sep, unprintable), quoteOrEquals)};
    });
  }

  // For the line source, over the `n` (1..64) bytes at `in`: first = line
  // feeds; second = CRs and Ctrl-Zs.
  static BlockMarks LineMarks(const char* begin, const char* in, std::size_t n) noexcept {
    return Block(begin, in, n, nullptr, [](__m128i x) {
      return Lanes{_mm_cmpeq_epi8(x, _mm_set1_epi8('\n')),
                   _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\r')),
                                _mm_cmpeq_epi8(x, _mm_set1_epi8('\x1a')))};
    });
  }

  // Whether any of the `n` bytes at `in` is dropped from a field wherever
  // it stands: a control byte (tabs included), 0xFE or 0xFF.
  static bool AnyDroppable(const char* begin, const char* in, std::size_t n) noexcept {
    const auto marks = [](__m128i x) {
      const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(0x1F)), x);
      const __m128i high = _mm_cmpeq_epi8(_mm_max_epu8(x, _mm_set1_epi8(static_cast<char>(0xFE))), x);
      return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_or_si128(low, high)));
    };
    if (n >= 16) {
      for (std::size_t k = 0; k + 16 < n; k += 16) {
        if (marks(Load(in + k)) != 0) return true;
      }
      return marks(Load(in + n - 16)) != 0;
    }
    if (n == 0) return false;
    if (in + n - begin >= 16) return marks(Load(in + n - 16)) >> (16 - n) != 0;
    return (marks(LoadShort(in, n)) & ((std::uint32_t{1} << n) - 1)) != 0;
  }

 private:
  struct Lanes {
    __m128i first;
    __m128i second;
  };

  static __m128i Load(const char* p) noexcept {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  }

  // The `n` (0..16) bytes at `in` in a register with zeros above them,
  // read without touching a byte outside them.
  static __m128i LoadShort(const char* in, std::size_t n) noexcept {
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

  // Always four loads for a block of 16 bytes or more, the later ones held
  // back to end at the block's end: no loop whose count varies with the
  // length. Where loads overlap a byte is classified (and copied) the same
  // in both, so the marks simply agree.
  template <typename Classify>
  static BlockMarks Block(const char* begin, const char* in, std::size_t n, char* out,
                          Classify classify) noexcept {
    BlockMarks m;
    const auto add = [&m](const Lanes& lanes, std::uint32_t inBlock, int shift) {
      const std::uint64_t a = static_cast<std::uint32_t>(_mm_movemask_epi8(lanes.first)) & inBlock;
      const std::uint64_t b = static_cast<std::uint32_t>(_mm_movemask_epi8(lanes.second)) & inBlock;
      m.first |= shift >= 0 ? a << shift : a >> -shift;
      m.second |= shift >= 0 ? b << shift : b >> -shift;
    };
    if (n >= 16) {
      for (std::size_t k = 0; k < 64; k += 16) {
        const std::size_t at = k + 16 <= n ? k : n - 16;
        const __m128i x = Load(in + at);
        if (out != nullptr) _mm_storeu_si128(reinterpret_cast<__m128i*>(out + at), x);
        add(classify(x), 0xFFFF, static_cast<int>(at));
      }
      return m;
    }
    if (out != nullptr) std::memcpy(out, in, n);
    if (in + n - begin >= 16) {
      add(classify(Load(in + n - 16)), 0xFFFF, static_cast<int>(n) - 16);
    } else {
      // The zeros above the bytes may classify as anything; they are
      // outside the block.
      add(classify(LoadShort(in, n)), (std::uint32_t{1} << n) - 1, 0);
    }
    return m;
  }
};
#endif

}  // namespace JwwGaibu
