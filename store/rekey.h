// Setting, changing and clearing the password of a library (re-keying), and
// enciphering a new file such as an export.
//
// A re-key never rewrites the library in place: with the journal off, a
// failure half-way (disk full, a crash, a power cut) would leave pages under
// two keys and the library unreadable. Instead every page is copied, under
// the new key, into a file beside the library; the copy is made durable,
// checked, and then replaces the library in one atomic step. On any failure
// before that step the library keeps its previous key and content, and the
// copy is removed. A copy left by a crash is removed by the next re-key.
#pragma once

#include <string>
#include <string_view>

#include "store/db.h"

namespace lw {

// --- Replacing the library: the platform seam ---------------------------------

// Puts `source` in the place of `target` in one step, so that `target` has
// either its old content or all of `source`'s whatever happens meanwhile,
// and `source` is gone. Answers true once the change is on disk; on failure
// `error` gets a text and nothing has changed.
using FileReplacer = bool (*)(const std::u16string& source, const std::u16string& target,
                              std::u16string* error);

// The portable replacer: a rename, which replaces an existing file on POSIX
// systems, followed by a sync of the folder that makes it durable.
bool ReplaceFileByRename(const std::u16string& source, const std::u16string& target,
                         std::u16string* error);

// The replacer re-keys use; null restores ReplaceFileByRename. The Windows
// layer installs one built on MoveFileExW at start-up. Not for use while a
// re-key runs.
void SetFileReplacer(FileReplacer replacer);

// --- Re-keying --------------------------------------------------------------------

// The file a re-key of `library` writes: beside it, so the replacement is a
// rename within one folder.
std::u16string RekeyCopyPath(const std::u16string& library);

// Re-keys the library file at `path`, which no connection may hold: its
// pages, readable with `old_password` (empty for a plain file), are written
// under `new_password` (empty: plain; a password longer than 19 characters
// counts with its first 19). A password of 1 to 3 characters is refused and
// nothing changes. When both passwords give the same key the file already is
// what was asked, and nothing is written. True when the file now has the
// new key; false and reported through `on_error` otherwise, the file then
// being exactly as before. The export of a branch enciphers its new file
// with this, old password empty.
bool RekeyLibraryFile(const std::u16string& path, std::u16string_view old_password,
                      std::u16string_view new_password, const ErrorSink& on_error);

// Re-keys the library open in `db` at `path` (the role of `sqlite3_rekey`):
// the connection is closed (pages being edited must be saved before), the
// file re-keyed as above, and the library reopened through the cipher layer
// under whichever key it has afterwards, with the open settings applied.
// Returns whether the file now has the new key; failures are reported
// through `db`'s sink. If even the reopening fails, `db` is left closed.
bool RekeyOpenLibrary(Db& db, const std::u16string& path, std::u16string_view old_password,
                      std::u16string_view new_password);

}  // namespace lw
