// Shared by the benchmark programs: throughput of a CRC function over one
// 64 KiB buffer cut into calls of a given size.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/Quor_CRC32.h"
#include "core/Quor_CRC32Kernels.h"
#include "core/Quor_Notify.h"
#include "platform/fs.h"

namespace bench {

inline constexpr std::size_t kBufferBytes = 64 * 1024;
inline constexpr std::size_t kCallSizes[] = {64 * 1024, 64, 1024, 4096};

using CrcFn = std::uint32_t (*)(std::uint32_t, const unsigned char*, std::size_t);

inline std::vector<unsigned char> RandomBuffer(std::size_t size) {
  std::mt19937 gen(42);
  std::vector<unsigned char> bytes(size);
  for (auto& b : bytes) b = static_cast<unsigned char>(gen());
  return bytes;
}

inline volatile std::uint32_t sink;

// The wall-clock seconds fn takes to run.
template <class F>
double Seconds(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Adds up the byte counts FileCrc32 reports.
class CountingTarget : public NoticeTarget {
 public:
  void Notify(NotifyCode, std::uint32_t value) override { bytes += value; }
  std::uint64_t bytes = 0;
};

// Opens each file, reads it to its end in reads of readBytes into buffer and
// closes it, nothing else done: the bytes read in all.
inline std::size_t ReadFiles(const std::vector<std::string>& paths, unsigned char* buffer, std::size_t readBytes) {
  std::size_t total = 0;
  for (const std::string& path : paths) {
    platform::File file = platform::File::Open(path, platform::Access::Read, platform::Share::ReadWrite,
                                               platform::Disposition::OpenExisting, true);
    std::size_t n = 0;
    std::string error;
    while (file.Read(buffer, readBytes, n, error) && n > 0) total += n;
  }
  return total;
}

// GB/s (10^9 bytes) of fn hashing buffer in independent calls of callSize
// bytes. The machine may be shared, so one pass over the buffer is timed
// many times and the fastest pass counts: a pass that nothing interrupted
// shows what the code itself can do.
inline double Throughput(CrcFn fn, const std::vector<unsigned char>& buffer, std::size_t callSize,
                         double seconds = 0.25) {
  using Clock = std::chrono::steady_clock;
  const std::size_t calls = buffer.size() / callSize;
  auto pass = [&] {
    std::uint32_t acc = 0;
    for (std::size_t i = 0; i < calls; ++i) acc ^= fn(0xFFFFFFFFu, buffer.data() + i * callSize, callSize);
    sink = acc;
  };
  // A timed unit of some 20 microseconds is long against the clock's
  // resolution and short against the scheduler's time slice.
  const auto first = Clock::now();
  pass();
  const double once = std::chrono::duration<double>(Clock::now() - first).count();
  const int passesPerUnit = std::max(1, static_cast<int>(20e-6 / std::max(once, 1e-9)));
  double bestUnit = 1e9;
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    const auto start = Clock::now();
    for (int i = 0; i < passesPerUnit; ++i) pass();
    bestUnit = std::min(bestUnit, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return static_cast<double>(passesPerUnit) * static_cast<double>(calls * callSize) / bestUnit / 1e9;
}

template <Crc32Kernel K>
std::uint32_t Kernel(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  return Crc32UpdateWith(K, crc, p, n);
}

inline std::uint32_t Dispatched(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  return Crc32Update(crc, p, n);
}

inline std::uint32_t ByteTable(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  return Crc32UpdateByteTable(crc, p, n);
}

struct Entry {
  const char* name;
  CrcFn fn;
};

// Prints one row per entry, one column per call size; returns the rates.
inline std::vector<std::vector<double>> PrintTable(const std::vector<Entry>& entries,
                                                   const std::vector<unsigned char>& buffer) {
  std::printf("%-28s", "GB/s, calls of");
  for (std::size_t size : kCallSizes) std::printf("%10zu B", size);
  std::printf("\n");
  std::vector<std::vector<double>> rates;
  for (const Entry& e : entries) {
    std::printf("%-28s", e.name);
    std::fflush(stdout);
    rates.emplace_back();
    for (std::size_t size : kCallSizes) {
      rates.back().push_back(Throughput(e.fn, buffer, size));
      std::printf("%12.2f", rates.back().back());
      std::fflush(stdout);
    }
    std::printf("\n");
  }
  return rates;
}

// The kernels this processor supports, forced one by one, plus the choice.
inline std::vector<Entry> KernelEntries() {
  std::vector<Entry> entries;
  static char chosen[64];
  std::snprintf(chosen, sizeof chosen, "Crc32Update (%s)", Crc32KernelName(Crc32ActiveKernel()));
  entries.push_back({chosen, Dispatched});
  if (Crc32KernelSupported(Crc32Kernel::Slice16)) entries.push_back({"  slice16", Kernel<Crc32Kernel::Slice16>});
  if (Crc32KernelSupported(Crc32Kernel::Clmul)) entries.push_back({"  pclmul-sse4.1", Kernel<Crc32Kernel::Clmul>});
  if (Crc32KernelSupported(Crc32Kernel::Vpclmul256))
    entries.push_back({"  vpclmul-avx2", Kernel<Crc32Kernel::Vpclmul256>});
  if (Crc32KernelSupported(Crc32Kernel::Vpclmul512))
    entries.push_back({"  vpclmul-avx512", Kernel<Crc32Kernel::Vpclmul512>});
  entries.push_back({"byte table", ByteTable});
  return entries;
}

}  // namespace bench
