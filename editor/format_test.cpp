#include "editor/format.h"

#include <gtest/gtest.h>

#include <set>

namespace lw {
namespace {

TEST(FormatDate, MonthFirstInEnglishDayFirstInRomanian) {
  std::tm t{};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 2;  // March
  t.tm_mday = 7;
  t.tm_hour = 9;
  t.tm_min = 5;
  t.tm_sec = 59;
  EXPECT_EQ(DateStamp(t, 409), "03/07/2024, 09:05");
  EXPECT_EQ(DateStamp(t, 418), "07.03.2024, 09:05");
  t.tm_hour = 23;
  EXPECT_EQ(DateStamp(t, 1033), "03/07/2024, 23:05") << "any other language is English";
}

TEST(FormatWebSearch, QueryIsUtf8PercentEncoded) {
  EXPECT_EQ(WebSearchUrl(u"a&b #c"), u"https://www.google.com/search?q=a%26b%20%23c");
  EXPECT_EQ(PercentEncode(u"ăîș"), u"%C4%83%C3%AE%C8%99");
  EXPECT_EQ(PercentEncode(u"\U0001F600"), u"%F0%9F%98%80");
  EXPECT_EQ(PercentEncode(u"A-z_0.9~"), u"A-z_0.9~");
  EXPECT_EQ(PercentEncode(u"/?=+%\r"), u"%2F%3F%3D%2B%25%0D");
}

TEST(FormatScramble, ExclusiveOrOneIsItsOwnInverse) {
  EXPECT_EQ(ScrambleText(u"abc"), u"\u0060\u0063\u0062");
  EXPECT_EQ(ScrambleText(u"\u0060\u0063\u0062"), u"abc");
  // A surrogate pair stays a pair, so the page never holds a broken one.
  EXPECT_EQ(ScrambleText(u"\U0001F600"), std::u16string({char16_t(0xD83C), char16_t(0xDE01)}));
  const std::u16string mixed = u"Țară\r\tx";
  EXPECT_EQ(ScrambleText(ScrambleText(mixed)), mixed);
}

TEST(FormatScramble, BlockLiesBetweenLinesBeginningWithASlashAndHolds3To9999) {
  //                             0123 4 5 6 7890 1 2 3 4567
  const std::u16string text = u"one\r/\rtwo\r/\rend";
  EXPECT_EQ(BlockAroundCaret(text, 1).start, 0u);
  EXPECT_EQ(BlockAroundCaret(text, 1).end, 3u);
  EXPECT_EQ(BlockAroundCaret(text, 8).start, 6u);
  EXPECT_EQ(BlockAroundCaret(text, 8).end, 9u);
  EXPECT_EQ(BlockAroundCaret(text, 14).start, 12u);
  EXPECT_EQ(BlockAroundCaret(text, 14).end, 15u);
  // A caret between the "\r" and the "/" has no marker behind it yet.
  EXPECT_EQ(BlockAroundCaret(text, 4).start, 0u);
  EXPECT_EQ(BlockAroundCaret(text, 4).end, 3u);
  // No marker at all: the whole text; a marker at the very end: clamped.
  EXPECT_EQ(BlockAroundCaret(u"plain text", 3).size(), 10u);
  const std::u16string tail = u"ab\r/";
  EXPECT_EQ(BlockAroundCaret(tail, 4).start, 4u);
  EXPECT_EQ(BlockAroundCaret(tail, 4).end, 4u);
  // Three to 9999 characters may be scrambled.
  EXPECT_EQ(JudgeScrambleLength(2), ScrambleVerdict::kTooShort);
  EXPECT_EQ(JudgeScrambleLength(3), ScrambleVerdict::kOk);
  EXPECT_EQ(JudgeScrambleLength(9999), ScrambleVerdict::kOk);
  EXPECT_EQ(JudgeScrambleLength(10000), ScrambleVerdict::kTooLong);
}

TEST(FormatTable, EveryMenuCommandHasOneRowWithItsValue) {
  std::set<int> ids;
  for (const CharFormatRow& row : CharFormatRows()) {
    EXPECT_TRUE(ids.insert(row.id).second) << "row " << row.id << " twice";
    EXPECT_EQ((row.mask & kFmtFace) != 0, row.face != nullptr) << row.id;
    EXPECT_EQ((row.mask & kFmtSize) != 0, row.twips > 0) << row.id;
  }
  for (int id = 6604; id <= 6631; ++id) {
    if (id == 6628) continue;  // Google
    EXPECT_TRUE(FindCharFormatRow(id)) << id;
  }
  // Colours, faces, sizes and styles leave no selection; headings keep theirs.
  for (const CharFormatRow& row : CharFormatRows())
    EXPECT_EQ(row.collapse, row.id < 61 || row.id > 64) << row.id;
}

}  // namespace
}  // namespace lw
