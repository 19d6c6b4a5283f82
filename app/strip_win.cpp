#include "app/strip_win.h"

#include <commctrl.h>
#include <richedit.h>

#include "app/app_win.h"
#include "app/commands_win.h"
#include "app/msgbox_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/pane_win.h"
#include "editor/rich_edit_win.h"
#include "music/player_win.h"
#include "store/library_win.h"

namespace lw {

StripButton* g_buttons[kStripButtonCount + 1] = {};

namespace {

bool g_tracking = false;       // a mouse-leave notification is requested
HHOOK g_menuHook = nullptr;    // active while the show/hide pop-up is open
UINT g_menuItem = 0;           // item under the pointer in that pop-up
RECT g_stripScreen{};          // noted on button down, for placing pop-ups
HWND g_pathLabel = nullptr;
HWND g_progress = nullptr;
int g_xEnd = 20;

HMENU Popup(int position) { return g_shell.menu ? GetSubMenu(g_shell.menu, position) : nullptr; }

HWND MakeButton(HWND strip, int index, int x, int y, bool visible) {
  Box size = ButtonSize(index);
  return CreateWindowExW(0, L"b", L"", WS_CHILD | (visible ? WS_VISIBLE : 0), x, y, size.w, size.h,
                         strip, reinterpret_cast<HMENU>(static_cast<INT_PTR>(index)), g_instance,
                         nullptr);
}

void Repaint(HWND hwnd) {
  if (hwnd) InvalidateRect(hwnd, nullptr, FALSE);
}

// Keeps the show/hide pop-up open while its items are clicked: each click
// toggles one button and re-lays out the strip at once.
LRESULT CALLBACK MenuFilter(int code, WPARAM wp, LPARAM lp) {
  if (code == MSGF_MENU) {
    MSG* msg = reinterpret_cast<MSG*>(lp);
    if (msg->message == WM_MENUSELECT) g_menuItem = LOWORD(msg->wParam);
    if (msg->message == WM_LBUTTONUP) {
      HMENU popup = Popup(0);
      POINT pt;
      GetCursorPos(&pt);
      int pos = MenuItemFromPoint(nullptr, popup, pt);
      UINT id = pos >= 0 ? GetMenuItemID(popup, pos) : g_menuItem;
      if (id >= kCmdShowButtonFirst && id <= kCmdShowButtonLast) {
        bool checked = (GetMenuState(popup, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
        CheckMenuItem(popup, id, MF_BYCOMMAND | (checked ? MF_UNCHECKED : MF_CHECKED));
        g_settings.stripButtonVisible[id - kCmdShowButtonFirst] = checked ? 0 : 1;
        SendMessageW(g_shell.strip, WM_COMMAND, id, 0);
        InvalidateRect(msg->hwnd, nullptr, FALSE);
        return 1;  // the click is consumed: the pop-up stays open
      }
    }
  }
  return CallNextHookEx(g_menuHook, code, wp, lp);
}

void OpenPopup(int position, int x) {
  HMENU popup = Popup(position);
  if (!popup) return;
  if (position == 1) {
    bool library = Store().library_open();
    HWND focus = GetFocus();
    bool page = (focus == g_shell.editor1 && Model().selected_id() != 0) ||
                (focus == g_shell.editor2 && g_shell.splitView);
    EnableMenuItem(popup, kCmdMenuEncryptText, page ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(popup, kCmdMenuDecryptText, page ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(popup, kCmdMenuImport, library ? MF_ENABLED : MF_GRAYED);
    EnableMenuItem(popup, kCmdMenuCloseLibrary, library ? MF_ENABLED : MF_GRAYED);
    FillClipMenu(popup);
  } else {
    CheckShowHideItems(popup);
    g_menuHook = SetWindowsHookExW(WH_MSGFILTER, MenuFilter, nullptr, GetCurrentThreadId());
  }
  TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_TOPALIGN, g_stripScreen.left + x, g_stripScreen.top + 28,
                 0, g_shell.strip, nullptr);
  if (g_menuHook) UnhookWindowsHookEx(g_menuHook);
  g_menuHook = nullptr;
}

void SimulateCtrlKey(WORD letter) {
  bool down = (GetKeyState(letter) & 0x8000) != 0;
  INPUT in[4] = {};
  int n = 0;
  in[n].type = INPUT_KEYBOARD, in[n++].ki.wVk = VK_CONTROL;
  if (!down) {
    in[n].type = INPUT_KEYBOARD, in[n++].ki.wVk = letter;
    in[n].type = INPUT_KEYBOARD, in[n].ki.wVk = letter, in[n++].ki.dwFlags = KEYEVENTF_KEYUP;
  }
  in[n].type = INPUT_KEYBOARD, in[n].ki.wVk = VK_CONTROL, in[n++].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(static_cast<UINT>(n), in, sizeof(INPUT));
}

void ButtonAction(int index) {
  switch (index) {
    case kButtonMenu: OpenPopup(1, 0); break;
    case 2: RunCommand(kCmdNewLibrary); break;
    case 3: RunCommand(kCmdOpenLibrary); break;
    case 4: RunCommand(kCmdExecute); break;
    case 5:
    case 6:
      if (g_shell.currentEditor) {
        SetFocus(g_shell.currentEditor);
        ProgramChange ours;
        SendMessageW(g_shell.currentEditor, index == 5 ? EM_UNDO : EM_REDO, 0, 0);
      }
      break;
    case 7: RunCommand(kCmdFind); break;
    case 8:
    case 9:
    case 10:
      if (ActivePageEditable()) RunCommand(kCmdBold + index - 8);
      break;
    case 11: SimulateCtrlKey('L'); break;
    case 12: SimulateCtrlKey('E'); break;
    case 13: SimulateCtrlKey('R'); break;
    case kButtonShowHide: OpenPopup(0, g_xEnd); break;
    case kButtonMinimize: RunCommand(kCmdMinimize); break;
    case kButtonTopMost:
      g_settings.topMost = g_settings.topMost ? 0 : 1;
      SetWindowPos(g_mainWindow, g_settings.topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE);
      break;
    case kButtonClose: CloseApplication(); break;
  }
}

void CopyPathToClipboard(HWND owner) {
  PutTextOnClipboard(owner, ToWide(Store().current_path()));
}

}  // namespace


unsigned PaintedBitmapSlot(int index) {
  const StripButton* b = g_buttons[index];
  unsigned k = b && b->state < 4 ? b->state : 0;
  if (index == kButtonTopMost && g_settings.topMost && k < 2) k += 2;
  return k;
}

void LayoutStrip() {
  if (!g_shell.strip) return;
  RECT rc;
  GetClientRect(g_shell.strip, &rc);
  StripLayout l = LayoutStripPositions(g_settings.stripButtonVisible, rc.right);
  g_xEnd = l.xEnd;
  for (int i = kButtonNew; i <= kButtonShowHide; ++i) {
    if (!g_buttons[i]) continue;
    const Box& b = l.button[i];
    SetWindowPos(g_buttons[i]->window, nullptr, b.x, b.y, b.w, b.h,
                 SWP_NOZORDER | SWP_NOACTIVATE | (l.visible[i] ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  }
  if (g_pathLabel)
    MoveWindow(g_pathLabel, l.pathLabel.x, l.pathLabel.y, l.pathLabel.w > 0 ? l.pathLabel.w : 0,
               l.pathLabel.h, TRUE);
  for (int i = kButtonNew; i <= kButtonAlignRight; ++i)
    if (g_buttons[i]) Repaint(g_buttons[i]->window);
  InvalidateRect(g_shell.strip, nullptr, TRUE);
}

void LayoutCaptionButtons() {
  if (!g_shell.strip) return;
  RECT rc;
  GetClientRect(g_shell.strip, &rc);
  StripLayout l = LayoutStripPositions(g_settings.stripButtonVisible, rc.right);
  for (int k = 0; k < 3; ++k) {
    StripButton* b = g_buttons[kButtonMinimize + k];
    if (!b) continue;
    MoveWindow(b->window, l.captionButton[k].x, 2, 24, 16, FALSE);
    Repaint(b->window);
  }
  if (g_progress) MoveWindow(g_progress, l.progress.x, l.progress.y, l.progress.w, l.progress.h, TRUE);
}

void SetButtonState(int index, unsigned state) {
  if (index < 1 || index > kStripButtonCount || !g_buttons[index]) return;
  g_buttons[index]->state = state;
  Repaint(g_buttons[index]->window);
}

void SetButtonStates(int first, int last, unsigned state) {
  for (int i = first; i <= last; ++i) SetButtonState(i, state);
}

void CheckShowHideItems(HMENU popup) {
  for (int i = 0; i < kStripOptionalButtons; ++i)
    CheckMenuItem(popup, kCmdShowButtonFirst + i,
                  MF_BYCOMMAND | (g_settings.stripButtonVisible[i] ? MF_CHECKED : MF_UNCHECKED));
}

void SetStripTooltips() {
  if (!g_shell.tooltip) return;
  int language = UiLanguage();
  for (int i = 1; i <= kStripButtonCount; ++i) {
    StripButton* b = g_buttons[i];
    if (!b) continue;
    std::wstring text = i == kButtonMenu ? std::wstring(kMessageCaption) : LoadMessage(language, i);
    lstrcpynW(b->tooltip, text.c_str(), 33);
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = g_shell.strip;
    ti.uId = reinterpret_cast<UINT_PTR>(b->window);
    ti.lpszText = b->tooltip;
    // A known tool only changes its text; a new one is registered.
    TOOLINFOW probe = ti;
    probe.lpszText = nullptr;
    bool known = SendMessageW(g_shell.tooltip, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&probe)) != 0;
    SendMessageW(g_shell.tooltip, known ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
  }
  SendMessageW(g_shell.tooltip, TTM_SETMAXTIPWIDTH, 0, 333);
}

void FreeStripButtons() {
  for (StripButton*& b : g_buttons) {
    if (!b) continue;
    for (HBITMAP bmp : b->bitmaps)
      if (bmp) DeleteObject(bmp);
    delete b;
    b = nullptr;
  }
}

void ShowProgressMarquee() {
  if (!g_progress) return;
  SetWindowLongW(g_progress, GWL_STYLE, GetWindowLongW(g_progress, GWL_STYLE) | PBS_MARQUEE);
  SendMessageW(g_progress, PBM_SETMARQUEE, TRUE, 77);
  ShowWindow(g_progress, SW_SHOWNA);
}

void ShowProgressPercent(int percent) {
  if (!g_progress) return;
  if (GetWindowLongW(g_progress, GWL_STYLE) & PBS_MARQUEE) {
    SendMessageW(g_progress, PBM_SETMARQUEE, FALSE, 0);
    SetWindowLongW(g_progress, GWL_STYLE, GetWindowLongW(g_progress, GWL_STYLE) & ~PBS_MARQUEE);
  }
  SendMessageW(g_progress, PBM_SETRANGE32, 0, 100);
  SendMessageW(g_progress, PBM_SETPOS, percent, 0);
  ShowWindow(g_progress, SW_SHOWNA);
}

void HideProgress() {
  if (!g_progress) return;
  ShowWindow(g_progress, SW_HIDE);
  SendMessageW(g_progress, PBM_SETMARQUEE, FALSE, 0);
  SetWindowLongW(g_progress, GWL_STYLE, GetWindowLongW(g_progress, GWL_STYLE) & ~PBS_MARQUEE);
  SendMessageW(g_progress, PBM_SETPOS, 0, 0);
}

LRESULT CALLBACK StripProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      g_shell.strip = hwnd;
      MakeButton(hwnd, kButtonMenu, 2, 2, true);
      for (int i = kButtonNew; i <= kButtonAlignRight; ++i) MakeButton(hwnd, i, 0, 4, false);
      MakeButton(hwnd, kButtonShowHide, 0, 2, true);
      g_pathLabel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_PATHELLIPSIS | SS_NOPREFIX,
                                    0, 7, 0, 17, hwnd, reinterpret_cast<HMENU>(kPathLabelId), g_instance, nullptr);
      SendMessageW(g_pathLabel, WM_SETFONT, reinterpret_cast<WPARAM>(g_shell.uiFont), FALSE);
      for (int i = kButtonMinimize; i <= kButtonClose; ++i) MakeButton(hwnd, i, 0, 2, true);
      g_progress = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | PBS_SMOOTH, 0, 20, 76, 7, hwnd,
                                   reinterpret_cast<HMENU>(kProgressId), g_instance, nullptr);
      for (int i = 1; i <= kStripButtonCount; ++i)
        if (!g_buttons[i]) return -1;
      return 0;
    }
    case WM_SIZE:
      LayoutCaptionButtons();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      HGDIOBJ old = SelectObject(dc, g_shell.lightPen);
      MoveToEx(dc, 39, 3, nullptr);
      LineTo(dc, 39, 26);
      MoveToEx(dc, 40, 2, nullptr);
      LineTo(dc, g_xEnd + 1, 2);
      MoveToEx(dc, 40, 25, nullptr);
      LineTo(dc, g_xEnd + 1, 25);
      SelectObject(dc, old);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      // The strip is the window's caption: dragging it moves the window.
      ReleaseCapture();
      SendMessageW(g_mainWindow, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
      return 0;
    case WM_LBUTTONDBLCLK:
      SendMessageW(g_mainWindow, WM_SYSCOMMAND, IsZoomed(g_mainWindow) ? SC_RESTORE : SC_MAXIMIZE, 0);
      return 0;
    case WM_RBUTTONUP:
      CopyPathToClipboard(hwnd);
      return 0;
    case WM_CTLCOLORSTATIC:
      SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
      return reinterpret_cast<LRESULT>(g_shell.windowBrush);
    case WM_MENUSELECT:
      g_menuItem = LOWORD(wp);
      return 0;
    case WM_COMMAND:
      if (lp == 0) RunCommand(LOWORD(wp));
      return 0;
    case WM_DESTROY:
      g_pathLabel = g_progress = nullptr;
      g_shell.strip = nullptr;
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK StripButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  int index = GetDlgCtrlID(hwnd);
  StripButton* b = index >= 1 && index <= kStripButtonCount ? g_buttons[index] : nullptr;
  switch (msg) {
    case WM_CREATE: {
      if (index < 1 || index > kStripButtonCount) return -1;
      delete g_buttons[index];
      b = g_buttons[index] = new StripButton;
      b->window = hwnd;
      for (int k = 0; k < 4; ++k)
        b->bitmaps[k] = static_cast<HBITMAP>(LoadImageW(
            g_instance, MAKEINTRESOURCEW(ButtonBitmapBase(index) + k), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
      return 0;
    }
    case WM_MOUSEMOVE:
      if (b && !g_tracking) {
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd, 0};
        g_tracking = TrackMouseEvent(&tme) != 0;
        if (b->state != kStateDisabled) SetButtonState(index, kStateHover);
      }
      return 0;
    case WM_MOUSELEAVE:
      g_tracking = false;
      if (b && b->state != kStateDisabled) SetButtonState(index, kStateNormal);
      return 0;
    case WM_LBUTTONDOWN:
      if (b && b->state != kStateDisabled) {
        if (index == kButtonMenu || index == kButtonShowHide) GetWindowRect(g_shell.strip, &g_stripScreen);
        SetButtonState(index, kStatePressed);
      }
      return 0;
    case WM_LBUTTONUP:
      if (!b || Store().busy() || b->state == kStateDisabled) return 0;
      // A click on the strip abandons a library waiting for its password.
      if (Store().decryption_pending()) {
        Store().CancelDecryption();
        ShowLibraryState();
      }
      ButtonAction(index);
      if (index >= kButtonUndo && index <= kButtonAlignRight && g_buttons[index])
        SetButtonState(index, kStateHover);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (b) {
        unsigned k = PaintedBitmapSlot(index);
        Box size = ButtonSize(index);
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, b->bitmaps[k]);
        BitBlt(dc, 0, 0, size.w, size.h, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace lw
