// F12: the page's selection run as a command line after a confirmation,
// or the block of lines around the caret run as a batch script of its own.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace lw {

// The routine of F12 and the strip's Execute button.
void ExecuteRoutine(int id);

// The maintenance reports (the words "duplicate" and "hidden", and Alt+V):
// ids that more than one row carries, and rows the tree does not show.
void ReportDuplicateIds();
void ReportHiddenRows();

// Posted to the main window when a started command ended because the
// command processor did not know its name (wParam: the exit code); the
// main window hands it to OnExecMessage, which says so.
inline constexpr UINT kMsgCommandEnded = WM_APP + 43;
bool OnExecMessage(UINT msg, WPARAM wp, LPARAM lp);

// Test seam: when set, command lines go here instead of to a new process;
// the answer is 0 or the Win32 error of the start.
using CommandStarter = std::function<DWORD(const std::wstring& command_line)>;
void SetCommandStarterForTest(CommandStarter starter);

}  // namespace lw
