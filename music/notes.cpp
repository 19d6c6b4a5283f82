#include "music/notes.h"

#include <cstdio>

#include "music/midi.h"

namespace lw {

namespace {

// Page by page, positions 1 to 50.
constexpr std::uint8_t kGlyphs[kNoteGlyphs] = {
    0x3D, 0xD3, 0xAF, 0x2B, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0xA2, 0xB0, 0xB9, 0xB2,
    0xB3, 0x64, 0x72, 0x6D, 0x66, 0x73, 0x6C, 0x24, 0xEE, 0xA5, 0xFE, 0xA1, 0xA3, 0xA9, 0xFB, 0xAE, 0xD6,
    0x44, 0x52, 0x4D, 0x46, 0x53, 0x4C, 0xB5, 0xCE, 0xAA, 0xFF, 0xB8, 0xDE, 0xAC, 0x28, 0x29, 0x2E,
    0x3D, 0x61, 0x62, 0x63, 0x65, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6E, 0x6F, 0x70, 0x71, 0x74, 0x75, 0x76,
    0x41, 0x42, 0x43, 0x45, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4E, 0x4F, 0x50, 0x51, 0x54, 0x55, 0x56, 0x77,
    0x78, 0x79, 0x7A, 0x57, 0x58, 0x59, 0x5A, 0xC5, 0xCA, 0x2D, 0x7E, 0x21, 0x40, 0x23, 0x2C, 0x7C,
    0x3D, 0xEB, 0xC2, 0xA7, 0xB6, 0xE5, 0xD7, 0xDF, 0xDB, 0x5E, 0x2A, 0xB1, 0xEA, 0x5B, 0x5D, 0x7B, 0x7D,
    0x3B, 0x3A, 0xEF, 0xF9, 0x3C, 0x3E, 0x3F, 0x2F, 0xB7, 0xA8, 0xCF, 0xFA, 0xFD, 0xDD, 0xD9, 0xDA, 0xF0,
    0xDC, 0xF8, 0x5F, 0xBC, 0xB4, 0xF7, 0xD8, 0xBF, 0xBA, 0xA4, 0xAB, 0xBB, 0x60, 0xFC, 0xBD, 0xA6,
    0x3D, 0xE2, 0xE0, 0xE3, 0xE4, 0xE7, 0xE8, 0xE9, 0xEC, 0xED, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xBE,
    0xD4, 0xD5, 0x3D, 0x3D, 0x3D, 0x3D, 0x3D, 0x3D, 0xE6, 0xE1, 0xC0, 0xC1, 0xC3, 0xC4, 0xC6, 0xC7, 0xC8,
    0xC9, 0xCB, 0xCC, 0xCD, 0xD0, 0xD1, 0xD2, 0x3D, 0x3D, 0x3D, 0x3D, 0x3D, 0x3D, 0x3D, 0x3D, 0x3D};

// The pitch ladder shared by the four runs of playable glyphs.
constexpr int kLadder[16] = {43, 45, 47, 48, 50, 52, 53, 55, 57, 59, 60, 62, 64, 65, 67, 69};
struct Run {
  int first;
  int length_ms;
};
constexpr Run kRuns[4] = {{15, 500}, {31, 250}, {51, 1000}, {67, 2000}};

constexpr int kTimedChannel = 0, kHeldChannel = 1;
constexpr int kHeldForever = 0x7FFFFFFF, kShiftLength = 3000;

std::uint32_t NoteOn(int channel, int key, int velocity) {
  return ShortMessage(static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(key),
                      static_cast<std::uint8_t>(velocity));
}
std::uint32_t NoteOffMessage(int channel, int key) {
  return ShortMessage(static_cast<std::uint8_t>(0x80 | channel), static_cast<std::uint8_t>(key), 0);
}

}  // namespace

char16_t NoteGlyph(int index) { return index >= 0 && index < kNoteGlyphs ? kGlyphs[index] : 0; }

std::string NoteSnippet(char16_t glyph, bool shift) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "%x", static_cast<unsigned>(glyph & 0xFF));
  return std::string("{\\rtf1{\\fonttbl{\\f0\\fcharset0 Cantoria;}}\\f0\\fs52 \\'") + hex + (shift ? "}" : "=}");
}

std::u16string NotePaletteTitle(int page, bool romanian) {
  static const char16_t* const kRanges[kNotePages] = {u"1-50", u"51-100", u"101-150", u"151-200"};
  const std::u16string base = romanian ? u" Inserare note muzicale (Alt+M) " : u" Insert muzical notes (Alt+M) ";
  return base + kRanges[page >= 0 && page < kNotePages ? page : 0];
}

std::u16string NoteTip(int page, int position, bool romanian) {
  static const std::vector<int> kC[kNotePages] = {{19, 26, 35, 42}, {5, 12, 21, 28}, {5, 12, 21, 28}, {4, 9, 29, 36}};
  static const std::vector<int> kD[kNotePages] = {{}, {}, {37, 42}, {}};
  if (page < 0 || page >= kNotePages) return {};
  for (int p : kC[page])
    if (p == position) return romanian ? u"Do" : u"C";
  for (int p : kD[page])
    if (p == position) return romanian ? u"Re" : u"D";
  return {};
}

std::optional<PlayableNote> PlayableNoteAt(int index) {
  for (int group = 0; group < 4; ++group) {
    const int place = index - kRuns[group].first;
    if (place >= 0 && place < 16) return PlayableNote{group, kLadder[place], kRuns[group].length_ms};
  }
  return std::nullopt;
}

NoteActions NotePlayer::Timed(int index, bool shift) {
  const std::optional<PlayableNote> note = PlayableNoteAt(index);
  if (!note) return {};
  NoteActions a;
  a.kill_timer = true;
  a.messages.push_back(NoteOffMessage(kTimedChannel, timed_));
  timed_ = note->key;
  a.messages.push_back(NoteOn(kTimedChannel, timed_, 127));
  a.timer_ms = shift ? kShiftLength : note->length_ms;
  return a;
}

NoteActions NotePlayer::Held(int index) {
  const std::optional<PlayableNote> note = PlayableNoteAt(index);
  if (!note) return {};
  NoteActions a;
  a.kill_timer = true;
  a.messages.push_back(NoteOffMessage(kHeldChannel, held_));
  if (note->key == held_) return a;  // the sounding note again: silence
  held_ = note->key;
  a.messages.push_back(NoteOn(kHeldChannel, held_, 100));
  a.timer_ms = kHeldForever;
  return a;
}

NoteActions NotePlayer::TimedEnd() const {
  NoteActions a;
  a.kill_timer = true;
  a.messages.push_back(NoteOffMessage(kTimedChannel, timed_));
  return a;
}

NoteActions NotePlayer::HeldEnd() const {
  NoteActions a;
  a.kill_timer = true;
  a.messages.push_back(NoteOffMessage(kHeldChannel, held_));
  return a;
}

NoteActions NotePlayer::AllOff() const {
  NoteActions a = TimedEnd();
  a.messages.push_back(NoteOffMessage(kHeldChannel, held_));
  return a;
}

}  // namespace lw
