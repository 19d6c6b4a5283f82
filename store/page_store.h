// A node's title and page read, its page stored, each found by its row.
//
// `tab` has no index, so every "WHERE id = ..." reads the whole table (some
// 15 ms at 32,768 nodes). The tree's one scan reads each row's rowid with
// its id (tree_fill.h); the model keeps it with the node item and the index
// answers it for an id, so a page is one lookup. A row is addressed by rowid
// and id together: a rowid gone stale (VACUUM renumbers the rowids of a
// table without an INTEGER PRIMARY KEY; a deleted row's rowid may be taken
// again) then finds no row instead of another node's, and the statement by
// id finds the row.
//
// Failures of SQLite calls go to the store's ErrorSink.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "store/db.h"
#include "store/node_store.h"
#include "store/tree_model.h"

namespace lw {

struct StoredPage {
  std::u16string title;
  std::string rtf;       // the page up to its terminating zero byte
  bool is_null = false;  // no page was ever stored for the node
};

// The title and page of node `id`; nothing when no row has the id or the
// read failed.
std::optional<StoredPage> ReadPage(NodeStore& store, const TreeModel& model, int id);

enum class PageWrite {
  kStored,  // exactly one row holds the page now
  kNoRow,   // no row has the id; nothing was written
  kFailed,  // the write failed (reported); the page is not saved
};

// Stores `rtf` as the page of node `id`, followed by one zero byte as pages
// are stored (Statement::BindPage).
PageWrite StorePage(NodeStore& store, const TreeModel& model, int id, std::string_view rtf);

// The largest page StorePage can store on the open connection: SQLite's
// length limit, which bounds a whole row, less room for the row's other
// values and the zero byte stored after the page.
std::int64_t PageByteLimit(NodeStore& store);

// Reads every row's rowid again, in one pass over the table, into the model
// and its index: after a VACUUM, which may have renumbered them. A node
// whose id repeats in the table keeps its rowid while that row still has
// the id.
void RereadRowids(NodeStore& store, TreeModel& model);

// --- For the tree operations ----------------------------------------------------

// `by_rowid` (binds rowid, id) standing on the row `rowid` of node `id`, or,
// when there is no rowid or that row does not carry the id, `by_id`
// (formatted with the id) standing on the first row that does. Nothing when
// no row has the id or a statement failed (reported).
std::optional<Statement> SeekNodeRow(Db& db, std::string_view by_rowid, std::string_view by_id,
                                     std::optional<std::int64_t> rowid, int id);

// Runs `st`, a statement ending in "WHERE rowid = ? AND id = ?" with its
// other values bound, on the row `rowid` of node `id` (parameters `index`
// and `index` + 1): the rows it changed, 0 when that row does not carry the
// id, -1 when it failed (reported).
int RunOnRow(Statement& st, int index, std::int64_t rowid, int id);

}  // namespace lw
