// Sound clips in the window: attaching dropped files, the submenu, and
// playing from memory. One test plays through the real waveaudio device
// (Wine's null audio driver), reading the clip through the program's file
// procedure; the others record the MCI commands to check the player's
// state machine.
#include <windows.h>

#include <commctrl.h>

#include <fstream>
#include <vector>

#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "music/clips.h"
#include "music/clips_win.h"
#include "music/player_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

std::string Le(std::uint32_t v, int n) {
  std::string b;
  for (int i = 0; i < n; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
  return b;
}

// `ms` milliseconds of 8 kHz 8-bit mono PCM.
std::string Wav(int ms, unsigned tag = 1) {
  const size_t samples = static_cast<size_t>(8 * ms);
  const std::string fmt = Le(tag, 2) + Le(1, 2) + Le(8000, 4) + Le(8000, 4) + Le(1, 2) + Le(8, 2);
  const std::string body = "WAVEfmt " + Le(16, 4) + fmt + "data" + Le(static_cast<std::uint32_t>(samples), 4) +
                           std::string(samples, '\x80');
  return "RIFF" + Le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

class ClipWindow : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    ASSERT_EQ(StartWithLibrary("clips.db", {{100, 0, 0, "A", std::nullopt}}), 0);
  }
  void TearDown() override {
    StopClip();
    SetMciSenderForTest(nullptr);
    AppTest::TearDown();
  }
  std::wstring WriteFile(const std::string& name, const std::string& bytes) {
    const std::wstring path = Path(name);
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
    return path;
  }
  // Records every MCI command; answers the length and position asked.
  void RecordMci(long length, long position) {
    SetMciSenderForTest([this, length, position](const std::wstring& c, std::wstring* reply) -> MCIERROR {
      sent_.push_back(c);
      if (reply && c == L"status sunet length") *reply = std::to_wstring(length);
      if (reply && c == L"status sunet position") *reply = std::to_wstring(position);
      return 0;
    });
  }
  std::vector<std::wstring> sent_;
};

TEST_F(ClipWindow, AttachingChecksTheFileAndTheName) {
  AnswerNextBox(IDOK);
  EXPECT_TRUE(AttachClipFile(WriteFile("my song's.wav", Wav(300))));
  EXPECT_EQ(Boxes().back().text, L"The wav file has been succesfuly atached !");
  AnswerNextBox(IDOK);
  EXPECT_FALSE(AttachClipFile(Path("my song's.wav")));
  EXPECT_EQ(Boxes().back().text, L"The wav file already exists in the atachments list\r\nrename it and try again !");
  AnswerNextBox(IDOK);
  EXPECT_FALSE(AttachClipFile(WriteFile("mp3.wav", Wav(300, 0x55))));
  EXPECT_NE(Boxes().back().text.find(L"is not PCM audio"), std::wstring::npos) << Boxes().back().text;
  AnswerNextBox(IDOK);
  EXPECT_FALSE(AttachClipFile(WriteFile("cut.wav", Wav(300).substr(0, 200))));
  EXPECT_NE(Boxes().back().text.find(L"is cut short"), std::wstring::npos);
  EXPECT_EQ(ListClips(Store().db()), std::vector<std::u16string>{u"my_song_s.wav"});
  EXPECT_FALSE(Store().busy());
}

TEST_F(ClipWindow, TheSubmenuListsTheClipsBelowTheTreeMenusIds) {
  Db& db = Store().db();
  const std::string wav = Wav(10);
  for (int i = 0; i < 1045; ++i) ASSERT_EQ(AddClip(db, u"c" + ToU16(std::to_wstring(i)), wav), ClipAdd::kAdded);
  HMENU app = CreatePopupMenu();
  AppendMenuW(app, MF_STRING, 1, L"first");
  FillClipMenu(app);
  HMENU clips = GetSubMenu(app, 1);
  ASSERT_NE(clips, nullptr);
  ASSERT_EQ(GetMenuItemCount(clips), 1040);
  EXPECT_EQ(GetMenuItemID(clips, 1039), 7699u);  // the tree menu starts at 7700
  EXPECT_EQ(GetMenuState(clips, 1039, MF_BYPOSITION) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(MenuClipName(6660 + 1038), u"c1038");
  EXPECT_EQ(MenuClipName(7699), u"");
  FillClipMenu(app);  // opened again: the same submenu, refilled
  EXPECT_EQ(GetMenuItemCount(app), 2);
  RemoveMenu(app, 1, MF_BYPOSITION);
  DestroyMenu(app);
}

// Names are found as a "play:" link writes them; only ".wav" and ".WAV"
// clips open the device; the slider follows the position and a click jumps.
TEST_F(ClipWindow, PlayingFindsTheClipAndTheBarFollowsIt) {
  Db& db = Store().db();
  ASSERT_EQ(AddClip(db, u"bell.WAV", Wav(50)), ClipAdd::kAdded);
  ASSERT_EQ(AddClip(db, u"odd.Wav", Wav(50)), ClipAdd::kAdded);
  RecordMci(60000, 30000);
  AnswerNextBox(IDOK);
  PlayClip(u"nothing");
  EXPECT_EQ(Boxes().back().text, L"The file has not been found in the atachments list !");

  PlayClip(u"bell");
  EXPECT_EQ(sent_[1], L"open .MEY+ type waveaudio alias sunet");
  EXPECT_EQ(sent_[2], L"play sunet notify");
  EXPECT_TRUE(IsWindowVisible(g_shell.player));
  PlayerTick();
  HWND slider = GetDlgItem(g_shell.player, 999);
  EXPECT_EQ(SendMessageW(slider, TBM_GETPOS, 0, 0), 50);
  SendMessageW(slider, WM_LBUTTONDOWN, 0, 0);
  PlayerTick();
  EXPECT_EQ(sent_[sent_.size() - 2], L"seek sunet to 20001");

  sent_.clear();
  PlayClip(u"odd.Wav");
  EXPECT_EQ(std::count(sent_.begin(), sent_.end(), L"open .MEY+ type waveaudio alias sunet"), 0);
  EXPECT_TRUE(IsWindowVisible(g_shell.player));
  StopClip();
  EXPECT_FALSE(IsWindowVisible(g_shell.player));
}

// The real device reads the clip through the file procedure; without
// repeat the bar goes when the clip ends, with repeat it plays on.
TEST_F(ClipWindow, AClipPlaysFromMemoryToItsEnd) {
  ASSERT_EQ(AddClip(Store().db(), u"short.wav", Wav(300)), ClipAdd::kAdded);
  g_settings.playerRepeat = 0;
  PlayClip(u"short.wav");
  ASSERT_TRUE(Boxes().empty()) << Utf16ToUtf8(ToU16(Boxes()[0].text));
  EXPECT_TRUE(IsWindowVisible(g_shell.player));
  for (int i = 0; i < 100 && IsWindowVisible(g_shell.player); ++i) Pump(50);
  EXPECT_FALSE(IsWindowVisible(g_shell.player)) << "the end of the clip was not noticed";

  g_settings.playerRepeat = 1;
  PlayClip(u"short.wav");
  Pump(1000);
  EXPECT_TRUE(IsWindowVisible(g_shell.player));
  SaveScreenshot(g_mainWindow, "player-bar");
  StopClip();
}

}  // namespace
}  // namespace lw::wintest
