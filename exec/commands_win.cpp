// The command runner's and SQL console's routines behind the command table.
// They arrive with this subsystem's work and do nothing until then.
#include <windows.h>

#include "app/commands_win.h"

namespace lw {

namespace {
void NotYet(int) {}
}  // namespace

void RegisterExecRoutines() {
  SetRoutine(Routine::kExecuteSelection, NotYet);
  SetRoutine(Routine::kRunSql, NotYet);
  SetRoutine(Routine::kVacuum, NotYet);
}

}  // namespace lw
