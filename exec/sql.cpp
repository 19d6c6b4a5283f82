#include "exec/sql.h"

#include <sqlite3.h>

#include "store/node_id.h"

namespace lw {

bool MakePlaceholders(Db& db, TreeModel& model, SqlPlaceholders* out) {
  UsedNumbers taken;
  int* ids[] = {&out->folder_id, &out->book_id, &out->file_id};
  const NodeKind kinds[] = {NodeKind::kFolder, NodeKind::kBook, NodeKind::kFile};
  for (int i = 0; i < 3; ++i) {
    // Each draw sees the numbers drawn before it, so the three differ.
    const std::optional<int> id = model.NewId(kinds[i], &taken);
    if (!id) return false;
    *ids[i] = *id;
    taken.set(static_cast<size_t>(NodeNumber(*id)));
  }
  Statement st = db.Prepare(u"SELECT count(p) FROM tab WHERE p = 0");
  out->top_level = st.Step() ? st.ColumnInt(0) : 0;
  return true;
}

std::u16string FillPlaceholders(std::u16string_view statement, const SqlPlaceholders& values) {
  std::u16string out;
  out.reserve(statement.size());
  auto number = [](int v) {
    const std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
  };
  for (char16_t c : statement) {
    switch (c) {
      case u'\r': break;
      case u'@': out += number(values.folder_id); break;
      case u'#': out += number(values.book_id); break;
      case u'$': out += number(values.file_id); break;
      case u'>': out += number(values.top_level); break;
      default: out += c;
    }
  }
  return out;
}

namespace {

// Prepares the first statement of `text` without reporting; the end of
// the statement (in units of `text`) and whether one was found.
bool PrepareQuietly(sqlite3* db, std::u16string_view text, size_t* end) {
  sqlite3_stmt* st = nullptr;
  const void* tail = nullptr;
  const int rc = sqlite3_prepare16_v2(db, text.data(), static_cast<int>(text.size() * sizeof(char16_t)), &st,
                                      &tail);
  *end = tail ? static_cast<size_t>(static_cast<const char16_t*>(tail) - text.data()) : text.size();
  const bool found = rc != SQLITE_OK || st != nullptr;
  sqlite3_finalize(st);
  return found;
}

}  // namespace

FirstStatement SplitFirstStatement(Db& db, std::u16string_view text) {
  FirstStatement result;
  if (!db.handle()) {
    result.sql = std::u16string(text);
    return result;
  }
  size_t end = text.size();
  PrepareQuietly(db.handle(), text, &end);
  result.sql = std::u16string(text.substr(0, end));
  // A rest that holds a statement, or text SQLite cannot read, is more.
  size_t rest_end = 0;
  result.more = end < text.size() && PrepareQuietly(db.handle(), text.substr(end), &rest_end);
  return result;
}

SqlRun RunSql(Db& db, std::u16string_view sql) {
  SqlRun run;
  Statement st = db.Prepare(sql);
  if (!st) return run;
  run.prepared = true;
  sqlite3_stmt* s = st.handle();
  const bool reads_only = sqlite3_stmt_readonly(s) != 0;
  while (st.Step()) {
    std::vector<std::u16string> row;
    for (int c = 0; c < sqlite3_column_count(s); ++c) {
      const void* text = sqlite3_column_text16(s, c);
      row.push_back(text ? static_cast<const char16_t*>(text) : u"NULL");
    }
    run.rows.push_back(std::move(row));
  }
  if (st.failed()) return run;
  run.changes = reads_only ? 0 : sqlite3_changes(db.handle());
  run.ok = true;
  return run;
}

int DuplicateIdCount(Db& db) {
  Statement st = db.Prepare(u"SELECT id FROM tab GROUP BY id HAVING COUNT(*) > 1");
  if (!st) return -1;
  int n = 0;
  while (st.Step()) ++n;
  return st.failed() ? -1 : n;
}

}  // namespace lw
