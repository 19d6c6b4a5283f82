// lorewell-cli's clip commands: attach, list, save and delete, with names
// that hold apostrophes, and files refused before anything is written.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/commands.h"
#include "store/library_fixture.h"

namespace lw::cli {
namespace {

std::string Le(std::uint32_t v, int n) {
  std::string b;
  for (int i = 0; i < n; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
  return b;
}

// A PCM WAV file of `samples` bytes.
std::string Wav(size_t samples) {
  const std::string fmt = Le(1, 2) + Le(1, 2) + Le(8000, 4) + Le(8000, 4) + Le(1, 2) + Le(8, 2);
  const std::string body = "WAVEfmt " + Le(16, 4) + fmt + "data" + Le(static_cast<std::uint32_t>(samples), 4) +
                           std::string(samples, '\x80');
  return "RIFF" + Le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

class CliClips : public ::testing::Test {
 protected:
  void SetUp() override {
    lw::testing::WriteLibrary(lib_, {{100, 0, 0, "A", std::nullopt}});
  }
  int Run(const std::vector<std::u16string>& args) {
    out_.clear();
    err_.clear();
    Io io;
    io.out = [this](std::string_view s) { out_ += s; };
    io.err = [this](std::string_view s) { err_ += s; };
    io.env = [](const char*) -> std::optional<std::u16string> { return std::nullopt; };
    return RunCli(args, io);
  }
  std::u16string Write(const char* name, const std::string& bytes) {
    std::ofstream(dir_.File(name), std::ios::binary) << bytes;
    return dir_.File16(name);
  }
  std::string Read(const char* name) {
    std::ifstream in(dir_.File(name), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  lw::testing::TempDir dir_;
  const std::u16string lib_ = dir_.File16("sunete.db");
  std::string out_, err_;
};

TEST_F(CliClips, AttachListSaveAndDeleteAClipWithAnApostrophe) {
  const std::string wav = Wav(400);
  EXPECT_EQ(Run({u"clips", lib_}), kExitOk);
  EXPECT_EQ(out_, "");
  ASSERT_EQ(Run({u"clip-add", lib_, Write("my song's.wav", wav)}), kExitOk) << err_;
  EXPECT_EQ(out_, "attached as my_song_s.wav\n");
  EXPECT_EQ(Run({u"clip-add", lib_, dir_.File16("my song's.wav")}), kExitFailed);
  EXPECT_NE(err_.find("already in the library"), std::string::npos) << err_;
  ASSERT_EQ(Run({u"clip-add", lib_, Write("o'clock.wav", Wav(10))}), kExitOk) << err_;
  EXPECT_EQ(Run({u"clips", lib_}), kExitOk);
  EXPECT_EQ(out_, "my_song_s.wav\no_clock.wav\n");

  Write("copie.wav", "the user's older file");
  EXPECT_EQ(Run({u"clip-save", lib_, u"my_song_s.wav", dir_.File16("copie.wav")}), kExitOk) << err_;
  EXPECT_EQ(Read("copie.wav"), wav);
  EXPECT_EQ(Run({u"clip-save", lib_, u"nothing.wav", dir_.File16("x.wav")}), kExitFailed);
  EXPECT_EQ(Run({u"clip-delete", lib_, u"my_song_s.wav"}), kExitOk) << err_;
  EXPECT_EQ(Run({u"clip-delete", lib_, u"my_song_s.wav"}), kExitFailed);
  EXPECT_NE(err_.find("no clip named"), std::string::npos);
  EXPECT_EQ(Run({u"clips", lib_}), kExitOk);
  EXPECT_EQ(out_, "o_clock.wav\n");
}

TEST_F(CliClips, FilesThatAreNoWholePcmWaveAreRefusedAndNothingChanges) {
  struct Case {
    const char* file;
    std::string bytes;
    const char* why;
  } cases[] = {{"text.wav", "not a sound at all", "is not a WAV file"},
               {"cut.wav", Wav(4000).substr(0, 100), "is cut short"},
               {"empty.wav", "", "is not a WAV file"}};
  for (const Case& c : cases) {
    EXPECT_EQ(Run({u"clip-add", lib_, Write(c.file, c.bytes)}), kExitFailed) << c.file;
    EXPECT_NE(err_.find(c.why), std::string::npos) << err_;
  }
  EXPECT_EQ(Run({u"clip-add", lib_, dir_.File16("gone.wav")}), kExitFailed);
  EXPECT_EQ(Run({u"sql", lib_, u"SELECT count(*) FROM sqlite_master WHERE name = 'atach'"}), kExitOk);
  EXPECT_EQ(out_, "0\n");  // not even the table was made
}

}  // namespace
}  // namespace lw::cli
