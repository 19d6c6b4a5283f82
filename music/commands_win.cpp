// Music and sound behind the command table and the main window's timers:
// the notes palette, the WAV attachments, the player's position and the end
// of a MIDI note.
#include <windows.h>

#include "app/commands_win.h"
#include "base/wide_win.h"
#include "editor/drop_win.h"
#include "editor/link_win.h"
#include "music/clips_win.h"
#include "music/palette_win.h"
#include "music/player_win.h"

namespace lw {

void RegisterMusicRoutines() {
  SetRoutine(Routine::kNotesPalette, NotesPaletteRoutine);
  SetRoutine(Routine::kAttachment, ClipMenuRoutine);
  SetClipLinkHandlers([](const std::wstring& name) { PlayClip(ToU16(name)); }, StopClip);
  SetSoundDropHandler(AttachClipFile);
}

}  // namespace lw
