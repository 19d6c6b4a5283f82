// The tree window on real library files: what the control shows, each node
// command through the window against the rows it writes, the menu's
// enablement, New library, and closing while the open worker runs.
#include <windows.h>

#include <commctrl.h>

#include <map>
#include <tuple>

#include "app/commands.h"
#include "app/shell_win.h"
#include "base/utf.h"
#include "base/wide_win.h"
#include "store/file_dialog_win.h"
#include "store/library_fixture.h"
#include "store/library_win.h"
#include "store/tree_ops.h"
#include "store/tree_view_win.h"
#include "store/tree_win.h"
#include "wintest/harness_win.h"

namespace lw::wintest {
namespace {

using lw::testing::Row;

std::wstring g_asked, g_newPath;  // the file dialog's title, and its answer

// Folders A (100) and B (200); A holds books a1 (302) and the favourite a2
// (412); a1 holds x (504) and the favourite y (614); B holds b1 (702).
// Two rows the tree cannot show: an id outside the scheme and an orphan.
const std::vector<Row> kRows = {
    {100, 0, 0, "A", std::nullopt},       {200, 0, 1, "B", std::nullopt},
    {302, 100, 0, "a1", "{\\rtf1 a1}"},    {412, 100, 1, "a2", std::nullopt},
    {504, 302, 0, "x", "{\\rtf1 page x}"}, {614, 302, 1, "y", std::nullopt},
    {702, 200, 0, "b1", std::nullopt},    {123, 0, 2, "not a node", std::nullopt},
    {804, 9900, 0, "orphan", std::nullopt}};

class TreeWindow : public AppTest {
 protected:
  int StartWith(const std::vector<Row>& rows) {
    path_ = Path("notes.db");
    lw::testing::WriteLibrary(ToU16(path_), rows);
    StartOptions o;
    o.libraryPath = path_;
    return Start(o);
  }

  // The rows as the open connection reads them, by id.
  std::map<int, Row> Rows() {
    std::map<int, Row> rows;
    Statement st = Store().db().Prepare(u"SELECT id, p, i, t FROM tab");
    while (st.Step())
      rows[st.ColumnInt(0)] = {st.ColumnInt(0), st.ColumnInt(1), st.ColumnInt(2),
                               Utf16ToUtf8(st.ColumnText16(3)), std::nullopt};
    return rows;
  }

  void Select(int id) {
    ModelItem* item = id ? Model().ItemOf(id) : Model().library_root();
    ASSERT_TRUE(item) << id;
    TreeView_SelectItem(g_shell.tree, View()->Show(item));
    Pump(10);
    ASSERT_EQ(Model().selected_id(), id);
  }

  // Types `text` into the label editor that a command opened and ends it.
  void TypeLabel(const wchar_t* text, bool cancel = false) {
    HWND edit = TreeView_GetEditControl(g_shell.tree);
    ASSERT_TRUE(edit) << "no label editor";
    SetWindowTextW(edit, text);
    TreeView_EndEditLabelNow(g_shell.tree, cancel);
    Pump(10);
  }

