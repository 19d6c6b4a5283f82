#include "store/statements.h"

#include <gtest/gtest.h>

#include "store/db.h"
#include "tools/testing/error_log.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

using testing::ErrorLog;
using testing::TempDir;

TEST(FormatSql, FillsPlaceholdersInOrder) {
  EXPECT_EQ(FormatSql16(kSqlInsertChild, {1846802, 4200, -3}),
            u"INSERT INTO tab VALUES (1846802, 4200, -3, ?, null)");
  EXPECT_EQ(FormatSql8(kSqlRename, {4200}), "UPDATE tab SET t = ? WHERE id = 4200");
}

TEST(FormatSql, MismatchedArgumentsGiveNoStatement) {
  EXPECT_EQ(FormatSql16(kSqlSetOrder, {1}), u"");               // too few
  EXPECT_EQ(FormatSql16(kSqlDeleteNode, {1, 2}), u"");          // too many
  EXPECT_EQ(FormatSql16("SELECT '%s'", {}), u"");               // texts are never formatted
  EXPECT_EQ(FormatSql16("SELECT %d", {7}), u"");                // unknown sequence
  EXPECT_EQ(FormatSql16("SELECT 5 %", {}), u"");                // lone percent
}

class CatalogueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(db_.CreateLibrary(dir_.File16("catalogue.db"))) << log_.text();
    ASSERT_TRUE(db_.Exec(kSqlCreateAttachments));
  }
  TempDir dir_;
  ErrorLog log_;
  Db db_{log_.sink()};
};

// Catches a misspelt column or table anywhere in the catalogue.
TEST_F(CatalogueTest, EveryStatementPrepares) {
  const char* const catalogue[] = {
      kSqlReadVersion, kSqlStampVersion, kSqlProbe, kSqlConvertParentFiles,
      kSqlConvertParentBooks, kSqlConvertIdFiles, kSqlConvertIdBooks, kSqlSelectFolders,
      kSqlSelectChildren, kSqlSelectTitleAndPage, kSqlSelectPage, kSqlSelectOrder,
      kSqlCountChildren, kSqlCountNodes, kSqlSelectIdByTitle, kSqlInsertRow,
      kSqlSelectDuplicateIds, kSqlInsertFolder, kSqlInsertChild, kSqlInsertPasted, kSqlRename,
      kSqlStorePage, kSqlSetFirstOrder, kSqlSetOrder, kSqlSetParent, kSqlSetId,
      kSqlMoveChildren, kSqlDeleteNode, kSqlDeleteChildren, kSqlDeleteAllNodes,
      kSqlImportInsertSeparator, kSqlImportSelectFolders, kSqlImportSelectChildren,
      kSqlImportSelectChildPages, kSqlExportSelectChildren, kSqlExportSelectOrdered,
      kSqlExportStorePage, kSqlInsertAttachment, kSqlCountAttachmentsNamed, kSqlAttachmentTableExists,
      kSqlSelectAttachmentNames, kSqlSelectAttachmentData, kSqlDeleteAttachment, kSqlVacuum,
      kSqlSelectTitleAndPageByRowid, kSqlSelectPageByRowid, kSqlSelectOrderByRowid,
      kSqlRenameByRowid, kSqlStorePageByRowid, kSqlStorePageFirstById, kSqlSetOrderByRowid};
  for (std::string_view pattern : catalogue) {
    std::string sql;  // placeholders filled by hand, independently of the formatter
    for (size_t k = 0; k < pattern.size(); ++k) {
      if (pattern[k] != '%') {
        sql += pattern[k];
      } else {
        ++k;
        sql += pattern[k] == 'i' ? "4200" : "%";
      }
    }
    EXPECT_TRUE(db_.Prepare(Utf8ToUtf16(sql)).ok()) << sql << ": " << log_.text();
  }
  for (const char* batch : {kSqlOpenSettings, kSqlPrepareLegacy}) {
    EXPECT_TRUE(db_.Exec(batch)) << batch << ": " << log_.text();
  }
}

// The files' digit must change before the books' digit, or books would
// become files.
TEST_F(CatalogueTest, LegacyDigitsConvertInOrder) {
  ASSERT_TRUE(db_.Exec("INSERT INTO tab VALUES (4200, 0, 0, 'f', null);"
                       "INSERT INTO tab VALUES (1846801, 4200, 0, 'b', null);"
                       "INSERT INTO tab VALUES (1745702, 1846801, 0, 'x', null)"));
  for (const char* sql : kSqlConvertLegacy) ASSERT_TRUE(db_.Exec(sql)) << log_.text();
  Statement rows = db_.Prepare(u"SELECT id, p FROM tab ORDER BY t");
  std::vector<std::pair<int, int>> got;
  while (rows.Step()) got.emplace_back(rows.ColumnInt(0), rows.ColumnInt(1));
  EXPECT_EQ(got, (std::vector<std::pair<int, int>>{{1846802, 4200}, {4200, 0}, {1745704, 1846802}}));
}

}  // namespace
}  // namespace lw
