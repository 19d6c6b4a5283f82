#include "base/utf.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

TEST(Utf, RoundTripsRomanianAndAstralText) {
  const std::string text = "Fișierul țară ȘȚ — 𝄞 clef";
  std::u16string w = Utf8ToUtf16(text);
  EXPECT_EQ(w[2], u'ș');
  EXPECT_EQ(Utf16ToUtf8(w), text);
  // The G clef is outside the BMP and needs a surrogate pair.
  EXPECT_NE(w.find(u"\xD834\xDD1E"), std::u16string::npos);
}

TEST(Utf, BrokenInputIsInvalidAndBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\xFFFD");          // truncated sequence
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\xFFFD");         // overlong '/'
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80x"), u"\xFFFDx");   // encoded surrogate
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
  EXPECT_TRUE(IsValidUtf8("Fișier 𝄞"));
  EXPECT_TRUE(IsValidUtf8(""));
  for (const char* broken : {"a\xFF", "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"}) {
    EXPECT_FALSE(IsValidUtf8(broken)) << broken;
  }
}

// What a terminal or a message box gets: nothing that moves the cursor,
// rings, or turns the text around; printable text, Romanian letters and
// astral characters stay as they are.
TEST(Utf, DisplayTextEscapesWhatAScreenWouldObey) {
  EXPECT_EQ(DisplayText(u"Țară 𝄞 \\ ok"), "Țară 𝄞 \\ ok");
  EXPECT_EQ(DisplayText(u"a\x1B[2Jb\r\n\t\x7F\x85"), "a\\x1B[2Jb\\x0D\\x0A\\x09\\x7F\\x85");
  EXPECT_EQ(DisplayText(u"evil\x202Etxt.exe"), "evil\\u202Etxt.exe");
  EXPECT_EQ(DisplayText(std::u16string(u"x") + char16_t(0xD800) + u"y"), "x\\uD800y");
  EXPECT_EQ(DisplayText(std::u16string(u"nul\0!", 5)), "nul\\x00!");
  EXPECT_EQ(DisplayBytes("caiet\xFF\xC3.db"), "caiet\\xFF\\xC3.db");
  EXPECT_EQ(DisplayBytes("țară\x07"), "țară\\x07");
}

}  // namespace
}  // namespace lw
