// The main window's layout, its splitters, the page panes and reading mode.
#include "app/app_win.h"

#include <commctrl.h>
#include <richedit.h>
#include <shellapi.h>
#include <windowsx.h>

#include <string>

#include "app/commands_win.h"
#include "app/main_window_win.h"
#include "app/msgbox_win.h"
#include "app/options_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "app/strip_win.h"
#include "base/wide_win.h"
#include "editor/pane_win.h"
#include "store/library_win.h"
#include "store/password_box_win.h"

namespace lw {

// --------------------------------------------------------------- layout --

RECT Client() {
  RECT rc{};
  GetClientRect(g_mainWindow, &rc);
  return rc;
}

void Place(HWND hwnd, const Box& b) {
  if (hwnd) MoveWindow(hwnd, b.x, b.y, b.w > 0 ? b.w : 0, b.h > 0 ? b.h : 0, TRUE);
}

int ScreenWidth() { return GetSystemMetrics(SM_CXVIRTUALSCREEN) + GetSystemMetrics(SM_XVIRTUALSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYVIRTUALSCREEN) + GetSystemMetrics(SM_YVIRTUALSCREEN); }

void MovePlayer() {
  if (!g_shell.player) return;
  POINT pt{g_settings.clientWidth - 250, kStripHeight};
  ClientToScreen(g_mainWindow, &pt);
  SetWindowPos(g_shell.player, nullptr, pt.x, pt.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The options panel and its overlay are pop-ups too, and follow the same way.
  PlaceOptions();
}

// The split view opened on the node of the primary pane, both panes at the
// same place in the page.
void OpenSplitView() {
  const int id = Model().selected_id();
  if (id == 0 || !SaveModifiedPages()) return;
  POINT scroll{};
  SendMessageW(g_shell.editor1, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
  Model().set_second_pane_id(id);
  LoadSecondaryPage(id);
  SendMessageW(g_shell.editor2, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
}

void CloseSplitView() { CloseSecondPane(); }

// ----------------------------------------------------------- splitters --

bool OverHorizontalSplitter(int x) { return g_shell.splitView && x > g_settings.treeWidth + kSplitterGap; }

void OnMouseMove(int x, int y) {
  RECT rc = Client();
  if (g_shell.drag == Shell::Drag::kVertical) {
    g_settings.treeWidth = DraggedTreeWidth(x, g_shell.passwordShown, ScreenWidth());
    LayoutChildren();
    return;
  }
  if (g_shell.drag == Shell::Drag::kHorizontal) {
    g_shell.splitY = DraggedSplitY(y, rc.bottom, ScreenHeight());
    LayoutChildren();
    return;
  }
  if (g_shell.passwordShown && x < g_settings.treeWidth) return;
  g_shell.overHorizontalSplitter = OverHorizontalSplitter(x);
  SetCursor(LoadCursorW(nullptr, g_shell.overHorizontalSplitter ? IDC_SIZENS : IDC_SIZEWE));
}

void OnDoubleClick(int x, int y) {
  if (Store().busy() || g_shell.readingStep != 0) return;
  RECT rc = Client();
  if (OverHorizontalSplitter(x)) {
    CloseSplitView();
    return;
  }
  if (g_shell.passwordShown && y > rc.bottom - 50) return;
  g_settings.treeWidth = ToggledTreeWidth(g_settings.treeWidth);
  if (g_settings.treeWidth == kMinTreeWidth) g_shell.passwordShown = false;
  LayoutChildren();
}

void OnRightButtonUp(int x) {
  if (OverHorizontalSplitter(x)) {
    CloseSplitView();
  } else if (!g_shell.splitView && Model().selected_id() != 0) {
    OpenSplitView();
  }
}


// Starts or stops the scrolling of reading mode.
void RunReading(bool on) {
  g_shell.readingRunning = on;
  if (on) SetTimer(g_mainWindow, kReadingTimer, 10, nullptr);
  else KillTimer(g_mainWindow, kReadingTimer);
}

void ReadingTick() {
  HWND ed = g_shell.currentEditor;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_TRACKPOS | SIF_POS;
  GetScrollInfo(ed, SB_VERT, &si);
  int pos = si.nTrackPos == 0 ? 1 : si.nTrackPos;
  SendMessageW(ed, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, pos + g_shell.readingStep), 0);
}


// ----------------------------------------------------------- shared API --

int UiLanguage() { return EffectiveLanguage(g_settings.language); }

void ShowNodeInSecondPane(int id) { LoadSecondaryPage(id); }

void CloseSecondPane() {
  CloseSplitPanes();
  Model().set_second_pane_id(0);
  InvalidateRect(g_shell.tree, nullptr, FALSE);
}

void LayoutChildren() {
  if (!g_mainWindow) return;
  RECT rc = Client();
  if (rc.bottom == 0) return;
  if (g_shell.splitView) g_shell.splitY = FittedSplitY(g_shell.splitY, rc.bottom);
  int tree = g_shell.readingStep ? 0 : g_settings.treeWidth;
  MainLayout m = ComputeMainLayout(tree, rc.right, rc.bottom, g_shell.passwordShown, g_shell.splitView,
                                   g_shell.splitY);
  Place(g_shell.strip, m.strip);
  LayoutStrip();
  LayoutCaptionButtons();
  Place(g_shell.tree, m.tree);
  LayoutPasswordBox();
  Place(g_shell.editor1, m.editor1);
  if (g_shell.splitView) {
    Place(g_shell.editor2, m.editor2);
    for (auto [marker, pane] : {std::pair{g_shell.marker1, m.editor1}, std::pair{g_shell.marker2, m.editor2}}) {
      if (!marker) continue;
      POINT pt{pane.x + 1, pane.y + 1};
      ClientToScreen(g_mainWindow, &pt);
      SetWindowPos(marker, nullptr, pt.x, pt.y, 2, pane.h - 2, SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
  }
  InvalidateRect(g_mainWindow, nullptr, TRUE);
}

void SetReadingMode(bool on) {
  if (on) {
    g_shell.readingStep = 1;
    RunReading(true);
    SetButtonStates(kButtonFind, kButtonAlignRight, kStateDisabled);
    SetReadingBackground(true);
    EnableWindow(g_shell.tree, FALSE);
    ShowWindow(g_shell.tree, SW_HIDE);
  } else {
    g_shell.readingStep = 0;
    RunReading(false);
    SetButtonStates(kButtonFind, kButtonAlignRight, kStateNormal);
    SetReadingBackground(false);
    g_settings.treeWidth = kOpenTreeWidth;
    EnableWindow(g_shell.tree, TRUE);
    ShowWindow(g_shell.tree, SW_SHOW);
  }
  LayoutChildren();
}


}  // namespace lw
