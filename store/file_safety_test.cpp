// Replacing a user's file: what is refused, what the new file keeps of the
// old one, and that a failure at any point leaves the old file and nothing
// else behind.
#include "store/file_safety.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "base/utf.h"
#include "store/cipher_test_library.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::WriteBytes;

class FileSafety : public ::testing::Test {
 protected:
  void TearDown() override { SetFileReplacer(nullptr); }
  // The names in the test folder, sorted: a temporary left behind shows.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_.path())) {
      names.push_back(Utf16ToUtf8(e.path().filename().u16string()));
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  bool Write(const std::string& name, const std::string& bytes, const ReplaceRules& rules = {}) {
    error_.clear();
    return WriteFileReplacing(dir_.File16(name), bytes, rules, &error_);
  }
  void ExpectRefused(const std::string& name, const std::string& why,
                     const ReplaceRules& rules = {}) {
    EXPECT_FALSE(Write(name, "new", rules)) << name;
    EXPECT_NE(error_.find("cannot write '"), std::string::npos) << error_;
    EXPECT_NE(error_.find(why), std::string::npos) << error_;
  }

  testing::TempDir dir_;
  std::string error_;
};

bool FailingReplacer(const std::u16string&, const std::u16string&, std::u16string* error) {
  *error = u"Access is denied.";
  return false;
}

TEST_F(FileSafety, ReplacesOnlyOnceTheNewFileIsCompleteAndLeavesNothingElse) {
  WriteBytes(dir_.File("note.txt"), "the old notes");
  ASSERT_TRUE(Write("note.txt", "the new notes")) << error_;
  EXPECT_EQ(ReadBytes(dir_.File("note.txt")), "the new notes");
  ASSERT_TRUE(Write("new.txt", std::string(300000, 'n'))) << error_;
  EXPECT_EQ(ReadBytes(dir_.File("new.txt")), std::string(300000, 'n'));
  EXPECT_EQ(Names(), (std::vector<std::string>{"new.txt", "note.txt"}));

  // The rename fails (another program holds the file, say): the old file
  // stays, the temporary goes, and the message has the system's words.
  SetFileReplacer(FailingReplacer);
  EXPECT_FALSE(Write("note.txt", "lost"));
  EXPECT_NE(error_.find("note.txt': Access is denied."), std::string::npos) << error_;
  EXPECT_EQ(ReadBytes(dir_.File("note.txt")), "the new notes");
  EXPECT_EQ(Names(), (std::vector<std::string>{"new.txt", "note.txt"}));

  // A folder that is not there.
  SetFileReplacer(nullptr);
  EXPECT_FALSE(Write("absent/x.txt", "x"));
  EXPECT_NE(error_.find("x.txt': No such file or directory"), std::string::npos) << error_;
}

TEST_F(FileSafety, RefusesWhatIsNoFileOrNotOursToReplace) {
  fs::create_directory(dir_.File("folder"));
  ExpectRefused("folder", "it is a directory");
  EXPECT_TRUE(fs::is_directory(dir_.File("folder")));

  WriteBytes(dir_.File("library.db"), "SQLite format 3");
  ExpectRefused("library.db", "it is the library itself", {"part", dir_.File16("library.db")});

  WriteBytes(dir_.File("locked.txt"), "keep me");
  fs::permissions(dir_.File("locked.txt"), fs::perms::owner_read | fs::perms::group_read);
  ExpectRefused("locked.txt", "it is read-only");
  fs::permissions(dir_.File("locked.txt"), fs::perms::owner_all);
  EXPECT_EQ(ReadBytes(dir_.File("locked.txt")), "keep me");
  EXPECT_EQ(ReadBytes(dir_.File("library.db")), "SQLite format 3");
  EXPECT_EQ(Names(), (std::vector<std::string>{"folder", "library.db", "locked.txt"}));
}

#ifndef _WIN32

mode_t ModeOf(const fs::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Runs `body` in a child process (whose limits and identity it may change)
// and answers what the body answered.
std::string InChild(const std::function<std::string()>& body) {
  int fds[2];
  if (::pipe(fds) != 0) return "(no pipe)";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    const std::string answer = body();
    (void)!::write(fds[1], answer.data(), answer.size());
    ::_exit(0);
  }
  ::close(fds[1]);
  std::string answer;
  char buf[512];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) answer.append(buf, n);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return answer;
}

