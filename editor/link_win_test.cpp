// Links in a real page: each scheme followed through a synthetic EN_LINK
// (the control sends one only for links it recognised, and under Wine it
// recognises none of the program's own schemes), with what the link would
// do outside the page recorded instead of done; and footnote links made
// from a selection.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/link.h"
#include "editor/link_win.h"
#include "editor/pane_win.h"
#include "editor/rich_edit_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/page_store.h"
#include "store/page_text.h"
#include "store/tree_view_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

using lw::testing::Row;

constexpr int kPage = 504, kOther = 604, kQuoted = 704, kSpaced = 802;
const std::vector<Row> kRows = {
    {100, 0, 0, "F", std::nullopt},
    {302, 100, 0, "B", std::nullopt},
    {kPage, 302, 0, "page", "{\\rtf1\\ansi\\f0\\fs20 start\\par}"},
    {kOther, 302, 1, "O'Brien", "{\\rtf1 other page}"},
    {kQuoted, 302, 2, "say \"hi\"", "{\\rtf1 quoted page}"},
    {kSpaced, 100, 1, "two words", std::nullopt}};

// The recorded effects, one line each: "open <target>", "node <id>", ...
std::wstring g_effects;
void RecordEffect(const LinkEffect& e) {
  static const wchar_t* const kNames[] = {L"", L"node", L"clipboard", L"sibling", L"play", L"stop"};
  const std::wstring what = e.kind == LinkEffect::Kind::kShell ? e.verb : kNames[static_cast<int>(e.kind)];
  g_effects += what + L" " + (e.node ? std::to_wstring(e.node) : e.target) + L"\n";
}

std::wstring g_handled;  // the clip handlers' calls
void PlayHandler(const std::wstring& name) { g_handled += L"play " + name + L"\n"; }
void StopHandler() { g_handled += L"stop\n"; }

class Links : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    g_effects.clear();
    SetLinkEffectSinkForTest(RecordEffect);
    lw::testing::WriteLibrary(ToU16(Path("links.db")), kRows);
    StartOptions o;
    o.libraryPath = Path("links.db");
    ASSERT_EQ(Start(o), 0);
    Open(kPage);
  }
  void TearDown() override {
    SetLinkEffectSinkForTest(nullptr);
    SetClipLinkHandlers(nullptr, nullptr);
    g_settings.language = 409;
    AppTest::TearDown();
  }
  void Open(int id) {
    TreeView_SelectItem(g_shell.tree, View()->Show(Model().ItemOf(id)));
    ASSERT_TRUE(PumpUntil([&] { return PaneNodeId(g_shell.editor1) == id; }));
    SetForegroundWindow(g_mainWindow);
    SetFocus(g_shell.editor1);
    Pump(20);
  }
  HWND Pane() { return g_shell.editor1; }
  // The pane reports a `msg` on the link at [from, to).
  void Click(LONG from, LONG to, UINT msg = WM_LBUTTONUP) {
    ENLINK link{};
    link.nmhdr = {Pane(), static_cast<UINT_PTR>(kEditor1Id), EN_LINK};
    link.msg = msg;
    link.chrg = {from, to};
    SendMessageW(g_mainWindow, WM_NOTIFY, kEditor1Id, reinterpret_cast<LPARAM>(&link));
  }
  // A page holding the text `link` among other words, and a click on it.
  void Follow(const std::wstring& link) {
    SetWindowTextW(Pane(), (L"see " + link + L" here").c_str());
    Click(4, 4 + static_cast<LONG>(link.size()));
  }
  // What following `link` did.
  std::wstring Effects(const std::wstring& link) {
    g_effects.clear();
    Follow(link);
    return g_effects;
  }
  // The text of the one box that following `link` showed (with the
  // information icon), after checking that it did nothing else.
  std::wstring Told(const std::wstring& link, int answer = IDOK) {
    const size_t before = Boxes().size();
    AnswerNextBox(answer);
    EXPECT_EQ(Effects(link), L"") << link;
    if (Boxes().size() != before + 1) return L"<no box>";
    EXPECT_EQ(Boxes().back().type & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
    return Boxes().back().text;
  }
  LONG Caret() {
    CHARRANGE r{};
    SendMessageW(Pane(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r.cpMin;
  }
};

// Each kind reaches its own effect with the text the core made of the link
// (the addresses themselves are LinkLookUp.*), in the interface's language.
TEST_F(Links, EachSchemeDoesItsOwnThing) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"copy:some text", L"clipboard some text\n"},
      {L"play:clip one", L"play clip one\n"},
      {L"stop:", L"stop \n"},
      {L"dex:a&b #c", L"open https://dexonline.ro/definitie/a%26b%20%23c\n"},
      {L"wiki:\x0103\x00EE\x0219", L"open https://en.wikipedia.org/wiki/%C4%83%C3%AE%C8%99\n"},
      {L"ana.pop@example.ro", L"open mailto:ana.pop@example.ro\n"},
      {L"Copy:abc", L"open Copy:abc\n"},
      {L"nod:O'Brien", L"node 604\n"}};
  for (const auto& [link, effect] : cases) EXPECT_EQ(Effects(link), effect) << link;
  EXPECT_EQ(Told(L"nod:x' OR '1'='1"), L"I can't find any node who has the indicated text !");
  g_settings.language = 418;
  EXPECT_EQ(Effects(L"wiki:Cluj"), L"open https://ro.wikipedia.org/wiki/Cluj\n");
}

