#include "app/msgbox_win.h"

#include "version.h"

namespace lw {

const wchar_t kMessageCaption[] = L" Lorewell " LW_VERSION_WIDE;

namespace {
MessageBoxHook g_hook = nullptr;
}

void SetMessageBoxHook(MessageBoxHook hook) { g_hook = hook; }

int ShowMessage(HWND owner, const std::wstring& text, UINT type, const wchar_t* caption) {
  if (!caption) caption = kMessageCaption;
  if (g_hook) return g_hook(owner, text, caption, type);
  return MessageBoxW(owner, text.c_str(), caption, type);
}

namespace {
std::wstring LoadResourceString(UINT id) {
  const wchar_t* res = nullptr;
  // With a zero buffer size LoadStringW hands out a pointer into the
  // resource itself, so no text is ever cut to fit a buffer.
  int len = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&res), 0);
  return len > 0 ? std::wstring(res, static_cast<size_t>(len)) : std::wstring();
}
}  // namespace

std::wstring LoadMessage(int language, int n, const std::wstring& arg) {
  std::wstring text;
  if (language == 409 || language == 418) text = LoadResourceString(static_cast<UINT>(language * 100 + n));
  // A language word from a damaged settings file must not leave a box empty.
  if (text.empty()) text = LoadResourceString(static_cast<UINT>(409 * 100 + n));
  size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, arg);
  return text;
}

int ShowLocalMessage(HWND owner, int language, int n, UINT type, const std::wstring& arg) {
  return ShowMessage(owner, LoadMessage(language, n, arg), type);
}

std::wstring WithNumbers(std::wstring text, std::initializer_list<long> values) {
  for (long v : values) {
    const size_t at = text.find(L"%i");
    if (at == std::wstring::npos) break;
    text.replace(at, 2, std::to_wstring(v));
  }
  return text;
}

}  // namespace lw
