#include "store/db.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "store/statements.h"
#include "tools/testing/error_log.h"
#include "tools/testing/sqlite_shell.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

using testing::ErrorLog;
using testing::TempDir;

std::u16string QueryText(Db& db, std::u16string_view sql) {
  Statement s = db.Prepare(sql);
  return s.Step() ? s.ColumnText16(0) : u"(none)";
}

int QueryInt(Db& db, std::u16string_view sql) {
  Statement s = db.Prepare(sql);
  return s.Step() ? s.ColumnInt(0) : -1;
}

bool NoStatementLeftOpen(const Db& db) { return sqlite3_next_stmt(db.handle(), nullptr) == nullptr; }

class DbTest : public ::testing::Test {
 protected:
  TempDir dir_;
  ErrorLog log_;
};

TEST_F(DbTest, NewLibraryHasTheFileFormat) {
  const std::u16string path = dir_.File16("new library.db");
  {
    Db db(log_.sink());
    ASSERT_TRUE(db.CreateLibrary(path)) << log_.text();
    EXPECT_EQ(QueryText(db, u"PRAGMA journal_mode"), u"off");
    EXPECT_EQ(QueryText(db, u"PRAGMA locking_mode"), u"exclusive");

    // The creating connection keeps the file to itself.
    ErrorLog other_log;
    Db other(other_log.sink());
    ASSERT_TRUE(other.Open(path));
    EXPECT_EQ(other.CountNodes(), 0);
    ASSERT_EQ(other_log.messages().size(), 1u);
    EXPECT_EQ(other_log.messages()[0], "database is locked");
  }
  Db db(log_.sink());
  ASSERT_TRUE(db.Open(path));
  EXPECT_EQ(db.FormatVersion(), 1);
  EXPECT_EQ(QueryInt(db, u"PRAGMA page_size"), 4096);
  EXPECT_EQ(QueryText(db, u"PRAGMA encoding"), u"UTF-16le");
  EXPECT_EQ(QueryText(db, u"SELECT group_concat(name) FROM sqlite_master"), u"tab");
  EXPECT_EQ(db.CountNodes(), 0);
  EXPECT_TRUE(log_.empty()) << log_.text();
  EXPECT_TRUE(NoStatementLeftOpen(db));

#ifndef _WIN32
  if (testing::HaveSqliteShell()) {
    EXPECT_EQ(testing::RunSqliteShell(
                  dir_.File("new library.db"),
                  "PRAGMA page_size; PRAGMA user_version; SELECT name FROM sqlite_master;"
                  " SELECT count(*) FROM tab;"),
              "4096\n1\ntab\n0\n");
  }
#endif
}

TEST_F(DbTest, OpenSettingsWriteNoJournal) {
  const std::u16string path = dir_.File16("lib.db");
  { ASSERT_TRUE(Db(log_.sink()).CreateLibrary(path)); }
  Db db(log_.sink());
  ASSERT_TRUE(db.Open(path));
  ASSERT_TRUE(db.ApplyOpenSettings());
  EXPECT_EQ(QueryText(db, u"PRAGMA journal_mode"), u"off");
  ASSERT_TRUE(db.Exec("INSERT INTO tab VALUES (4200, 0, 0, 'a', null)"));
  EXPECT_FALSE(std::filesystem::exists(dir_.File("lib.db-journal")));
  EXPECT_EQ(db.CountNodes(), 1);
}

