// File-system access for the portable code: directory look-ups, files opened
// with explicit sharing modes, and the few whole-file operations the file
// routines need. Paths are UTF-8. One Win32 implementation (the wide
// functions, long paths included) and one POSIX implementation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSep = '\\';
#else
inline constexpr char kPathSep = '/';
#endif

// True when the character separates folders on this platform. On POSIX a
// backslash is accepted too, because names in SFV files are written with it.
inline bool IsPathSep(char c) { return c == '/' || c == '\\'; }

// Attribute bits as Windows defines them; POSIX fills in what it can.
inline constexpr std::uint32_t kAttrReadOnly = 0x01;
inline constexpr std::uint32_t kAttrHidden = 0x02;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrNormal = 0x80;

// One directory entry. Times are FILETIME values: 100 ns units since
// 1601-01-01 UTC, on both platforms.
struct DirEntry {
  std::string name;
  bool isFolder = false;
  // A symbolic link, junction or mount point: the entry stands for another
  // file or folder (isFolder and the size are those of what it points at on
  // POSIX, of the link itself on Windows).
  bool isLink = false;
  // Neither a regular file nor a folder: a device, FIFO or socket (POSIX;
  // of a link, what it points at). Such an entry is never opened, since a
  // FIFO blocks and a device such as /dev/zero never ends.
  bool isSpecial = false;
  std::uint32_t attributes = 0;
  std::uint32_t sizeLow = 0;  // low 32 bits of the size
  std::uint64_t size = 0;     // the whole size
  std::uint64_t creationTime = 0;
  std::uint64_t lastWriteTime = 0;
  // Facts the user cannot set back, where a look-up gives them (0 where it
  // does not): the time of the last change to the file or its entry (every
  // LookUpPath but on file systems that keep none, such as FAT), and the
  // file's number on its volume (POSIX).
  std::uint64_t changeTime = 0;
  std::uint64_t fileId = 0;
};

// Looks up the exact path (a file or a folder) as a directory entry. On
// Windows a path with "*" or "?" in it is never found: no name holds them,
// and they must not be taken as a pattern that finds some other file.
std::optional<DirEntry> FindEntry(const std::string& path);

// The facts of the exact path (a file or a folder) in one look-up that does
// not list its folder: kind, size, attributes and times. The name is the
// path's last part as given, not as stored, and isLink is left false; ask
// FindEntry for those. Never matches wildcards.
std::optional<DirEntry> LookUpPath(const std::string& path);

// A text naming the volume that holds the path (its serial number on
// Windows, its device number on POSIX); "" when it cannot be told.
std::string VolumeId(const std::string& path);

// The form of a file name under which the file system finds it: upper-cased
// on Windows, where names differing only in letter case are one file; the
// name itself on POSIX.
std::string FileNameKey(const std::string& name);

// True where a folder listing carries each entry's facts in it (Windows):
// one listing then costs less than a look-up per file. On POSIX the listing
// looks up every entry itself.
#ifdef _WIN32
inline constexpr bool kListingIsCheap = true;
#else
inline constexpr bool kListingIsCheap = false;
#endif

// Calls visit for every entry of the folder, "." and ".." included where the
// system lists them, in the order the file system gives. The folder may lack
// its trailing separator. Returns false when the folder cannot be listed.
bool ListFolder(const std::string& folder, const std::function<void(const DirEntry&)>& visit);

bool FileExists(const std::string& path);    // an existing file, not a folder
bool FolderExists(const std::string& path);  // an existing folder

enum class Access { Read, Write };
enum class Share { None, Read, ReadWrite };
enum class Disposition {
  OpenExisting,   // fail when the file does not exist
  OpenAlways,     // open, or create when missing
  CreateAlways,   // create, cutting an existing file to length 0
  CreateNew,      // create, fail when the file exists
};

// An open file; closes itself. Moving hands the handle on.
class File {
 public:
  File() = default;
  ~File();
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // Opens the file; a failed open gives a File for which IsOpen() is false.
  // Only regular files open: a folder, device, FIFO or socket does not (and
  // LastErrorText then says why). sequential hints that the file is read
  // once from start to end.
  static File Open(const std::string& path, Access access, Share share, Disposition disposition,
                   bool sequential = false);

