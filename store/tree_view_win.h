// The tree control (child 333) as a view of the TreeModel.
//
// The view mirrors the model's items, selection, expanded state, cut look
// and favourites entries; it keeps no data of its own beyond the control's
// handles. Children are put into the control when their parent is expanded
// (or one of them must be shown, selected or edited), so showing a library
// costs what the visible part of the tree costs, however many files its
// books hold: a collapsed item only tells the control whether it has
// children.
//
// While a worker owns the library the view is detached: the control is
// empty and the model announces nothing to it, so the worker never talks
// to the window; attaching again rebuilds the control from the model on
// the user-interface thread.
//
// Every change the view makes to the control happens inside a sync; the
// window ignores the control's notifications meanwhile (`syncing`), so a
// change that comes from the model never turns into a command.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <unordered_map>
#include <unordered_set>

#include "store/tree_model.h"

namespace lw {

class TreeView : public TreeObserver {
 public:
  TreeView(HWND tree, TreeModel& model);
  ~TreeView() override;
  TreeView(const TreeView&) = delete;
  TreeView& operator=(const TreeView&) = delete;

  HWND window() const { return tree_; }
  bool attached() const { return attached_; }
  bool syncing() const { return sync_depth_ > 0; }

  // Stops the model's announcements and empties the control.
  void Detach();
  // Announcements again, and the control rebuilt from the model.
  void Attach();

  // The model item behind a control item, or nullptr.
  ModelItem* ItemOf(HTREEITEM handle) const;
  // The control item of `item`, put into the control (with its ancestors'
  // children) when it is not there yet; nullptr for nothing.
  HTREEITEM Show(const ModelItem* item);

  // The background: pale for an enciphered library, white otherwise.
  void SetTint(bool enciphered);

  // Notification helpers for the window. Expanding fills the children;
  // expanded records the state in the model.
  void OnExpanding(HTREEITEM handle);
  void OnExpanded(HTREEITEM handle, bool expanded);
  // Custom draw: the node of the second page pane in orange, selections on
  // the highlight colour.
  LRESULT OnCustomDraw(NMTVCUSTOMDRAW* draw) const;

  // TreeObserver
  void TreeReloaded() override;
  void ItemAdded(const ModelItem& item) override;
  void ItemRemoving(const ModelItem& item) override;
  void ItemChanged(const ModelItem& item) override;
  void ChildrenReordered(const ModelItem& parent) override;
  void SelectionChanged(const ModelItem* selected) override;

 private:
  class Sync;
  HTREEITEM HandleOf(const ModelItem* item) const;
  HTREEITEM Insert(const ModelItem& item, HTREEITEM parent, HTREEITEM after);
  void FillChildren(const ModelItem& item);
  void FillExpanded(const ModelItem& item);
  void Forget(const ModelItem& item);
  void SetChildFlag(const ModelItem& parent, bool has_children);
  void ApplyExpanded(const ModelItem& item);
  void Rebuild();

  HWND tree_;
  TreeModel& model_;
  HIMAGELIST images_ = nullptr;
  bool attached_ = false;
  int sync_depth_ = 0;
  std::unordered_map<HTREEITEM, ModelItem*> items_;
  std::unordered_set<const ModelItem*> filled_;
};

// The tints of the tree's background.
inline constexpr COLORREF kTreePlain = RGB(255, 255, 255);
inline constexpr COLORREF kTreeEnciphered = RGB(255, 250, 255);
// The text colour of the second pane's node.
inline constexpr COLORREF kSecondPaneText = RGB(255, 155, 0);

}  // namespace lw
