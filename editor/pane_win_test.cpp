// The page panes on real libraries: typing reaches the file and survives a
// restart, a failed save loses nothing, read-only pages, pages the control
// finds odd, the split view's mirroring, the size limit, the keys the panes
// add, and the information report.
#include <windows.h>

#include <richedit.h>
#include <sqlite3.h>

#include "app/commands.h"
#include "app/info_report_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/pane_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/page_store.h"
#include "store/tree_ops.h"
#include "store/tree_view_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

using lw::testing::Row;

constexpr int kPageFile = 504, kEmptyFile = 614, kOtherFile = 1004, kLockedFile = 1104;

// A{a1{x,y}}, B{b1{other, locked`}}: x holds an RTF page, y none at all.
const std::vector<Row> kRows = {
    {100, 0, 0, "A", std::nullopt},
    {200, 0, 1, "B", std::nullopt},
    {302, 100, 0, "a1", std::nullopt},
    {504, 302, 0, "x", std::string("{\\rtf1\\ansi{\\fonttbl{\\f0 Verdana;}}\\f0\\fs20 page x\\par}") + '\0'},
    {614, 302, 1, "y", std::nullopt},
    {702, 200, 0, "b1", std::nullopt},
    {1004, 702, 0, "other", "{\\rtf1 other}"},
    {1104, 702, 1, "locked`", "{\\rtf1 do not touch}"}};

class PageEditor : public AppTest {
 protected:
  void StartWith(const std::vector<Row>& rows) {
    path_ = Path("pages.db");
    lw::testing::WriteLibrary(ToU16(path_), rows);
    Restart();
  }
  void Restart() {
    StartOptions o;
    o.libraryPath = path_;
    ASSERT_EQ(Start(o), 0);
    WaitForWorker();
  }
  void Select(int id) {
    ModelItem* item = id ? Model().ItemOf(id) : Model().library_root();
    ASSERT_TRUE(item) << id;
    TreeView_SelectItem(g_shell.tree, View()->Show(item));
    Pump(10);
    ASSERT_EQ(Model().selected_id(), id);
  }
  // Clicks into the primary pane and types `keys` as a user would.
  void TypeInto(HWND pane, const std::vector<WORD>& keys) {
    SetForegroundWindow(g_mainWindow);
    SetFocus(pane);
    SendMessageW(pane, EM_SETSEL, 0, 0);
    PressKeys(keys);
  }
  std::string Stored(int id) {
    std::optional<StoredPage> page = ReadPage(Store(), Model(), id);
    return page ? page->rtf : "<no row>";
  }
  std::wstring path_;
};

bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

