// Help, Feedback and the About window in the running program: the pages
// opened for each language, and the About window's contents, links, keys,
// drag and screenshots.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "app/commands.h"
#include "app/commands_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "online/about_win.h"
#include "online/help_win.h"
#include "version.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

std::vector<std::wstring> g_opens;
void RecordOpen(const std::wstring& url) { g_opens.push_back(url); }

class OnlineTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    g_opens.clear();
    SetShellOpenSinkForTest(RecordOpen);
    ASSERT_EQ(Start(), 0);
  }
  void TearDown() override {
    SetShellOpenSinkForTest(nullptr);
    g_settings.language = 409;
    AppTest::TearDown();
  }
};

using OnlineHelp = OnlineTest;

TEST_F(OnlineHelp, HelpAndFeedbackOpenTheLanguagesPage) {
  const struct {
    int command, language;
    const wchar_t* url;
  } cases[] = {
      {kCmdHelp, 409, L"http://www.lorewell.ro/?lorewell4_help"},
      {kCmdMenuHelp, 418, L"http://www.lorewell.ro/?lorewell4_ajutor"},
      {kCmdMenuFeedback, 409, L"http://www.lorewell.ro/?lorewellfb"},
      {kCmdMenuFeedback, 418, L"http://www.lorewell.ro/?lorewell418fb"},
  };
  for (const auto& c : cases) {
    g_settings.language = c.language;
    g_opens.clear();
    EXPECT_EQ(DispatchCommand(c.command), CommandOutcome::kRan);
    EXPECT_EQ(g_opens, std::vector<std::wstring>{c.url}) << c.command << " " << c.language;
  }
}

// --- About ---------------------------------------------------------------------------

