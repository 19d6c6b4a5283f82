// The portable half of the page's formatting and insertion commands: the
// values each character-format command writes (one table, read by the window
// routine and by the tests), the date stamp, the web search address and the
// reversible scrambling of a stretch of text with the block it applies to.
//
// No windows.h: the format bits below carry the rich-edit control's values
// (CFM_*, CFE_*), and the window side checks at compile time that they agree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

// --- Character format bits (the control's CHARFORMAT2 values) -----------------

inline constexpr uint32_t kFmtBold = 0x1;        // CFM_BOLD / CFE_BOLD
inline constexpr uint32_t kFmtItalic = 0x2;      // CFM_ITALIC / CFE_ITALIC
inline constexpr uint32_t kFmtUnderline = 0x4;   // CFM_UNDERLINE / CFE_UNDERLINE
inline constexpr uint32_t kFmtStrikeOut = 0x8;   // CFM_STRIKEOUT / CFE_STRIKEOUT
inline constexpr uint32_t kFmtHidden = 0x100;    // CFM_HIDDEN / CFE_HIDDEN
inline constexpr uint32_t kFmtSuperscript = 0x20000;  // CFE_SUPERSCRIPT
inline constexpr uint32_t kFmtSubscript = 0x10000;    // CFE_SUBSCRIPT
inline constexpr uint32_t kFmtSubSuperMask = 0x30000; // CFM_SUBSCRIPT | CFM_SUPERSCRIPT
inline constexpr uint32_t kFmtBackColor = 0x04000000;  // CFM_BACKCOLOR; also CFE_AUTOBACKCOLOR
inline constexpr uint32_t kFmtFace = 0x20000000;       // CFM_FACE
inline constexpr uint32_t kFmtColor = 0x40000000;      // CFM_COLOR
inline constexpr uint32_t kFmtSize = 0x80000000;       // CFM_SIZE

// The effects a heading sets or clears.
inline constexpr uint32_t kFmtHeadingMask =
    kFmtSize | kFmtHidden | kFmtBold | kFmtItalic | kFmtUnderline | kFmtStrikeOut;
// The attributes the title and code styles write.
inline constexpr uint32_t kFmtStyleMask = kFmtSize | kFmtColor | kFmtFace | kFmtBackColor |
                                          kFmtBold | kFmtItalic | kFmtUnderline | kFmtStrikeOut;

// The face the reset and heading-4 commands write.
inline constexpr char16_t kDefaultFace[] = u"Verdana";
// The text colour of the colour reset, clear formatting and code style
// (a COLORREF, 0x00BBGGRR).
inline constexpr uint32_t kDefaultTextColor = 0x3C3C3C;
// The size of the size reset and of clear formatting, in twips.
inline constexpr int kDefaultTwips = 200;

// One character-format command: the attributes it writes (`mask`), the
// effect bits among them it turns on (`effects`), and the values of the
// attributes that carry one. `collapse`: the selection is removed afterwards.
struct CharFormatRow {
  int id;
  uint32_t mask;
  uint32_t effects;
  uint32_t textColor;    // kFmtColor
  uint32_t backColor;    // kFmtBackColor, unless the effects ask for the automatic one
  const char16_t* face;  // kFmtFace
  int twips;             // kFmtSize
  bool collapse;
};

// The page menu's colours, backgrounds, faces and sizes, then the headings
// (1 to 4), the character half of clear formatting (Ctrl+0), the title style
// (Ctrl+G) and the code style (Ctrl+M).
const std::vector<CharFormatRow>& CharFormatRows();
// The row of command `id`, or nullptr.
const CharFormatRow* FindCharFormatRow(int id);

// The character inserted by the page menu's item `id` (6010 to 6017), or 0.
char16_t SpecialCharacter(int id);

// --- Date stamp ---------------------------------------------------------------

// "%d.%m.%Y, %H:%M" for a Romanian interface (418), "%m/%d/%Y, %H:%M" for
// any other language.
std::string DateStamp(const std::tm& when, int language);

// --- Web search ---------------------------------------------------------------

// The search engine; the query goes after "/search?q=".
inline constexpr char16_t kWebSearchHost[] = u"www.google.com";

// `text` as UTF-8, each byte outside the unreserved set (letters, digits,
// "-", ".", "_", "~") written as %XX. A lone surrogate goes as U+FFFD.
std::u16string PercentEncode(std::u16string_view text);
// The address that searches the web for `text`.
std::u16string WebSearchUrl(std::u16string_view text);

// --- Scrambling ---------------------------------------------------------------

// Every UTF-16 unit exclusive-or 1: its own inverse, and it never changes the
// length, so the text can be replaced piece by piece in place.
std::u16string ScrambleText(std::u16string_view text);

// Half-open range of character positions.
struct TextSpan {
  size_t start = 0;
  size_t end = 0;
  size_t size() const { return end - start; }
};

// The block around `caret` in `text` (paragraphs end in "\r", as the control
// keeps them). A line that begins with "/" separates blocks: the block starts
// 3 characters after the last "\r/" that ends at or before the caret (the
// "/" and the one character of that marker line's rest, normally its "\r"),
// or at 0; it ends where the next "\r/" after its start begins, or at the end
// of the text.
TextSpan BlockAroundCaret(std::u16string_view text, size_t caret);

enum class ScrambleVerdict { kOk, kTooShort, kTooLong };
inline constexpr size_t kScrambleMin = 3;
inline constexpr size_t kScrambleMax = 9999;
// Whether a range of `length` characters may be scrambled.
ScrambleVerdict JudgeScrambleLength(size_t length);

}  // namespace lw