TEST_F(DbTest, FailuresReportSqliteTextAndTheNextStatementRuns) {
  Db db(log_.sink());
  ASSERT_TRUE(db.CreateLibrary(dir_.File16("lib.db")));

  EXPECT_FALSE(db.Prepare(u"SELECT nope FROM tab").ok());
  Statement insert = db.Prepare(FormatSql16(kSqlInsertFolder, {4200, 0}));
  EXPECT_TRUE(insert.BindText16(1, u"a") && insert.Run());
  insert.Finalize();
  EXPECT_FALSE(db.Exec("DELETE FROM missing; DELETE FROM tab"));  // stops at the failure
  Statement overflow = db.Prepare(u"SELECT abs(-9223372036854775808)");
  EXPECT_FALSE(overflow.Step());
  EXPECT_TRUE(overflow.failed());
  EXPECT_FALSE(db.Prepare(FormatSql16(kSqlSetOrder, {1})).ok());  // mismatched arguments

  EXPECT_EQ(log_.messages(), (std::vector<std::string>{"no such column: nope",
                                                       "no such table: missing",
                                                       "integer overflow", "empty SQL statement"}));
  EXPECT_EQ(db.CountNodes(), 1);
  overflow.Finalize();
  EXPECT_TRUE(NoStatementLeftOpen(db));

  log_.clear();
  EXPECT_FALSE(db.Open(dir_.File16("no such folder/lib.db")));
  EXPECT_FALSE(db.is_open());
  EXPECT_EQ(db.CountNodes(), 0);  // no connection: reported, not a crash
  EXPECT_EQ(log_.messages(), (std::vector<std::string>{"unable to open database file",
                                                       "bad parameter or other API misuse"}));
}

TEST_F(DbTest, SmallQueriesCountAndFallBack) {
  const std::u16string path = dir_.File16("lib.db");
  Db db(log_.sink());
  ASSERT_TRUE(db.Open(path));  // a plain new database: version 0
  EXPECT_EQ(db.FormatVersion(), 0);
  ASSERT_TRUE(db.Exec(
      "CREATE TABLE tab (id INTEGER, p INTEGER, i INTEGER, t TEXT, r BLOB);"
      "INSERT INTO tab VALUES (4200, 0, 0, 'f', null);"
      "INSERT INTO tab VALUES (1846802, 4200, 0, 'b', null);"
      "INSERT INTO tab VALUES (1745704, 1846802, 0, 'x', null)"));
  EXPECT_EQ(db.CountChildren(4200), 1);
  EXPECT_EQ(db.CountChildren(1745704), 0);
  EXPECT_EQ(db.CountNodes(), 3);
  EXPECT_TRUE(NoStatementLeftOpen(db));
  db.Close();

  // A file that is no database: every query reports and gives its fallback.
  { std::ofstream(dir_.File("junk.db"), std::ios::binary) << std::string(8192, 'x'); }
  ASSERT_TRUE(db.Open(dir_.File16("junk.db")));
  log_.clear();
  EXPECT_EQ(db.CountChildren(4200), 0);
  EXPECT_EQ(db.CountNodes(), 0);
  EXPECT_EQ(db.FormatVersion(), 1);
  EXPECT_EQ(log_.messages(), std::vector<std::string>(3, "file is not a database"));
}

TEST_F(DbTest, PagesReadUpToTheFirstZeroByte) {
  Db db(log_.sink());
  ASSERT_TRUE(db.CreateLibrary(dir_.File16("lib.db")));
  const std::string rtf = "{\\rtf1 \xe9\xff}";
  ASSERT_TRUE(db.Exec("INSERT INTO tab VALUES (100, 0, 0, 'null', null);"
                      "INSERT INTO tab VALUES (200, 0, 1, 'empty', x'');"
                      "INSERT INTO tab VALUES (300, 0, 2, 'zero', x'61620063');"
                      "INSERT INTO tab VALUES (400, 0, 3, 'bare', x'616263');"
                      "INSERT INTO tab VALUES (500, 0, 4, 'stored', null)"));
  Statement store = db.Prepare(FormatSql16(kSqlStorePage));
  ASSERT_TRUE(store.BindPage(1, rtf));
  ASSERT_TRUE(store.BindInt(2, 500));
  ASSERT_TRUE(store.Run());
  // Stored with exactly one terminating zero byte.
  EXPECT_EQ(QueryInt(db, u"SELECT length(r) FROM tab WHERE id = 500"), int(rtf.size()) + 1);

  Statement pages = db.Prepare(u"SELECT r FROM tab ORDER BY i");
  std::vector<std::string> got;
  std::vector<bool> null;
  while (pages.Step()) {
    got.push_back(pages.ColumnPage(0));
    null.push_back(pages.ColumnIsNull(0));
  }
  EXPECT_EQ(got, (std::vector<std::string>{"", "", "ab", "abc", rtf}));
  EXPECT_EQ(null, (std::vector<bool>{true, false, false, false, false}));
  EXPECT_TRUE(log_.empty()) << log_.text();
}

}  // namespace
}  // namespace lw