// A click follows the link; the end of a drag-selection and other mouse
// messages do not. Without the recorder the clip links reach the player's
// handlers once the player has placed them, and nothing before.
TEST_F(Links, OnlyAPlainLeftClickFollowsALinkAndClipsReachThePlayer) {
  SetWindowTextW(Pane(), L"see copy:abc here");
  Click(4, 12, WM_LBUTTONDOWN);
  Click(4, 12, WM_MOUSEMOVE);
  SendMessageW(Pane(), EM_SETSEL, 0, 3);
  Click(4, 12);
  EXPECT_EQ(g_effects, L"");
  SendMessageW(Pane(), EM_SETSEL, 2, 2);
  Click(4, 12);
  EXPECT_EQ(g_effects, L"clipboard abc\n");

  SetLinkEffectSinkForTest(nullptr);
  g_handled.clear();
  AnswerNextBox(IDOK);  // the player's own handler: the library has no such clip
  Follow(L"play:early");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, L"The file has not been found in the atachments list !");
  SetClipLinkHandlers(PlayHandler, StopHandler);
  Follow(L"play:clip \x0219ase");
  Follow(L"stop:");
  EXPECT_EQ(g_handled, L"play clip \x0219ase\nstop\n");
}

// The longest link is followed whole; one letter more is refused, and so is
// a footnote link made from a selection that long.
TEST_F(Links, ALongLinkIsFollowedWholeAndAnOverlongOneIsRefused) {
  const std::wstring url = L"http://example.com/" + std::wstring(4981, L'a');
  EXPECT_EQ(Effects(url), L"open " + url + L"\n");
  const std::wstring longest = L"copy:" + std::wstring(kMaxLinkLength - 5, L'b');
  EXPECT_EQ(Effects(longest), L"clipboard " + longest.substr(5) + L"\n");
  EXPECT_EQ(Told(longest + L"b"), L"The link is too long to follow (more than 8192 characters).");

  const std::wstring text(kMaxLinkLength, L'y');
  SetWindowTextW(Pane(), text.c_str());
  SendMessageW(Pane(), EM_SETSEL, 0, -1);
  AnswerNextBox(IDOK);
  ASSERT_TRUE(RunCommand(kCmdHyperlink));
  EXPECT_EQ(Boxes().back().text, L"The selection is too long to become a link (at most 8191 characters).");
  EXPECT_EQ(WindowText(Pane()), text);
}

