#include "app/commands_win.h"

#include <cstdio>

#include "app/app_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"

namespace lw {

namespace {
RoutineFn g_routines[static_cast<size_t>(Routine::kCount)] = {};
DispatchProbe g_probe;
DropRoutineFn g_dropRoutine = nullptr;

// A command that would run but has nothing to run it is written where a
// developer sees it, so that it is not lost without a trace.
void ReportNotBuilt(int id, Routine routine, RoutineFn fn) {
  char line[128];
  std::snprintf(line, sizeof line, "Lorewell: command %d not carried out: routine %s %s\n", id,
                RoutineName(routine), fn ? "is not built yet" : "is not placed");
  OutputDebugStringA(line);
}

}  // namespace

void RoutineNotBuilt(int) {}

void SetDropRoutine(DropRoutineFn fn) { g_dropRoutine = fn; }
DropRoutineFn GetDropRoutine() { return g_dropRoutine; }

void SetRoutine(Routine routine, RoutineFn fn) { g_routines[static_cast<size_t>(routine)] = fn; }
void SetDispatchProbe(DispatchProbe probe) { g_probe = std::move(probe); }

CommandOutcome DispatchCommand(int id) {
  DispatchDecision d = Decide(id, CurrentShellState());
  if (d.verdict == Verdict::kUnknown) return CommandOutcome::kUnknown;
  if (g_probe) {
    g_probe(id, d.routine);
    return CommandOutcome::kRan;
  }
  if (d.verdict == Verdict::kRefused) {
    if (d.message) ShowLocalMessage(g_mainWindow, UiLanguage(), d.message, MB_ICONINFORMATION);
    return CommandOutcome::kRefused;
  }
  RoutineFn fn = g_routines[static_cast<size_t>(d.routine)];
  if (!fn || fn == RoutineNotBuilt) {
    ReportNotBuilt(id, d.routine, fn);
    return CommandOutcome::kNotBuilt;
  }
  fn(id);
  return CommandOutcome::kRan;
}

bool RunCommand(int id) { return DispatchCommand(id) == CommandOutcome::kRan; }

}  // namespace lw
