// The CRC-32 engine: the standard reflected CRC-32 (polynomial 0xEDB88320,
// preset 0xFFFFFFFF, final XOR 0xFFFFFFFF), the one ZIP and PNG use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/Quor_Notify.h"

// Feeds count bytes of buffer into a running CRC register. Neither presets
// nor inverts: the caller starts with 0xFFFFFFFF and inverts the result.
std::uint32_t Crc32Update(std::uint32_t crc, const void* buffer, std::size_t count);

// The plain byte-at-a-time table loop: the reference every faster kernel
// must agree with.
std::uint32_t Crc32UpdateByteTable(std::uint32_t crc, const void* buffer, std::size_t count);

// Joining the registers of two pieces hashed apart: with shift =
// Crc32ShiftFor(size of the second piece) and pieceRegister =
// Crc32Update(0, second piece), Crc32Join(crc, pieceRegister, shift) equals
// Crc32Update(crc, second piece).
std::uint32_t Crc32ShiftFor(std::uint64_t count);
std::uint32_t Crc32Join(std::uint32_t crc, std::uint32_t pieceRegister, std::uint32_t shift);

// The CRC-32 of a whole buffer (preset and final XOR included).
inline std::uint32_t Crc32Of(const void* buffer, std::size_t count) {
  return Crc32Update(0xFFFFFFFFu, buffer, count) ^ 0xFFFFFFFFu;
}

// True on the NT family of Windows; set once at start. It picks the block
// size of FileCrc32: 65535 bytes on NT, 65536 elsewhere (false on POSIX).
// The block size fixes the rhythm of the progress reports.
extern bool IsWinNT;

// The bytes FileCrc32 reads per block under the current IsWinNT.
std::size_t FileCrcBlockSize();

struct FileCrcResult {
  std::uint32_t crc = 0;
  // False when the file could not be opened: crc is then 0 and means nothing.
  bool opened = false;
  // Set when a read failed after the file was opened; crc is then the CRC
  // of the part read and must not be trusted.
  bool readFailed = false;
  // Why the open or the read failed, in the system's words.
  std::string errorText;
};

// Hashes a whole file in blocks. Reports CN_BYTES_DONE to target (if any)
// every 200 blocks and after a short block, with the bytes read since the
// last report. Looks at stopFlag after every block and stops early when it
// is set (the CRC of the part read is returned). A file that cannot be
// opened gives CRC 0, no report and the reason in errorText. With a safePoint, waits there between
// two blocks (then looks at stopFlag again).
// Where a processor is free for it (see FileCrcSideBySide), the first reads
// of a file are made on the calling thread and a larger file then gets a
// helper thread: it reads and hashes every second piece for as long as the
// file is in memory (from the first piece that is not, the caller reads on
// alone, in order). The helper is done with the file before FileCrc32
// returns. A large file of which the system's file cache holds next to
// nothing is read past the cache instead, straight from the disk, in long
// reads on the calling thread. Reports, stops and read errors fall on the
// same blocks either way.
FileCrcResult FileCrc32(const std::string& path, const StopFlag* stopFlag, NoticeTarget* target,
                        SafePoint* safePoint = nullptr);

// While one lives, FileCrc32 knows that `threads` threads hash files side by
// side, and takes a helper only where each of them can have a processor for
// one. Without it FileCrc32 goes by the calls under way when it starts, which
// misses a call that starts a moment later.
class FileCrcSideBySide {
 public:
  explicit FileCrcSideBySide(unsigned threads);
  ~FileCrcSideBySide();
  FileCrcSideBySide(const FileCrcSideBySide&) = delete;
  FileCrcSideBySide& operator=(const FileCrcSideBySide&) = delete;

 private:
  unsigned added_;
};

// How FileCrc32 reads: Auto as described above; Plain never with a helper;
// Shared shares the reading from the first byte, small files too; Direct
// reads past the file cache wherever the system can, files in it and small
// ones too. For tests, which run the same cases each way, and benchmarks.
enum class FileCrcReadPath { Auto, Plain, Shared, Direct };
// The reads FileCrc32 has made past the file cache in this process (for
// tests).
std::uint64_t FileCrcDirectReadsForTest();
void FileCrcForceReadPathForTest(FileCrcReadPath path);
