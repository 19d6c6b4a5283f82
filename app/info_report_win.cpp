#include "app/info_report_win.h"

#include <shlobj.h>

#include "app/app_win.h"
#include "app/msgbox_win.h"
#include "app/settings_win.h"
#include "app/shell_win.h"
#include "app/strip_win.h"
#include "editor/pane_win.h"
#include "store/library_win.h"

namespace lw {

namespace {

// A folder the report names, or "-" when the system does not say.
std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  return SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE) ? std::wstring(path) : std::wstring(L"-");
}

std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return L"-";
    if (n < path.size()) return path.substr(0, n);
    path.resize(path.size() * 2);
  }
}

std::wstring UserName() {
  wchar_t name[257] = L"";
  DWORD size = 257;
  return GetUserNameW(name, &size) ? std::wstring(name) : std::wstring(L"-");
}

// The version Windows reports, without the compatibility shim's answer.
std::pair<DWORD, DWORD> WindowsVersion() {
  using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof v;
  auto get = reinterpret_cast<RtlGetVersionFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  if (!get || get(&v) != 0) return {0, 0};
  return {v.dwMajorVersion, v.dwMinorVersion};
}

}  // namespace

std::wstring InfoReportText() {
  const int lang = UiLanguage();
  const std::wstring yes = LoadMessage(lang, 51), no = LoadMessage(lang, 52);
  std::wstring t = LoadMessage(lang, 50) + ProgramPath();
  t += LoadMessage(lang, 53, IsUserAnAdmin() ? yes : no);
  t += LoadMessage(lang, 54, g_settings.storeLastPassword ? yes : no);
  if (Store().library_open())
    t += WithNumbers(LoadMessage(lang, 55),
                     {static_cast<long>(Model().index().size()), static_cast<long>(Store().format_version())});
  t += LoadMessage(lang, 56);
  t += L"1. User: " + UserName();
  t += L"\r\n2. Desktop: " + Folder(CSIDL_DESKTOPDIRECTORY);
  t += L"\r\n3. System folder: " + Folder(CSIDL_SYSTEM);
  t += L"\r\n4. SendTo folder: " + Folder(CSIDL_SENDTO);
  t += L"\r\n5. Windows: " + Folder(CSIDL_WINDOWS);
  const auto [major, minor] = WindowsVersion();
  t += WithNumbers(L"\r\n7. Windows OS: %i.%i", {static_cast<long>(major), static_cast<long>(minor)});
  return t;
}

void ShowInfoReport() {
  ShowFixedPage(kInfoReportTitle, InfoReportText());
  // The report is the program's text, not the user's: Ctrl+Z must not take
  // it away and leave an empty read-only page.
  SendMessageW(g_shell.editor1, EM_EMPTYUNDOBUFFER, 0, 0);
  if (!Store().library_open() && g_shell.currentEditor == g_shell.editor1)
    SetButtonState(kButtonFind, kStateDisabled);
}

bool InfoReportShown() {
  return PaneNodeId(g_shell.editor1) == 0 && PageTitle(g_shell.editor1) == kInfoReportTitle;
}

}  // namespace lw