// The whole slice: type and format, let the automatic save run, close,
// start again and find the text and its formatting.
TEST_F(PageEditor, TypedAndFormattedTextSurvivesTheAutomaticSaveAndARestart) {
  StartWith(kRows);
  Select(kPageFile);
  HWND pane = g_shell.editor1;
  TypeInto(pane, {'H', 'I', VK_SPACE});
  pane = g_shell.editor1;
  EXPECT_TRUE(PaneModified(pane));
  SendMessageW(pane, EM_SETSEL, 0, 2);
  CHARFORMAT2W cf{sizeof cf, CFM_BOLD, CFE_BOLD};
  SendMessageW(pane, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  NotePageChanged(pane);
  EXPECT_EQ(Stored(kPageFile).find("hi"), std::string::npos) << "saved before five seconds";
  ASSERT_TRUE(PumpUntil([&] { return !PaneModified(g_shell.editor1); }, 8000));
  EXPECT_NE(Stored(kPageFile).find("hi\\b0"), std::string::npos) << Stored(kPageFile);
  EXPECT_NE(Stored(kPageFile).find("page x"), std::string::npos);

  ASSERT_EQ(Close(), 0);
  Restart();
  Select(kPageFile);
  EXPECT_TRUE(Contains(WindowText(g_shell.editor1), L"hi page x"));
  SendMessageW(g_shell.editor1, EM_SETSEL, 0, 2);
  cf = CHARFORMAT2W{sizeof cf};
  SendMessageW(g_shell.editor1, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  EXPECT_TRUE((cf.dwMask & CFM_BOLD) && (cf.dwEffects & CFE_BOLD));
  SaveScreenshot(g_mainWindow, "page-formatted");
}

// Leaving a page saves it at once; an empty page saves as a small document.
TEST_F(PageEditor, ChangingTheSelectionSavesFirstAndAnEmptyPageSavesAsRtf) {
  StartWith(kRows);
  Select(kEmptyFile);
  EXPECT_EQ(WindowText(g_shell.editor1), L"");
  EXPECT_TRUE(ActivePageEditable() || GetFocus() != g_shell.editor1);
  TypeInto(g_shell.editor1, {'Z'});
  Select(kOtherFile);
  const std::string saved = Stored(kEmptyFile);
  EXPECT_EQ(saved.rfind("{\\rtf", 0), 0u) << saved;
  EXPECT_NE(saved.find('z'), std::string::npos) << saved;
  EXPECT_EQ(Stored(kOtherFile), "{\\rtf1 other}");  // only looked at
}

// A library that refuses the write: the text stays on screen and marked,
// the user is told once by the timer and at every explicit save, and the
// window asks before closing over it.
TEST_F(PageEditor, AFailedSaveKeepsTheTextAndTheMarkAndSaysSo) {
  StartWith(kRows);
  // Every write of a page fails as a full disk would make it fail.
  ASSERT_TRUE(Store().db().Exec(
      "CREATE TEMP TRIGGER full BEFORE UPDATE ON tab BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
  Select(kPageFile);
  TypeInto(g_shell.editor1, {'Q'});
  AnswerNextBox(IDOK);
  ASSERT_TRUE(PumpUntil([&] { return Boxes().size() == 1; }, 8000));
  EXPECT_TRUE(Contains(Boxes()[0].text, L"could not be saved"));
  EXPECT_TRUE(Contains(Boxes()[0].text, L"disk is full"));
  EXPECT_TRUE(PaneModified(g_shell.editor1));
  EXPECT_TRUE(Contains(WindowText(g_shell.editor1), L"qpage x"));
  // The next automatic save fails quietly; Ctrl+S tells again.
  TypeInto(g_shell.editor1, {'W'});
  Pump(6000);
  EXPECT_EQ(Boxes().size(), 1u);
  AnswerNextBox(IDOK);
  EXPECT_FALSE(SaveModifiedPages());
  EXPECT_EQ(Boxes().size(), 2u);
  // Leaving the page is refused while it cannot be saved.
  AnswerNextBox(IDOK);
  ModelItem* other = Model().ItemOf(kOtherFile);
  TreeView_SelectItem(g_shell.tree, View()->Show(other));
  EXPECT_EQ(Model().selected_id(), kPageFile);
  // Closing asks; No keeps the window and the text.
  AnswerNextBox(IDOK);
  AnswerNextBox(IDNO);
  EXPECT_EQ(CloseApplication(), 1);
  EXPECT_TRUE(Contains(WindowText(g_shell.editor1), L"wqpage x"));
  EXPECT_EQ(Stored(kPageFile).find("wq"), std::string::npos);
  AnswerNextBox(IDOK);
  AnswerNextBox(IDYES);
  EXPECT_EQ(Close(), 0);
}

// Text on screen is written to the row it was loaded from, even when the
// model moved on without saving it first: renumbered (a favourite mark) it
// follows its row; with the selection moved it stays with its own node.
TEST_F(PageEditor, AnUnsavedPageGoesToItsOwnRowWhateverTheModelDid) {
  StartWith(kRows);
  Select(kPageFile);
  TypeInto(g_shell.editor1, {'R'});
  ToggleFavourite(Store(), Model());  // the window saves first; the core alone does not
  const int renumbered = Model().selected_id();
  ASSERT_NE(renumbered, kPageFile);
  EXPECT_TRUE(SaveModifiedPages());
  EXPECT_NE(Stored(renumbered).find("rpage x"), std::string::npos);

  TypeInto(g_shell.editor1, {'S'});
  SelectItem(Store(), Model(), Model().ItemOf(kOtherFile));  // no save, no load
  EXPECT_TRUE(SaveModifiedPages());
  EXPECT_NE(Stored(renumbered).find("srpage x"), std::string::npos);
  EXPECT_EQ(Stored(kOtherFile), "{\\rtf1 other}");
}

// A title ending in a backtick makes its page read-only: typing, Tab and
// the program's own insertions leave it alone; renaming it frees it at once.
TEST_F(PageEditor, ABacktickTitleMakesThePageReadOnlyUntilRenamed) {
  StartWith(kRows);
  Select(kLockedFile);
  EXPECT_FALSE(ActivePageEditable());
  EXPECT_TRUE(SendMessageW(g_shell.editor1, EM_GETOPTIONS, 0, 0) & ECO_READONLY);
  TypeInto(g_shell.editor1, {'A', VK_SHIFT, VK_TAB});
  EXPECT_EQ(WindowText(g_shell.editor1), L"do not touch");
  EXPECT_FALSE(PaneModified(g_shell.editor1));
  EXPECT_EQ(CurrentShellState().pageEditable, false);

  TreeView_EditLabel(g_shell.tree, View()->Show(Model().ItemOf(kLockedFile)));
  HWND edit = TreeView_GetEditControl(g_shell.tree);
  ASSERT_TRUE(edit);
  SetWindowTextW(edit, L"free");
  TreeView_EndEditLabelNow(g_shell.tree, FALSE);
  Pump(10);
  SetFocus(g_shell.editor1);
  EXPECT_TRUE(ActivePageEditable());
  EXPECT_FALSE(SendMessageW(g_shell.editor1, EM_GETOPTIONS, 0, 0) & ECO_READONLY);
}

// Pages the control may find odd load without a crash, show their text,
// and keep their stored bytes until someone edits them.
TEST_F(PageEditor, OddPagesLoadAndStayAsStored) {
  std::string nested = "{\\rtf1 ";
  for (int i = 0; i < 5000; ++i) nested += "{\\b ";
  nested += "deep";
  for (int i = 0; i < 5000; ++i) nested += "}";
  nested += "}";
  const std::vector<Row> odd = {
      {100, 0, 0, "F", std::nullopt},
      {202, 100, 0, "B", std::nullopt},
      {304, 202, 0, "utf8", "\xC8\x98tiin\xC8\x9B\xC4\x83 \xD0\x96\xD1\x83\xD0\xBA"},  // no zero byte
      {404, 202, 1, "cyrillic", "{\\rtf1\\ansi \\u1046?\\u1091?\\u1082? \\'e2}"},
      {504, 202, 2, "truncated", "{\\rtf1\\ansi{\\fonttbl{\\f0 Ver"},
      {604, 202, 3, "binary", std::string("\x01\x02\xFF\xFE\x00rest", 9)},
      {704, 202, 4, "nested", nested},
      {804, 202, 5, "text", "plain {not} rtf \\par"},
      {904, 202, 6, std::string(60, 'T'), "{\\rtf1 long title}"}};
  StartWith(odd);
  const std::map<int, std::wstring> shown = {
      {304, L"\x0218tiin\x021B\x0103 \x0416\x0443\x043A"}, {404, L"\x0416\x0443\x043A"},
      {704, L"deep"}, {804, L"plain {not} rtf \\par"}, {904, L"long title"}};
  for (const Row& row : odd) {
    if (row.id % 100 == 0 || row.id % 100 == 2) continue;
    Select(row.id);
    EXPECT_FALSE(PaneModified(g_shell.editor1)) << row.id;
    // Shown as its text only: an edit would store that text over the page.
    EXPECT_EQ(ActivePageEditable(), row.id != 704) << row.id;
    if (shown.count(row.id)) EXPECT_TRUE(Contains(WindowText(g_shell.editor1), shown.at(row.id).c_str())) << row.id;
  }
  Select(100);
  EXPECT_EQ(lw::testing::ReadRows(ToU16(path_)), odd);
}

// Both panes on one node: a change in either shows in the other, which
// keeps its place in the page; one write saves it.
TEST_F(PageEditor, TheSplitViewMirrorsBothWaysAndKeepsTheOtherPanesPlace) {
  std::string long_page = "{\\rtf1\\ansi ";
  for (int i = 0; i < 400; ++i) long_page += "line " + std::to_string(i) + "\\par ";
  std::vector<Row> rows = kRows;
  rows[3].page = long_page + "}";
  StartWith(rows);
  Select(kPageFile);
  Model().set_second_pane_id(kPageFile);
  LoadSecondaryPage(kPageFile);
  ASSERT_TRUE(g_shell.splitView);
  SendMessageW(g_shell.editor2, EM_LINESCROLL, 0, 200);
  POINT before{}, after{};
  SendMessageW(g_shell.editor2, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&before));
  ASSERT_GT(before.y, 0);

  TypeInto(g_shell.editor1, {'M'});
  ASSERT_TRUE(PumpUntil([] { return WindowText(g_shell.editor2).rfind(L"mline 0", 0) == 0; }, 3000));
  SendMessageW(g_shell.editor2, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&after));
  EXPECT_EQ(after.y, before.y);
  EXPECT_FALSE(PaneModified(g_shell.editor2));

  TypeInto(g_shell.editor2, {'N'});
  ASSERT_TRUE(PumpUntil([] { return WindowText(g_shell.editor1).rfind(L"nmline 0", 0) == 0; }, 3000));
  SaveScreenshot(g_mainWindow, "page-split-view");
  EXPECT_TRUE(SaveModifiedPages());
  EXPECT_NE(Stored(kPageFile).find("nmline 0"), std::string::npos);
  EXPECT_FALSE(PaneModified(g_shell.editor1) || PaneModified(g_shell.editor2));

  CloseSecondPane();
  EXPECT_FALSE(g_shell.splitView);
  EXPECT_EQ(WindowText(g_shell.editor2), L"");
  EXPECT_EQ(Model().second_pane_id(), 0);
}

// A change that takes the page past what the library can store is undone
// with the message, before anything is lost.
TEST_F(PageEditor, AChangePastThePageLimitIsUndone) {
  StartWith(kRows);
  sqlite3_limit(Store().db().handle(), SQLITE_LIMIT_LENGTH, 8000);
  Select(kPageFile);
  HWND pane = g_shell.editor1;
  SetFocus(pane);
  const std::wstring big(9000, L'w');
  AnswerNextBox(IDOK);
  SendMessageW(pane, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(big.c_str()));
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_TRUE(Contains(Boxes()[0].text, L"maximum number of RTF chars"));
  EXPECT_EQ(WindowText(g_shell.editor1), L"page x");
  const std::wstring fits(2000, L'f');
  SendMessageW(pane, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(fits.c_str()));
  EXPECT_TRUE(PaneModified(g_shell.editor1));
  EXPECT_TRUE(SaveModifiedPages());
}

// Shift+Tab writes five spaces; Ctrl+wheel zooms within the control's
// bounds and Ctrl+middle button resets it; a double click and Ctrl+click.
TEST_F(PageEditor, TheKeysAndMouseRulesOfThePane) {
  StartWith(kRows);
  Select(kEmptyFile);
  TypeInto(g_shell.editor1, {VK_SHIFT, VK_TAB});
  TypeInto(g_shell.editor1, {VK_CONTROL, VK_TAB});
  EXPECT_EQ(WindowText(g_shell.editor1), std::wstring(10, L' '));

  HWND pane = g_shell.editor1;
  for (int i = 0; i < 300; ++i) {
    MSGFILTER f{{pane, kEditor1Id, EN_MSGFILTER}, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), 0};
    SendMessageW(g_mainWindow, WM_NOTIFY, kEditor1Id, reinterpret_cast<LPARAM>(&f));
  }
  WPARAM num = 0;
  LPARAM den = 0;
  SendMessageW(pane, EM_GETZOOM, reinterpret_cast<WPARAM>(&num), reinterpret_cast<LPARAM>(&den));
  ASSERT_GT(den, 0);
  EXPECT_GT(num, static_cast<WPARAM>(den));
  EXPECT_LE(num, static_cast<WPARAM>(64 * den));
  MSGFILTER reset{{pane, kEditor1Id, EN_MSGFILTER}, WM_MBUTTONDOWN, MK_CONTROL, 0};
  SendMessageW(g_mainWindow, WM_NOTIFY, kEditor1Id, reinterpret_cast<LPARAM>(&reset));
  SendMessageW(pane, EM_GETZOOM, reinterpret_cast<WPARAM>(&num), reinterpret_cast<LPARAM>(&den));
  EXPECT_EQ(num, 0u);

  // A double-clicked word loses the space the control selects after it;
  // Ctrl+click copies the selection.
  SetWindowTextW(pane, L"hello world");
  POINTL at{};
  SendMessageW(pane, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), 1);
  const LPARAM xy = MAKELPARAM(at.x + 1, at.y + 3);
  for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    SendMessageW(pane, msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, xy);
  CHARRANGE sel{};
  ASSERT_TRUE(PumpUntil([&] {
    SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    return sel.cpMin == 0 && sel.cpMax == 5;
  }, 2000)) << sel.cpMin << ".." << sel.cpMax;
  OpenClipboard(g_mainWindow);
  EmptyClipboard();
  CloseClipboard();
  SendMessageW(pane, WM_LBUTTONUP, MK_CONTROL, xy);
  ASSERT_TRUE(OpenClipboard(g_mainWindow));
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  EXPECT_EQ(data ? std::wstring(static_cast<const wchar_t*>(GlobalLock(data))) : L"", L"hello");
  if (data) GlobalUnlock(data);
  CloseClipboard();
}

