#include "online/about_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "online/help_win.h"
#include "online/update.h"
#include "version.h"

namespace lw {

namespace {

// SC_MOVE with the caption's hit code: the system's drag of a window by
// its caption, started from anywhere on the dialog.
constexpr WPARAM kDragMove = 0xF012;

std::vector<HWND> g_windows;  // the About windows open now
HHOOK g_keyHook = nullptr;

// The main loop knows nothing of these windows, so their keys (Esc, Tab,
// Enter on a link) would reach the main window's accelerators instead,
// where Esc minimises. While one is open, this hook gives them the dialog
// treatment first and turns a message it took into WM_NULL.
LRESULT CALLBACK DialogKeys(int code, WPARAM wp, LPARAM lp) {
  auto* msg = reinterpret_cast<MSG*>(lp);
  if (code == HC_ACTION && wp == PM_REMOVE && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
    HWND root = GetAncestor(msg->hwnd, GA_ROOT);
    if (std::find(g_windows.begin(), g_windows.end(), root) != g_windows.end() && IsDialogMessageW(root, msg)) {
      msg->message = WM_NULL;
      msg->wParam = msg->lParam = 0;
    }
  }
  return CallNextHookEx(g_keyHook, code, wp, lp);
}

void SetLinkText(HWND dlg, int control, const wchar_t* id, const std::wstring& shown) {
  const std::wstring markup = std::wstring(L"<a id=\"") + id + L"\">" + shown + L"</a>";
  SetDlgItemTextW(dlg, control, markup.c_str());
}

void Fill(HWND dlg) {
  SetWindowTextW(dlg, L" Lorewell " LW_VERSION_WIDE);
  // The addresses live in one place (online/update.h), not in the templates.
  SetLinkText(dlg, kAboutMailLink, L"mail", ToWide(kFeedbackAddress));
  SetLinkText(dlg, kAboutSiteLink, L"site", ToWide(ProductPageUrl()));
  wchar_t text[512] = L"";
  GetDlgItemTextW(dlg, kAboutLegalText, text, 512);
  std::wstring legal = text;
  if (size_t at = legal.find(L"%s"); at != std::wstring::npos) legal.replace(at, 2, LW_VERSION_WIDE);
  SetDlgItemTextW(dlg, kAboutLegalText, legal.c_str());
}

void Follow(const NMLINK& link) {
  if (lstrcmpW(link.item.szID, L"mail") == 0) OpenInShell(ToWide(FeedbackMailto()));
  else if (lstrcmpW(link.item.szID, L"site") == 0) OpenInShell(ToWide(ProductPageUrl()));
}

void Forget(HWND dlg) {
  g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), dlg), g_windows.end());
  if (g_windows.empty() && g_keyHook) {
    UnhookWindowsHookEx(g_keyHook);
    g_keyHook = nullptr;
  }
}

INT_PTR CALLBACK AboutProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG:
      Fill(dlg);
      return TRUE;
    case WM_NOTIFY: {
      const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
      if ((hdr->idFrom == kAboutMailLink || hdr->idFrom == kAboutSiteLink) &&
          (hdr->code == NM_CLICK || hdr->code == NM_RETURN))
        Follow(*reinterpret_cast<const NMLINK*>(lp));
      return TRUE;
    }
    case WM_LBUTTONDOWN:
      SendMessageW(dlg, WM_SYSCOMMAND, kDragMove, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wp) == IDCANCEL) DestroyWindow(dlg);
      return TRUE;
    case WM_DESTROY:
      Forget(dlg);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

void AboutRoutine(int) {
  // The reading page scrolls under everything; About is read, not scrolled past.
  if (g_shell.readingStep != 0) SetReadingMode(false);
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LINK_CLASS};
  InitCommonControlsEx(&icc);
  RegisterDialogClass(kAboutClass);
  const int dialog = UiLanguage() == 418 ? kAboutDialogRomanian : kAboutDialogEnglish;
  HWND dlg = CreateDialogParamW(g_instance, MAKEINTRESOURCEW(dialog), g_mainWindow, AboutProc, 0);
  if (!dlg) return;
  g_windows.push_back(dlg);
  if (!g_keyHook) g_keyHook = SetWindowsHookExW(WH_GETMESSAGE, DialogKeys, nullptr, GetCurrentThreadId());
  ShowWindow(dlg, SW_SHOW);
}

}  // namespace lw
