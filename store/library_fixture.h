// Test helpers: libraries written and read back with plain SQL, independent
// of the tree code under test, and the tree described as text.
#pragma once

#include <gtest/gtest.h>

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
