// The options panel's registry changes carried out on the real registry:
// the file associations and the launch at sign-in, both under
// HKEY_CURRENT_USER. What to write and what to take away is decided by
// app/associations.h; this file only reads and writes keys.
#pragma once

#include <windows.h>

#include <string>

namespace lw {

// The running executable's full path, however long.
std::wstring ModulePath();

// True when every association value is exactly what ticking writes for
// this executable.
bool AssociationsRegistered();
// True when the Run value launches this executable.
bool StartupRegistered();

// Ticked or unticked. Returns 0, or the system's code of the step that
// failed (the steps before it stay done). The shell is told of a change of
// associations either way.
long SetAssociations(bool on);
long SetStartup(bool on);

// Test seam: the key that stands for HKEY_CURRENT_USER; null restores it.
void SetRegistryRootForTest(HKEY root);

}  // namespace lw
