#include <windows.h>

#include <string>

#include "cli/console.h"

namespace lw::cli {

std::optional<std::u16string> AskSecret(std::string_view prompt) {
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (in == INVALID_HANDLE_VALUE || !GetConsoleMode(in, &mode)) return std::nullopt;
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  WriteFile(err, prompt.data(), static_cast<DWORD>(prompt.size()), &written, nullptr);
  SetConsoleMode(in, (mode & ~static_cast<DWORD>(ENABLE_ECHO_INPUT)) | ENABLE_LINE_INPUT);
  std::wstring line;
  wchar_t buf[64];
  DWORD got = 0;
  while (ReadConsoleW(in, buf, 64, &got, nullptr) && got > 0) {
    line.append(buf, got);
    if (line.find(L'\n') != std::wstring::npos) break;
  }
  SetConsoleMode(in, mode);
  WriteFile(err, "\r\n", 2, &written, nullptr);
  while (!line.empty() && (line.back() == L'\n' || line.back() == L'\r')) line.pop_back();
  return std::u16string(line.begin(), line.end());
}

}  // namespace lw::cli
