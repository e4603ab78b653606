#pragma once
// The settings as the windowless switches see them: the input check that guards both
// actions, and the settings an installer hands over as "Key=Value" arguments. Plain
// values only; the switches themselves live in app/Commands.
#include "app/IniFile.h"
#include "app/Settings.h"

#include <string>
#include <vector>

namespace tessaly {

// The reason the window's input check would refuse these settings for an action
// (blank link, not an http(s) link, blank folder, a folder Windows Mail cannot hold);
// empty when they pass.
std::string InputRefusal(const SettingsValues& values);

// The day count the interval list would select for this code: the first item (1) when
// no item matches.
int IntervalOrFirst(int code);

// Checks every "Key=Value" argument (keys as in the settings file, any letter case) and
// only when all pass writes them into `ini`; an empty value means "not given" and leaves
// the key as it is. The start time is stored in the program's own form. "Schedule=1"
// also requires the result to pass InputRefusal. Returns the refusal, naming the key and
// the value, or empty when written.
std::string ApplySettingArguments(TIniFile& ini, const std::vector<std::string>& arguments);

} // namespace tessaly
