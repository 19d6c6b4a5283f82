// Files dropped on the window or on a page: each is classified by its
// extension (editor/drop.h) and becomes what it is: a shortcut's target, the
// library, a sound clip, a picture, formatted or plain text at the caret, a
// folder opened in the shell, or its path as text.
//
// Everything here runs on the user-interface thread.
#pragma once

#include <windows.h>

#include <richedit.h>

#include <functional>
#include <string>

namespace lw {

enum class DropOutcome {
  kHandled,        // inserted, opened, refused or told: the next file follows
  kLibraryOpened,  // a library is being opened: the rest of the drop is ignored
};

// One dropped file for the page in `pane` (the active pane).
DropOutcome InsertDroppedFileInto(HWND pane, const std::wstring& path);

// The drop routine of the main window (SetDropRoutine), called once per file
// of a drop, in order, for the active pane. After a library file the rest
// of that drop is ignored.
void InsertDroppedFile(const wchar_t* path);

// EN_DROPFILES from a page pane. Taken only when no worker runs and a node
// is selected: the pane becomes the active pane and each file is inserted.
LRESULT OnPaneDropFiles(HWND pane, const ENDROPFILES& drop);

// The text file `path` at the caret of `pane`: as RTF, or as plain text
// whose encoding its first bytes tell (UTF-8, UTF-16 either way round, else
// the system's code page). Refused, and said, with no library or no node,
// or when the file is larger than a page may be; a read-only page refuses
// silently; an empty file inserts nothing.
bool InsertTextFile(HWND pane, const std::wstring& path, bool rtf);

// Where a dropped ".wav" goes: the sound clips' routine, placed by the
// music subsystem. While none is placed, such a file is treated as any
// other file (its path is inserted).
void SetSoundDropHandler(std::function<bool(const std::wstring& path)> handler);

// Test seam: when set, a dropped folder goes here instead of to
// ShellExecuteW (owner, verb, path).
using ShellOpener = std::function<void(HWND owner, const std::wstring& verb, const std::wstring& path)>;
void SetShellOpenerForTest(ShellOpener opener);

}  // namespace lw
