// Find/Replace in the window: across pages down and up, "Search here only",
// replacing only the text sought, and Esc in the window.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include "app/commands.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/find_win.h"
#include "editor/pane_win.h"
#include "editor/rich_edit_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/tree_view_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

using lw::testing::Row;

// F{B{x, y}, C{z}}; "beta" twice in z, once in x and y; Romanian capitals
// in y, Cyrillic in z.
const std::vector<Row> kRows = {
    {100, 0, 0, "F", std::nullopt},
    {202, 100, 0, "B", std::nullopt},
    {304, 202, 0, "x", "{\\rtf1 alpha beta}"},
    {404, 202, 1, "y", "{\\rtf1 gamma \\u536?TIIN\\u538?A beta}"},
    {502, 100, 1, "C", std::nullopt},
    {604, 502, 0, "z", "{\\rtf1 beta one, beta two \\u1046?\\u1091?\\u1082?}"}};

class FindWindowTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    StartWith("find.db", kRows);
  }
  void StartWith(const std::string& name, const std::vector<Row>& rows) {
    lw::testing::WriteLibrary(ToU16(Path(name)), rows);
    StartOptions o;
    o.libraryPath = Path(name);
    ASSERT_EQ(Start(o), 0);
    WaitForWorker();
  }
  void Select(int id) {
    TreeView_SelectItem(g_shell.tree, View()->Show(Model().ItemOf(id)));
    Pump(10);
  }
  // Types `what` into the window and runs command `id` (F3, F4).
  void Find(const wchar_t* what, int id) {
    SetDlgItemTextW(FindWindowHandle(), kFindWhatId, what);
    RunCommand(id);
    ASSERT_TRUE(PumpUntil([] { return !FindRunning(); }));
    Pump(20);
  }
  CHARRANGE Selection() {
    CHARRANGE r{};
    SendMessageW(g_shell.editor1, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
  }
};

TEST_F(FindWindowTest, DownFindsTheFirstHitOfTheNextPageAndUpTheLast) {
  Select(304);
  RunCommand(kCmdFind);
  ASSERT_TRUE(IsWindowVisible(FindWindowHandle()));
  Find(L"beta", kCmdFindNext);
  EXPECT_EQ(Model().selected_id(), 304);
  EXPECT_EQ(Selection().cpMin, 6);
  Find(L"beta", kCmdFindNext);
  EXPECT_EQ(Model().selected_id(), 404);
  Find(L"beta", kCmdFindNext);
  EXPECT_EQ(Model().selected_id(), 604);
  EXPECT_EQ(Selection().cpMin, 0);
  Find(L"beta", kCmdFindNext);
  EXPECT_EQ(Selection().cpMin, 10);
  // Up from the first hit of z: the last hit of the page before.
  SendMessageW(g_shell.editor1, EM_SETSEL, 0, 0);
  Find(L"beta", kCmdFindPrevious);
  EXPECT_EQ(Model().selected_id(), 404);
  // Case and letters beyond ASCII, across pages.
  SendMessageW(g_shell.editor1, EM_SETSEL, 0, 0);
  Find(L"știința", kCmdFindNext);
  EXPECT_EQ(Model().selected_id(), 404) << "found on the page itself";
  Find(L"жук", kCmdFindNext);
  EXPECT_EQ(Model().selected_id(), 604);
  EXPECT_EQ(SelectedText(g_shell.editor1), L"\x0416\x0443\x043A");
  AnswerNextBox(IDOK);
  Find(L"nowhere", kCmdFindNext);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, L"Can't find: 'nowhere' !");
  EXPECT_EQ(Model().selected_id(), 604);
}

// "Search here only" keeps the search on the page; Esc in the window closes
// it and never minimises the main window.
TEST_F(FindWindowTest, SearchHereOnlyStaysOnThePageAndEscClosesOnlyTheWindow) {
  Select(304);
  RunCommand(kCmdFind);
  HWND w = FindWindowHandle();
  CheckDlgButton(w, kHereOnlyId, BST_CHECKED);
  SendMessageW(w, WM_COMMAND, MAKEWPARAM(kHereOnlyId, BN_CLICKED), 0);
  EXPECT_TRUE(g_settings.searchHereOnly);
  AnswerNextBox(IDOK);
  Find(L"gamma", kCmdFindNext);
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Model().selected_id(), 304);
  g_settings.searchHereOnly = 0;

  SetForegroundWindow(w);
  SetFocus(GetDlgItem(w, kFindWhatId));
  PressKeys({VK_ESCAPE});
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_FALSE(IsIconic(g_mainWindow));
}

// Replace changes the selection only when it is the text sought; an empty
// or other selection is left and the search goes on.
TEST_F(FindWindowTest, ReplaceOnlyAMatchingSelection) {
  Select(604);
  RunCommand(kCmdFind);
  HWND w = FindWindowHandle();
  SetDlgItemTextW(w, kFindWhatId, L"beta");
  SetDlgItemTextW(w, kReplaceWithId, L"BETA");
  SendMessageW(g_shell.editor1, EM_SETSEL, 5, 8);  // "one": not the text sought
  SendMessageW(w, WM_COMMAND, MAKEWPARAM(kReplaceButtonId, BN_CLICKED), 0);
  ASSERT_TRUE(PumpUntil([] { return !FindRunning(); }));
  EXPECT_EQ(WindowText(g_shell.editor1).substr(0, 19), L"beta one, beta two ");
  EXPECT_EQ(Selection().cpMin, 10) << "the search went on";
  AnswerNextBox(IDOK);  // no "beta" after the last one
  SendMessageW(w, WM_COMMAND, MAKEWPARAM(kReplaceButtonId, BN_CLICKED), 0);
  ASSERT_TRUE(PumpUntil([] { return !FindRunning(); }));
  EXPECT_EQ(WindowText(g_shell.editor1).substr(0, 19), L"beta one, BETA two ");
  SendMessageW(g_shell.editor1, EM_SETSEL, 0, 0);
  const std::wstring before = WindowText(g_shell.editor1);
  SendMessageW(w, WM_COMMAND, MAKEWPARAM(kReplaceButtonId, BN_CLICKED), 0);
  ASSERT_TRUE(PumpUntil([] { return !FindRunning(); }));
  EXPECT_EQ(WindowText(g_shell.editor1), before);
  EXPECT_EQ(Selection().cpMin, 0) << "nothing inserted, the first hit found";
}

// Esc stops the search of the other pages: no page changes, no message.
TEST_F(FindWindowTest, EscStopsTheSearchOfOtherPages) {
  ASSERT_EQ(Close(), 0);
  std::vector<Row> rows = {{100, 0, 0, "F", std::nullopt}, {202, 100, 0, "B", std::nullopt}};
  for (int i = 0; i < 3000; ++i) rows.push_back({(3 + i) * 100 + 4, 202, i, "p", "{\\rtf1 page text}"});
  rows.back().page = "{\\rtf1 needle}";
  StartWith("big.db", rows);
  Select(304);
  RunCommand(kCmdFind);
  SetDlgItemTextW(FindWindowHandle(), kFindWhatId, L"needle");
  RunCommand(kCmdFindNext);
  ASSERT_TRUE(FindRunning());
  RunCommand(kCmdMinimize);  // Esc
  ASSERT_TRUE(PumpUntil([] { return !FindRunning(); }));
  Pump(50);
  EXPECT_EQ(Model().selected_id(), 304);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_FALSE(IsIconic(g_mainWindow));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(FindWindowHandle(), kSearchButtonId)));
}

}  // namespace
}  // namespace lw::wintest
