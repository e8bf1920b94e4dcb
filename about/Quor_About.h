// The About and Disclaimer windows: a block of centred text and an "OK"
// button in a modal window sized to fit the text.
#pragma once

#include <windows.h>

#include <string>

namespace about {

inline constexpr char kTextWindowClassName[] = "TQuorTextForm";
inline constexpr char kAboutCaption[] = "About this little proggy..";
inline constexpr char kDisclaimerCaption[] = "Disclaimer..";

// Shows text (lines separated by CR LF) in a modal window with the given
// caption until "OK", Enter or the close box ends it. owner, when given, is
// disabled meanwhile.
void ShowTextWindow(const std::string& text, const std::string& caption, HWND owner = nullptr);

// The About text: the ten stored lines in their layout.
std::string AboutText();
void ShowAbout(HWND owner = nullptr);
void ShowDisclaimer(HWND owner = nullptr);

}  // namespace about
