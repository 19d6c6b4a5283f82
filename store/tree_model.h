// What the node tree shows, held apart from any window.
//
// Two top-level items, the favourites root and the library root; one item per
// node under the library root (folders, their books, the books' files); and
// under the favourites root one entry per favourite book or file. Beside the
// items the model keeps the selection, the tree clipboard (a cut or a copied
// item), the node shown in the second page pane, the expand-all flag and the
// node index.
//
// The model holds no connection: the tree operations (tree_ops.h) change the
// rows and then the model. The tree view mirrors the model through a
// TreeObserver; it never owns the data.
//
// Threads: the model is changed by one thread at a time. The open worker
// fills it while the busy flag keeps the user-interface thread away, and
// announces the new tree with one TreeReloaded when it is done.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/node_id.h"
#include "store/node_index.h"

namespace lw {

enum class ItemRole {
  kFavouritesRoot,
  kLibraryRoot,
  kNode,            // a folder, book or file under the library root
  kFavouriteEntry,  // an entry under the favourites root; its id is the node's
};

// Image numbers of the tree's image list.
enum TreeImage : int {
  kImageFolder = 0,
  kImageFolderOpen = 1,
  kImageBook = 2,
  kImageBookOpen = 3,
  kImageFile = 4,
  kImageFileSelected = 5,
  kImageLibraryRoot = 6,
  kImageFavouritesRoot = 7,
};

struct ItemImages {
  int normal = 0;
  int selected = 0;
  int expanded = 0;
};

class ModelItem {
 public:
  explicit ModelItem(ItemRole role, int id = 0, std::u16string text = {})
      : role_(role), id_(id), text_(std::move(text)) {}
  ModelItem(const ModelItem&) = delete;
  ModelItem& operator=(const ModelItem&) = delete;

  ItemRole role() const { return role_; }
  bool is_node() const { return role_ == ItemRole::kNode; }
  bool is_root() const {
    return role_ == ItemRole::kFavouritesRoot || role_ == ItemRole::kLibraryRoot;
  }
  // The node id; 0 for the two roots.
  int id() const { return id_; }
  const std::u16string& text() const { return text_; }
  bool expanded() const { return expanded_; }
  bool cut_look() const { return cut_look_; }
  // For a node item, its `i` as last read from or written to the library.
  int order() const { return order_; }
  // For a node item, the rowid of its row in `tab` as last read or
  // inserted; 0 when not known. A hint only: the row is addressed by rowid
  // and id together, so a stale rowid finds no row rather than a wrong one.
  std::int64_t rowid() const { return rowid_; }

  ModelItem* parent() const { return parent_; }
  const std::list<ModelItem>& children() const { return children_; }
  std::size_t child_count() const { return children_.size(); }
  ModelItem* first_child();
  ModelItem* last_child();
  ModelItem* prev_sibling() const;
  ModelItem* next_sibling() const;
  // True when `other` is this item or lies under it.
  bool Contains(const ModelItem* other) const;

  ItemImages images() const;

  // A slot the view may use for its own handle of this item.
  void* view_data = nullptr;

 private:
  friend class TreeModel;
  std::list<ModelItem>& siblings() const;

  ItemRole role_;
  int id_;
  std::u16string text_;
  bool expanded_ = false;
  bool cut_look_ = false;
  int order_ = 0;
  std::int64_t rowid_ = 0;
  ModelItem* parent_ = nullptr;
  std::list<ModelItem>* owner_ = nullptr;  // the list this item lives in
  std::list<ModelItem>::iterator self_;
  std::list<ModelItem> children_;
};

// What the main page pane shows once a selection has settled.
struct ShownPage {
  enum class What {
    kNothing,      // no item selected: the pane is emptied
    kInformation,  // a root item: the information report
    kPage,         // the page of node `id`
  };
  What what = What::kNothing;
  int id = 0;

  bool operator==(const ShownPage& o) const { return what == o.what && id == o.id; }
};

// The tree view's side. Every call comes after the model has changed.
class TreeObserver {
 public:
  virtual ~TreeObserver() = default;
  // Everything changed (a library created, loaded, emptied or closed):
  // rebuild the whole view from the model.
  virtual void TreeReloaded() = 0;
  // `item` was inserted; its parent and previous sibling are already shown.
  // An inserted subtree is announced parents first.
  virtual void ItemAdded(const ModelItem& item) = 0;
  // `item` and everything under it are about to be removed.
  virtual void ItemRemoving(const ModelItem& item) = 0;
  // Text, id, expanded state or cut look of `item` changed.
  virtual void ItemChanged(const ModelItem& item) = 0;
  // The children of `parent` stand in a new order (sort, move up or down).
  virtual void ChildrenReordered(const ModelItem& parent) = 0;
  // `selected` (nullptr: nothing) is the selected item now.
  virtual void SelectionChanged(const ModelItem* selected) = 0;
};

// Texts of the interface language that the tree uses.
struct TreeTexts {
  std::u16string favourites = u"Favorites";  // the favourites root ("Favorite")
  std::u16string default_title = u"New";     // string 18 ("Nou")
};

class TreeModel {
 public:
  TreeModel();
  TreeModel(const TreeModel&) = delete;
  TreeModel& operator=(const TreeModel&) = delete;

  void SetObserver(TreeObserver* observer) { observer_ = observer; }
  void SetTexts(TreeTexts texts) { texts_ = std::move(texts); }
  const TreeTexts& texts() const { return texts_; }
  // Seeds the generator of new ids (tests make it repeatable).
  void SeedIds(unsigned seed) { rng_.seed(seed); }

