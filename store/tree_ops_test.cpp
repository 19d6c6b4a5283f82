#include "store/tree_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "store/library_fixture.h"

namespace lw {
namespace {

using testing::Describe;
using testing::Row;
using testing::RowsById;

// A{a1{x,y*,z},a2*},B{b1{q}},C
const std::vector<Row> kLibrary = {
    {100, 0, 0, "A", {}},   {202, 100, 0, "a1", "{a1}"}, {304, 202, 0, "x", "{x}"},
    {414, 202, 1, "y", {}}, {504, 202, 2, "z", "zz"},    {612, 100, 1, "a2", {}},
    {700, 0, 1, "B", {}},   {802, 700, 0, "b1", {}},     {904, 802, 0, "q", {}},
    {1000, 0, 2, "C", {}}};

// A tree view that learns the structure only from the observer calls, as
// the window's tree view will; it must end up showing what the model holds.
class MirrorView : public TreeObserver {
 public:
  void TreeReloaded() override {
    kids.clear();
    for (const ModelItem* root : {model->favourites_root(), model->library_root()}) {
      if (root) Load(*root);
    }
  }
  void ItemAdded(const ModelItem& item) override {
    auto& row = kids[item.parent()];
    const ModelItem* prev = item.prev_sibling();
    auto at = prev ? std::find(row.begin(), row.end(), prev) : row.begin();
    row.insert(at == row.end() ? at : at + (prev ? 1 : 0), &item);
  }
  void ItemRemoving(const ModelItem& item) override {
    auto& row = kids[item.parent()];
    row.erase(std::find(row.begin(), row.end(), &item));
    Forget(&item);
  }
  void Forget(const ModelItem* item) {
    for (const ModelItem* c : kids[item]) Forget(c);
    kids.erase(item);
  }
  void ItemChanged(const ModelItem&) override {}
  void ChildrenReordered(const ModelItem& parent) override {
    kids[&parent].clear();
    for (const ModelItem& c : parent.children()) kids[&parent].push_back(&c);
  }
  void SelectionChanged(const ModelItem*) override {}
  std::string Show(const ModelItem* parent) {
    std::string out;
    for (const ModelItem* c : kids[parent]) {
      out += (out.empty() ? "" : ",") + Utf16ToUtf8(c->text()) + (IsFavourite(c->id()) ? "*" : "");
      if (!kids[c].empty()) out += "{" + Show(c) + "}";
    }
    return out;
  }
  void Load(const ModelItem& item) {
    for (const ModelItem& c : item.children()) kids[&item].push_back(&c), Load(c);
  }
  TreeModel* model = nullptr;
  std::map<const ModelItem*, std::vector<const ModelItem*>> kids;
};

class TreeOpsTest : public testing::LibraryTest {
 protected:
  void SetUp() override {
    view_.model = &model_;
    model_.SetObserver(&view_);
    model_.SeedIds(7);
    Open(kLibrary);
  }
  // No operation reports an error.
  void TearDown() override { EXPECT_TRUE(log_.empty()) << log_.text(); }
  ModelItem* Select(int id) {
    SelectItem(store_, model_, model_.ItemOf(id));
    EXPECT_EQ(model_.selected_id(), id);
    return model_.selected();
  }
  OpResult PasteInto(int target) {
    Select(target);
    return Paste(store_, model_);
  }
  std::string Tree() {
    // The view, told only through the observer, shows the same.
    EXPECT_EQ(view_.Show(model_.library_root()), Describe(model_.library_root()));
    EXPECT_EQ(view_.Show(model_.favourites_root()), Describe(model_.favourites_root()));
    return Describe(model_.library_root());
  }
  // What the next session shows: the rows decide, not the model.
  std::string TreeAfterReopen() {
    store_.Close(model_, false);
    EXPECT_EQ(store_.OpenLibraryNow(path_, model_).outcome, OpenOutcome::kOpened);
    return Tree();
  }

