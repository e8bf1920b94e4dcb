// The program's commands in the Explorer's right-click menus: four on
// folders, two on ".sfv" files, and ".sfv" as a file type of the program's
// own while a file command is on; the file check also on ".md5", ".sha1",
// ".sha256" and ".sha512" lists, beside their own program's commands. The
// registry is the only state; applying the same switches again changes
// nothing.
#pragma once

#include <string>

#include "platform/registry.h"

// Which of the six Explorer commands are wanted, one member per settings
// key; the initial values are those of a first start without a settings file.
struct ShellAssociations {
  bool RClickOnFileCheck = true;          // "CheckFile" on .sfv files (and the other lists), -TestFile
  bool RClickOnFileCheckSpe = false;      // "CheckSFile" on .sfv files, -TestFileS
  bool RClickOnFoldersCheck = true;       // "SFVTest" on folders, -TestFolder
  bool RClickOnFoldersCheckSpe = false;   // "SFVTestSpe" on folders, -TestFolderS
  bool RClickOnFoldersCreate = true;      // "SFVCreate" on folders, -CreateSFVFile
  bool RClickOnFoldersCreateSpe = false;  // "SFVCreateSpe" on folders, -CreateSFVFileS

  bool operator==(const ShellAssociations&) const = default;
};

// The command line Explorer runs for a verb: the program's path in
// quotation marks, the switch and "%1" in quotation marks, so that both the
// program and the clicked path stay one argument each even with blanks.
std::string ShellCommandLine(const std::string& programPath, const std::string& switchText);

// Brings one registry root, classes, into line with the six switches: writes
// every command that is on, removes every command that is off, takes ".sfv"
// over (keeping another program's file type in its value "SfvBac") while a
// file command is on and gives it back when both are off. The file check on
// the other checksum lists is a verb under SystemFileAssociations\<.ext>\shell
// and nothing more: their file types and default verbs are left alone. Returns "" on
// success, otherwise "Failed to set data for '<value>'" or "Invalid data type
// for '<value>'" (<value> is "" for a key's default value); the run stops at
// the failing step and what was written before stays.
std::string ApplyShellAssociations(platform::Registry& classes, const std::string& programPath,
                                   const ShellAssociations& flags);

// The program's own run: everything above goes to the user's own classes,
// never machine-wide. From machineClasses (where earlier versions wrote)
// every command is removed where it is the program's own, on or off:
// a verb whose command runs programPath, the ".sfv" type when its icon is
// programPath. What machineClasses refuses to give up stays and is no
// failure. Returns the error of the user's classes.
std::string ApplyShellAssociations(platform::Registry& userClasses, platform::Registry& machineClasses,
                                   const std::string& programPath, const ShellAssociations& flags);

#ifdef _WIN32
// The real thing: HKEY_CURRENT_USER\Software\Classes, with the leftovers in
// HKEY_LOCAL_MACHINE\Software\Classes; Explorer is told afterwards.
std::string ApplyShellAssociations(const std::string& programPath, const ShellAssociations& flags);
#endif
