// Test helpers: libraries written and read back with plain SQL, independent
// of the tree code under test, and the tree described as text.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "base/utf.h"
#include "store/db.h"
#include "store/node_store.h"
#include "store/tree_model.h"
#include "tools/testing/error_log.h"
#include "tools/testing/temp_dir.h"

namespace lw::testing {

struct Row {
  int id = 0, p = 0, i = 0;
  std::string title;
  std::optional<std::string> page;  // the stored bytes; nothing: NULL

  bool operator==(const Row& o) const {
    return id == o.id && p == o.p && i == o.i && title == o.title && page == o.page;
  }
};

inline std::ostream& operator<<(std::ostream& os, const Row& r) {
  return os << "{" << r.id << "," << r.p << "," << r.i << ",'" << r.title << "'}";
}

inline void WriteLibrary(const std::u16string& path, const std::vector<Row>& rows,
                         int user_version = 1) {
  ErrorLog log;
  Db db(log.sink());
  ASSERT_TRUE(db.Open(path));
  db.Exec("PRAGMA journal_mode = off; PRAGMA page_size = 4096; PRAGMA user_version = " +
          std::to_string(user_version) +
          "; CREATE TABLE tab (id INTEGER, p INTEGER, i INTEGER, t TEXT, r BLOB); BEGIN");
  for (const Row& r : rows) {
    Statement st = db.Prepare(u"INSERT INTO tab VALUES (?, ?, ?, ?, ?)");
    st.BindInt(1, r.id);
    st.BindInt(2, r.p);
    st.BindInt(3, r.i);
    st.BindText16(4, Utf8ToUtf16(r.title));
    if (r.page) st.BindBlob(5, r.page->data(), r.page->size());
    st.Run();
  }
  db.Exec("COMMIT");
  ASSERT_TRUE(log.empty()) << log.text();
}

// Every row in table order.
inline std::vector<Row> ReadRows(const std::u16string& path) {
  ErrorLog log;
  Db db(log.sink());
  std::vector<Row> rows;
  Statement st = db.Open(path) ? db.Prepare(u"SELECT id, p, i, t, r FROM tab ORDER BY rowid")
                               : Statement();
  while (st.Step()) {
    rows.push_back({st.ColumnInt(0), st.ColumnInt(1), st.ColumnInt(2),
                    Utf16ToUtf8(st.ColumnText16(3)), std::nullopt});
    if (!st.ColumnIsNull(4)) rows.back().page = st.ColumnBlob(4);
  }
  EXPECT_TRUE(log.empty()) << log.text();
  return rows;
}

inline std::map<int, Row> RowsById(const std::u16string& path) {
  std::map<int, Row> by_id;
  for (Row& r : ReadRows(path)) by_id[r.id] = r;
  return by_id;
}

// The rowid of each row, by its id.
inline std::map<int, std::int64_t> RowidsById(const std::u16string& path) {
  ErrorLog log;
  Db db(log.sink());
  std::map<int, std::int64_t> by_id;
  Statement st = db.Open(path) ? db.Prepare(u"SELECT rowid, id FROM tab") : Statement();
  while (st.Step()) by_id[st.ColumnInt(1)] = sqlite3_column_int64(st.handle(), 0);
  EXPECT_TRUE(log.empty()) << log.text();
  return by_id;
}

// Gives the rows of ids `a` and `b` each other's rowid, as another program
// (or a VACUUM) may, so that a rowid held for one finds the other.
inline void SwapRowids(const std::u16string& path, int a, int b) {
  const std::map<int, std::int64_t> rowids = RowidsById(path);
  ErrorLog log;
  Db db(log.sink());
  ASSERT_TRUE(db.Open(path));
  db.Exec("UPDATE tab SET rowid = -1 WHERE id = " + std::to_string(a) +
          "; UPDATE tab SET rowid = " + std::to_string(rowids.at(a)) +
          " WHERE id = " + std::to_string(b) + "; UPDATE tab SET rowid = " +
          std::to_string(rowids.at(b)) + " WHERE id = " + std::to_string(a));
  ASSERT_TRUE(log.empty()) << log.text();
}

// Every node the index of `model` lists carries the rowid of its row.
inline void ExpectRowidsOfRows(const TreeModel& model, const std::u16string& path) {
  const std::map<int, std::int64_t> rowids = RowidsById(path);
  for (const IndexEntry& e : model.index()) {
    EXPECT_EQ(e.rowid, rowids.count(e.id) ? rowids.at(e.id) : -1) << "node " << e.id;
    EXPECT_EQ(static_cast<const ModelItem*>(e.item)->rowid(), e.rowid) << "node " << e.id;
  }
}

// The items under `parent` as titles, "A{a1{x,y*},a2}"; '*' marks a
// favourite.
inline std::string Describe(const ModelItem* parent) {
  std::string out;
  if (!parent) return out;
  for (const ModelItem& c : parent->children()) {
    out += (out.empty() ? "" : ",") + Utf16ToUtf8(c.text()) + (IsFavourite(c.id()) ? "*" : "");
    if (c.child_count()) out += "{" + Describe(&c) + "}";
  }
  return out;
}

// A store and a model over libraries in a temporary folder.
class LibraryTest : public ::testing::Test {
 protected:
  // A new library file holding `rows`, opened.
  void Open(const std::vector<Row>& rows) {
    path_ = dir_.File16("lib" + std::to_string(++files_) + ".db");
    WriteLibrary(path_, rows);
    ASSERT_EQ(store_.OpenLibraryNow(path_, model_).outcome, OpenOutcome::kOpened) << log_.text();
  }
  TempDir dir_;
  ErrorLog log_;
  // The store remembers the library as a new settings file asks it to.
  LibraryTest() { store_.memory().remember_library = true; }
  NodeStore store_{log_.sink()};
  TreeModel model_;
  std::u16string path_;
  int files_ = 0;
};

}  // namespace lw::testing
