// The floor under a check on one processor: the files read in order, on one
// thread, into a page-aligned buffer, each piece hashed before the next read.
// bench_cli.sh times it against cat.
//   quor_bench_readhash FILE...
#include <cstdio>
#include <string>

#include "core/Quor_CRC32.h"
#include "platform/fs.h"
#include "platform/page_buffer.h"

int main(int argc, char** argv) {
  // FileCrc32's read size, 256 KiB: for one thread here as fast as any
  // from 64 KiB to 1 MiB (quor_bench_paths).
  constexpr std::size_t kReadSize = std::size_t{256} << 10;
  const platform::PageBuffer buffer = platform::AllocatePageBuffer(kReadSize);
  std::uint32_t all = 0;
  for (int i = 1; i < argc; ++i) {
    platform::File file = platform::File::Open(argv[i], platform::Access::Read, platform::Share::ReadWrite,
                                               platform::Disposition::OpenExisting, true);
    if (!file.IsOpen()) {
      std::fprintf(stderr, "cannot open %s\n", argv[i]);
      return 1;
    }
    std::uint32_t crc = 0xFFFFFFFFu;
    std::size_t got = 0;
    std::string error;
    while (file.Read(buffer.get(), kReadSize, got, error) && got > 0) crc = Crc32Update(crc, buffer.get(), got);
    all ^= crc;
  }
  std::printf("%08X\n", all);
  return 0;
}