// The report without a library lacks the node lines, follows the language,
// and cannot be edited; with a library it counts the nodes.
TEST_F(PageEditor, TheInformationReportInBothLanguages) {
  StartOptions none;
  none.makeDemoOnFirstRun = false;
  ASSERT_EQ(Start(none), 0);
  ShowInfoReport();
  std::wstring text = WindowText(g_shell.editor1);
  EXPECT_TRUE(Contains(text, L"Lorewell informations"));
  EXPECT_FALSE(Contains(text, L"5. Nodes"));
  EXPECT_TRUE(Contains(text, L"4. Passwords are stored in settings: no\r\n\r\n   System"));
  EXPECT_TRUE(Contains(text, L"7. Windows OS: "));
  EXPECT_EQ(PageTitle(g_shell.editor1), L"Info-Lorewell");
  EXPECT_TRUE(SendMessageW(g_shell.editor1, EM_GETOPTIONS, 0, 0) & ECO_READONLY);
  SaveScreenshot(g_mainWindow, "info-report-en");
  g_settings.language = 418;
  ShowInfoReport();
  EXPECT_TRUE(Contains(WindowText(g_shell.editor1), L"Informații Lorewell"));
  SaveScreenshot(g_mainWindow, "info-report-ro");
  g_settings.language = 409;
  ASSERT_EQ(Close(), 0);

  StartWith(kRows);
  Select(0);
  EXPECT_TRUE(Contains(WindowText(g_shell.editor1), L"5. Nodes: folders + books + files = 8\r\n6. Idb file version: 1"));
  EXPECT_FALSE(ActivePageEditable());
}

}  // namespace
}  // namespace lw::wintest
