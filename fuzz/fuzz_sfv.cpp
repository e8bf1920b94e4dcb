// Feeds arbitrary bytes to the SFV reader: as one line to IsSfvLine and
// SplitSfvLine, to the encoding decision, and as a whole file to LoadSfvFile.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Quor_Sfv.h"
#include "core/Quor_Text.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

std::string ScratchFile() {
  static const std::string path = platform::TempFolder() + "quor-fuzz-sfv-" + std::to_string(getpid()) + ".sfv";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  std::string line = bytes.substr(0, bytes.find_first_of("\r\n"));
  const std::string before = line;
  if (IsSfvLine(line)) {
    std::string name;
    std::uint32_t crc = 0;
    if (!SplitSfvLine(line, name, crc)) std::abort();  // an accepted line always splits
    if (line.size() != before.size() && line.size() + 2 != before.size()) std::abort();
  }

  // Whatever the bytes, the text inside is UTF-8, and text the program
  // writes reads back as itself.
  const std::string text = platform::DecodeFileText(bytes);
  if (!platform::IsValidUtf8(text)) std::abort();
  if (platform::DecodeFileText(platform::EncodeFileText(text)) != text && text.compare(0, 3, "\xEF\xBB\xBF") != 0) std::abort();

  {
    platform::File file = platform::File::Open(ScratchFile(), platform::Access::Write, platform::Share::Read,
                                               platform::Disposition::CreateAlways);
    std::string error;
    file.Write(bytes.data(), bytes.size(), error);
  }
  SfvContent content = LoadSfvFile(ScratchFile());
  for (std::string& fileLine : content.lines) {
    if (!platform::IsValidUtf8(fileLine)) std::abort();
    std::string copy = fileLine;
    if (!IsSfvLine(copy) || copy != fileLine) std::abort();  // kept lines are already in final form
  }
  return 0;
}
