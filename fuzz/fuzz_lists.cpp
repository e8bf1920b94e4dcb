// Feeds arbitrary bytes to the readers of checksum lists other than SFV
// files: as one line to the GNU and BSD readers (with and without a hash
// from the list's name), and as a whole file to LoadChecksumList.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/Quor_ChecksumList.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace {

std::string ScratchFile() {
  static const std::string path = platform::TempFolder() + "quor-fuzz-lists-" + std::to_string(getpid()) + ".sha256";
  return path;
}

// What every entry a reader gives holds: a name, and as many bytes as its hash makes.
void CheckEntry(const std::optional<ListEntry>& entry) {
  if (!entry) return;
  if (entry->name.empty() || entry->expected.size() != HashLength(entry->hash)) std::abort();
  // A written line reads back as the same entry.
  const std::optional<ListEntry> again = ReadGnuLine(FormatGnuLine(entry->name, entry->expected), entry->hash);
  if (!again || again->name != entry->name || again->expected != entry->expected) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string line = bytes.substr(0, bytes.find_first_of("\r\n"));
  CheckEntry(ReadBsdLine(line));
  CheckEntry(ReadGnuLine(line, std::nullopt));
  CheckEntry(ReadGnuLine(line, HashKind::Sha256));

  {
    platform::File file = platform::File::Open(ScratchFile(), platform::Access::Write, platform::Share::Read,
                                               platform::Disposition::CreateAlways);
    std::string error;
    file.Write(bytes.data(), bytes.size(), error);
  }
  const ChecksumList list = LoadChecksumList(ScratchFile());
  for (const ListEntry& entry : list.entries) {
    if (!platform::IsValidUtf8(entry.name)) std::abort();
    CheckEntry(entry);
  }
  return 0;
}