TEST_F(Links, FilesOpenByNameOrWithSpacesForUnderscoresAndProgramsAskFirst) {
  const std::wstring dir = Path("");
  for (const wchar_t* name : {L"my notes.txt", L"tool.exe", L"run it.cmd"})
    ASSERT_TRUE(std::ofstream(std::filesystem::path(dir + name))) << name;
  ASSERT_TRUE(CreateDirectoryW((dir + L"my dir").c_str(), nullptr));
  EXPECT_EQ(Effects(L"file:" + dir + L"my notes.txt"), L"open " + dir + L"my notes.txt\n");
  EXPECT_EQ(Effects(L"file:" + dir + L"my_notes.txt"), L"open " + dir + L"my notes.txt\n");
  EXPECT_EQ(Effects(L"fold:" + dir + L"my_dir"), L"open " + dir + L"my dir\n");
  EXPECT_EQ(Told(L"file:" + dir + L"gone.txt"), L"Can't find: '" + dir + L"gone.txt' !");
  EXPECT_EQ(Told(L"fold:" + dir + L"my_notes.txt"), L"Can't find: '" + dir + L"my_notes.txt' !");

  // No, the default answer, runs nothing; Yes opens the program.
  AnswerNextBox(IDNO);
  EXPECT_EQ(Effects(L"file:" + dir + L"tool.exe"), L"");
  ASSERT_FALSE(Boxes().empty());
  EXPECT_EQ(Boxes().back().text, L"'" + dir + L"tool.exe' is a program or a script. Do you want to run it ?");
  EXPECT_EQ(Boxes().back().type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
  AnswerNextBox(IDYES);
  EXPECT_EQ(Effects(L"file:" + dir + L"run_it.cmd"), L"open " + dir + L"run it.cmd\n");
}

TEST_F(Links, MarkersAndFootnotesPutTheCaretNearTheMiddleOfThePane) {
  std::wstring page = L"goto:intro x1 goto:top goto:down goto:nowhere goto:Top\r";
  for (int i = 1; i < 300; ++i)
    page += i == 150 ? L"[1] the note\r" : i == 250 ? L"\x00A7intro is here\r" : L"line\r";
  SetWindowTextW(Pane(), page.c_str());
  SendMessageW(Pane(), EM_SETSEL, 0, 0);
  auto click = [&](const wchar_t* link) {
    const LONG at = static_cast<LONG>(page.find(link));
    Click(at, at + static_cast<LONG>(wcslen(link)));
  };
  // The line is shown with more than two lines above and below it.
  auto near_middle = [&](LRESULT line) {
    RECT rc{};
    GetClientRect(Pane(), &rc);
    POINTL bottom{0, rc.bottom};
    const LRESULT ch = SendMessageW(Pane(), EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&bottom));
    const LRESULT last = SendMessageW(Pane(), EM_EXLINEFROMCHAR, 0, ch);
    return line - SendMessageW(Pane(), EM_GETFIRSTVISIBLELINE, 0, 0) > 2 && last - line > 2;
  };
  click(L"goto:intro");
  EXPECT_EQ(Caret(), static_cast<LONG>(page.find(L"\x00A7intro")));
  EXPECT_TRUE(near_middle(250));
  click(L"x1");  // back up to "[1]"
  EXPECT_EQ(Caret(), static_cast<LONG>(page.find(L"[1]")));
  EXPECT_TRUE(near_middle(150));

  const LONG end = static_cast<LONG>(PaneTextLength(Pane()));
  click(L"goto:top");
  EXPECT_EQ(Caret(), 0);
  click(L"goto:down");
  EXPECT_EQ(Caret(), end);
  AnswerNextBox(IDOK);
  AnswerNextBox(IDOK);
  click(L"goto:nowhere");
  click(L"goto:Top");
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0].text, L"Can't find: '\x00A7nowhere' !");
  EXPECT_EQ(Boxes()[1].text, L"Can't find: '\x00A7Top' !");
  EXPECT_EQ(Caret(), end) << "a failed search moved the caret";
  EXPECT_EQ(g_effects, L"");
}

