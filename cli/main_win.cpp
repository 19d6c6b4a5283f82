// lorewell-cli as a Windows console program: arguments and the environment
// arrive as UTF-16; output is written as UTF-8.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "cli/commands.h"
#include "cli/console.h"
#include "store/node_store_win.h"

namespace {

void Write(DWORD which, std::string_view s) {
  DWORD written = 0;
  WriteFile(GetStdHandle(which), s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SetConsoleOutputCP(CP_UTF8);
  lw::InstallWindowsFileChecks();
  std::vector<std::u16string> args;
  for (int k = 1; k < argc; ++k) {
    args.emplace_back(reinterpret_cast<const char16_t*>(argv[k]), std::wcslen(argv[k]));
  }
  lw::cli::Io io;
  io.out = [](std::string_view s) { Write(STD_OUTPUT_HANDLE, s); };
  io.err = [](std::string_view s) { Write(STD_ERROR_HANDLE, s); };
  io.env = [](const char* name) -> std::optional<std::u16string> {
    std::wstring wide(name, name + std::strlen(name));
    const DWORD n = GetEnvironmentVariableW(wide.c_str(), nullptr, 0);
    if (n == 0) return std::nullopt;  // not set (an empty value gives 1)
    std::wstring value(n, L'\0');
    const DWORD got = GetEnvironmentVariableW(wide.c_str(), value.data(), n);
    value.resize(got);
    return std::u16string(value.begin(), value.end());
  };
  io.ask_secret = lw::cli::AskSecret;
  return lw::cli::RunCli(args, io);
}
