#include "store/node_store_win.h"

#include <windows.h>

#include <gtest/gtest.h>

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

  EXPECT_TRUE(CanReadUnshared(path));  // the portable check sees no lock
  EXPECT_FALSE(CanReadUnsharedWindows(path));
  InstallWindowsExclusiveReadCheck();
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
  SetPlatformExclusiveReadCheck(nullptr);
}

}  // namespace
}  // namespace lw
