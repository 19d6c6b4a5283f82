#include "music/midi.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

TEST(Midi, StoredInstrumentIndexGivesItsGeneralMidiProgram) {
  const int expected[kInstrumentCount] = {0, 19, 21, 42, 56, 68, 71, 73};
  for (int i = 0; i < kInstrumentCount; ++i) EXPECT_EQ(InstrumentProgram(i), expected[i]) << i;
  // A damaged settings file must not pick a random sound.
  for (int32_t bad : {-1, 8, 1000, INT32_MIN}) EXPECT_EQ(InstrumentProgram(bad), 0) << bad;
}

TEST(Midi, ShortMessagesArePackedStatusFirst) {
  EXPECT_EQ(ShortMessage(0x90, 43, 127), 0x7F2B90u);
  EXPECT_EQ(ShortMessage(0x81, 48), 0x3081u);
  // Program changes: the timed notes on the first channel, the held notes
  // on the second with program 99.
  EXPECT_EQ(ProgramChange(0, InstrumentProgram(1)), 0x13C0u);
  EXPECT_EQ(ProgramChange(1, kHeldNoteProgram), 0x63C1u);
}

}  // namespace
}  // namespace lw
