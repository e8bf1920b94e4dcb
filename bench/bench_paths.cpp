// FileCrc32 forced onto each of its read paths, against the plain read loop,
// over the files given (best of 9 rounds, the ways taken in turns). The
// figures in FileCrc32's comments come from it, run on four 256 MiB files
// in the page cache as it is, under `taskset -c 0`, and beside
// `yes > /dev/null`; the Windows build under Wine the same way.
//   quor_bench_paths FILE...
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "core/Quor_CRC32.h"
#include "platform/page_buffer.h"

int main(int argc, char** argv) {
  const std::vector<std::string> paths(argv + 1, argv + argc);
  if (paths.empty()) {
    std::printf("usage: quor_bench_paths FILE...\n");
    return 2;
  }
  constexpr std::size_t kReadSizes[] = {std::size_t{256} << 10, std::size_t{1} << 20};
  const platform::PageBuffer buffer = platform::AllocatePageBuffer(kReadSizes[1]);
  struct Way {
    const char* name;
    FileCrcReadPath path;
    std::size_t readSize;  // 0: FileCrc32
    double best;
  };
  std::vector<Way> ways = {{"read loop, 256 KiB", FileCrcReadPath::Auto, kReadSizes[0], 1e9},
                           {"read loop, 1 MiB", FileCrcReadPath::Auto, kReadSizes[1], 1e9},
                           {"FileCrc32 as it chooses", FileCrcReadPath::Auto, 0, 1e9},
                           {"FileCrc32, caller alone", FileCrcReadPath::Plain, 0, 1e9},
                           {"FileCrc32, shared with a helper", FileCrcReadPath::Shared, 0, 1e9}};
  for (int round = 0; round < 9; ++round) {
    for (Way& way : ways) {
      FileCrcForceReadPathForTest(way.path);
      way.best = std::min(way.best, bench::Seconds([&] {
        if (way.readSize > 0) {
          bench::ReadFiles(paths, buffer.get(), way.readSize);
          return;
        }
        for (const std::string& path : paths) bench::sink = bench::sink + FileCrc32(path, nullptr, nullptr).crc;
      }));
    }
  }
  FileCrcForceReadPathForTest(FileCrcReadPath::Auto);
  for (const Way& way : ways) std::printf("%-32s %.3f s\n", way.name, way.best);
  return 0;
}
