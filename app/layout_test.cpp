// Geometry of the strip and the main window, splitter clamps and the
// corrections of a stored layout.
#include "app/layout.h"

#include <gtest/gtest.h>

#include <tuple>

namespace lw {
namespace {

TEST(StripLayout, ShowHideButtonAndPathLabelFollowTheVisibleButtons) {
  int32_t none[12] = {};
  StripLayout l = LayoutStripPositions(none, 800);
  EXPECT_EQ(l.button[kButtonShowHide], (Box{42, 2, 11, 24}));
  EXPECT_EQ(l.pathLabel, (Box{60, 7, 800 - 42 - 100, 17}));
  for (int i = 2; i <= 13; ++i) EXPECT_FALSE(l.visible[i]);

  int32_t all[12] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  l = LayoutStripPositions(all, 800);
  EXPECT_EQ(l.button[kButtonShowHide].x, 306);
  EXPECT_EQ(l.button[2], (Box{42, 4, 20, 20}));
  EXPECT_EQ(l.button[13], (Box{284, 4, 20, 20}));

  int32_t some[12] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};  // New and Right align
  l = LayoutStripPositions(some, 700);
  EXPECT_EQ(l.button[2].x, 42);
  EXPECT_EQ(l.button[13].x, 64) << "hidden buttons leave no gap";
  EXPECT_EQ(l.button[kButtonShowHide].x, 86);
  EXPECT_EQ(l.captionButton[0], (Box{622, 2, 24, 16}));
  EXPECT_EQ(l.captionButton[2], (Box{674, 2, 24, 16}));
  EXPECT_EQ(l.progress, (Box{622, 20, 76, 7}));
}

TEST(MainLayout, PanesTreeAndPasswordPanel) {
  MainLayout m = ComputeMainLayout(120, 784, 561, false, false, 0);
  EXPECT_EQ(m.tree, (Box{0, 28, 120, 533}));
  EXPECT_EQ(m.editor1, (Box{124, 28, 660, 533}));
  EXPECT_EQ(m.gripX, 121);
  EXPECT_EQ(m.gripY, 561 / 2 - 7);
  m = ComputeMainLayout(150, 800, 600, true, true, 200);
  EXPECT_EQ(m.tree.h, 600 - 77);
  EXPECT_EQ(m.editor1, (Box{154, 28, 646, 200}));
  EXPECT_EQ(m.editor2, (Box{154, 232, 646, 368}));
  EXPECT_EQ(m.passwordEdit, (Box{4, 577, 146, 18}));
  EXPECT_EQ(m.passwordButton, (Box{130, 556, 20, 20}));
  EXPECT_EQ(m.hGripY, 229);
}

TEST(Splitters, DraggingIsClampedAndPositionsOffTheWindowCountAsTheMinimum) {
  EXPECT_EQ(DraggedTreeWidth(5, false, 1280), 22);
  EXPECT_EQ(DraggedTreeWidth(102, false, 1280), 100);
  EXPECT_EQ(DraggedTreeWidth(900, false, 1280), 333);
  EXPECT_EQ(DraggedTreeWidth(65500, false, 1280), 22) << "left of the window, read unsigned";
  EXPECT_EQ(DraggedTreeWidth(-10, false, 1280), 22);
  EXPECT_EQ(DraggedTreeWidth(50, true, 1280), 120) << "the password panel needs room";
  EXPECT_EQ(DraggedSplitY(10, 500, 1024), 22);
  EXPECT_EQ(DraggedSplitY(230, 500, 1024), 200);
  EXPECT_EQ(DraggedSplitY(490, 500, 1024), 445);
  EXPECT_EQ(DraggedSplitY(65000, 500, 1024), 22);
  EXPECT_EQ(ToggledTreeWidth(22), 177);
  EXPECT_EQ(ToggledTreeWidth(0), 177);
  EXPECT_EQ(ToggledTreeWidth(177), 22);
  EXPECT_EQ(ToggledTreeWidth(23), 22);
}

TEST(Snapping, RightLeftAndFillOfTheWorkArea) {
  Box work{0, 0, 1280, 994};
  EXPECT_EQ(SnapRect(Snap::kRight, work), (Box{99, 0, 1181, 994}));
  EXPECT_EQ(SnapRect(Snap::kLeft, work), (Box{0, 0, 1181, 994}));
  EXPECT_EQ(SnapRect(Snap::kFill, Box{40, 10, 1000, 700}), (Box{40, 10, 1000, 700}));
}

TEST(CommandLine, OnlyExactDbOrIdbExtensionsNameALibrary) {
  EXPECT_TRUE(IsLibraryArgument(u"C:\\notes\\a.db"));
  EXPECT_TRUE(IsLibraryArgument(u"C:\\old\\b.IDB"));
  EXPECT_FALSE(IsLibraryArgument(u"C:\\notes\\a.DB"));
  EXPECT_FALSE(IsLibraryArgument(u"C:\\old\\b.idb"));
  EXPECT_FALSE(IsLibraryArgument(u"C:\\notes\\a.db.txt"));
  EXPECT_FALSE(IsLibraryArgument(u".db"));
}

TEST(StoredLayout, OutOfRangeValuesAreMadeDrawable) {
  Box screen{0, 0, 1280, 1024};
  AppSettings s = DefaultSettings();
  EXPECT_TRUE(ClampStoredLayout(&s, screen).empty()) << "defaults need no correction";

  s.windowX = -5000, s.windowY = 9000, s.windowWidth = -40, s.windowHeight = 100;
  s.treeWidth = 10000;
  std::vector<std::string> notes = ClampStoredLayout(&s, screen);
  EXPECT_EQ(notes.size(), 4u);
  EXPECT_EQ(std::tuple(s.windowX, s.windowY, s.windowWidth, s.windowHeight, s.treeWidth),
            std::tuple(120, 120, 800, 600, 333));

  s = DefaultSettings();
  s.treeWidth = -7;
  s.windowX = 1200;  // partly off the right edge, but the strip's corner shows
  ClampStoredLayout(&s, screen);
  EXPECT_EQ(s.treeWidth, 22);
  EXPECT_EQ(s.windowX, 1200);
  s.treeWidth = 0;  // a collapsed tree is drawable
  EXPECT_TRUE(ClampStoredLayout(&s, screen).empty());
}

TEST(FocusCycle, FollowsTheVisibleWindows) {
  using F = FocusTarget;
  EXPECT_EQ(NextFocus(F::kEditor1, false, false), F::kTree);
  EXPECT_EQ(NextFocus(F::kEditor1, true, false), F::kEditor2);
  EXPECT_EQ(NextFocus(F::kEditor1, false, true), F::kPassword);
  EXPECT_EQ(NextFocus(F::kEditor2, true, true), F::kPassword);
  EXPECT_EQ(NextFocus(F::kEditor2, true, false), F::kTree);
  EXPECT_EQ(NextFocus(F::kPassword, false, true), F::kTree);
  EXPECT_EQ(NextFocus(F::kTree, true, true), F::kEditor1);
  EXPECT_EQ(NextFocus(F::kLabelEdit, false, false), F::kEditor1);
}

}  // namespace
}  // namespace lw
