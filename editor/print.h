// Printing a page: where the text goes on the paper and the loop over the
// printed pages, apart from the device and the control that do the work.
#pragma once

#include <functional>

namespace lw {

// What the printer tells of its paper, in device pixels: the resolution,
// the whole sheet, and the unprintable border at its left and top
// (GetDeviceCaps LOGPIXELSX/Y, PHYSICALWIDTH/HEIGHT, PHYSICALOFFSETX/Y).
struct PrinterMetrics {
  int dpi_x = 0, dpi_y = 0;
  int paper_width = 0, paper_height = 0;
  int offset_x = 0, offset_y = 0;
};

// A rectangle in twips (1/1440 inch).
struct TwipsRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
};

// Every margin is the printer's unprintable border plus this much.
inline constexpr int kPrintMarginTwips = 777;

// The text rectangle in the printer's coordinates, whose origin is the
// corner of the printable area: the border is counted once, so each edge of
// the text lies the border plus 777 twips from the edge of the sheet.
// Empty when the sheet is too small for any text (or the metrics are void).
TwipsRect PrintTextRect(const PrinterMetrics& m);

// The steps of one printed page, done by the device and the control.
struct PageSteps {
  std::function<bool()> start_page;
  // Formats and renders characters from `start` up to `end` on the page;
  // answers the position after the last character that fitted.
  std::function<long(long start, long end)> format;
  std::function<bool()> end_page;
};

// Prints the characters [start, end) page by page. False, with no further
// page started, as soon as a step fails or the control makes no progress (a
// position that is not beyond the start would print the same page forever).
bool PrintPages(const PageSteps& steps, long start, long end);

}  // namespace lw
