// Everything the user does to nodes in the tree: select, create, rename,
// delete, cut, copy and paste, move up and down, mark favourites, sort,
// expand and collapse; which command is offered on which item.
//
// Each operation changes the rows first, with the statements of the
// catalogue (statements.h), and then the model, and rebuilds the node index
// when the structure changed. A failing statement is reported through the
// store's ErrorSink and the operation goes on with its next step, as there
// are no transactions. Every operation is ignored while the busy flag is set
// and answers `done` false then.
//
// Asking the user (delete confirmations), saving the edited pages before a
// command and the messages are the window layer's part; the results below
// say what it has to show.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "store/node_store.h"
#include "store/tree_model.h"

namespace lw {

struct OpResult {
  bool done = false;  // false: ignored (busy, no fitting selection)
  // Message 24: no new id could be made. Nothing was inserted, or (pasting a
  // copied book) some of its files were not copied.
  bool node_limit = false;
  ModelItem* item = nullptr;  // the new, pasted or moved item
  // The selection was changed; `page` is what the page pane shows now.
  bool selection_changed = false;
  ShownPage page;
  // The node in the second page pane is gone: close that pane.
  bool close_second_pane = false;
};

// --- Selection -----------------------------------------------------------------

// The "selection about to change" rule: refused while busy, for the
// favourites root, and for a favourites entry whose node is already shown.
bool CanChangeSelection(const NodeStore& store, const TreeModel& model, const ModelItem* target);
// The "selection changed" rule: the item is selected and its id recorded in
// the store's memory while it remembers the library; a favourites entry selects
// the node's own item instead (expanded unless it is a file), or nothing
// when the node is not in the index. Answers what the page pane shows.
ShownPage SelectItem(NodeStore& store, TreeModel& model, ModelItem* item);

// Label editing starts only on a node or favourites entry, not while busy or
// while Ctrl is held.
bool CanEditLabel(const NodeStore& store, const ModelItem* item, bool ctrl_held);
// Collapsing is refused while a root item (or nothing) is selected.
bool CanCollapse(const TreeModel& model);

// --- Context menu --------------------------------------------------------------

enum class MenuTarget { kLibraryRoot, kFolder, kBook, kFile };

// What the enablement of the node commands depends on.
struct MenuFacts {
  MenuTarget target = MenuTarget::kLibraryRoot;
  std::optional<NodeKind> clipboard;  // kind of the cut or copied node
  bool has_previous = false;          // a previous sibling exists
  bool has_next = false;
  bool favourite = false;
  std::size_t children = 0;  // folders for the library root
};

struct MenuState {
  bool cut = false, copy = false, paste = false, del = false;
  bool new_folder = false, new_book = false, new_file = false;
  bool move_up = false, move_down = false;
  bool favourite = false, favourite_checked = false;
  bool sort = false;

  bool operator==(const MenuState& o) const;
};

// The enablement table of the tree's context menu.
MenuState ContextMenuState(const MenuFacts& facts);
// The item a right click acts on: the clicked one, else the selection, else
// the library root.
ModelItem* ContextMenuTarget(TreeModel& model, ModelItem* clicked);
// The facts for `item`; nothing when no menu is shown (no library, busy, the
// favourites root or an entry).
std::optional<MenuFacts> ContextMenuFacts(const NodeStore& store, const TreeModel& model,
                                          const ModelItem* item);

// --- Operations ----------------------------------------------------------------

// A new node with the default title, last under its parent: a folder under
// the library root, a book under the selected folder, a file under the
// selected book. The window layer then starts editing its label.
OpResult NewNode(NodeStore& store, TreeModel& model, NodeKind kind);
// Alt+N: the child kind of the selected item (library root: folder, folder:
// book, book: file; nothing on a file).
OpResult NewChildOfSelection(NodeStore& store, TreeModel& model);

struct RenameResult {
  bool done = false;
  std::u16string title;    // as stored
  bool read_only = false;  // the title ends with a backtick: save the page now
  bool selection_changed = false;
  ShownPage page;
};
// The end of a label edit on `item` (a node or its favourites entry) with
// the editor's text, confirmed or not.
RenameResult RenameNode(NodeStore& store, TreeModel& model, ModelItem* item,
                        std::u16string_view typed);

// The delete question: message 23, then " '", the title, "' ?".
std::u16string DeleteQuestion(std::u16string_view message23, std::u16string_view title);
// Deletes the selected node with everything under it, or on the library
// root every node (after the window layer's confirmation). The parent's
// remaining children are renumbered; a neighbour, or the parent, is selected.
OpResult DeleteSelected(NodeStore& store, TreeModel& model);

OpResult CutSelected(NodeStore& store, TreeModel& model);
OpResult CopySelected(NodeStore& store, TreeModel& model);
// Pastes the tree clipboard as the first child of the selected item: a book
// into a folder, a file into a book. A copy gets new ids (a book's files
// too) and no favourite marks; a cut node moves with its id and keeps its
// marks and its files' marks. The busy flag is held throughout.
OpResult Paste(NodeStore& store, TreeModel& model);

enum class MoveDirection { kUp, kDown };
// Swaps the selected node with its previous or next sibling.
OpResult MoveSelected(NodeStore& store, TreeModel& model, MoveDirection direction);

// Marks or unmarks the selected book or file (id +10 or -10; a book's files
// follow with their `p`).
OpResult ToggleFavourite(NodeStore& store, TreeModel& model);

// Sorts the selected folder's or book's children by title, ignoring case,
// and renumbers them.
OpResult SortSelected(NodeStore& store, TreeModel& model);
// The sort order of titles: case-insensitive for Latin letters (including
// the Romanian ones), otherwise by code unit.
bool TitleSortsBefore(std::u16string_view a, std::u16string_view b);

// Stores the orders 0, 1, 2, ... of `parent`'s children as they stand, each
// row found by its rowid and id (by id alone when that finds none).
void RenumberChildren(NodeStore& store, TreeModel& model, ModelItem* parent);

// Double click on the library root: flips the expand-all flag and expands or
// collapses every folder and book.
bool ToggleExpandAll(NodeStore& store, TreeModel& model);

// Ctrl+click on a node: it becomes the second pane's node and its ancestors
// are expanded.
bool ShowInSecondPane(TreeModel& model, ModelItem* item);

}  // namespace lw
