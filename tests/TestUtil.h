// Helpers for tests that work on real files: a private temporary folder
// that removes itself, and whole-file reads and writes of raw bytes.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/Quor_CRC32.h"
#include "core/Quor_Notify.h"
#include "platform/fs.h"

namespace testutil {

// The name of a way FileCrc32 reads, for the names of tests run each way.
inline const char* ReadPathName(FileCrcReadPath path) {
  switch (path) {
    case FileCrcReadPath::Plain:
      return "Plain";
    case FileCrcReadPath::Shared:
      return "Shared";
    case FileCrcReadPath::Direct:
      return "Direct";
    case FileCrcReadPath::Auto:
      break;
  }
  return "Auto";
}

// Waits (bounded: 20 s) until the condition holds; false when it never did.
template <typename Condition>
bool Eventually(Condition condition) {
  for (int i = 0; i < 20000; ++i) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return false;
}

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, with its trailing separator.
  const std::string& path() const { return path_; }
  // path() + relative, with '/' in relative turned into the platform's separator.
  std::string operator/(const std::string& relative) const;

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
void MakeFolder(const std::string& path);
// Makes a symbolic link at link to the folder target; false when the system
// made none.
bool MakeFolderLink(const std::string& link, const std::string& target);
#ifndef _WIN32
// Makes a symbolic link at link to the file target; false when the system
// made none. (Under Wine a link to a file cannot be made: CreateSymbolicLinkW
// makes nothing, and a Linux link to a file looks like the file itself.)
bool MakeFileLink(const std::string& link, const std::string& target);
// Entries of folder that are no regular files, named "zero", "urandom" and
// "fifo" + suffix: links to /dev/zero and /dev/urandom (endless reads) and a
// FIFO (an open of it waits for a writer). Their paths, in that order; empty
// when one could not be made.
std::vector<std::string> MakeSpecialFiles(const std::string& folder, const std::string& suffix);
#endif
// Removes a folder and what is in it; a link inside is removed, never followed.
void RemoveTree(const std::string& path);
// Names in a folder, sorted, without "." and "..".
std::vector<std::string> FolderNames(const std::string& folder);

// A file that exists but cannot be opened, for as long as the object lives:
// on Windows a handle that shares nothing keeps it locked, as another
// program would; on POSIX it is a socket, which open() refuses.
class UnopenableFile {
 public:
  explicit UnopenableFile(const std::string& path);
  ~UnopenableFile();
  UnopenableFile(const UnopenableFile&) = delete;
  UnopenableFile& operator=(const UnopenableFile&) = delete;
  bool Ready() const { return ready_; }

 private:
#ifdef _WIN32
  platform::File lock_;
#else
  int socket_ = -1;
#endif
  bool ready_ = false;
};

// Keeps every notice in the order it came.
class RecordingTarget : public NoticeTarget {
 public:
  void Notify(NotifyCode code, std::uint32_t value) override { notices.emplace_back(code, value); }
  std::vector<std::pair<NotifyCode, std::uint32_t>> notices;
};

}  // namespace testutil
