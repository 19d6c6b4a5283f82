// The application object: start-up, the main window "appW" and the close
// sequence. One instance per process; tests drive it in-process.
#pragma once

#include <windows.h>

#include <string>

namespace lw {

struct StartOptions {
  // Folder of "lorewell.set"; empty means beside the executable. Tests point
  // it at a temporary folder so they never touch real settings.
  std::wstring settingsFolder;
  // The library to show (the first command-line argument). Empty: on a first
  // start the demo library beside the settings file is made and shown.
  std::wstring libraryPath;
  bool makeDemoOnFirstRun = true;
  int showCommand = SW_SHOW;
};

extern HINSTANCE g_instance;
extern HWND g_mainWindow;

// Builds the windows. Returns 0 on success, otherwise the process exit code
// (1 after an incompatible settings file or an unsupported Windows).
int StartApplication(HINSTANCE instance, const StartOptions& options);

// The message loop; returns the exit code carried by WM_QUIT.
int RunMessageLoop();

// The close sequence: saves the settings and destroys the main window.
// Returns 1 when the close is refused, 0 when the application is going away.
int CloseApplication();

// Releases what StartApplication registered (after the loop has ended), so
// that a test can start the application again in the same process.
void EndApplication();

// The library shown in the window (empty when none).
const std::wstring& CurrentLibraryPath();

}  // namespace lw
