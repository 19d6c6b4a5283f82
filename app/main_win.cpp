// Entry point of lorewell.exe.
#include <windows.h>
#include <shellapi.h>

#include "app/app_win.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  lw::StartOptions options;
  options.showCommand = show;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv && argc > 1) options.libraryPath = argv[1];
  if (argv) LocalFree(argv);

  int code = lw::StartApplication(instance, options);
  if (!lw::g_mainWindow) return code;
  code = lw::RunMessageLoop();
  lw::EndApplication();
  return code;
}
