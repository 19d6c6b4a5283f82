// Music and sound behind the command table and the main window's timers:
// the notes palette, the WAV attachments, the player's position and the end
// of a MIDI note. They arrive with this subsystem's work and do nothing
// until then.
#include <windows.h>

#include "app/commands_win.h"

namespace lw {

// Not yet: the WAV player and the MIDI notes.
void PlayerTick() {}
void NoteOff(int) {}

void RegisterMusicRoutines() {
  SetRoutine(Routine::kNotesPalette, RoutineNotBuilt);
  SetRoutine(Routine::kAttachment, RoutineNotBuilt);
}

}  // namespace lw
