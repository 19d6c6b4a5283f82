// The clip commands of the window: attaching a dropped WAV file, and the
// "Atachments" submenu's items (play, save as, delete).
#pragma once

#include <string>

namespace lw {

// The routine of the submenu's items: with Tab held Save as, with Shift
// Delete, otherwise Play.
void ClipMenuRoutine(int id);

// A dropped WAV file: refused with the reason unless it is a whole PCM WAV
// file the library can hold; otherwise attached under its file name.
// True when it was attached.
bool AttachClipFile(const std::wstring& path);

}  // namespace lw
