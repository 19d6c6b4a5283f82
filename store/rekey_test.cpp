// Setting, changing and clearing the password of a library, and what a
// failure at any step of it leaves behind.
#include "store/rekey.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "store/cipher_open.h"
#include "store/cipher_password.h"
#include "store/cipher_test_library.h"
#include "store/cipher_vfs.h"
#include "tools/testing/error_log.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

using testing::DumpWith;
using testing::ReadableWith;
using testing::ReadBytes;

bool FailReplace(const std::u16string&, const std::u16string&, std::u16string* error) {
  *error = u"Access is denied.";
  return false;
}

class Rekey : public ::testing::Test {
 protected:
  void TearDown() override {
    SetCipherFaultHook(nullptr);
    SetFileReplacer(nullptr);
  }
  bool CopyLeft() const {
    return std::filesystem::exists(std::filesystem::path(RekeyCopyPath(path_)));
  }
  std::string Head(size_t n) const { return ReadBytes(file_).substr(0, n); }

  testing::TempDir dir_;
  testing::ErrorLog log_;
  const std::u16string path_ = dir_.File16("bibliotecă.db");
  const std::filesystem::path file_ = dir_.File("bibliotecă.db");
};

TEST_F(Rekey, SetChangeAndClearThePasswordOfTheOpenLibrary) {
  testing::MakeLibrary(path_, u"", 20);
  const std::string rows = DumpWith(path_, u"");
  Db db(log_.sink());
  ASSERT_TRUE(OpenWithPassword(db, path_, u""));

  ASSERT_TRUE(RekeyOpenLibrary(db, path_, u"", u"prima-parolă"));
  EXPECT_NE(Head(6), "SQLite");
  EXPECT_EQ(db.CountNodes(), 20);  // reopened under the new key
  EXPECT_FALSE(ReadableWith(path_, u""));
  EXPECT_EQ(DumpWith(path_, u"prima-parolă"), rows);

  ASSERT_TRUE(RekeyOpenLibrary(db, path_, u"prima-parolă", u"a-doua"));
  EXPECT_FALSE(ReadableWith(path_, u"prima-parolă"));
  EXPECT_EQ(DumpWith(path_, u"a-doua"), rows);

  ASSERT_TRUE(RekeyOpenLibrary(db, path_, u"a-doua", u""));
  EXPECT_EQ(Head(16), std::string("SQLite format 3\0", 16));
  EXPECT_EQ(DumpWith(path_, u""), rows);
  EXPECT_FALSE(CopyLeft());
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(Rekey, OtherPageSizesAreKept) {
  // The largest pages make a file of many copying rounds.
  for (int page_size : {1024, 65536}) {
    std::filesystem::remove(file_);
    testing::MakeLibrary(path_, u"veche-1", 30, page_size);
    const std::string rows = DumpWith(path_, u"veche-1");
    ASSERT_TRUE(RekeyLibraryFile(path_, u"veche-1", u"pagini-noi", log_.sink())) << log_.text();
    EXPECT_EQ(DumpWith(path_, u"pagini-noi"), rows) << page_size;
    EXPECT_EQ(ReadBytes(file_).size() % page_size, 0u);
  }
}

TEST_F(Rekey, RefusalsAndFailuresLeaveTheLibraryAsItWas) {
  testing::MakeLibrary(path_, u"cea-veche", 10);
  // A copy left by a crash is no obstacle: it is replaced.
  testing::WriteBytes(std::filesystem::path(RekeyCopyPath(path_)), std::string(5000, 'x'));
  const std::string before = ReadBytes(file_);
  Db db(log_.sink());
  ASSERT_TRUE(OpenWithPassword(db, path_, u"cea-veche"));

  for (const char16_t* short_password : {u"a", u"abc"}) {
    EXPECT_FALSE(RekeyOpenLibrary(db, path_, u"cea-veche", short_password));
  }
  EXPECT_EQ(log_.messages().at(0), "Invalid password (1, 2 or 3 characters)");
  EXPECT_TRUE(RekeyOpenLibrary(db, path_, u"cea-veche", u"cea-vXXXX"));  // the same key
  EXPECT_FALSE(RekeyLibraryFile(path_, u"greșită", u"cea-noua", log_.sink()));
  SetFileReplacer(FailReplace);  // another program holds the file, say
  log_.clear();
  EXPECT_FALSE(RekeyOpenLibrary(db, path_, u"cea-veche", u"cea-noua"));
  EXPECT_EQ(log_.text(), "Access is denied.\n");

  EXPECT_EQ(ReadBytes(file_), before);
  EXPECT_FALSE(CopyLeft());
  EXPECT_TRUE(ProbeReadable(db.handle()));  // open again, under its old key
  EXPECT_EQ(db.CountNodes(), 10);
}

TEST_F(Rekey, AFailureAtAnyStepKeepsThePreviousKeyAndEveryRow) {
  const struct {
    const char16_t* from;
    const char16_t* to;
  } kChanges[] = {{u"", u"noua-parolă"}, {u"veche-1", u"noua-22"}, {u"veche-1", u""}};
  for (const auto& change : kChanges) {
    std::filesystem::remove(file_);
    testing::MakeLibrary(path_, change.from, 12);
    const std::string original = ReadBytes(file_);
    const std::string rows = DumpWith(path_, change.from);
    for (CipherIo op : {CipherIo::kOpen, CipherIo::kRead, CipherIo::kWrite, CipherIo::kSync}) {
      // Fail the n-th operation of this kind, for every n until a re-key
      // runs through without meeting it.
      int failures = 0;
      for (int n = 1;; ++n) {
        SCOPED_TRACE("operation " + std::to_string(static_cast<int>(op)) + " #" +
                     std::to_string(n));
        testing::WriteBytes(file_, original);
        int seen = 0;
        bool fired = false;
        bool ok;
        {
          Db db(log_.sink());
          ASSERT_TRUE(OpenWithPassword(db, path_, change.from));
          SetCipherFaultHook(
              [&](CipherIo o, const char*) { return o == op && ++seen == n && (fired = true); });
          ok = RekeyOpenLibrary(db, path_, change.from, change.to);
          SetCipherFaultHook(nullptr);
        }
        EXPECT_FALSE(CopyLeft());
        if (ok) {
          // Met after the replacement (in reopening), or never.
          EXPECT_FALSE(fired && (op == CipherIo::kWrite || op == CipherIo::kSync));
          EXPECT_EQ(DumpWith(path_, change.to), rows);
        } else {
          ++failures;
          EXPECT_TRUE(fired);
          EXPECT_EQ(ReadBytes(file_), original);
          EXPECT_EQ(DumpWith(path_, change.from), rows);
        }
        if (!fired) break;
      }
      EXPECT_GT(failures, 0);
    }
  }
}

TEST_F(Rekey, TheWorkerShowsItsStatesAndKeepsThePasswordThatStillHolds) {
  testing::MakeLibrary(path_, u"", 3);
  Db db(log_.sink());
  ASSERT_TRUE(OpenWithPassword(db, path_, u""));
  std::vector<RekeyView> views;
  const auto show = [&views](const RekeyView& v) { views.push_back(v); };

  const std::u16string typed = u"o-parolă-foarte-lungă-de-tot";
  RekeyOutcome out = RunRekeyWorker(db, path_, u"", typed, false, show);
  ASSERT_EQ(views.size(), 2u);
  EXPECT_TRUE(views[0].busy && views[0].label == PasswordLabel::kEncrypting);
  EXPECT_TRUE(!views[1].busy && views[1].encrypted && !views[1].box_shown &&
              views[1].label == PasswordLabel::kPassword);
  EXPECT_TRUE(out.rekeyed && out.encrypted && out.library_open &&
              out.password == typed.substr(0, 19));

  // Clearing fails: the file keeps its key, so the flag and password stay.
  SetFileReplacer(FailReplace);
  views.clear();
  out = RunRekeyWorker(db, path_, out.password, u"", true, show);
  EXPECT_EQ(views.at(0).label, PasswordLabel::kDecrypting);
  EXPECT_TRUE(views.at(1).encrypted && out.encrypted && !out.rekeyed);
  EXPECT_EQ(out.password, typed.substr(0, 19));
  EXPECT_TRUE(ReadableWith(path_, out.password));

  EXPECT_EQ(ConfirmPassword(u"abc", u"", true, true), PasswordConfirm::kStay);
  EXPECT_EQ(ConfirmPassword(u"abcd", u"abcd", true, true), PasswordConfirm::kOpenPending);
  EXPECT_EQ(ConfirmPassword(u"", u"abcd", false, true), PasswordConfirm::kRekey);
  EXPECT_EQ(ConfirmPassword(u"abcde", u"abcd", false, false), PasswordConfirm::kHide);
  EXPECT_EQ(ConfirmPassword(u"abcdefghijklmnopqrsXYZ", u"abcdefghijklmnopqrs", false, true),
            PasswordConfirm::kHide);
}

}  // namespace
}  // namespace lw
