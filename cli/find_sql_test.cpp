// lorewell-cli find and sql.
#include <gtest/gtest.h>

#include "cli/commands.h"
#include "store/library_fixture.h"

namespace lw::cli {
namespace {

using testing::Row;

int RunFind(const std::vector<std::u16string>& args, std::string* out, std::string* err) {
  Io io;
  io.out = [out](std::string_view s) { *out += s; };
  io.err = [err](std::string_view s) { *err += s; };
  io.env = [](const char*) -> std::optional<std::u16string> { return std::nullopt; };
  return RunCli(args, io);
}

TEST(CliFind, ListsThePagesThatHoldTheTextInTreeOrder) {
  lw::testing::TempDir dir;
  const std::u16string lib = dir.File16("notes ț.db");
  // Table order differs from tree order: b (order 1) is stored first.
  lw::testing::WriteLibrary(lib, {{100, 0, 0, "F", std::nullopt},
                                  {202, 100, 0, "B", std::nullopt},
                                  {404, 202, 1, "b ș", "{\\rtf1 Word here}"},
                                  {304, 202, 0, "a", "{\\rtf1 a word}"},
                                  {504, 202, 2, "c", "{\\rtf1 words}"}});
  std::string out, err;
  EXPECT_EQ(RunFind({u"find", lib, u"word"}, &out, &err), kExitOk);
  EXPECT_EQ(out, "304\ta\n404\tb ș\n504\tc\n");
  out.clear();
  EXPECT_EQ(RunFind({u"find", lib, u"word", u"--whole-word", u"--match-case"}, &out, &err), kExitOk);
  EXPECT_EQ(out, "304\ta\n");
  out.clear();
  EXPECT_EQ(RunFind({u"find", lib, u"nowhere"}, &out, &err), kExitOk);
  EXPECT_EQ(out, "");
  EXPECT_EQ(RunFind({u"find", lib, u"word", u"--regex"}, &out, &err), kExitFailed);
  EXPECT_EQ(RunFind({u"find", lib}, &out, &err), kExitUsage);
}

TEST(CliSql, RunsTheFirstStatementWithItsPlaceholdersAndSaysWhatDidNotRun) {
  lw::testing::TempDir dir;
  const std::u16string lib = dir.File16("sql.db");
  lw::testing::WriteLibrary(lib, {{100, 0, 0, "A", std::nullopt}});
  std::string out, err;
  EXPECT_EQ(RunFind({u"sql", lib, u"INSERT INTO tab VALUES(@, 0, >, 'O''Neil', NULL); DELETE FROM tab"}, &out, &err),
            kExitOk);
  EXPECT_EQ(out, "1 rows changed\n");
  EXPECT_NE(err.find("only the first statement ran"), std::string::npos);
  out.clear();
  EXPECT_EQ(RunFind({u"sql", lib, u"SELECT i, t FROM tab ORDER BY i"}, &out, &err), kExitOk);
  EXPECT_EQ(out, "0\tA\n1\tO'Neil\n");
  err.clear();
  EXPECT_EQ(RunFind({u"sql", lib, u"SELEC x"}, &out, &err), kExitFailed);
  EXPECT_NE(err.find("syntax error"), std::string::npos) << err;
}

}  // namespace
}  // namespace lw::cli