  MirrorView view_;
};

TEST_F(TreeOpsTest, NewNodesGoLastEvenAfterCutsLeftAGap) {
  Select(1000);
  EXPECT_FALSE(NewNode(store_, model_, NodeKind::kFile).done);  // no file in a folder
  const int book = NewChildOfSelection(store_, model_).item->id();
  SelectItem(store_, model_, model_.library_root());
  ModelItem* folder = NewChildOfSelection(store_, model_).item;
  EXPECT_EQ(RenameNode(store_, model_, folder, u" ").title, u"New");
  EXPECT_EQ(model_.selected(), folder);
  auto rows = RowsById(path_);
  EXPECT_EQ(rows[book], (Row{book, 1000, 0, "New", {}}));
  EXPECT_EQ(rows[folder->id()], (Row{folder->id(), 0, 3, "New", {}}));
  EXPECT_TRUE(IsBook(book) && IsFolder(folder->id()));

  // Two files cut away leave z with order 2 while the count is 1.
  for (int id : {304, 414}) {
    Select(id);
    CutSelected(store_, model_);
    ASSERT_TRUE(PasteInto(802).done);
  }
  Select(202);
  RenameNode(store_, model_, NewNode(store_, model_, NodeKind::kFile).item, u"w");
  EXPECT_EQ(Tree(), "A{a1{z,w},a2*},B{b1{y*,x,q}},C{New},New");
  testing::ExpectRowidsOfRows(model_, path_);
  EXPECT_EQ(TreeAfterReopen(), "A{a1{z,w},a2*},B{b1{y*,x,q}},C{New},New");
}

TEST_F(TreeOpsTest, CopiedBookGetsNewIdsPagesAndNoMarks) {
  Select(202);
  CopySelected(store_, model_);
  const OpResult r = PasteInto(700);
  ASSERT_TRUE(r.done && !r.node_limit);
  EXPECT_EQ(model_.selected(), r.item);
  EXPECT_EQ(model_.copied_item(), nullptr);
  EXPECT_EQ(Tree(), "A{a1{x,y*,z},a2*},B{a1{x,y,z},b1{q}},C");

  auto rows = RowsById(path_);
  const int copy = r.item->id();
  EXPECT_EQ(rows[copy], (Row{copy, 700, 0, "a1", "{a1}"}));
  std::vector<Row> files;
  for (const ModelItem& f : r.item->children()) files.push_back(rows[f.id()]);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0], (Row{files[0].id, copy, 0, "x", "{x}"}));
  EXPECT_EQ(files[1], (Row{files[1].id, copy, 0, "y", {}}));  // NULL stays NULL
  EXPECT_EQ(files[2], (Row{files[2].id, copy, 0, "z", "zz"}));
  for (const Row& f : files) EXPECT_TRUE(IsFile(f.id) && !IsFavourite(f.id));
  testing::ExpectRowidsOfRows(model_, path_);
  std::set<int> numbers;
  for (const auto& [id, row] : rows) numbers.insert(id / 100);
  EXPECT_EQ(numbers.size(), rows.size());  // no number twice
  EXPECT_EQ(rows[802].i, 1);
  for (const Row& before : kLibrary) {
    if (before.id != 802) {
      EXPECT_EQ(rows[before.id], before) << "the source is unchanged";
    }
  }
  // The copied files all have order 0; moving one keeps the order shown.
  Select(files[1].id);
  ASSERT_TRUE(MoveSelected(store_, model_, MoveDirection::kUp).done);
  EXPECT_EQ(TreeAfterReopen(), "A{a1{x,y*,z},a2*},B{a1{y,x,z},b1{q}},C");
}

