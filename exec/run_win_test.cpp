// F12 in the window: a confirmed selection runs once, through the command
// processor, with the page saved under a safe name; the block around the
// caret runs as a script of its own with CR LF lines, removed afterwards.
#include <windows.h>

#include <commctrl.h>
#include <richedit.h>

#include <fstream>
#include <sstream>

#include "app/commands.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "exec/run_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/tree_view_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

using lw::testing::Row;

std::vector<std::wstring> g_started;
std::string g_script;  // the script's bytes while it ran

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class RunKeys : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    g_started.clear();
    g_script.clear();
    SetCommandStarterForTest([](const std::wstring& line) -> DWORD {
      g_started.push_back(line);
      const size_t cmd = line.find(L".cmd\"");
      if (cmd != std::wstring::npos) {
        const size_t open = line.rfind(L'"', cmd);
        g_script = ReadAll(line.substr(open + 1, cmd + 4 - open - 1));
      }
      return 0;
    });
    ASSERT_EQ(StartWithLibrary("run.db", {{100, 0, 0, "A", std::nullopt},
                                       {202, 100, 0, "b", std::nullopt},
                                       {304, 202, 0, "My Tool", "{\\rtf1 x}"},
                                       {404, 202, 1, "..\\a & b", "{\\rtf1 y}"}}),
              0);
    ASSERT_TRUE(ShowNode(304));
  }
  void TearDown() override {
    SetCommandStarterForTest(nullptr);
    AppTest::TearDown();
  }
};

TEST_F(RunKeys, ASelectionRunsOnceConfirmedWithThePageSavedUnderItsName) {
  const std::wstring folder = Path("x");
  SetCurrentDirectoryW(folder.substr(0, folder.size() - 2).c_str());
  SetWindowTextW(g_shell.editor1, L"int main() {}\r/* gcc ±.c -o ±.exe */");
  SendMessageW(g_shell.editor1, EM_SETSEL, 14, -1);
  AnswerNextBox(IDNO);
  RunCommand(kCmdExecute);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, L"Execute this command: \" gcc \"My_Tool\".c -o \"My_Tool\".exe \" ?");
  EXPECT_TRUE(g_started.empty());
  AnswerNextBox(IDYES);
  RunCommand(kCmdExecute);
  ASSERT_EQ(g_started.size(), 1u);
  EXPECT_NE(g_started[0].find(L"/c  gcc \"My_Tool\".c -o \"My_Tool\".exe "), std::wstring::npos) << g_started[0].size();
  EXPECT_EQ(ReadAll(Path("My_Tool.c")), "int main() {}\r\n/* gcc \xC2\xB1.c -o \xC2\xB1.exe */");
  EXPECT_FALSE(Store().busy());
}

TEST_F(RunKeys, TheBlockAroundTheCaretRunsAsAScriptOfItsOwn) {
  SetWindowTextW(g_shell.editor1, L"notes\r/\recho a\recho b\r/ end\rmore");
  SendMessageW(g_shell.editor1, EM_SETSEL, 10, 10);
  RunCommand(kCmdExecute);
  ASSERT_EQ(g_started.size(), 1u);
  EXPECT_EQ(g_script, "echo a\r\necho b\r\n");
  const size_t cmd = g_started[0].find(L".cmd\"");
  const std::wstring script = g_started[0].substr(g_started[0].rfind(L'"', cmd) + 1, cmd + 4 - g_started[0].rfind(L'"', cmd) - 1);
  EXPECT_EQ(GetFileAttributesW(script.c_str()), INVALID_FILE_ATTRIBUTES) << "removed after the run";
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(RunKeys, AStartFailureSaysWhichOfTheFourReasons) {
  SetCommandStarterForTest([](const std::wstring&) -> DWORD { return ERROR_PATH_NOT_FOUND; });
  SetWindowTextW(g_shell.editor1, L"tool.exe");
  SendMessageW(g_shell.editor1, EM_SETSEL, 0, -1);
  AnswerNextBox(IDYES);
  AnswerNextBox(IDOK);
  RunCommand(kCmdExecute);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[1].text, L"The specified path was not found.\n(for SQLite commands use Ctrl+F12)");
  EXPECT_EQ(Boxes()[1].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
}

// The command processor itself, for real: redirection in a selected line,
// a script's lines, a page file named from a title with "..\" and "&", and
// a name it does not know.
class RunForReal : public RunKeys {
 protected:
  void SetUp() override {
    RunKeys::SetUp();
    SetCommandStarterForTest(nullptr);
    folder_ = Path("x");
    folder_.resize(folder_.size() - 2);
    SetCurrentDirectoryW(folder_.c_str());
  }
  // Runs the selection [from, to) of `text` in node `id`'s page, confirmed.
  void Run(int id, const wchar_t* text, int from, int to) {
    ASSERT_TRUE(ShowNode(id));
    SetWindowTextW(g_shell.editor1, text);
    SendMessageW(g_shell.editor1, EM_SETSEL, from, to);
    if (from != to) AnswerNextBox(IDYES);
    RunCommand(kCmdExecute);
  }
  // `file`'s bytes once a process wrote them (waits up to 20 s).
  std::string WaitForFile(const wchar_t* file, size_t size) {
    const std::wstring path = folder_ + L"\\" + file;
    for (int i = 0; i < 200 && ReadAll(path).size() < size; ++i) Pump(100);
    return ReadAll(path);
  }
  std::wstring folder_;
};

TEST_F(RunForReal, CommandsAndScriptsRunThroughTheCommandProcessor) {
  Run(304, L"echo hello> out.txt", 0, -1);
  EXPECT_EQ(WaitForFile(L"out.txt", 7), "hello\r\n");

  Run(304, L"notes\r/\recho one> block.txt\recho two>> block.txt\r/", 9, 9);
  EXPECT_EQ(WaitForFile(L"block.txt", 10), "one\r\ntwo\r\n");

  // The page file stays in the folder and its quoted name keeps "&" inside.
  Run(404, L"copy ± copied.txt", 0, -1);
  EXPECT_EQ(WaitForFile(L"copied.txt", 17), "copy \xC2\xB1 copied.txt");
  EXPECT_EQ(ReadAll(folder_ + L"\\.._a_&_b"), "copy \xC2\xB1 copied.txt");

  Run(304, L"no_such_command_here", 0, -1);
  AnswerNextBox(IDOK);
  for (int i = 0; i < 200 && Boxes().size() < 4; ++i) Pump(100);
  ASSERT_EQ(Boxes().size(), 4u);
  EXPECT_EQ(Boxes()[3].text, L"The specified file/command was not found.\n(for SQLite commands use Ctrl+F12)");
}

}  // namespace
}  // namespace lw::wintest
