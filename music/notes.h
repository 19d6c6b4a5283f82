// The music notation of the notes palette: the glyphs of the music font on
// four pages of fifty, the text a click writes into a page, and which
// glyphs are notes that can be heard (their pitch and length). Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lw {

inline constexpr int kNotesPerPage = 50;
inline constexpr int kNotePages = 4;
inline constexpr int kNoteGlyphs = kNotesPerPage * kNotePages;
// The face name of the music font; the program does not ship it.
inline constexpr char16_t kMusicFontFace[] = u"Cantoria";
// The glyph written after every note inserted without Shift.
inline constexpr char16_t kNoteSpacer = 0x3D;

// The glyph at 0-based `index` (page index / 50, position index % 50 + 1);
// 0 outside the table.
char16_t NoteGlyph(int index);

// The RTF a click writes at the caret: the glyph as a 26-point run in the
// music font, followed by the spacer glyph unless Shift was down.
std::string NoteSnippet(char16_t glyph, bool shift);

// The palette's title for `page` (0 to 3), leading blank included.
std::u16string NotePaletteTitle(int page, bool romanian);

// The tooltip of the button at `position` (1 to 50) of `page` (0 to 3):
// the name of the note C or D it carries, or nothing.
std::u16string NoteTip(int page, int position, bool romanian);

// A glyph that sounds: the MIDI note and the length of a timed note.
struct PlayableNote {
  int group = 0;     // 0 to 3, the four runs of sixteen notes
  int key = 0;       // MIDI note number (60: middle C)
  int length_ms = 0;
};
std::optional<PlayableNote> PlayableNoteAt(int index);

// What the MIDI output and the two note timers are to do.
struct NoteActions {
  std::vector<std::uint32_t> messages;  // short messages, in order
  std::optional<int> timer_ms;          // (re)start the note's timer
  bool kill_timer = false;              // stop it first
};

// The notes that sound: timed notes on the first channel (a new one cuts
// the last short), a held note on the second.
class NotePlayer {
 public:
  // Alt+click on glyph `index`: the note for its length, or 3 s with Shift.
  NoteActions Timed(int index, bool shift);
  // Tab+click on glyph `index`: starts the held note, or silences it when
  // it is the one sounding.
  NoteActions Held(int index);
  // The timers' ends.
  NoteActions TimedEnd() const;
  NoteActions HeldEnd() const;
  // Every note off (the program ends).
  NoteActions AllOff() const;

 private:
  int timed_ = 0;
  int held_ = 0;
};

}  // namespace lw
