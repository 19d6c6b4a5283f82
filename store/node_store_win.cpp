#include "store/node_store_win.h"

#include <windows.h>

#include "store/node_store.h"

namespace lw {

bool CanReadUnsharedWindows(const std::u16string& path) {
  const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                                  0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char byte = 0;
  DWORD read = 0;
  // An empty file reads nothing and is still free.
  const bool ok = ReadFile(file, &byte, 1, &read, nullptr) != 0;
  CloseHandle(file);
  return ok;
}

void InstallWindowsExclusiveReadCheck() { SetPlatformExclusiveReadCheck(CanReadUnsharedWindows); }

}  // namespace lw
