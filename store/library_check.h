// The health of a library's rows, as the maintenance commands count it and
// with the rows named: duplicate ids, rows the tree cannot show, and why.
#pragma once

#include <vector>

#include "store/db.h"
#include "store/tree_model.h"

namespace lw {

struct CheckReport {
  bool read = false;  // the queries ran (failures were reported)
  int rows = 0;       // rows of `tab`
  int shown = 0;      // nodes the loaded tree shows
  // Ids held by more than one row ("%i duplicates." counts them).
  std::vector<int> duplicate_ids;
  // Rows the tree does not show: rows - shown ("%i hidden.").
  int hidden() const { return rows - shown; }
  // Ids outside the scheme (last two digits not 00, 02, 04, 12, 14, or a
  // number out of range).
  std::vector<int> off_scheme_ids;
  // Rows whose parent id is no row's id: {id, p}.
  struct Orphan {
    int id = 0;
    int parent = 0;
  };
  std::vector<Orphan> broken_parents;

  bool clean() const {
    return read && duplicate_ids.empty() && hidden() == 0 && off_scheme_ids.empty() &&
           broken_parents.empty();
  }
};

// Checks the library open in `db`, whose tree `model` has been filled from
// it. Reads only.
CheckReport CheckLibrary(Db& db, const TreeModel& model);

}  // namespace lw
