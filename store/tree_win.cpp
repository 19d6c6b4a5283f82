#include "store/tree_win.h"

#include <shellapi.h>

#include <optional>
#include <string>

#include "app/app_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "editor/pane_win.h"
#include "store/library_win.h"
#include "store/tree_ops.h"
#include "store/tree_view_win.h"

namespace lw {

namespace {

constexpr UINT_PTR kTreeSubclass = 333;
constexpr int kLabelLimit = 45;

bool Syncing() { return !View() || View()->syncing(); }

ModelItem* ItemOf(HTREEITEM handle) { return View() ? View()->ItemOf(handle) : nullptr; }

bool CtrlHeld() { return GetKeyState(VK_CONTROL) < 0; }

// What every operation leaves to the window: messages, the page, the focus.
void Apply(const OpResult& result) {
  if (result.node_limit) ShowLocalMessage(g_mainWindow, UiLanguage(), 24, MB_ICONINFORMATION);
  if (result.close_second_pane) CloseSecondPane();
  if (result.selection_changed) ShowShownPage(result.page);
  SetFocus(g_shell.tree);
}

// The enablement table for the selected item, as the context menu shows it.
std::optional<MenuState> SelectedMenuState() {
  const std::optional<MenuFacts> facts = ContextMenuFacts(Store(), Model(), Model().selected());
  if (!facts) return std::nullopt;
  return ContextMenuState(*facts);
}

bool Enabled(int id) {
  const std::optional<MenuState> s = SelectedMenuState();
  if (!s) return false;
  switch (id) {
    case kCmdNodeCut: return s->cut;
    case kCmdNodeCopy: return s->copy;
    case kCmdNodePaste: return s->paste;
    case kCmdNodeDelete: return s->del;
    case kCmdNewFolder: return s->new_folder;
    case kCmdNewBook: return s->new_book;
    case kCmdNewFile: return s->new_file;
    case kCmdMoveNodeUp:
    case kCmdNodeMoveUp: return s->move_up;
    case kCmdMoveNodeDown:
    case kCmdNodeMoveDown: return s->move_down;
    case kCmdNodeFavorite: return s->favourite;
    case kCmdNodeSort: return s->sort;
  }
  return false;
}

void EditLabelOf(const ModelItem* item) {
  HTREEITEM handle = View() ? View()->Show(item) : nullptr;
  if (!handle) return;
  SetFocus(g_shell.tree);
  TreeView_EnsureVisible(g_shell.tree, handle);
  TreeView_EditLabel(g_shell.tree, handle);
}

void NewChild() {
  const OpResult result = NewChildOfSelection(Store(), Model());
  Apply(result);
  if (result.item) EditLabelOf(result.item);
}

// Alt+N reaches the control as a system key, which it does not report.
LRESULT CALLBACK TreeKeys(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
  if (msg == WM_SYSKEYDOWN && wp == 'N' && !Store().busy()) {
    NewChild();
    return 0;
  }
  if (msg == WM_SYSCHAR && (wp == 'n' || wp == 'N')) return 0;  // no beep
  return DefSubclassProc(hwnd, msg, wp, lp);
}

// --- Notifications ---------------------------------------------------------------

LRESULT OnSelChanging(const NMTREEVIEWW* tv) {
  if (Syncing()) return FALSE;
  if (!CanChangeSelection(Store(), Model(), ItemOf(tv->itemNew.hItem))) return TRUE;
  return SaveModifiedPages() ? FALSE : TRUE;
}

void OnSelChanged(const NMTREEVIEWW* tv) {
  if (Syncing()) return;
  ShowShownPage(SelectItem(Store(), Model(), ItemOf(tv->itemNew.hItem)));
}

LRESULT OnBeginLabelEdit(const NMTVDISPINFOW* info) {
  if (!CanEditLabel(Store(), ItemOf(info->item.hItem), CtrlHeld())) return TRUE;
  if (HWND edit = TreeView_GetEditControl(g_shell.tree))
    SendMessageW(edit, EM_LIMITTEXT, kLabelLimit, 0);
  return FALSE;
}

// The label's text, confirmed or not, becomes the title.
void OnEndLabelEdit(const NMTVDISPINFOW* info) {
  ModelItem* item = ItemOf(info->item.hItem);
  if (!item) return;
  std::wstring typed;
  if (info->item.pszText) {
    typed = info->item.pszText;
  } else if (HWND edit = TreeView_GetEditControl(g_shell.tree)) {
    typed.resize(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1);
    typed.resize(static_cast<size_t>(GetWindowTextW(edit, typed.data(), static_cast<int>(typed.size()))));
  } else {
    typed = ToWide(item->text());
  }
  if (typed != ToWide(item->text()) && !SaveModifiedPages()) return;
  const RenameResult result = RenameNode(Store(), Model(), item, ToU16(typed));
  ApplyReadOnlyRule(item->id(), ToWide(item->text()));
  if (result.selection_changed) ShowShownPage(result.page);
}

LRESULT OnExpanding(const NMTREEVIEWW* tv) {
  if (Syncing()) return FALSE;
  if (Store().busy()) return TRUE;
  if (tv->action & TVE_COLLAPSE) return CanCollapse(Model()) ? FALSE : TRUE;
  View()->OnExpanding(tv->itemNew.hItem);
  return FALSE;
}

// The item under the cursor, when the cursor is on its icon or label.
ModelItem* ItemAtCursor() {
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(g_shell.tree, &pt);
  TVHITTESTINFO hit{};
  hit.pt = pt;
  HTREEITEM handle = TreeView_HitTest(g_shell.tree, &hit);
  return handle && (hit.flags & (TVHT_ONITEMICON | TVHT_ONITEMLABEL)) ? ItemOf(handle) : nullptr;
}

void ShowFileProperties() {
  const std::wstring path = ToWide(Store().current_path());
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.hwnd = g_mainWindow;
  info.lpVerb = L"properties";
  info.lpFile = path.c_str();
  info.nShow = SW_SHOW;
  ShellExecuteExW(&info);
}

// Ctrl+click: a node opens in the second pane; the root shows the file's
// properties.
bool OnCtrlClick() {
  if (!CtrlHeld() || Store().busy()) return false;
  ModelItem* item = ItemAtCursor();
  if (!item) return false;
  if (item->role() == ItemRole::kLibraryRoot) {
    ShowFileProperties();
    return true;
  }
  if (!item->is_node() || !SaveModifiedPages()) return false;
  if (ShowInSecondPane(Model(), item)) ShowNodeInSecondPane(item->id());
  return true;
}

void OnDoubleClick() {
  ModelItem* item = ItemAtCursor();
  if (item && item->role() == ItemRole::kLibraryRoot) ToggleExpandAll(Store(), Model());
}

}  // namespace

void StartTreeWindow(HWND tree) { SetWindowSubclass(tree, TreeKeys, kTreeSubclass, 0); }

LRESULT OnTreeNotify(NMHDR* nm) {
  switch (nm->code) {
    case TVN_SELCHANGINGW: return OnSelChanging(reinterpret_cast<NMTREEVIEWW*>(nm));
    case TVN_SELCHANGEDW: OnSelChanged(reinterpret_cast<NMTREEVIEWW*>(nm)); return 0;
    case TVN_BEGINLABELEDITW: return OnBeginLabelEdit(reinterpret_cast<NMTVDISPINFOW*>(nm));
    case TVN_ENDLABELEDITW: OnEndLabelEdit(reinterpret_cast<NMTVDISPINFOW*>(nm)); return FALSE;
    case TVN_ITEMEXPANDINGW: return OnExpanding(reinterpret_cast<NMTREEVIEWW*>(nm));
    case TVN_ITEMEXPANDEDW: {
      auto* tv = reinterpret_cast<NMTREEVIEWW*>(nm);
      if (!Syncing()) View()->OnExpanded(tv->itemNew.hItem, (tv->action & TVE_EXPAND) != 0);
      return 0;
    }
    case TVN_KEYDOWN:
      if (reinterpret_cast<NMTVKEYDOWN*>(nm)->wVKey == VK_DELETE) RunCommand(kCmdNodeDelete);
      return 0;
    case NM_CLICK: return OnCtrlClick() ? TRUE : FALSE;
    case NM_DBLCLK: OnDoubleClick(); return 0;
    case NM_RCLICK: ShowTreeMenu(); return TRUE;
    case NM_CUSTOMDRAW:
      return View() ? View()->OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(nm)) : CDRF_DODEFAULT;
  }
  return 0;
}

