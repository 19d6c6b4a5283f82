// Sound clips in the library: which files are taken, how names are made
// and found, that a failed attach leaves nothing behind, and the stream and
// slider arithmetic of the player.
#include "music/clips.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tools/testing/error_log.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

// A RIFF WAVE file: a format chunk with `tag`, then `samples` bytes of data
// (the data chunk may claim more than it holds).
std::string Wav(unsigned tag, size_t samples, size_t claimed = 0, std::string extra_chunk = {}) {
  auto le = [](std::uint32_t v, int n) {
    std::string b;
    for (int i = 0; i < n; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
  };
  std::string fmt = le(tag, 2) + le(1, 2) + le(8000, 4) + le(16000, 4) + le(2, 2) + le(16, 2);
  if (tag == 0xFFFE) fmt += le(22, 2) + le(16, 2) + le(4, 4) + le(1, 2) + std::string(14, '\x10');
  std::string body = "WAVE" + std::string("fmt ") + le(static_cast<std::uint32_t>(fmt.size()), 4) + fmt +
                     extra_chunk + "data" + le(static_cast<std::uint32_t>(claimed ? claimed : samples), 4) +
                     std::string(samples, '\x01');
  return "RIFF" + le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

TEST(Clips, OnlyWholePcmWaveFilesWithinTheLimitAreTaken) {
  struct Case {
    const char* what;
    std::string bytes;
    WavCheck want;
  } cases[] = {
      {"pcm", Wav(1, 100), WavCheck::kPcm},
      {"extensible pcm", Wav(0xFFFE, 100), WavCheck::kPcm},
      {"odd chunk padded", Wav(1, 10, 0, std::string("LIST\x03\0\0\0abc\0", 12)), WavCheck::kPcm},
      {"mp3 inside", Wav(0x55, 100), WavCheck::kNotPcm},
      {"data cut short", Wav(1, 100, 4000), WavCheck::kTruncated},
      {"header only", Wav(1, 100).substr(0, 30), WavCheck::kTruncated},
      {"text", "just some text, not a sound", WavCheck::kNotWave},
      {"empty", "", WavCheck::kNotWave},
      {"too large", Wav(1, 3000), WavCheck::kTooLarge},
  };
  for (const Case& c : cases) EXPECT_EQ(CheckWav(c.bytes, 2048), c.want) << c.what;
}

TEST(Clips, NamesComeFromTheFileAndPlayRequestsFindThem) {
  EXPECT_EQ(ClipNameOf(u"C:\\sunete\\my song's.wav"), u"my_song_s.wav");
  EXPECT_EQ(ClipNameOf(u"/tmp/cântec.WAV"), u"cântec.WAV");
  EXPECT_EQ(ClipNameOf(std::u16string(300, u'a')).size(), 259u);

  const std::vector<std::u16string> names = {u"song.wav", u"bell.WAV", u"a.wav.WAV", u"odd.Wav"};
  struct Case {
    const char16_t* asked;
    const char16_t* found;  // null: not found
  } cases[] = {{u"song", u"song.wav"}, {u"bell", u"bell.WAV"}, {u"odd.Wav", u"odd.Wav"},
               {u"a.wav", u"a.wav.WAV"}, {u"song.wav", u"song.wav"}, {u"Song", nullptr}, {u"", nullptr}};
  for (const Case& c : cases) {
    const std::optional<std::u16string> got = ResolveClipName(names, c.asked);
    if (c.found) {
      EXPECT_EQ(got, std::u16string(c.found));
    } else {
      EXPECT_FALSE(got);
    }
  }
  EXPECT_TRUE(HasWavExtension(u"x.wav"));
  EXPECT_FALSE(HasWavExtension(u"odd.Wav"));  // stored, listed, but no device plays it
}

class ClipTable : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(db_.CreateLibrary(dir_.File16("clips.db"))) << log_.text(); }
  testing::TempDir dir_;
  testing::ErrorLog log_;
  Db db_{log_.sink()};
};

