#include "app/commands_win.h"

#include "app/app_win.h"
#include "app/msgbox_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"

namespace lw {

namespace {
RoutineFn g_routines[static_cast<size_t>(Routine::kCount)] = {};
DispatchProbe g_probe;
DropRoutineFn g_dropRoutine = nullptr;
}  // namespace

void RoutineNotBuilt(int) {}

void SetDropRoutine(DropRoutineFn fn) { g_dropRoutine = fn; }
DropRoutineFn GetDropRoutine() { return g_dropRoutine; }

void SetRoutine(Routine routine, RoutineFn fn) { g_routines[static_cast<size_t>(routine)] = fn; }
RoutineFn GetRoutine(Routine routine) { return g_routines[static_cast<size_t>(routine)]; }
void SetDispatchProbe(DispatchProbe probe) { g_probe = std::move(probe); }

ShellState CurrentShellState() {
  ShellState s;
  s.busy = g_busy.load();
  HWND focus = GetFocus();
  s.editorFocused = focus && focus == g_shell.currentEditor;
  s.nodeSelected = g_shell.selectedNode != 0;
  s.libraryOpen = !CurrentLibraryPath().empty();
  s.pageEditable = g_shell.pageEditable;
  return s;
}

bool RunCommand(int id) {
  DispatchDecision d = Decide(id, CurrentShellState());
  if (d.verdict == Verdict::kUnknown) return false;
  if (g_probe) {
    g_probe(id, d.routine);
    return true;
  }
  if (d.verdict == Verdict::kRefused) {
    if (d.message) ShowLocalMessage(g_mainWindow, UiLanguage(), d.message, MB_ICONINFORMATION);
    return false;
  }
  RoutineFn fn = GetRoutine(d.routine);
  if (!fn) return false;
  fn(id);
  return true;
}

}  // namespace lw
