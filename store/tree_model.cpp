#include "store/tree_model.h"

#include <utility>

#include "store/title.h"

namespace lw {

// --- ModelItem -------------------------------------------------------------------

ModelItem* ModelItem::first_child() { return children_.empty() ? nullptr : &children_.front(); }

ModelItem* ModelItem::last_child() { return children_.empty() ? nullptr : &children_.back(); }

std::list<ModelItem>& ModelItem::siblings() const { return *owner_; }

ModelItem* ModelItem::prev_sibling() const {
  if (self_ == siblings().begin()) return nullptr;
  return &*std::prev(self_);
}

ModelItem* ModelItem::next_sibling() const {
  auto next = std::next(self_);
  return next == siblings().end() ? nullptr : &*next;
}

bool ModelItem::Contains(const ModelItem* other) const {
  for (; other; other = other->parent_) {
    if (other == this) return true;
  }
  return false;
}

ItemImages ModelItem::images() const {
  switch (role_) {
    case ItemRole::kFavouritesRoot:
      return {kImageFavouritesRoot, kImageFavouritesRoot, kImageFavouritesRoot};
    case ItemRole::kLibraryRoot:
      return {kImageLibraryRoot, kImageLibraryRoot, kImageLibraryRoot};
    case ItemRole::kFavouriteEntry: {
      const int image = IsBook(id_) ? kImageBook : kImageFile;
      return {image, image, image};
    }
    case ItemRole::kNode:
      break;
  }
  if (IsFolder(id_)) return {kImageFolder, kImageFolderOpen, kImageFolderOpen};
  if (IsBook(id_)) return {kImageBook, kImageBookOpen, kImageBookOpen};
  return {kImageFile, kImageFileSelected, kImageFile};
}

// --- TreeModel -------------------------------------------------------------------

TreeModel::TreeModel() : rng_(std::random_device{}()) {}

void TreeModel::Clear() {
  favourite_entries_.clear();
  selected_ = cut_ = copied_ = nullptr;
  favourites_root_ = library_root_ = nullptr;
  roots_.clear();
  second_pane_id_ = 0;
  expand_all_ = false;
  index_.Clear();
  reserved_.reset();
  Announce([](TreeObserver& o) { o.TreeReloaded(); });
}

void TreeModel::Reset(std::u16string library_label) {
  const bool was_loading = loading_;
  loading_ = true;  // one announcement for the whole reset
  Clear();
  favourites_root_ =
      Insert(roots_, roots_.end(), nullptr, ItemRole::kFavouritesRoot, 0, texts_.favourites);
  library_root_ =
      Insert(roots_, roots_.end(), nullptr, ItemRole::kLibraryRoot, 0, std::move(library_label));
  favourites_root_->expanded_ = true;
  library_root_->expanded_ = true;
  loading_ = was_loading;
  Announce([](TreeObserver& o) { o.TreeReloaded(); });
}

void TreeModel::EndLoad() {
  loading_ = false;
  Announce([](TreeObserver& o) { o.TreeReloaded(); });
}

ModelItem* TreeModel::Insert(std::list<ModelItem>& list, std::list<ModelItem>::iterator pos,
                             ModelItem* parent, ItemRole role, int id, std::u16string text) {
  auto it = list.emplace(pos, role, id, std::move(text));
  it->parent_ = parent;
  it->owner_ = &list;
  it->self_ = it;
  return &*it;
}

ModelItem* TreeModel::AddNode(ModelItem* parent, int id, std::u16string text, int order,
                              bool first, std::int64_t rowid) {
  auto& list = parent->children_;
  ModelItem* item =
      Insert(list, first ? list.begin() : list.end(), parent, ItemRole::kNode, id, std::move(text));
  item->order_ = order;
  item->rowid_ = rowid;
  Announce([&](TreeObserver& o) { o.ItemAdded(*item); });
  return item;
}

void TreeModel::ForgetWithin(const ModelItem* item) {
  if (item->Contains(cut_)) cut_ = nullptr;
  if (item->Contains(copied_)) copied_ = nullptr;
  if (item->Contains(selected_)) {
    selected_ = nullptr;
    Announce([](TreeObserver& o) { o.SelectionChanged(nullptr); });
  }
}

void TreeModel::Remove(ModelItem* item) {
  if (!item || item->is_root()) return;
  if (item->is_node()) {
    // Walk the subtree for favourites whose entries must go with it.
    std::vector<const ModelItem*> stack{item};
    while (!stack.empty()) {
      const ModelItem* at = stack.back();
      stack.pop_back();
      if (IsFavourite(at->id_)) RemoveFavouriteEntry(at->id_);
      for (const ModelItem& child : at->children_) stack.push_back(&child);
    }
  } else if (item->role_ == ItemRole::kFavouriteEntry) {
    favourite_entries_.erase(item->id_);
  }
  ForgetWithin(item);
  Announce([&](TreeObserver& o) { o.ItemRemoving(*item); });
  item->owner_->erase(item->self_);
}

void TreeModel::AnnounceSubtreeAdded(const ModelItem& item) {
  Announce([&](TreeObserver& o) { o.ItemAdded(item); });
  for (const ModelItem& child : item.children_) AnnounceSubtreeAdded(child);
}

void TreeModel::Move(ModelItem* item, ModelItem* new_parent, ModelItem* before) {
  auto& target = new_parent->children_;
  const auto pos = before ? before->self_ : target.end();
  if (item->parent_ == new_parent) {
    target.splice(pos, target, item->self_);
    Announce([&](TreeObserver& o) { o.ChildrenReordered(*new_parent); });
    return;
  }
  Announce([&](TreeObserver& o) { o.ItemRemoving(*item); });
  target.splice(pos, *item->owner_, item->self_);  // iterators stay valid
  item->owner_ = &target;
  item->parent_ = new_parent;
  AnnounceSubtreeAdded(*item);
}

void TreeModel::SetText(ModelItem* item, std::u16string text) {
  item->text_ = std::move(text);
  Announce([&](TreeObserver& o) { o.ItemChanged(*item); });
}

void TreeModel::SetId(ModelItem* item, int id) {
  item->id_ = id;
  Announce([&](TreeObserver& o) { o.ItemChanged(*item); });
}

void TreeModel::SetExpanded(ModelItem* item, bool expanded) {
  if (item->expanded_ == expanded) return;
  item->expanded_ = expanded;
  Announce([&](TreeObserver& o) { o.ItemChanged(*item); });
}

void TreeModel::SetCutLook(ModelItem* item, bool cut_look) {
  if (item->cut_look_ == cut_look) return;
  item->cut_look_ = cut_look;
  Announce([&](TreeObserver& o) { o.ItemChanged(*item); });
}

ModelItem* TreeModel::FavouriteEntry(int id) {
  auto it = favourite_entries_.find(id);
  return it == favourite_entries_.end() ? nullptr : it->second;
}

ModelItem* TreeModel::AddFavouriteEntry(int id, std::u16string_view title) {
  if (!favourites_root_) return nullptr;
  if (ModelItem* existing = FavouriteEntry(id)) return existing;
  auto& list = favourites_root_->children_;
  ModelItem* entry = Insert(list, list.end(), favourites_root_, ItemRole::kFavouriteEntry, id,
                            FavouriteLabel(title));
  favourite_entries_[id] = entry;
  Announce([&](TreeObserver& o) { o.ItemAdded(*entry); });
  return entry;
}

void TreeModel::RemoveFavouriteEntry(int id) {
  if (ModelItem* entry = FavouriteEntry(id)) Remove(entry);
}

std::vector<int> TreeModel::FavouriteIds() const {
  std::vector<int> ids;
  if (favourites_root_) {
    for (const ModelItem& e : favourites_root_->children_) ids.push_back(e.id_);
  }
  return ids;
}

void TreeModel::Select(ModelItem* item) {
  selected_ = item;
  Announce([&](TreeObserver& o) { o.SelectionChanged(item); });
}

void TreeModel::SetCutItem(ModelItem* item) {
  if (cut_) SetCutLook(cut_, false);
  copied_ = nullptr;
  cut_ = item;
  if (cut_) SetCutLook(cut_, true);
}

void TreeModel::SetCopiedItem(ModelItem* item) {
  if (cut_) SetCutLook(cut_, false);
  cut_ = nullptr;
  copied_ = item;
}

void TreeModel::ForgetClipboard() {
  if (cut_) SetCutLook(cut_, false);
  cut_ = copied_ = nullptr;
}

void TreeModel::RebuildIndex() {
  std::vector<IndexEntry> entries;
  if (library_root_) {
    entries.reserve(index_.size() + 16);
    for (ModelItem& folder : library_root_->children_) {
      entries.push_back({folder.id_, &folder, folder.rowid_});
      for (ModelItem& book : folder.children_) {
        entries.push_back({book.id_, &book, book.rowid_});
        for (ModelItem& file : book.children_) entries.push_back({file.id_, &file, file.rowid_});
      }
    }
  }
  index_.Rebuild(std::move(entries));
}

ModelItem* TreeModel::ItemOf(int id) const { return static_cast<ModelItem*>(index_.ItemOf(id)); }

void TreeModel::ReserveNumber(int number) {
  if (number >= 1 && number <= kMaxNodeNumber) reserved_.set(static_cast<std::size_t>(number));
}

UsedNumbers TreeModel::UsedNodeNumbers() const {
  UsedNumbers used = reserved_;
  for (const IndexEntry& e : index_) {
    const int n = NodeNumber(e.id);
    if (n >= 1 && n <= kMaxNodeNumber) used.set(static_cast<std::size_t>(n));
  }
  return used;
}

std::optional<int> TreeModel::NewId(NodeKind kind, const UsedNumbers* also_used) {
  UsedNumbers used = UsedNodeNumbers();
  if (also_used) used |= *also_used;
  return NewNodeId(kind, used, rng_);
}

std::u16string FileNamePart(std::u16string_view path) {
  const auto cut = path.find_last_of(u"\\/");
  return std::u16string(cut == std::u16string_view::npos ? path : path.substr(cut + 1));
}

}  // namespace lw
