#include "store/tree_view_win.h"

#include <string>
#include <vector>

#include "res/resource.h"

namespace lw {

// Marks the view's own changes of the control for the whole of a scope.
class TreeView::Sync {
 public:
  explicit Sync(TreeView& view) : view_(view) { ++view_.sync_depth_; }
  ~Sync() { --view_.sync_depth_; }
  Sync(const Sync&) = delete;
  Sync& operator=(const Sync&) = delete;

 private:
  TreeView& view_;
};

namespace {

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

TreeView::TreeView(HWND tree, TreeModel& model) : tree_(tree), model_(model) {
  // The eight 16 x 16 images of bitmap 777; the top-left pixel is the mask
  // colour.
  images_ = ImageList_LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_TREE_IMAGES), 16,
                                 8, CLR_DEFAULT, IMAGE_BITMAP, LR_CREATEDIBSECTION);
  TreeView_SetImageList(tree_, images_, TVSIL_NORMAL);
  TreeView_SetItemHeight(tree_, 19);
  TreeView_SetUnicodeFormat(tree_, TRUE);
  SetTint(false);
}

TreeView::~TreeView() {
  if (attached_) model_.SetObserver(nullptr);
  if (IsWindow(tree_)) TreeView_SetImageList(tree_, nullptr, TVSIL_NORMAL);
  if (images_) ImageList_Destroy(images_);
}

void TreeView::Detach() {
  model_.SetObserver(nullptr);
  attached_ = false;
  Sync sync(*this);
  items_.clear();
  filled_.clear();
  TreeView_DeleteAllItems(tree_);
}

void TreeView::Attach() {
  attached_ = true;
  model_.SetObserver(this);
  Rebuild();
}

void TreeView::SetTint(bool enciphered) {
  TreeView_SetBkColor(tree_, enciphered ? kTreeEnciphered : kTreePlain);
  InvalidateRect(tree_, nullptr, TRUE);
}

ModelItem* TreeView::ItemOf(HTREEITEM handle) const {
  const auto it = items_.find(handle);
  return it == items_.end() ? nullptr : it->second;
}

HTREEITEM TreeView::HandleOf(const ModelItem* item) const {
  return item ? static_cast<HTREEITEM>(item->view_data) : nullptr;
}

HTREEITEM TreeView::Show(const ModelItem* item) {
  if (!item || !attached_) return nullptr;
  if (HTREEITEM handle = HandleOf(item)) return handle;
  if (!item->parent() || !Show(item->parent())) return nullptr;
  FillChildren(*item->parent());
  return HandleOf(item);
}

HTREEITEM TreeView::Insert(const ModelItem& item, HTREEITEM parent, HTREEITEM after) {
  std::wstring text = Wide(item.text());
  const ItemImages images = item.images();
  TVINSERTSTRUCTW ins{};
  ins.hParent = parent;
  ins.hInsertAfter = after;
  TVITEMEXW& tv = ins.itemex;
  tv.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_EXPANDEDIMAGE |
            TVIF_CHILDREN | TVIF_STATE;
  tv.pszText = text.data();
  tv.lParam = item.id();
  tv.iImage = images.normal;
  tv.iSelectedImage = images.selected;
  tv.iExpandedImage = images.expanded;
  tv.cChildren = item.child_count() > 0 ? 1 : 0;
  tv.stateMask = TVIS_CUT;
  tv.state = item.cut_look() ? TVIS_CUT : 0;
  Sync sync(*this);
  HTREEITEM handle = TreeView_InsertItem(tree_, &ins);
  if (handle) {
    const_cast<ModelItem&>(item).view_data = handle;
    items_[handle] = const_cast<ModelItem*>(&item);
  }
  return handle;
}

void TreeView::FillChildren(const ModelItem& item) {
  HTREEITEM parent = HandleOf(&item);
  if (!parent || !filled_.insert(&item).second) return;
  HTREEITEM after = TVI_FIRST;
  for (const ModelItem& child : item.children()) {
    if (HTREEITEM shown = HandleOf(&child)) {
      after = shown;
      continue;
    }
    if (HTREEITEM handle = Insert(child, parent, after)) after = handle;
  }
}

// Fills `item`'s children when the model shows it expanded, and so on down.
void TreeView::FillExpanded(const ModelItem& item) {
  if (!item.expanded()) return;
  FillChildren(item);
  for (const ModelItem& child : item.children()) FillExpanded(child);
  Sync sync(*this);
  TreeView_Expand(tree_, HandleOf(&item), TVE_EXPAND);
}

void TreeView::Rebuild() {
  Sync sync(*this);
  SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
  items_.clear();
  filled_.clear();
  TreeView_DeleteAllItems(tree_);
  // Handles of an earlier control content must not survive in the model.
  std::vector<ModelItem*> stack;
  for (ModelItem* root : {model_.favourites_root(), model_.library_root()})
    if (root) stack.push_back(root);
  while (!stack.empty()) {
    ModelItem* at = stack.back();
    stack.pop_back();
    at->view_data = nullptr;
    for (const ModelItem& child : at->children()) stack.push_back(const_cast<ModelItem*>(&child));
  }
  HTREEITEM after = TVI_FIRST;
  for (ModelItem* root : {model_.favourites_root(), model_.library_root()}) {
    if (!root) continue;
    after = Insert(*root, TVI_ROOT, after);
    FillExpanded(*root);
  }
  SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
  SelectionChanged(model_.selected());
  InvalidateRect(tree_, nullptr, TRUE);
}

