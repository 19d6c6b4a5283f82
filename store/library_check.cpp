#include "store/library_check.h"

#include <sqlite3.h>

namespace lw {

CheckReport CheckLibrary(Db& db, std::int64_t shown, const LoadReport& load) {
  CheckReport report;
  // Both passes walk every leaf page of the table.
  MappedReading mapped(db);
  // Every row counts, "count(id)" would skip those without an id; ids are
  // compared as stored, whatever their size or type.
  Statement count = db.Prepare(u"SELECT count(*) FROM tab");
  if (!count.Step()) return report;
  report.rows = sqlite3_column_int64(count.handle(), 0);
  count.Finalize();
  Statement duplicates = db.Prepare(
      u"SELECT quote(id) FROM tab WHERE id IS NOT NULL GROUP BY id HAVING count(*) > 1");
  while (duplicates.Step()) {
    report.duplicate_ids.push_back(
        reinterpret_cast<const char*>(sqlite3_column_text(duplicates.handle(), 0)));
  }
  if (!duplicates || duplicates.failed()) return report;
  report.shown = shown;
  report.hidden = load.hidden;
  report.read = true;
  return report;
}

}  // namespace lw
