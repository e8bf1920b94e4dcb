// A small key/value view of one registry root, such as the classes root.
// Keys are addressed by their path below the root, levels separated by "\"
// ("" is the root itself); value name "" is a key's unnamed (default) value.
// Key and value names compare without regard to ASCII case, as in the
// Windows registry, and keep the case they were created with.
//
// Two implementations: MemoryRegistry (both builds, used by tests) and, in
// the Windows build, the system registry below a fixed key.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class RegType { String, Number, Other };

// One value as enumerated: String data is the text (REG_SZ, REG_EXPAND_SZ
// unexpanded), Number data the decimal text of a REG_DWORD, Other the raw bytes.
struct RegValue {
  std::string name;
  RegType type = RegType::String;
  std::string data;
};

enum class RegRead {
  Missing,    // no such key or value
  String,     // a string value; data holds it
  NotString,  // the value exists but holds no text
};

class Registry {
 public:
  virtual ~Registry() = default;

  virtual bool KeyExists(const std::string& key) const = 0;
  // Opens the key, creating it and every missing level above it first.
  virtual bool CreateKey(const std::string& key) = 0;
  virtual RegRead ReadString(const std::string& key, const std::string& name,
                             std::string& data) const = 0;
  // Writes a string value into an existing key; false when the key is
  // missing or the system refuses the write.
  virtual bool WriteString(const std::string& key, const std::string& name,
                           const std::string& data) = 0;
  // Writes a 32-bit number (REG_DWORD) into an existing key.
  virtual bool WriteNumber(const std::string& key, const std::string& name, std::uint32_t value) = 0;
  // Removes one value; true when it is gone afterwards (also when it was never there).
  virtual bool DeleteValue(const std::string& key, const std::string& name) = 0;
  // Removes the key with all its values and subkeys; true when it is gone
  // afterwards (also when it was never there).
  virtual bool DeleteTree(const std::string& key) = 0;

  // The names of the key's direct subkeys and its values, in no fixed order.
  virtual std::vector<std::string> SubKeys(const std::string& key) const = 0;
  virtual std::vector<RegValue> Values(const std::string& key) const = 0;
};

// The whole registry in memory.
class MemoryRegistry : public Registry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;

  bool KeyExists(const std::string& key) const override;
  bool CreateKey(const std::string& key) override;
  RegRead ReadString(const std::string& key, const std::string& name,
                     std::string& data) const override;
  bool WriteString(const std::string& key, const std::string& name,
                   const std::string& data) override;
  bool WriteNumber(const std::string& key, const std::string& name, std::uint32_t value) override;
  bool DeleteValue(const std::string& key, const std::string& name) override;
  bool DeleteTree(const std::string& key) override;
  std::vector<std::string> SubKeys(const std::string& key) const override;
  std::vector<RegValue> Values(const std::string& key) const override;

 private:
  struct Node {
    std::string name;
    std::map<std::string, RegValue> values;              // by lower-case name
    std::map<std::string, std::unique_ptr<Node>> children;  // by lower-case name
  };
  const Node* Find(const std::string& key) const;
  Node* Find(const std::string& key);

  Node root_;
};

#ifdef _WIN32
enum class RegistryHive { ClassesRoot, CurrentUser, LocalMachine };

// The system registry below hive\subKey ("" for the hive itself). The key
// itself is not created or opened here: every call opens what it needs.
std::unique_ptr<Registry> OpenSystemRegistry(RegistryHive hive, const std::string& subKey);

// The current user's own classes (HKEY_CURRENT_USER\Software\Classes),
// which Windows merges into HKEY_CLASSES_ROOT.
inline std::unique_ptr<Registry> OpenUserClasses() {
  return OpenSystemRegistry(RegistryHive::CurrentUser, "Software\\Classes");
}
// The machine-wide classes (HKEY_LOCAL_MACHINE\Software\Classes), the other
// part of HKEY_CLASSES_ROOT; writing there needs an administrator.
inline std::unique_ptr<Registry> OpenMachineClasses() {
  return OpenSystemRegistry(RegistryHive::LocalMachine, "Software\\Classes");
}

// Tells Explorer that file types and their commands have changed, so that
// it reads them again.
void NotifyAssociationsChanged();
#endif

}  // namespace platform
