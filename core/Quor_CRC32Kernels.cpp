// CRC-32 kernels and the choice between them.
//
// The mathematics. Read the message as a polynomial M(x) over GF(2), the
// first byte's lowest bit being the highest power (the "reflected" order of
// this CRC). The CRC register after M is M(x) * x^32 mod P(x), with
// P = x^32 + x^26 + x^23 + ... + 1 (0xEDB88320 reflected); a register c that
// does not start at zero is the same as c XORed into the first four bytes.
// Everything below only uses that a remainder may be replaced by anything
// congruent to it mod P, as long as it is shorter.
//
// Folding. Take 16 bytes as a 128-bit lane A(x) = H(x) x^64 + L(x), with H
// the first eight bytes. If the next data lie D bits further on, A stands
// for A x^D, and A x^D = H (x^(64+D) mod P) + L (x^D mod P) (mod P). Each
// product is a 64-bit by 32-bit carry-less multiply (PCLMULQDQ), at most 95
// bits long, so the sum fits into a lane again and is simply XORed into the
// data D bits on. Because of the reflected bit order a product lands 33
// places short, so the constants are x^(D+31) and x^(D-33) mod P (made by
// tools/crc32_constants.py). Several lanes fold side by side, each over the
// distance of the whole group, so that multiplies of independent lanes
// overlap; at the end the lanes fold into one, lane over lane.
//
// Finishing. The last 128-bit lane is congruent to all the message before
// it, so the CRC of the message so far is the CRC of those 16 bytes from a
// zero register; the table kernel computes that, then the last <16 bytes.
//
// The table kernel (slice-by-16) uses T[k][b] = the CRC register of byte b
// followed by k zero bytes, so 16 bytes cost 16 independent look-ups.
//
// Each vector kernel is compiled with its own target attributes, so one
// binary runs on any x86-64 processor; cpuid (and xgetbv for the wide
// registers the operating system must save) decides once which one runs.
#include "core/Quor_CRC32Kernels.h"

#include <array>
#include <atomic>
#include <bit>
#include <cstring>

#include "core/Quor_CRC32.h"
#include "core/Quor_CRC32Constants.h"

#if defined(__x86_64__) || defined(__i386__)
#define QUOR_CRC32_X86 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace {

using KernelFn = std::uint32_t (*)(std::uint32_t, const void*, std::size_t);

// ---- Slice-by-16 --------------------------------------------------------

using SliceTables = std::array<std::array<std::uint32_t, 256>, 16>;

constexpr SliceTables MakeSliceTables() {
  SliceTables t{};
  for (std::uint32_t i = 0; i < 256; ++i) {
    std::uint32_t value = i;
    for (int bit = 0; bit < 8; ++bit) value = (value >> 1) ^ ((value & 1) ? 0xEDB88320u : 0);
    t[0][i] = value;
  }
  for (int k = 1; k < 16; ++k)
    for (int i = 0; i < 256; ++i) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
  return t;
}

constexpr SliceTables kSlice = MakeSliceTables();

