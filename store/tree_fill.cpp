#include "store/tree_fill.h"

#include <sqlite3.h>

#include <algorithm>
#include <climits>
#include <unordered_map>
#include <utility>

#include "base/utf.h"
#include "store/statements.h"
#include "store/title.h"

namespace lw {

namespace {

// --- The table -----------------------------------------------------------------------

// The name that reads a row's rowid, or empty when `tab` is not a table a
// library can have; the reason then goes to the sink. Looked at before any
// row is read: a view named tab (a recursive one, say) would run as a query
// and might never end.
std::u16string RowidNameOf(Db& db, TreeRead* status) {
  *status = TreeRead::kFailed;
  Statement list = db.Prepare(
      u"SELECT type, wr FROM pragma_table_list WHERE schema = 'main' AND name = 'tab' "
      u"COLLATE NOCASE");
  if (!list) return {};
  std::u16string problem;
  if (!list.Step()) {
    if (list.failed()) return {};
    problem = u"it has no table tab";
  } else if (list.ColumnText16(0) != u"table") {
    problem = u"its tab is a " + list.ColumnText16(0) + u", not a table";
  } else if (list.ColumnInt(1) != 0) {
    problem = u"its table tab has no rowids";
  }
  list.Finalize();
  std::vector<std::u16string> columns;
  if (problem.empty()) {
    Statement info = db.Prepare(u"SELECT lower(name) FROM pragma_table_info('tab')");
    while (info.Step()) columns.push_back(info.ColumnText16(0));
    if (!info || info.failed()) return {};
    for (const char16_t* needed : {u"id", u"p", u"i", u"t", u"r"}) {
      if (std::find(columns.begin(), columns.end(), needed) == columns.end()) {
        problem = u"its table tab has no column " + std::u16string(needed);
        break;
      }
    }
  }
  if (!problem.empty()) {
    *status = TreeRead::kNotLibrary;
    db.Report(u"not a Lorewell library: " + problem);
    return {};
  }
  *status = TreeRead::kRead;
  // A column of the table may take one of the names of the rowid.
  for (const char16_t* name : {u"rowid", u"_rowid_", u"oid"}) {
    if (std::find(columns.begin(), columns.end(), name) == columns.end()) return name;
  }
  *status = TreeRead::kNotLibrary;
  db.Report(u"not a Lorewell library: its table tab hides its rowids");
  return {};
}

// --- The rows ------------------------------------------------------------------------

struct Row {
  std::int64_t rowid = 0;
  std::int64_t id = 0;
  std::int64_t parent = 0;
  bool id_integer = false;
  bool parent_integer = false;
  // The sort key of `i` as "ORDER BY i" compares it: NULL first, then
  // numbers, then everything else (texts and blobs an outside tool wrote).
  int order_class = 0;
  double order_value = 0;
  int order = 0;
  std::u16string title;
  bool shown = false;
  int level = 0;  // 1 folder, 2 book, 3 file when shown
};

bool OrderLess(const Row& a, const Row& b) {
  if (a.order_class != b.order_class) return a.order_class < b.order_class;
  return a.order_class == 1 && a.order_value < b.order_value;
}

// A value as SQLite prints it, for the report of a hidden row.
std::string Printed(sqlite3_stmt* s, int col) {
  if (sqlite3_column_type(s, col) == SQLITE_NULL) return "NULL";
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, col));
  const std::string value = text ? text : "";
  const int type = sqlite3_column_type(s, col);
  return type == SQLITE_INTEGER || type == SQLITE_FLOAT ? value : "'" + value + "'";
}

int OrderClass(int type) {
  if (type == SQLITE_NULL) return 0;
  return type == SQLITE_INTEGER || type == SQLITE_FLOAT ? 1 : 2;
}

class Reader {
 public:
  Reader(LoadReport* report, UsedNumbers* reserved) : report_(report), reserved_(reserved) {}

