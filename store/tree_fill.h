// Filling the tree from a library.
#pragma once

#include "store/db.h"
#include "store/tree_model.h"

namespace lw {

// What a fill met that the tree cannot show as it stands, for a notice.
struct LoadReport {
  // Rows left out of the tree: ids outside the scheme, a kind at the wrong
  // level, a number already shown, or a parent that is not shown. Their
  // numbers are reserved so that no new node takes them.
  int hidden_rows = 0;
  // Titles longer than 44 characters, shown cut to 44. The rows are not
  // changed.
  int long_titles = 0;
};

// Fills the library root of `model` (just Reset) with the library's nodes in
// tree order: the folders in "ORDER BY i" order (ties in table order), each
// followed by its books, each book by its files; favourite books and files
// also get their favourites entries. Rebuilds the index. False when the
// library could not be read (reported through the Db's sink); nothing is
// added then.
bool FillTree(Db& db, TreeModel& model, LoadReport* report);

}  // namespace lw
