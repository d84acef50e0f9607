#include "app/window_layout.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>

namespace rupena::app {

namespace {

std::uint64_t Magnitude(int value) noexcept {
  return value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value)
                   : static_cast<std::uint64_t>(value);
}

std::size_t Index(int i) noexcept { return static_cast<std::size_t>(i); }

// The value most of them have; of several as frequent, the smallest.
int MostCommon(std::vector<int> values) {
  std::sort(values.begin(), values.end());
  int best = values.front();
  std::ptrdiff_t bestRun = 0;
  for (auto run = values.begin(); run != values.end();) {
    const auto next = std::upper_bound(run, values.end(), *run);
    if (next - run > bestRun) {
      best = *run;
      bestRun = next - run;
    }
    run = next;
  }
  return best;
}

}  // namespace

int ScaleLength(int value, int fromDpi, int toDpi) noexcept {
  if (fromDpi <= 0 || fromDpi == toDpi) return value;
  // |value * toDpi| < 2^62, so twice it plus fromDpi still fits 64 unsigned
  // bits: floor((2p + d) / 2d) is p / d rounded, halves up.
  const std::uint64_t product = Magnitude(value) * Magnitude(toDpi);
  const std::uint64_t divisor = static_cast<std::uint64_t>(fromDpi);
  const std::uint64_t rounded = (2 * product + divisor) / (2 * divisor);
  const bool negative = (value < 0) != (toDpi < 0);
  if (negative) {
    return rounded > Magnitude(INT_MIN) ? INT_MIN : static_cast<int>(0 - static_cast<std::int64_t>(rounded));
  }
  return rounded > static_cast<std::uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(rounded);
}

LayoutBox ScaleBox(LayoutBox box, int dpi) noexcept {
  const int left = ScaleForDpi(box.x, dpi);
  const int top = ScaleForDpi(box.y, dpi);
  return {left, top, ScaleForDpi(box.x + box.width, dpi) - left,
          ScaleForDpi(box.y + box.height, dpi) - top};
}

GridLengths::GridLengths() {
  const GridLayout fresh;
  defaultWidth_ = {fresh.DefaultColWidth(), kLayoutDpi};
  rowHeight_ = {fresh.RowHeight(), kLayoutDpi};
  widths_.assign(Index(fresh.ColCount()), defaultWidth_);
}

void GridLengths::SetColCount(int count) { widths_.resize(Index(std::max(count, 0)), defaultWidth_); }

void GridLengths::SetColWidth(int col, DpiLength width) {
  if (col >= 0 && col < ColCount()) widths_[Index(col)] = width;
}

void GridLengths::SetDataColWidths(DpiLength width) {
  std::fill(widths_.begin() + std::min(GridLayout::kFixedCols, ColCount()), widths_.end(), width);
}

void GridLengths::SetDefaultColWidth(DpiLength width) {
  defaultWidth_ = width;
  std::fill(widths_.begin(), widths_.end(), width);
}

void GridLengths::SetRowHeight(DpiLength height) { rowHeight_ = height; }

DpiLength GridLengths::ColWidth(int col) const noexcept {
  return col >= 0 && col < ColCount() ? widths_[Index(col)] : DpiLength{};
}

// GridLayout sums its column edges once per width set: setting 65536
// columns one by one would sum them 65536 times. Widths shared by many
// columns are set in one pass each (every column, then the data columns),
// so only the columns that differ from both cost a pass of their own.
void GridLengths::ApplyTo(GridLayout& layout, int dpi) const {
  layout.SetRowHeight(rowHeight_.At(dpi));
  const int count = std::min(ColCount(), layout.ColCount());
  std::vector<int> pixels(Index(count));
  for (int col = 0; col < count; ++col) {
    pixels[Index(col)] = std::clamp(widths_[Index(col)].At(dpi), 0, GridLayout::kMaxColWidth);
  }
  layout.SetDefaultColWidth(defaultWidth_.At(dpi));
  if (count > GridLayout::kFixedCols) {
    const int common = MostCommon({pixels.begin() + GridLayout::kFixedCols, pixels.end()});
    if (common != layout.DefaultColWidth()) layout.SetDataColWidths(common);
  }
  for (int col = 0; col < count; ++col) {
    if (layout.ColWidth(col) != pixels[Index(col)]) layout.SetColWidth(col, pixels[Index(col)]);
  }
}

}  // namespace rupena::app
