// Find in the real window: a word only the last of 32,768 pages holds,
// searched from the first node, and a word no page holds; beside reading
// the same pages with one statement (the floor). Medians of five.
//
//   scripts/bench-editor.sh
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/find_win.h"
#include "store/db.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/node_id.h"
#include "store/tree_view_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

using lw::testing::Row;

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// Folders of 32 books of 15 files, pages of about 2 KB; the last page also
// holds "zanzibar".
std::vector<Row> Rows(int count) {
  std::string page = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Calibri;}}\\f0\\fs22 ";
  while (page.size() < 2040) page += "Lorem ipsum dolor sit amet, \\b consectetur\\b0  adipiscing. ";
  std::vector<Row> rows;
  int number = 0;
  for (int f = 0; number < count; ++f) {
    const int folder = MakeNodeId(++number, NodeKind::kFolder);
    rows.push_back({folder, 0, f, "Folder", page + "}"});
    for (int b = 0; b < 32 && number < count; ++b) {
      const int book = MakeNodeId(++number, NodeKind::kBook);
      rows.push_back({book, folder, b, "Book", page + "}"});
      for (int x = 0; x < 15 && number < count; ++x)
        rows.push_back({MakeNodeId(++number, NodeKind::kFile), book, x, "File", page + "}"});
    }
  }
  rows.back().page = page + " zanzibar}";
  return rows;
}

class FindTiming : public AppTest {};

TEST_F(FindTiming, AWordInTheLastOf32768Pages) {
  const std::wstring path = Path("find-32768.db");
  const std::vector<Row> rows = Rows(32768);
  lw::testing::WriteLibrary(ToU16(path), rows);
  StartOptions o;
  o.libraryPath = path;
  ASSERT_EQ(Start(o), 0);
  WaitForWorker();
  const int first = rows.front().id, last = rows.back().id;
  // The last one has every letter on every page: no page is ruled out by
  // its bytes and every one is read as text.
  for (const wchar_t* word : {L"zanzibar", L"nowhereword", L"amet dolor"}) {
    std::vector<double> ms;
    for (int i = 0; i < 5; ++i) {
      TreeView_SelectItem(g_shell.tree, View()->Show(Model().ItemOf(first)));
      Pump(10);
      RunCommand(kCmdFind);
      SetDlgItemTextW(FindWindowHandle(), kFindWhatId, word);
      if (word[0] != L'z') AnswerNextBox(IDOK);
      const double t = Now();
      RunCommand(kCmdFindNext);
      PumpUntil([] { return !FindRunning(); }, 60000);
      ms.push_back(Now() - t);
    }
    if (word[0] == L'z') EXPECT_EQ(Model().selected_id(), last);
    std::printf("find '%ls' from the first of 32,768 pages: %.0f ms\n", word, Median(ms));
  }
  std::vector<double> floor;
  for (int i = 0; i < 5; ++i) {
    const double t = Now();
    Statement st = Store().db().Prepare(u"SELECT r FROM tab");
    while (st.Step()) st.ColumnPage(0);
    floor.push_back(Now() - t);
  }
  std::printf("  floor: reading every page with one statement %.0f ms\n", Median(floor));
  std::vector<double> mapped;
  for (int i = 0; i < 5; ++i) {
    const double t = Now();
    MappedReading map(Store().db());
    Statement st = Store().db().Prepare(u"SELECT r FROM tab");
    while (st.Step()) st.ColumnPage(0);
    mapped.push_back(Now() - t);
  }
  std::printf("  floor: the same, the file mapped %.0f ms\n", Median(mapped));
  EXPECT_EQ(Close(), 0);
}

}  // namespace
}  // namespace lw::wintest
