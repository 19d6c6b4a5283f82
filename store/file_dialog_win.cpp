#include "store/file_dialog_win.h"

#include <cderr.h>
#include <commdlg.h>

#include "app/app_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/wide_win.h"
#include "store/node_store.h"

namespace lw {

namespace {

constexpr int kMsgPathTooLong = 81;
// "Error: %i. Restart the application." for a dialog that could not be shown.
constexpr int kMsgDialogFailed = 26;

FileDialogFn g_fileDialog = nullptr;

FileDialogResult RunCommonDialog(const FileDialogRequest& request) {
  wchar_t buffer[MAX_PATH] = L"";
  lstrcpynW(buffer, request.file_name.c_str(), MAX_PATH);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = g_mainWindow;
  ofn.lpstrFilter = request.filter.c_str();
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = request.title.c_str();
  ofn.lpstrDefExt = request.default_extension.empty() ? nullptr : request.default_extension.c_str();
  ofn.Flags = request.flags;
  FileDialogResult result;
  if (request.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn)) {
    result.answer = FileDialogResult::Answer::kChosen;
    result.path = buffer;
    return result;
  }
  result.error = CommDlgExtendedError();
  using A = FileDialogResult::Answer;
  result.answer = result.error == 0                      ? A::kCancelled
                  : result.error == FNERR_BUFFERTOOSMALL ? A::kTooLong
                                                         : A::kFailed;
  return result;
}

}  // namespace

void SetFileDialogForTest(FileDialogFn fn) { g_fileDialog = fn; }

std::optional<std::u16string> AskForFile(const FileDialogRequest& request) {
  FileDialogResult result = (g_fileDialog ? g_fileDialog : RunCommonDialog)(request);
  using A = FileDialogResult::Answer;
  if (result.answer == A::kChosen && result.path.size() > kMaxLibraryPathLength)
    result.answer = A::kTooLong;
  switch (result.answer) {
    case A::kChosen:
      return ToU16(result.path);
    case A::kTooLong:
      ShowLocalMessage(g_mainWindow, UiLanguage(), kMsgPathTooLong, MB_ICONINFORMATION);
      break;
    case A::kFailed: {
      std::wstring text = LoadMessage(UiLanguage(), kMsgDialogFailed);
      const size_t at = text.find(L"%i");
      if (at != std::wstring::npos) text.replace(at, 2, std::to_wstring(result.error));
      ShowMessage(g_mainWindow, text, MB_ICONERROR);
      break;
    }
    case A::kCancelled:
      break;
  }
  return std::nullopt;
}

FileDialogRequest DialogOf(int text, bool save) {
  // Every dialog: explorer style, resizable, long names, no network button,
  // no read-only box.
  constexpr DWORD kDialogFlags =
      OFN_EXPLORER | OFN_ENABLESIZING | OFN_LONGNAMES | OFN_NONETWORKBUTTON | OFN_HIDEREADONLY;
  const std::wstring parts = LoadMessage(UiLanguage(), text);
  const size_t bar = parts.find(L'|');
  FileDialogRequest request;
  request.save = save;
  request.title = parts.substr(0, bar);
  if (bar != std::wstring::npos) request.filter = parts.substr(bar + 1) + L'|';
  for (wchar_t& c : request.filter) {
    if (c == L'|') c = L'\0';
  }
  request.flags = kDialogFlags | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  return request;
}

}  // namespace lw
