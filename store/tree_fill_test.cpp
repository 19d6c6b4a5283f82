#include "store/tree_fill.h"

#include <gtest/gtest.h>

#include "store/library_fixture.h"
#include "store/statements.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

using testing::Describe;
using testing::Row;

class TreeFillTest : public ::testing::Test {
 protected:
  void Fill(const std::vector<Row>& rows) {
    testing::WriteLibrary(path_, rows);
    ASSERT_TRUE(db_.Open(path_));
    model_.Reset(u"lib.db");
    ASSERT_EQ(FillTree(db_, model_, &report_), TreeRead::kRead) << log_.text();
  }
  testing::TempDir dir_;
  testing::ErrorLog log_;
  std::u16string path_ = dir_.File16("lib.db");
  Db db_{log_.sink()};
  TreeModel model_;
  LoadReport report_;
};

// Orders out of insertion order, negative and equal: the one pass over the
// table gives what the per-parent "ORDER BY i" queries give.
TEST_F(TreeFillTest, OrderIsThatOfThePerParentQueries) {
  Fill({{300, 0, 5, "C", {}},     {100, 0, 1, "A", {}},     {200, 0, 1, "B", {}},
        {402, 100, 2, "a2", {}},  {502, 100, -1, "a0", {}}, {612, 100, 2, "a3", {}},
        {704, 502, 0, "x", {}},   {814, 502, 0, "y", {}},   {904, 612, 7, "z", {}},
        {1004, 612, 3, "w", {}},  {1102, 300, 0, "c1", {}}});
  EXPECT_EQ(Describe(model_.library_root()), "A{a0{x,y*},a2,a3*{w,z}},B,C{c1}");
  EXPECT_EQ(Describe(model_.favourites_root()), "y*,a3*");
  EXPECT_EQ(model_.index().at(6).id, 1004);
  EXPECT_EQ(model_.ItemOf(904)->order(), 7);
  testing::ExpectRowidsOfRows(model_, path_);
  std::vector<int> folders;  // as SQLite orders the ties
  for (Statement st = db_.Prepare(FormatSql16(kSqlSelectFolders)); st.Step();) {
    folders.push_back(st.ColumnInt(0));
  }
  EXPECT_EQ(folders, (std::vector<int>{100, 200, 300}));
  EXPECT_EQ(report_.hidden_rows, 0);
}

// Rows an outside tool wrote against the id scheme are left out, never shown
// at a wrong level or twice, and their numbers are not given to new nodes.
TEST_F(TreeFillTest, RowsOutsideTheSchemeAreLeftOutAndTheirNumbersKept) {
  const std::string long_title = "A title of forty-eight characters, four too many";
  Fill({{100, 0, 0, "A", {}},
        {0, 0, 1, "id zero", {}},          // would list every folder as its books
        {202, 0, 2, "book at top", {}},    // a book where folders belong
        {355, 100, 0, "suffix 55", {}},    // no kind
        {-402, 100, 1, "negative", {}},
        {502, 100, 2, long_title, {}},
        {602, 100, 3, "again", {}},
        {102, 100, 4, "number of A", {}},  // number 1 is A's
        {704, 9999, 0, "orphan", {}},
        {800, 502, 0, "folder in a book", {}}});
  EXPECT_EQ(Describe(model_.library_root()), "A{" + long_title.substr(0, 44) + ",again}");
  EXPECT_EQ(report_.hidden_rows, 7);
  EXPECT_EQ(report_.long_titles, 1);
  const UsedNumbers used = model_.UsedNodeNumbers();
  for (int number : {1, 2, 3, 5, 6, 7, 8}) EXPECT_TRUE(used.test(number)) << number;
  EXPECT_FALSE(used.test(4));  // -402 is outside 1..32768
}

}  // namespace
}  // namespace lw
