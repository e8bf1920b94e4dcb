#pragma once

// The program's version: the numbers and text the version resources of
// Quor.exe and quor-cli.exe carry (the resource compiler reads only the
// macros), and the text the SFV header and the update check use.
#define QUOR_VERSION_MAJOR 1
#define QUOR_VERSION_MINOR 39
#define QUOR_VERSION_TEXT "1.39"

#ifndef RC_INVOKED
inline constexpr char kQuorVersion[] = QUOR_VERSION_TEXT;
#endif
