#include "store/page_store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "store/library_fixture.h"
#include "store/statements.h"
#include "store/tree_ops.h"

namespace lw {
namespace {

using testing::ReadRows;
using testing::Row;
using testing::RowsById;
using testing::RowidsById;

std::string Stored(const std::string& rtf) { return rtf + std::string(1, '\0'); }

// A{a1{x,y},a2},B{b1}; pages with their zero byte, without it, and NULL.
const std::vector<Row> kLibrary = {
    {100, 0, 0, "A", {}},          {202, 100, 0, "a1", Stored("{a1}")},
    {304, 202, 0, "x", "{x}"},     {404, 202, 1, "y", {}},
    {502, 100, 1, "a2", {}},       {600, 0, 1, "B", {}},
    {702, 600, 0, "b1", Stored("{b1}")}};

class PageStoreTest : public testing::LibraryTest {
 protected:
  void SetUp() override { Open(kLibrary); }
  // Runs `sql` on a connection of its own, as another program would.
  void Outside(const std::string& sql) {
    Db other(log_.sink());
    ASSERT_TRUE(other.Open(path_) && other.Exec(sql)) << log_.text();
  }
  // The page of `id` as stored, byte for byte.
  std::optional<std::string> PageBytes(int id) { return RowsById(path_)[id].page; }
};

TEST_F(PageStoreTest, ReadsAndStoresThePageOfItsOwnRow) {
  testing::ExpectRowidsOfRows(model_, path_);
  const std::optional<StoredPage> a1 = ReadPage(store_, model_, 202);
  ASSERT_TRUE(a1);
  EXPECT_EQ(a1->title, u"a1");
  EXPECT_EQ(a1->rtf, "{a1}");
  EXPECT_FALSE(a1->is_null);
  EXPECT_EQ(ReadPage(store_, model_, 304)->rtf, "{x}");  // no zero byte: read whole
  const std::optional<StoredPage> y = ReadPage(store_, model_, 404);
  ASSERT_TRUE(y);
  EXPECT_TRUE(y->is_null && y->rtf.empty());
  EXPECT_FALSE(ReadPage(store_, model_, 9900));

  EXPECT_EQ(StorePage(store_, model_, 404, "{y}"), PageWrite::kStored);
  EXPECT_EQ(StorePage(store_, model_, 202, ""), PageWrite::kStored);
  std::vector<Row> expected = kLibrary;
  expected[3].page = Stored("{y}");  // one zero byte after the page, as pages are stored
  expected[1].page = Stored("");
  EXPECT_EQ(ReadRows(path_), expected);
  EXPECT_EQ(ReadPage(store_, model_, 404)->rtf, "{y}");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// Another program deleted rows and inserted or moved others: a rowid the
// tree holds may now be another row's. Only the row with the id is touched.
TEST_F(PageStoreTest, AStaleRowidNeverTouchesAnotherRow) {
  // b1 (the last row) goes and a new row takes its rowid.
  const std::int64_t b1_rowid = *model_.index().RowidOf(702);
  Outside("DELETE FROM tab WHERE id = 702; INSERT INTO tab VALUES (804, 600, 1, 'new', 'n')");
  ASSERT_EQ(RowidsById(path_)[804], b1_rowid);
  EXPECT_EQ(StorePage(store_, model_, 702, "{lost}"), PageWrite::kNoRow);
  EXPECT_FALSE(ReadPage(store_, model_, 702));
  EXPECT_EQ(RowsById(path_)[804], (Row{804, 600, 1, "new", "n"}));

  // x and y swap rowids: each is still found, by its id.
  testing::SwapRowids(path_, 304, 404);
  EXPECT_EQ(ReadPage(store_, model_, 304)->rtf, "{x}");
  EXPECT_EQ(StorePage(store_, model_, 304, "{x2}"), PageWrite::kStored);
  EXPECT_EQ(PageBytes(304), Stored("{x2}"));
  EXPECT_EQ(PageBytes(404), std::nullopt);

  // An id written twice by an outside tool: the first row only.
  Outside("INSERT INTO tab VALUES (355, 0, 9, 'd1', null);"
          "INSERT INTO tab VALUES (355, 0, 9, 'd2', null)");
  EXPECT_EQ(StorePage(store_, model_, 355, "{d}"), PageWrite::kStored);
  std::vector<std::optional<std::string>> pages;
  for (const Row& r : ReadRows(path_)) {
    if (r.id == 355) pages.push_back(r.page);
  }
  EXPECT_EQ(pages, (std::vector<std::optional<std::string>>{Stored("{d}"), std::nullopt}));
  EXPECT_EQ(ReadPage(store_, model_, 355)->rtf, "{d}");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

// VACUUM renumbers the rowids of a table without an INTEGER PRIMARY KEY.
// Deleting x, an early row, moves every later row onto the rowid of the row
// before it.
TEST_F(PageStoreTest, AfterVacuumPagesStillGoToTheirRowsAndRowidsAreReadAgain) {
  SelectItem(store_, model_, model_.ItemOf(304));
  ASSERT_TRUE(DeleteSelected(store_, model_).done);
  const std::int64_t y_rowid = *model_.index().RowidOf(404);
  ASSERT_TRUE(store_.db().Exec(kSqlVacuum)) << log_.text();
  ASSERT_EQ(RowidsById(path_)[502], y_rowid) << "the rowids did not move";

  for (int id : {100, 202, 404, 502, 600, 702}) {
    EXPECT_EQ(StorePage(store_, model_, id, "p" + std::to_string(id)), PageWrite::kStored) << id;
  }
  for (const Row& r : ReadRows(path_)) EXPECT_EQ(r.page, Stored("p" + std::to_string(r.id))) << r;

  RereadRowids(store_, model_);
  testing::ExpectRowidsOfRows(model_, path_);
  EXPECT_EQ(StorePage(store_, model_, 702, "{b}"), PageWrite::kStored);
  EXPECT_EQ(PageBytes(702), Stored("{b}"));
  EXPECT_EQ(ReadPage(store_, model_, 702)->title, u"b1");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(PageStoreTest, ASaveToAReadOnlyConnectionFails) {
  sqlite3* read_only = nullptr;
  ASSERT_EQ(sqlite3_open_v2(Utf16ToUtf8(path_).c_str(), &read_only, SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
  store_.db().Adopt(read_only);
  EXPECT_EQ(StorePage(store_, model_, 202, "{changed}"), PageWrite::kFailed);
  EXPECT_FALSE(log_.empty());
  EXPECT_EQ(ReadPage(store_, model_, 202)->rtf, "{a1}");
  EXPECT_EQ(ReadRows(path_), kLibrary);
}

// The limit the editor checks is one SQLite really accepts: a page of that
// size is stored (with its zero byte) however long the title, and a page as
// long as SQLite's limit is refused without touching the row.
TEST_F(PageStoreTest, ThePageLimitIsOneSQLiteAccepts) {
  sqlite3_limit(store_.db().handle(), SQLITE_LIMIT_LENGTH, 4000);
  const std::int64_t limit = PageByteLimit(store_);
  ASSERT_GT(limit, 2000);
  Outside("UPDATE tab SET t = '" + std::string(44, 'T') + "' WHERE id = 304");
  EXPECT_EQ(StorePage(store_, model_, 304, std::string(limit, 'a')), PageWrite::kStored);
  EXPECT_EQ(StorePage(store_, model_, 404, std::string(4000, 'b')), PageWrite::kFailed);
  EXPECT_EQ(PageBytes(304)->size(), static_cast<size_t>(limit) + 1);
  EXPECT_FALSE(PageBytes(404).has_value());
}

}  // namespace
}  // namespace lw
