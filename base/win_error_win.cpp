#include "base/win_error_win.h"

#include <windows.h>

namespace lw {

std::u16string Win32ErrorText(unsigned long code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string message;
  if (n && text) message.assign(reinterpret_cast<const char16_t*>(text), n);
  LocalFree(text);
  while (!message.empty() && (message.back() == u'\n' || message.back() == u'\r' ||
                              message.back() == u' ')) {
    message.pop_back();
  }
  if (message.empty()) {
    const std::string number = std::to_string(code);
    message = u"Error ";
    message.append(number.begin(), number.end());
  }
  return message;
}

}  // namespace lw
