#include "display/outline.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace flakemorph {

namespace {

// Sides of a box reach 2^32 - 1, so products of two squared sides need 128 bits.
__extension__ typedef unsigned __int128 Wide;

// The ellipse's box in 64-bit numbers, where neither the sides nor the row offsets overflow.
struct EllipseBox {
  std::int64_t left;
  std::int64_t top;
  std::int64_t width;
  std::int64_t height;
};

EllipseBox NormalisedBox(std::int32_t left, std::int32_t top, std::int32_t right,
                         std::int32_t bottom) {
  if (right < left) std::swap(left, right);
  if (bottom < top) std::swap(top, bottom);
  return {left, top, std::int64_t{right} - left, std::int64_t{bottom} - top};
}

// The filled ellipse is the set of pixels whose centres lie on or inside the ellipse inscribed
// in the box's outer edges; for a circle this is the midpoint rule x^2 + y^2 <= r^2 + r + 1/4.
// Offsets from the box's centre lines are counted in half pixels, so that even and odd sides
// are handled alike: row y lies at v = 2 * (y - top) + 1 - h, and a pixel at column offset u
// is inside when u^2 h^2 <= w^2 (h^2 - v^2); 128 bits hold those products exactly. (No pixel
// centre lies exactly on the ellipse, so "on" costs nothing.)
//
// The middle row (or two) and the middle column (or two) are always covered whole, so that a
// long thin ellipse still reaches all four sides of its box. Every row's span is then centred
// and nested in the next one toward the middle, which is what makes the outline closed.
//
// TopHalfSpans gives the spans of the rows of the top half (middle row included) in turn, from
// the box's edge toward the middle: on that way the widest offset only grows, mostly by a
// pixel or two per row, so each row starts from the last one's.
class TopHalfSpans {
 public:
  // The first span is that of the row k rows below the box's top (k = -1 is just above it).
  TopHalfSpans(const EllipseBox& box, std::int64_t k)
      : w_(static_cast<std::uint64_t>(box.width)),
        h_(static_cast<std::uint64_t>(box.height)),
        w_squared_(Wide{w_ * w_}),
        slope_(static_cast<double>(w_) / static_cast<double>(h_)),
        next_k_(k) {}

  // How many pixels of the next row the filled ellipse covers, centred in the box; 0 outside.
  std::int64_t Next() {
    const std::int64_t k = next_k_++;
    if (k < 0) return 0;
    const std::int64_t v = static_cast<std::int64_t>(h_) - 1 - 2 * k;  // >= 0 in the top half
    if (v <= 1) return static_cast<std::int64_t>(w_);
    const auto abs_v = static_cast<std::uint64_t>(v);
    last_offset_ = WidestOffset(h_ * h_ - abs_v * abs_v);
    // Offsets step by two and share the parity of w - 1; the span counts the pixels.
    const std::uint64_t u = last_offset_;
    const std::uint64_t span = ((u ^ (w_ - 1)) & 1) != 0 ? u : u + 1;
    return static_cast<std::int64_t>(std::max(span, 2 - (w_ & 1)));
  }

 private:
  // The largest u (any parity) below w with u^2 h^2 <= w^2 room, at least the last row's.
  std::uint64_t WidestOffset(std::uint64_t room) const {
    const Wide limit = w_squared_ * room;
    const auto fits = [&](std::uint64_t u) {
      const Wide uh = u * h_;  // u < w, so u * h < 2^64
      return uh * uh <= limit;
    };
    std::uint64_t u = last_offset_;
    for (int step = 0; step < 4; ++step) {
      if (u + 1 >= w_ || !fits(u + 1)) return u;
      ++u;
    }
    // A long way to go: from a floating-point estimate, off by at most one for any 32-bit box.
    u = std::max(u, static_cast<std::uint64_t>(slope_ * std::sqrt(static_cast<double>(room))));
    u = std::min(u, w_ - 1);
    while (u > 0 && !fits(u)) --u;
    while (u + 1 < w_ && fits(u + 1)) ++u;
    return u;
  }

