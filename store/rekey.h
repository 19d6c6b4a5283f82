// Setting, changing and clearing the password of a library (re-keying), and
// enciphering a new file such as an export.
//
// A re-key never rewrites the library in place: with the journal off, a
// failure half-way (disk full, a crash, a power cut) would leave pages under
// two keys and the library unreadable. Instead every page is copied, under
// the new key, into a file beside the library; the copy is made durable,
// checked, and then replaces the library in one atomic step. On any failure
// before that step the library keeps its previous key and content, and the
// copy is removed. A copy left by a crash is removed by the next re-key or
// the next opening of the library.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "store/db.h"
#include "store/file_safety.h"

namespace lw {

// --- Rewriting a library through a copy -------------------------------------------

// The copy a re-key (or a compaction, vacuum.h) writes sits beside the
// library (so that the replacement is a rename within one folder), named
// "LIBRARY.rekey-" (or ".vacuum-") twelve hex digits ".tmp", created new and
// readable by its owner only before the first page is written into it. It
// takes the library's permission bits and owner just before it replaces it;
// a symbolic link is followed and kept.
inline constexpr char kRekeyTag[] = "rekey";
inline constexpr char kVacuumTag[] = "vacuum";

// Removes the copies that re-keys and compactions of `library` left when
// their process was killed (see RemoveLeftovers) and answers their paths.
// Every re-key, every compaction and every opening of a library does this
// first.
std::vector<std::u16string> RemoveLibraryCopyLeftovers(const std::u16string& library);

// Writes every page of the library at `library` (read with `old_password`)
// into the file `copy` under `new_password`, makes the copy durable and
// checks that it opens. A writer of another program keeps the library
// locked meanwhile, and one already writing makes the copy fail ("database
// is locked"). No connection is left open on return.
bool WriteLibraryCopy(const std::u16string& library, const std::u16string& copy,
                      std::u16string_view old_password, std::u16string_view new_password,
                      const ErrorSink& on_error);

// Fills the copy `copy` of the library `library` (links followed); false
// when it failed, the reason reported.
using CopyWriter = std::function<bool(const std::u16string& library, const std::u16string& copy)>;

// The frame of every rewrite: refuses what cannot be replaced (not a regular
// file, read-only, a second name), removes leftovers, makes the copy
// (`tag`), lets `write` fill it, and puts it in the library's place. On any
// failure the copy is removed and the library is exactly as before.
bool ReplaceLibraryByCopy(const std::u16string& path, const char* tag, const CopyWriter& write,
                          const ErrorSink& on_error);

// --- Re-keying --------------------------------------------------------------------

// Re-keys the library file at `path`, which no connection may hold: its
// pages, readable with `old_password` (empty for a plain file), are written
// under `new_password` (empty: plain; a password longer than 19 characters
// counts with its first 19). A password of 1 to 3 characters is refused and
// nothing changes. When both passwords give the same key the file already is
// what was asked, and nothing is written. A path that is not a regular
// file, a read-only library and one with a second name (hard link) are
// refused. True when the file now has the new key; false and reported
// through `on_error` otherwise, the file then being exactly as before. The export of a branch enciphers its new file
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
