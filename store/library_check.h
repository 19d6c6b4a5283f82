// The health of a library's rows, as the maintenance commands count it and
// with the rows named: duplicate ids, and each row the tree cannot show with
// the reason.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/db.h"
#include "store/tree_fill.h"

namespace lw {

struct CheckReport {
  bool read = false;       // the queries ran (failures were reported)
  std::int64_t rows = 0;   // every row of `tab`, NULL ids included
  std::int64_t shown = 0;  // nodes the tree shows
  // Ids held by more than one row, as SQLite prints them ("%i duplicates."
  // counts them). Rows without an id are not duplicates of each other.
  std::vector<std::string> duplicate_ids;
  // Each row the tree does not show, with the reason ("%i hidden.").
  std::vector<HiddenRow> hidden;

  bool clean() const { return read && duplicate_ids.empty() && hidden.empty(); }
};

// Checks the library open in `db`, whose tree was read with `load` as its
// report. Reads only.
CheckReport CheckLibrary(Db& db, std::int64_t shown, const LoadReport& load);

}  // namespace lw
