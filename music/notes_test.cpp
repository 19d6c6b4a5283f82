// The notes palette's glyphs, what a click writes, and the MIDI messages of
// the timed and held notes.
#include "music/notes.h"

#include <gtest/gtest.h>

#include "music/midi.h"

namespace lw {
namespace {

int Index(int page, int position) { return (page - 1) * kNotesPerPage + position - 1; }

TEST(Notes, AClickWritesTheGlyphAsA26PointRunWithTheSpacerUnlessShifted) {
  EXPECT_EQ(NoteGlyph(Index(1, 19)), u'd');
  EXPECT_EQ(NoteSnippet(NoteGlyph(Index(1, 19)), false),
            "{\\rtf1{\\fonttbl{\\f0\\fcharset0 Cantoria;}}\\f0\\fs52 \\'64=}");
  EXPECT_EQ(NoteSnippet(NoteGlyph(Index(1, 19)), true),
            "{\\rtf1{\\fonttbl{\\f0\\fcharset0 Cantoria;}}\\f0\\fs52 \\'64}");
  EXPECT_EQ(NoteSnippet(0xFF, false).substr(50), "\\'ff=}");
  for (int page = 1; page <= kNotePages; ++page) EXPECT_EQ(NoteGlyph(Index(page, 1)), kNoteSpacer) << page;
  EXPECT_EQ(NoteGlyph(-1), 0);
  EXPECT_EQ(NoteGlyph(kNoteGlyphs), 0);
  EXPECT_EQ(NotePaletteTitle(2, true), u" Inserare note muzicale (Alt+M) 101-150");
  EXPECT_EQ(NoteTip(0, 19, false), u"C");  // pages count from 0 here
  EXPECT_EQ(NoteTip(2, 42, true), u"Re");
  EXPECT_EQ(NoteTip(1, 42, false), u"");  // the third page's D is not the second's
}

TEST(Notes, OnlyTheFourLaddersSound) {
  struct Case {
    int page, position;
    int key;  // 0: silent
    int length;
  } cases[] = {{1, 15, 0, 0},  {1, 16, 43, 500},  {1, 31, 69, 500}, {1, 32, 43, 250}, {1, 47, 69, 250},
               {1, 48, 0, 0},  {2, 2, 43, 1000},  {2, 18, 43, 2000}, {2, 33, 69, 2000}, {2, 34, 0, 0},
               {3, 19, 0, 0},  {4, 4, 0, 0}};
  for (const Case& c : cases) {
    const std::optional<PlayableNote> note = PlayableNoteAt(Index(c.page, c.position));
    EXPECT_EQ(note ? note->key : 0, c.key) << c.page << "/" << c.position;
    if (note) EXPECT_EQ(note->length_ms, c.length) << c.page << "/" << c.position;
  }
}

TEST(NotePlayer, TimedNotesCutTheLastShortAndShiftHoldsThreeSeconds) {
  NotePlayer player;
  EXPECT_TRUE(player.Timed(Index(3, 10), false).messages.empty());  // not a note: nothing at all
  NoteActions a = player.Timed(Index(2, 2), true);
  EXPECT_EQ(a.messages, (std::vector<std::uint32_t>{ShortMessage(0x80, 0), ShortMessage(0x90, 43, 127)}));
  EXPECT_EQ(a.timer_ms, 3000);
  a = player.Timed(Index(1, 19), false);
  EXPECT_EQ(a.messages, (std::vector<std::uint32_t>{ShortMessage(0x80, 43), ShortMessage(0x90, 48, 127)}));
  EXPECT_EQ(a.timer_ms, 500);
  EXPECT_EQ(player.TimedEnd().messages, std::vector<std::uint32_t>{ShortMessage(0x80, 48)});
}

TEST(NotePlayer, AHeldNoteTogglesOnTheSecondChannel) {
  NotePlayer player;
  NoteActions a = player.Held(Index(1, 19));
  EXPECT_EQ(a.messages, (std::vector<std::uint32_t>{ShortMessage(0x81, 0), ShortMessage(0x91, 48, 100)}));
  EXPECT_EQ(a.timer_ms, 0x7FFFFFFF);
  for (int again = 0; again < 2; ++again) {  // silenced, and stays silent
    a = player.Held(Index(1, 19));
    EXPECT_EQ(a.messages, std::vector<std::uint32_t>{ShortMessage(0x81, 48)});
    EXPECT_FALSE(a.timer_ms);
  }
  a = player.Held(Index(1, 20));
  EXPECT_EQ(a.messages.back(), ShortMessage(0x91, 50, 100));
  player.Timed(Index(1, 16), false);
  EXPECT_EQ(player.AllOff().messages,
            (std::vector<std::uint32_t>{ShortMessage(0x80, 43), ShortMessage(0x81, 50)}));
}

}  // namespace
}  // namespace lw