  // --- Whole tree ---------------------------------------------------------------

  // No items at all (no library open); clipboard, selection, second pane,
  // index and reserved numbers are forgotten.
  void Clear();
  // Only the two roots, both expanded: the favourites root first, then the
  // library root labelled `library_label`. Everything else as Clear.
  void Reset(std::u16string library_label);
  // Between BeginLoad and EndLoad nothing is announced; EndLoad announces
  // TreeReloaded once.
  void BeginLoad() { loading_ = true; }
  void EndLoad();

  ModelItem* favourites_root() { return favourites_root_; }
  ModelItem* library_root() { return library_root_; }
  bool empty() const { return library_root_ == nullptr; }

  // --- Items --------------------------------------------------------------------

  // A node item under `parent` (the library root, a folder or a book), first
  // or last among its siblings, for the row `rowid` (0: not known yet).
  ModelItem* AddNode(ModelItem* parent, int id, std::u16string text, int order, bool first,
                     std::int64_t rowid = 0);
  // Removes `item` with everything under it. Favourites entries of removed
  // favourite nodes go too; a selection, cut or copied item inside is
  // forgotten. Not for the roots.
  void Remove(ModelItem* item);
  // Moves `item` with its subtree under `new_parent`, before `before` (one of
  // new_parent's children) or last when `before` is nullptr. Announced as a
  // removal and an addition of the subtree, or as a reordering when the
  // parent stays the same.
  void Move(ModelItem* item, ModelItem* new_parent, ModelItem* before);
  // Reorders the children of `parent` stably by `less`.
  template <typename Less>
  void SortChildren(ModelItem* parent, Less less) {
    parent->children_.sort([&](const ModelItem& a, const ModelItem& b) { return less(a, b); });
    Announce([&](TreeObserver& o) { o.ChildrenReordered(*parent); });
  }

  void SetText(ModelItem* item, std::u16string text);
  void SetId(ModelItem* item, int id);
  void SetExpanded(ModelItem* item, bool expanded);
  void SetCutLook(ModelItem* item, bool cut_look);
  void SetOrder(ModelItem* item, int order) { item->order_ = order; }
  // The index keeps the rowids it was built with: rebuild it afterwards.
  void SetRowid(ModelItem* item, std::int64_t rowid) { item->rowid_ = rowid; }

  // --- Favourites ---------------------------------------------------------------

  // The entry of favourite node `id`, or nullptr.
  ModelItem* FavouriteEntry(int id);
  // Appends an entry for `id` labelled with `title` less a trailing backtick.
  ModelItem* AddFavouriteEntry(int id, std::u16string_view title);
  void RemoveFavouriteEntry(int id);
  // The entries' ids in list order.
  std::vector<int> FavouriteIds() const;

  // --- Selection, clipboard, second pane ---------------------------------------

  ModelItem* selected() const { return selected_; }
  // The id of the selected item; 0 for a root item or no selection.
  int selected_id() const { return selected_ ? selected_->id() : 0; }
  void Select(ModelItem* item);

  ModelItem* cut_item() const { return cut_; }
  ModelItem* copied_item() const { return copied_; }
  // The cut item takes the cut look; an earlier cut item loses it and a
  // copied item is forgotten.
  void SetCutItem(ModelItem* item);
  // An earlier cut item loses the cut look and is forgotten.
  void SetCopiedItem(ModelItem* item);
  void ForgetClipboard();

  int second_pane_id() const { return second_pane_id_; }
  void set_second_pane_id(int id) { second_pane_id_ = id; }

  bool expand_all() const { return expand_all_; }
  void set_expand_all(bool on) { expand_all_ = on; }

  // --- Node index and ids -------------------------------------------------------

  const NodeIndex& index() const { return index_; }
  // Walks the library root's subtree in tree order.
  void RebuildIndex();
  // The node item of `id` through the index, or nullptr.
  ModelItem* ItemOf(int id) const;
  // Numbers of rows in the library that the tree does not show (rows outside
  // the id scheme, duplicates, orphans): a new id must not take them either.
  void ReserveNumber(int number);
  // A new id of `kind` whose number neither an indexed node nor a reserved
  // row uses, nor any number in `also_used`. Nothing when all are taken.
  std::optional<int> NewId(NodeKind kind, const UsedNumbers* also_used = nullptr);
  // The numbers in use: indexed nodes and reserved rows.
  UsedNumbers UsedNodeNumbers() const;

 private:
  template <typename F>
  void Announce(F f) {
    if (observer_ && !loading_) f(*observer_);
  }
  void AnnounceSubtreeAdded(const ModelItem& item);
  ModelItem* Insert(std::list<ModelItem>& list, std::list<ModelItem>::iterator pos,
                    ModelItem* parent, ItemRole role, int id, std::u16string text);
  void ForgetWithin(const ModelItem* item);

  TreeObserver* observer_ = nullptr;
  TreeTexts texts_;
  bool loading_ = false;
  std::list<ModelItem> roots_;
  ModelItem* favourites_root_ = nullptr;
  ModelItem* library_root_ = nullptr;
  std::unordered_map<int, ModelItem*> favourite_entries_;
  ModelItem* selected_ = nullptr;
  ModelItem* cut_ = nullptr;
  ModelItem* copied_ = nullptr;
  int second_pane_id_ = 0;
  bool expand_all_ = false;
  NodeIndex index_;
  UsedNumbers reserved_;
  std::mt19937 rng_;
};

// The file name part of a path, for the library root's label: what follows
// the last backslash or slash.
std::u16string FileNamePart(std::u16string_view path);

}  // namespace lw
