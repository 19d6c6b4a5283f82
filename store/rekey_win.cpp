#include "store/rekey_win.h"

#include <windows.h>

#include "base/win_error_win.h"
#include "store/rekey.h"

namespace lw {

bool ReplaceFileWriteThrough(const std::u16string& source, const std::u16string& target,
                             std::u16string* error) {
  if (MoveFileExW(reinterpret_cast<const wchar_t*>(source.c_str()),
                  reinterpret_cast<const wchar_t*>(target.c_str()),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  const DWORD code = GetLastError();
  if (error) *error = Win32ErrorText(code);
  return false;
}

void InstallWindowsFileReplacer() { SetFileReplacer(ReplaceFileWriteThrough); }

}  // namespace lw
