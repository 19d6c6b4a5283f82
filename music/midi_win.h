// The MIDI output on the system's MIDI mapper, opened once at start-up and
// closed after the message loop; the notes palette plays through it.
#pragma once

#include <windows.h>

#include <mmsystem.h>

namespace lw {

// Opens the mapper and selects instrument `instrumentIndex` (as stored in
// the settings) on the first channel and program 99 on the second. Without a
// MIDI device it shows "!midiOutOpen" and the program goes on without sound.
// Returns true when the output is open.
bool OpenMidiOutput(HWND owner, int instrumentIndex);

// Silences every note and closes the output (nothing when it never opened).
void CloseMidiOutput();

// The open output, or null: note requests do nothing without it.
HMIDIOUT MidiOutput();

// Selects instrument `index` for the timed notes; the held notes keep their
// program.
void SelectInstrument(int index);

}  // namespace lw
