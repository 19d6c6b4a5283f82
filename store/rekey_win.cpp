#include "store/rekey_win.h"

#include <windows.h>

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
  if (error) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string message;
    if (n && text) message.assign(reinterpret_cast<const char16_t*>(text), n);
    LocalFree(text);
    // The system's texts end with a line break.
    while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r')) {
      message.pop_back();
    }
    if (message.empty()) {
      const std::string number = std::to_string(code);
      message = u"Error ";
      message.append(number.begin(), number.end());
    }
    *error = message;
  }
  return false;
}

void InstallWindowsFileReplacer() { SetFileReplacer(ReplaceFileWriteThrough); }

}  // namespace lw
