#include "music/midi.h"

namespace lw {

namespace {
// Piano, Church Organ, Accordion, Cello, Trumpet, Oboe, Clarinet, Flute.
constexpr int kPrograms[kInstrumentCount] = {0, 19, 21, 42, 56, 68, 71, 73};
}  // namespace

int InstrumentProgram(int32_t index) {
  return index >= 0 && index < kInstrumentCount ? kPrograms[index] : kPrograms[0];
}

uint32_t ShortMessage(uint8_t status, uint8_t data1, uint8_t data2) {
  return static_cast<uint32_t>(status) | static_cast<uint32_t>(data1) << 8 |
         static_cast<uint32_t>(data2) << 16;
}

uint32_t ProgramChange(int channel, int program) {
  return ShortMessage(static_cast<uint8_t>(0xC0 | (channel & 0x0F)), static_cast<uint8_t>(program & 0x7F));
}

}  // namespace lw
