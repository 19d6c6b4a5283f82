// The command runner's and SQL console's routines behind the command table.
// They arrive with this subsystem's work and do nothing until then.
#include <windows.h>

#include "app/commands_win.h"

namespace lw {

void RegisterExecRoutines() {
  SetRoutine(Routine::kExecuteSelection, RoutineNotBuilt);
  SetRoutine(Routine::kRunSql, RoutineNotBuilt);
  SetRoutine(Routine::kVacuum, RoutineNotBuilt);
}

}  // namespace lw
