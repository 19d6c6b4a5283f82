#include "editor/find.h"

#include <gtest/gtest.h>

#include <tuple>

#include "store/library_fixture.h"
#include "store/node_id.h"

namespace lw {
namespace {

using testing::Row;

constexpr FindFlags kAnyCase{false, false}, kCase{true, false}, kWord{false, true};

// Case and whole words on Romanian and Cyrillic text; up finds the last hit
// ending before the start.
TEST(FindInText, CaseWholeWordsAndDirection) {
  const std::u16string text = u"Știința și ȘTIINȚA; banana, Ана анализ";
  EXPECT_EQ(FindInText(text, u"știința", kAnyCase, 1, true), 11u);
  EXPECT_EQ(FindInText(text, u"știința", kCase, 0, true), std::nullopt);
  EXPECT_EQ(FindInText(text, u"ȘTIINȚA", kCase, 0, true), 11u);
  EXPECT_EQ(FindInText(text, u"ана", kAnyCase, 0, true), 28u);
  // Whole words: "ana" inside "banana" and "анализ" is no hit, "Ана" is.
  EXPECT_EQ(FindInText(text, u"ana", kWord, 0, true), std::nullopt);
  EXPECT_EQ(FindInText(text, u"ана", kWord, 0, true), 28u);
  EXPECT_EQ(FindInText(u"ăna ana", u"ana", kWord, 0, true), 4u);  // ă is a letter
  const std::u16string abc = u"ab ab ab";
  EXPECT_EQ(FindInText(abc, u"ab", kAnyCase, 8, false), 6u);
  EXPECT_EQ(FindInText(abc, u"ab", kAnyCase, 7, false), 3u);
  EXPECT_EQ(FindInText(abc, u"ab", kAnyCase, 1, false), std::nullopt);
  EXPECT_EQ(FindInText(abc, u"ab", kAnyCase, 100, false), 6u);
  EXPECT_EQ(FindInText(abc, u"ab", kAnyCase, 7, true), std::nullopt);
  EXPECT_EQ(FindInText(abc, u"", kAnyCase, 0, true), std::nullopt);
}

TEST(NextHit, GoesThroughTheTreeOrderBothWays) {
  const std::vector<int> order = {100, 202, 304, 404, 502};
  const std::unordered_set<int> hits = {100, 404};
  const std::tuple<int, bool, std::optional<int>> cases[] = {
      {202, true, 404}, {404, true, {}}, {404, false, 100}, {100, false, {}},
      {0, true, 100}, {0, false, {}}};  // 0: from the library itself
  for (const auto& [from, down, next] : cases)
    EXPECT_EQ(NextHit(order, hits, from, down), next) << from << (down ? " down" : " up");
}

// Pages of every kind are read as they are shown; odd ones are no hit and
// no failure, and a stop ends the scan.
TEST(ScanPages, ReadsEveryPageAsItIsShown) {
  lw::testing::TempDir dir;
  const std::u16string path = dir.File16("find.db");
  std::vector<Row> rows = {
      {100, 0, 0, "F", std::nullopt},
      {202, 100, 0, "B", std::nullopt},
      {304, 202, 0, "rtf", std::string("{\\rtf1\\ansi fi{\\b sh}\\par}") + '\0'},
      {404, 202, 1, "cyrillic", "{\\rtf1 \\u1088?\\u1099?\\u1073?\\u1072? fish}"},
      {504, 202, 2, "text", "plain fish"},
      {604, 202, 3, "binary", std::string("\xFF\x00\x01 fi", 6)},
      {704, 202, 4, "broken", "{\\rtf1 {\\b fish"},
      {804, 202, 5, "table only", "{\\rtf1{\\fonttbl{\\f0 fish;}}x}"},
      {904, 202, 6, "empty", ""},
      {1004, 202, 7, "escaped", "{\\rtf1 k\\'69wi and \\u75?ey}"}};
  testing::WriteLibrary(path, rows);
  Db db([](const std::u16string&) {});
  ASSERT_TRUE(db.Open(path));
  // Letters that come only from escapes are found: the stored bytes are no
  // shortcut then.
  const std::tuple<std::u16string, FindFlags, std::unordered_set<int>> cases[] = {
      {u"fish", kAnyCase, {304, 404, 504, 704}}, {u"рыба", kAnyCase, {404}}, {u"kiwi", kAnyCase, {1004}},
      {u"KEY", kAnyCase, {1004}}, {u"FISH", kCase, {}}, {u"zq", kAnyCase, {}}};
  for (const auto& [what, flags, ids] : cases) EXPECT_EQ(ScanPages(db, what, flags).ids, ids) << Utf16ToUtf8(what);
  for (int i = 0; i < 600; ++i) rows.push_back({MakeNodeId(20 + i, NodeKind::kFile), 202, 10 + i, "more", "{\\rtf1 fish}"});
  testing::WriteLibrary(dir.File16("many.db"), rows);
  Db many([](const std::u16string&) {});
  ASSERT_TRUE(many.Open(dir.File16("many.db")));
  const PageScan stopped = ScanPages(many, u"fish", kAnyCase, [] { return true; });
  EXPECT_TRUE(stopped.stopped);
  EXPECT_LT(stopped.ids.size(), 600u);
}

}  // namespace
}  // namespace lw
