// The settings record and its file "lorewell.set".
//
// The file is a 4-byte little-endian version word (40) followed by an exact
// image of `AppSettings` (1768 bytes), 1772 bytes in all. The record is one
// process-wide instance that every part of the program reads and writes
// directly on the user-interface thread; workers only read it.
//
// This header holds the byte layout and the load/save rules, free of any
// platform call; app/settings_win.cpp does the file I/O and the messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "store/node_store.h"

namespace lw {

constexpr uint32_t kSettingsVersion = 40;
constexpr size_t kSettingsRecordSize = 1768;
constexpr size_t kSettingsFileSize = 4 + kSettingsRecordSize;
constexpr size_t kPathCapacity = 260;      // 259 characters + terminator
constexpr size_t kPasswordCapacity = 20;   // 19 characters + terminator
constexpr int kStripOptionalButtons = 12;  // New .. Right align
constexpr int32_t kLanguageEnglish = 409;
constexpr int32_t kLanguageRomanian = 418;

// Window placement given to a new record and to a maximised window at close.
constexpr int32_t kDefaultWindowX = 120;
constexpr int32_t kDefaultWindowY = 120;
constexpr int32_t kDefaultWindowWidth = 800;
constexpr int32_t kDefaultWindowHeight = 600;
constexpr int32_t kDefaultTreeWidth = 120;
constexpr int32_t kReadingModeTreeWidth = 150;

// Field order and widths are the file format: do not reorder. Flags are whole
// words holding 0 or 1 and are tested for non-zero. The placement words are
// interleaved with the client size and two unused words; this is not a RECT.
struct AppSettings {
  int32_t treeWidth;
  int32_t windowX;
  uint8_t reserved8[4];
  int32_t windowY;
  uint8_t reserved16[4];
  int32_t windowWidth;
  int32_t clientWidth;
  int32_t windowHeight;
  int32_t clientHeight;
  int32_t topMost;
  int32_t stripButtonVisible[kStripOptionalButtons];
  int32_t language;
  int32_t lastNodeId;
  int32_t searchHereOnly;
  int32_t pinDialogs;
  int32_t storeLastLibrary;
  int32_t storeLastPassword;
  uint8_t reserved112[4];
  int32_t wordWrap;
  int32_t playerRepeat;
  int32_t instrumentIndex;
  char16_t lastLibraryPath[kPathCapacity];
  uint8_t reserved648[520];
  uint8_t reserved1168[520];
  char16_t lastPassword[kPasswordCapacity];
  uint8_t reserved1728[20];
  uint8_t reserved1748[18];
  uint8_t padding1766[2];
};

static_assert(sizeof(AppSettings) == kSettingsRecordSize, "settings record must stay 1768 bytes");
static_assert(offsetof(AppSettings, stripButtonVisible) == 40, "layout");
static_assert(offsetof(AppSettings, language) == 88, "layout");
static_assert(offsetof(AppSettings, wordWrap) == 116, "layout");
static_assert(offsetof(AppSettings, lastLibraryPath) == 128, "layout");
static_assert(offsetof(AppSettings, lastPassword) == 1688, "layout");

// The record of a first start: zeros, then the documented defaults.
AppSettings DefaultSettings();

enum class SettingsParse {
  kOk,            // record filled from the bytes (a short file leaves the rest zero)
  kIncompatible,  // version word missing or not 40: the file must be left alone
};

// Reads a settings file image. Bytes beyond the record are ignored; beyond
// the version word only the language (409 or 418, else 409) and the
// instrument (0 to 7, else 0) are checked, as earlier files rely on the
// rest being taken as it is.
SettingsParse ParseSettings(const uint8_t* data, size_t size, AppSettings* out);

// The 1772-byte file image: version word, then the record exactly as held,
// reserved bytes included.
std::vector<uint8_t> SerializeSettings(const AppSettings& s);

// What the close sequence knows when it prepares the record for saving.
struct SettingsCloseState {
  bool libraryOpen = false;
  std::u16string libraryPath;  // meaningful when libraryOpen
  bool readingMode = false;
  std::u16string passwordInUse;
  bool maximized = false;
};

// The preparation steps of saving: the stored library path (only while a
// library is open), the tree width of reading mode, the stored password and
// the placement of a maximised window.
void PrepareSettingsForSave(AppSettings* s, const SettingsCloseState& state);

// The store's memory of its libraries (NodeStore::memory), filled from the
// settings read at start, and copied back before they are saved: the store
// never sees the settings record itself.
LibraryMemory LibraryMemoryOf(const AppSettings& s);
void KeepLibraryMemory(const LibraryMemory& memory, AppSettings* s);

// Copies text into a fixed UTF-16 field, always NUL-terminated. Returns false
// (leaving the field empty) when the text does not fit: a path that would be
// cut short must never be stored as a different, truncated path.
bool SetFixedString(char16_t* field, size_t capacity, std::u16string_view text);
std::u16string GetFixedString(const char16_t* field, size_t capacity);

// The folder part of an executable path plus "lorewell.set".
std::u16string SettingsPathBeside(std::u16string_view exePath);

// The incompatibility message, chosen by the user's default UI language id
// (1048 is Romanian) because the stored language cannot be trusted.
std::u16string IncompatibleSettingsMessage(uint16_t userDefaultLangId);

// Windows 8 or later: major 7 or more, or 6 with minor 2 or more.
bool IsSupportedWindowsVersion(unsigned major, unsigned minor);

}  // namespace lw
