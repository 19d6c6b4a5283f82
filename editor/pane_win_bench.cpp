// The page panes against a bare rich-edit control in the same run:
// switching between 100 KB pages, a keystroke on a 5 MB page, the automatic
// save of a 1 MB page, and leaving a 1 MB page for a small one.
//
//   scripts/bench-editor.sh
#include <windows.h>

#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/page_export_win.h"
#include "editor/pane_win.h"
#include "editor/rich_edit_win.h"
#include "store/page_text.h"
#include "store/db.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/page_store.h"
#include "store/tree_view_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

using lw::testing::Row;

// An RTF page of about `bytes`, lines with a bold word, as the control
// writes them.
std::string Page(size_t bytes, char tag) {
  std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Verdana;}}\\f0\\fs20 ";
  const std::string line = std::string("Page ") + tag + " the quick brown fox jumps over the \\b lazy\\b0  dog.\\par\n";
  while (rtf.size() < bytes) rtf += line;
  return rtf + "}";
}

double Now() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

void UntilIdle() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Timed(const std::function<void()>& f) {
  const double t = Now();
  f();
  return Now() - t;
}

struct Reader {
  const std::string* bytes;
  size_t pos;
};

DWORD CALLBACK Read(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* done) {
  auto* r = reinterpret_cast<Reader*>(cookie);
  const size_t n = std::min(r->bytes->size() - r->pos, static_cast<size_t>(size));
  memcpy(buffer, r->bytes->data() + r->pos, n);
  r->pos += n;
  *done = static_cast<LONG>(n);
  return 0;
}

void StreamIn(HWND ed, const std::string& rtf) {
  Reader r{&rtf, 0};
  EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&r), 0, Read};
  SendMessageW(ed, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&es));
}

// A bare control where the primary pane is, with no handler of its own.
HWND BareControl() {
  RECT rc{};
  GetWindowRect(g_shell.editor1, &rc);
  MapWindowPoints(nullptr, g_mainWindow, reinterpret_cast<POINT*>(&rc), 2);
  HWND ed = CreateWindowExW(WS_EX_STATICEDGE, MSFTEDIT_CLASS, L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_NOHIDESEL,
                            rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, g_mainWindow,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(999)), g_instance, nullptr);
  SendMessageW(ed, EM_EXLIMITTEXT, 0, INT_MAX);
  SendMessageW(ed, EM_SETEVENTMASK, 0, ENM_CHANGE);
  SetWindowPos(ed, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  return ed;
}

double Keystroke(HWND ed) {
  return Timed([&] {
    SendMessageW(ed, WM_CHAR, 'k', 0);
    UpdateWindow(ed);
  });
}

