// The sample library made on first run, so that a newcomer opens a working
// notebook: a few folders, books and files whose pages show what a page can
// hold (headings, bold, italic, colour, a bulleted list, Romanian letters).
#pragma once

#include <string>

#include "store/db.h"

namespace lw {

// Creates a new library at `path` (which must not hold a database yet) and
// fills it; the connection is closed on return. Failures go to `on_error`
// with SQLite's text. When the library cannot be created nothing is written;
// a failing row is skipped and the rest still written. True when every
// statement succeeded.
bool MakeDemoLibrary(const std::u16string& path, const ErrorSink& on_error);

}  // namespace lw
