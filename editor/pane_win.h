// The page panes: the primary pane (child 334) that shows the node selected
// in the tree, the secondary pane (335) of the split view, and the scratch
// control (336). This file owns what each pane holds (its node, title,
// modified and read-only state), when a page is read from the library into
// a pane and written back, the automatic save, the split view and the keys
// and mouse rules the program adds to the control.
//
// The panes' window handles live in g_shell (editor1, editor2, scratch,
// currentEditor = the active pane) and change when a pane is loaded: a page
// is shown by a fresh control rather than by replacing the old control's
// text, whose cost grows with the square of its size. Read them from g_shell
// each time; never keep one.
//
// Everything here runs on the user-interface thread.
#pragma once

#include <windows.h>

#include <string>

namespace lw {

// --- Set-up --------------------------------------------------------------------

// Makes the three controls (start-up, after the tree); ends the process with
// "!msftedit", "!335" or "!ricf" when it cannot.
void CreatePanes(HWND main_window);

// --- Pages ---------------------------------------------------------------------

// Node `id`'s page in the primary pane (0: an empty pane showing no node).
void LoadPrimaryPage(int id);
// Node `id`'s page in the secondary pane; the split view opens when closed.
void LoadSecondaryPage(int id);
// The information report or another fixed text in the primary pane:
// read-only, showing no node, `title` as its title (exports, printing).
void ShowFixedPage(const std::wstring& title, const std::wstring& text);

// Writes every modified pane back and cancels the pending automatic save.
// False when a page could not be saved: the user was told, the text stays
// in its pane and the pane stays modified.
bool SaveModifiedPages();

// Forgets the changes no save could write (the user chose to close over
// them).
void DiscardModifiedPages();

// The node shown by the pane `pane` (editor1 or editor2), 0 for none.
int PaneNodeId(HWND pane);
// The title of the page in `pane` ("Info-Lorewell" for the report), and in
// the active pane.
std::wstring PageTitle(HWND pane);
std::wstring ActivePageTitle();
// The active pane shows a page that may be changed: a node's page whose
// title does not end in a backtick.
bool ActivePageEditable();
// The pane has changes not yet written to the library.
bool PaneModified(HWND pane);
// The read-only rule again for the pane showing node `id`, whose title is
// now `title`.
void ApplyReadOnlyRule(int id, const std::wstring& title);

// --- Changes the program makes -------------------------------------------------

// While one lives, changes are the program's own: the change handler's
// typing rules (the music font carrying on) stay off.
class ProgramChange {
 public:
  ProgramChange();
  ~ProgramChange();
  ProgramChange(const ProgramChange&) = delete;
  ProgramChange& operator=(const ProgramChange&) = delete;

 private:
  bool was_typing_;
};

// The typing rules on or off (Ctrl+Shift held turns them off).
void SetTyping(bool on);

// Counts a change the control may not announce (a format applied, an object
// inserted) as an edit of `pane`: marked modified, saved five seconds later,
// mirrored in split view.
void NotePageChanged(HWND pane);

// The page in `pane` now uses the music font (a glyph or the font applied):
// text typed after a glyph then stays in that font.
void NoteMusicFont(HWND pane);

// --- The main window's messages ------------------------------------------------

// WM_COMMAND from a pane (EN_CHANGE, EN_SETFOCUS, EN_KILLFOCUS, EN_MAXTEXT).
void OnPaneCommand(HWND pane, int code);
// WM_NOTIFY from a pane (EN_MSGFILTER, EN_SELCHANGE, EN_DRAGDROPDONE).
LRESULT OnPaneNotify(NMHDR* nm);
// Timer 2 fired: the automatic save.
void OnSaveTimer();

// The page's context menu at `screen` for the pane `pane` (placed by the
// formatting commands).
void ShowPageMenu(HWND pane, POINT screen);

// The split view: closed (the primary pane gets its height back).
void CloseSplitPanes();
// Reading mode's background on the active pane, or the page's own.
void SetReadingBackground(bool reading);
// Word wrap on or off for both panes.
void ApplyWordWrap(bool wrap);

}  // namespace lw
