#pragma once
// The record every run leaves for the administrator: one line per run in a UTF-8 text file
// of tab-separated columns under a header line, so that a script reads it with
// `Import-Csv -Delimiter "`t"`. It never holds a password, a user name, a link's query
// or any contact's values: only what the run did.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// The modes a line names.
inline constexpr char kWindowRunMode[] = "window";
inline constexpr char kUnattendedRunMode[] = "unattended";
// Only looked at what a run would do.
inline constexpr char kPreviewRunMode[] = "preview";

struct RunLogEntry {
    std::string started; // local time, ISO 8601 to the second: "2026-12-10T07:30:00"
    std::string mode;    // "window", "unattended" or "preview"
    int destination = 0; // the destination code
    std::string folder;  // UTF-8
    int exitCode = 0;
    std::string warning; // UTF-8; empty when the run ended without one
    size_t contacts = 0; // in the downloaded list
    size_t added = 0;
    size_t updated = 0;
    size_t removed = 0;
    size_t unchanged = 0;
    std::uint64_t bytes = 0; // downloaded
    double seconds = 0;      // the whole run
};

// The file's first line, after a UTF-8 byte order mark (so Windows PowerShell 5 reads it
// as UTF-8 without being told): the column names, in the order every line holds them.
extern const std::string_view kRunLogHeader;

// The log keeps its newest lines within this many bytes.
inline constexpr size_t kRunLogMaxBytes = 256u << 10;

// One line, without its line break. A tab or line break inside a text becomes a space, so
// every line keeps its columns.
std::string FormatRunLogLine(const RunLogEntry& entry);

// None for a line that is not one of the log's: the header, a cut or a foreign line.
std::optional<RunLogEntry> ParseRunLogLine(std::string_view line);

// The log's text with `line` appended: the header first when `log` has none, and the
// oldest lines dropped until the whole fits in `maxBytes`; the newest line always stays.
std::string AppendToRunLog(std::string_view log, std::string_view line, size_t maxBytes = kRunLogMaxBytes);

// The newest line of the log that parses and tells of a run: a preview changes nothing, so
// its lines are passed over. None for an empty or foreign log.
std::optional<RunLogEntry> LastRunIn(std::string_view log);

} // namespace tessaly
