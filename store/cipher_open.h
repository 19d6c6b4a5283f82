// Opening a library through the page cipher: the connection, the key and the
// readability probe.
//
// The usual sequence for a library that may be enciphered:
//   OpenThroughCipher(db, path);              // plain files read as they are
//   if (enciphered && !password.empty()) ApplyPassword(db, password);
//   if (!ProbeReadable(db.handle())) ...      // no key or a wrong key
#pragma once

#include <string>
#include <string_view>

#include "store/db.h"

struct sqlite3;

namespace lw {

// Opens (or creates, when missing) `path` through the cipher layer, with no
// key yet. As the UTF-16 open call does, a file that is still empty becomes
// a UTF-16 database. False and reported through `db`'s sink on failure;
// nothing is open then.
bool OpenThroughCipher(Db& db, const std::u16string& path);

// Gives the open library the key of `password` (the role of `sqlite3_key`);
// the empty password removes any key. A connection that was opened some
// other way is first reopened through the cipher layer on the same file,
// which costs nothing before its first statement. Call it before the first
// statement: the probe then tells whether the key reads the file. False and
// reported on failure (the connection stays as it was, or closed when the
// reopening failed).
bool ApplyPassword(Db& db, const std::u16string& password);

// The readability probe: "PRAGMA journal_mode = off" must prepare, which
// needs the file's header and schema. False, without a report, when it does
// not: no key or a wrong one for an enciphered file, a key on a plain file,
// or no database at all.
bool ProbeReadable(sqlite3* db);

// OpenThroughCipher with the key of `password` (none when empty) in place
// from the start. No probe.
bool OpenWithPassword(Db& db, const std::u16string& path, std::u16string_view password);

// --- Telling files apart ------------------------------------------------------------

enum class LibraryFileKind {
  kPlain,       // begins with SQLite's header
  kEnciphered,  // whole 512-byte units whose first bytes look like cipher output
  kNotLibrary,  // empty, cut short, text, or a damaged header: no key reads it
};

// What the file at `path` is, from its size and first bytes. A file that is
// not a regular one is never opened here (reading a named pipe would wait)
// and counts as kNotLibrary. Tells a damaged or foreign file from an
// enciphered library, which a password prompt would otherwise take it for.
LibraryFileKind ClassifyLibraryFile(const std::u16string& path);

// Whether the key of `password` deciphers the file's first 16 bytes into
// SQLite's header string: the password is right even when the rest of the
// file is damaged.
bool PasswordOpensHeader(const std::u16string& path, std::u16string_view password);

}  // namespace lw