// For real: the tree selects the node and the pane shows its page.
TEST_F(Links, ANodeLinkSelectsItsNode) {
  SetLinkEffectSinkForTest(nullptr);
  Follow(L"nod:say \"hi\"");
  ASSERT_TRUE(PumpUntil([] { return Model().selected_id() == kQuoted; }, 3000));
  EXPECT_EQ(WindowText(g_shell.editor1), L"quoted page");
  g_settings.language = 418;
  EXPECT_EQ(Told(L"nod:nobody"), L"Nu g\x0103sesc niciun nod care s\x0103 con\x021bin\x0103 textul indicat !");
}

// A window with the sibling's title that keeps what WM_COPYDATA brings.
COPYDATASTRUCT g_mail{};
std::wstring g_mailText;
LRESULT CALLBACK SiblingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_COPYDATA) return DefWindowProcW(hwnd, msg, wp, lp);
  g_mail = *reinterpret_cast<const COPYDATASTRUCT*>(lp);
  g_mailText = static_cast<const wchar_t*>(g_mail.lpData);
  return TRUE;
}

TEST_F(Links, TheSiblingGetsTheTextOrTheUserIsToldToStartIt) {
  EXPECT_EQ(Told(L"lor:hello"), L"Open Quillpad and try again.\nhttps://quillpad.org");
  WNDCLASSW wc{};
  wc.lpfnWndProc = SiblingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"LinksTestSibling";
  RegisterClassW(&wc);
  HWND sibling = CreateWindowW(wc.lpszClassName, ToWide(kSiblingWindowTitle).c_str(), WS_OVERLAPPED, 0, 0,
                               10, 10, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(sibling);
  EXPECT_EQ(Effects(L"lor:hello there"), L"sibling hello there\n");
  SetLinkEffectSinkForTest(nullptr);
  Follow(L"lor:\x0219i \x0436");
  EXPECT_EQ(g_mail.dwData, 12u);
  EXPECT_GE(g_mail.cbData, 520u);
  EXPECT_EQ(g_mailText, L"\x0219i \x0436");
  Follow(L"lor:" + std::wstring(1000, L'q'));
  EXPECT_EQ(g_mailText, std::wstring(1000, L'q'));
  DestroyWindow(sibling);
  UnregisterClassW(wc.lpszClassName, wc.hInstance);
}

// The footnote link goes into the page as a field; a selection with
// unbalanced braces, a backslash and letters outside ASCII must leave a page
// that loads again with nothing of the selection spilt outside the field.
// Wine drops such a field whole when it reads the RTF, so there the page
// must read exactly as if the selection had been deleted; where the field
// is kept, its text must be the selection.
TEST_F(Links, AFootnoteLinkFromTextWithBracesKeepsThePageWhole) {
  const std::wstring selected = L"}}x{\\\x0219";
  SetWindowTextW(Pane(), (L"note " + selected + L" end").c_str());
  SendMessageW(Pane(), EM_SETSEL, 5, 5 + static_cast<LONG>(selected.size()));
  ASSERT_TRUE(RunCommand(kCmdHyperlink));
  EXPECT_TRUE(PaneModified(Pane()));
  ASSERT_TRUE(SaveModifiedPages());
  const std::string stored = ReadPage(Store(), Model(), kPage)->rtf;
  const bool field_kept = stored.find("HYPERLINK") != std::string::npos;
  const std::u16string text = RtfToText(stored);
  if (field_kept) EXPECT_NE(text.find(ToU16(selected)), std::u16string::npos) << stored;
  else EXPECT_EQ(text, u"note  end\r\n") << stored;

  Open(kOther);
  Open(kPage);
  const std::wstring shown = WindowText(Pane());
  if (field_kept) EXPECT_NE(shown.find(selected), std::wstring::npos) << shown;
  else EXPECT_EQ(shown, L"note  end") << shown;
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace lw::wintest
