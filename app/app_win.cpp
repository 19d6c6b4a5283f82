// The main window's procedure: a table of small handlers, and the
// notifications of its children.
#include "app/app_win.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include <string>

#include "app/commands_win.h"
#include "app/main_window_win.h"
#include "app/msgbox_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "app/strip_win.h"
#include "base/wide_win.h"
#include "editor/find_win.h"
#include "editor/pane_win.h"
#include "exec/run_win.h"
#include "music/palette_win.h"
#include "online/update_win.h"
#include "store/library_win.h"
#include "store/search_node_win.h"
#include "store/tree_win.h"

namespace lw {

HINSTANCE g_instance = nullptr;
HWND g_mainWindow = nullptr;
Shell g_shell;

namespace {

// -------------------------------------------------------- notifications --

void OnDropFiles(HDROP drop) {
  if (Store().busy()) {
    DragFinish(drop);
    return;
  }
  POINT pt;
  DragQueryPoint(drop, &pt);
  HWND child = ChildWindowFromPoint(g_mainWindow, pt);
  if (child == g_shell.editor1 || GetFocus() == g_shell.editor2)
    g_shell.currentEditor = child == g_shell.editor1 ? g_shell.editor1 : g_shell.editor2;
  UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  DropRoutineFn insert = GetDropRoutine();
  for (UINT i = 0; insert && i < count; ++i) {
    wchar_t path[MAX_PATH] = L"";
    if (DragQueryFileW(drop, i, path, MAX_PATH)) insert(path);
  }
  DragFinish(drop);
}


// --------------------------------------------------------- main window --

void OnWindowPosChanged(const WINDOWPOS* wp) {
  RECT rc = Client();
  if (rc.bottom == 0) return;  // minimised: the stored placement stays
  g_settings.clientWidth = rc.right;
  g_settings.clientHeight = rc.bottom;
  if (!IsZoomed(g_mainWindow)) {
    g_settings.windowX = wp->x;
    g_settings.windowY = wp->y;
    g_settings.windowWidth = wp->cx;
    g_settings.windowHeight = wp->cy;
  }
  // The client's scroll nudge makes the rich-edit repaint after a move.
  if (!(wp->flags & SWP_NOMOVE) && !(wp->flags & SWP_SHOWWINDOW)) {
    for (HWND ed : {g_shell.editor1, g_shell.splitView ? g_shell.editor2 : nullptr}) {
      if (!ed) continue;
      SendMessageW(ed, WM_VSCROLL, SB_LINEDOWN, 0);
      SendMessageW(ed, WM_VSCROLL, SB_LINEUP, 0);
    }
  }
  LayoutChildren();
  MovePlayer();
  PinFindWindow();
  PinNotesPalette();
}


// --------------------------------------------------------- the handlers --
// Each takes the message's parameters and answers its result.

LRESULT OnActivate(HWND hwnd, WPARAM wp, LPARAM) {
  if (LOWORD(wp) == WA_CLICKACTIVE) {
    POINT pt;
    GetCursorPos(&pt);
    ScreenToClient(hwnd, &pt);
    HWND child = ChildWindowFromPointEx(hwnd, pt, CWP_SKIPINVISIBLE);
    if (child && child != hwnd) {
      if (child == g_shell.editor1 || child == g_shell.editor2) g_shell.currentEditor = child;
      if (child != g_shell.strip) SetFocus(child);
    }
  } else if (LOWORD(wp) == WA_ACTIVE && g_shell.strip) {
    InvalidateRect(g_shell.strip, nullptr, TRUE);
  }
  return 0;
}

// The splitters' grips.
LRESULT OnPaint(HWND hwnd, WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT rc = Client();
  MainLayout m = ComputeMainLayout(g_settings.treeWidth, rc.right, rc.bottom, g_shell.passwordShown,
                                   g_shell.splitView, g_shell.splitY);
  HDC mem = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(mem, g_shell.gripV);
  if (g_shell.readingStep == 0) BitBlt(dc, m.gripX, m.gripY, 2, 14, mem, 0, 0, SRCCOPY);
  if (g_shell.splitView) {
    SelectObject(mem, g_shell.gripH);
    BitBlt(dc, m.hGripX, m.hGripY, 14, 2, mem, 0, 0, SRCCOPY);
  }
  SelectObject(mem, old);
  DeleteDC(mem);
  EndPaint(hwnd, &ps);
  return 0;
}

LRESULT OnClose(HWND, WPARAM, LPARAM) {
  CloseApplication();
  return 0;
}

LRESULT OnDestroy(HWND, WPARAM, LPARAM) {
  PostQuitMessage(0);
  return 0;
}

LRESULT OnGetMinMaxInfo(HWND, WPARAM, LPARAM lp) {
  auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
  mm->ptMinTrackSize.x = kMinWindowWidth;
  mm->ptMinTrackSize.y = kMinWindowHeight;
  return 0;
}

LRESULT OnPosChanged(HWND, WPARAM, LPARAM lp) {
  if (g_shell.strip) OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lp));
  return 0;
}

LRESULT OnNotify(HWND, WPARAM, LPARAM lp) {
  auto* nm = reinterpret_cast<NMHDR*>(lp);
  if (nm->idFrom == kTreeId) return OnTreeNotify(nm);
  if (nm->idFrom == kEditor1Id || nm->idFrom == kEditor2Id) return OnPaneNotify(nm);
  return 0;
}