  std::uint64_t w_;
  std::uint64_t h_;
  Wide w_squared_;
  double slope_;
  std::int64_t next_k_;
  std::uint64_t last_offset_ = 0;  // the widest offset of the row before; 0 fits any row
};

// The pixels [first, last] of row y, clipped to the row; each one a block where the rows are
// scaled.
void FillRun(const PixelRows& rows, std::int64_t y, std::int64_t first, std::int64_t last,
             std::uint32_t color) {
  first = std::max<std::int64_t>(first, 0);
  last = std::min<std::int64_t>(last, rows.width - 1);
  if (first > last) return;
  const std::int64_t scale = rows.scale;
  std::uint32_t* row = rows.pixels + y * scale * rows.stride;
  // Runs are mostly a pixel or two long: a plain loop beats std::fill's set-up here.
  for (std::int64_t i = 0; i < scale; ++i, row += rows.stride) {
    for (std::int64_t x = first * scale; x < (last + 1) * scale; ++x) row[x] = color;
  }
}

// Draws the outline pixels of one row: those of its span that are not also covered by both the
// row above and the row below (inner is the narrower of their spans). That leaves a run at each
// end, at least one pixel long, which meets the runs of the neighbouring rows corner to corner.
// A row's span is never narrower than inner, since spans widen toward the middle.
void DrawOutlineRow(const PixelRows& rows, std::int64_t y, const EllipseBox& box, std::int64_t span,
                    std::int64_t inner, std::uint32_t color) {
  const std::int64_t run = std::max<std::int64_t>(1, (span - inner + 1) / 2);
  const std::int64_t first = box.left + (box.width - span) / 2;
  const std::int64_t last = first + span - 1;
  FillRun(rows, y, first, first + run - 1, color);
  FillRun(rows, y, last - run + 1, last, color);
}

// The rows that one ellipse may draw on.
struct VisibleRows {
  PixelRows rows;
  std::int64_t first;
  std::int64_t last;
};

// The rows k from the top and k from the bottom of the box have the same spans, so the outline
// is drawn a mirrored pair of rows at a time; only the pairs with a visible row are visited.
class OutlineDrawer {
 public:
  OutlineDrawer(const VisibleRows& rows, const EllipseBox& box, std::uint32_t color)
      : rows_(rows), box_(box), color_(color) {}

  void Draw() const {
    if (rows_.first > rows_.last) return;
    const std::int64_t bottom = box_.top + box_.height - 1;
    const std::int64_t middle = (box_.height - 1) / 2;  // the last k of the top half
    const std::int64_t top_first = std::max(rows_.first, box_.top) - box_.top;
    const std::int64_t top_last = std::min(rows_.last - box_.top, middle);
    const std::int64_t bottom_first = std::max<std::int64_t>(bottom - rows_.last, 0);
    const std::int64_t bottom_last = std::min(bottom - rows_.first, middle);
    if (top_first > top_last) {
      DrawPairs(bottom_first, bottom_last);
    } else if (bottom_first > bottom_last) {
      DrawPairs(top_first, top_last);
    } else {
      // The visible rows are one run: showing both halves, it crosses the middle.
      DrawPairs(std::min(top_first, bottom_first), middle);
    }
  }

 private:
  // Within the top half the row above is the narrower neighbour, so it alone bounds the run.
  void DrawPairs(std::int64_t first_k, std::int64_t last_k) const {
    if (first_k > last_k) return;
    TopHalfSpans spans(box_, first_k - 1);
    std::int64_t above = spans.Next();
    for (std::int64_t k = first_k; k <= last_k; ++k) {
      const std::int64_t here = spans.Next();
      const std::int64_t upper_row = box_.top + k;
      const std::int64_t lower_row = box_.top + box_.height - 1 - k;
      if (IsVisible(upper_row)) DrawRow(upper_row, here, above);
      if (lower_row != upper_row && IsVisible(lower_row)) DrawRow(lower_row, here, above);
      above = here;
    }
  }

  bool IsVisible(std::int64_t y) const { return y >= rows_.first && y <= rows_.last; }

  void DrawRow(std::int64_t y, std::int64_t span, std::int64_t inner) const {
    DrawOutlineRow(rows_.rows, y, box_, span, inner, color_);
  }

