// Which marker files may stand in the folders a check touches, learned from
// one listing of each folder. A file that is fine has no markers beside it,
// and asking the file system for a name that does not exist is costly where
// names are matched without regard to case (Wine reads the whole folder for
// it): with the index such a file costs no look-up of its marker names.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class MarkerIndex {
 public:
  // The name suffixes that make a name a marker's.
  MarkerIndex(std::string badSuffix, std::string missingSuffix);

  // False when no marker stood at path when its folder was listed and none
  // was made since; true otherwise, and whenever the folder could not be
  // listed. The folder is listed on its first question.
  bool MayExist(const std::string& path);
  // Tells the index that something now stands at path.
  void Added(const std::string& path);
  // Takes the names of a folder's entries from a listing made just before,
  // in place of listing the folder again; ignored once the folder is known.
  void Listed(const std::string& folderPath, const std::vector<std::string>& names);

 private:
  struct Folder {
    bool listed = false;
    std::unordered_set<std::string> markerKeys;  // platform::FileNameKey of each marker name
  };
  Folder& FolderOf(const std::string& folderPath);
  bool IsMarkerKey(const std::string& key) const;
  // Keeps the name's key when it is a marker's.
  void NoteName(Folder& folder, const std::string& name) const;

  std::string badKey_;
  std::string missingKey_;
  std::unordered_map<std::string, Folder> folders_;
};
