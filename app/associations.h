// What the options panel writes to the registry and what it takes away: the
// ".db" and ".set" file associations and the value that launches the
// program when the user signs in. Everything lives under HKEY_CURRENT_USER
// (the classes under Software\Classes, which HKEY_CLASSES_ROOT merges), so
// no administrator rights are needed.
//
// The plans are plain data computed from the executable's path and from
// what the registry holds now; app/registry_win.cpp only carries out the
// primitive steps, so the rules are tested here against a registry in
// memory.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lw {

// Keys are paths under HKEY_CURRENT_USER.
inline constexpr char16_t kClassesKey[] = u"Software\\Classes";
inline constexpr char16_t kRunKey[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr char16_t kRunValueName[] = u"Lorewell";
// The program identifiers the extensions point at; the keys of these names
// are the program's own.
inline constexpr char16_t kLibraryProgId[] = u"dbdb";
inline constexpr char16_t kSettingsProgId[] = u"setset";

struct RegistryValue {
  std::u16string key;
  std::u16string name;  // empty: the key's default value
  std::u16string data;  // a REG_SZ string
  bool operator==(const RegistryValue& o) const { return key == o.key && name == o.name && data == o.data; }
};

// One change, carried out in this order: values written (keys made as
// needed), values removed, whole keys removed, then keys removed only when
// nothing is left in them.
struct RegistryPlan {
  std::vector<RegistryValue> write;
  std::vector<RegistryValue> remove_values;  // data is not used
  std::vector<std::u16string> remove_trees;
  std::vector<std::u16string> remove_if_empty;
};

// The registry as the plans see it. Codes are the system's error numbers,
// 0 for success; removing something that is not there succeeds.
class Registry {
 public:
  virtual ~Registry() = default;
  virtual std::optional<std::u16string> ReadString(const std::u16string& key, const std::u16string& name) const = 0;
  virtual long WriteString(const std::u16string& key, const std::u16string& name, const std::u16string& data) = 0;
  virtual long DeleteValue(const std::u16string& key, const std::u16string& name) = 0;
  virtual long DeleteTree(const std::u16string& key) = 0;
  virtual long DeleteKeyIfEmpty(const std::u16string& key) = 0;
};

// The path in double quotes, as a command line or an icon location needs it
// when the folder holds a space.
std::u16string QuotedPath(std::u16string_view exe);

// The five values of the associations, in the order they are written:
// ".db" -> "dbdb" (opened by `exe` with the file as its argument, icon 1)
// and ".set" -> "setset" (icon 2).
std::vector<RegistryValue> AssociationValues(std::u16string_view exe);
// The Run value: the quoted path.
RegistryValue StartupValue(std::u16string_view exe);

// True when every value is there with exactly the data given.
bool AllPresent(const Registry& registry, const std::vector<RegistryValue>& values);

RegistryPlan AssociationsOnPlan(std::u16string_view exe);
// Takes away only what the program wrote: an extension's default value
// while it still names our identifier (a key that holds nothing else goes
// too), and our identifiers' keys. Another program's association of ".db"
// or ".set", and anything else under those keys, stays.
RegistryPlan AssociationsOffPlan(const Registry& registry);
RegistryPlan StartupOnPlan(std::u16string_view exe);
// The Run value goes only while it launches this executable.
RegistryPlan StartupOffPlan(const Registry& registry, std::u16string_view exe);

// Carries out `plan` in order and stops at the first step that fails.
// Returns that step's code, 0 when every step succeeded.
long ApplyPlan(Registry& registry, const RegistryPlan& plan);

}  // namespace lw