// A name with an apostrophe is a value like any other; a name already
// there and a failing insert leave the table as it was.
TEST_F(ClipTable, AddListReadAndDeleteByBoundName) {
  EXPECT_EQ(ListClips(db_), std::vector<std::u16string>{});  // no table yet
  EXPECT_FALSE(ReadClip(db_, u"x.wav"));
  EXPECT_EQ(DeleteClip(db_, u"x.wav"), 0);

  const std::string wav = Wav(1, 500);
  EXPECT_EQ(AddClip(db_, u"it's.wav", wav), ClipAdd::kAdded) << log_.text();
  EXPECT_EQ(AddClip(db_, u"b.wav", Wav(1, 20)), ClipAdd::kAdded);
  EXPECT_EQ(AddClip(db_, u"it's.wav", Wav(1, 9)), ClipAdd::kNameTaken);
  EXPECT_EQ(ListClips(db_), (std::vector<std::u16string>{u"it's.wav", u"b.wav"}));
  EXPECT_EQ(ReadClip(db_, u"it's.wav"), wav);

  ASSERT_TRUE(db_.Exec("CREATE TRIGGER refuse BEFORE INSERT ON atach BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
  EXPECT_EQ(AddClip(db_, u"c.wav", Wav(1, 20)), ClipAdd::kFailed);
  EXPECT_NE(log_.text().find("disk full"), std::string::npos);
  EXPECT_EQ(ListClips(db_)->size(), 2u);
  ASSERT_TRUE(db_.Exec("DROP TRIGGER refuse"));

  EXPECT_EQ(DeleteClip(db_, u"it's.wav"), 1);
  EXPECT_EQ(ListClips(db_), std::vector<std::u16string>{u"b.wav"});
}

// A row a failed two-step attach of an older version left behind is a clip
// like the others: listed, and not taken over by the next attach.
TEST_F(ClipTable, AnOldPlaceholderRowIsListedAndKept) {
  ASSERT_TRUE(db_.Exec("CREATE TABLE atach (n TEXT, d BLOB); INSERT INTO atach VALUES ('newnew', null)"));
  EXPECT_EQ(AddClip(db_, u"new.wav", Wav(1, 10)), ClipAdd::kAdded);
  EXPECT_EQ(ListClips(db_), (std::vector<std::u16string>{u"newnew", u"new.wav"}));
  EXPECT_EQ(ReadClip(db_, u"newnew"), std::string());
}

TEST(ClipStream, ReadsAndSeeksStayWithinTheClip) {
  ClipStream s;
  char buf[8] = {};
  EXPECT_EQ(s.Read(buf, 8), 0);  // nothing loaded
  s.Load("0123456789");
  s.Open();
  EXPECT_EQ(s.Read(buf, 4), 4);
  EXPECT_EQ(std::string(buf, 4), "0123");
  s.Open();  // a second open keeps the place
  EXPECT_EQ(s.position(), 4);
  EXPECT_EQ(s.Seek(-3, ClipStream::Origin::kEnd), 7);
  EXPECT_EQ(s.Read(buf, 8), 3);
  EXPECT_EQ(std::string(buf, 3), "789");
  EXPECT_EQ(s.Read(buf, 8), 0);
  EXPECT_EQ(s.Seek(5, ClipStream::Origin::kEnd), 10);
  EXPECT_EQ(s.Seek(-50, ClipStream::Origin::kCurrent), 0);
  EXPECT_EQ(s.Seek(4, ClipStream::Origin::kBegin), 4);
  s.Close();
  EXPECT_EQ(s.Read(buf, 8), 0);
  EXPECT_FALSE(s.loaded());
}

TEST(ClipPlayer, TheSliderAndTheJumpsAreSafeForAnyClip) {
  EXPECT_EQ(SliderPosition(1500, 3000), 50);
  EXPECT_EQ(SliderPosition(40, 50), 80);  // shorter than 100 ms
  EXPECT_EQ(SliderPosition(10, 0), 0);
  EXPECT_EQ(SliderPosition(9000, 3000), 100);
  EXPECT_EQ(JumpTarget(Jump::kBack, 5000, 60000), 0);
  EXPECT_EQ(JumpTarget(Jump::kBack, 30000, 60000), 20001);
  EXPECT_EQ(JumpTarget(Jump::kForward, 30000, 60000), 39999);
  EXPECT_EQ(JumpTarget(Jump::kForward, 55000, 60000), 60000);
  EXPECT_EQ(JumpTarget(Jump::kForward, 10, 50), 50);
  EXPECT_EQ(JumpTarget(Jump::kForward, 80000, 60000), 60000);
}

}  // namespace
}  // namespace lw
