// From Open to the whole tree shown and the window idle, in the real
// window: libraries of 1,604, 9,642 and 32,768 nodes (folders of 32 books of
// 15 files, pages of about 2 KB), five opens each, the median and the peak
// memory of the process.
//
//   scripts/bench-open.sh
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/wide_win.h"
#include "store/db.h"
#include "store/library_win.h"
#include "store/tree_view_win.h"
#include "store/node_id.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

// A library of `count` nodes: folders of 32 books of 15 files.
void WriteLibrary(const std::u16string& path, int count) {
  std::string page = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Calibri;}}\\f0\\fs22 ";
  while (page.size() < 2040) page += "Lorem ipsum dolor sit amet, \\b consectetur\\b0  adipiscing. ";
  page += "}";
  Db db([](const std::u16string& e) { std::fprintf(stderr, "%ls\n", ToWide(e).c_str()); });
  db.CreateLibrary(path);
  db.Exec("BEGIN");
  int number = 0;
  auto insert = [&](NodeKind kind, int parent, int order) {
    const int id = MakeNodeId(++number, kind);
    RowInserter(db).Insert({id, parent, order, u"Node title"}, &page);
    return id;
  };
  for (int f = 0; number < count; ++f) {
    const int folder = insert(NodeKind::kFolder, 0, f);
    for (int b = 0; b < 32 && number < count; ++b) {
      const int book = insert(NodeKind::kBook, folder, b);
      for (int x = 0; x < 15 && number < count; ++x) insert(NodeKind::kFile, book, x);
    }
  }
  db.Exec("COMMIT");
  db.Close();
}

// Pumps until no message is waiting: the tree is painted and the window idle.
void UntilIdle() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

double OpenOnce(const std::u16string& path) {
  LARGE_INTEGER f, t0, t1;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&t0);
  OpenLibraryPath(path);
  WaitForWorker();
  UpdateWindow(g_mainWindow);
  UntilIdle();
  QueryPerformanceCounter(&t1);
  CloseLibrary(false);
  UntilIdle();
  return 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart);
}

double Ms(const LARGE_INTEGER& a, const LARGE_INTEGER& b) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return 1000.0 * static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

// Where the time goes: the store's open and fill on this thread with the
// view detached, then the view's rebuild from the model.
void Phases(const std::u16string& path) {
  LARGE_INTEGER t0, t1, t2;
  View()->Detach();
  QueryPerformanceCounter(&t0);
  Store().OpenLibraryNow(path, Model());
  QueryPerformanceCounter(&t1);
  View()->Attach();
  UpdateWindow(g_mainWindow);
  UntilIdle();
  QueryPerformanceCounter(&t2);
  std::printf("  phases: store open and fill %.1f ms, view %.1f ms\n", Ms(t0, t1), Ms(t1, t2));
  CloseLibrary(false);
  UntilIdle();
}

class OpenTiming : public AppTest {};

TEST_F(OpenTiming, FromOpenToIdle) {
  StartOptions o;
  o.makeDemoOnFirstRun = false;
  ASSERT_EQ(Start(o), 0);
  // LW_BENCH_NODES=N times one size alone, so that the peak memory is its own.
  std::vector<int> counts = {1604, 9642, 32768};
  if (const char* only = std::getenv("LW_BENCH_NODES")) counts = {std::atoi(only)};
  for (int count : counts) {
    const std::u16string path = ToU16(Path("bench-" + std::to_string(count) + ".db"));
    WriteLibrary(path, count);
    std::vector<double> ms;
    for (int k = 0; k < 5; ++k) ms.push_back(OpenOnce(path));
    std::sort(ms.begin(), ms.end());
    Phases(path);
    std::printf("open %5d nodes: median %7.1f ms (min %7.1f, max %7.1f)\n", count, ms[2], ms[0], ms[4]);
    EXPECT_TRUE(Boxes().empty());
  }
  PROCESS_MEMORY_COUNTERS pmc{};
  pmc.cb = sizeof pmc;
  GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
  // The working set counts the mapped file's pages; private memory does not.
  std::printf("peak working set: %.1f MB, peak private memory: %.1f MB\n",
              static_cast<double>(pmc.PeakWorkingSetSize) / 1048576.0,
              static_cast<double>(pmc.PeakPagefileUsage) / 1048576.0);
  EXPECT_EQ(Close(), 0);
}

}  // namespace
}  // namespace lw::wintest
