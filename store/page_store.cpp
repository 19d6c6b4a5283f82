#include "store/page_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

#include "store/statements.h"
#include "store/tree_fill.h"

namespace lw {

std::optional<Statement> SeekNodeRow(Db& db, std::string_view by_rowid, std::string_view by_id,
                                     std::optional<std::int64_t> rowid, int id) {
  if (rowid) {
    Statement st = db.Prepare(FormatSql16(by_rowid));
    if (!(st.BindInt64(1, *rowid) && st.BindInt(2, id))) return std::nullopt;
    if (st.Step()) return st;
    if (st.failed()) return std::nullopt;
  }
  Statement st = db.Prepare(FormatSql16(by_id, {id}));
  if (st.Step()) return st;
  return std::nullopt;
}

int RunOnRow(Statement& st, int index, std::int64_t rowid, int id) {
  if (!(st.BindInt64(index, rowid) && st.BindInt(index + 1, id))) return -1;
  return st.RunCountingChanges();
}

std::optional<StoredPage> ReadPage(NodeStore& store, const TreeModel& model, int id) {
  const std::optional<Statement> st =
      SeekNodeRow(store.db(), kSqlSelectTitleAndPageByRowid, kSqlSelectTitleAndPage,
                  model.index().RowidOf(id), id);
  if (!st) return std::nullopt;
  StoredPage page;
  page.title = st->ColumnText16(0);
  page.rtf = st->ColumnPage(1);
  page.is_null = st->ColumnIsNull(1);
  return page;
}

PageWrite StorePage(NodeStore& store, const TreeModel& model, int id, std::string_view rtf) {
  Db& db = store.db();
  int changed = 0;
  if (const std::optional<std::int64_t> rowid = model.index().RowidOf(id)) {
    Statement st = db.Prepare(FormatSql16(kSqlStorePageByRowid));
    changed = st.BindPage(1, rtf) ? RunOnRow(st, 2, *rowid, id) : -1;
  }
  if (changed == 0) {
    Statement st = db.Prepare(FormatSql16(kSqlStorePageFirstById));
    changed = st.BindPage(1, rtf) && st.BindInt(2, id) ? st.RunCountingChanges() : -1;
  }
  if (changed == 0) return PageWrite::kNoRow;
  return changed == 1 ? PageWrite::kStored : PageWrite::kFailed;
}

std::int64_t PageByteLimit(NodeStore& store) {
  sqlite3* db = store.db().handle();
  // The limit bounds the whole row too: its id, parent, order, title and
  // record header must fit beside the page and its zero byte.
  constexpr int kRowRoom = 1024;
  const int limit = db ? sqlite3_limit(db, SQLITE_LIMIT_LENGTH, -1) : 0;
  return limit > kRowRoom ? limit - kRowRoom : 0;
}

void RereadRowids(NodeStore& store, TreeModel& model) {
  Db& db = store.db();
  const std::u16string rowid_name = RowidName(db);
  if (rowid_name.empty()) return;
  // (id, rowid) of every row with an integer id, in table order.
  using IdRow = std::pair<int, std::int64_t>;
  std::vector<IdRow> rows;
  Statement st = db.Prepare(u"SELECT " + rowid_name + u",id FROM tab");
  sqlite3_stmt* s = st.handle();
  while (st.Step()) {
    if (sqlite3_column_type(s, 1) != SQLITE_INTEGER) continue;
    const sqlite3_int64 id = sqlite3_column_int64(s, 1);
    if (id < INT_MIN || id > INT_MAX) continue;
    rows.emplace_back(static_cast<int>(id), sqlite3_column_int64(s, 0));
  }
  if (!st || st.failed()) return;
  const auto by_id = [](const IdRow& a, const IdRow& b) { return a.first < b.first; };
  std::stable_sort(rows.begin(), rows.end(), by_id);
  for (const IndexEntry& e : model.index()) {
    auto* item = static_cast<ModelItem*>(e.item);
    const auto same = std::equal_range(rows.begin(), rows.end(), IdRow{e.id, 0}, by_id);
    std::int64_t rowid = 0;  // no row has the id any more
    if (same.first != same.second) {
      rowid = same.first->second;
      for (auto it = same.first; it != same.second; ++it) {
        if (it->second == item->rowid()) rowid = it->second;
      }
    }
    model.SetRowid(item, rowid);
  }
  model.RebuildIndex();
}

}  // namespace lw
