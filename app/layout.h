// Geometry of the main window and its button strip, in client pixels, and
// the rules that keep a stored layout drawable. Portable; the window
// procedures apply what these functions compute.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"

namespace lw {

struct Box {
  int x = 0, y = 0, w = 0, h = 0;
  bool operator==(const Box& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};

constexpr int kStripHeight = 28;
constexpr int kSplitterGap = 4;
constexpr int kMinWindowWidth = 600;
constexpr int kMinWindowHeight = 400;
constexpr int kMinTreeWidth = 22;
constexpr int kMinTreeWidthWithPassword = 120;
constexpr int kMaxTreeWidth = 333;
constexpr int kOpenTreeWidth = 177;

// Strip button indexes (child ids of the strip).
constexpr int kButtonMenu = 1;
constexpr int kButtonNew = 2;
constexpr int kButtonExecute = 4;
constexpr int kButtonUndo = 5;
constexpr int kButtonRedo = 6;
constexpr int kButtonFind = 7;
constexpr int kButtonBold = 8;
constexpr int kButtonAlignRight = 13;
constexpr int kButtonShowHide = 14;
constexpr int kButtonMinimize = 15;
constexpr int kButtonTopMost = 16;
constexpr int kButtonClose = 17;
constexpr int kStripButtonCount = 17;

// First of the four bitmaps (normal, hover, pressed, disabled) of a button.
int ButtonBitmapBase(int index);
// Size of a strip button's bitmaps.
Box ButtonSize(int index);

struct StripLayout {
  Box button[kStripButtonCount + 1];  // indexes 2..14 are laid out; 0 unused
  bool visible[kStripButtonCount + 1];
  int xEnd = 0;
  Box pathLabel;
  Box progress;
  Box captionButton[3];  // minimise, keep on top, close
};

// Places the optional buttons after the menu button, then the show/hide
// button, the path label, the progress bar and the caption buttons.
StripLayout LayoutStripPositions(const int32_t visible[kStripOptionalButtons], int clientWidth);

struct MainLayout {
  Box strip, tree, editor1, editor2, passwordEdit, passwordLabel, passwordButton;
  int gripX = 0, gripY = 0;            // vertical splitter grip (bitmap 778)
  int hGripX = 0, hGripY = 0;          // horizontal splitter grip (bitmap 346)
};

MainLayout ComputeMainLayout(int treeWidth, int clientWidth, int clientHeight, bool passwordPanel,
                             bool splitView, int splitY);

// A pointer position left of or above the window arrives as a large
// unsigned number; anything beyond the screen counts as the minimum.
int DraggedTreeWidth(int pointerX, bool passwordPanel, int screenWidth);
int DraggedSplitY(int pointerY, int clientHeight, int screenHeight);
// Where the split lies when the second pane opens: halfway down the panes.
int OpenedSplitY(int clientHeight);
// A split position moved up, when the window has shrunk, so that the second
// pane keeps its minimum height.
int FittedSplitY(int splitY, int clientHeight);
// Double-click on the vertical splitter: open a collapsed tree, else collapse.
int ToggledTreeWidth(int treeWidth);

enum class Snap { kRight, kLeft, kFill };
Box SnapRect(Snap snap, const Box& workArea);

// True when the first command-line argument names a library: its extension
// is exactly ".db" or ".IDB", compared case-sensitively.
bool IsLibraryArgument(std::u16string_view path);

// The interface language used for resources: 418 stays Romanian, anything
// else (a damaged settings word included) reads as English.
int EffectiveLanguage(int32_t language);

// Makes a stored layout drawable: the window at least 600 x 400 and at least
// partly on the desktop `screen`, the tree width within the splitter's range.
// Returns a note per corrected field (empty when nothing changed).
std::vector<std::string> ClampStoredLayout(AppSettings* s, const Box& screen);

// Focus cycle (Tab): which window gets the focus next.
enum class FocusTarget { kTree, kEditor1, kEditor2, kPassword, kLabelEdit, kOther };
FocusTarget NextFocus(FocusTarget from, bool splitView, bool passwordShown);

}  // namespace lw
