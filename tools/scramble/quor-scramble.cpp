// quor-scramble KEY TEXT...: prints the stored text for TEXT (the arguments
// joined by blanks) under the integer KEY, and checks that it unscrambles
// back. Not part of the program.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "about/Quor_Unscramble.h"
#include "tools/scramble/Quor_Scramble.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: quor-scramble KEY TEXT...\n");
    return 2;
  }
  char* end = nullptr;
  const long long key = std::strtoll(argv[1], &end, 0);
  if (*end != '\0' || key < INT32_MIN || key > UINT32_MAX) {
    std::fprintf(stderr, "quor-scramble: KEY must be a 32-bit integer\n");
    return 2;
  }
  std::string text = argv[2];
  for (int i = 3; i < argc; ++i) text += std::string(" ") + argv[i];
  const auto key32 = static_cast<std::int32_t>(static_cast<std::uint32_t>(key));
  const std::string stored = ScrambleText(text, key32);
  if (UnscrambleText(stored, key32) != text) {
    std::fprintf(stderr, "quor-scramble: the text does not come back\n");
    return 1;
  }
  std::printf("%s\n", stored.c_str());
  return 0;
}