  bool Read(Db& db, const std::u16string& rowid) {
    Statement st = db.Prepare(u"SELECT " + rowid + u",id,p,i,t FROM tab");
    if (!st) return false;
    sqlite3_stmt* s = st.handle();
    while (st.Step()) {
      Row row;
      row.rowid = sqlite3_column_int64(s, 0);
      row.id_integer = sqlite3_column_type(s, 1) == SQLITE_INTEGER;
      row.id = sqlite3_column_int64(s, 1);
      row.parent_integer = sqlite3_column_type(s, 2) == SQLITE_INTEGER;
      row.parent = sqlite3_column_int64(s, 2);
      row.order_class = OrderClass(sqlite3_column_type(s, 3));
      row.order_value = sqlite3_column_double(s, 3);
      row.order = sqlite3_column_int(s, 3);
      row.title = st.ColumnText16(4);
      if (!row.id_integer || !row.parent_integer) printed_[rows_.size()] = {Printed(s, 1), Printed(s, 2)};
      rows_.push_back(std::move(row));
    }
    if (st.failed()) return false;
    for (std::uint32_t k = 0; k < rows_.size(); ++k) {
      if (rows_[k].parent_integer) by_parent_[rows_[k].parent].push_back(k);
    }
    return true;
  }

  void Build(std::vector<TreeRow>* folders) {
    for (std::uint32_t f : Children(0)) {
      if (!Take(f, NodeKind::kFolder, 1)) continue;
      TreeRow& folder = Add(folders, f);
      for (std::uint32_t b : Children(rows_[f].id)) {
        if (!Take(b, NodeKind::kBook, 2)) continue;
        TreeRow& book = Add(&folder.children, b);
        for (std::uint32_t x : Children(rows_[b].id)) {
          if (Take(x, NodeKind::kFile, 3)) Add(&book.children, x);
        }
      }
    }
    for (std::uint32_t k = 0; k < rows_.size(); ++k) {
      if (!rows_[k].shown) Hide(k);
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

  static bool Integer32(std::int64_t v) { return v >= INT_MIN && v <= INT_MAX; }

  // A row is shown at a level only when its id is an integer that follows
  // the scheme, has the kind of that level, and its number is not shown
  // already: the tree and every operation identify a node by its id alone.
  // A text id such as '100x' never stands for the number 100.
  bool Take(std::uint32_t k, NodeKind kind, int level) {
    Row& row = rows_[k];
    if (!row.id_integer || !Integer32(row.id)) return false;
    const int id = static_cast<int>(row.id);
    if (NodeKindOf(id) != kind) return false;
    const auto number = static_cast<std::size_t>(NodeNumber(id));
    if (shown_.test(number)) return false;
    shown_.set(number);
    row.shown = true;
    row.level = level;
    return true;
  }

  TreeRow& Add(std::vector<TreeRow>* into, std::uint32_t k) {
    Row& row = rows_[k];
    TreeRow node;
    node.rowid = row.rowid;
    node.id = static_cast<int>(row.id);
    node.order = row.order;
    node.title = std::move(row.title);
    into->push_back(std::move(node));
    return into->back();
  }

  HiddenReason ReasonFor(const Row& row) const {
    if (!row.id_integer) return HiddenReason::kIdNotInteger;
    if (!Integer32(row.id) || !IsValidNodeId(static_cast<int>(row.id))) {
      return HiddenReason::kIdOutsideScheme;
    }
    if (!row.parent_integer) return HiddenReason::kParentNotInteger;
    const int id = static_cast<int>(row.id);
    if (shown_.test(static_cast<std::size_t>(NodeNumber(id)))) return HiddenReason::kNumberTaken;
    const int want = KindLevel(*NodeKindOf(id));
    if (row.parent == 0) return want == 1 ? HiddenReason::kNoShownParent : HiddenReason::kWrongLevel;
    const auto parent = shown_rows_.find(row.parent);
    if (parent == shown_rows_.end()) return HiddenReason::kNoShownParent;
    return HiddenReason::kWrongLevel;  // its parent is shown, at a level not above its own
  }

  void Hide(std::uint32_t k) {
    if (!shown_rows_built_) {
      shown_rows_built_ = true;
      for (const Row& r : rows_) {
        if (r.shown) shown_rows_.emplace(r.id, r.level);
      }
    }
    const Row& row = rows_[k];
    if (reserved_ && row.id_integer && row.id / 100 >= 1 && row.id / 100 <= kMaxNodeNumber) {
      reserved_->set(static_cast<std::size_t>(row.id / 100));
    }
    if (!report_) return;
    ++report_->hidden_rows;
    HiddenRow hidden;
    hidden.rowid = row.rowid;
    const auto printed = printed_.find(k);
    hidden.id = printed != printed_.end() ? printed->second.first : std::to_string(row.id);
    hidden.parent = printed != printed_.end() ? printed->second.second : std::to_string(row.parent);
    hidden.reason = ReasonFor(row);
    report_->hidden.push_back(std::move(hidden));
  }

  LoadReport* report_;
  UsedNumbers* reserved_;
  std::vector<Row> rows_;
  std::unordered_map<std::uint32_t, std::pair<std::string, std::string>> printed_;
  std::unordered_map<std::int64_t, std::vector<std::uint32_t>> by_parent_;
  std::unordered_map<std::int64_t, int> shown_rows_;
  bool shown_rows_built_ = false;
  const std::vector<std::uint32_t> none_;
  UsedNumbers shown_;
};

// Adds `rows` under `parent` in `model`, cutting long titles for the view.
void AddToModel(TreeModel& model, ModelItem* parent, std::vector<TreeRow>& rows,
                LoadReport* report) {
  for (TreeRow& row : rows) {
    std::u16string text = std::move(row.title);
    if (text.size() > kMaxTitleLength) {
      text.resize(kMaxTitleLength);
      if (text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
      if (report) ++report->long_titles;
    }
    ModelItem* item =
        model.AddNode(parent, row.id, std::move(text), row.order, false, row.rowid);
    if (IsFavourite(row.id)) model.AddFavouriteEntry(row.id, item->text());
    AddToModel(model, item, row.children, report);
  }
}

}  // namespace

const char* HiddenReasonText(HiddenReason reason) {
  switch (reason) {
    case HiddenReason::kIdNotInteger: return "its id is not an integer";
    case HiddenReason::kIdOutsideScheme: return "its id is not a node id";
    case HiddenReason::kParentNotInteger: return "its parent is not an integer";
    case HiddenReason::kWrongLevel: return "its kind does not belong at its place";
    case HiddenReason::kNumberTaken: return "another node has its number";
    case HiddenReason::kNoShownParent: return "its parent is not in the tree";
  }
  return "";
}

TreeRead ReadTree(Db& db, TreeRows* tree, LoadReport* report, UsedNumbers* reserved) {
  if (report) *report = LoadReport();
  TreeRead status = TreeRead::kFailed;
  tree->rowid_name = RowidNameOf(db, &status);
  if (status != TreeRead::kRead) return status;
  Reader reader(report, reserved);
  if (!reader.Read(db, tree->rowid_name)) return TreeRead::kFailed;
  reader.Build(&tree->folders);
  return TreeRead::kRead;
}

std::u16string RowidName(Db& db) {
  TreeRead status = TreeRead::kFailed;
  return RowidNameOf(db, &status);
}

TreeRead FillTree(Db& db, TreeModel& model, LoadReport* report) {
  TreeRows tree;
  UsedNumbers reserved;
  const TreeRead read = ReadTree(db, &tree, report, &reserved);
  if (read == TreeRead::kRead) {
    AddToModel(model, model.library_root(), tree.folders, report);
    for (std::size_t n = 1; n <= kMaxNodeNumber; ++n) {
      if (reserved.test(n)) model.ReserveNumber(static_cast<int>(n));
    }
  }
  model.RebuildIndex();
  return read;
}

}  // namespace lw
