// Loading and saving "lorewell.set" beside the executable.
#pragma once

#include <string>

#include "app/settings.h"

namespace lw {

// The one process-wide settings record and the path of its file.
extern AppSettings g_settings;
extern std::wstring g_settingsFilePath;

enum class LoadResult { kOk, kExit };

// Reads the settings file in `folder` (the executable's folder when empty)
// into g_settings, or sets the defaults when there is none. Shows the
// incompatibility or Windows-version message and returns kExit when the
// program must end with exit code 1.
LoadResult LoadSettings(const std::wstring& folder = std::wstring());

// Writes g_settings to g_settingsFilePath. The new file is written beside the
// old one and then moved over it, so a failed write (disk full, locked file)
// leaves the previous settings intact. Returns false on failure, with the
// system's reason in `error` when given.
bool SaveSettings(std::wstring* error = nullptr);

// True when LoadSettings found no file (a first start).
bool SettingsWereNew();

}  // namespace lw
