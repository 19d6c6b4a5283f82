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

TEST(Utf, BrokenInputBecomesReplacementCharacters) {
  EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\xFFFD");          // truncated sequence
  EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\xFFFD");         // overlong '/'
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80x"), u"\xFFFDx");   // encoded surrogate
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace lw
