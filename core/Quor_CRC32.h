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
// In the Windows build, on a machine with two or more logical processors,
// the first reads of a file are made on the calling thread and a larger file
// is then read ahead by a helper thread while the caller hashes; the helper
// is done with the file before FileCrc32 returns. Elsewhere (and on one
// processor) the calling thread reads everything, which measured faster on
// Linux. Reports, stops and read errors fall on the same blocks either way.
FileCrcResult FileCrc32(const std::string& path, const StopFlag* stopFlag, NoticeTarget* target,
                        SafePoint* safePoint = nullptr);

// How FileCrc32 reads: Auto as described above; Plain never reads ahead;
// Overlapped reads ahead from the first byte, small files too. For tests,
// which run the same cases both ways, and benchmarks.
enum class FileCrcReadPath { Auto, Plain, Overlapped };
void FileCrcForceReadPathForTest(FileCrcReadPath path);
