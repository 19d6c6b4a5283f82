// Compacting a library: every row survives, the file shrinks, an
// enciphered library stays enciphered, and a compaction that fails or is
// killed at any point leaves the library exactly as it was.
#include "store/vacuum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "store/cipher_open.h"
#include "store/cipher_test_library.h"
#include "store/cipher_vfs.h"
#include "store/file_safety.h"
#include "store/node_store.h"
#include "store/rekey.h"
#include "tools/testing/error_log.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

using testing::DumpWith;
using testing::ReadBytes;

bool FailReplace(const std::u16string&, const std::u16string&, std::u16string* error) {
  *error = u"Access is denied.";
  return false;
}

bool IsCopy(const char* path) { return path && std::string(path).find(".vacuum-") != std::string::npos; }

class Vacuum : public ::testing::Test {
 protected:
  void TearDown() override {
    SetCipherFaultHook(nullptr);
    SetFileReplacer(nullptr);
  }
  // A library of 150 nodes, a third of them deleted: free pages to reclaim.
  void MakeSparseLibrary(const std::u16string& password, int page_size = 4096) {
    std::filesystem::remove(file_);
    testing::MakeLibrary(path_, password, 150, page_size);
    Db db(log_.sink());
    ASSERT_TRUE(OpenWithPassword(db, path_, password) &&
                db.Exec("PRAGMA journal_mode = off; DELETE FROM tab WHERE id % 3 = 0"))
        << log_.text();
  }
  std::vector<std::string> Names() const { return dir_.Names(); }
  const std::vector<std::string> kOnlyLibrary{"bibliotecă.db"};

  testing::TempDir dir_;
  testing::ErrorLog log_;
  const std::u16string path_ = dir_.File16("bibliotecă.db");
  const std::filesystem::path file_ = dir_.File("bibliotecă.db");
};

TEST_F(Vacuum, EveryRowSurvivesAndTheKeyIsKept) {
  struct Case {
    const char16_t* password;
    int page_size;
  };
  for (const Case c : {Case{u"", 4096}, Case{u"cheie-sigură", 4096}, Case{u"cheie-sigură", 1024}}) {
    MakeSparseLibrary(c.password, c.page_size);
    const std::string rows = DumpWith(path_, c.password);
    const auto size_before = std::filesystem::file_size(file_);
    ASSERT_TRUE(VacuumLibraryFile(path_, c.password, log_.sink())) << log_.text();
    EXPECT_EQ(DumpWith(path_, c.password), rows);  // integrity_check included
    // (Pages of 1 KiB become pages of 4 KiB, which may take more room.)
    if (c.page_size == 4096) {
      EXPECT_LT(std::filesystem::file_size(file_), size_before * 3 / 4);
    }
    EXPECT_EQ(Names(), kOnlyLibrary);
    Db db(nullptr);
    ASSERT_TRUE(OpenWithPassword(db, path_, c.password));
    for (const auto& [pragma, value] : {std::pair{u"PRAGMA freelist_count", 0}, {u"PRAGMA page_size", 4096}}) {
      Statement st = db.Prepare(pragma);
      ASSERT_TRUE(st.Step());
      EXPECT_EQ(st.ColumnInt(0), value) << Utf16ToUtf8(pragma);
    }
    if (*c.password) {
      EXPECT_EQ(ClassifyLibraryFile(path_), LibraryFileKind::kEnciphered);
      EXPECT_EQ(ReadBytes(file_).find("row 1 "), std::string::npos);
      EXPECT_EQ(DumpWith(path_, u""), "(unreadable)");
    }
  }
}

// A failure at any write, at the copy's sync or at the replacement, and
// another program writing, each leave the very bytes of the library and no
// copy; the open variant gives the library back open.
TEST_F(Vacuum, AFailureAnywhereLeavesTheLibraryAsItWas) {
  MakeSparseLibrary(u"parola-mea");
  const std::string before = ReadBytes(file_);
  int writes = 0;
  SetCipherFaultHook([&](CipherIo op, const char* path) {
    if (op == CipherIo::kWrite && IsCopy(path)) ++writes;
    return false;
  });
  ASSERT_TRUE(VacuumLibraryFile(path_, u"parola-mea", log_.sink())) << log_.text();
  const int total = writes;
  ASSERT_GT(total, 10);
  MakeSparseLibrary(u"parola-mea");
  ASSERT_EQ(ReadBytes(file_), before);

  auto fails_cleanly = [&](const std::string& why) {
    EXPECT_FALSE(VacuumLibraryFile(path_, u"parola-mea", log_.sink())) << why;
    EXPECT_FALSE(log_.empty()) << why;
    log_.clear();
    EXPECT_EQ(ReadBytes(file_), before) << why;
    EXPECT_EQ(Names(), kOnlyLibrary) << why;
  };
  for (const int failing : {1, total / 3, total / 2, total - 1}) {
    writes = 0;
    SetCipherFaultHook([&, failing](CipherIo op, const char* path) {
      return op == CipherIo::kWrite && IsCopy(path) && ++writes == failing;
    });
    fails_cleanly("write " + std::to_string(failing) + " of " + std::to_string(total));
  }
  SetCipherFaultHook([](CipherIo op, const char* path) { return op == CipherIo::kSync && IsCopy(path); });
  fails_cleanly("sync");
  SetCipherFaultHook(nullptr);
  SetFileReplacer(FailReplace);
  fails_cleanly("replace");
  SetFileReplacer(nullptr);

  Db holder(nullptr);
  ASSERT_TRUE(OpenWithPassword(holder, path_, u"parola-mea") &&
              holder.Exec("PRAGMA journal_mode = off; BEGIN IMMEDIATE"));
  Db db(log_.sink());
  ASSERT_TRUE(OpenWithPassword(db, path_, u"parola-mea"));
  EXPECT_FALSE(VacuumOpenLibrary(db, path_, u"parola-mea"));
  EXPECT_NE(log_.text().find("database is locked"), std::string::npos) << log_.text();
  EXPECT_EQ(db.CountNodes(), 100);  // open again
  holder.Close();
  EXPECT_EQ(ReadBytes(file_), before);
}

#ifndef _WIN32
// Killed anywhere in its run, a compaction leaves the library whole; its
// copy goes with the next opening.
TEST_F(Vacuum, AKilledCompactionLeavesTheLibraryWhole) {
  MakeSparseLibrary(u"");
  const std::string before = ReadBytes(file_);
  const std::string rows = DumpWith(path_, u"");
  for (const int kill_at : {2, 20, 60}) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      int writes = 0;
      SetCipherFaultHook([&](CipherIo op, const char* path) {
        if (op == CipherIo::kWrite && IsCopy(path) && ++writes == kill_at) ::raise(SIGKILL);
        return false;
      });
      VacuumLibraryFile(path_, u"", nullptr);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << kill_at;
    EXPECT_EQ(ReadBytes(file_), before) << kill_at;
    ASSERT_EQ(Names().size(), 2u) << kill_at;

    NodeStore store(log_.sink());
    TreeModel model;
    const OpenResult opened = store.OpenLibraryNow(path_, model);
    store.Close(model, false);
    EXPECT_EQ(opened.outcome, OpenOutcome::kOpened) << log_.text();
    EXPECT_EQ(opened.removed_copies.size(), 1u);
    EXPECT_EQ(Names(), kOnlyLibrary);
    EXPECT_EQ(DumpWith(path_, u""), rows);
  }
}
#endif  // _WIN32

}  // namespace
}  // namespace lw
