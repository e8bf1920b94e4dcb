#pragma once

// The program's version text, as the SFV header and the update check use it.
inline constexpr char kQuorVersion[] = "1.39";
