#include "music/clips_win.h"

#include <windows.h>

#include "app/app_win.h"
#include "app/msgbox_win.h"
#include "app/shell_win.h"
#include "base/utf.h"
#include "base/wide_win.h"
#include "music/clips.h"
#include "music/player_win.h"
#include "store/file_dialog_win.h"
#include "store/file_safety.h"
#include "store/library_win.h"

namespace lw {

namespace {

constexpr int kMsgNoLibrary = 34, kMsgClipDeleted = 59, kMsgNameTaken = 60, kMsgAttached = 61,
              kMsgDeleteAsk = 62, kSaveDialog = 100;

int Say(int n, UINT type, const std::wstring& arg = std::wstring()) {
  return ShowLocalMessage(g_mainWindow, UiLanguage(), n, type, arg);
}

void SayError(const std::string& text) { ShowMessage(g_mainWindow, ToWide(Utf8ToUtf16(text)), MB_ICONERROR); }

void SaveClipAs(const std::u16string& name) {
  FileDialogRequest request = DialogOf(kSaveDialog, true);
  request.default_extension = L"wav";
  request.file_name = ToWide(name);
  const std::optional<std::u16string> target = AskForFile(request);
  if (!target) return;
  const std::optional<std::string> bytes = ReadClip(Store().db(), name);
  std::string error;
  if (bytes && !WriteFileReplacing(*target, *bytes, ReplaceRules{"part", Store().current_path()}, &error)) {
    SayError(error);
  }
}

void DeleteClipAsked(const std::u16string& name) {
  if (Say(kMsgDeleteAsk, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, ToWide(name)) != IDYES) return;
  WorkClaim claim = Store().ClaimWork();
  if (!claim) return;
  if (DeleteClip(Store().db(), name) > 0) Say(kMsgClipDeleted, MB_ICONINFORMATION);
}

}  // namespace

void ClipMenuRoutine(int id) {
  const std::u16string name = MenuClipName(id);
  if (name.empty() || !Store().library_open()) return;
  if (GetKeyState(VK_TAB) & 0x8000) SaveClipAs(name);
  else if (GetKeyState(VK_SHIFT) & 0x8000) DeleteClipAsked(name);
  else PlayClip(name);
}

bool AttachClipFile(const std::wstring& path) {
  if (!Store().library_open()) {
    Say(kMsgNoLibrary, MB_ICONINFORMATION);
    return false;
  }
  std::string why;
  const std::optional<std::string> bytes = ReadWavFile(ToU16(path), ClipByteLimit(Store().db()), &why);
  if (!bytes) {
    SayError(why);
    return false;
  }
  WorkClaim claim = Store().ClaimWork();
  if (!claim) return false;
  switch (AddClip(Store().db(), ClipNameOf(ToU16(path)), *bytes)) {
    case ClipAdd::kAdded: Say(kMsgAttached, MB_ICONINFORMATION); return true;
    case ClipAdd::kNameTaken: Say(kMsgNameTaken, MB_ICONINFORMATION); return false;
    case ClipAdd::kFailed: return false;  // SQLite's text was shown
  }
  return false;
}

}  // namespace lw
