#pragma once
// The input check in front of both actions, shared by the window and the windowless
// switches, and the settings an installer hands over as "Key=Value" arguments. Plain
// values only; the switches themselves live in app/Commands.
#include "app/IniFile.h"
#include "app/Settings.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

// The input check in front of both actions, in its order: the first problem found.
enum class InputProblem { None, BlankSource, NotWebLink, BlankFolder, NotPlainFolder };
InputProblem CheckActionInputs(std::string_view source, std::string_view folder, int destinationCode);

// The reason CheckActionInputs refuses these settings; empty when they pass.
std::string InputRefusal(const SettingsValues& values);

// The reason a run from the file would not start: InputRefusal's, or any other key whose
// characters this system cannot show (the run would not use what the file meant).
std::string RunRefusal(const SettingsValues& values);

// The reason the scheduled task cannot be saved from the file's Interval and StartTime
// as they stand: a value that is no number of days from 1 to 7, or no time of day.
// A missing key is no refusal: its default is meant. Empty when both may be used.
std::string ScheduleRefusal(const IniFile& ini);

// The day count the interval list would select for this code: the first item (1) when
// no item matches.
int IntervalOrFirst(int code);

// Checks every "Key=Value" argument (keys as in the settings file, any letter case) and
// only when all pass writes them into `ini`; an empty value means "not given" and leaves
// the key as it is, and one holding CR, LF or a character 0 is refused. The start time is
// stored in the program's own form, and texts go into a UTF-8 file through `conversion`.
// "Schedule=1" also requires the result to pass InputRefusal. Returns the refusal, naming
// the key (and the value, unless it held a line break), or empty when written.
std::string ApplySettingArguments(IniFile& ini, const std::vector<std::string>& arguments,
                                  const SettingsTextConversion& conversion);

} // namespace tessaly
