#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "platform/registry.h"
#include "platform/text.h"

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
    return RegCreateKeyExW(hive_, Path(key).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_READ | KEY_WRITE, nullptr, k.out(), nullptr) == ERROR_SUCCESS;
  }

  RegRead ReadString(const std::string& key, const std::string& name,
                     std::string& data) const override {
    data.clear();
    Key k;
    if (!Open(key, KEY_QUERY_VALUE, k)) return RegRead::Missing;
    DWORD type = 0;
    std::string bytes;
    if (!Query(k.get(), Widen(name), type, bytes)) return RegRead::Missing;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return RegRead::NotString;
    data = TextOf(bytes);
    return RegRead::String;
  }

  bool WriteString(const std::string& key, const std::string& name,
                   const std::string& data) override {
    Key k;
    if (!Open(key, KEY_SET_VALUE, k)) return false;
    const std::wstring text = Widen(data);
    return RegSetValueExW(k.get(), Widen(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

  bool WriteNumber(const std::string& key, const std::string& name, std::uint32_t value) override {
    Key k;
    if (!Open(key, KEY_SET_VALUE, k)) return false;
    DWORD dword = value;
    return RegSetValueExW(k.get(), Widen(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dword),
                          sizeof dword) == ERROR_SUCCESS;
  }

  bool DeleteValue(const std::string& key, const std::string& name) override {
    Key k;
    if (!Open(key, KEY_SET_VALUE, k)) return !KeyExists(key);
    LONG rc = RegDeleteValueW(k.get(), Widen(name).c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
  }

  bool DeleteTree(const std::string& key) override {
    const std::wstring path = Path(key);
    if (path.empty()) return false;  // never the whole hive
    LONG rc = RegDeleteTreeW(hive_, path.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
  }

  std::vector<std::string> SubKeys(const std::string& key) const override {
    std::vector<std::string> names;
    Key k;
    if (!Open(key, KEY_ENUMERATE_SUB_KEYS, k)) return names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD size = 256;
      if (RegEnumKeyExW(k.get(), i, name, &size, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      names.push_back(Narrow(std::wstring_view(name, size)));
    }
    return names;
  }

  std::vector<RegValue> Values(const std::string& key) const override {
    std::vector<RegValue> values;
    Key k;
    if (!Open(key, KEY_QUERY_VALUE, k)) return values;
    DWORD maxName = 0;
    if (RegQueryInfoKeyW(k.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         &maxName, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      return values;
    std::wstring name(maxName + 1, L'\0');
    for (DWORD i = 0;; ++i) {
      DWORD size = static_cast<DWORD>(name.size());
      if (RegEnumValueW(k.get(), i, name.data(), &size, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      const std::wstring wideName(name.data(), size);
      RegValue value;
      value.name = Narrow(wideName);
      DWORD type = 0;
      std::string bytes;
      if (!Query(k.get(), wideName, type, bytes)) continue;
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
  std::wstring Path(const std::string& key) const {
    if (base_.empty()) return Widen(key);
    if (key.empty()) return Widen(base_);
    return Widen(base_ + "\\" + key);
  }

  bool Open(const std::string& key, REGSAM access, Key& k) const {
    return RegOpenKeyExW(hive_, Path(key).c_str(), 0, access, k.out()) == ERROR_SUCCESS;
  }

  // The value's type and raw bytes; false when it does not exist.
  static bool Query(HKEY key, const std::wstring& name, DWORD& type, std::string& bytes) {
    DWORD size = 0;
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return false;
    for (;;) {  // the value may grow between the two calls
      bytes.assign(size, '\0');
      LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(bytes.data()), &size);
      if (rc == ERROR_SUCCESS) {
        bytes.resize(size);
        return true;
      }
      if (rc != ERROR_MORE_DATA) return false;
    }
  }

  // UTF-16 string data as UTF-8, without its terminating zero(s).
  static std::string TextOf(const std::string& bytes) {
    std::wstring wide(bytes.size() / sizeof(wchar_t), L'\0');
    memcpy(wide.data(), bytes.data(), wide.size() * sizeof(wchar_t));
    const std::size_t end = wide.find(L'\0');
    if (end != std::wstring::npos) wide.resize(end);
    return Narrow(wide);
  }

  HKEY hive_;
  std::string base_;
};

}  // namespace

std::unique_ptr<Registry> OpenSystemRegistry(RegistryHive hive, const std::string& subKey) {
  switch (hive) {
    case RegistryHive::ClassesRoot:
      return std::make_unique<SystemRegistry>(HKEY_CLASSES_ROOT, subKey);
    case RegistryHive::LocalMachine:
      return std::make_unique<SystemRegistry>(HKEY_LOCAL_MACHINE, subKey);
    case RegistryHive::CurrentUser:
      break;
  }
  return std::make_unique<SystemRegistry>(HKEY_CURRENT_USER, subKey);
}

void NotifyAssociationsChanged() { SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr); }

}  // namespace platform
