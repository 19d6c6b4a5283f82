// The formatting and insertion commands on a real page: each command run
// through the command table, the control's format read back.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <ctime>
#include <string>
#include <tuple>

#include "app/commands.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/format.h"
#include "editor/format_win.h"
#include "editor/pane_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/tree_view_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

using lw::testing::Row;

constexpr int kPage = 504, kLocked = 604;
const std::vector<Row> kRows = {
    {100, 0, 0, "F", std::nullopt},
    {302, 100, 0, "B", std::nullopt},
    {kPage, 302, 0, "page", "{\\rtf1\\ansi{\\fonttbl{\\f0 Verdana;}}\\f0\\fs20 abc def\\par second\\par}"},
    {kLocked, 302, 1, "locked`", "{\\rtf1 fixed text\\par}"}};

std::wstring g_url, g_spoken;

// Puts `rtf` as "Rich Text Format" and `text` as CF_UNICODETEXT on the clipboard.
void PutOnClipboard(const std::string& rtf, const std::wstring& text) {
  ASSERT_TRUE(OpenClipboard(g_mainWindow));
  EmptyClipboard();
  auto put = [](UINT format, const void* data, size_t size) {
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    memcpy(GlobalLock(mem), data, size);
    GlobalUnlock(mem);
    SetClipboardData(format, mem);
  };
  put(RegisterClipboardFormatW(L"Rich Text Format"), rtf.c_str(), rtf.size() + 1);
  put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  CloseClipboard();
}

