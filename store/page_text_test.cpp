#include "store/page_text.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

TEST(RtfToText, KeepsTheTextAndDropsWhatIsNotText) {
  const std::string rtf =
      "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fnil Calibri;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;}{\\*\\generator Riched20;}\r\n"
      "\\pard\\f0\\fs22 Mu\\'baca\\tab r\\u259?u\\uc2\\u8364 xx!\\par\r\n"
      "{\\pict\\pngblip 89504e47}\\{x\\}\\\\ end\\line z\\par}";
  // \'ba is U+015F in code page 1250; "?" and "xx" are fallbacks of \u.
  EXPECT_EQ(RtfToText(rtf), u"Mu\u015Fca\tr\u0103u\u20AC!\r\n{x}\\ end\r\nz\r\n");
}

TEST(PageFileBytes, RtfOnlyForTheRtfExtension) {
  EXPECT_EQ(PageFileBytes(u"a.rtf", "{\\rtf1 x}"), "{\\rtf1 x}");
  EXPECT_EQ(PageFileBytes(u"a.RTF", "{\\rtf1 x}"), "{\\rtf1 x}");
  EXPECT_EQ(PageFileBytes(u"a.Rtf", "{\\rtf1 x}"), std::string("\xFF\xFEx\0", 4));
  EXPECT_EQ(PageFileBytes(u"a.txt", ""), "\xFF\xFE");
}

}  // namespace
}  // namespace lw
