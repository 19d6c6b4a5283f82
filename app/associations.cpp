#include "app/associations.h"

namespace lw {

namespace {

std::u16string UnderClasses(std::u16string_view sub) { return std::u16string(kClassesKey) + u"\\" + std::u16string(sub); }

struct Extension {
  const char16_t* extension;
  const char16_t* prog_id;
};
const Extension kExtensions[] = {{u".db", kLibraryProgId}, {u".set", kSettingsProgId}};

}  // namespace

std::u16string QuotedPath(std::u16string_view exe) { return u"\"" + std::u16string(exe) + u"\""; }

std::vector<RegistryValue> AssociationValues(std::u16string_view exe) {
  const std::u16string quoted = QuotedPath(exe);
  const std::u16string library = std::u16string(kLibraryProgId), settings = std::u16string(kSettingsProgId);
  return {
      {UnderClasses(u".db"), u"", library},
      {UnderClasses(library + u"\\Shell\\Open\\Command"), u"", quoted + u" \"%1\""},
      {UnderClasses(library + u"\\DefaultIcon"), u"", quoted + u",1"},
      {UnderClasses(u".set"), u"", settings},
      {UnderClasses(settings + u"\\DefaultIcon"), u"", quoted + u",2"},
  };
}

RegistryValue StartupValue(std::u16string_view exe) { return {kRunKey, kRunValueName, QuotedPath(exe)}; }

bool AllPresent(const Registry& registry, const std::vector<RegistryValue>& values) {
  for (const RegistryValue& v : values) {
    if (registry.ReadString(v.key, v.name) != v.data) return false;
  }
  return true;
}

RegistryPlan AssociationsOnPlan(std::u16string_view exe) {
  RegistryPlan plan;
  plan.write = AssociationValues(exe);
  return plan;
}

RegistryPlan AssociationsOffPlan(const Registry& registry) {
  RegistryPlan plan;
  for (const Extension& e : kExtensions) {
    const std::u16string key = UnderClasses(e.extension);
    if (registry.ReadString(key, u"") != std::u16string(e.prog_id)) continue;
    plan.remove_values.push_back({key, u"", u""});
    plan.remove_if_empty.push_back(key);
  }
  for (const Extension& e : kExtensions) plan.remove_trees.push_back(UnderClasses(e.prog_id));
  return plan;
}

RegistryPlan StartupOnPlan(std::u16string_view exe) {
  RegistryPlan plan;
  plan.write.push_back(StartupValue(exe));
  return plan;
}

RegistryPlan StartupOffPlan(const Registry& registry, std::u16string_view exe) {
  RegistryPlan plan;
  const RegistryValue ours = StartupValue(exe);
  if (registry.ReadString(ours.key, ours.name) == ours.data) plan.remove_values.push_back(ours);
  return plan;
}

long ApplyPlan(Registry& registry, const RegistryPlan& plan) {
  for (const RegistryValue& v : plan.write)
    if (long code = registry.WriteString(v.key, v.name, v.data)) return code;
  for (const RegistryValue& v : plan.remove_values)
    if (long code = registry.DeleteValue(v.key, v.name)) return code;
  for (const std::u16string& key : plan.remove_trees)
    if (long code = registry.DeleteTree(key)) return code;
  for (const std::u16string& key : plan.remove_if_empty)
    if (long code = registry.DeleteKeyIfEmpty(key)) return code;
  return 0;
}

}  // namespace lw
