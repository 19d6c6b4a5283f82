#include "store/node_store_win.h"

#include <windows.h>

#include "store/code_page_win.h"
#include "store/file_safety.h"
#include "store/node_store.h"
#include "store/rekey_win.h"

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

std::uintmax_t CountLinksWindows(const std::u16string& path) {
  // Attributes only, shared with everyone: counting must not disturb a
  // program that has the file open.
  const HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()),
                                  FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(file, &info) != 0;
  CloseHandle(file);
  return ok ? info.nNumberOfLinks : 0;
}

void InstallWindowsFileChecks() {
  SetPlatformExclusiveReadCheck(CanReadUnsharedWindows);
  SetLinkCounter(CountLinksWindows);
  InstallWindowsFileReplacer();
  InstallWindowsCodePages();
}

}  // namespace lw