inline std::uint32_t Load32(const unsigned char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// The register after 16 bytes (little-endian words a..d, the register
// already XORed into a).
inline __attribute__((always_inline)) std::uint32_t Slice16Step(std::uint32_t a, std::uint32_t b,
                                                               std::uint32_t c, std::uint32_t d) {
  return kSlice[15][a & 0xFF] ^ kSlice[14][(a >> 8) & 0xFF] ^ kSlice[13][(a >> 16) & 0xFF] ^
         kSlice[12][a >> 24] ^ kSlice[11][b & 0xFF] ^ kSlice[10][(b >> 8) & 0xFF] ^
         kSlice[9][(b >> 16) & 0xFF] ^ kSlice[8][b >> 24] ^ kSlice[7][c & 0xFF] ^
         kSlice[6][(c >> 8) & 0xFF] ^ kSlice[5][(c >> 16) & 0xFF] ^ kSlice[4][c >> 24] ^
         kSlice[3][d & 0xFF] ^ kSlice[2][(d >> 8) & 0xFF] ^ kSlice[1][(d >> 16) & 0xFF] ^
         kSlice[0][d >> 24];
}

inline __attribute__((always_inline)) std::uint32_t Slice16Bytes(std::uint32_t crc, const unsigned char* p,
                                                                std::size_t count) {
  for (; count > 0; --count) crc = (crc >> 8) ^ kSlice[0][(crc ^ *p++) & 0xFF];
  return crc;
}

std::uint32_t Crc32Slice16(std::uint32_t crc, const void* buffer, std::size_t count) {
  const auto* p = static_cast<const unsigned char*>(buffer);
  if constexpr (std::endian::native == std::endian::little) {
    for (; count >= 16; p += 16, count -= 16)
      crc = Slice16Step(Load32(p) ^ crc, Load32(p + 4), Load32(p + 8), Load32(p + 12));
  }
  return Slice16Bytes(crc, p, count);
}

#ifdef QUOR_CRC32_X86

// ---- PCLMULQDQ, 128-bit lanes -------------------------------------------

#define QUOR_TARGET_CLMUL __attribute__((target("pclmul,sse4.1")))
#define QUOR_TARGET_YMM __attribute__((target("pclmul,sse4.1,avx2,vpclmulqdq")))
#define QUOR_TARGET_WIDE __attribute__((target("pclmul,sse4.1,avx2,avx512f,avx512vl,vpclmulqdq")))

// Buffers shorter than these go to the next smaller kernel.
constexpr std::size_t kClmulMin = 64;
constexpr std::size_t kWideMin = 512;

inline __m128i Fold128Constants(const std::uint64_t (&k)[2]) {
  return _mm_set_epi64x(static_cast<long long>(k[1]), static_cast<long long>(k[0]));
}

// Lane x moved forward by the distance of k, XORed into data.
QUOR_TARGET_CLMUL inline __attribute__((always_inline)) __m128i Fold128(__m128i x, __m128i data,
                                                                       __m128i k) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(x, k, 0x00), _mm_clmulepi64_si128(x, k, 0x11)),
                       data);
}

QUOR_TARGET_CLMUL inline __attribute__((always_inline)) __m128i Load128(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Folds whole 16-byte pieces into x, then finishes with the table kernel.
QUOR_TARGET_CLMUL inline __attribute__((always_inline)) std::uint32_t Finish128(
    __m128i x, const unsigned char* p, std::size_t count) {
  const __m128i k16 = Fold128Constants(crc32fold::kFold16);
  for (; count >= 16; p += 16, count -= 16) x = Fold128(x, Load128(p), k16);
  const auto a = static_cast<std::uint32_t>(_mm_cvtsi128_si32(x)),
             b = static_cast<std::uint32_t>(_mm_extract_epi32(x, 1)),
             c = static_cast<std::uint32_t>(_mm_extract_epi32(x, 2)),
             d = static_cast<std::uint32_t>(_mm_extract_epi32(x, 3));
  return Slice16Bytes(Slice16Step(a, b, c, d), p, count);
}

// Eight lanes v[0..7] (128 bytes) take in the rest of the message 128 bytes
// at a time, then fold into one, as a tree so that only three folds wait on
// each other: 0-3 onto 4-7, then 4-5 onto 6-7, then 6 onto 7. The <16-byte
// tail is left to the caller (Finish128).
QUOR_TARGET_CLMUL inline __attribute__((always_inline)) __m128i FoldEightLanes(
    __m128i (&v)[8], const unsigned char*& p, std::size_t& count) {
  const __m128i k128 = Fold128Constants(crc32fold::kFold128);
  for (; count >= 128; p += 128, count -= 128)
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) v[i] = Fold128(v[i], Load128(p + 16 * i), k128);
  const __m128i k64 = Fold128Constants(crc32fold::kFold64);
#pragma GCC unroll 8
  for (int i = 0; i < 4; ++i) v[i + 4] = Fold128(v[i], v[i + 4], k64);
  const __m128i k32 = Fold128Constants(crc32fold::kFold32);
  v[6] = Fold128(v[4], v[6], k32);
  v[7] = Fold128(v[5], v[7], k32);
  return Fold128(v[6], v[7], Fold128Constants(crc32fold::kFold16));
}

