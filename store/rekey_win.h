// The Windows replacer of re-keys (see rekey.h).
#pragma once

#include <string>

namespace lw {

// MoveFileExW with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH: the
// rename replaces the library in one step and returns once it is on disk.
// Fails (and changes nothing) while another program holds the library open
// without delete sharing.
bool ReplaceFileWriteThrough(const std::u16string& source, const std::u16string& target,
                             std::u16string* error);

// Makes re-keys use ReplaceFileWriteThrough; called once at start-up.
void InstallWindowsFileReplacer();

}  // namespace lw
