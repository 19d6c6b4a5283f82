#include "store/tree_fill.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "store/statements.h"
#include "store/title.h"

namespace lw {

namespace {

struct Row {
  std::int64_t id = 0;
  std::int64_t parent = 0;
  // The sort key of `i` as "ORDER BY i" compares it: NULL first, then
  // numbers, then everything else (texts and blobs an outside tool wrote).
  int order_class = 0;
  double order_value = 0;
  int order = 0;
  std::u16string title;
  bool shown = false;
};

bool OrderLess(const Row& a, const Row& b) {
  if (a.order_class != b.order_class) return a.order_class < b.order_class;
  return a.order_class == 1 && a.order_value < b.order_value;
}

class Filler {
 public:
  Filler(TreeModel& model, LoadReport* report) : model_(model), report_(report) {}

  bool Read(Db& db) {
    Statement st = db.Prepare(FormatSql16(kSqlSelectTree));
    if (!st) return false;
    sqlite3_stmt* s = st.handle();
    while (st.Step()) {
      Row row;
      row.id = sqlite3_column_int64(s, 0);
      row.parent = sqlite3_column_int64(s, 1);
      switch (sqlite3_column_type(s, 2)) {
        case SQLITE_NULL: row.order_class = 0; break;
        case SQLITE_INTEGER:
        case SQLITE_FLOAT: row.order_class = 1; break;
        default: row.order_class = 2; break;
      }
      row.order_value = sqlite3_column_double(s, 2);
      row.order = sqlite3_column_int(s, 2);
      row.title = st.ColumnText16(3);
      rows_.push_back(std::move(row));
    }
    if (st.failed()) return false;
    for (std::uint32_t k = 0; k < rows_.size(); ++k) by_parent_[rows_[k].parent].push_back(k);
    return true;
  }

  void Fill() {
    ModelItem* root = model_.library_root();
    for (std::uint32_t f : Children(0)) {
      if (!Take(f, NodeKind::kFolder)) continue;
      ModelItem* folder = Add(root, f);
      for (std::uint32_t b : Children(rows_[f].id)) {
        if (!Take(b, NodeKind::kBook)) continue;
        ModelItem* book = Add(folder, b);
        for (std::uint32_t x : Children(rows_[b].id)) {
          if (Take(x, NodeKind::kFile)) Add(book, x);
        }
      }
    }
    for (const Row& row : rows_) {
      if (row.shown) continue;
      if (report_) ++report_->hidden_rows;
      if (row.id / 100 >= 1 && row.id / 100 <= kMaxNodeNumber) {
        model_.ReserveNumber(static_cast<int>(row.id / 100));
      }
    }
  }

 private:
  // Children of `parent` in "ORDER BY i" order; the stable sort keeps rows
  // with equal `i` in table order.
  const std::vector<std::uint32_t>& Children(std::int64_t parent) {
    auto it = by_parent_.find(parent);
    if (it == by_parent_.end()) return none_;
    std::stable_sort(it->second.begin(), it->second.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return OrderLess(rows_[a], rows_[b]); });
    return it->second;
  }

  // A row is shown at a level only when its id follows the scheme, has the
  // kind of that level, and its number is not shown already: the tree and
  // every operation identify a node by its id alone.
  bool Take(std::uint32_t k, NodeKind kind) {
    const Row& row = rows_[k];
    if (row.id < INT_MIN || row.id > INT_MAX) return false;
    const int id = static_cast<int>(row.id);
    if (NodeKindOf(id) != kind) return false;
    const auto number = static_cast<std::size_t>(NodeNumber(id));
    if (shown_.test(number)) return false;
    shown_.set(number);
    rows_[k].shown = true;
    return true;
  }

  ModelItem* Add(ModelItem* parent, std::uint32_t k) {
    Row& row = rows_[k];
    const int id = static_cast<int>(row.id);
    std::u16string text = std::move(row.title);
    if (text.size() > kMaxTitleLength) {
      text.resize(kMaxTitleLength);
      if (text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
      if (report_) ++report_->long_titles;
    }
    ModelItem* item = model_.AddNode(parent, id, std::move(text), row.order, false);
    if (IsFavourite(id)) model_.AddFavouriteEntry(id, item->text());
    return item;
  }

  TreeModel& model_;
  LoadReport* report_;
  std::vector<Row> rows_;
  std::unordered_map<std::int64_t, std::vector<std::uint32_t>> by_parent_;
  const std::vector<std::uint32_t> none_;
  UsedNumbers shown_;
};

}  // namespace

bool FillTree(Db& db, TreeModel& model, LoadReport* report) {
  if (report) *report = LoadReport();
  Filler filler(model, report);
  const bool read = filler.Read(db);
  if (read) filler.Fill();
  model.RebuildIndex();
  return read;
}

}  // namespace lw
