// Changing the interface language from the options panel, without a
// restart: every text on screen, compared before and after.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/commands.h"
#include "app/info_report_win.h"
#include "app/language_win.h"
#include "app/msgbox_win.h"
#include "app/options_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "app/strip_win.h"
#include "base/utf.h"
#include "base/wide_win.h"
#include "editor/find_win.h"
#include "music/palette_win.h"
#include "music/player_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/password_box_win.h"
#include "store/search_node_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

// Where a text was found, and the text.
using Texts = std::vector<std::pair<std::string, std::wstring>>;

void AddMenu(Texts* out, HMENU menu, const std::string& where) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = L"";
    const std::string at = where + "/" + std::to_string(i);
    if (GetMenuStringW(menu, static_cast<UINT>(i), text, 128, MF_BYPOSITION) > 0) out->push_back({at, text});
    if (HMENU sub = GetSubMenu(menu, i)) AddMenu(out, sub, at);
  }
}

std::wstring TextOf(HWND hwnd) {
  wchar_t text[256] = L"";
  GetWindowTextW(hwnd, text, 256);
  return text;
}

// The caption, then every label, box and button inside (edits hold the
// user's text, not ours).
void AddWindow(Texts* out, HWND window, const std::string& where) {
  out->push_back({where, TextOf(window)});
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[32] = L"";
    GetClassNameW(c, cls, 32);
    const std::wstring name = cls;
    if (name == L"Static" || name == L"Button" || name == WC_COMBOBOXW)
      out->push_back({where + "#" + std::to_string(GetDlgCtrlID(c)), TextOf(c)});
    if (name == WC_COMBOBOXW) {
      for (int i = 0; i < SendMessageW(c, CB_GETCOUNT, 0, 0); ++i) {
        wchar_t item[64] = L"";
        SendMessageW(c, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item));
        out->push_back({where + "#" + std::to_string(GetDlgCtrlID(c)) + "[" + std::to_string(i) + "]", item});
      }
    }
  }
}

// Every tool of a tooltip window.
void AddTips(Texts* out, HWND tips, const std::string& where) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  for (int i = 0; SendMessageW(tips, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&tool)); ++i) {
    wchar_t text[128] = L"";
    tool.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&tool));
    out->push_back({where + "." + std::to_string(i), text});
  }
}

