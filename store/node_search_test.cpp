#include "store/node_search.h"

#include <gtest/gtest.h>

#include "store/library_fixture.h"
#include "store/tree_ops.h"

namespace lw {
namespace {

class NodeSearchTest : public testing::LibraryTest {
 protected:
  void SetUp() override {
    Open({{100, 0, 0, "Books", {}},     {202, 100, 0, "BOOK two", {}}, {304, 202, 0, "notebook", {}},
          {404, 202, 1, "Țară", {}},     {504, 202, 2, "țară", {}},     {604, 202, 3, "Ana's", {}},
          {704, 202, 4, "50% off", {}},  {804, 202, 5, "", {}}});
  }
  std::string Find(const std::string& typed) {
    std::string out;
    for (const SearchHit& hit : SearchNodes(store_.db(), Utf8ToUtf16(typed))) {
      out += (out.empty() ? "" : "|") + Utf16ToUtf8(hit.title);
    }
    return out;
  }
};

TEST_F(NodeSearchTest, TypedTextMatchesAsLikeDoes) {
  EXPECT_EQ(Find("boo"), "Books|BOOK two|notebook");  // ASCII in either case
  EXPECT_EQ(Find("ț"), "țară");                        // other letters as typed
  EXPECT_EQ(Find("ȚAR"), "Țară");
  EXPECT_EQ(Find("ȚARĂ"), "");
  EXPECT_EQ(Find("%"), "Books|BOOK two|notebook|Țară|țară|Ana's|50% off|");
  EXPECT_EQ(Find("_"), "Books|BOOK two|notebook|Țară|țară|Ana's|50% off");
  EXPECT_EQ(Find("'"), "Ana's");
  EXPECT_EQ(Find("0% o"), "50% off");
  EXPECT_EQ(Find(""), "");
  EXPECT_TRUE(log_.empty()) << log_.text();
}

TEST_F(NodeSearchTest, GoingToAHitSelectsItsNodeOrNothing) {
  const std::vector<SearchHit> hits = SearchNodes(store_.db(), u"ară");
  ASSERT_EQ(hits.size(), 2u);
  EXPECT_EQ(GoToHit(store_, model_, hits[0].id), (ShownPage{ShownPage::What::kPage, 404}));
  EXPECT_EQ(model_.selected_id(), 404);
  SelectItem(store_, model_, model_.ItemOf(504));
  DeleteSelected(store_, model_);  // the second hit's node goes after the search
  EXPECT_EQ(GoToHit(store_, model_, hits[1].id), ShownPage{});
  EXPECT_EQ(model_.selected(), nullptr);
}

}  // namespace
}  // namespace lw
