// The Windows form of the "already open" test (see CanReadUnshared).
#pragma once

#include <string>

namespace lw {

// Opens the file for reading with no sharing and reads one byte: this fails
// while any other program (or connection) has the file open, whether or not
// it locks it the way SQLite does.
bool CanReadUnsharedWindows(const std::u16string& path);

// Makes CanReadUnshared, and so every NodeStore, use CanReadUnsharedWindows;
// called once at start-up.
void InstallWindowsExclusiveReadCheck();

}  // namespace lw
