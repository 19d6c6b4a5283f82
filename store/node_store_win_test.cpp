#include "store/node_store_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "store/library_fixture.h"
#include "store/node_store.h"

namespace lw {
namespace {

// Another program holds the library open with a plain handle that takes no
// SQLite lock. SQLite alone would share the file with it; once the Windows
// check is installed every NodeStore, the window's and the tool's, calls the file
// in use (the tool says so from this outcome), and leave it alone.
TEST(NodeStoreWin, AFileOpenElsewhereIsInUseForTheStoreAndTheTool) {
  testing::TempDir dir;
  testing::ErrorLog log;
  const std::u16string path = dir.File16("ținută.db");
  testing::WriteLibrary(path, {{100, 0, 0, "F", std::nullopt}});
  HANDLE other = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);

  SetPlatformExclusiveReadCheck(nullptr);
  EXPECT_TRUE(CanReadUnshared(path));  // the portable check sees no lock
  EXPECT_FALSE(CanReadUnsharedWindows(path));
  InstallWindowsFileChecks();  // as the program, the tool and this suite run
  TreeModel model;
  {
    NodeStore store(log.sink());
    EXPECT_EQ(store.OpenLibraryNow(path, model).outcome, OpenOutcome::kAlreadyOpen);
  }
  CloseHandle(other);
  {
    NodeStore store(log.sink());
    EXPECT_EQ(store.OpenLibraryNow(path, model).outcome, OpenOutcome::kOpened) << log.text();
  }
}

// std::filesystem reports one name for every file on Windows; the count
// the store is given comes from the file system.
TEST(NodeStoreWin, AFileWithASecondNameIsCounted) {
  testing::TempDir dir;
  const std::u16string path = dir.File16("geamăn.db");
  testing::WriteLibrary(path, {{100, 0, 0, "F", std::nullopt}});
  EXPECT_EQ(CountLinksWindows(path), 1u);
  std::filesystem::create_hard_link(dir.File("geamăn.db"), dir.File("al doilea.db"));
  EXPECT_EQ(CountLinksWindows(path), 2u);
  EXPECT_EQ(CountLinksWindows(dir.File16("lipsă.db")), 0u);
}

}  // namespace
}  // namespace lw
