// The CRC-32 kernels alone, in whichever build: shows which kernel the
// dispatch picks on this processor and what each one does.
#include "bench/bench_util.h"

int main() {
  const std::vector<unsigned char> buffer = bench::RandomBuffer(bench::kBufferBytes);
  std::printf("chosen kernel: %s\n", Crc32KernelName(Crc32ActiveKernel()));
  const std::vector<bench::Entry> entries = bench::KernelEntries();
  // Every kernel must agree before its speed means anything.
  const std::uint32_t reference = bench::ByteTable(0xFFFFFFFFu, buffer.data(), buffer.size());
  for (const bench::Entry& e : entries) {
    if (e.fn(0xFFFFFFFFu, buffer.data(), buffer.size()) != reference) {
      std::printf("%s gives a wrong CRC\n", e.name);
      return 1;
    }
  }
  const auto rates = bench::PrintTable(entries, buffer);
  std::printf("crc32-dispatched-vs-bytetable: %.2f\n", rates.front()[0] / rates.back()[0]);
  return 0;
}
