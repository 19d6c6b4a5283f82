#include "music/midi_win.h"

#include "app/msgbox_win.h"
#include "music/midi.h"

namespace lw {

namespace {
HMIDIOUT g_midiOut = nullptr;
}  // namespace

bool OpenMidiOutput(HWND owner, int instrumentIndex) {
  CloseMidiOutput();
  HMIDIOUT out = nullptr;
  if (midiOutOpen(&out, MIDI_MAPPER, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR || !out) {
    ShowMessage(owner, L"!midiOutOpen", MB_ICONERROR);
    return false;
  }
  g_midiOut = out;
  SelectInstrument(instrumentIndex);
  midiOutShortMsg(g_midiOut, ProgramChange(1, kHeldNoteProgram));
  return true;
}

void SelectInstrument(int index) {
  if (!g_midiOut) return;
  midiOutShortMsg(g_midiOut, ProgramChange(0, InstrumentProgram(index)));
}

void CloseMidiOutput() {
  if (!g_midiOut) return;
  midiOutReset(g_midiOut);
  midiOutClose(g_midiOut);
  g_midiOut = nullptr;
}

HMIDIOUT MidiOutput() { return g_midiOut; }

}  // namespace lw
