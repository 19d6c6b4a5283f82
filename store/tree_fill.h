// Reading the tree of a library: which rows it shows, in which order, and
// why the others are left out. The window's tree, import, export and the
// maintenance check all read a library through here, so they agree on what
// a library holds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/db.h"
#include "store/tree_model.h"

namespace lw {

// Why a row of `tab` is not shown.
enum class HiddenReason {
  kIdNotInteger,      // the id is NULL, a text, a real or a blob
  kIdOutsideScheme,   // last two digits not 00/02/04/12/14, or number not in 1..32768
  kParentNotInteger,  // `p` is NULL, a text, a real or a blob
  kWrongLevel,        // a book or file at the top, a folder under a node, ...
  kNumberTaken,       // another row shown already has the same number
  kNoShownParent,     // its parent is no row the tree shows
};

// The words of a reason, for the maintenance tools.
const char* HiddenReasonText(HiddenReason reason);

struct HiddenRow {
  std::int64_t rowid = 0;
  std::string id;      // as SQLite prints the value; "NULL" for none
  std::string parent;  // likewise
  HiddenReason reason = HiddenReason::kNoShownParent;
};

// What a read met that the tree cannot show as it stands, for a notice.
struct LoadReport {
  // Rows left out of the tree; their numbers are reserved so that no new
  // node takes them.
  int hidden_rows = 0;
  // Titles longer than 44 characters, shown cut to 44. The rows are not
  // changed.
  int long_titles = 0;
  // Each row left out, in table order, with the reason.
  std::vector<HiddenRow> hidden;
};

// One node as the tree shows it, with the nodes under it in tree order.
struct TreeRow {
  std::int64_t rowid = 0;
  int id = 0;
  int order = 0;         // `i` as an integer
  std::u16string title;  // as stored, however long
  std::vector<TreeRow> children;
};

struct TreeRows {
  std::vector<TreeRow> folders;
  // The name that reads a row's rowid in this library: "rowid", unless a
  // column of the table took that name.
  std::u16string rowid_name;
};

enum class TreeRead {
  kRead,
  kNotLibrary,  // `tab` is missing, a view, a virtual table, has no rowids
                // or lacks a column; the reason was reported
  kFailed,      // SQLite's text was reported
};

// Reads the folders of the library in `db` with their books and files: the
// folders in "ORDER BY i" order (ties in table order), each followed by its
// books, each book by its files. Rows whose id or parent is not an integer,
// breaks the id scheme, sits at the wrong level, repeats a number already
// shown or hangs under no shown row are left out and listed in `report`.
// `reserved` (may be null) gets the number of every row left out whose id
// is an integer in 1..32768 x 100, so no new node takes it.
TreeRead ReadTree(Db& db, TreeRows* tree, LoadReport* report, UsedNumbers* reserved = nullptr);

// The name that reads a row's rowid in the library in `db`, by the rule of
// TreeRows::rowid_name; empty when `tab` is no table a library can have or
// the query failed (the reason was reported).
std::u16string RowidName(Db& db);

// Fills the library root of `model` (just Reset) from ReadTree; favourite
// books and files also get their favourites entries. Rebuilds the index.
// Anything but kRead adds nothing.
TreeRead FillTree(Db& db, TreeModel& model, LoadReport* report);

}  // namespace lw
