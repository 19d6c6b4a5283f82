#include "store/library_view.h"

#include "store/db.h"
#include "store/statements.h"

namespace lw {

namespace {

// Depth 1..3 walk of one parent's children in "ORDER BY i" order.
void ReadChildren(Db& db, int32_t parent, int level, std::vector<ViewRow>* rows) {
  std::vector<ViewRow> children;
  {
    Statement st = parent == 0 ? db.Prepare(FormatSql16(kSqlSelectFolders))
                               : db.Prepare(FormatSql16(kSqlSelectChildren, {parent}));
    while (st.Step()) {
      ViewRow row;
      row.id = st.ColumnInt(0);
      row.level = level;
      row.title = st.ColumnText16(1);
      children.push_back(std::move(row));
    }
  }
  for (ViewRow& child : children) {
    int32_t id = child.id;
    rows->push_back(std::move(child));
    if (level < 3) ReadChildren(db, id, level + 1, rows);
  }
}

}  // namespace

bool ReadLibraryTree(const std::u16string& path, std::vector<ViewRow>* rows, std::u16string* error) {
  rows->clear();
  // Opening a missing file would create an empty database in its place.
  if (!IsRegularFile(path)) {
    if (error) *error = u"The file does not exist.";
    return false;
  }
  bool failed = false;
  Db db([&](const std::u16string& message) {
    if (!failed && error) *error = message;
    failed = true;
  });
  if (!db.Open(path) || !db.ApplyOpenSettings()) return false;
  ReadChildren(db, 0, 1, rows);
  return !failed;
}

std::string ReadLibraryPage(const std::u16string& path, int32_t id) {
  if (!IsRegularFile(path)) return std::string();
  Db db([](const std::u16string&) {});
  if (!db.Open(path)) return std::string();
  Statement st = db.Prepare(FormatSql16(kSqlSelectPage, {id}));
  return st.Step() ? st.ColumnPage(0) : std::string();
}

}  // namespace lw
