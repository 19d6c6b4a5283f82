// Process-wide state of the shell: the main window's children, the graphics
// objects made at start-up, and the flags the command table consults. Plain
// globals, owned and written by the user-interface thread. The open library,
// the selected node and the busy flag are the node store's (store/library_win.h).
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "app/commands.h"
#include "app/layout.h"

namespace lw {

constexpr int kTreeId = 333;
constexpr int kEditor1Id = 334;
constexpr int kEditor2Id = 335;
constexpr int kScratchId = 336;
constexpr int kProgressId = 400;
constexpr int kPathLabelId = 401;
constexpr COLORREF kWindowColor = RGB(201, 211, 226);

struct Shell {
  HWND tree = nullptr;
  HWND editor1 = nullptr;
  HWND editor2 = nullptr;
  HWND scratch = nullptr;
  HWND strip = nullptr;
  HWND player = nullptr;
  HWND tooltip = nullptr;
  HWND overlay = nullptr;
  HWND options = nullptr;
  HWND marker1 = nullptr;
  HWND marker2 = nullptr;
  HWND currentEditor = nullptr;   // every editor command acts on it
  HFONT uiFont = nullptr;
  HBRUSH windowBrush = nullptr;
  HBRUSH whiteBrush = nullptr;
  HPEN lightPen = nullptr;
  HBITMAP gripV = nullptr;  // 778
  HBITMAP gripH = nullptr;  // 346
  HMENU menu = nullptr;     // resource `language`
  HACCEL accelerators = nullptr;
  bool splitView = false;
  int splitY = 0;
  bool passwordShown = false;
  int readingStep = 0;          // 0 = reading mode off
  bool readingRunning = false;
  enum class Drag { kNone, kVertical, kHorizontal } drag = Drag::kNone;
  bool overHorizontalSplitter = false;
};

extern Shell g_shell;

// The language the resources are read in (see EffectiveLanguage).
int UiLanguage();

// The state the command table's preconditions are checked against.
ShellState CurrentShellState();

// Runs command `id` through the table: unknown ids are ignored, refused
// commands show their message if they have one. Returns true when a routine
// ran.
bool RunCommand(int id);

// Places the children of the main window after a change of the tree width,
// the split view or the window size.
void LayoutChildren();

// Reading mode on or off (the routine of Ctrl+F8 calls it after its checks).
void SetReadingMode(bool on);

// The text shown by the path label.
void SetPathLabel(const std::wstring& path);

// The second page pane: node `id` shown in it (split view opened), or
// closed.
void ShowNodeInSecondPane(int id);
void CloseSecondPane();

}  // namespace lw
