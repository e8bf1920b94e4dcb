#include <windows.h>

#include <cstring>

#include "platform/registry.h"

namespace platform {
namespace {

// An open key that closes itself.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

class SystemRegistry : public Registry {
 public:
  SystemRegistry(HKEY hive, std::string base) : hive_(hive), base_(std::move(base)) {}

  bool KeyExists(const std::string& key) const override {
    Key k;
    return Open(key, KEY_READ, k);
  }

  bool CreateKey(const std::string& key) override {
    Key k;
    return RegCreateKeyExA(hive_, Path(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_READ | KEY_WRITE, nullptr, k.out(), nullptr) == ERROR_SUCCESS;
  }

  RegRead ReadString(const std::string& key, const std::string& name,
                     std::string& data) const override {
    data.clear();
    Key k;
    if (!Open(key, KEY_QUERY_VALUE, k)) return RegRead::Missing;
    DWORD type = 0;
    std::string bytes;
    if (!Query(k.get(), name, type, bytes)) return RegRead::Missing;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return RegRead::NotString;
    data = TextOf(bytes);
    return RegRead::String;
  }

  bool WriteString(const std::string& key, const std::string& name,
                   const std::string& data) override {
    Key k;
    if (!Open(key, KEY_SET_VALUE, k)) return false;
    return RegSetValueExA(k.get(), name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
  }

  bool WriteNumber(const std::string& key, const std::string& name, std::uint32_t value) override {
    Key k;
    if (!Open(key, KEY_SET_VALUE, k)) return false;
    DWORD dword = value;
    return RegSetValueExA(k.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword),
                          sizeof dword) == ERROR_SUCCESS;
  }

  bool DeleteValue(const std::string& key, const std::string& name) override {
    Key k;
    if (!Open(key, KEY_SET_VALUE, k)) return !KeyExists(key);
    LONG rc = RegDeleteValueA(k.get(), name.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
  }

  bool DeleteTree(const std::string& key) override {
    const std::string path = Path(key);
    if (path.empty()) return false;  // never the whole hive
    LONG rc = RegDeleteTreeA(hive_, path.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
  }

  std::vector<std::string> SubKeys(const std::string& key) const override {
    std::vector<std::string> names;
    Key k;
    if (!Open(key, KEY_ENUMERATE_SUB_KEYS, k)) return names;
    char name[256];
    for (DWORD i = 0;; ++i) {
      DWORD size = sizeof name;
      if (RegEnumKeyExA(k.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      names.emplace_back(name, size);
    }
    return names;
  }

  std::vector<RegValue> Values(const std::string& key) const override {
    std::vector<RegValue> values;
    Key k;
    if (!Open(key, KEY_QUERY_VALUE, k)) return values;
    DWORD maxName = 0;
    if (RegQueryInfoKeyA(k.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &maxName, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return values;
    std::string name(maxName + 1, '\0');
    for (DWORD i = 0;; ++i) {
      DWORD size = static_cast<DWORD>(name.size());
      if (RegEnumValueA(k.get(), i, name.data(), &size, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      RegValue value;
      value.name.assign(name.data(), size);
      DWORD type = 0;
      std::string bytes;
      if (!Query(k.get(), value.name, type, bytes)) continue;
      if (type == REG_SZ || type == REG_EXPAND_SZ) {
        value.type = RegType::String;
        value.data = TextOf(bytes);
      } else if (type == REG_DWORD && bytes.size() == 4) {
        DWORD dword;
        memcpy(&dword, bytes.data(), 4);
        value.type = RegType::Number;
        value.data = std::to_string(dword);
      } else {
        value.type = RegType::Other;
        value.data = bytes;
      }
      values.push_back(std::move(value));
    }
    return values;
  }

 private:
  std::string Path(const std::string& key) const {
    if (base_.empty()) return key;
    if (key.empty()) return base_;
    return base_ + "\\" + key;
  }

  bool Open(const std::string& key, REGSAM access, Key& k) const {
    return RegOpenKeyExA(hive_, Path(key).c_str(), 0, access, k.out()) == ERROR_SUCCESS;
  }

  // The value's type and raw bytes; false when it does not exist.
  static bool Query(HKEY key, const std::string& name, DWORD& type, std::string& bytes) {
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return false;
    for (;;) {  // the value may grow between the two calls
      bytes.assign(size, '\0');
      LONG rc = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(bytes.data()), &size);
      if (rc == ERROR_SUCCESS) {
        bytes.resize(size);
        return true;
      }
      if (rc != ERROR_MORE_DATA) return false;
    }
  }

  // String data without its terminating zero(s).
  static std::string TextOf(const std::string& bytes) {
    std::size_t end = bytes.find('\0');
    return end == std::string::npos ? bytes : bytes.substr(0, end);
  }

  HKEY hive_;
  std::string base_;
};

}  // namespace

std::unique_ptr<Registry> OpenSystemRegistry(RegistryHive hive, const std::string& subKey) {
  HKEY root = hive == RegistryHive::ClassesRoot ? HKEY_CLASSES_ROOT : HKEY_CURRENT_USER;
  return std::make_unique<SystemRegistry>(root, subKey);
}

}  // namespace platform
