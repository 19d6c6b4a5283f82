// The application skeleton and its settings file, driven in-process and as a
// child process.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <tuple>

#include "app/msgbox_win.h"
#include "app/settings_win.h"
#include "base/wide_win.h"
#include "store/demo_library.h"
#include "store/library_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

AppSettings ParseFile(const std::wstring& path) {
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  AppSettings s{};
  EXPECT_EQ(bytes.size(), kSettingsFileSize);
  EXPECT_EQ(ParseSettings(bytes.data(), bytes.size(), &s), SettingsParse::kOk);
  return s;
}

using ShellStart = AppTest;

TEST_F(ShellStart, FirstStartShowsTheDefaultWindowAndWritesTheSettingsAtClose) {
  ASSERT_EQ(Start(), 0);
  ASSERT_TRUE(g_mainWindow);
  wchar_t cls[32] = L"", text[32] = L"";
  GetClassNameW(g_mainWindow, cls, 32);
  EXPECT_STREQ(cls, L"appW");
  GetWindowTextW(g_mainWindow, text, 32);
  EXPECT_STREQ(text, L"Lorewell demo.db") << "the taskbar names the library open";
  LONG style = GetWindowLongW(g_mainWindow, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_CAPTION) << "the main window draws its own caption";
  EXPECT_TRUE(GetWindowLongW(g_mainWindow, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);
  RECT rc;
  GetWindowRect(g_mainWindow, &rc);
  EXPECT_EQ(std::tuple(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top),
            std::tuple(120, 120, 800, 600));
  EXPECT_FALSE(std::filesystem::exists(dir().File("lorewell.set"))) << "nothing is written before close";

  EXPECT_EQ(Close(), 0);
  // The record's defaults are
  // Settings.NewRecordHasTheDocumentedBytesAtTheDocumentedOffsets; here what
  // the window puts in.
  AppSettings s = ParseFile(Path("lorewell.set"));
  EXPECT_EQ(s.windowWidth, 800);
  EXPECT_GT(s.clientWidth, 0);
  // The demo library made at the first start is the one stored for next time.
  EXPECT_EQ(GetFixedString(s.lastLibraryPath, kPathCapacity),
            dir().File16("Lorewell demo.db"));
  EXPECT_FALSE(std::filesystem::exists(dir().File("lorewell.set.new")));
}

TEST_F(ShellStart, DemoLibraryIsShownAsATreeWithFormattedPages) {
  ASSERT_EQ(Start(), 0);
  HWND tree = GetDlgItem(g_mainWindow, 333);
  ASSERT_TRUE(tree && GetDlgItem(g_mainWindow, 334));
  // The two roots, the library root selected; folders collapsed.
  std::vector<std::wstring> labels = TreeLabels(tree);
  ASSERT_GE(labels.size(), 4u);
  EXPECT_EQ(labels[0], L"Favorites");
  EXPECT_NE(std::find(labels.begin(), labels.end(), L"Lorewell demo.db"), labels.end());
  EXPECT_EQ(Model().selected(), Model().library_root());
  ASSERT_TRUE(SelectFirstFile());
  // The pane is a new control for each page.
  EXPECT_GT(WindowText(GetDlgItem(g_mainWindow, 334)).size(), 20u) << "the first file's page is shown";
  SaveScreenshot(g_mainWindow, "main-window-demo");
  EXPECT_EQ(Close(), 0);
}

// The demo library in each interface language: the pictures of the
// README (docs/images), taken here so they always show the program as built.
TEST_F(ShellStart, TheDemoInBothLanguages) {
  const std::wstring demo = Path("Lorewell demo.db");
  ASSERT_TRUE(MakeDemoLibrary(ToU16(demo), nullptr));
  for (int language : {409, 418}) {
    AppSettings s = DefaultSettings();
    s.language = language;
    WriteFileBytes(Path("lorewell.set"), SerializeSettings(s));
    StartOptions o;
    o.libraryPath = demo;
    ASSERT_EQ(Start(o), 0);
    WaitForWorker();
    ASSERT_TRUE(SelectFirstFile());
    EXPECT_EQ(TreeLabels(GetDlgItem(g_mainWindow, 333))[0], language == 409 ? L"Favorites" : L"Favorite");
    SaveScreenshot(g_mainWindow, language == 409 ? "readme-main-window-en" : "readme-main-window-ro");
    EXPECT_EQ(Close(), 0);
  }
}

TEST_F(ShellStart, PlacementAndReservedBytesSurviveARestart) {
  AppSettings seed = DefaultSettings();
  seed.reserved8[0] = 0xAB;
  seed.reserved648[517] = 0xCD;
  seed.reserved1748[17] = 0xEF;
  seed.language = 418;
  seed.storeLastLibrary = 0;
  WriteFileBytes(Path("lorewell.set"), SerializeSettings(seed));

  ASSERT_EQ(Start(), 0);
  SetWindowPos(g_mainWindow, nullptr, 210, 160, 900, 700, SWP_NOZORDER);
  Pump(20);
  EXPECT_EQ(Close(), 0);

  AppSettings s = ParseFile(Path("lorewell.set"));
  EXPECT_EQ(std::tuple(s.windowX, s.windowY, s.windowWidth, s.windowHeight),
            std::tuple(210, 160, 900, 700));
  EXPECT_EQ(std::tuple(s.reserved8[0], s.reserved648[517], s.reserved1748[17]),
            std::tuple(0xAB, 0xCD, 0xEF));
  EXPECT_EQ(s.language, 418);

  ASSERT_EQ(Start(), 0);
  RECT rc;
  GetWindowRect(g_mainWindow, &rc);
  EXPECT_EQ(rc.left, 210);
  EXPECT_EQ(rc.right - rc.left, 900);
  EXPECT_FALSE(std::filesystem::exists(dir().File("Lorewell demo.db")))
      << "the demo is made on a first start only";
}

TEST_F(ShellStart, IncompatibleSettingsFileIsReportedAndLeftUntouched) {
  const std::vector<std::vector<uint8_t>> files = {
      {},                                    // empty
      {39, 0, 0, 0, 1, 2, 3},                // another version
      std::vector<uint8_t>(1772, 0xFF),      // garbage of the right size
  };
  for (const auto& bytes : files) {
    WriteFileBytes(Path("lorewell.set"), bytes);
    AnswerNextBox(IDOK);
    EXPECT_EQ(Start(), 1);
    EXPECT_FALSE(g_mainWindow) << "no window before the settings are accepted";
    ASSERT_FALSE(Boxes().empty());
    const BoxRecord& box = Boxes().back();
    std::u16string expected = IncompatibleSettingsMessage(GetUserDefaultLangID());
    EXPECT_EQ(box.text, std::wstring(expected.begin(), expected.end()));
    EXPECT_EQ(box.caption, L" Lorewell 4.0.3");
    EXPECT_EQ(box.type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_FALSE(box.owned);
    EXPECT_EQ(ReadFileBytes(Path("lorewell.set")), bytes);
  }
}

TEST_F(ShellStart, ShortSettingsFileStartsWithZeroesAndIsWrittenBackWhole) {
  WriteFileBytes(Path("lorewell.set"), {40, 0, 0, 0, 200, 0, 0, 0});  // version, tree width 200
  ASSERT_EQ(Start(), 0);
  EXPECT_EQ(g_settings.treeWidth, 200);
  EXPECT_EQ(g_settings.language, 409) << "a missing language word reads as English";
  EXPECT_EQ(Close(), 0);
  EXPECT_EQ(ReadFileBytes(Path("lorewell.set")).size(), 1772u);
}

// A save that fails at close (another program holds the file with no
// sharing) is said, with the system's reason; the previous file stays as it
// was, with no stray temporary beside it.
TEST_F(ShellStart, AFailedSaveAtCloseIsSaidAndThePreviousFileKept) {
  ASSERT_EQ(Start(), 0);
  ASSERT_TRUE(SaveSettings());
  const std::vector<uint8_t> before = ReadFileBytes(Path("lorewell.set"));
  HANDLE held = CreateFileW(Path("lorewell.set").c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  g_settings.treeWidth = 251;
  AnswerNextBox(IDOK);
  EXPECT_EQ(Close(), 0);
  CloseHandle(held);
  ASSERT_FALSE(Boxes().empty());
  const BoxRecord& box = Boxes().back();
  const std::wstring start = L"The settings could not be saved in '" + Path("lorewell.set") + L"': ";
  EXPECT_EQ(box.text.rfind(start, 0), 0u) << box.text;
  EXPECT_GT(box.text.size(), start.size());  // the system's reason follows
  EXPECT_EQ(box.type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  EXPECT_TRUE(box.owned);
  EXPECT_EQ(ReadFileBytes(Path("lorewell.set")), before);
  EXPECT_FALSE(std::filesystem::exists(dir().File("lorewell.set.new")));
}

TEST(SettingsFile, ManifestMakesWindowsReportVersion8OrLater) {
  DWORD v = GetVersion();
  EXPECT_TRUE(IsSupportedWindowsVersion(LOBYTE(LOWORD(v)), HIBYTE(LOWORD(v))))
      << "GetVersion " << int(LOBYTE(LOWORD(v))) << "." << int(HIBYTE(LOWORD(v)));
}

}  // namespace
}  // namespace lw::wintest