QUOR_TARGET_CLMUL std::uint32_t Crc32Clmul(std::uint32_t crc, const void* buffer, std::size_t count) {
  if (count < kClmulMin) return Crc32Slice16(crc, buffer, count);
  const auto* p = static_cast<const unsigned char*>(buffer);
  const __m128i start = _mm_cvtsi32_si128(static_cast<int>(crc));
  if (count < 128) {
    // Four lanes, folded onto the last one.
    const __m128i k16 = Fold128Constants(crc32fold::kFold16);
    __m128i x = _mm_xor_si128(Load128(p), start);
#pragma GCC unroll 8
    for (int i = 1; i < 4; ++i) x = Fold128(x, Load128(p + 16 * i), k16);
    return Finish128(x, p + 64, count - 64);
  }
  // Eight lanes of 16 bytes: 128 bytes in flight, enough independent
  // multiplies to keep the multiplier busy.
  __m128i v[8];
  v[0] = _mm_xor_si128(Load128(p), start);
#pragma GCC unroll 8
  for (int i = 1; i < 8; ++i) v[i] = Load128(p + 16 * i);
  p += 128;
  count -= 128;
  const __m128i x = FoldEightLanes(v, p, count);
  return Finish128(x, p, count);
}

// ---- VPCLMULQDQ, 256-bit registers (two lanes each) ----------------------
// For processors with VPCLMULQDQ but without AVX-512.

QUOR_TARGET_YMM inline __attribute__((always_inline)) __m256i Fold256(__m256i x, __m256i data,
                                                                     __m256i k) {
  return _mm256_xor_si256(_mm256_xor_si256(_mm256_clmulepi64_epi128(x, k, 0x00),
                                           _mm256_clmulepi64_epi128(x, k, 0x11)),
                          data);
}

QUOR_TARGET_YMM inline __attribute__((always_inline)) __m256i Load256(const unsigned char* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

QUOR_TARGET_YMM inline __attribute__((always_inline)) __m256i Fold256Constants(
    const std::uint64_t (&k)[2]) {
  const auto lo = static_cast<long long>(k[0]), hi = static_cast<long long>(k[1]);
  return _mm256_set_epi64x(hi, lo, hi, lo);
}

QUOR_TARGET_YMM std::uint32_t Crc32Vpclmul256(std::uint32_t crc, const void* buffer,
                                              std::size_t count) {
  if (count < kWideMin) return Crc32Clmul(crc, buffer, count);
  const auto* p = static_cast<const unsigned char*>(buffer);
  // Eight registers of two lanes: 256 bytes in flight.
  __m256i y[8];
  y[0] = _mm256_xor_si256(Load256(p), _mm256_zextsi128_si256(_mm_cvtsi32_si128(static_cast<int>(crc))));
#pragma GCC unroll 8
  for (int i = 1; i < 8; ++i) y[i] = Load256(p + 32 * i);
  p += 256;
  count -= 256;
  const __m256i k256 = Fold256Constants(crc32fold::kFold256);
  for (; count >= 256; p += 256, count -= 256)
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) y[i] = Fold256(y[i], Load256(p + 32 * i), k256);

  // y[i] holds lanes 2i and 2i+1 of sixteen: fold lanes 0..7 (y[0..3]) onto
  // lanes 8..15 (y[4..7]), 128 bytes on, and go on with eight 128-bit lanes.
  const __m256i k128 = Fold256Constants(crc32fold::kFold128);
  __m128i v[8];
#pragma GCC unroll 8
  for (int i = 0; i < 4; ++i) {
    const __m256i folded = Fold256(y[i], y[i + 4], k128);
    v[2 * i] = _mm256_castsi256_si128(folded);
    v[2 * i + 1] = _mm256_extracti128_si256(folded, 1);
  }
  const __m128i x = FoldEightLanes(v, p, count);
  return Finish128(x, p, count);
}

// ---- VPCLMULQDQ, 512-bit registers (four lanes each) ---------------------

QUOR_TARGET_WIDE inline __attribute__((always_inline)) __m512i Fold512(__m512i x, __m512i data,
                                                                      __m512i k) {
  return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(x, k, 0x00),
                                   _mm512_clmulepi64_epi128(x, k, 0x11), data, 0x96);
}

