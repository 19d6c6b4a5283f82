// The Search Node window over a running application with a small library.
#include "store/search_node_win.h"

#include <commctrl.h>

#include "app/settings_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/tree_ops.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

using Labels = std::vector<std::wstring>;

class SearchNode : public AppTest {
 protected:
  // Starts with a library of a folder, a book and six files (one untitled)
  // and shows the window.
  void StartWithLibrary() {
    const std::wstring path = Path("titles.db");
    lw::testing::WriteLibrary(ToU16(path),
                              {{100, 0, 0, "Books", {}},  {202, 100, 0, "BOOK two", {}},
                               {304, 202, 0, "notebook", {}}, {404, 202, 1, "Țară", {}},
                               {504, 202, 2, "țară", {}},  {604, 202, 3, "Ana's", {}},
                               {704, 202, 4, "50% off", {}}, {804, 202, 5, "", {}}});
    StartOptions options;
    options.libraryPath = path;
    ASSERT_EQ(Start(options), 0);
    WaitForWorker();
    ASSERT_TRUE(Store().library_open());
    window_ = SearchNodeWindow();
    ASSERT_TRUE(window_) << "the window is made when the language is applied";
    hits_ = GetDlgItem(window_, kSearchTreeId);
  }
  Labels Type(const wchar_t* text) {
    SetDlgItemTextW(window_, kSearchEditId, text);
    return TreeLabels(hits_);
  }
  static std::wstring ToolTipOf(HWND window) {
    HWND tip = nullptr;
    do tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr);
    while (tip && GetWindow(tip, GW_OWNER) != window);
    wchar_t text[80] = L"";
    TOOLINFOW ti{sizeof ti, 0, window, reinterpret_cast<UINT_PTR>(GetDlgItem(window, kSearchEditId))};
    ti.lpszText = text;
    if (tip) SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&ti));
    return text;
  }
  HWND window_ = nullptr;
  HWND hits_ = nullptr;
};

TEST_F(SearchNode, ListsTheTitlesThatContainTheTypedTextAndGoesToAHit) {
  ASSERT_NO_FATAL_FAILURE(StartWithLibrary());
  ShowSearchNode();
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_EQ(GetFocus(), GetDlgItem(window_, kSearchEditId));

  EXPECT_EQ(Type(L"boo"), (Labels{L"Books", L"BOOK two", L"notebook"}));
  SaveScreenshot(window_, "search-node-en");
  EXPECT_EQ(Type(L"%"),
            (Labels{L"Books", L"BOOK two", L"notebook", L"Țară", L"țară", L"Ana's", L"50% off", L""}));
  EXPECT_EQ(Type(L"_"),
            (Labels{L"Books", L"BOOK two", L"notebook", L"Țară", L"țară", L"Ana's", L"50% off"}));
  EXPECT_EQ(Type(L"'"), Labels{L"Ana's"});
  EXPECT_EQ(Type(L"no such title"), Labels{});
  EXPECT_EQ(Type(L""), Labels{});

  // A chosen hit selects its node in the main tree; a hit whose node went
  // since the search clears the selection.
  ASSERT_EQ(Type(L"ară"), (Labels{L"Țară", L"țară"}));
  HTREEITEM first = TreeView_GetRoot(hits_), second = TreeView_GetNextSibling(hits_, first);
  TVITEMW item{TVIF_PARAM | TVIF_IMAGE, second};
  TreeView_GetItem(hits_, &item);
  EXPECT_EQ(item.lParam, 504);
  EXPECT_EQ(item.iImage, 0);
  TreeView_SelectItem(hits_, first);
  EXPECT_EQ(Model().selected_id(), 404);
  SelectItem(Store(), Model(), Model().ItemOf(504));
  DeleteSelected(Store(), Model());
  TreeView_SelectItem(hits_, second);
  EXPECT_EQ(Model().selected(), nullptr);

  // While a worker holds the library the window ignores the user.
  {
    WorkClaim claim = Store().ClaimWork();
    EXPECT_EQ(Type(L"boo"), (Labels{L"Țară", L"țară"}));
    SendMessageW(window_, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindowVisible(window_));
  }

  // Escape, as the message loop hands it to the window, hides and empties it.
  ASSERT_EQ(Type(L"Books"), Labels{L"Books"});
  MSG escape{GetDlgItem(window_, kSearchEditId), WM_KEYDOWN, VK_ESCAPE, 0};
  EXPECT_TRUE(IsDialogMessageW(window_, &escape));
  EXPECT_FALSE(IsWindowVisible(window_));
  EXPECT_EQ(GetWindowTextLengthW(GetDlgItem(window_, kSearchEditId)), 0);
  EXPECT_EQ(TreeLabels(hits_), Labels{});
  EXPECT_TRUE(Boxes().empty()) << Boxes().front().text;
}

TEST_F(SearchNode, IsBuiltInTheInterfaceLanguageAndRefusedWithoutALibrary) {
  StartOptions options;
  options.makeDemoOnFirstRun = false;
  ASSERT_EQ(Start(options), 0);
  const int language = g_settings.language;
  for (int lang : {409, 418}) {
    g_settings.language = lang;
    CreateSearchNodeWindow();
    HWND window = SearchNodeWindow();
    ASSERT_TRUE(window);
    wchar_t caption[40] = L"";
    GetWindowTextW(window, caption, 40);
    EXPECT_STREQ(caption, lang == 409 ? L"Search Node (Ctrl+F)" : L"Căutare Nod (Ctrl+F)");
    EXPECT_EQ(ToolTipOf(window), lang == 409 ? L"Case sensitive search for unicode chars!"
                                             : L"Căutare sensibilă la caracterele unicode!");
    HWND edit = GetDlgItem(window, kSearchEditId);
    EXPECT_EQ(SendMessageW(edit, EM_GETLIMITTEXT, 0, 0), kSearchTextLimit);
    EXPECT_EQ(TreeView_GetItemHeight(GetDlgItem(window, kSearchTreeId)), 19);
    ShowSearchNode();  // no library is open
    EXPECT_FALSE(IsWindowVisible(window));
  }
  g_settings.language = language;
}

}  // namespace
}  // namespace lw::wintest
