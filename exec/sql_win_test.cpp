// The SQL keys in the window: a confirmed statement runs once, only the
// first of several, and the tree shows it; Alt+V compacts and counts.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include "app/commands.h"
#include "app/shell_win.h"
#include "app/info_report_win.h"
#include "base/wide_win.h"
#include "editor/pane_win.h"
#include "editor/rich_edit_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/tree_view_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

using lw::testing::Row;

class SqlKeys : public AppTest {
 protected:
  void StartWith(const std::vector<Row>& rows) {
    ASSERT_EQ(StartWithLibrary("sql.db", rows), 0);
  }
  // The page of node 304 holds `text`, all of it selected in the focused pane.
  void Select(const wchar_t* text) {
    ASSERT_TRUE(ShowNode(304));
    SetWindowTextW(g_shell.editor1, text);
    SendMessageW(g_shell.editor1, EM_SETSEL, 0, -1);
  }
};

const std::vector<Row> kRows = {{100, 0, 0, "A", std::nullopt},
                                {202, 100, 0, "b", std::nullopt},
                                {304, 202, 0, "x", "{\\rtf1 x}"}};

TEST_F(SqlKeys, AConfirmedStatementRunsItsFirstStatementAndTheTreeShowsIt) {
  StartWith(kRows);
  Select(L"INSERT INTO tab VALUES(@, 0, >, 'new', NULL); DELETE FROM tab");
  AnswerNextBox(IDNO);
  RunCommand(kCmdSelectionSql);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONQUESTION));
  EXPECT_NE(Boxes()[0].text.find(L"VALUES("), std::wstring::npos);
  EXPECT_EQ(Boxes()[0].text.find(L"@"), std::wstring::npos) << "shown as it will run";
  EXPECT_NE(Boxes()[0].text.find(L"Only this first statement will run"), std::wstring::npos);
  EXPECT_EQ(Store().db().CountNodes(), 3);

  Select(L"INSERT INTO tab VALUES(@, 0, >, 'new', NULL); DELETE FROM tab");
  AnswerNextBox(IDYES);
  RunCommand(kCmdSelectionSql);
  WaitForWorker();
  EXPECT_EQ(Store().db().CountNodes(), 4);
  const std::vector<std::wstring> labels = TreeLabels(g_shell.tree);
  EXPECT_NE(std::find(labels.begin(), labels.end(), L"  new"), labels.end());
}

// A statement from the Clipboard is confirmed under the caption that asks;
// top-level orders with gaps are written as the tree shows them first, so
// ">" is the next position. A misspelt one shows SQLite's text and lets the
// library go, the report in the page.
TEST_F(SqlKeys, TheClipboardStatementAndAMisspeltOne) {
  std::vector<Row> rows = kRows;
  rows[0].i = 5;
  rows.push_back({400, 0, 9, "C", std::nullopt});
  StartWith(rows);
  Select(L"x");
  PutTextOnClipboard(g_mainWindow, L"UPDATE tab SET t = 'pos ' || > WHERE i = 1");
  AnswerNextBox(IDYES);
  RunCommand(kCmdClipboardSql);
  WaitForWorker();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].caption, L"Execute the SQLite command:");
  EXPECT_EQ(Boxes()[0].text, L"UPDATE tab SET t = 'pos ' || 2 WHERE i = 1");
  const std::vector<std::wstring> labels = TreeLabels(g_shell.tree);
  EXPECT_NE(std::find(labels.begin(), labels.end(), L"  pos 2"), labels.end()) << "C is second";

  Select(L"SELEC id FROM tab");
  AnswerNextBox(IDYES);
  AnswerNextBox(IDOK);
  RunCommand(kCmdSelectionSql);
  WaitForWorker();
  ASSERT_EQ(Boxes().size(), 3u);
  EXPECT_EQ(Boxes()[1].caption, Boxes()[2].caption);
  EXPECT_NE(Boxes()[2].text.find(L"syntax error"), std::wstring::npos) << Boxes()[2].text;
  EXPECT_EQ(Boxes()[2].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  EXPECT_FALSE(Store().library_open());
  EXPECT_EQ(ActivePageTitle(), kInfoReportTitle);
}

TEST_F(SqlKeys, VacuumThenCountsRepeatedIdsAndHiddenRows) {
  std::vector<Row> rows = kRows;
  rows.push_back({304, 202, 1, "x again", std::nullopt});
  StartWith(rows);
  for (int answer : {IDYES, IDOK, IDOK, IDOK}) AnswerNextBox(answer);
  RunCommand(kCmdVacuum);
  WaitForWorker();
  ASSERT_EQ(Boxes().size(), 4u);
  EXPECT_EQ(Boxes()[1].text, L"Vacuum OK.");
  EXPECT_EQ(Boxes()[2].text, L"1 duplicates.");
  EXPECT_EQ(Boxes()[3].text, L"1 hidden.");
  // Pages are still found by their rows after VACUUM.
  TreeView_SelectItem(g_shell.tree, View()->Show(Model().ItemOf(304)));
  Pump(10);
  EXPECT_EQ(WindowText(g_shell.editor1), L"x");
}

// A library the compaction may not replace is said so and stays open as it
// was.
TEST_F(SqlKeys, AVacuumThatCannotReplaceTheFileKeepsTheLibraryOpen) {
  StartWith(kRows);
  const std::wstring path = Path("sql.db");
  ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
  for (int answer : {IDYES, IDOK, IDOK, IDOK}) AnswerNextBox(answer);
  RunCommand(kCmdVacuum);
  WaitForWorker();
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_GE(Boxes().size(), 2u);
  EXPECT_NE(Boxes()[1].text.find(L"read-only"), std::wstring::npos) << Boxes()[1].text;
  for (const auto& box : Boxes()) EXPECT_NE(box.text, L"Vacuum OK.");
  EXPECT_TRUE(Store().library_open());
  EXPECT_EQ(Store().db().CountNodes(), 3);
}

}  // namespace
}  // namespace lw::wintest
