#include "store/demo_library.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "store/node_id.h"
#include "tools/testing/error_log.h"
#include "tools/testing/sqlite_shell.h"
#include "tools/testing/temp_dir.h"

namespace lw {
namespace {

struct Row {
  int id, parent, order;
  std::string blob;
};

class DemoLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(MakeDemoLibrary(path_, log_.sink())) << log_.text(); }
  std::vector<Row> ReadRows() {
    Db db(log_.sink());
    std::vector<Row> rows;
    if (!db.Open(path_)) return rows;
    Statement s = db.Prepare(u"SELECT id, p, i, r FROM tab");
    while (s.Step()) rows.push_back({s.ColumnInt(0), s.ColumnInt(1), s.ColumnInt(2), s.ColumnBlob(3)});
    return rows;
  }
  testing::TempDir dir_;
  testing::ErrorLog log_;
  const std::u16string path_ = dir_.File16("demo.db");
};

TEST_F(DemoLibraryTest, RowsFollowTheIdScheme) {
  const std::vector<Row> rows = ReadRows();
  ASSERT_GE(rows.size(), 6u);
  std::map<int, NodeKind> kinds;
  std::set<int> numbers;
  for (const Row& r : rows) {
    ASSERT_TRUE(IsValidNodeId(r.id)) << r.id;
    EXPECT_TRUE(numbers.insert(NodeNumber(r.id)).second) << "number used twice: " << r.id;
    kinds[r.id] = *NodeKindOf(r.id);
  }
  std::map<int, std::vector<int>> orders;
  std::set<NodeKind> kinds_seen;
  int favourites = 0;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.id);
    kinds_seen.insert(kinds[r.id]);
    favourites += IsFavourite(r.id);
    if (r.parent == 0) {
      EXPECT_EQ(kinds[r.id], NodeKind::kFolder);
    } else {
      ASSERT_TRUE(kinds.count(r.parent)) << "missing parent " << r.parent;
      EXPECT_EQ(KindLevel(kinds[r.parent]) + 1, KindLevel(kinds[r.id]));
    }
    orders[r.parent].push_back(r.order);
  }
  EXPECT_EQ(kinds_seen.size(), 3u);
  EXPECT_GE(favourites, 1);
  for (auto& [parent, list] : orders) {
    std::sort(list.begin(), list.end());
    for (size_t k = 0; k < list.size(); ++k) EXPECT_EQ(list[k], int(k)) << "children of " << parent;
  }
}

TEST_F(DemoLibraryTest, PagesAreStoredRtfWithOneTerminatingZero) {
  std::string all;
  for (const Row& r : ReadRows()) {
    SCOPED_TRACE(r.id);
    const std::string& b = r.blob;
    ASSERT_GE(b.size(), 8u);
    EXPECT_EQ(b.find('\0'), b.size() - 1);
    EXPECT_EQ(b.rfind("{\\rtf1", 0), 0u);
    int depth = 0;
    for (size_t k = 0; k + 1 < b.size(); ++k) {
      EXPECT_LT(static_cast<unsigned char>(b[k]), 0x80u) << "8-bit RTF must escape it";
      if (b[k] == '\\') {
        ++k;  // an escaped brace does not count
      } else if (b[k] == '{') {
        ++depth;
      } else if (b[k] == '}' && --depth == 0) {
        EXPECT_EQ(b.find('{', k), std::string::npos) << "text after the closing brace";
      }
    }
    EXPECT_EQ(depth, 0);
    all += b;
  }
  for (const char* word : {"\\b ", "\\i ", "\\fs32", "\\cf2", "\\pntext", "\\u537?"}) {
    EXPECT_NE(all.find(word), std::string::npos) << word;
  }
}

TEST_F(DemoLibraryTest, NeverWritesIntoAnExistingLibrary) {
  const size_t rows = ReadRows().size();
  EXPECT_FALSE(MakeDemoLibrary(path_, log_.sink()));
  EXPECT_EQ(log_.messages(), std::vector<std::string>{"table tab already exists"});
  EXPECT_EQ(ReadRows().size(), rows);
#ifndef _WIN32
  if (testing::HaveSqliteShell()) {
    EXPECT_EQ(testing::RunSqliteShell(dir_.File("demo.db"), "PRAGMA integrity_check"), "ok\n");
  }
#endif
}

}  // namespace
}  // namespace lw