TEST_F(FileSafety, TheNewFileKeepsTheBitsOwnerAndLinksOfTheOldOne) {
  WriteBytes(dir_.File("shared.txt"), "old");
  ::chmod(dir_.File("shared.txt").c_str(), 0640);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(dir_.File("shared.txt").c_str(), 65534, 65534), 0);
  }
  fs::create_symlink("shared.txt", dir_.File("link.txt"));
  ASSERT_TRUE(Write("link.txt", "new")) << error_;
  EXPECT_TRUE(fs::is_symlink(dir_.File("link.txt")));
  EXPECT_EQ(ReadBytes(dir_.File("shared.txt")), "new");
  EXPECT_EQ(ModeOf(dir_.File("shared.txt")), 0640u);
  if (root) {
    struct stat st {};
    ASSERT_EQ(::stat(dir_.File("shared.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"link.txt", "shared.txt"}));

  // A new file: what the umask leaves, and no more than its source grants.
  const mode_t mask = ::umask(027);
  WriteBytes(dir_.File("private.db"), "x");
  ::chmod(dir_.File("private.db").c_str(), 0600);
  EXPECT_TRUE(Write("a.txt", "a")) << error_;
  EXPECT_TRUE(Write("b.txt", "b", {"part", dir_.File16("private.db")})) << error_;
  ::umask(mask);
  EXPECT_EQ(ModeOf(dir_.File("a.txt")), 0640u);
  EXPECT_EQ(ModeOf(dir_.File("b.txt")), 0600u);
}

// Devices, pipes and sockets are refused end to end by the command-line
// tests (CliTest.TheProgramRefusesAtOnceWhatIsNotAFile).
TEST_F(FileSafety, RefusesHardLinksAndTheSourceUnderAnotherName) {
  WriteBytes(dir_.File("library.db"), "SQLite format 3");
  const ReplaceRules from_library{"part", dir_.File16("library.db")};
  fs::create_symlink("library.db", dir_.File("alias.db"));
  ExpectRefused("alias.db", "it is the library itself", from_library);
  fs::create_hard_link(dir_.File("library.db"), dir_.File("twin.db"));
  ExpectRefused("twin.db", "the library itself", from_library);
  ExpectRefused("twin.db", "it has 2 names (hard links)");
  fs::create_symlink("gone.txt", dir_.File("dangling.txt"));
  ExpectRefused("dangling.txt", "a symbolic link to a missing file");
  EXPECT_EQ(ReadBytes(dir_.File("library.db")), "SQLite format 3");
  EXPECT_EQ(Names(), (std::vector<std::string>{"alias.db", "dangling.txt", "library.db",
                                               "twin.db"}));
}

// A disk that fills up and a folder this user may not write in, for real:
// the file-size limit makes write() fail as a full disk does, and the
// unprivileged user meets the folder's permissions even when the tests run
// as root.
TEST_F(FileSafety, AFullDiskOrAClosedFolderLeavesTheOldFileAsItWas) {
  WriteBytes(dir_.File("big.txt"), "the old notes");
  const std::string message = InChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::string error;
    WriteFileReplacing(dir_.File16("big.txt"), std::string(100000, 'b'), {}, &error);
    return error;
  });
  EXPECT_NE(message.find("cannot write '"), std::string::npos) << message;
  EXPECT_NE(message.find("big.txt': File too large"), std::string::npos) << message;
  EXPECT_EQ(ReadBytes(dir_.File("big.txt")), "the old notes");

  // The file itself is writable by everyone; its folder is not.
  ::chmod(dir_.File("big.txt").c_str(), 0666);
  ::chmod(dir_.path().c_str(), 0755);
  const std::string closed = InChild([&] {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return std::string();
    if (::geteuid() != 0) ::chmod(dir_.path().c_str(), 0555);
    std::string error;
    WriteFileReplacing(dir_.File16("big.txt"), "new", {}, &error);
    return error;
  });
  ::chmod(dir_.path().c_str(), 0755);
  EXPECT_NE(closed.find("big.txt': Permission denied"), std::string::npos) << closed;
  EXPECT_EQ(ReadBytes(dir_.File("big.txt")), "the old notes");
  EXPECT_EQ(Names(), std::vector<std::string>{"big.txt"});
}

TEST_F(FileSafety, OnlyTheCopiesOfKilledReplacementsCountAsLeftovers) {
  const std::u16string library = dir_.File16("lib.db");
  WriteBytes(dir_.File("lib.db"), "library");
  const char* kLeftover = "lib.db.rekey-0123456789ab.tmp";
  WriteBytes(dir_.File(kLeftover), "pages in the clear");
  // Near misses are the user's files; a link is never followed to remove.
  for (const char* name : {"lib.db-rekey", "lib.db.rekey-0123456789AB.tmp",
                           "lib.db.rekey-0123456789a.tmp", "lib.db.part-0123456789ab.tmp",
                           "lib.db.rekey-0123456789ab.tmp.bak"}) {
    WriteBytes(dir_.File(name), name);
  }
  fs::create_symlink("lib.db-rekey", dir_.File("lib.db.rekey-fedcba987654.tmp"));
  // A re-key that is running holds its copy.
  ReplacementFile live;
  ASSERT_TRUE(live.Create(library, {"rekey", {}}, &error_)) << error_;
  const std::vector<std::string> before = Names();

  const std::vector<std::u16string> removed = RemoveLeftovers(library, "rekey");
  ASSERT_EQ(removed.size(), 1u);
  EXPECT_EQ(removed[0], dir_.File16(kLeftover));
  std::vector<std::string> expected = before;
  expected.erase(std::find(expected.begin(), expected.end(), kLeftover));
  EXPECT_EQ(Names(), expected);
  const fs::path running(live.temporary());
  EXPECT_TRUE(fs::exists(running));
  live.Discard();
  EXPECT_FALSE(fs::exists(running));
  EXPECT_EQ(ReadBytes(dir_.File("lib.db-rekey")), "lib.db-rekey");
}

#endif  // _WIN32

}  // namespace
}  // namespace lw
