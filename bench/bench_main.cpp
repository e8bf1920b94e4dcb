// ./dev bench: CRC-32 throughput of Quor's kernels against outside
// libraries (zlib, ISA-L, libdeflate; linked into this program only), then
// FileCrc32 over a page-cached file against a plain read loop.
#include <isa-l/crc.h>
#include <libdeflate.h>
#include <zlib.h>

#include <immintrin.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "bench/bench_util.h"
#include "platform/fs.h"
#include "platform/page_buffer.h"

// ISA-L's own kernels behind crc32_gzip_refl, exported by the library but
// not declared in its header: the 128-bit PCLMULQDQ ones (SSE and AVX
// encodings) and the AVX-512 VPCLMULQDQ one. They let the 128-bit kernels be compared on a processor
// that would otherwise always pick the wide ones.
extern "C" std::uint32_t crc32_gzip_refl_by8(std::uint32_t, const unsigned char*, std::uint64_t);
extern "C" std::uint32_t crc32_gzip_refl_by8_02(std::uint32_t, const unsigned char*, std::uint64_t);
extern "C" std::uint32_t crc32_gzip_refl_by16_10(std::uint32_t, const unsigned char*, std::uint64_t);

namespace {

std::uint32_t IsalBy8(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  return crc32_gzip_refl_by8(crc, p, n);
}
std::uint32_t IsalBy8Avx(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  return crc32_gzip_refl_by8_02(crc, p, n);
}
std::uint32_t IsalBy16(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  return crc32_gzip_refl_by16_10(crc, p, n);
}

std::uint32_t Zlib(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  return static_cast<std::uint32_t>(crc32_z(crc, p, n));
}
std::uint32_t Isal(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  return crc32_gzip_refl(crc, p, n);
}
std::uint32_t Libdeflate(std::uint32_t crc, const unsigned char* p, std::size_t n) {
  return libdeflate_crc32(crc, p, n);
}

// The most any folding kernel can do on this processor: 64 bytes folded
// cost two 512-bit carry-less multiplies and one XOR, so a loop of nothing
// but independent multiplies (eight chains, no loads) gives the ceiling in
// bytes per second.
__attribute__((target("avx512f,vpclmulqdq"), noinline)) double MultiplierBoundGBs() {
  const __m512i k = _mm512_set1_epi64(0x1D9513D7);
  __m512i z[8];
  for (int i = 0; i < 8; ++i) z[i] = _mm512_set1_epi64(i + 1);
  constexpr int kRounds = 1 << 12;  // 8 * 64 bytes each
  double best = 1e9;
  for (int unit = 0; unit < 2000; ++unit) {
    const auto start = std::chrono::steady_clock::now();
    for (int r = 0; r < kRounds; ++r)
#pragma GCC unroll 8
      for (int i = 0; i < 8; ++i)
        z[i] = _mm512_xor_si512(_mm512_clmulepi64_epi128(z[i], k, 0x00), _mm512_clmulepi64_epi128(z[i], k, 0x11));
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  __m512i all = z[0];
  for (int i = 1; i < 8; ++i) all = _mm512_xor_si512(all, z[i]);
  alignas(64) std::uint32_t lanes[16];
  _mm512_store_si512(lanes, all);
  bench::sink = lanes[0];
  return 8.0 * 64 * kRounds / best / 1e9;
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
  const std::size_t block = FileCrcBlockSize();
  const platform::PageBuffer buffer = platform::AllocatePageBuffer(block);
  const std::size_t total = bench::ReadFiles({path}, buffer.get(), block);
  bench::sink = bench::sink + buffer[0];
  return total;
}

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
  // Quor's functions carry the CRC register (start 0xFFFFFFFF, no final
  // inversion); the libraries take and give finished CRCs (start 0).
  std::vector<bench::Entry> libraries = {
      {"zlib crc32", Zlib}, {"ISA-L crc32_gzip_refl", Isal}, {"libdeflate_crc32", Libdeflate}};
  if (Crc32KernelSupported(Crc32Kernel::Clmul)) libraries.push_back({"  ISA-L by8 (pclmul)", IsalBy8});
  if (Crc32KernelSupported(Crc32Kernel::Clmul) && __builtin_cpu_supports("avx"))
    libraries.push_back({"  ISA-L by8_02 (pclmul avx)", IsalBy8Avx});
  if (Crc32KernelSupported(Crc32Kernel::Vpclmul512))
    libraries.push_back({"  ISA-L by16_10 (avx512)", IsalBy16});
  // Everyone must agree on the CRC before speeds are compared.
  const std::uint32_t want = Crc32UpdateByteTable(0xFFFFFFFFu, buffer.data(), buffer.size()) ^ 0xFFFFFFFFu;
  for (const bench::Entry& e : entries)
    if ((e.fn(0xFFFFFFFFu, buffer.data(), buffer.size()) ^ 0xFFFFFFFFu) != want) {
      std::printf("%s gives a wrong CRC\n", e.name);
      return 1;
    }
  for (const bench::Entry& e : libraries)
    if (e.fn(0, buffer.data(), buffer.size()) != want) {
      std::printf("%s gives a wrong CRC\n", e.name);
      return 1;
    }
  entries.insert(entries.end(), libraries.begin(), libraries.end());
  std::printf("CRC-32 over one %zu-byte buffer, independent calls of each size\n", bench::kBufferBytes);
  const auto rates = bench::PrintTable(entries, buffer);
  auto row = [&](const char* name) {
    for (std::size_t i = 0; i < entries.size(); ++i)
      if (std::string(entries[i].name) == name) return rates[i];
    return std::vector<double>{};
  };
  const std::vector<double> ours = rates.front(), table = row("byte table"), isal = row("ISA-L crc32_gzip_refl");
  const std::vector<double> ourClmul = row("  pclmul-sse4.1"), isalBy8 = row("  ISA-L by8 (pclmul)"),
                            isalBy8Avx = row("  ISA-L by8_02 (pclmul avx)");
  for (std::size_t i = 0; i < ours.size(); ++i)
    if (ours[i] < table[i]) std::printf("SLOWER than the byte table at %zu B\n", bench::kCallSizes[i]);

  // FileCrc32 against a plain read loop, both over a page-cached file.
  if (!WriteBenchFile(path)) {
    std::printf("cannot write %s\n", path.c_str());
    return 1;
  }
  PlainReadLoop(path);  // into the page cache
  bench::CountingTarget target;
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
  if (Crc32KernelSupported(Crc32Kernel::Vpclmul512)) {
    const double bound = MultiplierBoundGBs();
    std::printf("crc32-kernel-vs-multiplier-bound: %.2f (bound %.2f GB/s)\n", ours[0] / bound, bound);
  }
  // What a processor with PCLMULQDQ but no VPCLMULQDQ would see: our 128-bit
  // kernel against the faster of ISA-L's two (SSE and AVX encodings).
  if (!ourClmul.empty() && !isalBy8.empty()) {
    const double isalBest = std::max(isalBy8[0], isalBy8Avx.empty() ? 0.0 : isalBy8Avx[0]);
    std::printf("crc32-pclmul-kernel-vs-isal-pclmul: %.2f\n", ourClmul[0] / isalBest);
  }
  std::printf("filecrc32-vs-read: %.2f\n", readSeconds / crcSeconds);
  return 0;
}
