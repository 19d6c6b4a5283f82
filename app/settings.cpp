#include "app/settings.h"

#include <cstring>

#include "base/utf.h"
#include "music/midi.h"

namespace lw {

namespace {

bool IsLittleEndianHost() {
  const uint16_t probe = 1;
  uint8_t first;
  std::memcpy(&first, &probe, 1);
  return first == 1;
}

// A file of another build, or a damaged one, may hold a language or an
// instrument the options panel's lists cannot show (and the MIDI program
// table cannot index): those read as the first choice.
void ClampChoices(AppSettings* s) {
  if (s->language != kLanguageEnglish && s->language != kLanguageRomanian) s->language = kLanguageEnglish;
  if (s->instrumentIndex < 0 || s->instrumentIndex >= kInstrumentCount) s->instrumentIndex = 0;
}

}  // namespace

AppSettings DefaultSettings() {
  AppSettings s;
  std::memset(&s, 0, sizeof s);
  s.treeWidth = kDefaultTreeWidth;
  s.windowX = kDefaultWindowX;
  s.windowY = kDefaultWindowY;
  s.windowWidth = kDefaultWindowWidth;
  s.windowHeight = kDefaultWindowHeight;
  for (int i = 0; i < 6; ++i) s.stripButtonVisible[i] = 1;
  s.language = kLanguageEnglish;
  s.storeLastLibrary = 1;
  s.wordWrap = 1;
  s.playerRepeat = 1;
  return s;
}

SettingsParse ParseSettings(const uint8_t* data, size_t size, AppSettings* out) {
  // The record is the in-memory image of a little-endian file; both targets
  // (x86-64 Windows and Linux) are little-endian.
  if (!IsLittleEndianHost()) return SettingsParse::kIncompatible;
  if (size < 4) return SettingsParse::kIncompatible;
  uint32_t version = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
                     static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
  if (version != kSettingsVersion) return SettingsParse::kIncompatible;
  std::memset(out, 0, sizeof *out);
  size_t n = size - 4;
  if (n > kSettingsRecordSize) n = kSettingsRecordSize;
  std::memcpy(out, data + 4, n);
  ClampChoices(out);
  return SettingsParse::kOk;
}

std::vector<uint8_t> SerializeSettings(const AppSettings& s) {
  std::vector<uint8_t> bytes(kSettingsFileSize);
  bytes[0] = kSettingsVersion & 0xFF;
  bytes[1] = (kSettingsVersion >> 8) & 0xFF;
  bytes[2] = (kSettingsVersion >> 16) & 0xFF;
  bytes[3] = (kSettingsVersion >> 24) & 0xFF;
  std::memcpy(bytes.data() + 4, &s, kSettingsRecordSize);
  return bytes;
}

bool SetFixedString(char16_t* field, size_t capacity, std::u16string_view text) {
  if (capacity == 0) return false;
  if (text.size() >= capacity) {
    field[0] = 0;
    return false;
  }
  std::memcpy(field, text.data(), text.size() * sizeof(char16_t));
  field[text.size()] = 0;
  return true;
}

std::u16string GetFixedString(const char16_t* field, size_t capacity) {
  return std::u16string(field, Utf16Length(field, capacity));
}

void PrepareSettingsForSave(AppSettings* s, const SettingsCloseState& state) {
  if (state.libraryOpen) {
    if (!s->storeLastLibrary ||
        !SetFixedString(s->lastLibraryPath, kPathCapacity, state.libraryPath)) {
      s->lastLibraryPath[0] = 0;
    }
  }
  if (state.readingMode) s->treeWidth = kReadingModeTreeWidth;
  if (!s->storeLastPassword ||
      !SetFixedString(s->lastPassword, kPasswordCapacity, state.passwordInUse)) {
    s->lastPassword[0] = 0;
  }
  if (state.maximized) {
    s->windowX = kDefaultWindowX;
    s->windowY = kDefaultWindowY;
    s->windowWidth = kDefaultWindowWidth;
    s->windowHeight = kDefaultWindowHeight;
  }
}

static_assert(kPathCapacity - 1 == kMaxLibraryPathLength,
              "the store's longest library path is the settings' path field");

LibraryMemory LibraryMemoryOf(const AppSettings& s) {
  LibraryMemory memory;
  memory.remember_library = s.storeLastLibrary != 0;
  memory.last_node_id = s.lastNodeId;
  memory.last_library_path = GetFixedString(s.lastLibraryPath, kPathCapacity);
  return memory;
}

void KeepLibraryMemory(const LibraryMemory& memory, AppSettings* s) {
  s->lastNodeId = memory.last_node_id;
  if (!SetFixedString(s->lastLibraryPath, kPathCapacity, memory.last_library_path)) {
    s->lastLibraryPath[0] = 0;  // a path that does not fit is no path
  }
}

std::u16string SettingsPathBeside(std::u16string_view exePath) {
  size_t cut = exePath.find_last_of(u"\\/");
  std::u16string dir = cut == std::u16string_view::npos ? std::u16string()
                                                         : std::u16string(exePath.substr(0, cut + 1));
  return dir + u"lorewell.set";
}

std::u16string IncompatibleSettingsMessage(uint16_t userDefaultLangId) {
  if (userDefaultLangId == 1048) {
    return u"Fișierul 'Lorewell.set' nu este compatibil cu această versiune a aplicației. "
           u"Vă recomandăm să ștergeți acest fișier și să deschideți din nou aplicația.";
  }
  return u"The file 'Lorewell.set' is not compatible with this version of application. "
         u"We recommend you to delete this file and reopen the application.";
}

bool IsSupportedWindowsVersion(unsigned major, unsigned minor) {
  return major >= 7 || (major == 6 && minor >= 2);
}

}  // namespace lw
