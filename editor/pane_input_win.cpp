// The keys and mouse rules the program adds to the page panes, and the
// panes' selection notifications.
#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include "app/app_win.h"
#include "app/main_window_win.h"
#include "app/shell_win.h"
#include "app/strip_win.h"
#include "editor/drop_win.h"
#include "editor/link_win.h"
#include "editor/page_size.h"
#include "editor/pane_win.h"
#include "editor/picture_win.h"
#include "editor/rich_edit_win.h"
#include "store/library_win.h"

namespace lw {

namespace {

constexpr UINT_PTR kTrimTimer = 7;
constexpr int kMinExecute = 2;
constexpr int kMaxExecute = 260;

bool Held(int key) { return GetKeyState(key) < 0; }

// Shift+Tab and Ctrl+Tab (plain Tab moves the focus before it gets here)
// write five spaces; a tab character never enters a page.
bool OnTab(HWND ed, UINT msg, WPARAM wp) {
  if (msg == WM_CHAR && wp == L'\t') return true;
  if (msg != WM_KEYDOWN || wp != VK_TAB) return false;
  if (ed == g_shell.currentEditor && ActivePageEditable())
    SendMessageW(ed, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"     "));
  return true;
}

void OnKeyEvent(UINT msg) {
  if (!Held(VK_CONTROL) || !Held(VK_SHIFT)) return;
  if (msg == WM_KEYDOWN) SetTyping(false);
  if (msg == WM_KEYUP) SetTyping(true);
}

void Zoom(HWND ed, bool up) {
  WPARAM num = 0;
  LPARAM den = 0;
  SendMessageW(ed, EM_GETZOOM, reinterpret_cast<WPARAM>(&num), reinterpret_cast<LPARAM>(&den));
  const auto [n, d] = NextZoom(static_cast<int>(num), static_cast<int>(den), up);
  SendMessageW(ed, EM_SETZOOM, n, d);
  InvalidateRect(ed, nullptr, TRUE);
}

bool OnWheel(HWND ed, WPARAM wp) {
  const int delta = GET_WHEEL_DELTA_WPARAM(wp);
  if (GET_KEYSTATE_WPARAM(wp) & MK_CONTROL) {
    Zoom(ed, delta > 0);
    return true;  // the control would zoom a second time
  }
  if (g_shell.readingStep != 0) g_shell.readingStep = delta <= 0 ? 1 : -1;
  return false;
}

bool OnMiddleButton(HWND ed, WPARAM wp) {
  if (wp & MK_CONTROL) {
    SendMessageW(ed, EM_SETZOOM, 0, 0);
    InvalidateRect(ed, nullptr, TRUE);
    return true;
  }
  if (g_shell.readingStep != 0) {
    RunReading(!g_shell.readingRunning);
    return true;
  }
  return false;
}

// After the control has selected the double-clicked word: a word selected
// with the space after it loses that space.
void CALLBACK TrimSelection(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  KillTimer(hwnd, id);
  HWND ed = g_shell.currentEditor;
  CHARRANGE cr{};
  SendMessageW(ed, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
  if (cr.cpMax <= cr.cpMin) return;
  if (TextRange(ed, cr.cpMax - 1, cr.cpMax) != L" ") return;
  cr.cpMax -= 1;
  SendMessageW(ed, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr));
}

void ShowProgramProperties() {
  wchar_t path[MAX_PATH] = L"";
  if (!GetModuleFileNameW(nullptr, path, MAX_PATH)) return;
  SHELLEXECUTEINFOW sei{};
  sei.cbSize = sizeof sei;
  sei.fMask = SEE_MASK_INVOKEIDLIST | SEE_MASK_FLAG_NO_UI;
  sei.hwnd = g_mainWindow;
  sei.lpVerb = L"properties";
  sei.lpFile = path;
  sei.lpParameters = L"details";
  sei.nShow = SW_SHOW;
  ShellExecuteExW(&sei);
}

void OnDoubleClick(HWND ed) {
  if (ed == g_shell.editor1 && Model().selected_id() == 0) {
    ShowProgramProperties();
    return;
  }
  SetTimer(g_mainWindow, kTrimTimer, 0, TrimSelection);
}

void OnRightButtonUp(HWND ed) {
  if (ed == g_shell.editor1 && Model().selected_id() == 0) return;
  POINT pt;
  GetCursorPos(&pt);
  ShowPageMenu(ed, pt);
}

// True: the message stops here.
bool Filter(HWND ed, const MSGFILTER& f) {
  if (OnTab(ed, f.msg, f.wParam)) return true;
  switch (f.msg) {
    case WM_KEYDOWN:
    case WM_KEYUP: OnKeyEvent(f.msg); return false;
    case WM_CHAR: return OnPictureCodeChar(ed, static_cast<wchar_t>(f.wParam));
    case WM_LBUTTONUP:
      if ((f.wParam & MK_CONTROL) && !SelectedTextEmpty(ed)) SendMessageW(ed, WM_COPY, 0, 0);
      return false;
    case WM_LBUTTONDBLCLK: OnDoubleClick(ed); return false;
    case WM_MOUSEWHEEL: return OnWheel(ed, f.wParam);
    case WM_MBUTTONDOWN: return OnMiddleButton(ed, f.wParam);
    case WM_RBUTTONDOWN: g_shell.currentEditor = ed; return false;
    case WM_RBUTTONUP: OnRightButtonUp(ed); return false;
  }
  return false;
}

void OnSelectionChange(const SELCHANGE& sc) {
  if (Model().selected_id() == 0) return;
  const LONG n = sc.chrg.cpMax - sc.chrg.cpMin;
  SetButtonState(kButtonExecute, n >= kMinExecute && n <= kMaxExecute ? kStateNormal : kStateDisabled);
}

}  // namespace

LRESULT OnPaneNotify(NMHDR* nm) {
  if (PaneNodeId(nm->hwndFrom) == 0 && nm->hwndFrom != g_shell.editor1 && nm->hwndFrom != g_shell.editor2)
    return 0;
  switch (nm->code) {
    case EN_MSGFILTER: return Filter(nm->hwndFrom, *reinterpret_cast<MSGFILTER*>(nm)) ? 1 : 0;
    case EN_SELCHANGE: OnSelectionChange(*reinterpret_cast<SELCHANGE*>(nm)); return 0;
    case EN_LINK: return OnLinkNotify(nm->hwndFrom, *reinterpret_cast<ENLINK*>(nm));
    case EN_DROPFILES: return OnPaneDropFiles(nm->hwndFrom, *reinterpret_cast<ENDROPFILES*>(nm));
    case EN_DRAGDROPDONE:
      if (!Store().busy()) SetFocus(g_shell.currentEditor);
      return 0;
  }
  return 0;
}

}  // namespace lw
