#include "shellext/registry_plan.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "native_path.h"

namespace larkspur::shell {
namespace {

constexpr const char* kClsid = "{AB479803-AF80-4941-BC86-4C2CF7359581}";
const std::string kProgId = "LarkspurMenu.TLarkspurMenuCom";

TRegistrationInputs inputs(bool isNt = true) {
  return {kClsid, "C:\\PROGRA~1\\LARKSP~1.DLL", test::native("C:\\Program Files\\LarkspurMenu.dll"),
          "C:\\app\\main.exe", isNt};
}

TEST(RegistryPlanTest, ProgIdIsModuleBaseNameAndClassName) {
  EXPECT_EQ(ProgIdFor(test::native("C:\\x\\LarkspurMenu.dll")), kProgId);
  EXPECT_EQ(ProgIdFor("Other"), "Other.TLarkspurMenuCom");
}

TEST(RegistryPlanTest, WritesEveryEntryInOrder) {
  const std::string c = std::string("CLSID\\") + kClsid;
  constexpr auto R = TRegistryRoot::ClassesRoot;
  const std::vector<TRegistryWrite> expected = {
      {R, c, "", "Larkspur Menu Com"},
      {R, c + "\\InprocServer32", "", "C:\\PROGRA~1\\LARKSP~1.DLL"},
      {R, c + "\\InprocServer32", "ThreadingModel", "Apartment"},
      {R, kProgId, "", "Larkspur Menu Com"},
      {R, kProgId + "\\Clsid", "", kClsid},
      {R, c + "\\ProgID", "", kProgId},
      {R, "Larkspur\\shellex", "", ""},
      {R, "Larkspur\\shellex\\ContextMenuHandlers", "", ""},
      {R, "Larkspur\\shellex\\ContextMenuHandlers\\ContMenu", "", kClsid},
      {R, "*\\shellex", "", ""},
      {R, "*\\ShellEx\\ContextMenuHandlers\\Larkspur", "", ""},
      {R, "*\\ShellEx\\ContextMenuHandlers\\Larkspur", "", kClsid},
      {R, "Folder\\shellex", "", ""},
      {R, "Folder\\ShellEx\\ContextMenuHandlers\\Larkspur", "", ""},
      {R, "Folder\\ShellEx\\ContextMenuHandlers\\Larkspur", "", kClsid},
      {R, "Directory\\ShellEx\\ContextMenuHandlers\\Larkspur", "", ""},
      {R, "Directory\\ShellEx\\ContextMenuHandlers\\Larkspur", "", kClsid},
      {R, "Drive\\ShellEx\\ContextMenuHandlers\\Larkspur", "", ""},
      {R, "Drive\\ShellEx\\ContextMenuHandlers\\Larkspur", "", kClsid},
      {R, "Larkspur\\DefaultIcon", "", ""},
      {R, "Larkspur\\DefaultIcon", "", "C:\\app\\main.exe,0"},
      {R, "Larkspur\\shell", "", ""},
      {R, "Larkspur\\shell\\open", "", ""},
      {R, "Larkspur\\shell\\open\\command", "", ""},
      {R, "Larkspur\\shell\\open\\command", "", "C:\\app\\main.exe \"%1\""},
      {TRegistryRoot::LocalMachine,
       "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved", kClsid,
       "Larkspur Menu Com"},
  };
  const auto plan = RegistrationPlan(inputs());
  ASSERT_EQ(plan.size(), expected.size());
  for (std::size_t i = 0; i < plan.size(); ++i)
    EXPECT_EQ(plan[i], expected[i]) << "write " << i;
}

TEST(RegistryPlanTest, NonNtPlatformSkipsApprovedList) {
  const auto plan = RegistrationPlan(inputs(false));
  ASSERT_FALSE(plan.empty());
  for (const auto& write : plan)
    EXPECT_EQ(write.root, TRegistryRoot::ClassesRoot);
  EXPECT_EQ(plan.size() + 1, RegistrationPlan(inputs(true)).size());
}

// A case-insensitive model of HKEY_CLASSES_ROOT: keys with their values; creating a key creates
// its parents, deleting needs a key without subkeys (as RegDeleteKeyA does).
class FakeRegistry {
public:
  void write(const TRegistryWrite& w) {
    if (w.root != TRegistryRoot::ClassesRoot)
      return;
    std::string key = fold(w.key);
    for (std::size_t at = key.find('\\'); at != std::string::npos; at = key.find('\\', at + 1))
      keys_[key.substr(0, at)];
    keys_[key][w.valueName] = w.data;
  }
  void remove(std::string key) {
    key = fold(key);
    if (!key.empty() && key.back() == '\\')
      key.pop_back();
    auto it = keys_.find(key);
    if (it == keys_.end())
      return;
    auto next = std::next(it);
    if (next != keys_.end() && next->first.starts_with(key + "\\"))
      return; // has subkeys
    keys_.erase(it);
  }
  bool has(const std::string& key) const { return keys_.count(fold(key)) != 0; }
  const std::map<std::string, std::map<std::string, std::string>>& keys() const { return keys_; }

private:
  static std::string fold(std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
    return s;
  }
  std::map<std::string, std::map<std::string, std::string>> keys_;
};

TEST(RegistryPlanTest, RegisteringTwiceEqualsRegisteringOnce) {
  FakeRegistry once, twice;
  for (const auto& w : RegistrationPlan(inputs()))
    once.write(w);
  for (int round = 0; round < 2; ++round)
    for (const auto& w : RegistrationPlan(inputs()))
      twice.write(w);
  EXPECT_EQ(once.keys(), twice.keys());
}

TEST(RegistryPlanTest, UnregistrationRemovesOwnKeysAndLeavesSharedOnes) {
  FakeRegistry registry;
  for (const auto& w : RegistrationPlan(inputs()))
    registry.write(w);
  for (const auto& key : UnregistrationPlan(kClsid, kProgId))
    registry.remove(key);
  for (const auto& [key, values] : registry.keys()) {
    EXPECT_EQ(key.find("ab479803"), std::string::npos) << key;
    EXPECT_FALSE(key.starts_with("larkspurmenu")) << key;
    EXPECT_FALSE(key.starts_with("larkspur\\")) << key;
    EXPECT_FALSE(key.ends_with("\\larkspur")) << key;
  }
  EXPECT_TRUE(registry.has("Larkspur"));
  EXPECT_TRUE(registry.has("*\\shellex"));
  EXPECT_TRUE(registry.has("Folder\\shellex"));
}

TEST(RegistryPlanTest, UnregistrationDeletesChildrenBeforeParents) {
  const auto plan = UnregistrationPlan(kClsid, kProgId);
  for (std::size_t i = 0; i < plan.size(); ++i)
    for (std::size_t j = i + 1; j < plan.size(); ++j)
      EXPECT_FALSE(plan[j].starts_with(plan[i] + "\\"))
          << plan[j] << " is deleted after its parent " << plan[i];
}

} // namespace
} // namespace larkspur::shell
