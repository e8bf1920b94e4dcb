#include "RegistryTestUtil.h"

#include <algorithm>
#include <atomic>

#ifdef _WIN32
#include <process.h>
#endif

#include "core/Quor_Text.h"

namespace testutil {
namespace {

std::string Join(const std::string& parent, const std::string& name) {
  return parent.empty() ? name : parent + "\\" + name;
}

void DumpInto(const platform::Registry& reg, const std::string& key, const std::string& shown,
              std::vector<std::string>& lines) {
  lines.push_back(shown);
  for (const platform::RegValue& value : reg.Values(key)) {
    std::string data = value.data;
    if (value.type == platform::RegType::Number) data = "#" + data;
    if (value.type == platform::RegType::Other) data = "<" + std::to_string(data.size()) + " bytes>";
    lines.push_back(shown + "|" + (value.name.empty() ? "@" : value.name) + "=" + data);
  }
  for (const std::string& sub : reg.SubKeys(key)) {
    DumpInto(reg, Join(key, sub), Join(shown, sub), lines);
  }
}

}  // namespace

std::string DumpTree(const platform::Registry& reg, const std::string& key) {
  if (!reg.KeyExists(key)) return "(missing)";
  std::vector<std::string> lines;
  DumpInto(reg, key, "", lines);
  std::sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
    return AsciiLower(a) < AsciiLower(b);
  });
  std::string out;
  for (const std::string& line : lines) out += (line.empty() ? "." : line) + "\n";
  return out;
}

void CopyTree(const platform::Registry& from, const std::string& fromKey, platform::Registry& to,
              const std::string& toKey) {
  if (!from.KeyExists(fromKey)) return;
  to.CreateKey(toKey);
  for (const platform::RegValue& value : from.Values(fromKey)) {
    if (value.type == platform::RegType::Number)
      to.WriteNumber(toKey, value.name, static_cast<std::uint32_t>(std::stoul(value.data)));
    else
      to.WriteString(toKey, value.name, value.data);
  }
  for (const std::string& sub : from.SubKeys(fromKey)) {
    CopyTree(from, Join(fromKey, sub), to, Join(toKey, sub));
  }
}

void SavedKeys::Save() {
  for (const std::string& key : keys) {
    CopyTree(machine, key, machineCopy, key);
    CopyTree(user, key, userCopy, key);
  }
}

void SavedKeys::Restore() {
  for (const std::string& key : keys) {
    machine.DeleteTree(key);
    CopyTree(machineCopy, key, machine, key);
    user.DeleteTree(key);
    CopyTree(userCopy, key, user, key);
  }
}

TestRoot::~TestRoot() {
#ifdef _WIN32
  if (!systemKey.empty())
    platform::OpenSystemRegistry(platform::RegistryHive::CurrentUser, "")->DeleteTree(systemKey);
#endif
}

std::vector<std::string> TestRootKinds() {
#ifdef _WIN32
  return {"memory", "system"};
#else
  return {"memory"};
#endif
}

std::unique_ptr<TestRoot> MakeTestRoot(const std::string& kind) {
  auto root = std::make_unique<TestRoot>();
  root->kind = kind;
#ifdef _WIN32
  if (kind == "system") {
    static std::atomic<int> counter{0};
    root->systemKey = "Software\\QuorTests\\" + std::to_string(_getpid()) + "_" +
                      std::to_string(counter++);
    root->reg = platform::OpenSystemRegistry(platform::RegistryHive::CurrentUser, root->systemKey);
    root->reg->DeleteTree("");  // a leftover of an earlier run with the same process id
    root->reg->CreateKey("");
    return root;
  }
#endif
  root->reg = std::make_unique<platform::MemoryRegistry>();
  return root;
}

}  // namespace testutil