QUOR_TARGET_WIDE inline __attribute__((always_inline)) __m512i Load512(const unsigned char* p) {
  return _mm512_loadu_si512(p);
}

QUOR_TARGET_WIDE inline __attribute__((always_inline)) __m512i Fold512Constants(
    const std::uint64_t (&k)[2]) {
  const auto lo = static_cast<long long>(k[0]), hi = static_cast<long long>(k[1]);
  return _mm512_set_epi64(hi, lo, hi, lo, hi, lo, hi, lo);
}

QUOR_TARGET_WIDE std::uint32_t Crc32Vpclmul512(std::uint32_t crc, const void* buffer,
                                               std::size_t count) {
  if (count < kWideMin) return Crc32Clmul(crc, buffer, count);
  const auto* p = static_cast<const unsigned char*>(buffer);
  // Eight registers of four lanes: 512 bytes in flight.
  __m512i z[8];
  z[0] = _mm512_xor_si512(Load512(p), _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(crc))));
#pragma GCC unroll 8
  for (int i = 1; i < 8; ++i) z[i] = Load512(p + 64 * i);
  p += 512;
  count -= 512;
  const __m512i k512 = Fold512Constants(crc32fold::kFold512);
  for (; count >= 512; p += 512, count -= 512)
#pragma GCC unroll 8
    for (int i = 0; i < 8; ++i) z[i] = Fold512(z[i], Load512(p + 64 * i), k512);

  // Fold the eight registers into one as a tree, so only three folds wait
  // on each other: 0-3 onto 4-7, then 4-5 onto 6-7, then 6 onto 7.
  const __m512i k256 = Fold512Constants(crc32fold::kFold256);
#pragma GCC unroll 8
  for (int i = 0; i < 4; ++i) z[i + 4] = Fold512(z[i], z[i + 4], k256);
  const __m512i k128 = Fold512Constants(crc32fold::kFold128);
  z[6] = Fold512(z[4], z[6], k128);
  z[7] = Fold512(z[5], z[7], k128);
  const __m512i k64 = Fold512Constants(crc32fold::kFold64);
  __m512i y = Fold512(z[6], z[7], k64);
  for (; count >= 64; p += 64, count -= 64) y = Fold512(y, Load512(p), k64);

  // Lanes 0..2 of y move forward 48, 32 and 16 bytes onto lane 3.
  const __m512i k = _mm512_set_epi64(
      0, 0, static_cast<long long>(crc32fold::kFold16[1]), static_cast<long long>(crc32fold::kFold16[0]),
      static_cast<long long>(crc32fold::kFold32[1]), static_cast<long long>(crc32fold::kFold32[0]),
      static_cast<long long>(crc32fold::kFold48[1]), static_cast<long long>(crc32fold::kFold48[0]));
  const __m512i moved = _mm512_xor_si512(_mm512_clmulepi64_epi128(y, k, 0x00),
                                         _mm512_clmulepi64_epi128(y, k, 0x11));
  alignas(64) __m128i lanes[4], last[4];
  _mm512_store_si512(lanes, moved);
  _mm512_store_si512(last, y);
  const __m128i x = _mm_xor_si128(_mm_ternarylogic_epi64(lanes[0], lanes[1], lanes[2], 0x96), last[3]);
  return Finish128(x, p, count);
}

// ---- What the processor offers --------------------------------------------

struct CpuFeatures {
  bool clmul = false;  // PCLMULQDQ and SSE4.1
  bool ymm = false;    // VPCLMULQDQ on 256-bit registers (AVX2)
  bool wide = false;   // VPCLMULQDQ on 512-bit registers (AVX-512)
};

