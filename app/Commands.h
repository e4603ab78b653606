#pragma once
// The switches that work without the window, for installers and login scripts:
//   -t              save the scheduled task from the settings file
//   -s Key=Value... write the given settings into the settings file ("Schedule=1": only
//                   if the scheduled task could then be saved from them)
//   -u              remove the scheduled task, the settings file and every other trace
//                   of the program (uninstall)
//   -p              print what a run would change in the folder, changing nothing (preview)
// Each answers through its exit code and, where one is attached, standard error.
#include "app/IniFile.h"
#include "scheduling/ScheduledTask.h"

#include <string>
#include <vector>

namespace tessaly {

enum CommandExit : int { kCommandDone = 0, kCommandRefused = 1, kCommandFailed = 3 };

// The task exactly as "Save Scheduled Task" would save it from these settings: refused
// (1) when the input check refuses them or when Interval or StartTime holds a value that
// is not one (the window would show a default instead), 3 when the Task Scheduler cannot
// save it.
// `message` says why when the result is not 0.
int SaveTaskFromSettings(const IniFile& ini, IScheduledTaskPlatform& platform, std::string& message);

// Deletes the scheduled task; a task that is not there is no error.
int RemoveScheduledTask(IScheduledTaskPlatform& platform, std::string& message);

// True when the first argument is one of the switches above; the command has then run
// and `exitCode` holds its result.
bool RunWindowlessCommand(int argc, char** argv, int& exitCode);

} // namespace tessaly
