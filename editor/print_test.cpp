// Where the text lies on the sheet, and the page loop's ends.
#include "editor/print.h"

#include <gtest/gtest.h>

#include <vector>

namespace lw {
namespace {

// Sheets at 600 dpi as drivers report them: A4 and Letter, with the
// unprintable border of common laser printers.
TEST(PrintTextRect, EveryMarginIsTheBorderPlus777TwipsFromTheSheetsEdge) {
  struct Sheet {
    const char* name;
    PrinterMetrics m;
  };
  for (const Sheet& s : {Sheet{"A4 600", {600, 600, 4960, 7016, 100, 100}},
                         Sheet{"Letter 600", {600, 600, 5100, 6600, 75, 75}},
                         Sheet{"A4 300x600", {300, 600, 2480, 7016, 50, 118}},
                         Sheet{"no border", {600, 600, 4960, 7016, 0, 0}}}) {
    const PrinterMetrics& m = s.m;
    const TwipsRect r = PrintTextRect(m);
    // The device's origin is the printable corner, `offset` from the edge.
    const double border_x = m.offset_x * 1440.0 / m.dpi_x, border_y = m.offset_y * 1440.0 / m.dpi_y;
    const double sheet_w = m.paper_width * 1440.0 / m.dpi_x, sheet_h = m.paper_height * 1440.0 / m.dpi_y;
    EXPECT_NEAR(border_x + r.left, border_x + 777, 1) << s.name;
    EXPECT_NEAR(border_y + r.top, border_y + 777, 1) << s.name;
    EXPECT_NEAR(sheet_w - (border_x + r.right), border_x + 777, 1) << s.name;
    EXPECT_NEAR(sheet_h - (border_y + r.bottom), border_y + 777, 1) << s.name;
  }
  // A4 at 600 dpi with a 100-pixel border, in numbers.
  const TwipsRect a4 = PrintTextRect({600, 600, 4960, 7016, 100, 100});
  EXPECT_EQ(a4.right, 11424 - 777);
  EXPECT_EQ(a4.bottom, 16358 - 777);
}

TEST(PrintTextRect, ASheetTooSmallOrVoidMetricsGiveNoRectangle) {
  EXPECT_TRUE(PrintTextRect({600, 600, 700, 700, 50, 50}).empty());  // about an inch
  EXPECT_TRUE(PrintTextRect({0, 600, 4960, 7016, 0, 0}).empty());
  EXPECT_TRUE(PrintTextRect({}).empty());
}

// A control that fits `per_page` characters on a page, a device whose page
// `failing` fails to start (0: none).
struct Job {
  long per_page = 100;
  int failing = 0;
  std::vector<long> starts;
  int ended = 0;
  PageSteps Steps() {
    return PageSteps{[this] { return static_cast<int>(starts.size()) + 1 != failing; },
                     [this](long start, long end) {
                       starts.push_back(start);
                       return per_page ? std::min(end, start + per_page) : start;
                     },
                     [this] { return ++ended, true; }};
  }
};

TEST(PrintPages, EachPageGoesOnWhereTheLastEndedAndAStuckControlStops) {
  Job job;
  EXPECT_TRUE(PrintPages(job.Steps(), 30, 280));
  EXPECT_EQ(job.starts, (std::vector<long>{30, 130, 230}));
  EXPECT_EQ(job.ended, 3);

  Job empty;
  EXPECT_TRUE(PrintPages(empty.Steps(), 5, 5));
  EXPECT_TRUE(empty.starts.empty());

  Job stuck;  // a picture larger than the page, say
  stuck.per_page = 0;
  EXPECT_FALSE(PrintPages(stuck.Steps(), 0, 50));
  EXPECT_EQ(stuck.starts.size(), 1u);

  Job refused;
  refused.failing = 2;
  EXPECT_FALSE(PrintPages(refused.Steps(), 0, 500));
  EXPECT_EQ(refused.starts.size(), 1u);
  EXPECT_EQ(refused.ended, 1);
}

}  // namespace
}  // namespace lw
