// What the option items of the main menu do to the settings, apart from the
// window: the toggles (with the exclusive "Rename Bad Rar(s)" / "Make Dummy
// of Bad Rar(s)" pair), the six association flags, the colour items, and the
// three "Create Options" items that ask for a file or a text. The dialogs
// come in as callbacks, so the same rules run under the window and in tests.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "settings/Quor_Config.h"

// Flips the option of a plain check-mark item (and, for the Rename / Dummy
// pair, unchecks the other one when the clicked one becomes checked). False,
// and nothing changed, for a command that is no such item.
bool ToggleOptionItem(SettingsModel& settings, int command);

// The flag of one of the six "Set Associations" items, or null.
bool* AssociationFlag(ShellAssociations& flags, int command);

// The colour setting of one of the five colour items, or null.
std::uint32_t* ColourOfItem(ColourTable& colours, int command);

// A one-line input box: caption, prompt (may hold CR LF) and preset text.
struct InputRequest {
  std::string caption;
  std::string prompt;
  std::string preset;
};
// The text as confirmed, or nothing when cancelled.
using AskTextFn = std::function<std::optional<std::string>(const InputRequest&)>;
// An open-file dialog: the chosen file, or nothing when cancelled.
using ChooseFileFn = std::function<std::optional<std::string>()>;

// "Include NFO In SFV": flips the check mark; when it becomes checked the
// file is asked for, and the mark stays only when one was chosen. The file
// name is the dialog's (empty after a cancel); unchecking keeps it.
void IncludeNfoClick(CreateOptions& options, const ChooseFileFn& chooseFile);

// "File Types To Exclude": the input box, pre-filled with the patterns; the
// text is taken as typed. True when confirmed (something to save).
InputRequest ExcludeTypesRequest(const std::string& current);
bool FileTypesToExcludeClick(CreateOptions& options, const AskTextFn& ask);

// The name rule of "Set Default SFV File Name": a text that is not empty and
// whose extension, lower-cased, is not ".sfv" gets ".sfv" appended
// ("check" -> "check.sfv", "x.txt" -> "x.txt.sfv", "a.SFV" stays, "" stays).
std::string WithSfvExtension(const std::string& name);

InputRequest DefaultFileNameRequest(const std::string& current);
enum class DefaultNameOutcome { Cancelled, Stored, Refused };
// "Set Default SFV File Name": the input box; a confirmed plain name is
// stored by the rule above; a name with a folder part or a forbidden
// character is refused and the setting left as it was.
DefaultNameOutcome SetDefaultSfvFileNameClick(CreateOptions& options, const AskTextFn& ask);
// What the refusal says.
inline constexpr char kBadDefaultNameMessage[] =
    "The default file name must be a plain file name, without a folder and without any of \\ / : * ? \" < > |";
