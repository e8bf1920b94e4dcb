// POSIX implementation of platform/fs.h. Sharing modes are not enforced on
// POSIX; everything else behaves as the Win32 build does.
#include "platform/fs.h"
#include "platform/page_buffer.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

// FILETIME of the Unix epoch: 100 ns units from 1601-01-01 to 1970-01-01.
constexpr std::uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;

std::uint64_t ToFileTime(std::int64_t seconds, std::int64_t nanoseconds) {
  return kUnixEpochAsFileTime + static_cast<std::uint64_t>(seconds) * 10000000ULL +
         static_cast<std::uint64_t>(nanoseconds) / 100;
}

std::string LastComponent(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  std::size_t slash = trimmed.rfind('/');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

std::optional<DirEntry> EntryFromStat(const std::string& path, std::string name) {
  constexpr unsigned kMask = STATX_BASIC_STATS | STATX_BTIME;
  struct statx sx;
  if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, kMask, &sx) != 0) return std::nullopt;
  // A link is described by what it points at (a dangling one is not found),
  // and marked as a link.
  const bool isLink = S_ISLNK(sx.stx_mode);
  if (isLink && statx(AT_FDCWD, path.c_str(), 0, kMask, &sx) != 0) return std::nullopt;
  DirEntry entry;
  entry.name = std::move(name);
  entry.isFolder = S_ISDIR(sx.stx_mode);
  entry.isSpecial = !entry.isFolder && !S_ISREG(sx.stx_mode);
  entry.isLink = isLink;
  entry.size = entry.isFolder ? 0 : sx.stx_size;
  entry.sizeLow = static_cast<std::uint32_t>(entry.size);
  entry.lastWriteTime = ToFileTime(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
  entry.changeTime = ToFileTime(sx.stx_ctime.tv_sec, sx.stx_ctime.tv_nsec);
  entry.fileId = sx.stx_ino;
  entry.creationTime = (sx.stx_mask & STATX_BTIME)
                           ? ToFileTime(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec)
                           : entry.lastWriteTime;
  if (entry.isFolder) entry.attributes |= kAttrDirectory;
  if (!(sx.stx_mode & S_IWUSR)) entry.attributes |= kAttrReadOnly;
  if (!entry.name.empty() && entry.name[0] == '.' && entry.name != "." && entry.name != "..") {
    entry.attributes |= kAttrHidden;
  }
  if (entry.attributes == 0) entry.attributes = kAttrNormal;
  return entry;
}

// Set by File::Open when what it was asked to open is there but is not a
// regular file (a device, FIFO or socket), so that LastErrorText can say so
// instead of the errno it leaves behind.
thread_local bool openRefusedKind = false;
constexpr char kNotRegularFileText[] = "Not a regular file (a device, FIFO or socket): it is not read.";

std::string WithSeparator(const std::string& folder) {
  if (folder.empty() || folder.back() == '/') return folder;
  return folder + '/';
}

}  // namespace

std::optional<DirEntry> FindEntry(const std::string& path) {
  if (path.empty()) return std::nullopt;
  return EntryFromStat(path, LastComponent(path));
}

std::optional<DirEntry> LookUpPath(const std::string& path) {
  std::optional<DirEntry> entry = FindEntry(path);
  if (entry) entry->isLink = false;
  return entry;
}

std::string FileNameKey(const std::string& name) { return name; }

std::string VolumeId(const std::string& path) {
  struct stat st;
  if (path.empty() || stat(path.c_str(), &st) != 0) return std::string();
  char text[24];
  std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(st.st_dev));
  return text;
}

