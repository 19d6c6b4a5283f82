#include "store/tree_ops.h"

#include <cstdint>
#include <string>
#include <vector>

#include "store/page_store.h"
#include "store/statements.h"
#include "store/title.h"

namespace lw {

namespace {

// Inserts and renames: the integers formatted as UTF-16, the title bound,
// prepared and stepped.
bool RunWithTitle(Db& db, std::string_view pattern, std::initializer_list<SqlArg> args,
                  std::u16string_view title) {
  Statement st = db.Prepare(FormatSql16(pattern, args));
  return st.BindText16(1, title) && st.Run();
}

// Changes of `i`, `id` and `p` and the deletes: 8-bit, one-shot execute.
bool Exec8(Db& db, std::string_view pattern, std::initializer_list<SqlArg> args) {
  return db.Exec(FormatSql8(pattern, args));
}

bool Ignored(const NodeStore& store) { return store.busy() || !store.library_open(); }

// The selected node item, or nullptr for a root or no selection.
ModelItem* SelectedNode(TreeModel& model) {
  ModelItem* item = model.selected();
  return item && item->is_node() ? item : nullptr;
}

// A node's page as stored, byte for byte, for a copy; nothing for a NULL
// page (or no row).
struct CopiedPage {
  bool is_null = true;
  std::string bytes;
};

CopiedPage ReadCopiedPage(Db& db, const ModelItem& item) {
  CopiedPage page;
  const std::optional<Statement> st =
      SeekNodeRow(db, kSqlSelectPageByRowid, kSqlSelectPage, item.rowid(), item.id());
  if (st && !st->ColumnIsNull(0)) {
    page.is_null = false;
    page.bytes = st->ColumnBlob(0);
  }
  return page;
}

// One pasted row, first (`i` 0) under `parent`, with a copy of `page`. The
// page goes in with the row, bound as a blob, so that the copy costs no
// second pass over the table; a NULL page stays NULL. The new row's rowid;
// 0 when it was not inserted.
std::int64_t InsertCopy(Db& db, int id, int parent, const std::u16string& title,
                        const CopiedPage& page) {
  const bool inserted = page.is_null ? RunWithTitle(db, kSqlInsertPasted, {id, parent}, title)
                                     : RowInserter(db).Insert({id, parent, 0, title}, &page.bytes);
  return inserted ? db.LastInsertRowid() : 0;
}

// `i` of a node as stored; `fallback` when it cannot be read.
int ReadOrder(Db& db, const ModelItem& item, int fallback) {
  const std::optional<Statement> st =
      SeekNodeRow(db, kSqlSelectOrderByRowid, kSqlSelectOrder, item.rowid(), item.id());
  return st ? st->ColumnInt(0) : fallback;
}

// Stores `order` as `i` of `item`'s row with `by_rowid` (kSqlSetOrderByRowid,
// prepared once for all the siblings), or by id when no row is found so.
void StoreOrder(Db& db, Statement& by_rowid, const ModelItem& item, int order) {
  by_rowid.Reset();
  if (!by_rowid.BindInt(1, order) || RunOnRow(by_rowid, 2, item.rowid(), item.id()) != 0) return;
  if (order == 0) {
    Exec8(db, kSqlSetFirstOrder, {item.id()});
  } else {
    Exec8(db, kSqlSetOrder, {order, item.id()});
  }
}

bool StrictlyIncreasing(const ModelItem& parent) {
  const ModelItem* prev = nullptr;
  for (const ModelItem& child : parent.children()) {
    if (prev && child.order() <= prev->order()) return false;
    prev = &child;
  }
  return true;
}

// True when the second pane's node is `item` or lies under it.
bool ShowsInSecondPane(const TreeModel& model, const ModelItem& item) {
  const int id = model.second_pane_id();
  if (id == 0) return false;
  if (item.id() == id) return true;
  for (const ModelItem& child : item.children()) {
    if (ShowsInSecondPane(model, child)) return true;
  }
  return false;
}

void SetSelection(NodeStore& store, TreeModel& model, ModelItem* item, OpResult* result) {
  result->page = SelectItem(store, model, item);
  result->selection_changed = true;
}

// Case folding for sorting: ASCII, Latin-1 and the pairs of Latin
// Extended-A and of the Romanian comma-below letters.
char16_t FoldForSort(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if (c < 0x80) return c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  if (c >= 0x100 && c <= 0x137 && c % 2 == 0 && c != 0x130) return static_cast<char16_t>(c + 1);
  if (c >= 0x139 && c <= 0x148 && c % 2 == 1) return static_cast<char16_t>(c + 1);
  if (c >= 0x14A && c <= 0x177 && c % 2 == 0) return static_cast<char16_t>(c + 1);
  if (c == 0x179 || c == 0x17B || c == 0x17D) return static_cast<char16_t>(c + 1);
  if (c >= 0x218 && c <= 0x21B && c % 2 == 0) return static_cast<char16_t>(c + 1);
  return c;
}

}  // namespace

// --- Selection -------------------------------------------------------------------

bool CanChangeSelection(const NodeStore& store, const TreeModel& model, const ModelItem* target) {
  if (store.busy()) return false;
  if (!target) return true;
  if (target->role() == ItemRole::kFavouritesRoot) return false;
  if (target->role() == ItemRole::kFavouriteEntry && target->id() == model.selected_id()) {
    return false;
  }
  return true;
}

ShownPage SelectItem(NodeStore& store, TreeModel& model, ModelItem* item) {
  if (item && item->role() == ItemRole::kFavouriteEntry) {
    ModelItem* own = model.ItemOf(item->id());
    if (own && !IsFile(own->id())) model.SetExpanded(own, true);
    item = own;
  }
  model.Select(item);
  if (!item) return {};
  LibraryMemory& memory = store.memory();
  if (memory.remember_library) memory.last_node_id = item->id();
  if (item->id() == 0) return {ShownPage::What::kInformation, 0};
  return {ShownPage::What::kPage, item->id()};
}

bool CanEditLabel(const NodeStore& store, const ModelItem* item, bool ctrl_held) {
  if (store.busy() || ctrl_held || !item) return false;
  return item->is_node() || item->role() == ItemRole::kFavouriteEntry;
}

bool CanCollapse(const TreeModel& model) { return model.selected_id() != 0; }

// --- Context menu ----------------------------------------------------------------

bool MenuState::operator==(const MenuState& o) const {
  return cut == o.cut && copy == o.copy && paste == o.paste && del == o.del &&
         new_folder == o.new_folder && new_book == o.new_book && new_file == o.new_file &&
         move_up == o.move_up && move_down == o.move_down && favourite == o.favourite &&
         favourite_checked == o.favourite_checked && sort == o.sort;
}

MenuState ContextMenuState(const MenuFacts& f) {
  MenuState m;
  const bool node = f.target != MenuTarget::kLibraryRoot;
  const bool marks = f.target == MenuTarget::kBook || f.target == MenuTarget::kFile;
  m.cut = m.copy = node;
  m.paste = (f.target == MenuTarget::kFolder && f.clipboard == NodeKind::kBook) ||
            (f.target == MenuTarget::kBook && f.clipboard == NodeKind::kFile);
  m.del = node || f.children > 0;
  m.new_folder = f.target == MenuTarget::kLibraryRoot;
  m.new_book = f.target == MenuTarget::kFolder;
  m.new_file = f.target == MenuTarget::kBook;
  m.move_up = node && f.has_previous;
  m.move_down = node && f.has_next;
  m.favourite = marks;
  m.favourite_checked = marks && f.favourite;
  m.sort = (f.target == MenuTarget::kFolder || f.target == MenuTarget::kBook) && f.children >= 2;
  return m;
}

ModelItem* ContextMenuTarget(TreeModel& model, ModelItem* clicked) {
  if (clicked) return clicked;
  return model.selected() ? model.selected() : model.library_root();
}

std::optional<MenuFacts> ContextMenuFacts(const NodeStore& store, const TreeModel& model,
                                          const ModelItem* item) {
  if (!store.library_open() || store.busy() || !item) return std::nullopt;
  MenuFacts f;
  if (item->role() == ItemRole::kLibraryRoot) {
    f.target = MenuTarget::kLibraryRoot;
  } else if (item->is_node()) {
    f.target = IsFolder(item->id()) ? MenuTarget::kFolder
               : IsBook(item->id()) ? MenuTarget::kBook
                                    : MenuTarget::kFile;
    f.has_previous = item->prev_sibling() != nullptr;
    f.has_next = item->next_sibling() != nullptr;
    f.favourite = IsFavourite(item->id());
  } else {
    return std::nullopt;
  }
  const ModelItem* clip = model.cut_item() ? model.cut_item() : model.copied_item();
  if (clip) f.clipboard = NodeKindOf(clip->id());
  f.children = item->child_count();
  return f;
}

// --- New, rename -------------------------------------------------------------------

OpResult NewNode(NodeStore& store, TreeModel& model, NodeKind kind) {
  OpResult result;
  if (Ignored(store)) return result;
  ModelItem* parent = model.library_root();
  if (kind != NodeKind::kFolder) {
    parent = SelectedNode(model);
    const NodeKind wanted = kind == NodeKind::kBook ? NodeKind::kFolder : NodeKind::kBook;
    if (!parent || NodeKindOf(parent->id()) != wanted) return result;
  }
  result.done = true;
  const std::optional<int> id = model.NewId(kind);
  if (!id) {
    result.node_limit = true;
    return result;
  }
  Db& db = store.db();
  int order = db.CountChildren(parent->id());
  // The count is the next order only while the stored orders run 0, 1, 2,
  // ...; after a node was cut away from here they may run higher, and the
  // new node must still sort last, as it is shown.
  if (ModelItem* last = parent->last_child(); last && last->order() >= order) {
    order = last->order() + 1;
  }
  const std::u16string& title = model.texts().default_title;
  result.item = model.AddNode(parent, *id, title, order, false);
  const bool inserted = kind == NodeKind::kFolder
                            ? RunWithTitle(db, kSqlInsertFolder, {*id, order}, title)
                            : RunWithTitle(db, kSqlInsertChild, {*id, parent->id(), order}, title);
  if (inserted) model.SetRowid(result.item, db.LastInsertRowid());
  model.RebuildIndex();
  return result;
}

OpResult NewChildOfSelection(NodeStore& store, TreeModel& model) {
  const ModelItem* item = model.selected();
  if (!item) return {};
  if (item->role() == ItemRole::kLibraryRoot) return NewNode(store, model, NodeKind::kFolder);
  if (!item->is_node() || IsFile(item->id())) return {};
  return NewNode(store, model, IsFolder(item->id()) ? NodeKind::kBook : NodeKind::kFile);
}

RenameResult RenameNode(NodeStore& store, TreeModel& model, ModelItem* item,
                        std::u16string_view typed) {
  RenameResult result;
  if (Ignored(store) || !item) return result;
  if (item->role() == ItemRole::kFavouriteEntry) item = model.ItemOf(item->id());
  if (!item || !item->is_node()) return result;
  result.done = true;
  result.title = CleanTitle(typed, model.texts().default_title);
  Db& db = store.db();
  Statement by_rowid = db.Prepare(FormatSql16(kSqlRenameByRowid));
  if (by_rowid.BindText16(1, result.title) &&
      RunOnRow(by_rowid, 2, item->rowid(), item->id()) == 0) {
    RunWithTitle(db, kSqlRename, {item->id()}, result.title);
  }
  model.SetText(item, result.title);
  if (ModelItem* entry = model.FavouriteEntry(item->id())) {
    model.SetText(entry, FavouriteLabel(result.title));
  }
  if (model.selected() != item) {
    result.page = SelectItem(store, model, item);
    result.selection_changed = true;
  }
  result.read_only = IsReadOnlyTitle(result.title);
  return result;
}

// --- Delete ------------------------------------------------------------------------

std::u16string DeleteQuestion(std::u16string_view message23, std::u16string_view title) {
  std::u16string text(message23);
  text += u" '";
  text += title;
  text += u"' ?";
  return text;
}

OpResult DeleteSelected(NodeStore& store, TreeModel& model) {
  OpResult result;
  if (Ignored(store)) return result;
  ModelItem* selected = model.selected();
  if (!selected) return result;
  Db& db = store.db();

  if (selected->role() == ItemRole::kLibraryRoot) {
    result.done = true;
    result.close_second_pane = model.second_pane_id() != 0;
    std::u16string label = selected->text();
    db.Exec(kSqlDeleteAllNodes);
    model.Reset(std::move(label));
    SetSelection(store, model, model.library_root(), &result);
    return result;
  }
  if (!selected->is_node()) return result;
  result.done = true;
  if (ShowsInSecondPane(model, *selected)) {
    result.close_second_pane = true;
    model.set_second_pane_id(0);
  }

  const int id = selected->id();
  if (IsFolder(id)) {
    for (const ModelItem& book : selected->children()) {
      Exec8(db, kSqlDeleteChildren, {book.id()});
      Exec8(db, kSqlDeleteNode, {book.id()});
    }
  } else if (IsBook(id)) {
    Exec8(db, kSqlDeleteChildren, {id});
  }
  Exec8(db, kSqlDeleteNode, {id});

  // The tree control selects a neighbour when the selected item goes; so
  // does the model.
  ModelItem* parent = selected->parent();
  ModelItem* next = selected->next_sibling();
  if (!next) next = selected->prev_sibling();
  if (!next) next = parent;
  model.Remove(selected);  // favourites entries of the subtree go with it
  model.RebuildIndex();
  RenumberChildren(store, model, parent);
  SetSelection(store, model, next, &result);
  return result;
}

// --- Clipboard -----------------------------------------------------------------------

namespace {

// Marks the selected node with `mark` (cut or copied) for a later paste.
OpResult MarkSelected(NodeStore& store, TreeModel& model,
                      void (TreeModel::*mark)(ModelItem*)) {
  OpResult result;
  if (Ignored(store)) return result;
  ModelItem* item = SelectedNode(model);
  if (!item) return result;
  (model.*mark)(item);
  result.done = true;
  result.item = item;
  return result;
}

// Copies `source` (a book with its files, or a file) first under `target`
// with new ids, no favourite marks and the pages as stored. The copy, or
// nullptr when no id was left for it; `node_limit` is set when an id (the
// copy's or a file's) could not be made.
ModelItem* PasteCopy(Db& db, TreeModel& model, ModelItem* target, const ModelItem& source,
                     bool* node_limit) {
  // The index learns of the new ids only at the end; until then the
  // numbers made here are kept apart so that no two copies share one.
  UsedNumbers made;
  auto new_id = [&](NodeKind kind) {
    const std::optional<int> id = model.NewId(kind, &made);
    if (id) {
      made.set(static_cast<std::size_t>(NodeNumber(*id)));
    } else {
      *node_limit = true;
    }
    return id;
  };
  const bool book = IsBook(source.id());
  const std::optional<int> id = new_id(book ? NodeKind::kBook : NodeKind::kFile);
  if (!id) return nullptr;
  const std::int64_t rowid =
      InsertCopy(db, *id, target->id(), source.text(), ReadCopiedPage(db, source));
  ModelItem* copy = model.AddNode(target, *id, source.text(), 0, true, rowid);
  if (!book) return copy;
  // The files shown under the source book, in its order, each page read by
  // its row. Copied files all get order 0 and keep their order by insertion.
  for (const ModelItem& file : source.children()) {
    const std::optional<int> file_id = new_id(NodeKind::kFile);
    if (!file_id) continue;
    const std::int64_t file_rowid =
        InsertCopy(db, *file_id, *id, file.text(), ReadCopiedPage(db, file));
    model.AddNode(copy, *file_id, file.text(), 0, false, file_rowid);
  }
  return copy;
}

}  // namespace

OpResult CutSelected(NodeStore& store, TreeModel& model) {
  return MarkSelected(store, model, &TreeModel::SetCutItem);
}

OpResult CopySelected(NodeStore& store, TreeModel& model) {
  return MarkSelected(store, model, &TreeModel::SetCopiedItem);
}

OpResult Paste(NodeStore& store, TreeModel& model) {
  OpResult result;
  if (Ignored(store)) return result;
  ModelItem* target = SelectedNode(model);
  ModelItem* source = model.cut_item() ? model.cut_item() : model.copied_item();
  if (!target || !source) return result;
  const bool fits = (IsFolder(target->id()) && IsBook(source->id())) ||
                    (IsBook(target->id()) && IsFile(source->id()));
  if (!fits) return result;
  WorkClaim claim = store.ClaimWork();
  if (!claim) return result;
  result.done = true;
  Db& db = store.db();

  if (source == model.copied_item()) {
    result.item = PasteCopy(db, model, target, *source, &result.node_limit);
    if (!result.item) return result;
  } else {
    // The node keeps its id, so its favourites entry and those of a book's
    // files stay valid: the marks are kept.
    Exec8(db, kSqlSetParent, {target->id(), source->id()});
    model.Move(source, target, target->first_child());
    result.item = source;
  }

  model.ForgetClipboard();
  model.RebuildIndex();
  RenumberChildren(store, model, target);
  claim.Release();
  SetSelection(store, model, target->first_child(), &result);
  return result;
}

// --- Move, favourite, sort ---------------------------------------------------------

OpResult MoveSelected(NodeStore& store, TreeModel& model, MoveDirection direction) {
  OpResult result;
  if (Ignored(store)) return result;
  ModelItem* item = SelectedNode(model);
  if (!item) return result;
  ModelItem* neighbour =
      direction == MoveDirection::kUp ? item->prev_sibling() : item->next_sibling();
  if (!neighbour) return result;
  result.done = true;
  Db& db = store.db();
  ModelItem* parent = item->parent();

  const int item_order = ReadOrder(db, *item, item->order());
  const int neighbour_order = ReadOrder(db, *neighbour, neighbour->order());
  model.SetOrder(item, item_order);
  model.SetOrder(neighbour, neighbour_order);
  // Exchanging the two orders keeps the stored order equal to the shown one
  // only while the siblings' orders are all different; with equal orders
  // (copied files all have 0) the rows sort by insertion instead, so the
  // siblings are renumbered as they now stand.
  const bool exchange = StrictlyIncreasing(*parent);
  model.Move(item, parent, direction == MoveDirection::kUp ? neighbour : neighbour->next_sibling());
  if (exchange) {
    Statement by_rowid = db.Prepare(FormatSql16(kSqlSetOrderByRowid));
    StoreOrder(db, by_rowid, *neighbour, item_order);
    StoreOrder(db, by_rowid, *item, neighbour_order);
    model.SetOrder(neighbour, item_order);
    model.SetOrder(item, neighbour_order);
  } else {
    RenumberChildren(store, model, parent);
  }
  model.RebuildIndex();
  result.item = item;
  SetSelection(store, model, item, &result);
  return result;
}

OpResult ToggleFavourite(NodeStore& store, TreeModel& model) {
  OpResult result;
  if (Ignored(store)) return result;
  ModelItem* item = SelectedNode(model);
  if (!item || IsFolder(item->id())) return result;
  result.done = true;
  result.item = item;
  const int old_id = item->id();
  int new_id;
  if (!IsFavourite(old_id)) {
    new_id = MarkFavourite(old_id);
    model.AddFavouriteEntry(new_id, item->text());
    model.SetExpanded(model.favourites_root(), true);
  } else {
    model.RemoveFavouriteEntry(old_id);
    new_id = UnmarkFavourite(old_id);
  }
  model.SetId(item, new_id);
  Db& db = store.db();
  Exec8(db, kSqlSetId, {new_id, old_id});
  if (IsBook(old_id)) Exec8(db, kSqlMoveChildren, {new_id, old_id});
  // Whatever still refers to the old id follows: the second pane would
  // otherwise save its page to a row that no longer exists, and the node
  // would not be found again at the next start.
  if (model.second_pane_id() == old_id) model.set_second_pane_id(new_id);
  LibraryMemory& memory = store.memory();
  if (memory.last_node_id == old_id) memory.last_node_id = new_id;
  model.RebuildIndex();
  return result;
}

bool TitleSortsBefore(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t k = 0; k < n; ++k) {
    const char16_t x = FoldForSort(a[k]);
    const char16_t y = FoldForSort(b[k]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

OpResult SortSelected(NodeStore& store, TreeModel& model) {
  OpResult result;
  if (Ignored(store)) return result;
  ModelItem* item = SelectedNode(model);
  if (!item || IsFile(item->id()) || item->child_count() < 2) return result;
  result.done = true;
  result.item = item;
  model.SortChildren(item, [](const ModelItem& a, const ModelItem& b) {
    return TitleSortsBefore(a.text(), b.text());
  });
  RenumberChildren(store, model, item);
  model.RebuildIndex();
  return result;
}

void RenumberChildren(NodeStore& store, TreeModel& model, ModelItem* parent) {
  if (!parent) return;
  Db& db = store.db();
  Statement by_rowid = db.Prepare(FormatSql16(kSqlSetOrderByRowid));
  int order = 0;
  for (ModelItem* child = parent->first_child(); child; child = child->next_sibling()) {
    StoreOrder(db, by_rowid, *child, order);
    model.SetOrder(child, order);
    ++order;
  }
}

// --- Expanding ---------------------------------------------------------------------

bool ToggleExpandAll(NodeStore& store, TreeModel& model) {
  if (Ignored(store)) return false;
  model.set_expand_all(!model.expand_all());
  for (const IndexEntry& e : model.index()) {
    if (IsFile(e.id)) continue;
    model.SetExpanded(static_cast<ModelItem*>(e.item), model.expand_all());
  }
  return true;
}

bool ShowInSecondPane(TreeModel& model, ModelItem* item) {
  if (!item || !item->is_node()) return false;
  model.set_second_pane_id(item->id());
  for (ModelItem* up = item->parent(); up; up = up->parent()) model.SetExpanded(up, true);
  return true;
}

}  // namespace lw
