#include "app/settings_win.h"

#include <windows.h>

#include <vector>

#include "app/msgbox_win.h"
#include "base/win_error_win.h"
#include "base/wide_win.h"

namespace lw {

AppSettings g_settings = DefaultSettings();
std::wstring g_settingsFilePath;

namespace {

bool g_settingsNew = false;

std::wstring ExecutablePath() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, &buf[0], static_cast<DWORD>(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(buf.size() * 2);  // a long path: never work with a cut one
  }
}

// Reads the whole file with no sharing, as an exclusive reader. Returns false
// when the file exists but cannot be read.
bool ReadWholeFile(const std::wstring& path, std::vector<uint8_t>* out) {
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  // Only the version word and the record matter; anything beyond is ignored.
  out->assign(kSettingsFileSize, 0);
  DWORD total = 0;
  bool ok = true;
  while (total < out->size()) {
    DWORD got = 0;
    if (!ReadFile(f, out->data() + total, static_cast<DWORD>(out->size() - total), &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    total += got;
  }
  CloseHandle(f);
  out->resize(total);
  return ok;
}

}  // namespace

bool SettingsWereNew() { return g_settingsNew; }

LoadResult LoadSettings(const std::wstring& folder) {
  if (folder.empty()) {
    g_settingsFilePath = ToWide(SettingsPathBeside(ToU16(ExecutablePath())));
  } else {
    g_settingsFilePath = folder;
    if (g_settingsFilePath.back() != L'\\' && g_settingsFilePath.back() != L'/')
      g_settingsFilePath += L'\\';
    g_settingsFilePath += L"lorewell.set";
  }

  DWORD attrs = GetFileAttributesW(g_settingsFilePath.c_str());
  g_settingsNew = attrs == INVALID_FILE_ATTRIBUTES;
  if (g_settingsNew) {
    g_settings = DefaultSettings();
  } else {
    std::vector<uint8_t> bytes;
    bool read = ReadWholeFile(g_settingsFilePath, &bytes);
    // An unreadable file counts as an incompatible one; the file is left
    // untouched either way.
    if (!read || ParseSettings(bytes.data(), bytes.size(), &g_settings) != SettingsParse::kOk) {
      ShowMessage(nullptr, ToWide(IncompatibleSettingsMessage(GetUserDefaultLangID())), MB_ICONERROR);
      return LoadResult::kExit;
    }
  }

  DWORD version = GetVersion();
  if (!IsSupportedWindowsVersion(LOBYTE(LOWORD(version)), HIBYTE(LOWORD(version)))) {
    ShowLocalMessage(nullptr, g_settings.language, 20, MB_ICONERROR);
    return LoadResult::kExit;
  }
  return LoadResult::kOk;
}

bool SaveSettings(std::wstring* error) {
  std::vector<uint8_t> bytes = SerializeSettings(g_settings);
  std::wstring temp = g_settingsFilePath + L".new";
  HANDLE f = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    if (error) *error = ToWide(Win32ErrorText(GetLastError()));
    return false;
  }
  DWORD written = 0;
  bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size() && FlushFileBuffers(f);
  DWORD code = ok ? 0 : GetLastError();
  CloseHandle(f);
  if (ok) {
    ok = MoveFileExW(temp.c_str(), g_settingsFilePath.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
    if (!ok) code = GetLastError();
  }
  if (!ok) {
    DeleteFileW(temp.c_str());
    if (error) *error = ToWide(Win32ErrorText(code));
  }
  return ok;
}

}  // namespace lw
