#include "app/layout.h"

#include <algorithm>

namespace lw {

int ButtonBitmapBase(int index) {
  if (index == kButtonMenu) return 91;
  if (index >= kButtonNew && index <= kButtonAlignRight) return index * 10 + 81;
  if (index >= kButtonShowHide && index <= kButtonClose) return 301 + (index - kButtonShowHide) * 10;
  return 0;
}

Box ButtonSize(int index) {
  if (index == kButtonMenu) return {0, 0, 35, 24};
  if (index == kButtonShowHide) return {0, 0, 11, 24};
  if (index >= kButtonMinimize) return {0, 0, 24, 16};
  return {0, 0, 20, 20};
}

StripLayout LayoutStripPositions(const int32_t visible[kStripOptionalButtons], int clientWidth) {
  StripLayout l{};
  l.button[kButtonMenu] = {2, 2, 35, 24};
  l.visible[kButtonMenu] = true;
  int x = 20;
  for (int i = kButtonNew; i <= kButtonAlignRight; ++i) {
    l.visible[i] = visible[i - kButtonNew] != 0;
    if (l.visible[i]) {
      x += 22;
      l.button[i] = {x, 4, 20, 20};
    } else {
      l.button[i] = {0, 4, 20, 20};
    }
  }
  x += 22;
  l.xEnd = x;
  l.button[kButtonShowHide] = {x, 2, 11, 24};
  l.visible[kButtonShowHide] = true;
  l.pathLabel = {x + 18, 7, clientWidth - x - 100, 17};
  l.progress = {clientWidth - 78, 20, 76, 7};
  for (int k = 0; k < 3; ++k) {
    l.captionButton[k] = {clientWidth - 78 + 26 * k, 2, 24, 16};
    l.button[kButtonMinimize + k] = l.captionButton[k];
    l.visible[kButtonMinimize + k] = true;
  }
  return l;
}

MainLayout ComputeMainLayout(int treeWidth, int clientWidth, int clientHeight, bool passwordPanel,
                             bool splitView, int splitY) {
  MainLayout m;
  int paneW = clientWidth - treeWidth - kSplitterGap;
  m.strip = {0, 0, clientWidth, kStripHeight};
  m.tree = {0, kStripHeight, treeWidth, clientHeight - (passwordPanel ? 77 : kStripHeight)};
  m.editor1 = {treeWidth + kSplitterGap, kStripHeight, paneW,
               splitView ? splitY : clientHeight - kStripHeight};
  if (splitView) m.editor2 = {treeWidth + kSplitterGap, splitY + 32, paneW, clientHeight - splitY - 32};
  m.passwordEdit = {4, clientHeight - 23, treeWidth - 4, 18};
  m.passwordLabel = {4, clientHeight - 42, 95, 17};
  m.passwordButton = {treeWidth - 20, clientHeight - 44, 20, 20};
  m.gripX = treeWidth + 1;
  m.gripY = clientHeight / 2 - 7;
  m.hGripX = treeWidth + (clientWidth - treeWidth) / 2 - 7;
  m.hGripY = splitY + 29;
  return m;
}

int DraggedTreeWidth(int pointerX, bool passwordPanel, int screenWidth) {
  int low = passwordPanel ? kMinTreeWidthWithPassword : kMinTreeWidth;
  // The pointer coordinate is a signed 16-bit value from the message; left
  // of the window it is negative, which the unsigned reading puts far
  // beyond the screen.
  if (pointerX < 0 || pointerX > screenWidth) return low;
  return std::clamp(pointerX - 2, low, kMaxTreeWidth);
}

int OpenedSplitY(int clientHeight) { return (clientHeight - 46) / 2; }

int FittedSplitY(int splitY, int clientHeight) { return std::min(splitY, clientHeight - 77); }

int DraggedSplitY(int pointerY, int clientHeight, int screenHeight) {
  int high = std::max(22, clientHeight - 55);
  if (pointerY < 0 || pointerY > screenHeight) return 22;
  return std::clamp(pointerY - 30, 22, high);
}

int ToggledTreeWidth(int treeWidth) { return treeWidth < 23 ? kOpenTreeWidth : kMinTreeWidth; }

Box SnapRect(Snap snap, const Box& work) {
  switch (snap) {
    case Snap::kRight: return {work.x + 99, work.y, work.w - 99, work.h};
    case Snap::kLeft: return {work.x, work.y, work.w - 99, work.h};
    case Snap::kFill: break;
  }
  return work;
}

bool IsLibraryArgument(std::u16string_view path) {
  auto endsWith = [&](std::u16string_view ext) {
    return path.size() > ext.size() && path.substr(path.size() - ext.size()) == ext;
  };
  return endsWith(u".db") || endsWith(u".IDB");
}

int EffectiveLanguage(int32_t language) { return language == kLanguageRomanian ? 418 : 409; }

std::vector<std::string> ClampStoredLayout(AppSettings* s, const Box& screen) {
  std::vector<std::string> notes;
  if (s->windowWidth < kMinWindowWidth || s->windowWidth > std::max(screen.w, kMinWindowWidth) * 4) {
    notes.push_back("window width " + std::to_string(s->windowWidth) + " -> 800");
    s->windowWidth = kDefaultWindowWidth;
  }
  if (s->windowHeight < kMinWindowHeight ||
      s->windowHeight > std::max(screen.h, kMinWindowHeight) * 4) {
    notes.push_back("window height " + std::to_string(s->windowHeight) + " -> 600");
    s->windowHeight = kDefaultWindowHeight;
  }
  // At least a corner of the strip (its first 40 x 28 pixels) must be on the
  // desktop, or the user could neither see nor drag the window.
  bool reachable = s->windowX + 40 > screen.x && s->windowX < screen.x + screen.w - 40 &&
                   s->windowY + kStripHeight > screen.y && s->windowY < screen.y + screen.h - kStripHeight;
  if (!reachable) {
    notes.push_back("window position " + std::to_string(s->windowX) + "," + std::to_string(s->windowY) +
                    " -> 120,120");
    s->windowX = kDefaultWindowX;
    s->windowY = kDefaultWindowY;
  }
  // A collapsed tree (0, as reading mode leaves it in memory) is drawable;
  // only widths the splitter could never produce are corrected.
  if (s->treeWidth < 0 || s->treeWidth > kMaxTreeWidth) {
    int fixed = s->treeWidth < 0 ? kMinTreeWidth : kMaxTreeWidth;
    notes.push_back("tree width " + std::to_string(s->treeWidth) + " -> " + std::to_string(fixed));
    s->treeWidth = fixed;
  }
  return notes;
}

FocusTarget NextFocus(FocusTarget from, bool splitView, bool passwordShown) {
  switch (from) {
    case FocusTarget::kEditor1:
      if (splitView) return FocusTarget::kEditor2;
      return passwordShown ? FocusTarget::kPassword : FocusTarget::kTree;
    case FocusTarget::kEditor2: return passwordShown ? FocusTarget::kPassword : FocusTarget::kTree;
    case FocusTarget::kPassword: return FocusTarget::kTree;
    case FocusTarget::kTree: return FocusTarget::kEditor1;
    case FocusTarget::kLabelEdit: return FocusTarget::kEditor1;  // the current editor
    case FocusTarget::kOther: break;
  }
  return FocusTarget::kTree;
}

}  // namespace lw
