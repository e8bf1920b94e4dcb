// Shows that reading SFV files and scanning folders take time in proportion
// to their size: each job is timed at two sizes, and the line printed is the
// cost per item at the large size over the cost per item at the small size
// (about 1 when linear; a quadratic step would show as about 4).
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "core/Quor_MiscFileLib.h"
#include "core/Quor_Sfv.h"
#include "platform/fs.h"

namespace {

double Seconds(const std::function<void()>& job) {
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    job();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (took.count() < best) best = took.count();
  }
  return best;
}

void WriteFile(const std::string& path, const std::string& text) {
  platform::File file = platform::File::Open(path, platform::Access::Write, platform::Share::Read,
                                             platform::Disposition::CreateAlways);
  std::string error;
  file.Write(text.data(), text.size(), error);
}

std::string Scratch(const std::string& name) {
  std::string folder = platform::TempFolder() + "quor-bench-scaling" + platform::kPathSep;
  platform::CreateFolder(folder);
  return folder + name;
}

double SfvLoadCostPerLine(std::size_t lines) {
  std::string text;
  for (std::size_t i = 0; i < lines; ++i) text += "Some.Release.Name.part" + std::to_string(i) + ".rar 0A1B2C3D\r\n";
  const std::string path = Scratch("lines-" + std::to_string(lines) + ".sfv");
  WriteFile(path, text);
  std::size_t got = 0;
  const double seconds = Seconds([&] { got = LoadSfvFile(path).lines.size(); });
  platform::RemoveFile(path);
  if (got != lines) std::printf("LoadSfvFile read %zu of %zu lines\n", got, lines);
  return seconds / static_cast<double>(lines);
}

double FolderScanCostPerFile(std::size_t files) {
  const std::string folder = Scratch("scan-" + std::to_string(files));
  platform::CreateFolder(folder);
  for (std::size_t i = 0; i < files; ++i) {
    WriteFile(folder + platform::kPathSep + "f" + std::to_string(i) + ".sfv", "");
  }
  std::uint32_t found = 0;
  const double seconds = Seconds([&] { found = FindSfvFiles(folder, true, false).count; });
  for (std::size_t i = 0; i < files; ++i) platform::RemoveFile(folder + platform::kPathSep + "f" + std::to_string(i) + ".sfv");
  platform::RemoveFolder(folder);
  if (found != files) std::printf("FindSfvFiles found %u of %zu files\n", found, files);
  return seconds / static_cast<double>(files);
}

}  // namespace

int main() {
  const double small = SfvLoadCostPerLine(50000);
  const double large = SfvLoadCostPerLine(200000);
  std::printf("LoadSfvFile: %.0f ns/line at 50,000 lines, %.0f ns/line at 200,000\n", small * 1e9, large * 1e9);
  std::printf("sfv-load-200k-vs-50k-per-line: %.2f\n", large / small);

  const double fewFiles = FolderScanCostPerFile(2500);
  const double manyFiles = FolderScanCostPerFile(10000);
  std::printf("FindSfvFiles: %.0f ns/file at 2,500 SFV files, %.0f ns/file at 10,000\n", fewFiles * 1e9,
              manyFiles * 1e9);
  std::printf("sfv-scan-10k-vs-2500-per-file: %.2f\n", manyFiles / fewFiles);
  platform::RemoveFolder(Scratch(""));
  return 0;
}
