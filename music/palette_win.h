// The notes palette (Alt+M, and "Musicals" in the page menu): a modeless
// window of fifty buttons in the music font, four pages of glyphs. A click
// writes the glyph at the caret; Alt+click sounds it for its length,
// Tab+click holds it on a second sound, Ctrl+click takes back the last
// insertion (twice with Shift).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

namespace lw {

// Made hidden at start-up, owned by the main window; destroyed at the end.
void CreateNotesPalette(HWND owner);
void DestroyNotesPalette();
HWND NotesPaletteWindow();
// The title of the page on show and the notes' tooltips again, in the
// language now in force (the language was changed).
void RefreshNotesPaletteLanguage();

// The routine of Alt+M and the menu item: shows the palette (or activates
// it), refused without a node or without the music font installed.
void NotesPaletteRoutine(int id);

// With the pin option on, a visible palette follows the main window when
// it moves or is resized (its left edge, 99 pixels above its bottom).
void PinNotesPalette();

// Timers 4 and 5 of the main window: the timed and the held note end.
void NoteOff(int timer);

// Test seam: the MIDI short messages go here instead of to the output
// (which Wine cannot open headless); null restores the output.
using MidiSink = std::function<void(std::uint32_t message)>;
void SetMidiSinkForTest(MidiSink sink);

}  // namespace lw
