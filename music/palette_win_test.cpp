// The notes palette against a stand-in music font (made at build time and
// loaded privately): what a click writes, the pages, and the MIDI messages
// of Alt+click and Tab+click, recorded since Wine opens no MIDI output
// headless.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <vector>

#include "app/main_window_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "music/midi.h"
#include "music/palette_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/tree_view_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

constexpr int kFirstNote = 15951;

std::wstring TestFontPath() {
  wchar_t exe[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dir(exe);
  return dir.substr(0, dir.find_last_of(L'\\') + 1) + L"test-fonts\\cantoria-test.ttf";
}

// Holds the keys of `down` as the palette reads them (GetKeyState).
class Keys {
 public:
  explicit Keys(std::initializer_list<int> down) {
    GetKeyboardState(saved_);
    BYTE state[256];
    GetKeyboardState(state);
    for (int key : down) state[key] |= 0x80;
    SetKeyboardState(state);
  }
  ~Keys() { SetKeyboardState(saved_); }

 private:
  BYTE saved_[256];
};

class Palette : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    SetMidiSinkForTest([this](std::uint32_t m) { midi_.push_back(m); });
    ASSERT_EQ(StartWithLibrary("notes.db", {{100, 0, 0, "A", std::nullopt},
                                       {202, 100, 0, "b", std::nullopt},
                                       {304, 202, 0, "song", "{\\rtf1 x}"},
                                       {404, 202, 1, "fixed`", "{\\rtf1 y}"}}),
              0);
  }
  void TearDown() override {
    SetMidiSinkForTest(nullptr);
    if (font_) RemoveFontResourceExW(TestFontPath().c_str(), FR_PRIVATE, nullptr);
    AppTest::TearDown();
  }
  void Select(int id) {
    ASSERT_TRUE(ShowNode(id));
    SetWindowTextW(g_shell.editor1, L"");
  }
  void LoadFont() { font_ = AddFontResourceExW(TestFontPath().c_str(), FR_PRIVATE, nullptr) > 0; }
  void Click(int position) {
    SendMessageW(NotesPaletteWindow(), WM_COMMAND, MAKEWPARAM(kFirstNote + position - 1, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(NotesPaletteWindow(), kFirstNote + position - 1)));
  }
  void Page(int button) { SendMessageW(NotesPaletteWindow(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0); }
  std::vector<std::uint32_t> midi_;
  bool font_ = false;
};

TEST_F(Palette, OpensOnlyWithANodeAndTheMusicFont) {
  Select(304);
  AnswerNextBox(IDOK);
  RunCommand(kCmdNotesPalette);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, L"Please install the Cantoria.otf font, from the site !");
  EXPECT_FALSE(IsWindowVisible(NotesPaletteWindow()));

  LoadFont();
  ASSERT_TRUE(font_) << "the stand-in font was not built";
  RunCommand(kCmdNotesPalette);
  EXPECT_TRUE(IsWindowVisible(NotesPaletteWindow()));
  RECT palette, main;
  GetWindowRect(NotesPaletteWindow(), &palette);
  GetWindowRect(g_mainWindow, &main);
  EXPECT_EQ(palette.left, main.left);
  EXPECT_EQ(palette.top, main.bottom - 99);
  SaveScreenshot(NotesPaletteWindow(), "notes-palette");

  // Pinned, it follows the main window; not pinned, it stays.
  for (int pinned : {1, 0}) {
    g_settings.pinDialogs = pinned;
    GetWindowRect(g_mainWindow, &main);
    SetWindowPos(g_mainWindow, nullptr, main.left + 40, main.top + 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump(20);
    RECT after, moved;
    GetWindowRect(NotesPaletteWindow(), &after);
    GetWindowRect(g_mainWindow, &moved);
    EXPECT_EQ(after.left == moved.left, pinned != 0) << pinned;
  }
}

TEST_F(Palette, AClickWritesTheNoteInTheMusicFontAndCtrlTakesItBack) {
  LoadFont();
  Select(304);
  RunCommand(kCmdNotesPalette);
  Click(19);  // "d", then the spacer
  EXPECT_EQ(WindowText(g_shell.editor1), L"d=");
  SendMessageW(g_shell.editor1, EM_SETSEL, 0, 1);
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  SendMessageW(g_shell.editor1, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  EXPECT_STREQ(cf.szFaceName, L"Cantoria");
  EXPECT_EQ(cf.yHeight, 26 * 20);
  SendMessageW(g_shell.editor1, EM_SETSEL, -1, -1);
  {
    Keys shift({VK_SHIFT});
    Click(20);  // "r" alone
  }
  EXPECT_EQ(WindowText(g_shell.editor1), L"d=r");
  {
    Keys ctrl({VK_CONTROL});
    Click(5);
  }
  EXPECT_EQ(WindowText(g_shell.editor1), L"d=");
  EXPECT_TRUE(midi_.empty());

  Select(404);  // a read-only page takes no notes
  Click(19);
  EXPECT_EQ(WindowText(g_shell.editor1), L"");
}

TEST_F(Palette, PagesChangeTheirGlyphsAndTitles) {
  HWND p = NotesPaletteWindow();
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(p, 16001)));
  Page(16002);
  Page(16002);
  EXPECT_EQ(WindowText(p), L" Insert muzical notes (Alt+M) 101-150");
  EXPECT_EQ(WindowText(GetDlgItem(p, kFirstNote + 1)), std::wstring(1, wchar_t(0xEB)));
  Page(16002);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(p, 16002)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(p, 16001)));
  Page(16001);
  Page(16001);
  Page(16001);
  EXPECT_EQ(WindowText(p), L" Insert muzical notes (Alt+M) 1-50");
  EXPECT_EQ(WindowText(GetDlgItem(p, kFirstNote + 18)), L"d");
}

TEST_F(Palette, AltAndTabClicksSoundNotesAndWriteNothing) {
  LoadFont();
  Select(304);
  RunCommand(kCmdNotesPalette);
  Page(16002);
  {
    Keys alt_shift({VK_MENU, VK_SHIFT});
    Click(2);  // note 43, three seconds
  }
  EXPECT_EQ(midi_, (std::vector<std::uint32_t>{ShortMessage(0x80, 0), ShortMessage(0x90, 43, 127)}));
  NoteOff(static_cast<int>(kNoteTimer));
  EXPECT_EQ(midi_.back(), ShortMessage(0x80, 43));
  Page(16001);
  midi_.clear();
  {
    Keys tab({VK_TAB});
    Click(19);
    Click(19);
  }
  EXPECT_EQ(midi_, (std::vector<std::uint32_t>{ShortMessage(0x81, 0), ShortMessage(0x91, 48, 100),
                                               ShortMessage(0x81, 48)}));
  midi_.clear();
  {
    Keys alt({VK_MENU});
    Click(3);  // no note: nothing at all
  }
  EXPECT_TRUE(midi_.empty());
  EXPECT_EQ(WindowText(g_shell.editor1), L"");
}

}  // namespace
}  // namespace lw::wintest
