// Compacting a library (VACUUM) without ever putting it at risk.
//
// SQLite's VACUUM rewrites a database in place; with the journal off, as
// libraries run, a compaction cut short (a crash, a kill, a full disk)
// leaves a damaged file. Here the library is copied beside itself page for
// page under its own key, the copy is compacted and checked (it opens,
// SQLite's quick check passes, every table holds the rows it held), and the
// copy then takes the library's place in one atomic step, exactly as a
// re-key does (rekey.h: permissions, links and leftovers alike). The pages
// of an enciphered library pass through the cipher layer only, and VACUUM's
// scratch database stays in memory, so no page is written in the clear.
#pragma once

#include <string>
#include <string_view>

#include "store/db.h"

namespace lw {

// Compacts the library file at `path`, which no connection of this process
// may hold, read with `password` (empty for a plain file). The library gets
// the open settings' page size. True when the file was replaced by its
// compacted copy; false and reported through `on_error` otherwise, the file
// then being exactly as before. Refused like a re-key: a path that is not a
// regular file, a read-only library, one with a second name.
bool VacuumLibraryFile(const std::u16string& path, std::u16string_view password,
                       const ErrorSink& on_error);

// Compacts the library open in `db` at `path`: the connection is closed
// (edited pages must be saved before), the file compacted as above and
// reopened with the open settings. VACUUM may give the rows new rowids, so
// whoever keeps them reads them again. Failures go to `db`'s sink; if even
// the reopening fails, `db` is left closed.
bool VacuumOpenLibrary(Db& db, const std::u16string& path, std::u16string_view password);

}  // namespace lw
