// Feeds arbitrary bytes to the Base64 decoder and to UnscrambleText, and
// checks both against their inverses: whatever UnscrambleText gives,
// scrambling it again gives back the decoded bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "about/Quor_Unscramble.h"
#include "tools/scramble/Quor_Scramble.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::int32_t key = 0;
  if (size >= 4) {
    std::memcpy(&key, data, 4);
    data += 4;
    size -= 4;
  }
  const std::string stored(reinterpret_cast<const char*>(data), size);

  const std::string decoded = DecodeBase64(stored);
  if (decoded.size() > stored.size() / 4 * 3) std::abort();
  // Valid Base64 is canonical: encoding the bytes again gives the text up to where decoding stopped.
  const std::string encoded = EncodeBase64(decoded);
  if (stored.compare(0, encoded.size(), encoded) != 0 && encoded.find('=') == std::string::npos) std::abort();

  const std::string text = UnscrambleText(stored, key);
  if (text.size() != decoded.size()) std::abort();
  if (ScrambleBytes(text, key) != decoded) std::abort();
  if (UnscrambleText(stored, key) != text) std::abort();  // no state between calls

  // And the other way round: the bytes as plain text.
  if (UnscrambleText(ScrambleText(stored, key), key) != stored) std::abort();
  return 0;
}
