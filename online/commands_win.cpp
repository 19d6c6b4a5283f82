// Help, feedback, About and the update check behind the command table.
#include <windows.h>

#include "app/commands_win.h"
#include "online/about_win.h"
#include "online/help_win.h"
#include "online/update_win.h"

namespace lw {

void RegisterOnlineRoutines() {
  SetRoutine(Routine::kHelp, HelpRoutine);
  SetRoutine(Routine::kFeedback, FeedbackRoutine);
  SetRoutine(Routine::kAbout, AboutRoutine);
  SetRoutine(Routine::kUpdateCheck, UpdateCheckRoutine);
}

}  // namespace lw
