// The CRC-32 kernels behind Crc32Update, for tests and benchmarks. The
// program itself never picks a kernel: Crc32Update chooses the fastest one
// the processor (and the operating system) supports the first time it runs.
#pragma once

#include <cstddef>
#include <cstdint>

enum class Crc32Kernel {
  Auto,        // whatever this processor's best is
  Slice16,     // portable: 16 table look-ups per 16 bytes
  Clmul,       // PCLMULQDQ + SSE4.1, 128-bit folding
  Vpclmul256,  // VPCLMULQDQ on AVX2 registers, 256-bit folding
  Vpclmul512,  // VPCLMULQDQ on AVX-512 registers, 512-bit folding
};

inline constexpr Crc32Kernel kAllCrc32Kernels[] = {Crc32Kernel::Slice16, Crc32Kernel::Clmul,
                                                   Crc32Kernel::Vpclmul256, Crc32Kernel::Vpclmul512};

const char* Crc32KernelName(Crc32Kernel kernel);

// True when this processor and operating system can run the kernel.
bool Crc32KernelSupported(Crc32Kernel kernel);

// The kernel Crc32Update uses (never Auto).
Crc32Kernel Crc32ActiveKernel();

// Test-only: makes Crc32Update use kernel from now on (Auto restores the
// processor's choice). False, and nothing changed, when it is unsupported.
// Not for use while other threads hash.
bool Crc32ForceKernelForTest(Crc32Kernel kernel);

// Runs one kernel directly, whatever Crc32Update uses. The kernel must be
// supported (Auto runs the processor's choice).
std::uint32_t Crc32UpdateWith(Crc32Kernel kernel, std::uint32_t crc, const void* buffer,
                              std::size_t count);
