// The Windows form of the "already open" test (see CanReadUnshared).
#pragma once

#include <cstdint>
#include <string>

namespace lw {

// Opens the file for reading with no sharing and reads one byte: this fails
// while any other program (or connection) has the file open, whether or not
// it locks it the way SQLite does.
bool CanReadUnsharedWindows(const std::u16string& path);

// The number of names (hard links) of a file, from the file system; 0 when
// it cannot be opened.
std::uintmax_t CountLinksWindows(const std::u16string& path);

// What the store asks of the platform, answered by Windows itself: "already
// open" (CanReadUnshared uses CanReadUnsharedWindows, so every NodeStore
// does), the count of a file's names, and the replacement of a file
// (MoveFileExW write-through), and the converter of code pages for pages'
// text. Called once at start-up.
void InstallWindowsFileChecks();

}  // namespace lw