std::vector<HWND> AboutWindows() {
  std::vector<HWND> found;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND w, LPARAM lp) {
        wchar_t cls[64] = L"";
        GetClassNameW(w, cls, 64);
        if (lstrcmpW(cls, kAboutClass) == 0 && IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

std::wstring Text(HWND w) {
  wchar_t text[1024] = L"";
  GetWindowTextW(w, text, 1024);
  return text;
}

// Whether the link's text fits in one line of the control, as the control
// itself lays it out: a link cut short shows an address the click does not
// open.
bool OnOneLine(HWND link) {
  RECT client;
  GetClientRect(link, &client);
  SIZE ideal{};
  const LRESULT height = SendMessageW(link, LM_GETIDEALHEIGHT, client.right, reinterpret_cast<LPARAM>(&ideal));
  return height > 0 && height <= client.bottom;
}

class About : public OnlineTest {
 protected:
  HWND Open() {
    const size_t before = AboutWindows().size();
    EXPECT_EQ(DispatchCommand(kCmdMenuAbout), CommandOutcome::kRan);
    Pump(50);
    std::vector<HWND> now = AboutWindows();
    return now.size() == before + 1 ? now.front() : nullptr;
  }
};

TEST_F(About, ShowsVersionIconNoticeAndLinksInEachLanguage) {
  for (int language : {409, 418}) {
    SCOPED_TRACE(language);
    g_settings.language = language;
    HWND about = Open();
    ASSERT_TRUE(about);
    EXPECT_EQ(GetWindow(about, GW_OWNER), g_mainWindow);
    EXPECT_EQ(Text(about), L" Lorewell " LW_VERSION_WIDE);
    RECT units{0, 0, 250, 140}, client;
    MapDialogRect(about, &units);
    GetClientRect(about, &client);
    EXPECT_EQ(client.right, units.right);
    EXPECT_EQ(client.bottom, units.bottom);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(about, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, L"MS Shell Dlg");
    // The program's icon, top left.
    HWND icon = ChildWindowFromPointEx(about, POINT{units.right / 20, units.bottom / 10}, CWP_ALL);
    ASSERT_NE(icon, about);
    EXPECT_TRUE(SendMessageW(icon, STM_GETICON, 0, 0));
    const std::wstring legal = Text(GetDlgItem(about, kAboutLegalText));
    EXPECT_NE(legal.find(L"Lorewell " LW_VERSION_WIDE), std::wstring::npos) << legal;
    EXPECT_EQ(legal.find(L"%s"), std::wstring::npos);
    EXPECT_EQ(Text(GetDlgItem(about, kAboutMailLink)), L"<a id=\"mail\">feedback@lorewell.ro</a>");
    EXPECT_EQ(Text(GetDlgItem(about, kAboutSiteLink)), L"<a id=\"site\">http://www.lorewell.ro/?lorewell</a>");
    for (int id : {kAboutMailLink, kAboutSiteLink}) EXPECT_TRUE(OnOneLine(GetDlgItem(about, id))) << id;
    EXPECT_TRUE(SaveScreenshot(about, "about-" + std::to_string(language)));
    DestroyWindow(about);
  }
}

// A press and release on a link, from which the link control reports a click.
void ClickLink(HWND link) {
  SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
  Pump(20);
}

// Each link clicked.
TEST_F(About, LinksOpenTheMailProgramAndTheProductPage) {
  HWND about = Open();
  ASSERT_TRUE(about);
  for (int id : {kAboutMailLink, kAboutSiteLink}) ClickLink(GetDlgItem(about, id));
  const std::string version = LW_VERSION_SHORT;
  EXPECT_EQ(g_opens, (std::vector<std::wstring>{
                         L"mailto:feedback@lorewell.ro?subject=Feedback%20Lorewell%20" +
                             std::wstring(version.begin(), version.end()),
                         L"http://www.lorewell.ro/?lorewell"}));
}

// Esc in the window and its close box both end it; Esc never reaches the
// main window, where it would minimise.
TEST_F(About, EscapeAndTheCloseBoxEndIt) {
  for (bool key : {true, false}) {
    SCOPED_TRACE(key ? "Esc" : "close box");
    HWND about = Open();
    ASSERT_TRUE(about);
    if (key) {
      SetForegroundWindow(about);
      SetFocus(GetDlgItem(about, kAboutSiteLink));
      PressKeys({VK_ESCAPE});
    } else {
      SendMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(about); }, 2000));
    EXPECT_FALSE(IsIconic(g_mainWindow));
  }
}

TEST_F(About, EachCommandOpensAnotherAfterEndingReadingMode) {
  SetReadingMode(true);
  ASSERT_NE(g_shell.readingStep, 0);
  HWND first = Open();
  EXPECT_EQ(g_shell.readingStep, 0);
  HWND second = Open();
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  EXPECT_EQ(AboutWindows().size(), 2u);
}

// A press on the text (not a link) starts the system's window drag.
WNDPROC g_dialogProc = nullptr;
std::vector<WPARAM> g_sysCommands;
LRESULT CALLBACK CatchSysCommand(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_SYSCOMMAND) {
    g_sysCommands.push_back(wp);
    return 0;  // the drag itself would wait for the real mouse
  }
  return CallWindowProcW(g_dialogProc, w, msg, wp, lp);
}

TEST_F(About, APressAnywhereDragsTheWindow) {
  HWND about = Open();
  ASSERT_TRUE(about);
  g_sysCommands.clear();
  g_dialogProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(about, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CatchSysCommand)));
  RECT text;
  GetWindowRect(GetDlgItem(about, kAboutLegalText), &text);
  POINT at{text.left + 5, text.top + 5};
  HWND target = WindowFromPoint(at);  // the text lets the press through
  ASSERT_EQ(target, about);
  ScreenToClient(about, &at);
  SendMessageW(target, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  SetWindowLongPtrW(about, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_dialogProc));
  EXPECT_EQ(g_sysCommands, std::vector<WPARAM>{0xF012});
}

}  // namespace
}  // namespace lw::wintest
