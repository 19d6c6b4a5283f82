#include "exec/sql.h"

#include <gtest/gtest.h>

#include "store/library_fixture.h"
#include "store/node_id.h"

namespace lw {
namespace {

using testing::Row;

std::u16string ToU16Number(int v) {
  const std::string s = std::to_string(v);
  return std::u16string(s.begin(), s.end());
}

class SqlTest : public testing::LibraryTest {
 protected:
  void SetUp() override {
    Open({{100, 0, 0, "A", std::nullopt}, {200, 0, 1, "B", std::nullopt}, {302, 100, 0, "b", std::nullopt}});
  }
};

// The three ids are of their kinds and of three different numbers, none
// taken; ">" counts the top-level nodes.
TEST_F(SqlTest, PlaceholdersAreThreeFreshIdsAndTheTopLevelCount) {
  for (int i = 0; i < 50; ++i) {
    SqlPlaceholders v;
    ASSERT_TRUE(MakePlaceholders(store_.db(), model_, &v));
    EXPECT_EQ(NodeKindOf(v.folder_id), NodeKind::kFolder);
    EXPECT_EQ(NodeKindOf(v.book_id), NodeKind::kBook);
    EXPECT_EQ(NodeKindOf(v.file_id), NodeKind::kFile);
    EXPECT_NE(NodeNumber(v.folder_id), NodeNumber(v.book_id));
    EXPECT_NE(NodeNumber(v.book_id), NodeNumber(v.file_id));
    EXPECT_NE(NodeNumber(v.folder_id), NodeNumber(v.file_id));
    for (int id : {v.folder_id, v.book_id, v.file_id}) EXPECT_FALSE(model_.ItemOf(id));
    EXPECT_EQ(v.top_level, 2);
  }
  const SqlPlaceholders v{1100, 1202, 1304, 2};
  EXPECT_EQ(FillPlaceholders(u"INSERT INTO tab VALUES(@,0,>,'a#$',NULL)\r\n-- @", v),
            u"INSERT INTO tab VALUES(1100,0,2,'a12021304',NULL)\n-- 1100");
}

TEST_F(SqlTest, OnlyTheFirstStatementRunsAndTheRestIsNamed) {
  Db& db = store_.db();
  EXPECT_EQ(SplitFirstStatement(db, u"SELECT 1; SELECT 2").sql, u"SELECT 1;");
  EXPECT_TRUE(SplitFirstStatement(db, u"SELECT 1; SELECT 2").more);
  EXPECT_TRUE(SplitFirstStatement(db, u"SELECT 1; nonsense").more);
  EXPECT_FALSE(SplitFirstStatement(db, u"SELECT 1;  -- done\n /* c */ ").more);
  EXPECT_FALSE(SplitFirstStatement(db, u"SELECT 1").more);
  EXPECT_EQ(SplitFirstStatement(db, u"SELECT ';' ; SELECT 2").sql, u"SELECT ';' ;");

  SqlPlaceholders v;
  ASSERT_TRUE(MakePlaceholders(db, model_, &v));
  const FirstStatement first =
      SplitFirstStatement(db, FillPlaceholders(u"INSERT INTO tab VALUES(@, 0, >, 'new', NULL); DELETE FROM tab", v));
  EXPECT_TRUE(first.more);
  const SqlRun insert = RunSql(db, first.sql);
  EXPECT_TRUE(insert.ok);
  EXPECT_EQ(insert.changes, 1);
  const SqlRun rows = RunSql(db, u"SELECT id, i, t, r FROM tab WHERE p = 0 ORDER BY i");
  ASSERT_EQ(rows.rows.size(), 3u);
  EXPECT_EQ(rows.rows[2], (std::vector<std::u16string>{ToU16Number(v.folder_id), u"2", u"new", u"NULL"}));
  EXPECT_EQ(rows.changes, 0);
  EXPECT_TRUE(log_.empty()) << log_.text();
  EXPECT_FALSE(RunSql(db, u"SELEC nothing").ok);
  EXPECT_FALSE(log_.empty());
}

}  // namespace
}  // namespace lw