bool ListFolder(const std::string& folder, const std::function<void(const DirEntry&)>& visit) {
  std::string base = WithSeparator(folder);
  DIR* dir = opendir(base.empty() ? "." : base.c_str());
  if (!dir) return false;
  while (dirent* raw = readdir(dir)) {
    std::string name = raw->d_name;
    std::optional<DirEntry> entry = EntryFromStat(base + name, name);
    if (entry) visit(*entry);
  }
  closedir(dir);
  return true;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat st;
  return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

File::~File() { Close(); }

File::File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

File File::Open(const std::string& path, Access access, Share, Disposition disposition,
                bool sequential) {
  int flags = O_CLOEXEC | (access == Access::Read ? O_RDONLY : O_WRONLY);
  switch (disposition) {
    case Disposition::OpenExisting: break;
    case Disposition::OpenAlways: flags |= O_CREAT; break;
    case Disposition::CreateAlways: flags |= O_CREAT | O_TRUNC; break;
    case Disposition::CreateNew: flags |= O_CREAT | O_EXCL; break;
  }
  File file;
  openRefusedKind = false;
  if (path.empty()) return file;
  // Only regular files are opened. A FIFO would block the open itself (hence
  // O_NONBLOCK, cleared again below for a regular file, where it changes
  // nothing), and a device such as /dev/zero never ends.
  int fd = open(path.c_str(), flags | O_NONBLOCK, 0666);
  if (fd < 0) return file;
  struct stat st;
  const bool statted = fstat(fd, &st) == 0;
  if (!statted || !S_ISREG(st.st_mode)) {
    close(fd);
    const bool folder = statted && S_ISDIR(st.st_mode);
    openRefusedKind = statted && !folder;
    errno = folder ? EISDIR : EINVAL;
    return file;
  }
  const int status = fcntl(fd, F_GETFL);
  if (status == -1 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == -1) {
    close(fd);
    return file;
  }
  if (sequential) posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  file.fd_ = fd;
  return file;
}

bool File::IsOpen() const { return fd_ >= 0; }

namespace {

// Fills the buffer as ReadFile does for a disk file, short only at the end:
// readSome(out, count, done) reads up to count bytes after the done ones.
template <class ReadSome>
bool FillBuffer(ReadSome readSome, void* buffer, std::size_t size, std::size_t& got, std::string& errorText) {
  got = 0;
  auto* out = static_cast<char*>(buffer);
  while (got < size) {
    const ssize_t n = readSome(out + got, size - got, got);
    if (n < 0) {
      if (errno == EINTR) continue;
      errorText = std::strerror(errno);
      return false;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool File::Read(void* buffer, std::size_t size, std::size_t& got, std::string& errorText) {
  NoteTransferBuffer(buffer);
  return FillBuffer([this](char* out, std::size_t count, std::size_t) { return read(fd_, out, count); }, buffer,
                    size, got, errorText);
}

bool File::ReadAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t& got, std::string& errorText) {
  NoteTransferBuffer(buffer);
  return FillBuffer(
      [this, offset](char* out, std::size_t count, std::size_t done) {
        return pread(fd_, out, count, static_cast<off_t>(offset + done));
      },
      buffer, size, got, errorText);
}

bool File::ReadCachedAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t& got) {
  NoteTransferBuffer(buffer);
  got = 0;
#ifdef RWF_NOWAIT
  iovec piece{buffer, size};
  const ssize_t n = preadv2(fd_, &piece, 1, static_cast<off_t>(offset), RWF_NOWAIT);
  if (n < 0) return false;
  got = static_cast<std::size_t>(n);
  return true;
#else
  (void)offset, (void)buffer, (void)size;
  return false;
#endif
}

std::optional<File::CacheState> File::CachedBytes() {
#ifdef __linux__
  // cachestat(2), Linux 6.5 on, which the C library may not wrap yet: the
  // same number on every architecture.
  constexpr long kCachestat = 451;
  struct {
    std::uint64_t offset, length;  // length 0: to the end
  } range{0, 0};
  struct {
    std::uint64_t cache, dirty, writeback, evicted, recentlyEvicted;  // in pages
  } pages{};
  struct stat st;
  if (fstat(fd_, &st) != 0 || syscall(kCachestat, fd_, &range, &pages, 0) != 0) return std::nullopt;
  const auto size = static_cast<std::uint64_t>(st.st_size);
  return CacheState{size, std::min(size, pages.cache * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)))};
#else
  return std::nullopt;
#endif
}

bool File::ReadDirectAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t& got) {
  NoteTransferBuffer(buffer);
  got = 0;
#ifdef O_DIRECT
  const int status = fcntl(fd_, F_GETFL);
  if (status == -1 || fcntl(fd_, F_SETFL, status | O_DIRECT) == -1) return false;
  ssize_t n;
  do {
    n = pread(fd_, buffer, size, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  fcntl(fd_, F_SETFL, status);
  if (n < 0) return false;
  got = static_cast<std::size_t>(n);
  return true;
#else
  (void)offset, (void)buffer, (void)size;
  return false;
#endif
}

bool File::Write(const void* data, std::size_t size, std::string& errorText) {
  NoteTransferBuffer(data);
  const auto* in = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = write(fd_, in, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      errorText = std::strerror(errno);
      return false;
    }
    in += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool File::Truncate(std::string& errorText) {
  off_t at = lseek(fd_, 0, SEEK_CUR);
  if (at < 0 || ftruncate(fd_, at) != 0) {
    errorText = std::strerror(errno);
    return false;
  }
  return true;
}

bool File::SetSize(std::uint64_t size, std::string& errorText) {
  if (ftruncate(fd_, static_cast<off_t>(size)) != 0 || lseek(fd_, 0, SEEK_END) < 0) {
    errorText = std::strerror(errno);
    return false;
  }
  return true;
}

bool File::Flush(std::string& errorText) {
  if (fsync(fd_) != 0) {
    errorText = std::strerror(errno);
    return false;
  }
  return true;
}

void File::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool ClearAttributes(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  return chmod(path.c_str(), st.st_mode | S_IWUSR) == 0;
}

bool SetReadOnly(const std::string& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  return chmod(path.c_str(), st.st_mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

bool CreateFolder(const std::string& path) { return mkdir(path.c_str(), 0777) == 0; }

bool RemoveFile(const std::string& path) { return unlink(path.c_str()) == 0; }

bool RemoveFolder(const std::string& path) { return rmdir(path.c_str()) == 0; }

bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without RENAME_NOREPLACE: a hard link fails when the name is taken.
  if (link(from.c_str(), to.c_str()) != 0) return false;
  return unlink(from.c_str()) == 0;
}

bool ReplaceFileAtomic(const std::string& source, const std::string& target, std::string& errorText) {
  if (rename(source.c_str(), target.c_str()) != 0) {
    errorText = std::strerror(errno);
    return false;
  }
  // Make the new name durable too.
  std::size_t slash = target.rfind('/');
  std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  int dirFd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    fsync(dirFd);
    close(dirFd);
  }
  return true;
}

std::uint64_t NowFileTime() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return ToFileTime(now.tv_sec, now.tv_nsec);
}

bool SetLastWriteTime(const std::string& path, std::uint64_t fileTime) {
  std::uint64_t since1970 = fileTime - kUnixEpochAsFileTime;
  timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(since1970 / 10000000ULL);
  times[1].tv_nsec = static_cast<long>((since1970 % 10000000ULL) * 100);
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::string ExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  return path.empty() ? "./" : path.substr(0, path.rfind('/') + 1);
}

std::string TempFolder() {
  const char* dir = std::getenv("TMPDIR");
  return WithSeparator(dir && *dir ? dir : "/tmp");
}

std::string UserStateFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  // A relative XDG_STATE_HOME is invalid and to be ignored.
  if (state && state[0] == '/') return WithSeparator(state) + "quor/";
  const char* home = std::getenv("HOME");
  if (home && *home) return WithSeparator(home) + ".local/state/quor/";
  return "";
}

std::string FullPathName(const std::string& path) {
  std::string whole = path;
  if (whole.empty() || whole[0] != '/') {
    char buffer[PATH_MAX];
    if (!getcwd(buffer, sizeof buffer)) return path;
    whole = WithSeparator(buffer) + path;
  }
  const bool trailing = whole.size() > 1 && whole.back() == '/';
  std::string out;
  std::size_t start = 1;
  while (start <= whole.size()) {
    std::size_t end = whole.find('/', start);
    if (end == std::string::npos) end = whole.size();
    const std::string step = whole.substr(start, end - start);
    if (step == "..") {
      const std::size_t cut = out.rfind('/');
      out.erase(cut == std::string::npos ? 0 : cut);
    } else if (!step.empty() && step != ".") {
      out += '/';
      out += step;
    }
    start = end + 1;
  }
  if (out.empty()) return "/";
  if (trailing) out += '/';
  return out;
}

std::string RealPath(const std::string& path) {
  if (path.empty()) return std::string();
  char* resolved = realpath(path.c_str(), nullptr);
  if (!resolved) return std::string();
  std::string result = resolved;
  std::free(resolved);
  return result;
}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

std::string ShortPathName(const std::string& path) { return path; }

std::string LastErrorText() {
  if (openRefusedKind && errno == EINVAL) return kNotRegularFileText;
  return std::strerror(errno);
}

}  // namespace platform