HWND TooltipOwnedBy(HWND owner) {
  struct Search {
    HWND owner, found;
  } search{owner, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM lp) -> BOOL {
    auto* s = reinterpret_cast<Search*>(lp);
    wchar_t cls[32] = L"";
    GetClassNameW(w, cls, 32);
    if (lstrcmpiW(cls, TOOLTIPS_CLASSW) == 0 && GetWindow(w, GW_OWNER) == s->owner) s->found = w;
    return s->found == nullptr;
  }, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

Texts InterfaceTexts() {
  Texts t;
  AddMenu(&t, g_shell.menu, "menu");
  AddWindow(&t, g_shell.options, "options");
  AddWindow(&t, FindWindowHandle(), "find");
  AddWindow(&t, SearchNodeWindow(), "search");
  AddTips(&t, g_shell.tooltip, "strip");
  AddTips(&t, TooltipOwnedBy(g_shell.player), "player");
  t.push_back({"password", TextOf(GetDlgItem(g_mainWindow, kPasswordLabelId))});
  t.push_back({"palette", TextOf(NotesPaletteWindow())});
  t.push_back({"favourites", TreeLabels(g_shell.tree).at(0)});
  return t;
}

// Texts that are the same word in both languages.
const std::set<std::wstring> kSameInBoth = {
    L"Import", L"Export", L"Feedback", L"Euro", L"Copyright", L"PlusMinus", L"~ Reset", L"Violet", L"Font",
    L"Courier New", L"Arial", L"Verdana", L"Tahoma", L"Georgia", L"Palatino", L"Cantoria", L"7", L"9", L"11",
    L"13", L"15", L"26", L"Google", L"Ok", L" Clarinet", kMessageCaption};

void ChooseLanguageInPanel(int item) {
  HWND list = GetDlgItem(g_shell.options, kOptionsLanguageId);
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
  SendMessageW(g_shell.options, WM_COMMAND, MAKEWPARAM(kOptionsLanguageId, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  const int want = item == 1 ? 418 : 409;
  EXPECT_TRUE(PumpUntil([&] { return UiLanguage() == want; }, 2000));
  Pump(20);
}

class Language : public AppTest {
 protected:
  void StartWithLibrary() {
    lw::testing::WriteLibrary(ToU16(Path("lang.db")), {{100, 0, 0, "A", std::nullopt}});
    StartOptions o;
    o.libraryPath = Path("lang.db");
    ASSERT_EQ(Start(o), 0);
    WaitForWorker();
  }
};

TEST_F(Language, RomanianLeavesNoEnglishTextOnScreenAndEnglishComesBack) {
  StartWithLibrary();
  RunCommand(kCmdOptions);
  const Texts english = InterfaceTexts();
  ASSERT_GT(english.size(), 120u);
  SaveScreenshot(g_mainWindow, "options-en");
  ChooseLanguageInPanel(1);
  EXPECT_EQ(g_settings.language, 418);
  const Texts romanian = InterfaceTexts();
  SaveScreenshot(g_mainWindow, "options-ro");
  ASSERT_EQ(romanian.size(), english.size());
  for (size_t i = 0; i < english.size(); ++i) {
    EXPECT_EQ(romanian[i].first, english[i].first);
    if (!english[i].second.empty() && romanian[i].second == english[i].second &&
        !kSameInBoth.count(english[i].second))
      ADD_FAILURE() << romanian[i].first << " is still \"" << Utf16ToUtf8(ToU16(english[i].second)) << "\"";
    // Romanian's s and t with comma below, never the Turkish cedilla forms.
    for (wchar_t c : romanian[i].second)
      EXPECT_TRUE(c != 0x015E && c != 0x015F && c != 0x0162 && c != 0x0163) << romanian[i].first;
  }
  const std::pair<std::string, std::wstring> expected[] = {
      {"options#8951", L"Limba interfe\u021bei:"},   {"options#8941[1]", L" Rom\u00e2n\u0103"},
      {"options#895", L"Memoreaz\u0103 ultima parol\u0103"}, {"options#8942[4]", L" Trompet\u0103"},
      {"options#890", L"Lansare la start PC"},      {"password", L"Parol\u0103"},
      {"favourites", L"Favorite"},                  {"find", L" C\u0103utare / \u00cenlocuire (Ctrl+F)"},
  };
  for (const auto& [where, text] : expected) {
    bool seen = false;
    for (const auto& r : romanian) seen = seen || (r.first == where && r.second == text);
    EXPECT_TRUE(seen) << where;
  }
  EXPECT_EQ(SendMessageW(GetDlgItem(g_shell.options, kOptionsLanguageId), CB_GETCURSEL, 0, 0), 1);

  ChooseLanguageInPanel(0);
  EXPECT_EQ(InterfaceTexts(), english);
}

// The menu is loaded again: the show/hide marks follow the settings, and
// the clips submenu added to the old menu lives on into the new one.
TEST_F(Language, TheReloadedMenuKeepsItsMarksAndTheClipsSubmenu) {
  StartWithLibrary();
  g_settings.stripButtonVisible[0] = 0;
  g_settings.stripButtonVisible[8] = 1;
  FillClipMenu(GetSubMenu(g_shell.menu, 1));
  ApplyLanguage(418);
  HMENU buttons = GetSubMenu(g_shell.menu, 0);
  for (int i = 0; i < 12; ++i) {
    const bool checked = (GetMenuState(buttons, static_cast<UINT>(kCmdShowButtonFirst + i), MF_BYCOMMAND) & MF_CHECKED) != 0;
    EXPECT_EQ(checked, g_settings.stripButtonVisible[i] != 0) << i;
  }
  HMENU main = GetSubMenu(g_shell.menu, 1);
  FillClipMenu(main);
  ASSERT_TRUE(GetSubMenu(main, 1));
  wchar_t title[64] = L"";
  GetMenuStringW(main, 1, title, 64, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(title), LoadMessage(418, 64));
  ApplyLanguage(409);
}

// The report is written by the program: Ctrl+Z cannot take it away, and a
// change of language writes it again in the new one.
TEST_F(Language, TheInformationReportFollowsTheLanguageAndCannotBeUndone) {
  StartOptions none;
  none.makeDemoOnFirstRun = false;
  ASSERT_EQ(Start(none), 0);
  ShowInfoReport();
  ASSERT_TRUE(InfoReportShown());
  EXPECT_FALSE(SendMessageW(g_shell.editor1, EM_CANUNDO, 0, 0));
  ApplyLanguage(418);
  EXPECT_NE(WindowText(g_shell.editor1).find(L"Informa\u021bii Lorewell"), std::wstring::npos);
  EXPECT_FALSE(SendMessageW(g_shell.editor1, EM_CANUNDO, 0, 0));
  const std::wstring before = WindowText(g_shell.editor1);
  SetFocus(g_shell.editor1);
  SendMessageW(g_shell.editor1, WM_UNDO, 0, 0);
  EXPECT_EQ(WindowText(g_shell.editor1), before);
  ApplyLanguage(409);
}

}  // namespace
}  // namespace lw::wintest
