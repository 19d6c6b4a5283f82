// Help, feedback, About and the update check behind the command table. They
// arrive with this subsystem's work and do nothing until then.
#include <windows.h>

#include "app/commands_win.h"

namespace lw {

void RegisterOnlineRoutines() {
  for (Routine r : {Routine::kHelp, Routine::kFeedback, Routine::kAbout, Routine::kUpdateCheck})
    SetRoutine(r, RoutineNotBuilt);
}

}  // namespace lw
