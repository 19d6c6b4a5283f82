#include <windows.h>

#include "store/code_page_win.h"

#include "store/code_page.h"

namespace lw {

namespace {

std::u16string WindowsDecode(int code_page, std::string_view bytes) {
  if (bytes.empty()) return {};
  UINT cp = static_cast<UINT>(code_page);
  if (!IsValidCodePage(cp)) cp = 1252;
  const int size = static_cast<int>(bytes.size());
  const int n = MultiByteToWideChar(cp, 0, bytes.data(), size, nullptr, 0);
  std::u16string out(static_cast<size_t>(n), u'\0');
  MultiByteToWideChar(cp, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(out.data()), n);
  return out;
}

}  // namespace

void InstallWindowsCodePages() { SetCodePageDecoder(WindowsDecode); }

}  // namespace lw