  VisibleRows rows_;
  EllipseBox box_;
  std::uint32_t color_;
};

// A stamp row's two runs where the box lies wholly on the rows: the usual case, with no clipping.
template <typename Run>
// Runs are mostly one or two pixels long: writing both ends of each run covers those without a
// loop whose varying length the processor cannot foresee.
void StampRow(std::uint32_t* row, std::int64_t side, const Run& run, std::uint32_t pixel) {
  std::uint32_t* left = row + run.first;
  std::uint32_t* right = row + (side - 1 - run.first);
  const std::int64_t last = run.length - 1;
  left[0] = pixel;
  left[last] = pixel;
  right[0] = pixel;
  right[-last] = pixel;
  for (std::int64_t i = 1; i < last; ++i) {
    left[i] = pixel;
    right[-i] = pixel;
  }
}

// The same for a box that reaches off the rows: only its columns [from, to) are drawn.
template <typename Run>
void StampClippedRow(std::uint32_t* row, std::int64_t side, const Run& run, std::int64_t from,
                     std::int64_t to, std::uint32_t pixel) {
  const std::int64_t left_end = std::min<std::int64_t>(run.first + run.length, to);
  for (std::int64_t x = std::max<std::int64_t>(run.first, from); x < left_end; ++x) row[x] = pixel;
  const std::int64_t right_end = std::min<std::int64_t>(side - run.first, to);
  for (std::int64_t x = std::max<std::int64_t>(side - run.first - run.length, from); x < right_end;
       ++x) {
    row[x] = pixel;
  }
}

// Scale 2, the usual scaled screen, stores a block's two pixels of a row as one word: a
// frame's stores wait on memory, and half as many of them in flight reach twice as far ahead.
template <typename Run>
void StampDoubledRows(std::uint32_t* row, std::ptrdiff_t stride, std::int64_t side, const Run* run,
                      const Run* end, std::uint32_t pixel) {
  const std::uint64_t pair = pixel * std::uint64_t{0x1'0000'0001};
  for (; run != end; ++run) {
    const std::int64_t left = run->first * 2;
    const std::int64_t right = side - left - run->length * 2;
    for (int i = 0; i < 2; ++i, row += stride) {
      for (std::int64_t x = 0; x < run->length; ++x) {
        std::memcpy(row + left + 2 * x, &pair, sizeof pair);
        std::memcpy(row + right + 2 * x, &pair, sizeof pair);
      }
    }
  }
}

// The same for rows whose every pixel is a block. A box whose columns all lie on the rows, the
// usual case, is stamped straight, its rows fetched first as StampRow's caller does; one that
// reaches off them sideways goes run by run through FillRun, which clips.
template <typename Run>
void StampBlocks(const PixelRows& rows, const EllipseBox& box, const Run* runs,
                 std::int64_t first_row, std::int64_t end_row, bool whole, std::uint32_t pixel) {
  if (!whole) {
    for (std::int64_t k = first_row; k < end_row; ++k) {
      const std::int64_t left = box.left + runs[k].first;
      const std::int64_t right = box.left + box.width - runs[k].first - runs[k].length;
      FillRun(rows, box.top + k, left, left + runs[k].length - 1, pixel);
      FillRun(rows, box.top + k, right, right + runs[k].length - 1, pixel);
    }
    return;
  }
  const std::int64_t scale = rows.scale;
  const std::int64_t side = box.width * scale;
  std::uint32_t* const first =
      rows.pixels + (box.top + first_row) * scale * rows.stride + box.left * scale;
  std::uint32_t* row = first;
  for (std::int64_t k = first_row; k < end_row; ++k) {
    for (std::int64_t i = 0; i < scale; ++i, row += rows.stride) {
      __builtin_prefetch(row + runs[k].first * scale, 1);
      __builtin_prefetch(row + side - 1 - runs[k].first * scale, 1);
    }
  }
  if (scale == 2) {
    StampDoubledRows(first, rows.stride, side, runs + first_row, runs + end_row, pixel);
    return;
  }
  row = first;
  for (std::int64_t k = first_row; k < end_row; ++k) {
    const std::int64_t length = runs[k].length * scale;
    const std::int64_t left = runs[k].first * scale;
    const std::int64_t right = side - left - length;
    for (std::int64_t i = 0; i < scale; ++i, row += rows.stride) {
      for (std::int64_t x = 0; x < length; ++x) {
        row[left + x] = pixel;
        row[right + x] = pixel;
      }
    }
  }
}

}  // namespace