void TreeView::Forget(const ModelItem& item) {
  std::vector<const ModelItem*> stack{&item};
  while (!stack.empty()) {
    const ModelItem* at = stack.back();
    stack.pop_back();
    if (HTREEITEM handle = HandleOf(at)) items_.erase(handle);
    const_cast<ModelItem*>(at)->view_data = nullptr;
    filled_.erase(at);
    for (const ModelItem& child : at->children()) stack.push_back(&child);
  }
}

void TreeView::SetChildFlag(const ModelItem& parent, bool has_children) {
  HTREEITEM handle = HandleOf(&parent);
  if (!handle) return;
  TVITEMW tv{};
  tv.mask = TVIF_CHILDREN;
  tv.hItem = handle;
  tv.cChildren = has_children ? 1 : 0;
  Sync sync(*this);
  TreeView_SetItem(tree_, &tv);
}

void TreeView::TreeReloaded() { Rebuild(); }

void TreeView::ItemAdded(const ModelItem& item) {
  const ModelItem* parent = item.parent();
  HTREEITEM parent_handle = parent ? HandleOf(parent) : TVI_ROOT;
  if (!parent_handle) return;
  if (parent && !filled_.count(parent)) {
    // The control learns of the child when the parent is opened.
    SetChildFlag(*parent, true);
    return;
  }
  const ModelItem* previous = item.prev_sibling();
  HTREEITEM after = previous && HandleOf(previous) ? HandleOf(previous) : TVI_FIRST;
  if (Insert(item, parent_handle, after)) filled_.insert(&item);  // its children follow
}

void TreeView::ItemRemoving(const ModelItem& item) {
  HTREEITEM handle = HandleOf(&item);
  const ModelItem* parent = item.parent();
  Forget(item);
  Sync sync(*this);
  if (handle) TreeView_DeleteItem(tree_, handle);
  if (parent && !filled_.count(parent)) SetChildFlag(*parent, parent->child_count() > 1);
}

void TreeView::ApplyExpanded(const ModelItem& item) {
  HTREEITEM handle = HandleOf(&item);
  if (!handle) return;
  const bool shown = (TreeView_GetItemState(tree_, handle, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  if (shown == item.expanded()) return;
  if (item.expanded()) FillChildren(item);
  Sync sync(*this);
  TreeView_Expand(tree_, handle, item.expanded() ? TVE_EXPAND : TVE_COLLAPSE);
}

void TreeView::ItemChanged(const ModelItem& item) {
  HTREEITEM handle = HandleOf(&item);
  if (!handle) return;
  std::wstring text = Wide(item.text());
  const ItemImages images = item.images();
  TVITEMEXW tv{};
  tv.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_EXPANDEDIMAGE | TVIF_STATE;
  tv.hItem = handle;
  tv.pszText = text.data();
  tv.lParam = item.id();
  tv.iImage = images.normal;
  tv.iSelectedImage = images.selected;
  tv.iExpandedImage = images.expanded;
  tv.stateMask = TVIS_CUT;
  tv.state = item.cut_look() ? TVIS_CUT : 0;
  {
    Sync sync(*this);
    SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  }
  ApplyExpanded(item);
}

namespace {

int CALLBACK ByModelPosition(LPARAM a, LPARAM b, LPARAM positions) {
  const auto& at = *reinterpret_cast<const std::unordered_map<LPARAM, int>*>(positions);
  const auto pa = at.find(a);
  const auto pb = at.find(b);
  const int x = pa == at.end() ? 0 : pa->second;
  const int y = pb == at.end() ? 0 : pb->second;
  return x < y ? -1 : (x > y ? 1 : 0);
}

}  // namespace

void TreeView::ChildrenReordered(const ModelItem& parent) {
  HTREEITEM handle = HandleOf(&parent);
  if (!handle || !filled_.count(&parent)) return;
  // Siblings carry distinct ids, so the item data tells them apart.
  std::unordered_map<LPARAM, int> positions;
  int k = 0;
  for (const ModelItem& child : parent.children()) positions[child.id()] = k++;
  TVSORTCB sort{};
  sort.hParent = handle;
  sort.lpfnCompare = ByModelPosition;
  sort.lParam = reinterpret_cast<LPARAM>(&positions);
  Sync sync(*this);
  TreeView_SortChildrenCB(tree_, &sort, FALSE);
}

void TreeView::SelectionChanged(const ModelItem* selected) {
  HTREEITEM handle = Show(selected);
  Sync sync(*this);
  TreeView_SelectItem(tree_, handle);
  if (handle) TreeView_EnsureVisible(tree_, handle);
}

void TreeView::OnExpanding(HTREEITEM handle) {
  if (ModelItem* item = ItemOf(handle)) FillChildren(*item);
}

void TreeView::OnExpanded(HTREEITEM handle, bool expanded) {
  ModelItem* item = ItemOf(handle);
  if (!item) return;
  Sync sync(*this);
  model_.SetExpanded(item, expanded);
}

LRESULT TreeView::OnCustomDraw(NMTVCUSTOMDRAW* draw) const {
  switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
      return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
      const ModelItem* item = ItemOf(reinterpret_cast<HTREEITEM>(draw->nmcd.dwItemSpec));
      const bool second = item && item->is_node() && item->id() != 0 &&
                          item->id() == model_.second_pane_id();
      if (draw->nmcd.uItemState & CDIS_SELECTED) {
        draw->clrTextBk = GetSysColor(COLOR_HIGHLIGHT);
        draw->clrText = second ? kSecondPaneText : RGB(255, 255, 255);
      } else if (second) {
        draw->clrText = kSecondPaneText;
      }
      return CDRF_DODEFAULT;
    }
  }
  return CDRF_DODEFAULT;
}

}  // namespace lw