// Moving up or down and cut and paste keep ids, so the marks of a book's
// files stay, and the favourites list with them.
TEST_F(TreeOpsTest, MovesKeepIdsAndFavouriteMarks) {
  EXPECT_EQ(Describe(model_.favourites_root()), "y*,a2*");  // listed twice
  Select(202);
  ASSERT_TRUE(MoveSelected(store_, model_, MoveDirection::kDown).done);
  EXPECT_EQ(model_.selected_id(), 202);
  EXPECT_EQ(Tree(), "A{a2*,a1{x,y*,z}},B{b1{q}},C");
  ASSERT_TRUE(MoveSelected(store_, model_, MoveDirection::kUp).done);
  EXPECT_EQ(testing::ReadRows(path_), kLibrary);  // every order as it was
  EXPECT_FALSE(MoveSelected(store_, model_, MoveDirection::kUp).done);
  Select(1000);
  MoveSelected(store_, model_, MoveDirection::kUp);

  Select(202);
  CutSelected(store_, model_);
  EXPECT_TRUE(model_.ItemOf(202)->cut_look());
  const OpResult r = PasteInto(700);
  EXPECT_EQ(r.item, model_.ItemOf(202));
  EXPECT_FALSE(r.item->cut_look());
  EXPECT_EQ(Tree(), "A{a2*},C,B{a1{x,y*,z},b1{q}}");
  EXPECT_EQ(Describe(model_.favourites_root()), "y*,a2*");
  auto rows = RowsById(path_);
  EXPECT_EQ(rows[202], (Row{202, 700, 0, "a1", "{a1}"}));
  EXPECT_EQ(rows[414], (Row{414, 202, 1, "y", {}}));
  EXPECT_EQ(rows[802].i, 1);
  // A favourites entry selects the node's own item, unless that is shown.
  EXPECT_FALSE(CanChangeSelection(store_, model_, model_.favourites_root()));
  EXPECT_EQ(SelectItem(store_, model_, model_.FavouriteEntry(612)).id, 612);
  EXPECT_EQ(model_.selected(), model_.ItemOf(612));
  EXPECT_FALSE(CanChangeSelection(store_, model_, model_.FavouriteEntry(612)));
  EXPECT_EQ(TreeAfterReopen(), "A{a2*},C,B{a1{x,y*,z},b1{q}}");
}

TEST_F(TreeOpsTest, FavouriteMarkChangesIdsAndWhatFollowsThem) {
  ShowInSecondPane(model_, Select(202));
  ASSERT_TRUE(ToggleFavourite(store_, model_).done);
  EXPECT_EQ(model_.ItemOf(212), model_.selected());
  EXPECT_EQ(model_.second_pane_id(), 212);
  EXPECT_EQ(store_.memory().last_node_id, 212);
  EXPECT_EQ(Tree(), "A{a1*{x,y*,z},a2*},B{b1{q}},C");
  EXPECT_EQ(Describe(model_.favourites_root()), "y*,a2*,a1*");
  testing::ExpectRowidsOfRows(model_, path_);  // the id changed, the row did not
  auto rows = RowsById(path_);
  EXPECT_EQ(rows[212].p, 100);
  for (int file : {304, 414, 504}) EXPECT_EQ(rows[file].p, 212);

  ToggleFavourite(store_, model_);
  EXPECT_EQ(testing::ReadRows(path_), kLibrary);
  EXPECT_EQ(Describe(model_.favourites_root()), "y*,a2*");
  Select(100);
  EXPECT_FALSE(ToggleFavourite(store_, model_).done);  // folders carry no mark
  WorkClaim busy = store_.ClaimWork();
  Select(202);
  EXPECT_FALSE(ToggleFavourite(store_, model_).done);
  EXPECT_FALSE(CanChangeSelection(store_, model_, model_.ItemOf(700)));
  EXPECT_FALSE(ContextMenuFacts(store_, model_, model_.ItemOf(700)));
}

// Rows are found by the rowids the tree holds. Another program gave y the
// rowid of w, and w y's: each must still be found by its id, and w, with an
// order of its own, never read or written for y.
TEST_F(TreeOpsTest, RenameMoveAndRenumberFindRowsWhoseRowidsMoved) {
  Open({{100, 0, 0, "F", {}}, {202, 100, 0, "B", {}}, {304, 202, 0, "x", {}},
        {404, 202, 10, "y", {}}, {504, 202, 20, "z", {}}, {602, 100, 1, "C", {}},
        {704, 602, 5, "w", {}}});
  testing::SwapRowids(path_, 404, 704);
  RenameNode(store_, model_, model_.ItemOf(404), u"y2");
  Select(504);
  ASSERT_TRUE(MoveSelected(store_, model_, MoveDirection::kUp).done);  // z and y exchange orders
  auto rows = RowsById(path_);
  EXPECT_EQ(rows[704], (Row{704, 602, 5, "w", {}}));
  EXPECT_EQ(std::vector<int>({rows[504].i, rows[404].i}), std::vector<int>({10, 20}));
  Select(304);
  DeleteSelected(store_, model_);  // z and y renumbered
  rows = RowsById(path_);
  EXPECT_EQ(std::vector<int>({rows[504].i, rows[404].i, rows[704].i}),
            std::vector<int>({0, 1, 5}));
  EXPECT_EQ(TreeAfterReopen(), "F{B{z,y2},C{w}}");
}

