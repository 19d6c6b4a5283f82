#include "store/vacuum.h"

#include <sqlite3.h>

#include <map>
#include <string>

#include "base/utf.h"
#include "store/cipher_open.h"
#include "store/rekey.h"
#include "store/statements.h"

namespace lw {

namespace {

// The number of rows of every table, by name; empty when a count failed
// (reported through the connection's sink).
std::map<std::u16string, long long> RowCounts(Db& db) {
  std::map<std::u16string, long long> counts;
  Statement tables = db.Prepare8("SELECT name FROM sqlite_master WHERE type = 'table'");
  while (tables && tables.Step()) counts[tables.ColumnText16(0)] = 0;
  if (!tables || tables.failed()) return {};
  for (auto& [name, rows] : counts) {
    std::u16string quoted = u"\"";
    for (char16_t c : name) quoted += c == u'"' ? std::u16string(u"\"\"") : std::u16string(1, c);
    Statement count = db.Prepare(u"SELECT count(*) FROM " + quoted + u"\"");
    if (!count || !count.Step()) return {};
    rows = sqlite3_column_int64(count.handle(), 0);
  }
  return counts;
}

// SQLite's quick check of `db`: true when it answers "ok"; otherwise its
// first finding is reported.
bool QuickCheck(Db& db) {
  Statement check = db.Prepare8("PRAGMA quick_check(1)");
  if (!check || !check.Step()) return false;
  const std::u16string verdict = check.ColumnText16(0);
  if (verdict == u"ok") return true;
  db.Report(verdict);
  return false;
}

// Compacts the copy at `copy` in place (nothing depends on it yet) and
// checks the result against what it held before.
bool CompactCopy(const std::u16string& copy, std::u16string_view password, const ErrorSink& on_error) {
  Db db(on_error);
  if (!OpenWithPassword(db, copy, password) || !db.ApplyOpenSettings()) return false;
  const std::map<std::u16string, long long> before = RowCounts(db);
  if (before.empty() || !db.Exec(kSqlVacuum) || !QuickCheck(db)) return false;
  if (RowCounts(db) != before) {
    on_error(Utf8ToUtf16(sqlite3_errstr(SQLITE_CORRUPT)));
    return false;
  }
  return true;
}

}  // namespace

bool VacuumLibraryFile(const std::u16string& path, std::u16string_view password,
                       const ErrorSink& sink) {
  const ErrorSink on_error = sink ? sink : [](const std::u16string&) {};
  return ReplaceLibraryByCopy(
      path, kVacuumTag,
      [&](const std::u16string& library, const std::u16string& copy) {
        return WriteLibraryCopy(library, copy, password, password, on_error) &&
               CompactCopy(copy, password, on_error);
      },
      on_error);
}

bool VacuumOpenLibrary(Db& db, const std::u16string& path, std::u16string_view password) {
  const ErrorSink sink = [&db](const std::u16string& message) { db.Report(message); };
  // The copy must read a quiet file, and Windows cannot replace a file that
  // is open.
  db.Close();
  const bool ok = VacuumLibraryFile(path, password, sink);
  if (OpenWithPassword(db, path, password)) db.ApplyOpenSettings();
  return ok;
}

}  // namespace lw
