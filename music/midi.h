// The instruments of the timed notes and the packing of MIDI short
// messages: the portable side of the MIDI output.
#pragma once

#include <cstdint>

namespace lw {

// Number of entries of the instrument list (Options combo box order).
constexpr int kInstrumentCount = 8;
// The held notes always sound on the second channel with this program.
constexpr int kHeldNoteProgram = 99;

// The General MIDI program (counted from 0) of the stored instrument index;
// an index outside the list, as a damaged settings file may hold, plays the
// piano (index 0).
int InstrumentProgram(int32_t index);

// A short message as midiOutShortMsg takes it: status | data1 << 8 |
// data2 << 16.
uint32_t ShortMessage(uint8_t status, uint8_t data1, uint8_t data2 = 0);

// Program change on `channel` (0 = the first MIDI channel).
uint32_t ProgramChange(int channel, int program);

}  // namespace lw
