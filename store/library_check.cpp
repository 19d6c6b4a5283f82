#include "store/library_check.h"

#include <unordered_set>

#include "store/node_id.h"
#include "store/statements.h"

namespace lw {

CheckReport CheckLibrary(Db& db, const TreeModel& model) {
  CheckReport report;
  Statement duplicates = db.Prepare(FormatSql16(kSqlSelectDuplicateIds));
  if (!duplicates) return report;
  while (duplicates.Step()) report.duplicate_ids.push_back(duplicates.ColumnInt(0));
  if (duplicates.failed()) return report;
  duplicates.Finalize();

  report.rows = db.CountNodes();
  report.shown = static_cast<int>(model.index().size());

  std::vector<CheckReport::Orphan> rows;
  std::unordered_set<int> ids;
  Statement all = db.Prepare(FormatSql16(kSqlSelectTree));
  if (!all) return report;
  while (all.Step()) {
    const int id = all.ColumnInt(0);
    rows.push_back({id, all.ColumnInt(1)});
    ids.insert(id);
    if (!IsValidNodeId(id)) report.off_scheme_ids.push_back(id);
  }
  if (all.failed()) return report;
  for (const CheckReport::Orphan& r : rows) {
    if (r.parent != 0 && !ids.count(r.parent)) report.broken_parents.push_back(r);
  }
  report.read = true;
  return report;
}

}  // namespace lw
