// The byte-scan variants as GoogleTest types: the plain one, which targets
// without SSE2 run, and this platform's own. Where both are the plain one the
// suites simply run twice.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

#include "exchange/byte_scan.h"

namespace JwwGaibu {

template <ByteScan Scan>
using ScanVariant = std::integral_constant<ByteScan, Scan>;

using ScanVariants = ::testing::Types<ScanVariant<ByteScan::kPlain>, ScanVariant<kNativeScan>>;

// Names stay apart where both variants are the plain one.
struct ScanVariantName {
  template <typename T>
  static std::string GetName(int index) {
    if (T::value == ByteScan::kSse2) return "Sse2";
    return index == 0 ? "Plain" : "NativePlain";
  }
};

}  // namespace JwwGaibu