void DrawGeneralOutline(const PixelRows& rows, const OutlineBox& requested, std::uint32_t pixel) {
  const EllipseBox box =
      NormalisedBox(requested.left, requested.top, requested.right, requested.bottom);
  if (box.width == 0 || box.height == 0 || rows.width <= 0 || rows.height <= rows.top) return;
  if (box.left >= rows.width || box.left + box.width <= 0) return;
  // Only the rows of the box that are there are visited, and each row's runs are clipped once,
  // so a huge ellipse costs no more than the rows it crosses.
  const VisibleRows visible{rows, std::max<std::int64_t>(box.top, rows.top),
                            std::min<std::int64_t>(box.top + box.height, rows.height) - 1};
  OutlineDrawer(visible, box, pixel).Draw();
}

OutlineStamps::OutlineStamps()
    : runs_(static_cast<std::size_t>(kLargestSide * (kLargestSide + 1) / 2)) {}

bool OutlineStamps::Draw(const PixelRows& rows, const OutlineBox& requested, std::uint32_t pixel) {
  const EllipseBox box =
      NormalisedBox(requested.left, requested.top, requested.right, requested.bottom);
  if (box.width != box.height || box.width == 0 || box.width > kLargestSide) return false;
  const std::int64_t side = box.width;
  const Run* runs = RunsOfSide(static_cast<std::int32_t>(side));
  const std::int64_t first_row = std::max<std::int64_t>(0, rows.top - box.top);
  const std::int64_t end_row = std::min<std::int64_t>(side, rows.height - box.top);
  const std::int64_t from = std::max<std::int64_t>(0, -box.left);
  const std::int64_t to = std::min<std::int64_t>(side, rows.width - box.left);
  if (first_row >= end_row || from >= to) return true;
  if (rows.scale != 1) {
    StampBlocks(rows, box, runs, first_row, end_row, from == 0 && to == side, pixel);
    return true;
  }
  std::uint32_t* row = rows.pixels + (box.top + first_row) * rows.stride + box.left;
  if (from == 0 && to == side) {
    // The rows lie far apart in memory and are seldom still cached from the frame before: asking
    // for all of them first lets their fetches overlap instead of stalling the stores one by one.
    std::uint32_t* ahead = row;
    for (std::int64_t k = first_row; k < end_row; ++k, ahead += rows.stride) {
      __builtin_prefetch(ahead + runs[k].first, 1);
      __builtin_prefetch(ahead + (side - 1 - runs[k].first), 1);
    }
    for (std::int64_t k = first_row; k < end_row; ++k, row += rows.stride) {
      StampRow(row, side, runs[k], pixel);
    }
  } else {
    for (std::int64_t k = first_row; k < end_row; ++k, row += rows.stride) {
      StampClippedRow(row, side, runs[k], from, to, pixel);
    }
  }
  return true;
}

const OutlineStamps::Run* OutlineStamps::RunsOfSide(std::int32_t side) {
  if (!built_[static_cast<std::size_t>(side)]) Build(side);
  return &runs_[static_cast<std::size_t>(side * (side - 1) / 2)];
}

// The runs are those DrawOutlineRow draws for the same rows of the same box.
void OutlineStamps::Build(std::int32_t side) {
  Run* runs = &runs_[static_cast<std::size_t>(side * (side - 1) / 2)];
  const EllipseBox box{0, 0, side, side};
  TopHalfSpans spans(box, -1);
  std::int64_t above = spans.Next();
  for (std::int64_t k = 0; k <= (side - 1) / 2; ++k) {
    const std::int64_t here = spans.Next();
    const Run run{static_cast<std::uint8_t>((side - here) / 2),
                  static_cast<std::uint8_t>(std::max<std::int64_t>(1, (here - above + 1) / 2))};
    runs[k] = run;
    runs[side - 1 - k] = run;
    above = here;
  }
  built_[static_cast<std::size_t>(side)] = true;
}

}  // namespace flakemorph