LRESULT OnCommand(HWND, WPARAM wp, LPARAM lp) {
  if (lp == 0 || LOWORD(wp) == kCmdPasswordButton) {
    // Some of the page's keys mean something else while the tree has the
    // focus: Ctrl+X, C and V act on nodes, Ctrl+F and F3 search titles.
    const int node = TreeCommandForKey(LOWORD(wp));
    if (node == kTreeSearchesNodes) SearchNodeCommand(LOWORD(wp));
    else if (node >= 0) RunCommand(node ? node : LOWORD(wp));
  } else if (LOWORD(wp) == kEditor1Id || LOWORD(wp) == kEditor2Id) {
    OnPaneCommand(reinterpret_cast<HWND>(lp), HIWORD(wp));
  }
  return 0;
}

LRESULT OnTimer(HWND hwnd, WPARAM wp, LPARAM) {
  switch (wp) {
    case kReadingTimer: ReadingTick(); break;
    case kSaveTimer: OnSaveTimer(); break;
    case kPlayerTimer: PlayerTick(); break;
    case kNoteTimer:
    case kHeldNoteTimer:
      NoteOff(static_cast<int>(wp));
      KillTimer(hwnd, wp);
      break;
  }
  return 0;
}

LRESULT OnCtlColorStatic(HWND, WPARAM wp, LPARAM) {
  SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
  return reinterpret_cast<LRESULT>(g_shell.windowBrush);
}

LRESULT OnMouseMoveMessage(HWND, WPARAM, LPARAM lp) {
  OnMouseMove(static_cast<int>(LOWORD(lp)), static_cast<int>(HIWORD(lp)));
  return 0;
}

LRESULT OnLeftDown(HWND hwnd, WPARAM, LPARAM lp) {
  if (g_shell.readingStep == 0) {
    g_shell.drag = OverHorizontalSplitter(GET_X_LPARAM(lp)) ? Shell::Drag::kHorizontal
                                                            : Shell::Drag::kVertical;
    SetCapture(hwnd);
  }
  return 0;
}

LRESULT OnLeftUp(HWND, WPARAM, LPARAM) {
  g_shell.drag = Shell::Drag::kNone;
  ReleaseCapture();
  return 0;
}

LRESULT OnLeftDoubleClick(HWND, WPARAM, LPARAM lp) {
  OnDoubleClick(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
  return 0;
}

LRESULT OnRightUp(HWND, WPARAM, LPARAM lp) {
  OnRightButtonUp(GET_X_LPARAM(lp));
  return 0;
}

LRESULT OnDrop(HWND, WPARAM wp, LPARAM) {
  OnDropFiles(reinterpret_cast<HDROP>(wp));
  return 0;
}

// Shift+Esc brings the window back.
LRESULT OnHotKey(HWND hwnd, WPARAM wp, LPARAM) {
  if (wp == kHotKeyRestore) {
    ShowWindow(hwnd, SW_RESTORE);
    if (g_shell.splitView) LayoutChildren();
    SetForegroundWindow(hwnd);
  }
  return 0;
}

LRESULT OnThemeChanged(HWND hwnd, WPARAM, LPARAM) {
  InvalidateRect(hwnd, nullptr, TRUE);
  if (g_shell.strip) InvalidateRect(g_shell.strip, nullptr, TRUE);
  for (HWND w : {g_shell.overlay, g_shell.options})
    if (w && IsWindowVisible(w)) InvalidateRect(w, nullptr, TRUE);
  return 0;
}

using Handler = LRESULT (*)(HWND, WPARAM, LPARAM);

struct HandlerRow {
  UINT msg;
  Handler handler;
};

const HandlerRow kHandlers[] = {
    {WM_ACTIVATE, OnActivate},          {WM_PAINT, OnPaint},
    {WM_CLOSE, OnClose},                {WM_DESTROY, OnDestroy},
    {WM_GETMINMAXINFO, OnGetMinMaxInfo}, {WM_WINDOWPOSCHANGED, OnPosChanged},
    {WM_NOTIFY, OnNotify},              {WM_COMMAND, OnCommand},
    {WM_TIMER, OnTimer},                {WM_CTLCOLORSTATIC, OnCtlColorStatic},
    {WM_MOUSEMOVE, OnMouseMoveMessage}, {WM_LBUTTONDOWN, OnLeftDown},
    {WM_LBUTTONUP, OnLeftUp},           {WM_LBUTTONDBLCLK, OnLeftDoubleClick},
    {WM_RBUTTONUP, OnRightUp},          {WM_DROPFILES, OnDrop},
    {WM_HOTKEY, OnHotKey},              {WM_THEMECHANGED, OnThemeChanged},
};

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  for (const HandlerRow& row : kHandlers)
    if (row.msg == msg) return row.handler(hwnd, wp, lp);
  if (OnLibraryMessage(msg, wp, lp) || OnExecMessage(msg, wp, lp) || OnUpdateMessage(msg, wp, lp)) return 0;
  return DefWindowProcW(hwnd, msg, wp, lp);
}


ShellState CurrentShellState() {
  ShellState s;
  s.busy = Store().busy();
  HWND focus = GetFocus();
  s.editorFocused = focus && focus == g_shell.currentEditor;
  s.nodeSelected = Model().selected_id() != 0;
  s.libraryOpen = Store().library_open();
  s.pageEditable = ActivePageEditable();
  return s;
}

void SetPathLabel(const std::wstring& path) {
  if (g_shell.strip) SetDlgItemTextW(g_shell.strip, kPathLabelId, path.c_str());
}


}  // namespace lw
