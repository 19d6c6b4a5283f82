#include "exec/command.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

TEST(PrepareCommand, CommentsPlaceholdersAndWords) {
  EXPECT_EQ(PrepareCommand(u"// dir", u"t").line, u" dir");
  EXPECT_FALSE(PrepareCommand(u"// dir", u"t").page_file);
  const PreparedCommand gcc = PrepareCommand(u"/* gcc ±.c -o ±.exe */", u"My Tool");
  EXPECT_EQ(gcc.line, u" gcc \"My_Tool\".c -o \"My_Tool\".exe ");
  EXPECT_EQ(gcc.page_file, u"My_Tool.c");
  EXPECT_EQ(PrepareCommand(u"x g++ ±.cpp\r\n", u"a").page_file, u"a.cpp");
  EXPECT_EQ(PrepareCommand(u"type ±", u"notes").page_file, u"notes");
  EXPECT_EQ(PrepareCommand(u"duplicate", u"t").word, MaintenanceWord::kDuplicate);
  EXPECT_EQ(PrepareCommand(u"hidden", u"t").word, MaintenanceWord::kHidden);
  EXPECT_EQ(PrepareCommand(u"convert", u"t").word, MaintenanceWord::kConvert);
  EXPECT_EQ(PrepareCommand(u"Convert", u"t").word, MaintenanceWord::kNone);
}

// A title can never name a file outside the folder or add to the command.
TEST(PageFileName, StaysInItsFolderAndInItsQuotes) {
  EXPECT_EQ(PageFileName(u"..\\..\\Windows\\x"), u".._.._Windows_x");
  EXPECT_EQ(PageFileName(u"a:b*c?\"d<e>f|g/h"), u"a_b_c__d_e_f_g_h");
  EXPECT_EQ(PageFileName(u"x\" & del *"), u"x__&_del__");
  EXPECT_EQ(PageFileName(u"name..."), u"name");
  EXPECT_EQ(PageFileName(u".."), u"page");
  EXPECT_EQ(PageFileName(u""), u"page");
  EXPECT_EQ(PageFileName(u"con"), u"_con");
  EXPECT_EQ(PageFileName(u"LPT1.txt"), u"_LPT1.txt");
  EXPECT_EQ(PageFileName(u"COM10"), u"COM10");
  const PreparedCommand c = PrepareCommand(u"type ±", u"x\" & del *");
  EXPECT_EQ(c.line, u"type \"x__&_del__\"");
}

TEST(ScriptText, EveryLineEndsInCrLf) {
  EXPECT_EQ(ScriptText(u"echo a\recho b\r\necho c\n"), u"echo a\r\necho b\r\necho c\r\n");
  EXPECT_EQ(ScriptText(u"echo x"), u"echo x\r\n");
  EXPECT_EQ(ScriptText(u""), u"");
}

}  // namespace
}  // namespace lw