class EditorTiming : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    path_ = Path("bench.db");
    rows_ = {{100, 0, 0, "F", std::nullopt},          {202, 100, 0, "B", std::nullopt},
             {304, 202, 0, "a", Page(100'000, 'a')},   {404, 202, 1, "b", Page(100'000, 'b')},
             {504, 202, 2, "big", Page(5'000'000, 'c')}, {604, 202, 3, "mega", Page(1'000'000, 'd')},
             {704, 202, 4, "small", Page(2'000, 'e')}};
    lw::testing::WriteLibrary(ToU16(path_), rows_);
    StartOptions o;
    o.libraryPath = path_;
    ASSERT_EQ(Start(o), 0);
    WaitForWorker();
  }
  void Select(int id) {
    TreeView_SelectItem(g_shell.tree, View()->Show(Model().ItemOf(id)));
    UpdateWindow(g_mainWindow);
    UntilIdle();
  }
  std::wstring path_;
  std::vector<Row> rows_;
};

TEST_F(EditorTiming, NodeSwitchOf100KbPages) {
  HWND bare = BareControl();
  const std::string& a = *rows_[2].page;
  const std::string& b = *rows_[3].page;
  StreamIn(bare, a);
  std::vector<double> floor, ours;
  for (int i = 0; i < 7; ++i) {
    floor.push_back(Timed([&] {
      std::string out;
      StreamOutRtf(bare, &out);
      StreamIn(bare, i % 2 ? a : b);
      UpdateWindow(bare);
    }));
  }
  DestroyWindow(bare);
  Select(304);
  for (int i = 0; i < 7; ++i) ours.push_back(Timed([&] { Select(i % 2 ? 304 : 404); }));
  std::printf("switch 100 KB pages: ours %.1f ms, floor (stream out, stream in, paint) %.1f ms, ratio %.2f\n",
              Median(ours), Median(floor), Median(ours) / Median(floor));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(EditorTiming, KeystrokeOnA5MbPage) {
  HWND bare = BareControl();
  StreamIn(bare, *rows_[4].page);
  SetFocus(bare);
  std::vector<double> floor, ours;
  for (int i = 0; i < 41; ++i) floor.push_back(Keystroke(bare));
  DestroyWindow(bare);
  Select(504);
  HWND pane = g_shell.editor1;
  SetFocus(pane);
  for (int i = 0; i < 41; ++i) ours.push_back(Keystroke(pane));
  std::printf("keystroke on a 5 MB page: ours %.2f ms, no-op handler %.2f ms, ratio %.2f\n", Median(ours),
              Median(floor), Median(ours) / Median(floor));
  const double measure = Timed([&] { MeasureRtfSize(pane); });
  std::printf("  (streaming that page out to count it: %.1f ms)\n", measure);
  std::printf("  (parts: length %.2f ms, objects %.2f ms, music font %.2f ms, undo state %.2f ms)\n",
              Timed([&] { PaneTextLength(pane); }), Timed([&] { PaneObjectCount(pane); }),
              Timed([&] { CarryMusicFont(pane); }), Timed([&] {
                SendMessageW(pane, EM_CANUNDO, 0, 0);
                SendMessageW(pane, EM_CANREDO, 0, 0);
              }));
  EXPECT_TRUE(PaneModified(pane));
  EXPECT_TRUE(SaveModifiedPages());
}

TEST_F(EditorTiming, AutomaticSaveOfA1MbPage) {
  Select(604);
  HWND pane = g_shell.editor1;
  std::vector<double> ours, out, write;
  for (int i = 0; i < 5; ++i) {
    // Each side right after a keystroke, as the timer finds the page.
    SendMessageW(pane, WM_CHAR, 'f', 0);
    std::string rtf;
    out.push_back(Timed([&] { StreamOutRtf(pane, &rtf); }));
    // What SQLite's shell does to store the same bytes: one bound UPDATE.
    write.push_back(Timed([&] {
      Statement st = Store().db().Prepare(u"UPDATE tab SET r = ? WHERE id = 704");
      st.BindPage(1, rtf);
      st.Run();
    }));
    SendMessageW(pane, WM_CHAR, 's', 0);
    ASSERT_TRUE(PaneModified(pane));
    ours.push_back(Timed([] { SaveModifiedPages(); }));
  }
  const double floor = Median(out) + Median(write);
  std::printf("save of a 1 MB page: ours %.1f ms, floor %.1f ms (stream out %.1f + write %.1f), ratio %.2f\n",
              Median(ours), floor, Median(out), Median(write), Median(ours) / floor);
  EXPECT_TRUE(Boxes().empty());
}

// Export of the 5 MB page to RTF and to text; the floor, the sqlite3 shell
// writing the page's bytes to a file, is timed by scripts/bench-editor.sh
// on the copy of the library left as export-bench.db.
TEST_F(EditorTiming, ExportOfA5MbPage) {
  Select(504);
  std::vector<double> rtf, text;
  std::string error;
  for (int i = 0; i < 5; ++i) {
    rtf.push_back(Timed([&] { ASSERT_TRUE(WritePanePage(g_shell.editor1, ToU16(Path("out.rtf")), &error)); }));
    text.push_back(Timed([&] { ASSERT_TRUE(WritePanePage(g_shell.editor1, ToU16(Path("out.txt")), &error)); }));
  }
  std::printf("export of a 5 MB page: rtf %.1f ms, text %.1f ms\n", Median(rtf), Median(text));
  std::vector<double> read, convert, write;
  for (int i = 0; i < 5; ++i) {
    std::optional<StoredPage> page;
    std::string bytes;
    read.push_back(Timed([&] {
      MappedReading mapped(Store().db());
      page = ReadPage(Store(), Model(), 504);
    }));
    convert.push_back(Timed([&] { bytes = PageFileBytes(u"x.txt", page->rtf); }));
    write.push_back(Timed([&] { WritePageBytes(ToU16(Path("out.txt")), bytes, u"", &error); }));
  }
  std::printf("  (parts of the text export: read %.1f ms, to text %.1f ms, write %.1f ms)\n", Median(read),
              Median(convert), Median(write));
  CopyFileW(path_.c_str(), L"export-bench.db", FALSE);
}

TEST_F(EditorTiming, LeavingA1MbPage) {
  std::vector<double> ours, destroy, empty;
  for (int i = 0; i < 3; ++i) {
    Select(604);
    ours.push_back(Timed([&] { Select(704); }));
  }
  HWND bare = BareControl();
  StreamIn(bare, *rows_[5].page);
  destroy.push_back(Timed([&] { DestroyWindow(bare); }));
  bare = BareControl();
  StreamIn(bare, *rows_[5].page);
  empty.push_back(Timed([&] { SetWindowTextW(bare, L""); }));
  DestroyWindow(bare);
  std::printf("leaving a 1 MB page for a small one: ours %.1f ms; bare control: destroy %.1f ms, empty %.1f ms\n",
              Median(ours), destroy[0], empty[0]);
}

}  // namespace
}  // namespace lw::wintest
