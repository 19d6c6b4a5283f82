#include "editor/print.h"

#include <cstdint>

namespace lw {

namespace {

constexpr int kTwipsPerInch = 1440;

// `pixels` at `dpi` in twips, rounded as MulDiv rounds; 0 for a void dpi.
int Twips(int pixels, int dpi) {
  if (dpi <= 0) return 0;
  const std::int64_t scaled = static_cast<std::int64_t>(pixels) * kTwipsPerInch;
  const std::int64_t half = dpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / dpi : (scaled - half) / dpi);
}

}  // namespace

TwipsRect PrintTextRect(const PrinterMetrics& m) {
  // The printable area begins at the border; its far edges lie a border's
  // width inside the sheet's (a symmetric border, as printers report only
  // the near one).
  TwipsRect r;
  r.left = kPrintMarginTwips;
  r.top = kPrintMarginTwips;
  r.right = Twips(m.paper_width - 2 * m.offset_x, m.dpi_x) - kPrintMarginTwips;
  r.bottom = Twips(m.paper_height - 2 * m.offset_y, m.dpi_y) - kPrintMarginTwips;
  if (m.dpi_x <= 0 || m.dpi_y <= 0 || r.empty()) return TwipsRect{};
  return r;
}

bool PrintPages(const PageSteps& steps, long start, long end) {
  while (start < end) {
    if (!steps.start_page()) return false;
    const long next = steps.format(start, end);
    if (next <= start) return false;
    start = next;
    if (!steps.end_page()) return false;
  }
  return true;
}

}  // namespace lw
