// Routines the shell carries out itself: minimise, reading mode, maximise,
// focus cycle, window snapping, word wrap, the options panel.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include "app/app_win.h"
#include "app/commands_win.h"
#include "app/options_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "app/strip_win.h"
#include "editor/find_win.h"
#include "editor/format_win.h"
#include "editor/pane_win.h"
#include "music/palette_win.h"

namespace lw {

namespace {

// Esc first silences a reading aloud; only the next Esc minimises.
void Minimize(int) {
  if (StopSpeaking() || StopFind()) return;
  for (HWND w : {g_shell.options, g_shell.overlay, g_shell.marker1, g_shell.marker2, NotesPaletteWindow()})
    if (w) ShowWindow(w, SW_HIDE);
  ShowWindow(g_mainWindow, SW_MINIMIZE);
}

void ReadingMode(int) { SetReadingMode(g_shell.readingStep == 0); }

void Maximize(int) { ShowWindow(g_mainWindow, IsZoomed(g_mainWindow) ? SW_RESTORE : SW_MAXIMIZE); }

FocusTarget Classify(HWND focus) {
  if (!focus) return FocusTarget::kOther;
  if (focus == g_shell.tree) return FocusTarget::kTree;
  if (focus == g_shell.editor1) return FocusTarget::kEditor1;
  if (focus == g_shell.editor2) return FocusTarget::kEditor2;
  if (GetParent(focus) == g_shell.tree) return FocusTarget::kLabelEdit;
  return FocusTarget::kOther;
}

void FocusCycle(int) {
  HWND focus = GetFocus();
  FocusTarget from = Classify(focus);
  if (from == FocusTarget::kLabelEdit) TreeView_EndEditLabelNow(g_shell.tree, FALSE);
  FocusTarget to = NextFocus(from, g_shell.splitView, g_shell.passwordShown);
  HWND target = g_shell.tree;
  if (to == FocusTarget::kEditor1) target = from == FocusTarget::kLabelEdit ? g_shell.currentEditor : g_shell.editor1;
  if (to == FocusTarget::kEditor2) target = g_shell.editor2;
  if (target == g_shell.editor1 || target == g_shell.editor2) g_shell.currentEditor = target;
  if (target && IsWindowEnabled(target)) SetFocus(target);
}

void SnapWindow(int id) {
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  Box area{work.left, work.top, work.right - work.left, work.bottom - work.top};
  Snap snap = id == kCmdSnapRight ? Snap::kRight : id == kCmdSnapLeft ? Snap::kLeft : Snap::kFill;
  Box b = SnapRect(snap, area);
  if (IsZoomed(g_mainWindow)) ShowWindow(g_mainWindow, SW_RESTORE);
  SetWindowPos(g_mainWindow, nullptr, b.x, b.y, b.w, b.h, SWP_NOZORDER);
  InvalidateRect(g_mainWindow, nullptr, TRUE);
}

void WordWrap(int) {
  g_settings.wordWrap = g_settings.wordWrap ? 0 : 1;
  ApplyWordWrap(g_settings.wordWrap != 0);
}

// Items of the show/hide pop-up: the hook has already stored the new flag.
void ShowHideButton(int) { LayoutStrip(); }

void Ignore(int) {}

}  // namespace

void RegisterShellRoutines() {
  SetRoutine(Routine::kMinimize, Minimize);
  SetRoutine(Routine::kReadingMode, ReadingMode);
  SetRoutine(Routine::kMaximize, Maximize);
  SetRoutine(Routine::kFocusCycle, FocusCycle);
  SetRoutine(Routine::kSnapWindow, SnapWindow);
  SetRoutine(Routine::kWordWrap, WordWrap);
  SetRoutine(Routine::kShowOptions, ShowOptions);
  SetRoutine(Routine::kShowHideButton, ShowHideButton);
  SetRoutine(Routine::kIgnore, Ignore);
}

}  // namespace lw