void ShowTreeMenu() {
  if (Store().busy() || !Store().library_open() || !View()) return;
  POINT at;
  GetCursorPos(&at);
  POINT client = at;
  ScreenToClient(g_shell.tree, &client);
  TVHITTESTINFO hit{};
  hit.pt = client;
  HTREEITEM handle = TreeView_HitTest(g_shell.tree, &hit);
  ModelItem* target = ContextMenuTarget(Model(), (hit.flags & TVHT_ONITEM) ? ItemOf(handle) : nullptr);
  // The clicked item is selected first, as a click would select it.
  if (target && target != Model().selected()) TreeView_SelectItem(g_shell.tree, View()->Show(target));
  if (target != Model().selected()) return;
  const std::optional<MenuState> s = SelectedMenuState();
  HMENU popup = GetSubMenu(g_shell.menu, 2);
  if (!s || !popup) return;
  const std::pair<int, bool> items[] = {
      {kCmdNodeCut, s->cut},           {kCmdNodeCopy, s->copy},         {kCmdNodePaste, s->paste},
      {kCmdNodeDelete, s->del},        {kCmdNewFolder, s->new_folder},  {kCmdNewBook, s->new_book},
      {kCmdNewFile, s->new_file},      {kCmdNodeMoveUp, s->move_up},    {kCmdNodeMoveDown, s->move_down},
      {kCmdNodeFavorite, s->favourite}, {kCmdNodeSort, s->sort}};
  for (const auto& [id, on] : items) EnableMenuItem(popup, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  CheckMenuItem(popup, kCmdNodeFavorite, MF_BYCOMMAND | (s->favourite_checked ? MF_CHECKED : MF_UNCHECKED));
  TrackPopupMenu(popup, TPM_LEFTALIGN, at.x, at.y, 0, g_mainWindow, nullptr);
}

// --- Commands --------------------------------------------------------------------

void NodeClipboardCommand(int id) {
  if (!Enabled(id)) return;
  if (id == kCmdNodePaste) {
    if (!SaveModifiedPages()) return;
    Apply(Paste(Store(), Model()));
    return;
  }
  if (!SaveModifiedPages()) return;
  Apply(id == kCmdNodeCut ? CutSelected(Store(), Model()) : CopySelected(Store(), Model()));
}

void DeleteNodeCommand(int id) {
  if (!Enabled(id)) return;
  const ModelItem* selected = Model().selected();
  const std::wstring question =
      selected->role() == ItemRole::kLibraryRoot
          ? LoadMessage(UiLanguage(), 39)
          : ToWide(DeleteQuestion(ToU16(LoadMessage(UiLanguage(), 23)), selected->text()));
  if (ShowMessage(g_mainWindow, question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  if (!SaveModifiedPages()) return;
  Apply(DeleteSelected(Store(), Model()));
}

void NewNodeCommand(int id) {
  if (!Enabled(id)) return;
  const NodeKind kind = id == kCmdNewFolder ? NodeKind::kFolder
                        : id == kCmdNewBook ? NodeKind::kBook
                                            : NodeKind::kFile;
  const OpResult result = NewNode(Store(), Model(), kind);
  Apply(result);
  if (result.item) EditLabelOf(result.item);
}

void MoveNodeCommand(int id) {
  if (!Enabled(id) || !SaveModifiedPages()) return;
  const bool up = id == kCmdMoveNodeUp || id == kCmdNodeMoveUp;
  Apply(MoveSelected(Store(), Model(), up ? MoveDirection::kUp : MoveDirection::kDown));
}

void FavouriteCommand(int id) {
  if (!Enabled(id) || !SaveModifiedPages()) return;
  Apply(ToggleFavourite(Store(), Model()));
}

void SortCommand(int id) {
  if (!Enabled(id)) return;
  Apply(SortSelected(Store(), Model()));
}

void RenameNodeCommand(int) {
  if (GetFocus() != g_shell.tree || Store().busy()) return;
  const ModelItem* item = Model().selected();
  if (item && (item->is_node() || item->role() == ItemRole::kFavouriteEntry)) EditLabelOf(item);
}

int TreeCommandForKey(int command) {
  if (!g_shell.tree || GetFocus() != g_shell.tree) return 0;
  const ModelItem* item = Model().selected();
  const bool book_or_file = item && item->is_node() && !IsFolder(item->id());
  switch (command) {
    case kCmdCut: return book_or_file ? kCmdNodeCut : -1;
    case kCmdCopy: return book_or_file ? kCmdNodeCopy : -1;
    case kCmdPaste: return kCmdNodePaste;
    // Find, F3, Shift+F3 and F4 search the nodes' titles.
    case kCmdFind:
    case kCmdFindNext:
    case kCmdFindPrevious: return kTreeSearchesNodes;
  }
  return 0;
}

}  // namespace lw