  std::wstring path_;
};

// The whole tree as the control shows it once everything is expanded.
std::vector<std::wstring> ExpandedTree() {
  ToggleExpandAll(Store(), Model());
  Pump(10);
  return TreeLabels(g_shell.tree);
}

TEST_F(TreeWindow, ShowsTheFileAndSkipsRowsOutsideTheTree) {
  ASSERT_EQ(StartWith(kRows), 0);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(TreeLabels(g_shell.tree),
            (std::vector<std::wstring>{L"Favorites", L"  y", L"  a2", L"notes.db", L"  A", L"  B"}));
  EXPECT_EQ(Model().selected(), Model().library_root());
  EXPECT_EQ(TreeView_GetBkColor(g_shell.tree), kTreePlain);
  wchar_t title[64] = L"";
  GetWindowTextW(g_mainWindow, title, 64);
  EXPECT_STREQ(title, L"notes.db");

  // Expanding every folder and book (the root's double click) puts their
  // children into the control.
  EXPECT_EQ(ExpandedTree(),
            (std::vector<std::wstring>{L"Favorites", L"  y", L"  a2", L"notes.db", L"  A", L"    a1",
                                       L"      x", L"      y", L"    a2", L"  B", L"    b1"}));
  // Every node item carries its id; a file's page is shown when selected.
  Select(504);
  EXPECT_EQ(TreeView_GetSelection(g_shell.tree), Model().ItemOf(504)->view_data);
  EXPECT_EQ(WindowText(g_shell.editor1), L"page x");
  // A favourites entry selects the node's own item.
  TreeView_SelectItem(g_shell.tree, Model().FavouriteEntry(614)->view_data);
  Pump(10);
  EXPECT_EQ(Model().selected(), Model().ItemOf(614));
  SaveScreenshot(g_mainWindow, "tree-with-favourites");
  EXPECT_EQ(Close(), 0);
}

// The context menu for the selected node, closed as soon as it is shown;
// the items that came up enabled, "+" marking a checked one.
std::wstring MenuFor() {
  SetCursorPos(0, 0);  // off the tree: the menu is for the selection
  SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    EndMenu();
  });
  ShowTreeMenu();
  Pump(10);
  HMENU popup = GetSubMenu(g_shell.menu, 2);
  std::wstring enabled;
  const std::pair<int, const wchar_t*> items[] = {
      {kCmdNodeCut, L"cut "},    {kCmdNodeCopy, L"copy "},      {kCmdNodePaste, L"paste "},
      {kCmdNodeDelete, L"del "}, {kCmdNewFolder, L"folder "},   {kCmdNewBook, L"book "},
      {kCmdNewFile, L"file "},   {kCmdNodeMoveUp, L"up "},      {kCmdNodeMoveDown, L"down "},
      {kCmdNodeFavorite, L"fav"}, {kCmdNodeSort, L" sort"}};
  for (const auto& [id, name] : items) {
    const UINT state = GetMenuState(popup, id, MF_BYCOMMAND);
    if (!(state & MF_GRAYED)) enabled += name;
    if (state & MF_CHECKED) enabled += L"+";
  }
  return enabled;
}

TEST_F(TreeWindow, ContextMenuFollowsTheKindOfNode) {
  ASSERT_EQ(StartWith(kRows), 0);
  Select(0);
  EXPECT_EQ(MenuFor(), L"del folder ");
  Select(100);
  EXPECT_EQ(MenuFor(), L"cut copy del book down  sort");
  Select(504);
  EXPECT_EQ(MenuFor(), L"cut copy del down fav");
  Select(614);
  EXPECT_EQ(MenuFor(), L"cut copy del up fav+");
  RunCommand(kCmdNodeCopy);
  Select(302);
  EXPECT_EQ(MenuFor(), L"cut copy paste del file down fav sort") << "a book takes the copied file";
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Close(), 0);
}

// Each node command through the window reaches its row; what the rows then
// hold in detail is TreeOpsTest.*.
TEST_F(TreeWindow, NodeCommandsWriteTheirRows) {
  ASSERT_EQ(StartWith(kRows), 0);
  // New folder under the root; its label is edited at once and the title
  // stored without quotes.
  RunCommand(kCmdNewFolder);
  TypeLabel(L"Tom's \"notes\"");
  const int folder = Model().selected_id();
  ASSERT_TRUE(IsFolder(folder));
  EXPECT_EQ(std::pair(Rows()[folder].p, Rows()[folder].title), std::pair(0, std::string("Tom_s _notes_")));
  // New book in it: the editor's text counts, confirmed or not.
  RunCommand(kCmdNewBook);
  TypeLabel(L"ignored", true);
  const int book = Model().selected_id();
  EXPECT_EQ(std::pair(Rows()[book].p, Rows()[book].title), std::pair(folder, std::string("ignored")));
  // A folder cannot take a file: the command is refused quietly.
  Select(100);
  const size_t before = Rows().size();
  RunCommand(kCmdNewFile);
  EXPECT_EQ(Rows().size(), before);

  // Copy a1 into B: a new book first in B; cut x into b1: the same id.
  Select(302);
  RunCommand(kCmdNodeCopy);
  Select(200);
  RunCommand(kCmdNodePaste);
  const ModelItem* copy = Model().selected();
  ASSERT_TRUE(copy && copy->id() != 302 && copy->child_count() == 2);
  EXPECT_EQ(std::tuple(Rows()[copy->id()].p, Rows()[copy->id()].i, Rows()[702].i), std::tuple(200, 0, 1));
  Select(504);
  RunCommand(kCmdNodeCut);
  Select(702);
  RunCommand(kCmdNodePaste);
  EXPECT_EQ(Rows()[504].p, 702);
  // Favourite b1: id + 10, its files follow.
  Select(702);
  RunCommand(kCmdNodeFavorite);
  EXPECT_EQ(std::pair(Rows().count(702), Rows()[504].p), std::pair(size_t{0}, 712));
  EXPECT_TRUE(Model().FavouriteEntry(712));

  // Delete folder A after the question; its favourite a2 leaves the list.
  Select(100);
  AnswerNextBox(IDYES);
  RunCommand(kCmdNodeDelete);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].text, L"Are you sure you want to delete the node:  'A' ?");
  EXPECT_EQ(Rows().count(100) + Rows().count(302) + Rows().count(412) + Rows().count(614), 0u);
  EXPECT_FALSE(Model().FavouriteEntry(412));
  EXPECT_EQ(Rows()[200].i, 0) << "the remaining folders are renumbered";
  EXPECT_EQ(Close(), 0);
}

