#include "editor/link.h"

#include <gtest/gtest.h>

#include "store/library_fixture.h"
#include "store/page_text.h"

namespace lw {
namespace {

// Each clicked text, the kind it is, and the text its action uses.
TEST(LinkClassify, PrefixesDecideCaseSensitivelyAndFootnotesAndMailAreRewritten) {
  const struct {
    std::u16string clicked;
    LinkKind kind;
    std::u16string used;
  } cases[] = {
      {u"copy:some text", LinkKind::kCopy, u"some text"},  {u"play:clip one", LinkKind::kPlay, u"clip one"},
      {u"stop:anything", LinkKind::kStop, u""},           {u"file:C:\\a_b", LinkKind::kFile, u"C:\\a_b"},
      {u"fold:D:\\music", LinkKind::kFolder, u"D:\\music"}, {u"goto:intro", LinkKind::kGoto, u"intro"},
      {u"lor:hand over", LinkKind::kSibling, u"hand over"}, {u"wiki:Cluj", LinkKind::kEncyclopedia, u"Cluj"},
      {u"nod:O'Brien \"x\"", LinkKind::kNode, u"O'Brien \"x\""}, {u"dex:casă", LinkKind::kDictionary, u"casă"},
      {u"x1", LinkKind::kFootnote, u"[1]"},                {u"xnote two", LinkKind::kFootnote, u"[note two]"},
      // A control that reports a whole field gives its instruction first.
      {u"HYPERLINK \"x12\"12", LinkKind::kFootnote, u"[12]"},
      {u"Copy:abc", LinkKind::kOther, u"Copy:abc"},        {u"X1", LinkKind::kOther, u"X1"},
      {u"copy abc", LinkKind::kOther, u"copy abc"},        {u"skype:someone?call", LinkKind::kOther, u"skype:someone?call"},
      // A mail address found in the text has no scheme; the shell needs one.
      {u"ana.pop@example.ro", LinkKind::kOther, u"mailto:ana.pop@example.ro"},
      {u"mailto:ana@example.ro", LinkKind::kOther, u"mailto:ana@example.ro"},
      {u"ftp://user@host/f", LinkKind::kOther, u"ftp://user@host/f"},
  };
  for (const auto& c : cases) {
    std::u16string text = c.clicked;
    EXPECT_EQ(ClassifyLink(&text), c.kind) << Utf16ToUtf8(c.clicked);
    EXPECT_EQ(text, c.used) << Utf16ToUtf8(c.clicked);
  }
}

// Braces, backslashes and any letters in the selection read back as they
// were: none of them can end a group of the page early. Line breaks are left
// out and the target's quote is escaped.
TEST(LinkFootnote, AnyTextReadsBackWhole) {
  const std::u16string texts[] = {u"1", u"}}}{\\par \\b", u"a\\b\\\\c", u"nota ăîșțâ ĂÎȘȚÂ",
                                  u"Жук и ёж", u"say \"hi\"", u"tab\there", u"\U0001F600 ok"};
  for (const std::u16string& text : texts) {
    const std::string rtf = FootnoteRtf(text);
    for (unsigned char c : rtf) EXPECT_LT(c, 0x80) << rtf;
    EXPECT_EQ(RtfToText(rtf), text) << rtf;
  }
  EXPECT_EQ(RtfToText(FootnoteRtf(u"two\r\nlines\r")), u"twolines");
  const std::string quoted = FootnoteRtf(u"a\"{b");
  EXPECT_NE(quoted.find("HYPERLINK \"xa\\\\\"\\{b\"}"), std::string::npos) << quoted;
}

TEST(LinkLookUp, WordsAreUtf8PercentEncodedOnTheRightEdition) {
  EXPECT_EQ(DictionaryUrl(u"a&b #c"), u"https://dexonline.ro/definitie/a%26b%20%23c");
  EXPECT_EQ(EncyclopediaUrl(u"ăîș", 418), u"https://ro.wikipedia.org/wiki/%C4%83%C3%AE%C8%99");
  EXPECT_EQ(EncyclopediaUrl(u"x/../y?z", 1033), u"https://en.wikipedia.org/wiki/x%2F..%2Fy%3Fz");
}

// Titles are matched whole whatever they hold, and bound: a title that
// reads as SQL finds nothing and harms nothing.
class LinkNode : public testing::LibraryTest {};

TEST_F(LinkNode, TitlesAreMatchedWholeWhateverTheyHold) {
  Open({{100, 0, 0, "Books", {}},       {202, 100, 0, "O'Brien", {}},    {302, 100, 1, "say \"hi\"", {}},
        {402, 100, 2, "two words", {}}, {502, 100, 3, "snake_case", {}}, {602, 100, 4, "snake case", {}},
        {704, 9999, 0, "shadowed", {}},  // not in the tree: its parent is missing
        {802, 100, 5, "shadowed", {}}});
  const std::pair<std::u16string, int> cases[] = {
      {u"O'Brien", 202}, {u"say \"hi\"", 302}, {u"two_words", 402},
      {u"snake_case", 502},  // the title as written comes first
      {u"shadowed", 802},    // a row the tree does not show is passed over
      {u"O'", 0}, {u"x' OR '1'='1", 0}, {u"'); DROP TABLE tab; --", 0}, {u"", 0},
      {u"O'Brien", 202}};  // the table is still there
  for (const auto& [title, id] : cases) {
    EXPECT_EQ(FindLinkedNode(store_.db(), model_, title), id) << Utf16ToUtf8(title);
  }
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST(LinkPaths, FilesAndFoldersTryTheNameThenSpacesThenTheProgramsFolder) {
  using Paths = std::vector<std::u16string>;
  EXPECT_EQ(FileLinkCandidates(u"my_notes.txt", u"C:\\Lorewell"),
            (Paths{u"my_notes.txt", u"my notes.txt", u"C:\\Lorewell\\lorew\\my_notes.txt"}));
  EXPECT_EQ(FileLinkCandidates(u"sub\\plain.txt", u"C:\\Lorewell\\"),
            (Paths{u"sub\\plain.txt", u"C:\\Lorewell\\lorew\\sub\\plain.txt"}));
  EXPECT_EQ(FileLinkCandidates(u"C:\\a_b.txt", u"C:\\Lorewell"), (Paths{u"C:\\a_b.txt", u"C:\\a b.txt"}));
  EXPECT_EQ(FileLinkCandidates(u"\\\\server\\share\\x", u"C:\\Lorewell"), (Paths{u"\\\\server\\share\\x"}));
  EXPECT_EQ(FileLinkCandidates(u"", u"C:\\Lorewell"), Paths{});
  EXPECT_EQ(FolderLinkCandidates(u"D:\\my_music"), (Paths{u"D:\\my_music", u"D:\\my music"}));
}

TEST(LinkPaths, ProgramsAndScriptsAreKnownByTheirExtensionInAnyCase) {
  for (const char16_t* path : {u"setup.exe", u"C:\\x\\RUN.BAT", u"a.b.cmd", u"v.Vbs", u"l.lnk", u"run.exe. "})
    EXPECT_TRUE(IsRunnableFile(path)) << Utf16ToUtf8(path);
  for (const char16_t* path : {u"notes.txt", u"C:\\dir.exe\\readme", u"exe", u"C:\\bin\\"})
    EXPECT_FALSE(IsRunnableFile(path)) << Utf16ToUtf8(path);
}

}  // namespace
}  // namespace lw
