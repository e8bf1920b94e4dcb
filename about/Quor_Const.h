// The program's stored texts: each a Base64 text made by tools/scramble and
// the key it is unscrambled with.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct StoredText {
  const char* text;
  std::int32_t key;
};

// The main window's caption without progress.
extern const StoredText kMainCaption;
// The full HTTP address of the version document the update check fetches.
extern const StoredText kUpdateCheckAddress;
// The base address of the program's web site (the update window appends
// "/ZOZUvavada/" when it opens it).
extern const StoredText kSiteAddress;
// The ten lines of the About window, in their order.
inline constexpr int kAboutLineCount = 10;
extern const std::array<StoredText, kAboutLineCount> kAboutLines;

// UnscrambleText of the stored text with its key.
std::string Unscramble(const StoredText& stored);