TEST_F(TreeWindow, MoveSortAndDeleteAll) {
  ASSERT_EQ(StartWith({{100, 0, 0, "F", {}}, {202, 100, 0, "b", {}}, {302, 100, 1, "A", {}}, {402, 100, 2, "c", {}}}),
            0);
  Select(402);
  RunCommand(kCmdMoveNodeUp);
  EXPECT_EQ(std::pair(Rows()[402].i, Rows()[302].i), std::pair(1, 2));
  Select(100);
  RunCommand(kCmdNodeSort);
  EXPECT_EQ(std::tuple(Rows()[302].i, Rows()[202].i, Rows()[402].i), std::tuple(0, 1, 2));
  EXPECT_EQ(ExpandedTree(),
            (std::vector<std::wstring>{L"Favorites", L"notes.db", L"  F", L"    A", L"    b", L"    c"}));
  // The library root: message 39, then an empty library with both roots.
  Select(0);
  AnswerNextBox(IDNO);
  RunCommand(kCmdNodeDelete);
  EXPECT_EQ(Rows().size(), 4u) << "No changes nothing";
  AnswerNextBox(IDYES);
  RunCommand(kCmdNodeDelete);
  EXPECT_EQ(Boxes().back().text, L"Are you sure you want to delete all nodes\nfrom this db file ?");
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(TreeLabels(g_shell.tree), (std::vector<std::wstring>{L"Favorites", L"notes.db"}));
  EXPECT_EQ(Close(), 0);
}

TEST_F(TreeWindow, NewLibraryAndCloseWhileOpening) {
  ASSERT_EQ(StartWith({}), 0);
  SetFileDialogForTest([](const FileDialogRequest& request) {
    g_asked = request.title;
    return FileDialogResult{FileDialogResult::Answer::kChosen, g_newPath, 0};
  });
  g_newPath = Path("fresh.db");
  RunCommand(kCmdNewLibrary);
  SetFileDialogForTest(nullptr);
  EXPECT_EQ(g_asked, L"New db file");
  EXPECT_EQ(Store().current_path(), ToU16(Path("fresh.db")));
  EXPECT_EQ(TreeLabels(g_shell.tree), (std::vector<std::wstring>{L"Favorites", L"fresh.db"}));
  EXPECT_EQ(Model().selected(), Model().library_root());
  EXPECT_TRUE(Rows().empty());

  // A library large enough that its worker is still reading when the
  // close arrives: the close is refused with message 33.
  std::vector<Row> many;
  for (int f = 1; f <= 20000; ++f) many.push_back({f * 100, 0, f, "folder", std::nullopt});
  lw::testing::WriteLibrary(ToU16(Path("big.db")), many);
  OpenLibraryPath(ToU16(Path("big.db")));
  AnswerNextBox(IDOK);
  EXPECT_EQ(CloseApplication(), 1);
  EXPECT_EQ(Boxes().back().text, L"Internal process running, please wait !");
  WaitForWorker();
  EXPECT_EQ(Model().library_root()->child_count(), 20000u);
  EXPECT_EQ(Close(), 0);
}

}  // namespace
}  // namespace lw::wintest
