#include "app/associations.h"

#include <gtest/gtest.h>

#include <map>

namespace lw {
namespace {

// A registry in memory; changes under the key path `refuse` answer 5
// (access denied).
class MemoryRegistry : public Registry {
 public:
  std::map<std::u16string, std::map<std::u16string, std::u16string>> keys;
  std::u16string refuse = u"\x1";

  std::optional<std::u16string> ReadString(const std::u16string& key, const std::u16string& name) const override {
    auto k = keys.find(key);
    if (k == keys.end() || !k->second.count(name)) return std::nullopt;
    return k->second.at(name);
  }
  long WriteString(const std::u16string& key, const std::u16string& name, const std::u16string& data) override {
    if (key.rfind(refuse, 0) == 0) return 5;
    for (size_t cut = key.find(u'\\'); cut != std::u16string::npos; cut = key.find(u'\\', cut + 1))
      keys[key.substr(0, cut)];
    keys[key][name] = data;
    return 0;
  }
  long DeleteValue(const std::u16string& key, const std::u16string& name) override {
    if (key.rfind(refuse, 0) == 0) return 5;
    if (keys.count(key)) keys[key].erase(name);
    return 0;
  }
  long DeleteTree(const std::u16string& key) override {
    for (auto it = keys.begin(); it != keys.end();)
      it = it->first == key || it->first.rfind(key + u"\\", 0) == 0 ? keys.erase(it) : std::next(it);
    return 0;
  }
  long DeleteKeyIfEmpty(const std::u16string& key) override {
    auto k = keys.find(key);
    if (k == keys.end() || !k->second.empty()) return 0;
    if (std::next(k) != keys.end() && std::next(k)->first.rfind(key + u"\\", 0) == 0) return 0;
    keys.erase(k);
    return 0;
  }
};

const std::u16string kExe = u"C:\\Program Files\\Lorewell\\lorewell.exe";
const std::u16string kQuoted = u"\"" + kExe + u"\"";
const std::u16string kClasses = u"Software\\Classes\\";
const std::u16string kRun = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The full path quoted (its folder holds a space); presence means every
// value exactly so, not an older unquoted command or another copy's icon.
TEST(Associations, TheQuotedFullPathIsWrittenAndPresenceMeansExactlyIt) {
  MemoryRegistry r;
  ASSERT_EQ(ApplyPlan(r, AssociationsOnPlan(kExe)), 0);
  const std::pair<std::u16string, std::u16string> written[] = {
      {u".db", u"dbdb"}, {u"dbdb\\Shell\\Open\\Command", kQuoted + u" \"%1\""},
      {u"dbdb\\DefaultIcon", kQuoted + u",1"}, {u".set", u"setset"}, {u"setset\\DefaultIcon", kQuoted + u",2"}};
  for (const auto& [key, data] : written) {
    EXPECT_EQ(r.ReadString(kClasses + key, u""), data);
    MemoryRegistry changed = r;
    changed.WriteString(kClasses + key, u"", kExe + u" %1");
    EXPECT_FALSE(AllPresent(changed, AssociationValues(kExe)));
  }
  EXPECT_TRUE(AllPresent(r, AssociationValues(kExe)));
  EXPECT_FALSE(AllPresent(r, AssociationValues(u"D:\\lorewell.exe")));
}

// Unticking takes away our identifiers' keys, and an extension's default
// only while it still names ours; whatever another program keeps stays.
TEST(Associations, UntickingRemovesOnlyWhatTheProgramWrote) {
  struct Case {
    std::u16string db_default;  // after ours was written
    bool other_value;           // ".db" also holds a content type
    bool key_left;
    std::optional<std::u16string> default_left;
  };
  for (const Case& c : {Case{u"dbdb", false, false, std::nullopt}, Case{u"OtherApp", false, true, u"OtherApp"},
                        Case{u"dbdb", true, true, std::nullopt}}) {
    MemoryRegistry r;
    r.WriteString(kClasses + u"OtherApp\\Shell\\Open\\Command", u"", u"other.exe %1");
    ASSERT_EQ(ApplyPlan(r, AssociationsOnPlan(kExe)), 0);
    r.WriteString(kClasses + u".db", u"", c.db_default);
    if (c.other_value) r.WriteString(kClasses + u".db", u"Content Type", u"application/x-sqlite3");
    ASSERT_EQ(ApplyPlan(r, AssociationsOffPlan(r)), 0);
    SCOPED_TRACE(std::string(c.db_default.begin(), c.db_default.end()) + (c.other_value ? " +value" : ""));
    EXPECT_EQ(r.keys.count(kClasses + u".db") != 0, c.key_left);
    EXPECT_EQ(r.ReadString(kClasses + u".db", u""), c.default_left);
    EXPECT_EQ(r.ReadString(kClasses + u".db", u"Content Type").has_value(), c.other_value);
    for (const char16_t* gone : {u".set", u"dbdb", u"dbdb\\DefaultIcon", u"setset"})
      EXPECT_EQ(r.keys.count(kClasses + gone), 0u);
    EXPECT_TRUE(r.ReadString(kClasses + u"OtherApp\\Shell\\Open\\Command", u""));
  }
}

// The Run value goes only while it launches this executable; a refused step
// ends a plan with the system's code, the steps before it done.
TEST(Associations, TheRunValueAndARefusedStep) {
  MemoryRegistry r;
  ASSERT_EQ(ApplyPlan(r, StartupOnPlan(kExe)), 0);
  EXPECT_EQ(r.ReadString(kRun, u"Lorewell"), kQuoted);
  ASSERT_EQ(ApplyPlan(r, StartupOffPlan(r, u"D:\\copy\\lorewell.exe")), 0);
  EXPECT_EQ(r.ReadString(kRun, u"Lorewell"), kQuoted) << "another copy does not remove ours";
  ASSERT_EQ(ApplyPlan(r, StartupOffPlan(r, kExe)), 0);
  EXPECT_FALSE(r.ReadString(kRun, u"Lorewell"));

  r.refuse = kClasses + u"dbdb";
  EXPECT_EQ(ApplyPlan(r, AssociationsOnPlan(kExe)), 5);
  EXPECT_EQ(r.ReadString(kClasses + u".db", u""), u"dbdb");
  EXPECT_FALSE(r.ReadString(kClasses + u".set", u""));
}

}  // namespace
}  // namespace lw
