// Ctrl+P against a recording printer: Wine has no printers and its
// EM_FORMATRANGE neither measures nor renders, so these tests check what the
// program sends (the job's name, the text rectangle, the character ranges,
// the release of the control's cache) and how it ends the job; that a page
// really comes out right is seen only on Windows.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <vector>

#include "app/commands.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/print_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/tree_view_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

constexpr PrinterMetrics kA4{600, 600, 4960, 7016, 100, 100};

struct Job {
  std::wstring document;
  bool begun = false, finished = false, cancelled = false;
  int pages = 0;
  bool refuse_job = false;
};

class RecordingPrinter : public PrintDevice {
 public:
  explicit RecordingPrinter(Job* job) : job_(job), dc_(CreateCompatibleDC(nullptr)) {}
  ~RecordingPrinter() override { DeleteDC(dc_); }
  HDC dc() const override { return dc_; }
  PrinterMetrics Metrics() const override { return kA4; }
  bool BeginJob(const std::wstring& document) override {
    job_->document = document;
    return job_->begun = !job_->refuse_job;
  }
  bool BeginPage() override { return ++job_->pages, true; }
  bool FinishPage() override { return true; }
  void FinishJob() override { job_->finished = true; }
  void CancelJob() override { job_->cancelled = true; }

 private:
  Job* job_;
  HDC dc_;
};

struct Sent {
  bool released = false;  // the null record that frees the control's cache
  RECT rc{}, page{};
  CHARRANGE chrg{};
  bool same_dc = false;
};

class Printing : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    SetPrinterChooserForTest([this] { return std::make_unique<RecordingPrinter>(&job_); });
    SetFormatRangeSenderForTest([this](HWND, BOOL render, FORMATRANGE* fr) -> LRESULT {
      Sent s;
      s.released = fr == nullptr;
      if (fr) {
        s.rc = fr->rc, s.page = fr->rcPage, s.chrg = fr->chrg;
        s.same_dc = fr->hdc && fr->hdc == fr->hdcTarget && render;
      }
      sent_.push_back(s);
      return fr ? std::min(fr->chrg.cpMax, fr->chrg.cpMin + per_page_) : 0;
    });
    ASSERT_EQ(StartWithLibrary("print.db", {{100, 0, 0, "A", std::nullopt},
                                       {202, 100, 0, "b", std::nullopt},
                                       {304, 202, 0, "Notes`", "{\\rtf1 abcdefghijklmnopqrstuvwxy}"}}),
              0);
    ASSERT_TRUE(ShowNode(304));
  }
  void TearDown() override {
    SetPrinterChooserForTest(nullptr);
    SetFormatRangeSenderForTest(nullptr);
    AppTest::TearDown();
  }
  Job job_;
  std::vector<Sent> sent_;
  long per_page_ = 10;
};

TEST_F(Printing, TheSelectionOrTheWholePageGoesOutPageByPageUnderTheTitle) {
  SendMessageW(g_shell.editor1, EM_SETSEL, 3, 18);
  RunCommand(kCmdPrint);
  EXPECT_EQ(job_.document, L"Notes");  // without the read-only mark
  EXPECT_TRUE(job_.finished);
  ASSERT_EQ(sent_.size(), 3u);
  EXPECT_EQ(sent_[0].chrg.cpMin, 3);
  EXPECT_EQ(sent_[1].chrg.cpMin, 13);
  EXPECT_EQ(sent_[1].chrg.cpMax, 18);
  EXPECT_TRUE(sent_[2].released);
  const TwipsRect want = PrintTextRect(kA4);
  for (size_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(sent_[i].same_dc);
    EXPECT_EQ(sent_[i].rc.left, want.left);
    EXPECT_EQ(sent_[i].rc.right, want.right);
    EXPECT_EQ(sent_[i].rc.bottom, want.bottom);
    EXPECT_EQ(sent_[i].page.right, 0);
  }
  EXPECT_EQ(job_.pages, 2);

  sent_.clear();
  SendMessageW(g_shell.editor1, EM_SETSEL, 7, 7);
  RunCommand(kCmdPrint);
  ASSERT_GE(sent_.size(), 4u);
  EXPECT_EQ(sent_[0].chrg.cpMin, 0);
  EXPECT_GE(sent_[sent_.size() - 2].chrg.cpMax, 25);
  CHARRANGE caret{};
  SendMessageW(g_shell.editor1, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&caret));
  EXPECT_EQ(caret.cpMin, 0);
  EXPECT_EQ(caret.cpMax, 0);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(Printing, AStuckLayoutOrARefusedJobEndsTheJobAndSaysSo) {
  per_page_ = 0;  // nothing fits: a picture larger than the sheet
  AnswerNextBox(IDOK);
  RunCommand(kCmdPrint);
  EXPECT_TRUE(job_.cancelled);
  EXPECT_FALSE(job_.finished);
  EXPECT_TRUE(sent_.back().released);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, L"The page could not be printed: the text could not be laid out on the page.");

  job_ = Job{};
  job_.refuse_job = true;
  sent_.clear();
  AnswerNextBox(IDOK);
  RunCommand(kCmdPrint);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[1].text, L"!StartDocW");
  EXPECT_EQ(job_.pages, 0);
  EXPECT_TRUE(sent_.empty());
}

}  // namespace
}  // namespace lw::wintest
