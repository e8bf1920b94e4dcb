// Small routines shared by the windows and the check worker.
#pragma once

#include <cstdint>
#include <string>

#include "shell/Quor_Associations.h"  // ApplyShellAssociations

// The number in decimal with the user's thousands separator every three digits.
std::string FormatThousands(std::uint64_t value);

// The file name of an SFV file's progress file: the SFV file's folder name,
// "_" and its file name, lower-case ("" for a path without a separator).
std::string ProgressFileName(const std::string& sfvPath);
