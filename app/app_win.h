// The application object: start-up, the main window "appW", the message
// loop and the close sequence. One instance per process; tests drive it
// in-process.
#pragma once

#include <windows.h>

#include <string>

namespace lw {

struct StartOptions {
  // Folder of "lorewell.set"; empty means beside the executable. Tests point
  // it at a temporary folder so they never touch real settings.
  std::wstring settingsFolder;
  // The first command-line argument (empty: none was given).
  std::wstring libraryPath;
  // With no argument, a first start makes and shows the demo library.
  bool makeDemoOnFirstRun = true;
  int showCommand = SW_SHOW;
};

extern HINSTANCE g_instance;
extern HWND g_mainWindow;

// Builds the windows. Returns 0 with the main window running; otherwise the
// process exit code, with no main window (1 after an incompatible settings
// file or an unsupported Windows, 0 when the library named on the command
// line is held by another instance).
int StartApplication(HINSTANCE instance, const StartOptions& options);

// Ends the process at start-up with a short code ("!msftedit") in the
// platform's fatal-exit box.
[[noreturn]] void Fatal(const char* code);

// Registers the class `name` for a dialog template that names it (a class
// of the program's own, never taken for a system dialog box). True when it
// is registered.
bool RegisterDialogClass(const wchar_t* name);

// Offers `msg` to the accelerator table first; true when it was translated
// (the message must then not be dispatched).
bool TranslateAppAccelerator(MSG* msg);

// The message loop; returns the exit code carried by WM_QUIT.
int RunMessageLoop();

// The close sequence. Returns 1 when the close is refused (an internal
// process is running), 0 when the application is going away.
int CloseApplication();

// Releases what StartApplication made and registered (after the loop has
// ended), so that a test can start the application again in the same process.
void EndApplication();

}  // namespace lw
