// Opening libraries with and without their password, and files that are not
// what they seem: each has a clear outcome, and nothing is written.
#include "store/cipher_open.h"

#include <gtest/gtest.h>

#include <random>

#include "store/cipher_test_library.h"
#include "store/cipher_vfs.h"
#include "tools/testing/error_log.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

using testing::ReadBytes;

TEST(CipherOpen, WrongKeysAndFilesThatAreNotWhatTheySeemFailTheProbeUntouched) {
  testing::TempDir dir;
  testing::ErrorLog log;
  testing::MakeLibrary(dir.File16("plain.db"), u"", 4);
  testing::MakeLibrary(dir.File16("enciphered.db"), u"parola-mea", 4);
  std::string noise(8192, '\0');
  std::mt19937 random(7);
  for (char& c : noise) c = static_cast<char>(random());
  testing::WriteBytes(dir.File("noise.db"), noise);

  const std::pair<const char*, const char16_t*> kCases[] = {
      {"enciphered.db", u""},
      {"enciphered.db", u"paroXa-mea"},  // wrong in the used half
      {"plain.db", u"any-password"},
      {"noise.db", u""},
      {"noise.db", u"parola-mea"}};
  for (const auto& [file, password] : kCases) {
    const std::string before = ReadBytes(dir.File(file));
    Db db(log.sink());
    ASSERT_TRUE(OpenWithPassword(db, dir.File16(file), password));
    EXPECT_FALSE(ProbeReadable(db.handle())) << file;
    EXPECT_TRUE(log.empty()) << log.text();  // the caller asks for the password instead
    EXPECT_FALSE(db.Exec("PRAGMA journal_mode = off; UPDATE tab SET t = 'x'"));
    log.clear();
    db.Close();
    EXPECT_EQ(ReadBytes(dir.File(file)), before) << file;
  }
  // Right in the used half, whatever the rest.
  EXPECT_TRUE(testing::ReadableWith(dir.File16("enciphered.db"), u"parolaXXXX"));
}

TEST(CipherOpen, APasswordMovesAPlatformConnectionOntoTheCipher) {
  testing::TempDir dir;
  testing::ErrorLog log;
  // Opened by the UTF-16 open call, as the library lifecycle does.
  testing::MakeLibrary(dir.File16("lib.db"), u"reopen-key", 4);
  Db db(log.sink());
  ASSERT_TRUE(db.Open(dir.File16("lib.db")));
  ASSERT_TRUE(ApplyPassword(db, u"reopen-key"));
  EXPECT_TRUE(HasCipherKey(db.handle()));
  EXPECT_EQ(db.CountNodes(), 4);

  // A new file through the cipher is a UTF-16 library, as the open call makes.
  ASSERT_TRUE(OpenThroughCipher(db, dir.File16("new.db")));
  ASSERT_TRUE(db.Exec("CREATE TABLE tab (id INTEGER)"));
  Statement s = db.Prepare(u"PRAGMA encoding");
  ASSERT_TRUE(s.Step());
  EXPECT_EQ(s.ColumnText16(0), u"UTF-16le");
  EXPECT_TRUE(log.empty()) << log.text();
}

}  // namespace
}  // namespace lw
