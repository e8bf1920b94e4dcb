// Helpers for tests over a registry: a whole subtree as text, copying
// subtrees, and fresh empty roots of each kind the build has.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry.h"

namespace testutil {

// Every key and value at and below key, one line each, sorted without regard
// to case: "Path\To\Key" for a key, "Path\To\Key|name=data" for a value
// ("@" names the default value, numbers show as "#123"). Paths are relative
// to key.
std::string DumpTree(const platform::Registry& reg, const std::string& key = "");

// Copies key with everything below it from one registry to another.
void CopyTree(const platform::Registry& from, const std::string& fromKey, platform::Registry& to,
              const std::string& toKey);

// What two registries (the machine's and the user's classes) hold under some
// keys, kept aside so that a test can put it back when it ends.
struct SavedKeys {
  SavedKeys(platform::Registry& machine, platform::Registry& user, std::vector<std::string> keys)
      : machine(machine), user(user), keys(std::move(keys)) {}

  platform::Registry& machine;
  platform::Registry& user;
  std::vector<std::string> keys;
  platform::MemoryRegistry machineCopy, userCopy;

  void Save();     // copies the keys aside
  void Restore();  // puts the copies back in place of whatever is there now
};

// A registry root that starts empty and removes itself when the test ends.
struct TestRoot {
  std::string kind;
  std::unique_ptr<platform::Registry> reg;
  std::string systemKey;  // below HKEY_CURRENT_USER, for the system kind
  ~TestRoot();
};

// "memory" in both builds; "system" (a private key of the real registry) in
// the Windows build too.
std::vector<std::string> TestRootKinds();
std::unique_ptr<TestRoot> MakeTestRoot(const std::string& kind);

}  // namespace testutil