TEST_F(TreeOpsTest, DeletingAFolderTakesItsSubtreeAndRenumbers) {
  ShowInSecondPane(model_, model_.ItemOf(304));
  Select(202);
  CopySelected(store_, model_);
  Select(100);
  const OpResult r = DeleteSelected(store_, model_);
  EXPECT_TRUE(r.close_second_pane);
  EXPECT_EQ(model_.copied_item(), nullptr);  // nothing left to paste from
  EXPECT_EQ(model_.selected_id(), 700);
  EXPECT_EQ(Tree(), "B{b1{q}},C");
  EXPECT_EQ(Describe(model_.favourites_root()), "");
  EXPECT_EQ(model_.ItemOf(304), nullptr);
  EXPECT_EQ(testing::ReadRows(path_),
            (std::vector<Row>{{700, 0, 0, "B", {}}, {802, 700, 0, "b1", {}},
                              {904, 802, 0, "q", {}}, {1000, 0, 1, "C", {}}}));

  SelectItem(store_, model_, model_.library_root());
  EXPECT_EQ(DeleteSelected(store_, model_).page.what, ShownPage::What::kInformation);
  EXPECT_EQ(Tree(), "");
  EXPECT_TRUE(testing::ReadRows(path_).empty());
  EXPECT_EQ(DeleteQuestion(u"Are you sure you want to delete the node: ", u"A"),
            u"Are you sure you want to delete the node:  'A' ?");
}

TEST_F(TreeOpsTest, SortIgnoresCaseAndRenumbers) {
  Open({{100, 0, 0, "F", {}}, {202, 100, 0, "Bk", {}}, {304, 202, 0, "b", {}},
        {404, 202, 1, "A", {}}, {504, 202, 2, "c", {}}});
  Select(202);
  ASSERT_TRUE(SortSelected(store_, model_).done);
  EXPECT_EQ(Tree(), "F{Bk{A,b,c}}");
  auto rows = RowsById(path_);
  EXPECT_EQ(std::vector<int>({rows[404].i, rows[304].i, rows[504].i}), std::vector<int>({0, 1, 2}));
  EXPECT_TRUE(TitleSortsBefore(u"Ăla", u"ăz") && TitleSortsBefore(u"ș", u"Ț"));
}

// 32,768 rows use every number; the tree shows 32,767 (one is an orphan),
// yet no number is free.
TEST_F(TreeOpsTest, NodeLimitRefusesNewAndPaste) {
  std::vector<Row> rows = {{100, 0, 0, "F", {}},   {202, 100, 0, "B", {}}, {302, 100, 1, "S", {}},
                           {404, 302, 0, "s", {}}, {502, 100, 2, "T", {}}, {604, 502, 0, "t", {}}};
  for (int n = 7; n <= kMaxNodeNumber; ++n) rows.push_back({n * 100 + 4, 202, n, "f", {}});
  rows.back().p = 99999;
  Open(rows);
  Select(302);
  EXPECT_TRUE(NewNode(store_, model_, NodeKind::kFile).node_limit);
  Select(404);
  CopySelected(store_, model_);
  EXPECT_TRUE(PasteInto(302).node_limit);
  EXPECT_FALSE(store_.busy());
  EXPECT_EQ(store_.db().CountNodes(), kMaxNodeNumber);

  // One number free: a copied book takes it; its file can neither follow
  // nor take the same number.
  Select(604);
  DeleteSelected(store_, model_);
  Select(302);
  CopySelected(store_, model_);
  const OpResult r = PasteInto(100);
  ASSERT_NE(r.item, nullptr);
  EXPECT_EQ(r.item->id(), 602);
  EXPECT_TRUE(r.node_limit);
  EXPECT_EQ(store_.db().CountNodes(), kMaxNodeNumber);
}

}  // namespace
}  // namespace lw
