// The floor under a check of many small files: every file of a folder
// opened, read to its end (a read that returns its bytes and one that
// returns none, as a hash does) and closed, with nothing else done. Prints
// the time in milliseconds (the best of PASSES passes, default 5), for
// bench_small.sh to compare quor-cli.exe with under Wine.
//   quor_bench_open FOLDER [PASSES]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "platform/fs.h"
#include "platform/page_buffer.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::printf("usage: quor_bench_open FOLDER [PASSES]\n");
    return 2;
  }
  const int passes = argc == 3 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::string folder = std::string(argv[1]) + platform::kPathSep;
  std::vector<std::string> paths;
  platform::ListFolder(argv[1], [&](const platform::DirEntry& entry) {
    if (!entry.isFolder) paths.push_back(folder + entry.name);
  });
  std::sort(paths.begin(), paths.end());
  constexpr std::size_t kReadSize = std::size_t{1} << 20;
  const platform::PageBuffer buffer = platform::AllocatePageBuffer(kReadSize);
  double best = 1e9;
  for (int i = 0; i < passes; ++i) {
    const auto start = std::chrono::steady_clock::now();
    bench::ReadFiles(paths, buffer.get(), kReadSize);
    best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  std::printf("%.1f\n", best);
  return 0;
}
