#include "editor/format.h"

#include <algorithm>

#include "base/utf.h"

namespace lw {

namespace {

CharFormatRow Color(int id, uint32_t c) { return {id, kFmtColor, 0, c, 0, nullptr, 0, true}; }
CharFormatRow Back(int id, uint32_t c) { return {id, kFmtBackColor, 0, 0, c, nullptr, 0, true}; }
CharFormatRow Face(int id, const char16_t* face) { return {id, kFmtFace, 0, 0, 0, face, 0, true}; }
CharFormatRow Size(int id, int twips) { return {id, kFmtSize, 0, 0, 0, nullptr, twips, true}; }
CharFormatRow Heading(int id, uint32_t effects, int twips) {
  return {id, kFmtHeadingMask, effects, 0, 0, nullptr, twips, false};
}

// What clear formatting writes: every effect off, the automatic background.
constexpr uint32_t kClearMask = kFmtSize | kFmtColor | kFmtFace | kFmtBackColor | kFmtSubSuperMask |
                                kFmtHidden | kFmtBold | kFmtItalic | kFmtUnderline | kFmtStrikeOut;

std::vector<CharFormatRow> BuildRows() {
  return {
      Color(6604, 0x0000FF), Color(6605, 0xFF00FF), Color(6606, 0xFF0000),
      Color(6607, 0x2A2AA5), Color(6608, 0xBEBEBE), Color(6609, kDefaultTextColor),
      Back(6610, 0x00FFFF), Back(6611, 0x87AFFF), Back(6612, 0xFFFF00),
      Back(6613, 0xBEAFFA), Back(6614, 0xBE82BE),
      // The background reset writes no colour: the automatic background.
      {6615, kFmtBackColor, kFmtBackColor, 0, 0, nullptr, 0, true},
      Face(6616, u"Courier new"), Face(6617, u"Arial"), Face(6618, u"Verdana"),
      Face(6619, u"Tahoma"), Face(6620, u"Georgia"), Face(6629, u"Palatino linotype"),
      Face(6630, u"Cantoria"), Face(6621, kDefaultFace),
      Size(6622, 140), Size(6623, 180), Size(6624, 220), Size(6625, 260), Size(6626, 300),
      Size(6631, 520), Size(6627, kDefaultTwips),
      // Headings keep the selection, so that one can be followed by another.
      Heading(61, kFmtBold, 360), Heading(62, kFmtBold | kFmtItalic, 280),
      Heading(63, kFmtBold | kFmtItalic, 240),
      {64, kFmtHeadingMask | kFmtFace, kFmtBold, 0, 0, kDefaultFace, 220, false},
      {65, kClearMask, kFmtBackColor, kDefaultTextColor, 0, kDefaultFace, kDefaultTwips, true},
      {74, kFmtStyleMask, kFmtBackColor | kFmtBold, 0xC0C0C0, 0, u"Tahoma", 360, true},
      {77, kFmtStyleMask, kFmtBackColor, kDefaultTextColor, 0, u"Courier", 240, true},
  };
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~';
}

}  // namespace

const std::vector<CharFormatRow>& CharFormatRows() {
  static const std::vector<CharFormatRow> rows = BuildRows();
  return rows;
}

const CharFormatRow* FindCharFormatRow(int id) {
  for (const CharFormatRow& row : CharFormatRows())
    if (row.id == id) return &row;
  return nullptr;
}

char16_t SpecialCharacter(int id) {
  static constexpr char16_t kCharacters[] = {0x20AC, 0x00A9, 0x00A7, 0x00B6,
                                             0x2020, 0x00D7, 0x00F7, 0x00B1};
  if (id < 6010 || id > 6017) return 0;
  return kCharacters[id - 6010];
}

std::string DateStamp(const std::tm& when, int language) {
  char text[64];
  size_t n = language == 418 ? std::strftime(text, sizeof text, "%d.%m.%Y, %H:%M", &when)
                             : std::strftime(text, sizeof text, "%m/%d/%Y, %H:%M", &when);
  return std::string(text, n);
}

std::u16string PercentEncode(std::u16string_view text) {
  static const char16_t kHex[] = u"0123456789ABCDEF";
  std::u16string out;
  for (unsigned char c : Utf16ToUtf8(text)) {
    if (IsUnreserved(c)) {
      out += static_cast<char16_t>(c);
    } else {
      out += u'%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::u16string WebSearchUrl(std::u16string_view text) {
  return std::u16string(u"https://") + kWebSearchHost + u"/search?q=" + PercentEncode(text);
}

std::u16string ScrambleText(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c ^= 1;
  return out;
}

TextSpan BlockAroundCaret(std::u16string_view text, size_t caret) {
  static constexpr std::u16string_view kMarker = u"\r/";
  caret = std::min(caret, text.size());
  TextSpan block;
  // The last marker lying wholly before the caret.
  if (caret >= kMarker.size()) {
    size_t found = text.rfind(kMarker, caret - kMarker.size());
    if (found != std::u16string_view::npos) block.start = std::min(found + 3, text.size());
  }
  size_t next = text.find(kMarker, block.start);
  block.end = next == std::u16string_view::npos ? text.size() : next;
  return block;
}

ScrambleVerdict JudgeScrambleLength(size_t length) {
  if (length < kScrambleMin) return ScrambleVerdict::kTooShort;
  if (length > kScrambleMax) return ScrambleVerdict::kTooLong;
  return ScrambleVerdict::kOk;
}

}  // namespace lw
