#include "app/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <tuple>

namespace lw {
namespace {

int32_t WordAt(const std::vector<uint8_t>& b, size_t off) {
  return static_cast<int32_t>(b[off] | b[off + 1] << 8 | b[off + 2] << 16 |
                              static_cast<uint32_t>(b[off + 3]) << 24);
}

TEST(Settings, NewRecordHasTheDocumentedBytesAtTheDocumentedOffsets) {
  std::vector<uint8_t> b = SerializeSettings(DefaultSettings());
  ASSERT_EQ(b.size(), 1772u);
  EXPECT_EQ(WordAt(b, 0), 40);
  EXPECT_EQ(WordAt(b, 4), 120);   // tree width
  EXPECT_EQ(WordAt(b, 8), 120);   // x
  EXPECT_EQ(WordAt(b, 16), 120);  // y
  EXPECT_EQ(WordAt(b, 24), 800);  // width
  EXPECT_EQ(WordAt(b, 32), 600);  // height
  EXPECT_EQ(WordAt(b, 28), 0);    // client width, interleaved
  for (int i = 0; i < 12; ++i) EXPECT_EQ(WordAt(b, 44 + 4 * i), i < 6 ? 1 : 0) << "button " << i;
  EXPECT_EQ(WordAt(b, 92), 409);
  EXPECT_EQ(WordAt(b, 108), 1);  // store last db
  EXPECT_EQ(WordAt(b, 112), 0);  // store last password
  EXPECT_EQ(WordAt(b, 120), 1);  // word wrap
  EXPECT_EQ(WordAt(b, 124), 1);  // player repeat
  EXPECT_EQ(WordAt(b, 128), 0);  // instrument
  // Everything from the path on is zero in a new file.
  for (size_t i = 132; i < b.size(); ++i) ASSERT_EQ(b[i], 0) << "offset " << i;
}

TEST(Settings, StringsSitAtTheirFileOffsetsAsUtf16) {
  AppSettings s = DefaultSettings();
  ASSERT_TRUE(SetFixedString(s.lastLibraryPath, kPathCapacity, u"C:\\Note\u021b\\a.db"));
  ASSERT_TRUE(SetFixedString(s.lastPassword, kPasswordCapacity, u"par\u0103"));
  std::vector<uint8_t> b = SerializeSettings(s);
  EXPECT_EQ(b[132], 'C');
  EXPECT_EQ(b[133], 0);
  EXPECT_EQ(b[132 + 2 * 7], 0x1B);  // U+021B little-endian
  EXPECT_EQ(b[132 + 2 * 7 + 1], 0x02);
  EXPECT_EQ(b[1692], 'p');
  EXPECT_EQ(b[1692 + 6], 0x03);  // U+0103
  EXPECT_EQ(b[1692 + 7], 0x01);
  EXPECT_EQ(b[1692 + 8], 0);  // terminator
}

TEST(Settings, ReservedBytesAndOddValuesSurviveARoundTrip) {
  std::vector<uint8_t> file(kSettingsFileSize);
  for (size_t i = 0; i < file.size(); ++i) file[i] = static_cast<uint8_t>(i * 7 + 3);
  file[0] = 40, file[1] = 0, file[2] = 0, file[3] = 0;
  // The two choices the loader checks hold values it keeps: 418 and 7.
  for (size_t off : {92, 96, 128}) std::fill(file.begin() + off, file.begin() + off + 4, 0);
  file[92] = 418 & 0xFF, file[93] = 418 >> 8, file[128] = 7;
  AppSettings s;
  ASSERT_EQ(ParseSettings(file.data(), file.size(), &s), SettingsParse::kOk);
  EXPECT_EQ(SerializeSettings(s), file);
}

// The language and the instrument index the options panel's lists show:
// anything else in the file reads as English and the first instrument,
// every other word as it was.
TEST(Settings, LanguageAndInstrumentOutsideTheirListsReadAsTheFirstChoice) {
  struct Case {
    int32_t language, instrument;
    int32_t want_language, want_instrument;
  };
  const Case cases[] = {
      {409, 0, 409, 0},   {418, 7, 418, 7},  {0, -1, 409, 0},        {1048, 8, 409, 0},
      {408, 3, 409, 3},   {419, 255, 409, 0}, {-418, INT32_MIN, 409, 0}, {418, INT32_MAX, 418, 0},
  };
  for (const Case& c : cases) {
    AppSettings in = DefaultSettings();
    in.language = c.language;
    in.instrumentIndex = c.instrument;
    in.lastNodeId = -5;
    std::vector<uint8_t> file = SerializeSettings(in);
    AppSettings out;
    ASSERT_EQ(ParseSettings(file.data(), file.size(), &out), SettingsParse::kOk);
    EXPECT_EQ(out.language, c.want_language) << c.language;
    EXPECT_EQ(out.instrumentIndex, c.want_instrument) << c.instrument;
    EXPECT_EQ(out.lastNodeId, -5);
  }
}

TEST(Settings, ShortFileLeavesTheRestZeroAndLongFileIsCut) {
  std::vector<uint8_t> file = SerializeSettings(DefaultSettings());
  AppSettings s;
  ASSERT_EQ(ParseSettings(file.data(), 12, &s), SettingsParse::kOk);  // version, tree, x
  EXPECT_EQ(s.treeWidth, 120);
  EXPECT_EQ(s.windowX, 120);
  EXPECT_EQ(s.windowY, 0);
  EXPECT_EQ(s.language, 409) << "a missing language word reads as English";
  EXPECT_EQ(s.storeLastLibrary, 0);

  // Just the version word: an all-zero record, still accepted.
  ASSERT_EQ(ParseSettings(file.data(), 4, &s), SettingsParse::kOk);
  EXPECT_EQ(s.windowWidth, 0);

  file.resize(5000, 0xEE);
  ASSERT_EQ(ParseSettings(file.data(), file.size(), &s), SettingsParse::kOk);
  EXPECT_EQ(SerializeSettings(s).size(), 1772u);
  EXPECT_EQ(s.padding1766[1], 0);  // the extra bytes did not spill into the record
}

TEST(Settings, WrongVersionWordIsIncompatible) {
  AppSettings s = DefaultSettings();
  std::vector<uint8_t> file = SerializeSettings(s);
  file[0] = 39;
  EXPECT_EQ(ParseSettings(file.data(), file.size(), &s), SettingsParse::kIncompatible);
  file[0] = 40, file[3] = 1;  // 40 + 2^24
  EXPECT_EQ(ParseSettings(file.data(), file.size(), &s), SettingsParse::kIncompatible);
  EXPECT_EQ(ParseSettings(file.data(), 0, &s), SettingsParse::kIncompatible);  // empty file
  EXPECT_EQ(ParseSettings(file.data(), 3, &s), SettingsParse::kIncompatible);
}

// What closing changes in the record: the placement and tree of a maximised
// window in reading mode, the library path while one is open, the password
// only when it is to be stored.
TEST(Settings, SavingReplacesWhatTheCloseStateAsksFor) {
  AppSettings s = DefaultSettings();
  s.windowX = -8, s.windowY = -8, s.windowWidth = 1936, s.windowHeight = 1056;
  s.treeWidth = 0;  // reading mode hides the tree
  SetFixedString(s.lastLibraryPath, kPathCapacity, u"C:\\old.db");
  SetFixedString(s.lastPassword, kPasswordCapacity, u"secret");
  SettingsCloseState close;
  close.maximized = close.readingMode = true;
  close.passwordInUse = u"other";
  PrepareSettingsForSave(&s, close);
  EXPECT_EQ(std::tuple(s.windowX, s.windowY, s.windowWidth, s.windowHeight, s.treeWidth),
            std::tuple(120, 120, 800, 600, 150));
  EXPECT_EQ(GetFixedString(s.lastLibraryPath, kPathCapacity), u"C:\\old.db") << "none opened this run";
  EXPECT_EQ(GetFixedString(s.lastPassword, kPasswordCapacity), u"");

  SettingsCloseState open;
  open.libraryOpen = true;
  open.libraryPath = u"D:\\notes.db";
  open.passwordInUse = u"other";
  s.storeLastPassword = 1;
  PrepareSettingsForSave(&s, open);
  EXPECT_EQ(GetFixedString(s.lastLibraryPath, kPathCapacity), u"D:\\notes.db");
  EXPECT_EQ(GetFixedString(s.lastPassword, kPasswordCapacity), u"other");

  s.storeLastLibrary = 0;
  PrepareSettingsForSave(&s, open);
  EXPECT_EQ(GetFixedString(s.lastLibraryPath, kPathCapacity), u"");
}

TEST(Settings, OverlongTextsAreNeverStoredTruncated) {
  AppSettings s = DefaultSettings();
  std::u16string longest(259, u'x');
  EXPECT_TRUE(SetFixedString(s.lastLibraryPath, kPathCapacity, longest));
  EXPECT_EQ(GetFixedString(s.lastLibraryPath, kPathCapacity).size(), 259u);
  EXPECT_FALSE(SetFixedString(s.lastLibraryPath, kPathCapacity, longest + u"y"));
  EXPECT_EQ(GetFixedString(s.lastLibraryPath, kPathCapacity), u"");
  EXPECT_FALSE(SetFixedString(s.lastPassword, kPasswordCapacity, std::u16string(20, u'p')));

  // A record read from a foreign file may lack the terminator: reading stops
  // at the field's end instead of running into the next field.
  std::memset(s.lastPassword, 'a', sizeof s.lastPassword);
  EXPECT_EQ(GetFixedString(s.lastPassword, kPasswordCapacity).size(), 20u);
}

TEST(Settings, IncompatibilityMessageFollowsTheUserLanguageAndWindows8IsRequired) {
  EXPECT_EQ(IncompatibleSettingsMessage(1048).rfind(u"Fișierul 'Lorewell.set' nu este", 0), 0u);
  EXPECT_EQ(IncompatibleSettingsMessage(1033).rfind(u"The file 'Lorewell.set' is not", 0), 0u);
  EXPECT_EQ(IncompatibleSettingsMessage(2072).rfind(u"The file", 0), 0u);  // Moldovan: English
  EXPECT_FALSE(IsSupportedWindowsVersion(6, 1));  // Windows 7
  EXPECT_TRUE(IsSupportedWindowsVersion(6, 2));   // Windows 8
  EXPECT_TRUE(IsSupportedWindowsVersion(10, 0));
}

// The store remembers what the settings say, and the settings get back what
// the store remembered while the program ran: the node selected last, and
// the path it cleared when the library was closed.
TEST(Settings, TheStoresMemoryComesFromAndGoesBackToTheRecord) {
  AppSettings s = DefaultSettings();
  s.lastNodeId = 314;
  ASSERT_TRUE(SetFixedString(s.lastLibraryPath, kPathCapacity, u"C:\\Note\\țară.db"));
  LibraryMemory memory = LibraryMemoryOf(s);
  EXPECT_TRUE(memory.remember_library);
  EXPECT_EQ(memory.last_node_id, 314);
  EXPECT_EQ(memory.last_library_path, u"C:\\Note\\țară.db");

  memory.last_node_id = 1846802;
  memory.last_library_path.clear();
  KeepLibraryMemory(memory, &s);
  EXPECT_EQ(s.lastNodeId, 1846802);
  EXPECT_EQ(GetFixedString(s.lastLibraryPath, kPathCapacity), u"");
  s.storeLastLibrary = 0;
  EXPECT_FALSE(LibraryMemoryOf(s).remember_library);
}

}  // namespace
}  // namespace lw
