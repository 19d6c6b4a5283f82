// The main window's own parts, shared by its three files: app_win.cpp (the
// window procedure and its notifications), panes_win.cpp (layout, splitters,
// the page panes and reading mode) and startup_win.cpp (start-up, the message
// loop and the close sequence). Not for other subsystems.
#pragma once

#include <windows.h>

#include "app/layout.h"

namespace lw {

inline constexpr UINT_PTR kReadingTimer = 1;
inline constexpr UINT_PTR kSaveTimer = 2;
inline constexpr UINT_PTR kPlayerTimer = 3;
inline constexpr UINT_PTR kNoteTimer = 4;
inline constexpr UINT_PTR kHeldNoteTimer = 5;
inline constexpr int kHotKeyRestore = 1;
// Reading mode's page: a warm paper tone that keeps the page's dark text
// readable (a grey as dark as the text would hide it).
inline constexpr COLORREF kReadingBackground = RGB(244, 236, 216);
inline constexpr COLORREF kPageBackground = RGB(255, 255, 255);

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// The main window's client rectangle.
RECT Client();
void Place(HWND hwnd, const Box& b);
// The player bar follows the window's top right corner.
void MovePlayer();
void OpenSplitView();
void CloseSplitView();
// The splitters: the pointer's shape and the drags, a double click
// (tree width or closing the split), a right click (opening it).
bool OverHorizontalSplitter(int x);
void OnMouseMove(int x, int y);
void OnDoubleClick(int x, int y);
void OnRightButtonUp(int x);
// Reading mode's scrolling: started or stopped, and one step of it.
void RunReading(bool on);
void ReadingTick();

}  // namespace lw
