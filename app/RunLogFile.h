#pragma once
// The run log on disk: "runs.log" in the program's folder of the user's local data.
#include "app/RunLog.h"

#include <optional>
#include <string>

namespace tessaly {

// Where the log is kept; empty when the local data folder cannot be had.
std::wstring RunLogPath();

// Adds the entry's line to the log at `path`, trimming it to its bound. False when the
// log could not be written; a run never fails for that, so the caller may go on. A
// read-only log is left as it is.
bool AppendRunLogLine(const std::wstring& path, const RunLogEntry& entry);

// The newest run the log at `path` tells of; none when there is no readable log.
std::optional<RunLogEntry> ReadLastRun(const std::wstring& path);

} // namespace tessaly
