// Setting, changing and clearing the password of a library, and what a
// failure at any step of it leaves behind.
#include "store/rekey.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "store/cipher_open.h"
#include "store/cipher_password.h"
#include "store/cipher_test_library.h"
#include "store/cipher_vfs.h"
#include "store/node_store.h"
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
  std::vector<std::string> Names() const { return dir_.Names(); }
  bool CopyLeft() const { return Names() != std::vector<std::string>{"bibliotecă.db"}; }
  std::string Head(size_t n) const { return ReadBytes(file_).substr(0, n); }

  testing::TempDir dir_;
  testing::ErrorLog log_;
  const std::u16string path_ = dir_.File16("bibliotecă.db");
  const std::filesystem::path file_ = dir_.File("bibliotecă.db");
};

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

// Each refusal or failure is said once and leaves the library, its open
// connection and a file of the user's beside it as they were. Whatever would
// be lost or split by replacing the file is refused before a page is read.
TEST_F(Rekey, RefusalsAndFailuresLeaveTheLibraryAsItWas) {
  namespace fs = std::filesystem;
  testing::MakeLibrary(path_, u"cea-veche", 10);
  const std::string before = ReadBytes(file_);
  testing::WriteBytes(dir_.File("bibliotecă.db-rekey"), "the user's own file");
  auto said = [&](bool done, const std::string& why) {
    EXPECT_FALSE(done) << why;
    ASSERT_EQ(log_.messages().size(), 1u) << log_.text();
    EXPECT_NE(log_.messages()[0].find(why), std::string::npos) << log_.text();
    log_.clear();
  };
  auto file_refused = [&](const std::u16string& path, const std::string& why) {
    said(RekeyLibraryFile(path, u"cea-veche", u"cea-noua", log_.sink()), why);
  };
  fs::permissions(file_, fs::perms::owner_read | fs::perms::group_read);
  file_refused(path_, "bibliotecă.db': it is read-only");
  fs::permissions(file_, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_hard_link(file_, dir_.File("geamăn.db"));
  file_refused(path_, "it has 2 names (hard links)");
  fs::remove(dir_.File("geamăn.db"));
  file_refused(dir_.File16("lipsă.db"), "lipsă.db' does not exist");
  EXPECT_FALSE(RekeyLibraryFile(path_, u"greșită", u"cea-noua", log_.sink()));
  log_.clear();

  Db db(log_.sink());
  ASSERT_TRUE(OpenWithPassword(db, path_, u"cea-veche"));
  for (const char16_t* short_password : {u"a", u"abc"}) {
    said(RekeyOpenLibrary(db, path_, u"cea-veche", short_password),
         "Invalid password (1, 2 or 3 characters)");
  }
  EXPECT_TRUE(RekeyOpenLibrary(db, path_, u"cea-veche", u"cea-vXXXX"));  // the same key
  SetFileReplacer(FailReplace);  // another program holds the file, say
  said(RekeyOpenLibrary(db, path_, u"cea-veche", u"cea-noua"), "bibliotecă.db': Access is denied.");

  EXPECT_EQ(ReadBytes(file_), before);
  EXPECT_EQ(Names(), (std::vector<std::string>{"bibliotecă.db", "bibliotecă.db-rekey"}));
  EXPECT_TRUE(ProbeReadable(db.handle()));  // open again, under its old key
  EXPECT_EQ(db.CountNodes(), 10);
  SetFileReplacer(nullptr);
  db.Close();
  ASSERT_TRUE(RekeyLibraryFile(path_, u"cea-veche", u"cea-noua", log_.sink())) << log_.text();
  EXPECT_EQ(ReadBytes(dir_.File("bibliotecă.db-rekey")), "the user's own file");
}

// Setting, changing and clearing the password of the open library, each
// with a failure at every step: a failed re-key keeps the previous key and
// every row, and the run that meets no failure gives the new key, with the
// connection open again under it.
TEST_F(Rekey, EveryChangeOfKeyCompletesOrKeepsThePreviousKeyAndEveryRow) {
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
        log_.clear();
        int seen = 0, nodes = 0;
        bool fired = false;
        bool ok;
        {
          Db db(log_.sink());
          ASSERT_TRUE(OpenWithPassword(db, path_, change.from));
          SetCipherFaultHook(
              [&](CipherIo o, const char*) { return o == op && ++seen == n && (fired = true); });
          ok = RekeyOpenLibrary(db, path_, change.from, change.to);
          SetCipherFaultHook(nullptr);
          if (!fired) nodes = db.CountNodes();
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
        if (!fired) {
          EXPECT_TRUE(ok);
          EXPECT_EQ(nodes, 12);  // reopened under the new key
          EXPECT_FALSE(ReadableWith(path_, change.from));
          EXPECT_EQ(Head(16) == std::string("SQLite format 3\0", 16), change.to[0] == 0);
          EXPECT_TRUE(log_.empty()) << log_.text();
          break;
        }
      }
      EXPECT_GT(failures, 0);
    }
  }
}

