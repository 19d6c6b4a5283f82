// The password box over the running application and real library files.
#include "store/password_box_win.h"

#include <windows.h>

#include <commctrl.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/msgbox_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

constexpr COLORREF kTinted = RGB(255, 250, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);

HWND Control(int id) { return GetDlgItem(g_mainWindow, id); }
std::wstring Label() { return WindowText(Control(kPasswordLabelId)); }
COLORREF TreeBackground() { return TreeView_GetBkColor(g_shell.tree); }
bool Shown() {
  return PasswordBoxShown() && IsWindowVisible(Control(kPasswordEditId)) &&
         GetFocus() == Control(kPasswordEditId);
}

// Letters and digits typed as keys into the emptied edit.
void Type(const char* ascii, bool enter) {
  SetWindowTextW(Control(kPasswordEditId), L"");
  std::vector<WORD> keys;
  for (const char* c = ascii; *c; ++c) keys.push_back(static_cast<WORD>(toupper(*c)));
  if (enter) keys.push_back(VK_RETURN);
  PressKeys(keys);
}

// The text of the tooltip that has a tool for the indicator.
std::wstring IndicatorTip() {
  struct Probe {
    wchar_t text[80] = L"";
  } probe;
  EnumThreadWindows(GetCurrentThreadId(), [](HWND w, LPARAM lp) {
    wchar_t cls[32] = L"";
    GetClassNameW(w, cls, 32);
    if (lstrcmpW(cls, TOOLTIPS_CLASSW) != 0) return TRUE;
    auto* p = reinterpret_cast<Probe*>(lp);
    TOOLINFOW ti{sizeof ti, 0, g_mainWindow,
                 reinterpret_cast<UINT_PTR>(Control(kPasswordIndicatorId))};
    ti.lpszText = p->text;
    SendMessageW(w, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
    return p->text[0] == 0 ? TRUE : FALSE;
  }, reinterpret_cast<LPARAM>(&probe));
  return probe.text;
}

class PasswordBox : public AppTest {
 protected:
  void StartWithLibrary() {
    path_ = Path("Cărți.db");
    lw::testing::WriteLibrary(ToU16(path_), {{100, 0, 0, "Books", {}}, {202, 100, 0, "Book", {}},
                                             {304, 202, 0, "Țară", std::string("page")}});
    StartOptions options;
    options.libraryPath = path_;
    ASSERT_EQ(Start(options), 0);
    ASSERT_TRUE(Store().library_open());
    SetForegroundWindow(g_mainWindow);
    SetFocus(g_shell.tree);
  }
  bool Plain() const {
    std::ifstream in(std::filesystem::path(path_), std::ios::binary);
    std::string head(16, '\0');
    in.read(head.data(), 16);
    return head == std::string("SQLite format 3", 16);
  }
  std::wstring path_;
};

TEST_F(PasswordBox, SetsAPasswordAsksForItOnOpeningAndClearsIt) {
  StartWithLibrary();
  g_settings.treeWidth = 60;
  PressKeys({VK_OEM_3});
  ASSERT_TRUE(Shown());
  RECT client, edit, tree;
  GetClientRect(g_mainWindow, &client);
  GetWindowRect(Control(kPasswordEditId), &edit);
  GetWindowRect(g_shell.tree, &tree);
  MapWindowPoints(nullptr, g_mainWindow, reinterpret_cast<POINT*>(&edit), 2);
  EXPECT_EQ(std::vector<LONG>({edit.top, edit.right - edit.left, tree.bottom - tree.top}),
            std::vector<LONG>({client.bottom - 23, 120 - 4, client.bottom - 77}));

  Type("abc", true);  // refused: the box stays and nothing changes
  EXPECT_EQ(IndicatorTip(), L"Invalid password (1, 2 or 3 characters)");
  EXPECT_TRUE(Shown() && Plain() && Store().password().empty());
  Type("secret42", false);
  EXPECT_EQ(IndicatorTip(), L"Valid password (0 or minim 4 characters)");
  RunCommand(kCmdPassword);  // the toggle confirms; the worker runs now
  EXPECT_EQ(Label(), L"Encryption...");
  WaitForWorker();
  EXPECT_FALSE(PasswordBoxShown() || IsWindowVisible(Control(kPasswordEditId)));
  EXPECT_TRUE(!Plain() && Store().encrypted() && Store().password() == u"secret42");
  EXPECT_EQ(TreeBackground(), kTinted);
  EXPECT_EQ(Label(), L"Password");

  // Opened without its password: message 44, a wrong one, 44 again, the
  // right one.
  CloseLibrary(false);
  Store().set_password(u"");
  AnswerNextBox(IDYES);
  AnswerNextBox(IDYES);
  OpenLibraryPath(ToU16(path_));
  WaitForWorker();
  ASSERT_TRUE(Shown());
  EXPECT_EQ(WindowText(Control(kPasswordEditId)), L"");
  Type("wrongpw1", true);
  WaitForWorker();
  ASSERT_TRUE(Shown());
  Type("secret42", true);
  WaitForWorker();
  ASSERT_EQ(Boxes().size(), 2u);
  for (const BoxRecord& box : Boxes())
    EXPECT_TRUE(box.text == LoadMessage(409, 44) && box.type == (MB_YESNO | MB_ICONQUESTION));
  ASSERT_TRUE(Store().library_open());
  EXPECT_TRUE(Model().ItemOf(304)) << "the tree was read through the key";
  EXPECT_EQ(TreeBackground(), kTinted);
  PressKeys({VK_OEM_3});
  EXPECT_EQ(WindowText(Control(kPasswordEditId)), L"secret42");
  SaveScreenshot(g_mainWindow, "password-box-enciphered");

  // Cleared: the backtick in the box confirms, and the file is plain again.
  SetWindowTextW(Control(kPasswordEditId), L"");
  PressKeys({VK_BACK, VK_OEM_3});
  WaitForWorker();
  EXPECT_TRUE(Plain() && !Store().encrypted() && Store().password().empty());
  EXPECT_EQ(TreeBackground(), kWhite);
  EXPECT_EQ(Boxes().size(), 2u);
}

TEST_F(PasswordBox, AFailedRekeyIsSaidOnceAndKeepsTheOldKey) {
  StartWithLibrary();
  ASSERT_TRUE(SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY));
  RunCommand(kCmdMenuPassword);
  Type("secret42", false);
  AnswerNextBox(IDOK);
  RunCommand(kCmdPasswordButton);
  WaitForWorker();
  SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
  EXPECT_NE(Boxes()[0].text.find(L"read-only"), std::wstring::npos) << "the reason is given";
  EXPECT_TRUE(Plain() && Store().library_open() && !Store().encrypted() &&
              Store().password().empty());
  EXPECT_EQ(TreeBackground(), kWhite);
}

TEST_F(PasswordBox, TheBacktickIsTypedInEditorsAndIgnoredWhileBusy) {
  StartWithLibrary();
  ASSERT_TRUE(SelectFirstFile());
  HWND label = TreeView_EditLabel(g_shell.tree, TreeView_GetSelection(g_shell.tree));
  ASSERT_TRUE(label);
  PressKeys({VK_END, VK_OEM_3});
  EXPECT_EQ(WindowText(label), L"Țară`");
  TreeView_EndEditLabelNow(g_shell.tree, TRUE);
  SendMessageW(g_shell.editor1, EM_SETREADONLY, FALSE, 0);  // a page being edited
  SetFocus(g_shell.editor1);
  PressKeys({VK_END, VK_OEM_3});
  EXPECT_EQ(WindowText(g_shell.editor1), L"page`");
  EXPECT_FALSE(PasswordBoxShown());

  SetFocus(g_shell.tree);
  {
    WorkClaim claim = Store().ClaimWork();
    PressKeys({VK_OEM_3});
    EXPECT_FALSE(PasswordBoxShown());
  }
  RunCommand(kCmdMenuPassword);
  EXPECT_TRUE(Shown());
}

}  // namespace
}  // namespace lw::wintest
