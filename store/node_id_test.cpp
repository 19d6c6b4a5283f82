#include "store/node_id.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

TEST(NodeId, KindAndMarkComeFromTheLastTwoDigits) {
  struct Case {
    int id;
    bool folder, book, file, favourite, valid;
  };
  const Case cases[] = {
      {4200, true, false, false, false, true},       // folder
      {1745704, false, false, true, false, true},    // file
      {1846812, false, true, false, true, true},     // favourite book
      {4210, false, false, false, false, false},     // folders are never marked
      {1846801, false, false, false, false, false},  // legacy book digit
      {1745722, false, false, false, false, false},  // tens digit 2
      {2, false, true, false, false, false},         // number 0
      {3276900, true, false, false, false, false},   // number 32769
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(IsFolder(c.id), c.folder);
    EXPECT_EQ(IsBook(c.id), c.book);
    EXPECT_EQ(IsFile(c.id), c.file);
    EXPECT_EQ(IsFavourite(c.id), c.favourite);
    EXPECT_EQ(IsValidNodeId(c.id), c.valid);
    EXPECT_EQ(NodeKindOf(c.id).has_value(), c.valid);
  }
}

TEST(NodeId, EveryComposedIdDecodesToItsParts) {
  for (NodeKind kind : {NodeKind::kFolder, NodeKind::kBook, NodeKind::kFile}) {
    for (int n = 1; n <= kMaxNodeNumber; ++n) {
      for (bool fav : {false, true}) {
        const int id = MakeNodeId(n, kind, fav);
        ASSERT_TRUE(IsValidNodeId(id)) << id;
        ASSERT_EQ(NodeNumber(id), n);
        ASSERT_EQ(NodeKindOf(id), kind);
        ASSERT_EQ(IsFavourite(id), fav && kind != NodeKind::kFolder) << id;
      }
    }
  }
  EXPECT_EQ(MakeNodeId(18468, NodeKind::kBook, true), 1846812);
  EXPECT_EQ(KindLevel(NodeKind::kFolder), 1);
  EXPECT_EQ(KindLevel(NodeKind::kBook), 2);
  EXPECT_EQ(KindLevel(NodeKind::kFile), 3);
}

TEST(NodeId, FavouriteMarkMovesTheIdByTen) {
  EXPECT_EQ(MarkFavourite(1846802), 1846812);
  EXPECT_EQ(MarkFavourite(1846812), 1846812);  // already marked
  EXPECT_EQ(UnmarkFavourite(1745714), 1745704);
  EXPECT_EQ(UnmarkFavourite(1745704), 1745704);  // not marked
  EXPECT_EQ(MarkFavourite(4200), 4200);          // folders cannot be marked
  EXPECT_EQ(MarkFavourite(1846801), 1846801);    // outside the scheme
}

}  // namespace
}  // namespace lw
