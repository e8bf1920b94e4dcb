#include "platform/registry.h"

namespace platform {
namespace {

std::string Folded(const std::string& name) {
  std::string out = name;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// The levels of a key path; empty levels (doubled or outer "\") are skipped.
std::vector<std::string> Levels(const std::string& key) {
  std::vector<std::string> levels;
  std::size_t start = 0;
  while (start <= key.size()) {
    std::size_t end = key.find('\\', start);
    if (end == std::string::npos) end = key.size();
    if (end > start) levels.push_back(key.substr(start, end - start));
    start = end + 1;
  }
  return levels;
}

}  // namespace

MemoryRegistry::MemoryRegistry() = default;
MemoryRegistry::~MemoryRegistry() = default;

const MemoryRegistry::Node* MemoryRegistry::Find(const std::string& key) const {
  const Node* node = &root_;
  for (const std::string& level : Levels(key)) {
    auto it = node->children.find(Folded(level));
    if (it == node->children.end()) return nullptr;
    node = it->second.get();
  }
  return node;
}

MemoryRegistry::Node* MemoryRegistry::Find(const std::string& key) {
  return const_cast<Node*>(static_cast<const MemoryRegistry*>(this)->Find(key));
}

bool MemoryRegistry::KeyExists(const std::string& key) const { return Find(key) != nullptr; }

bool MemoryRegistry::CreateKey(const std::string& key) {
  Node* node = &root_;
  for (const std::string& level : Levels(key)) {
    std::unique_ptr<Node>& child = node->children[Folded(level)];
    if (!child) {
      child = std::make_unique<Node>();
      child->name = level;
    }
    node = child.get();
  }
  return true;
}

RegRead MemoryRegistry::ReadString(const std::string& key, const std::string& name,
                                   std::string& data) const {
  data.clear();
  const Node* node = Find(key);
  if (!node) return RegRead::Missing;
  auto it = node->values.find(Folded(name));
  if (it == node->values.end()) return RegRead::Missing;
  if (it->second.type != RegType::String) return RegRead::NotString;
  data = it->second.data;
  return RegRead::String;
}

bool MemoryRegistry::WriteString(const std::string& key, const std::string& name,
                                 const std::string& data) {
  Node* node = Find(key);
  if (!node) return false;
  node->values[Folded(name)] = RegValue{name, RegType::String, data};
  return true;
}

bool MemoryRegistry::WriteNumber(const std::string& key, const std::string& name,
                                 std::uint32_t value) {
  Node* node = Find(key);
  if (!node) return false;
  node->values[Folded(name)] = RegValue{name, RegType::Number, std::to_string(value)};
  return true;
}

bool MemoryRegistry::DeleteValue(const std::string& key, const std::string& name) {
  if (Node* node = Find(key)) node->values.erase(Folded(name));
  return true;
}

bool MemoryRegistry::DeleteTree(const std::string& key) {
  std::vector<std::string> levels = Levels(key);
  if (levels.empty()) {  // the root itself: empty it
    root_.values.clear();
    root_.children.clear();
    return true;
  }
  const std::string leaf = levels.back();
  levels.pop_back();
  Node* parent = &root_;
  for (const std::string& level : levels) {
    auto it = parent->children.find(Folded(level));
    if (it == parent->children.end()) return true;
    parent = it->second.get();
  }
  parent->children.erase(Folded(leaf));
  return true;
}

std::vector<std::string> MemoryRegistry::SubKeys(const std::string& key) const {
  std::vector<std::string> names;
  if (const Node* node = Find(key)) {
    for (const auto& [folded, child] : node->children) names.push_back(child->name);
  }
  return names;
}

std::vector<RegValue> MemoryRegistry::Values(const std::string& key) const {
  std::vector<RegValue> values;
  if (const Node* node = Find(key)) {
    for (const auto& [folded, value] : node->values) values.push_back(value);
  }
  return values;
}

}  // namespace platform
