#include "check/Quor_MarkerIndex.h"

#include <utility>

#include "core/Quor_Text.h"
#include "platform/fs.h"

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

MarkerIndex::MarkerIndex(std::string badSuffix, std::string missingSuffix)
    : badKey_(platform::FileNameKey(badSuffix)), missingKey_(platform::FileNameKey(missingSuffix)) {}

bool MarkerIndex::IsMarkerKey(const std::string& key) const {
  return EndsWith(key, badKey_) || EndsWith(key, missingKey_);
}

MarkerIndex::Folder& MarkerIndex::FolderOf(const std::string& folderPath) {
  auto [at, isNew] = folders_.try_emplace(platform::FileNameKey(folderPath));
  Folder& folder = at->second;
  if (isNew) {
    folder.listed =
        platform::ListFolder(folderPath, [&](const platform::DirEntry& entry) { NoteName(folder, entry.name); });
  }
  return folder;
}

bool MarkerIndex::MayExist(const std::string& path) {
  const Folder& folder = FolderOf(ExtractFilePath(path));
  return !folder.listed || folder.markerKeys.count(platform::FileNameKey(ExtractFileName(path))) != 0;
}

void MarkerIndex::Listed(const std::string& folderPath, const std::vector<std::string>& names) {
  auto [at, isNew] = folders_.try_emplace(platform::FileNameKey(folderPath));
  if (!isNew) return;
  Folder& folder = at->second;
  folder.listed = true;
  for (const std::string& name : names) NoteName(folder, name);
}

void MarkerIndex::NoteName(Folder& folder, const std::string& name) const {
  std::string key = platform::FileNameKey(name);
  if (IsMarkerKey(key)) folder.markerKeys.insert(std::move(key));
}

void MarkerIndex::Added(const std::string& path) {
  NoteName(FolderOf(ExtractFilePath(path)), ExtractFileName(path));
}
