#include "app/registry_win.h"

#include <shlobj.h>

#include "app/associations.h"
#include "base/wide_win.h"

namespace lw {

namespace {

HKEY g_rootForTest = nullptr;

HKEY Root() { return g_rootForTest ? g_rootForTest : HKEY_CURRENT_USER; }

const wchar_t* ValueName(const std::u16string& name) {
  return name.empty() ? nullptr : reinterpret_cast<const wchar_t*>(name.c_str());
}

// An absent key or value is what a removal wants: it counts as done.
long Gone(LSTATUS status) { return status == ERROR_FILE_NOT_FOUND || status == ERROR_PATH_NOT_FOUND ? 0 : status; }

class WinRegistry : public Registry {
 public:
  std::optional<std::u16string> ReadString(const std::u16string& key, const std::u16string& name) const override {
    const std::wstring k = ToWide(key);
    DWORD bytes = 0;
    if (RegGetValueW(Root(), k.c_str(), ValueName(name), RRF_RT_REG_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
      return std::nullopt;
    std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegGetValueW(Root(), k.c_str(), ValueName(name), RRF_RT_REG_SZ, nullptr, data.data(), &bytes) != ERROR_SUCCESS)
      return std::nullopt;
    data.resize(wcsnlen(data.c_str(), data.size()));
    return ToU16(data);
  }

  long WriteString(const std::u16string& key, const std::u16string& name, const std::u16string& data) override {
    HKEY k = nullptr;
    LSTATUS s = RegCreateKeyExW(Root(), ToWide(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr);
    if (s != ERROR_SUCCESS) return s;
    s = RegSetValueExW(k, ValueName(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(char16_t)));
    RegCloseKey(k);
    return s;
  }

  long DeleteValue(const std::u16string& key, const std::u16string& name) override {
    HKEY k = nullptr;
    LSTATUS s = RegOpenKeyExW(Root(), ToWide(key).c_str(), 0, KEY_SET_VALUE, &k);
    if (s != ERROR_SUCCESS) return Gone(s);
    s = RegDeleteValueW(k, ValueName(name));
    RegCloseKey(k);
    return Gone(s);
  }

  long DeleteTree(const std::u16string& key) override { return Gone(RegDeleteTreeW(Root(), ToWide(key).c_str())); }

  long DeleteKeyIfEmpty(const std::u16string& key) override {
    HKEY k = nullptr;
    LSTATUS s = RegOpenKeyExW(Root(), ToWide(key).c_str(), 0, KEY_QUERY_VALUE, &k);
    if (s != ERROR_SUCCESS) return Gone(s);
    DWORD subkeys = 0, values = 0;
    s = RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
    RegCloseKey(k);
    if (s != ERROR_SUCCESS) return s;
    return subkeys == 0 && values == 0 ? Gone(RegDeleteKeyW(Root(), ToWide(key).c_str())) : 0;
  }
};

}  // namespace

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::wstring();
    if (n < path.size()) return path.substr(0, n);
    path.resize(path.size() * 2);
  }
}

bool AssociationsRegistered() {
  return AllPresent(WinRegistry(), AssociationValues(ToU16(ModulePath())));
}

bool StartupRegistered() { return AllPresent(WinRegistry(), {StartupValue(ToU16(ModulePath()))}); }

long SetAssociations(bool on) {
  WinRegistry registry;
  const std::u16string exe = ToU16(ModulePath());
  const long code = ApplyPlan(registry, on ? AssociationsOnPlan(exe) : AssociationsOffPlan(registry));
  // Explorer caches icons and verbs: it reads them again only when told.
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
  return code;
}

long SetStartup(bool on) {
  WinRegistry registry;
  const std::u16string exe = ToU16(ModulePath());
  return ApplyPlan(registry, on ? StartupOnPlan(exe) : StartupOffPlan(registry, exe));
}

void SetRegistryRootForTest(HKEY root) { g_rootForTest = root; }

}  // namespace lw
