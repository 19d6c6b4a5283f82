#include "exec/run_win.h"

#include <richedit.h>

#include <string>

#include "app/app_win.h"
#include "app/commands.h"
#include "app/commands_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/utf.h"
#include "base/wide_win.h"
#include "base/win_error_win.h"
#include "editor/format.h"
#include "editor/pane_win.h"
#include "editor/rich_edit_win.h"
#include "exec/command.h"
#include "exec/sql.h"
#include "store/file_safety.h"
#include "store/library_win.h"

namespace lw {

namespace {

constexpr int kMsgTooLong = 22, kMsgDuplicates = 43, kMsgHidden = 47, kMsgConfirm = 96, kMsgLineTooLong = 97,
              kMsgNotStarted = 98;
// The command processor's exit code for a command name it does not know.
constexpr DWORD kCommandNotFound = 9009;
// The command processor takes lines of at most this many characters.
constexpr size_t kMaxCommandLine = 8191;

CommandStarter g_starter;

std::wstring CommandProcessor() {
  wchar_t path[MAX_PATH] = L"";
  const DWORD n = GetEnvironmentVariableW(L"ComSpec", path, MAX_PATH);
  return n > 0 && n < MAX_PATH ? std::wstring(path) : std::wstring(L"cmd.exe");
}

// Starts `line` through the command processor; `script`, when given, is
// removed once the process has ended. 0 or the Win32 error.
DWORD Start(const std::wstring& line, const std::wstring& script = std::wstring()) {
  const std::wstring full = L"\"" + CommandProcessor() + L"\" /c " + line;
  if (g_starter) {
    const DWORD error = g_starter(full);
    if (!script.empty()) DeleteFileW(script.c_str());
    return error;
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::wstring mutable_line = full;
  if (!CreateProcessW(nullptr, mutable_line.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                      nullptr, &si, &pi)) {
    const DWORD error = GetLastError();
    if (!script.empty()) DeleteFileW(script.c_str());
    return error;
  }
  CloseHandle(pi.hThread);
  // A thread of its own waits for the end and removes the script.
  auto* job = new std::pair<HANDLE, std::wstring>(pi.hProcess, script);
  HANDLE waiter = CreateThread(
      nullptr, 0,
      [](void* arg) -> DWORD {
        auto* j = static_cast<std::pair<HANDLE, std::wstring>*>(arg);
        WaitForSingleObject(j->first, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(j->first, &code) && code == kCommandNotFound) {
          PostMessageW(g_mainWindow, kMsgCommandEnded, code, 0);
        }
        CloseHandle(j->first);
        if (!j->second.empty()) DeleteFileW(j->second.c_str());
        delete j;
        return 0;
      },
      job, 0, nullptr);
  if (waiter) CloseHandle(waiter);
  else delete job;  // the script stays; the process runs on
  return 0;
}

// Why a command did not start: one of the four fixed reasons (message 98
// holds them, separated by "|"), otherwise the system's words.
std::wstring StartFailureText(DWORD error) {
  int reason = -1;
  switch (error) {
    case ERROR_NOT_ENOUGH_MEMORY: case ERROR_OUTOFMEMORY: reason = 0; break;
    case ERROR_FILE_NOT_FOUND: case kCommandNotFound: reason = 1; break;
    case ERROR_PATH_NOT_FOUND: reason = 2; break;
    case ERROR_BAD_FORMAT: case ERROR_BAD_EXE_FORMAT: reason = 3; break;
    default: return ToWide(Win32ErrorText(error));
  }
  const std::wstring all = LoadMessage(UiLanguage(), kMsgNotStarted);
  size_t start = 0;
  for (int skip = 0; skip < reason && start != std::wstring::npos; ++skip) {
    start = all.find(L'|', start);
    if (start != std::wstring::npos) ++start;
  }
  if (start == std::wstring::npos) return ToWide(Win32ErrorText(error));
  return all.substr(start, all.find(L'|', start) - start);
}

void SayStartFailure(DWORD error) {
  if (error) ShowMessage(g_mainWindow, StartFailureText(error), MB_ICONERROR);
}

// A script file of a name no other run uses, in the temporary folder.
std::wstring WriteScript(const std::wstring& text) {
  wchar_t folder[MAX_PATH] = L"";
  if (!GetTempPathW(MAX_PATH, folder)) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::wstring path = std::wstring(folder) + L"lorewell-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(GetTickCount64() + attempt) + L".cmd";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return {};
    }
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    if (ok) return path;
    DeleteFileW(path.c_str());
    return {};
  }
  return {};
}

// The lines between the marker lines around the caret, as a script.
void RunBlock(HWND pane) {
  CHARRANGE sel{};
  SendMessageW(pane, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
  const std::u16string page = ToU16(PaneText(pane));
  const TextSpan block = BlockAroundCaret(page, static_cast<size_t>(sel.cpMin));
  if (block.size() > kScrambleMax) {
    ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgTooLong, MB_ICONINFORMATION);
    return;
  }
  if (block.size() == 0) return;
  const std::wstring script = WriteScript(ToWide(ScriptText(std::u16string_view(page).substr(block.start, block.size()))));
  if (script.empty()) {
    SayStartFailure(GetLastError() ? GetLastError() : ERROR_WRITE_FAULT);
    return;
  }
  SayStartFailure(Start(L"\"" + script + L"\"", script));
}

// The page's text as the file a compiler reads: UTF-8, written beside the
// file it replaces.
bool WritePageText(HWND pane, const std::u16string& name) {
  wchar_t folder[MAX_PATH] = L"";
  const DWORD n = GetCurrentDirectoryW(MAX_PATH, folder);
  const std::u16string path = (n > 0 && n < MAX_PATH ? ToU16(folder) + u"\\" : std::u16string()) + name;
  std::string error;
  ReplacementFile file;
  ReplaceRules rules;
  rules.source = Store().current_path();  // never the library itself
  std::string text = Utf16ToUtf8(ToU16(PaneText(pane)));
  for (size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at + 2)) text.insert(at + 1, "\n");
  if (file.Create(path, rules, &error) && file.Write(text, &error) && file.Commit(&error)) return true;
  ShowMessage(g_mainWindow, ToWide(Utf8ToUtf16(error)), MB_ICONERROR);
  return false;
}

