// The Find/Replace window: the text of the primary page first, then the
// pages of the other nodes in tree order, found with one pass over the
// library on a worker (editor/find.h) and shown with the page's own search.
// Keys: Ctrl+F opens it, F3 searches down, Shift+F3 and F4 up; while the
// tree has the focus the same keys open the node search instead (the main
// window hands them over before they get here).
#pragma once

#include <windows.h>

namespace lw {

inline constexpr int kFindWhatId = 8880;
inline constexpr int kReplaceWithId = 8881;
inline constexpr int kHereOnlyId = 8882;
inline constexpr int kMatchCaseId = 8883;
inline constexpr int kWholeWordId = 8884;
inline constexpr int kGoUpId = 8885;
inline constexpr int kGoDownId = 8886;
inline constexpr int kSearchButtonId = 8887;
inline constexpr int kReplaceButtonId = 8888;
// The longest text either edit takes.
inline constexpr int kFindTextLimit = 55;

// Makes the window in the interface language (start-up and every change of
// language); the texts and choices of an older one are kept.
void CreateFindWindow();
void DestroyFindWindow();
HWND FindWindowHandle();

// Commands 36 (open), 23 (down) and 24 (up).
void FindRoutine(int id);

// Esc while a search runs: stops it. True when one was running.
bool StopFind();
// True while the search of the other pages runs.
bool FindRunning();

// The window follows the main window while pinned.
void PinFindWindow();

}  // namespace lw