  bool IsOpen() const;
  // Reads up to size bytes; got is how many came (0 at the end). False on a
  // read error, with errorText describing it.
  bool Read(void* buffer, std::size_t size, std::size_t& got, std::string& errorText);
  // Read from the given offset. The position is left undefined: a file read
  // this way is read this way throughout.
  bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t& got, std::string& errorText);
  // ReadAt for bytes already in memory: true with got the bytes that came
  // without waiting for the disk (0 at the end; short when only a part was
  // in memory), false when none came that way (not in memory, or an error,
  // which a ReadAt will then report). Windows cannot be asked, so there a
  // read that came at the speed of memory counts as one from memory, and a
  // slower one is false with nothing got.
  bool ReadCachedAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t& got);
  // The file's size and how many of its bytes the system's file cache
  // holds; nothing where the system cannot tell (Windows, Linux before 6.5).
  struct CacheState {
    std::uint64_t size = 0;
    std::uint64_t cached = 0;
  };
  std::optional<CacheState> CachedBytes();
  // ReadAt past the system's file cache, straight from the disk into buffer,
  // in one request: true with got the bytes that came (fewer than size at
  // the end, and perhaps elsewhere), false when the system would not read
  // so (the file system cannot, buffer, offset or size is not a multiple of
  // its block, or the read failed). The caller reads whatever did not come
  // with ReadAt, which reports any error. The file is read as before
  // afterwards.
  bool ReadDirectAt(std::uint64_t offset, void* buffer, std::size_t size, std::size_t& got);
  // Writes all size bytes or fails with errorText.
  bool Write(const void* data, std::size_t size, std::string& errorText);
  // Cuts the file at the current position.
  bool Truncate(std::string& errorText);
  // Sets the file's length (extending makes a sparse file where the file
  // system can) and moves the position to its end.
  bool SetSize(std::uint64_t size, std::string& errorText);
  // Flushes written data to the disk.
  bool Flush(std::string& errorText);
  void Close();

 private:
#ifdef _WIN32
  void* handle_ = reinterpret_cast<void*>(static_cast<std::intptr_t>(-1));
#else
  int fd_ = -1;
#endif
};

bool ClearAttributes(const std::string& path);  // makes a read-only file writable
bool SetReadOnly(const std::string& path);
bool CreateFolder(const std::string& path);     // one level only
bool RemoveFile(const std::string& path);
bool RemoveFolder(const std::string& path);     // an empty folder
// Renames a file; fails when anything already stands at the new name.
bool RenameNoReplace(const std::string& from, const std::string& to);
// Puts the file source in place of target in one step (target may exist);
// source is gone afterwards. On Windows an existing target keeps its
// attributes and security (ReplaceFileW, else a plain move). Fails with
// errorText.
bool ReplaceFileAtomic(const std::string& source, const std::string& target, std::string& errorText);

// Writes all of bytes to the file through a page-aligned buffer (see
// page_buffer.h), or fails with errorText.
bool WriteAllAligned(File& file, std::string_view bytes, std::string& errorText);
// Reads the rest of the file in pieces of up to pieceSize bytes into a
// page-aligned buffer, handing each piece to take (the last one may be
// shorter). False on a read error, with errorText.
bool ReadPiecesAligned(File& file, std::size_t pieceSize,
                       const std::function<void(const char* piece, std::size_t size)>& take, std::string& errorText);

// The whole file's bytes, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);
// Puts bytes in place of the file at path in one step: they go to a new
// temporary file beside it (path + kWholeFileTemporaryMarker + "PID-N"), are
// flushed, and then replace the target. False (and nothing left behind) when
// that fails.
bool ReplaceWholeFile(const std::string& path, const std::string& bytes);
inline constexpr char kWholeFileTemporaryMarker[] = ".~";

// The current time as a FILETIME value.
std::uint64_t NowFileTime();
// Sets a file's last-write time (FILETIME value); for tests and tools.
bool SetLastWriteTime(const std::string& path, std::uint64_t fileTime);

// The running program's full path, and its folder with the trailing
// separator.
std::string ExecutablePath();
std::string ExecutableFolder();
// A folder for temporary files, with its trailing separator.
std::string TempFolder();
// The user's own folder for the program's state, with its trailing separator
// (it may not exist yet): $XDG_STATE_HOME/quor, else ~/.local/state/quor on
// POSIX; %LOCALAPPDATA%\Quor on Windows. "" when the environment names none.
std::string UserStateFolder();
// The path made absolute against the current folder, with "." and ".."
// steps resolved by name (links are not followed).
std::string FullPathName(const std::string& path);
// The path of an existing file or folder as the file system holds it, every
// link, junction and "." or ".." step resolved (realpath on POSIX, the final
// path of an open handle on Windows), without a trailing separator except
// for a root; "" when it cannot be resolved (nothing there).
std::string RealPath(const std::string& path);
// True when the standard error is a terminal (a console window on Windows).
bool StderrIsTerminal();

// The short (8.3) spelling of a path where the file system has one; the path
// itself otherwise.
std::string ShortPathName(const std::string& path);

// Text of the last system error of the calling thread.
std::string LastErrorText();

}  // namespace platform
