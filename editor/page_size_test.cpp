#include "editor/page_size.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

TEST(PageSizeGuard, MeasuresOnlyNearTheLimitOrWhenObjectsChange) {
  PageSizeGuard guard(10'000'000);
  guard.Measured(1'000'000, 200'000, 0);
  // Typing a lot far below the limit: no stream-out.
  EXPECT_FALSE(guard.NeedsMeasure(200'001, 0));
  EXPECT_FALSE(guard.NeedsMeasure(250'000, 0));
  EXPECT_FALSE(guard.NeedsMeasure(10, 0));
  // Enough new characters to reach the limit at the worst case per character.
  const std::int64_t room = 10'000'000 - 1'000'000 - PageSizeGuard::kTableRoom;
  EXPECT_FALSE(guard.NeedsMeasure(200'000 + room / PageSizeGuard::kBytesPerChar - 1, 0));
  EXPECT_TRUE(guard.NeedsMeasure(200'000 + room / PageSizeGuard::kBytesPerChar + 1, 0));
  // A picture in or out: its bytes are unknown until measured.
  EXPECT_TRUE(guard.NeedsMeasure(200'001, 1));
  guard.Measured(9'990'000, 200'001, 1);
  // Within the table room of the limit every change is measured.
  EXPECT_TRUE(guard.NeedsMeasure(200'001, 1));
  EXPECT_TRUE(guard.Fits(10'000'000));
  EXPECT_FALSE(guard.Fits(10'000'001));
}

TEST(PageZoom, StepsFromNoZoomAndStopsAtTheControlsBounds) {
  EXPECT_EQ(NextZoom(0, 0, true), std::make_pair(103, 97));
  EXPECT_EQ(NextZoom(0, 0, false), std::make_pair(97, 103));
  // Enlarging forever ends at a ratio of at most 64 with positive terms.
  std::pair<int, int> z{0, 0};
  for (int i = 0; i < 200; ++i) z = NextZoom(z.first, z.second, true);
  EXPECT_GT(z.second, 0);
  EXPECT_LE(z.first, 64 * z.second);
  EXPECT_EQ(NextZoom(z.first, z.second, true), z);
  for (int i = 0; i < 200; ++i) z = NextZoom(z.first, z.second, false);
  EXPECT_GT(z.first, 0);
  EXPECT_LE(z.second, 64 * z.first);
  EXPECT_EQ(NextZoom(z.first, z.second, false), z);
}

TEST(PageBytesKind, RtfUtf8AndOtherBytes) {
  EXPECT_EQ(KindOfPageBytes("{\\rtf1\\ansi x}"), PageBytes::kRtf);
  EXPECT_EQ(KindOfPageBytes("{\\rtf"), PageBytes::kRtf);  // truncated: the control decides
  EXPECT_EQ(KindOfPageBytes(""), PageBytes::kUtf8);
  EXPECT_EQ(KindOfPageBytes("plain {text}"), PageBytes::kUtf8);
  EXPECT_EQ(KindOfPageBytes("\xC8\x98tiin\xC8\x9B\xC4\x83 \xD0\x96"), PageBytes::kUtf8);  // Știință Ж
  EXPECT_EQ(KindOfPageBytes("\xAA\xBA\xFE"), PageBytes::kAnsi);  // cp1250 bytes
  EXPECT_EQ(KindOfPageBytes("end \xC8"), PageBytes::kAnsi);      // a cut sequence
  EXPECT_EQ(KindOfPageBytes(" {\\rtf1 x}"), PageBytes::kUtf8);

  std::string deep = "{\\rtf1 ";
  for (int i = 0; i < kMaxRtfDepth; ++i) deep += "{\\b ";
  EXPECT_EQ(KindOfPageBytes(deep), PageBytes::kDeepRtf);
  // Escaped braces and binary data are not groups.
  EXPECT_EQ(RtfGroupDepth("{\\rtf1 \\{\\{\\{ {\\b x}\\}}"), 2);
  EXPECT_EQ(RtfGroupDepth("{\\rtf1 {\\pict\\bin4 {{{{}}"), 2);
  EXPECT_EQ(RtfGroupDepth("{\\rtf1 {\\bin999999999999 {{{"), 2);
}

TEST(PageBytesKind, MusicFontInTheFontTable) {
  EXPECT_TRUE(UsesMusicFont("{\\rtf1{\\fonttbl{\\f0 Verdana;}{\\f1 CANTORIA;}}x}"));
  EXPECT_FALSE(UsesMusicFont("{\\rtf1{\\fonttbl{\\f0 Verdana;}}cantori}"));
}

}  // namespace
}  // namespace lw