#ifndef _WIN32

mode_t ModeOf(const char* path) {
  struct stat st {};
  return ::stat(path, &st) == 0 ? st.st_mode & 07777 : 0;
}

// Clearing the password of a private library must not leave its pages in
// the clear for everyone; a link to the library stays a link. (The owner is
// kept by the replacement itself: FileSafety.TheNewFileKeepsTheBits...)
TEST_F(Rekey, TheLibraryKeepsItsBitsAndLinksAndTheCopyIsPrivateThroughout) {
  namespace fs = std::filesystem;
  testing::MakeLibrary(path_, u"", 8);
  const std::string rows = DumpWith(path_, u"");
  ASSERT_EQ(::chmod(file_.c_str(), 0640), 0);
  fs::create_symlink(file_.filename(), dir_.File("legătură.db"));
  const mode_t mask = ::umask(022);
  std::string copy;
  mode_t copy_mode = 0;
  SetCipherFaultHook([&](CipherIo op, const char* path) {
    if (op == CipherIo::kWrite && path && copy.empty()) copy = path, copy_mode = ModeOf(path);
    return false;
  });
  const bool set = RekeyLibraryFile(dir_.File16("legătură.db"), u"", u"parolă-nouă", log_.sink());
  SetCipherFaultHook(nullptr);
  const mode_t mode_after_set = ModeOf(file_.c_str());
  ::chmod(file_.c_str(), 0600);
  const bool cleared = RekeyLibraryFile(path_, u"parolă-nouă", u"", log_.sink());
  ::umask(mask);
  ASSERT_TRUE(set && cleared) << log_.text();
  EXPECT_EQ(mode_after_set, 0640u);

  EXPECT_EQ(copy_mode, 0600u) << copy;
  EXPECT_NE(copy.find("bibliotecă.db.rekey-"), std::string::npos) << copy;
  EXPECT_TRUE(fs::is_symlink(dir_.File("legătură.db")));
  EXPECT_EQ(DumpWith(path_, u""), rows);
  EXPECT_EQ(ModeOf(file_.c_str()), 0600u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"bibliotecă.db", "legătură.db"}));
}

// A re-key killed (SIGKILL, as kill -9) half-way through writing its copy
// leaves a copy that the next opening removes (the next re-key removes one
// too: CliTest.CopiesOfAnInterruptedRekeyAreRemovedWithANotice).
TEST_F(Rekey, ACopyLeftByAKilledRekeyGoesWithTheNextOpen) {
  testing::MakeLibrary(path_, u"", 100);
  const std::string before = ReadBytes(file_);
  const std::string rows = DumpWith(path_, u"");
  const pid_t pid = ::fork();
  if (pid == 0) {
    int writes = 0;
    SetCipherFaultHook([&](CipherIo op, const char*) {
      if (op == CipherIo::kWrite && ++writes == 2) ::raise(SIGKILL);
      return false;
    });
    RekeyLibraryFile(path_, u"", u"parolă-nouă", nullptr);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  std::vector<std::string> names = Names();
  ASSERT_EQ(names.size(), 2u);
  const std::string leftover = names[1];
  EXPECT_EQ(leftover.rfind("bibliotecă.db.rekey-", 0), 0u) << leftover;
  EXPECT_EQ(ReadBytes(file_), before);

  NodeStore store(log_.sink());
  TreeModel model;
  const OpenResult opened = store.OpenLibraryNow(path_, model);
  store.Close(model, false);
  EXPECT_EQ(opened.outcome, OpenOutcome::kOpened) << log_.text();
  EXPECT_EQ(opened.removed_copies, std::vector<std::u16string>{dir_.File16(leftover)});
  EXPECT_FALSE(CopyLeft());
  EXPECT_EQ(DumpWith(path_, u""), rows);
}

#endif  // _WIN32

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