class Format : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    lw::testing::WriteLibrary(ToU16(Path("pages.db")), kRows);
    StartOptions o;
    o.libraryPath = Path("pages.db");
    ASSERT_EQ(Start(o), 0);
    Open(kPage);
  }

  // Node `id` (0: the library, which shows the report) in the focused pane.
  void Open(int id) {
    ModelItem* item = id ? Model().ItemOf(id) : Model().library_root();
    ASSERT_TRUE(item);
    TreeView_SelectItem(g_shell.tree, View()->Show(item));
    ASSERT_TRUE(PumpUntil([&] { return PaneNodeId(g_shell.editor1) == id; }));
    SetForegroundWindow(g_mainWindow);
    SetFocus(g_shell.editor1);
    Pump(20);
    ASSERT_EQ(GetFocus(), g_shell.currentEditor);
  }
  HWND Pane() { return g_shell.currentEditor; }
  void Select(LONG from, LONG to) { SendMessageW(Pane(), EM_SETSEL, from, to); }
  CHARRANGE Selection() {
    CHARRANGE r{};
    SendMessageW(Pane(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  CHARFORMAT2W FormatOf(LONG from, LONG to) {
    Select(from, to);
    CHARFORMAT2W cf{};
    cf.cbSize = sizeof cf;
    SendMessageW(Pane(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf;
  }
  PARAFORMAT2 ParagraphOf(LONG from, LONG to) {
    Select(from, to);
    PARAFORMAT2 pf{};
    pf.cbSize = sizeof pf;
    SendMessageW(Pane(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    return pf;
  }
  void Run(int id) { ASSERT_TRUE(RunCommand(id)) << id; }
};

TEST_F(Format, EveryTableCommandLeavesItsValuesAndCollapsesOrKeepsTheSelection) {
  for (const CharFormatRow& row : CharFormatRows()) {
    Select(0, 3);
    Run(row.id);
    CHARRANGE after = Selection();
    EXPECT_EQ(after.cpMin == after.cpMax, row.collapse) << row.id;
    CHARFORMAT2W cf = FormatOf(0, 3);
    const bool auto_back = row.effects & CFE_AUTOBACKCOLOR;
    if (row.mask & CFM_COLOR) {
      EXPECT_EQ(cf.crTextColor, row.textColor) << row.id;
      EXPECT_FALSE(cf.dwEffects & CFE_AUTOCOLOR) << row.id;
    }
    if (row.mask & CFM_BACKCOLOR) {
      EXPECT_EQ(!!(cf.dwEffects & CFE_AUTOBACKCOLOR), auto_back) << row.id;
      if (!auto_back) { EXPECT_EQ(cf.crBackColor, row.backColor) << row.id; }
    }
    if (row.mask & CFM_FACE) { EXPECT_EQ(ToU16(cf.szFaceName), row.face) << row.id; }
    if (row.mask & CFM_SIZE) { EXPECT_EQ(cf.yHeight, row.twips) << row.id; }
    const DWORD effects = row.mask & (CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_HIDDEN);
    EXPECT_EQ(cf.dwEffects & effects, row.effects & effects) << row.id;
  }
  EXPECT_EQ(WindowText(Pane()).substr(0, 7), L"abc def") << "no command changes the text";
  EXPECT_TRUE(PaneModified(Pane())) << "a format is an edit to save";
}

TEST_F(Format, TogglesFollowTheWholeSelectionAndKeepIt) {
  for (auto [id, bit] : {std::pair{kCmdBold, CFE_BOLD}, {kCmdItalic, CFE_ITALIC}, {kCmdUnderline, CFE_UNDERLINE},
                         {kCmdStrikeOut, CFE_STRIKEOUT}, {kCmdHiddenText, CFE_HIDDEN}}) {
    Select(0, 1);
    Run(id);  // the first letter on: the selection is mixed
    Select(0, 3);
    Run(id);
    EXPECT_EQ(Selection().cpMin, 0) << id;
    EXPECT_EQ(Selection().cpMax, 3) << id;
    CHARFORMAT2W cf = FormatOf(0, 3);
    EXPECT_TRUE((cf.dwMask & bit) && (cf.dwEffects & bit)) << "a mixed selection goes all on " << id;
    Run(id);
    cf = FormatOf(0, 3);
    EXPECT_TRUE((cf.dwMask & bit) && !(cf.dwEffects & bit)) << id;
  }
}

TEST_F(Format, BulletsAndIndentAreSetFromTheSelectionNotFlipped) {
  PARAFORMAT2 pf{};
  pf.cbSize = sizeof pf;
  pf.dwMask = PFM_NUMBERING | PFM_STARTINDENT;
  pf.wNumbering = PFN_BULLET;
  pf.dxStartIndent = 666;
  Select(0, 0);
  SendMessageW(Pane(), EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
  Select(0, 10);  // a bulleted, indented paragraph and a plain one
  Run(kCmdBullets);
  EXPECT_EQ(ParagraphOf(0, 10).wNumbering, PFN_BULLET) << "both bulleted";
  Run(kCmdBullets);
  EXPECT_EQ(ParagraphOf(0, 10).wNumbering, 0) << "both plain";
  for (LONG indent : {0, 333, 0}) {
    Run(kCmdIndent);
    pf = ParagraphOf(0, 10);
    EXPECT_TRUE(pf.dwMask & PFM_STARTINDENT);
    EXPECT_EQ(pf.dxStartIndent, indent);
  }
}

TEST_F(Format, InsertionsGreyLineAndDeleteLine) {
  Select(3, 3);
  Run(kCmdInsertDashes);
  Run(kCmdInsertDoubleDashes);
  for (int id = kCmdCharEuro; id <= kCmdCharPlusMinus; ++id) Run(id);
  const std::wstring inserted = L"----------==========\u20AC\u00A9\u00A7\u00B6\u2020\u00D7\u00F7\u00B1";
  const std::wstring expected = L"abc" + inserted + L" def";
  EXPECT_EQ(WindowText(Pane()).substr(0, expected.size()), expected);
  Select(38, 38);  // in "second"
  Run(kCmdGreyText);
  EXPECT_EQ(FormatOf(36, 42).crTextColor, 0xBEBEBEu) << "the whole line";
  EXPECT_NE(FormatOf(0, 3).crTextColor, 0xBEBEBEu) << "and only that line";
  Select(2, 2);
  Run(kCmdDeleteLine);
  EXPECT_EQ(WindowText(Pane()).substr(0, 8), L"\r\nsecond") << "the line's text goes, its break stays";
}

TEST_F(Format, PasteTakesRichTextFirst) {
  PutOnClipboard("{\\rtf1 \\b rich\\b0}", L"plain");
  Select(0, 0);
  Run(kCmdPaste);
  EXPECT_EQ(WindowText(Pane()).substr(0, 7), L"richabc");
  EXPECT_TRUE(FormatOf(0, 4).dwEffects & CFE_BOLD);
}

TEST_F(Format, ReadOnlyPageAndReportRefuseEveryChange) {
  PutOnClipboard("{\\rtf1 rich}", L"plain");
  for (int node : {kLocked, 0}) {
    Open(node);
    const std::wstring before = WindowText(Pane());
    std::vector<int> ids = {25, 29, 30, 37, 38, 39, 40, 42, 43, 61, 62, 63, 64, 65, 74, 77, 79, 87, 88,
                            kCmdCut, kCmdPaste, kCmdMenuEncryptText};
    for (int id = kCmdCharEuro; id <= kCmdCharPlusMinus; ++id) ids.push_back(id);
    for (const CharFormatRow& row : CharFormatRows()) ids.push_back(row.id);
    auto format = [&] {
      CHARFORMAT2W cf = FormatOf(0, 3);
      return std::tuple(cf.dwEffects, cf.crTextColor, cf.yHeight, ParagraphOf(0, 3).wNumbering);
    };
    const auto format_before = format();
    for (int id : ids) {
      Select(0, 3);
      RunCommand(id);  // an unscripted box (the scrambling question) fails the test
    }
    EXPECT_EQ(WindowText(Pane()), before) << node;
    EXPECT_EQ(format(), format_before) << node;
    EXPECT_FALSE(PaneModified(Pane())) << node;
  }
}

TEST_F(Format, ScramblingTwiceGivesTheTextBackAndKeepsBold) {
  Select(0, 2);
  Run(kCmdBold);  // "ab" bold, "c" plain
  for (const wchar_t* expected : {L"\u0060cb def", L"abc def"}) {
    Select(0, 3);
    AnswerNextBox(IDYES);
    Run(kCmdMenuEncryptText);
    EXPECT_EQ(WindowText(Pane()).substr(0, 7), expected);
    EXPECT_EQ(Selection().cpMax, 3);
    EXPECT_TRUE(FormatOf(0, 2).dwEffects & CFE_BOLD);
    EXPECT_FALSE(FormatOf(2, 3).dwEffects & CFE_BOLD);
  }
  // No selection: the block around the caret, between lines beginning with "/".
  Select(0, -1);
  SendMessageW(Pane(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"one\r/\rtwo\r/\rsix"));
  Select(9, 9);
  AnswerNextBox(IDYES);
  Run(kCmdMenuEncryptText);
  EXPECT_EQ(WindowText(Pane()).substr(0, 19), L"one\r\n/\r\nuvn\r\n/\r\nsix");
  Select(0, 2);
  AnswerNextBox(IDYES);
  AnswerNextBox(IDOK);
  Run(kCmdMenuDecryptText);
  EXPECT_EQ(Boxes().back().text, L"The target text is too short. (3 - 9999 characters)");
  EXPECT_EQ(WindowText(Pane()).substr(0, 3), L"one");
}

TEST_F(Format, WebSearchAndReadingAloudTakeTheWholeSelection) {
  SetUrlOpenerForTest([](const std::wstring& url) { g_url = url; });
  SetSpeechSinkForTest([](const std::wstring& text) { g_spoken = text; });
  Select(0, 7);
  SendMessageW(Pane(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"a&b #c"));
  Select(0, 6);
  Run(kCmdGoogle);
  EXPECT_EQ(g_url, L"https://www.google.com/search?q=a%26b%20%23c");
  const std::wstring long_line(300, L'x');
  Select(0, -1);
  SendMessageW(Pane(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>((long_line + L"\rend").c_str()));
  Select(0, -1);
  Run(kCmdSpeak);
  EXPECT_EQ(g_spoken, long_line + L"end");
  SetUrlOpenerForTest(nullptr);
  SetSpeechSinkForTest(nullptr);
}

TEST_F(Format, DateStampInEachLanguage) {
  for (int language : {409, 418}) {
    g_settings.language = language;
    Select(0, 7);
    auto stamp = [language] {
      std::time_t now = std::time(nullptr);
      std::tm local{};
      localtime_s(&local, &now);
      std::string s = DateStamp(local, language);
      return std::wstring(s.begin(), s.end());
    };
    const std::wstring before = stamp();
    Run(kCmdInsertDate);
    const std::wstring shown = WindowText(Pane()).substr(0, before.size());
    EXPECT_TRUE(shown == before || shown == stamp()) << language;  // the minute may turn meanwhile
  }
}

TEST_F(Format, PageMenuGreysWhatThePageCannotTake) {
  auto enabled = [](int id) {
    return !(GetMenuState(GetSubMenu(g_shell.menu, 3), id, MF_BYCOMMAND) & MF_GRAYED);
  };
  POINTL at{};
  SendMessageW(Pane(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), 5);
  POINT screen{at.x + 2, at.y + 4};
  ClientToScreen(Pane(), &screen);
  Select(0, 0);
  PreparePageMenu(Pane(), screen);
  EXPECT_EQ(Selection().cpMin, 5) << "the caret moves to the clicked character";
  EXPECT_FALSE(enabled(kCmdCut));
  EXPECT_FALSE(enabled(kCmdCopy));
  EXPECT_TRUE(enabled(kCmdColorRed));
  Open(kLocked);
  Select(0, 3);
  PreparePageMenu(Pane(), screen);
  for (int id : {kCmdCut, kCmdPaste, kCmdCharEuro, kCmdColorRed, kCmdBackReset, kCmdFontCantoria, kCmdSize26})
    EXPECT_FALSE(enabled(id)) << id;
  for (int id : {kCmdCopy, kCmdCharMusicals, kCmdGoogle}) EXPECT_TRUE(enabled(id)) << id;
}

TEST_F(Format, ScreenshotOfAFormattedPage) {
  for (int id : {kCmdHeading1, kCmdColorRed, kCmdBackYellow}) {
    Select(0, 3);
    Run(id);
  }
  Select(4, 7);
  Run(kCmdCodeFormat);
  Select(8, 8);
  Run(kCmdBullets);
  Select(0, 0);
  Pump(100);
  SaveScreenshot(g_mainWindow, "format-page");
}

}  // namespace
}  // namespace lw::wintest
