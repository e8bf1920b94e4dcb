// ./dev bench: CRC-32 throughput of Quor's kernels against outside
// libraries (zlib, ISA-L, libdeflate; linked into this program only), then
// FileCrc32 over a page-cached file against a plain read loop.
#include <isa-l/crc.h>
#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/bench_util.h"
#include "platform/fs.h"

namespace {

std::uint32_t Zlib(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  return static_cast<std::uint32_t>(crc32_z(crc, p, n));
}
std::uint32_t Isal(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  return crc32_gzip_refl(crc, p, n);
}
std::uint32_t Libdeflate(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  return libdeflate_crc32(crc, p, n);
}

constexpr std::size_t kFileBytes = std::size_t{1} << 30;

bool WriteBenchFile(const std::string& path) {
  std::string error;
  platform::File file = platform::File::Open(path, platform::Access::Write, platform::Share::None,
                                             platform::Disposition::CreateAlways, true);
  if (!file.IsOpen()) return false;
  const std::vector<unsigned char> chunk = bench::RandomBuffer(std::size_t{1} << 20);
  for (std::size_t at = 0; at < kFileBytes; at += chunk.size())
    if (!file.Write(chunk.data(), chunk.size(), error)) return false;
  return true;
}

// The baseline: the same file, the same block size, nothing but reading.
std::size_t PlainReadLoop(const std::string& path) {
  platform::File file = platform::File::Open(path, platform::Access::Read, platform::Share::ReadWrite,
                                             platform::Disposition::OpenExisting, true);
  const std::size_t block = FileCrcBlockSize();
  auto buffer = std::make_unique<unsigned char[]>(block);
  std::size_t total = 0, n = 0;
  std::string error;
  while (file.Read(buffer.get(), block, n, error) && n > 0) {
    total += n;
    bench::sink = bench::sink + buffer[0];
  }
  return total;
}

class CountingTarget : public NoticeTarget {
 public:
  void Notify(NotifyCode, std::uint32_t value) override { bytes += value; }
  std::uint64_t bytes = 0;
};

template <class F>
double BestSeconds(int rounds, F&& f) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) {
    const auto start = std::chrono::steady_clock::now();
    f();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string path = argc > 1 ? argv[1] : "build/bench/crc32-bench.bin";
  const std::vector<unsigned char> buffer = bench::RandomBuffer(bench::kBufferBytes);

  std::vector<bench::Entry> entries = bench::KernelEntries();
  entries.push_back({"zlib crc32", Zlib});
  entries.push_back({"ISA-L crc32_gzip_refl", Isal});
  entries.push_back({"libdeflate_crc32", Libdeflate});
  // Everyone must agree on the CRC before speeds are compared.
  const std::uint32_t want = Crc32UpdateByteTable(0xFFFFFFFFu, buffer.data(), buffer.size()) ^ 0xFFFFFFFFu;
  if (Zlib(0, buffer.data(), buffer.size()) != want || Isal(0, buffer.data(), buffer.size()) != want ||
      Libdeflate(0, buffer.data(), buffer.size()) != want ||
      (Crc32Update(0xFFFFFFFFu, buffer.data(), buffer.size()) ^ 0xFFFFFFFFu) != want) {
    std::printf("the CRC functions disagree\n");
    return 1;
  }
  std::printf("CRC-32 over one %zu-byte buffer, independent calls of each size\n", bench::kBufferBytes);
  const auto rates = bench::PrintTable(entries, buffer);
  auto row = [&](const char* name) {
    for (std::size_t i = 0; i < entries.size(); ++i)
      if (std::string(entries[i].name) == name) return rates[i];
    return std::vector<double>{};
  };
  const std::vector<double> ours = rates.front(), table = row("byte table"), isal = row("ISA-L crc32_gzip_refl");
  for (std::size_t i = 0; i < ours.size(); ++i)
    if (ours[i] < table[i]) std::printf("SLOWER than the byte table at %zu B\n", bench::kCallSizes[i]);

  // FileCrc32 against a plain read loop, both over a page-cached file.
  if (!WriteBenchFile(path)) {
    std::printf("cannot write %s\n", path.c_str());
    return 1;
  }
  PlainReadLoop(path);  // into the page cache
  CountingTarget target;
  std::uint32_t crc = 0;
  double crcSeconds = 1e9, readSeconds = 1e9;
  for (int i = 0; i < 4; ++i) {  // interleaved, so both see the same machine
    readSeconds = std::min(readSeconds, BestSeconds(1, [&] { PlainReadLoop(path); }));
    crcSeconds = std::min(crcSeconds, BestSeconds(1, [&] { crc = FileCrc32(path, nullptr, &target).crc; }));
  }
  platform::RemoveFile(path);
  const double gib = static_cast<double>(kFileBytes) / 1e9;
  std::printf("\n1 GiB page-cached file, %zu-byte blocks (CRC %08X)\n", FileCrcBlockSize(), crc);
  std::printf("%-28s%12.2f GB/s\n", "FileCrc32", gib / crcSeconds);
  std::printf("%-28s%12.2f GB/s\n", "plain read loop", gib / readSeconds);
  std::printf("\ncrc32-kernel-vs-isal: %.2f\n", ours[0] / isal[0]);
  std::printf("filecrc32-vs-read: %.2f\n", readSeconds / crcSeconds);
  return 0;
}
