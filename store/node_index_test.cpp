#include "store/node_index.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

namespace lw {
namespace {

TreeItem Item(std::uintptr_t n) { return reinterpret_cast<TreeItem>(n); }

// An index using every number except those in `free`, with mixed kinds and
// favourite marks as a real library has them.
NodeIndex IndexWithout(const std::set<int>& free) {
  std::vector<IndexEntry> entries;
  for (int n = 1; n <= kMaxNodeNumber; ++n) {
    if (free.count(n)) continue;
    const NodeKind kind = n % 3 == 0 ? NodeKind::kFolder : n % 3 == 1 ? NodeKind::kBook
                                                                        : NodeKind::kFile;
    entries.push_back({MakeNodeId(n, kind, n % 7 == 0), Item(static_cast<std::uintptr_t>(n))});
  }
  NodeIndex index;
  index.Rebuild(std::move(entries));
  return index;
}

TEST(NodeIndex, LooksUpAndWalksInTreeOrder) {
  NodeIndex index;
  index.Rebuild({{4200, Item(1), 11},
                 {1846812, Item(2), 12},
                 {1745704, Item(3), 13},
                 {1846812, Item(4), 14}});
  ASSERT_EQ(index.size(), 4u);
  EXPECT_EQ(index.Find(1745704), 2u);
  EXPECT_EQ(index.ItemOf(1846812), Item(2));  // the first of duplicate ids
  EXPECT_EQ(index.RowidOf(1846812), 12);
  EXPECT_EQ(index.ItemOf(999900), nullptr);
  EXPECT_EQ(index.RowidOf(999900), std::nullopt);
  std::vector<int> walked;
  for (const IndexEntry& e : index) walked.push_back(e.id);
  EXPECT_EQ(walked, (std::vector<int>{4200, 1846812, 1745704, 1846812}));

  index.Rebuild({{4300, Item(9)}});
  EXPECT_FALSE(index.Find(4200).has_value());
  EXPECT_EQ(index.at(0).item, Item(9));
  index.Clear();
  EXPECT_EQ(index.ItemOf(4300), nullptr);
}

TEST(NodeIndex, NewIdsUseFreeNumbersOnly) {
  std::set<int> free;
  for (int n = 5; n <= kMaxNodeNumber; n += 11) free.insert(n);
  const NodeIndex index = IndexWithout(free);
  std::mt19937 rng(7);
  std::set<int> seen;
  for (int k = 0; k < 3000; ++k) {
    for (NodeKind kind : {NodeKind::kFolder, NodeKind::kBook, NodeKind::kFile}) {
      const std::optional<int> id = index.NewId(kind, rng);
      ASSERT_TRUE(id.has_value());
      ASSERT_EQ(NodeKindOf(*id), kind) << *id;
      ASSERT_FALSE(IsFavourite(*id)) << *id;
      ASSERT_TRUE(free.count(NodeNumber(*id))) << *id;
      seen.insert(NodeNumber(*id));
    }
  }
  // Drawn across the free numbers, not always the same few.
  EXPECT_GT(seen.size(), free.size() * 9 / 10);
}

TEST(NodeIndex, LastFreeNumberIsFoundAndAFullLibraryFails) {
  std::mt19937 rng(1);
  for (int last : {1, 16384, kMaxNodeNumber}) {
    EXPECT_EQ(IndexWithout({last}).NewId(NodeKind::kFile, rng), MakeNodeId(last, NodeKind::kFile));
  }
  const NodeIndex full = IndexWithout({});
  EXPECT_EQ(full.NewId(NodeKind::kBook, rng), std::nullopt);

  // Rows outside the scheme hold no usable number.
  std::vector<IndexEntry> entries(full.begin(), full.end());
  entries.push_back({MakeNodeId(40000, NodeKind::kFolder), nullptr});
  entries.push_back({0, nullptr});
  NodeIndex still_full;
  still_full.Rebuild(entries);
  EXPECT_EQ(still_full.NewId(NodeKind::kBook, rng), std::nullopt);
}

}  // namespace
}  // namespace lw