CpuFeatures DetectCpu() {
  CpuFeatures f;
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return f;
  const bool pclmul = c & (1u << 1), sse41 = c & (1u << 19), osxsave = c & (1u << 27),
             avx = c & (1u << 28);
  f.clmul = pclmul && sse41;
  if (!f.clmul || !osxsave || !avx || __get_cpuid_max(0, nullptr) < 7) return f;
  // The operating system must save the registers a kernel uses: SSE and
  // AVX state for 256 bits, and all AVX-512 state as well for 512 bits.
  unsigned xcr0lo, xcr0hi;
  __asm__ volatile("xgetbv" : "=a"(xcr0lo), "=d"(xcr0hi) : "c"(0));
  const bool osYmm = (xcr0lo & 0x06u) == 0x06u, osZmm = (xcr0lo & 0xE6u) == 0xE6u;
  __cpuid_count(7, 0, a, b, c, d);
  const bool avx2 = b & (1u << 5), avx512f = b & (1u << 16), avx512vl = b & (1u << 31);
  const bool vpclmul = c & (1u << 10);
  f.ymm = osYmm && avx2 && vpclmul;
  f.wide = f.ymm && osZmm && avx512f && avx512vl;
  return f;
}

const CpuFeatures& Cpu() {
  static const CpuFeatures features = DetectCpu();
  return features;
}

#endif  // QUOR_CRC32_X86

KernelFn KernelFunction(Crc32Kernel kernel) {
  switch (kernel) {
#ifdef QUOR_CRC32_X86
    case Crc32Kernel::Clmul: return Crc32Clmul;
    case Crc32Kernel::Vpclmul256: return Crc32Vpclmul256;
    case Crc32Kernel::Vpclmul512: return Crc32Vpclmul512;
#endif
    default: return Crc32Slice16;
  }
}

Crc32Kernel BestKernel() {
#ifdef QUOR_CRC32_X86
  if (Cpu().wide) return Crc32Kernel::Vpclmul512;
  if (Cpu().ymm) return Crc32Kernel::Vpclmul256;
  if (Cpu().clmul) return Crc32Kernel::Clmul;
#endif
  return Crc32Kernel::Slice16;
}

std::uint32_t ChooseAndRun(std::uint32_t crc, const void* buffer, std::size_t count);

// Starts at the chooser, which replaces itself with the best kernel.
std::atomic<KernelFn> gKernel{ChooseAndRun};
std::atomic<Crc32Kernel> gActive{Crc32Kernel::Auto};

void Install(Crc32Kernel kernel) {
  gActive.store(kernel, std::memory_order_relaxed);
  gKernel.store(KernelFunction(kernel), std::memory_order_relaxed);
}

std::uint32_t ChooseAndRun(std::uint32_t crc, const void* buffer, std::size_t count) {
  Install(BestKernel());
  return gKernel.load(std::memory_order_relaxed)(crc, buffer, count);
}

}  // namespace

std::uint32_t Crc32Update(std::uint32_t crc, const void* buffer, std::size_t count) {
  return gKernel.load(std::memory_order_relaxed)(crc, buffer, count);
}

const char* Crc32KernelName(Crc32Kernel kernel) {
  switch (kernel) {
    case Crc32Kernel::Auto: return "auto";
    case Crc32Kernel::Slice16: return "slice16";
    case Crc32Kernel::Clmul: return "pclmul-sse4.1";
    case Crc32Kernel::Vpclmul256: return "vpclmul-avx2";
    case Crc32Kernel::Vpclmul512: return "vpclmul-avx512";
  }
  return "?";
}

bool Crc32KernelSupported(Crc32Kernel kernel) {
  switch (kernel) {
    case Crc32Kernel::Auto:
    case Crc32Kernel::Slice16: return true;
#ifdef QUOR_CRC32_X86
    case Crc32Kernel::Clmul: return Cpu().clmul;
    case Crc32Kernel::Vpclmul256: return Cpu().ymm;
    case Crc32Kernel::Vpclmul512: return Cpu().wide;
#endif
    default: return false;
  }
}

Crc32Kernel Crc32ActiveKernel() {
  const Crc32Kernel active = gActive.load(std::memory_order_relaxed);
  return active == Crc32Kernel::Auto ? BestKernel() : active;
}

bool Crc32ForceKernelForTest(Crc32Kernel kernel) {
  if (!Crc32KernelSupported(kernel)) return false;
  Install(kernel == Crc32Kernel::Auto ? BestKernel() : kernel);
  return true;
}

std::uint32_t Crc32UpdateWith(Crc32Kernel kernel, std::uint32_t crc, const void* buffer,
                              std::size_t count) {
  return KernelFunction(kernel == Crc32Kernel::Auto ? BestKernel() : kernel)(crc, buffer, count);
}
