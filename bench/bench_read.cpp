// FileCrc32 against a plain read loop over the same four 256 MiB files in
// the page cache, in one process. Prints the read loop's time over
// FileCrc32's, measured five times (min / median / max; the read loop's best
// read size counts): 1.00 means hashing costs nothing on top of reading.
// Built in both builds; ./dev bench runs the Windows one under Wine, where
// the read loop is a plain ReadFile loop.
//   quor_bench_read [WORK-FOLDER]
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "platform/fs.h"
#include "platform/page_buffer.h"

namespace {

constexpr std::size_t kFileBytes = std::size_t{256} << 20;
constexpr int kFiles = 4;
// The plain loop's read sizes; the fastest counts.
constexpr std::size_t kReadSizes[] = {std::size_t{64} << 10, std::size_t{256} << 10, std::size_t{1} << 20};

#ifdef _WIN32
constexpr const char* kBaseline = "readfile";
#else
constexpr const char* kBaseline = "read";
#endif

bool WriteFile(const std::string& path, unsigned seed) {
  platform::File file = platform::File::Open(path, platform::Access::Write, platform::Share::None,
                                             platform::Disposition::CreateAlways, true);
  if (!file.IsOpen()) return false;
  std::vector<unsigned char> chunk = bench::RandomBuffer(std::size_t{1} << 20);
  std::string error;
  for (std::size_t at = 0; at < kFileBytes; at += chunk.size()) {
    chunk[0] = static_cast<unsigned char>(seed + at);  // no two chunks alike
    if (!file.Write(chunk.data(), chunk.size(), error)) return false;
  }
  return true;
}

// The baseline: every file read to its end, nothing else done.
std::size_t PlainReadLoop(const std::vector<std::string>& paths, std::size_t readBytes) {
  const platform::PageBuffer buffer = platform::AllocatePageBuffer(readBytes);
  const std::size_t total = bench::ReadFiles(paths, buffer.get(), readBytes);
  bench::sink = bench::sink + buffer[0];
  return total;
}

std::uint64_t HashAll(const std::vector<std::string>& paths) {
  bench::CountingTarget target;
  for (const std::string& path : paths) bench::sink = bench::sink + FileCrc32(path, nullptr, &target).crc;
  return target.bytes;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? std::string(argv[1]) + platform::kPathSep : platform::TempFolder();
  std::vector<std::string> paths;
  for (int i = 0; i < kFiles; ++i) {
    paths.push_back(folder + "quor-bench-read-" + std::to_string(i) + ".bin");
    if (!WriteFile(paths.back(), static_cast<unsigned>(i))) {
      std::printf("cannot write %s\n", paths.back().c_str());
      for (const std::string& path : paths) platform::RemoveFile(path);
      return 1;
    }
  }
  const std::size_t total = PlainReadLoop(paths, kReadSizes[0]);  // into the page cache
  // Five measurements, each the best of three rounds taken in turns (so all
  // ways see the same machine); their ratios are printed as min / median /
  // max, so one lucky or unlucky run shows as such.
  double plain = 1e9, hashed = 1e9, alone = 1e9;
  std::size_t bestSize = 0;
  bool complete = total == kFiles * kFileBytes;
  std::vector<double> ratios;
  for (int run = 0; run < 5 && complete; ++run) {
    double runPlain = 1e9, runHashed = 1e9;
    for (int i = 0; i < 3 && complete; ++i) {
      for (std::size_t size : kReadSizes) {
        const double t = bench::Seconds([&] { PlainReadLoop(paths, size); });
        runPlain = std::min(runPlain, t);
        if (t < plain) {
          plain = t;
          bestSize = size;
        }
      }
      runHashed = std::min(runHashed, bench::Seconds([&] { complete = HashAll(paths) == total; }));
      // The caller alone, as on a machine with no processor to spare.
      FileCrcForceReadPathForTest(FileCrcReadPath::Plain);
      alone = std::min(alone, bench::Seconds([&] { complete = complete && HashAll(paths) == total; }));
      FileCrcForceReadPathForTest(FileCrcReadPath::Auto);
    }
    hashed = std::min(hashed, runHashed);
    ratios.push_back(runPlain / runHashed);
  }
  for (const std::string& path : paths) platform::RemoveFile(path);
  if (!complete) {
    std::printf("the files were not read completely\n");
    return 1;
  }
  const double gb = static_cast<double>(total) / 1e9;
  std::printf("1 GiB in %d page-cached files: FileCrc32 %.2f GB/s (its caller alone: %.2f GB/s), "
              "plain %s loop %.2f GB/s (%zu KiB reads)\n",
              kFiles, gb / hashed, gb / alone, kBaseline, gb / plain, bestSize >> 10);
  std::sort(ratios.begin(), ratios.end());
  std::printf("filecrc32-vs-%s: %.2f / %.2f / %.2f (min / median / max of 5)\n", kBaseline, ratios.front(),
              ratios[ratios.size() / 2], ratios.back());
  return 0;
}
