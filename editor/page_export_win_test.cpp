// Export of a page without children: the path the user confirmed gets the
// page's RTF, or FF FE and its text in UTF-16, read back byte for byte; a
// target that cannot be replaced stays as it was and the user hears why.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <fstream>
#include <sstream>

#include "app/commands.h"
#include "app/commands_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/rich_edit_win.h"
#include "store/file_dialog_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/tree_view_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

FileDialogRequest g_asked;
std::wstring g_answer;

FileDialogResult AnswerDialog(const FileDialogRequest& request) {
  g_asked = request;
  return FileDialogResult{FileDialogResult::Answer::kChosen, g_answer, 0};
}

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class PageExport : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    SetFileDialogForTest(AnswerDialog);
    ASSERT_EQ(StartWithLibrary("export.db", {{100, 0, 0, "A", std::nullopt},
                                       {202, 100, 0, "b", std::nullopt},
                                       {304, 202, 0, "My notes: a/b", "{\\rtf1 x}"}}),
              0);
    ASSERT_TRUE(ShowNode(304));
    // A character outside the basic plane (a G clef) is a surrogate pair.
    SetWindowTextW(g_shell.editor1, L"Șir unu \U0001D11E\rdoi");
  }
  void TearDown() override {
    SetFileDialogForTest(nullptr);
    AppTest::TearDown();
  }
  void Export(const std::wstring& path) {
    g_answer = path;
    EXPECT_EQ(DispatchCommand(kCmdExport), CommandOutcome::kRan);
    WaitForWorker();
  }
};

TEST_F(PageExport, RtfAndTextGoToTheConfirmedPathFromTheSavedPage) {
  const std::wstring rtf_path = Path("cu spații/pagină.rtf");
  CreateDirectoryW(Path("cu spații").c_str(), nullptr);
  Export(rtf_path);
  EXPECT_EQ(g_asked.file_name, L"My_notes__a_b");
  EXPECT_EQ(g_asked.default_extension, L"rtf");
  EXPECT_NE(g_asked.title.find(L"Export to rtf or txt file"), std::wstring::npos);
  std::string rtf;
  ASSERT_TRUE(StreamOutRtf(g_shell.editor1, &rtf));
  // The spaces of the path kept; the page without the zero that ends it in
  // the library (and in this control's stream).
  EXPECT_EQ(ReadAll(rtf_path), rtf.substr(0, rtf.find('\0')));

  const std::wstring text_path = Path("pagină.txt");
  Export(text_path);
  const std::string bytes = ReadAll(text_path);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::wstring text((bytes.size() - 2) / 2, L'\0');
  memcpy(text.data(), bytes.data() + 2, text.size() * 2);
  EXPECT_EQ(text, L"Șir unu \U0001D11E\r\ndoi\r\n");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(PageExport, AReadOnlyTargetStaysAsItWas) {
  const std::wstring target = Path("vechi.rtf");
  {
    std::ofstream(target.c_str(), std::ios::binary) << "old";
  }
  ASSERT_TRUE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY));
  AnswerNextBox(IDOK);
  Export(target);
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadAll(target), "old");
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].text.find(L"read-only"), std::wstring::npos) << Boxes()[0].text;
  EXPECT_EQ(Boxes()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

}  // namespace
}  // namespace lw::wintest