// True when the confirmed command was the word that converts a library.
bool RunSelection(HWND pane) {
  CHARFORMAT2W cf{};
  cf.cbSize = sizeof cf;
  SendMessageW(pane, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
  if (lstrcmpiW(cf.szFaceName, L"Cantoria") == 0) return false;  // notes are never run
  const PreparedCommand cmd = PrepareCommand(ToU16(SelectedText(pane)), ToU16(PageTitle(pane)));
  if (cmd.line.size() > kMaxCommandLine) {
    ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgLineTooLong, MB_ICONINFORMATION);
    return false;
  }
  if (ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgConfirm, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2,
                       ToWide(cmd.line)) != IDYES)
    return false;
  switch (cmd.word) {
    case MaintenanceWord::kDuplicate: ReportDuplicateIds(); return false;
    case MaintenanceWord::kHidden: ReportHiddenRows(); return false;
    case MaintenanceWord::kConvert: return true;  // once the busy flag is free again
    case MaintenanceWord::kNone: break;
  }
  if (cmd.page_file && !WritePageText(pane, *cmd.page_file)) return false;
  SayStartFailure(Start(ToWide(cmd.line)));
  return false;
}

}  // namespace

void ExecuteRoutine(int) {
  HWND pane = g_shell.currentEditor;
  if (PaneNodeId(pane) == 0) return;
  bool convert = false;
  {
    WorkClaim claim = Store().ClaimWork();
    if (!claim || !SaveModifiedPages()) return;
    if (SelectedTextEmpty(pane)) RunBlock(pane);
    else convert = RunSelection(pane);
  }
  if (convert) RunCommand(kCmdConvertLibrary);
}

void ReportDuplicateIds() {
  const int n = DuplicateIdCount(Store().db());
  if (n >= 0) ShowMessage(g_mainWindow, WithNumbers(LoadMessage(UiLanguage(), kMsgDuplicates), {n}), MB_ICONINFORMATION);
}

void ReportHiddenRows() {
  const long hidden = Store().db().CountNodes() - static_cast<long>(Model().index().size());
  ShowMessage(g_mainWindow, WithNumbers(LoadMessage(UiLanguage(), kMsgHidden), {hidden}), MB_ICONINFORMATION);
}

bool OnExecMessage(UINT msg, WPARAM wp, LPARAM) {
  if (msg != kMsgCommandEnded) return false;
  SayStartFailure(static_cast<DWORD>(wp));
  return true;
}

void SetCommandStarterForTest(CommandStarter starter) { g_starter = std::move(starter); }

}  // namespace lw
