// The tree control's notifications and the node commands of its context
// menu and keys, carried out by the core's tree operations on the one
// NodeStore and TreeModel; the view follows the model.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace lw {

// Sets up the control's keys (Alt+N); after StartLibraryWindow.
void StartTreeWindow(HWND tree);

// A WM_NOTIFY from the tree control; the result for the control.
LRESULT OnTreeNotify(NMHDR* nm);

// The context menu at the cursor (right click on the tree).
void ShowTreeMenu();

// Routines of the command table.
void NodeClipboardCommand(int id);  // 7700 cut, 7701 copy, 7702 paste
void DeleteNodeCommand(int id);     // 7703
void NewNodeCommand(int id);        // 7704 folder, 7705 book, 7712 file
void MoveNodeCommand(int id);       // 17 / 7708 up, 18 / 7709 down
void FavouriteCommand(int id);      // 7710
void SortCommand(int id);           // 7711
void RenameNodeCommand(int id);     // F2 on the focused tree

// The tree's own meaning of the page's accelerators while the tree has the
// focus: Ctrl+X, C and V act on nodes, Ctrl+F, F3, Shift+F3 and F4 search
// the titles. Returns the node command, kTreeSearchesNodes, -1 for a key the
// tree swallows (cutting a folder), or 0 when the key is not the tree's.
inline constexpr int kTreeSearchesNodes = -2;
int TreeCommandForKey(int command);

}  // namespace lw
