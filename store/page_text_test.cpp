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

// Each run in the code page of its font's charset, else the document's;
// double-byte code pages; hidden text, index entries and nested cells.
TEST(RtfToText, ReadsEveryCodePageAndLeavesOutWhatIsNotShown) {
  EXPECT_EQ(RtfToText("{\\rtf1\\ansi\\ansicpg1251 \\'cc\\'e8\\'f0}"), u"\u041C\u0438\u0440");
  EXPECT_EQ(RtfToText("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset238 Arial CE;}}"
                      "caf\\'e9 {\\f1 \\'e8\\'ed\\'9a}\\f1\\'f8\\f0\\'e9}"),
            u"caf\u00E9 \u010D\u00ED\u0161\u0159\u00E9");
  EXPECT_EQ(RtfToText("{\\rtf1\\ansi\\ansicpg932 \\'82\\'a0\\'93\\'fa x}"), u"\u3042\u65E5 x");
  EXPECT_EQ(RtfToText("{\\rtf1 a{\\v hidden}b\\v c\\v0 d{\\xe entry}e}"), u"abde");
  EXPECT_EQ(RtfToText("{\\rtf1 x\\nestcell y\\nestrow z}"), u"x\ty\r\nz");
}

TEST(PageFileBytes, RtfOnlyForTheRtfExtension) {
  EXPECT_EQ(PageFileBytes(u"a.rtf", "{\\rtf1 x}"), "{\\rtf1 x}");
  EXPECT_EQ(PageFileBytes(u"a.RTF", "{\\rtf1 x}"), "{\\rtf1 x}");
  EXPECT_EQ(PageFileBytes(u"a.Rtf", "{\\rtf1 x}"), std::string("\xFF\xFEx\0", 4));
  EXPECT_EQ(PageFileBytes(u"a.txt", ""), "\xFF\xFE");
}

}  // namespace
}  // namespace lw
