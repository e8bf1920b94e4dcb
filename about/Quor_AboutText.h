// The texts of the update check and of the About and Disclaimer windows
// that do not need a window: the judgement of the version document, the
// layout of the About lines and the no-warranty notice. Portable, so the
// tests reach them in both builds.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace about {

// Caption of the update window; a second check looks for it.
inline constexpr char kUpdateCaption[] = "Checking for update";

inline constexpr char kConnectingText[] = "Connecting..";
inline constexpr char kCantConnectText[] = "Cant connect to server..";
inline constexpr char kNoVersionInfoText[] = "Cant find version info..";
inline constexpr char kNoUpdateText[] = "No update available";

// The "Referer" the request carries: "UpdateCheck_" and the version.
std::string UpdateReferer(std::string_view version);

// What the update window shows for a reply. status is the HTTP status (0
// when the request failed); body the reply text; version the program's own.
// The reply is read without regard to case and the version is taken from
// the first "vinfo=" up to the next ";". A "vinfo=" with no ";" after it
// counts as no version info at all.
std::string UpdateOutcome(int status, std::string_view body, std::string_view version);

// The About text from its ten lines: 1, empty, 2, empty, 3 to 8, two empty
// lines, 9, empty, 10; lines joined by CR LF, none after the last.
std::string JoinAboutLines(const std::array<std::string, 10>& lines);

// The no-warranty notice of the Disclaimer window: 24 lines joined by CR LF,
// two paragraphs with an empty line between.
std::string_view DisclaimerText();

}  // namespace about
