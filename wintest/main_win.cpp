// Entry point of the Windows test suite.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "store/node_store_win.h"

int main(int argc, char** argv) {
  // No error boxes from the system (a missing disk, a crash dialog): a test
  // run must never wait for a click.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  // The store answers as the program's does: "already open", a file's
  // names and its replacement come from Windows itself.
  lw::InstallWindowsFileChecks();
  ::testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  std::fflush(stdout);
  return result;
}
