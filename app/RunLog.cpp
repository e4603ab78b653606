#include "app/RunLog.h"

#include <array>
#include <charconv>
#include <utility>
#include <vector>

namespace tessaly {

const std::string_view kRunLogHeader =
    "Started\tMode\tDestination\tFolder\tExitCode\tWarning\tContacts\tAdded\tUpdated\tRemoved\tUnchanged\tBytes\tSeconds";

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLineBreak = "\r\n";
constexpr size_t kColumns = 13;

std::string OneLine(std::string_view text)
{
    std::string line(text);
    for (char& c : line) {
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    }
    return line;
}

template <typename Number>
std::string NumberText(Number value)
{
    std::array<char, 32> digits{};
    const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() ? std::string(digits.data(), end) : std::string();
}

std::string SecondsText(double seconds)
{
    std::array<char, 32> digits{};
    const auto [end, error] =
        std::to_chars(digits.data(), digits.data() + digits.size(), seconds, std::chars_format::fixed, 3);
    return error == std::errc() ? std::string(digits.data(), end) : std::string("0");
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::vector<std::string_view> Split(std::string_view line, char separator)
{
    std::vector<std::string_view> parts;
    for (;;) {
        const size_t at = line.find(separator);
        parts.push_back(line.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        line.remove_prefix(at + 1);
    }
}

std::string_view WithoutLineBreak(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    return line;
}

std::string_view WithoutByteOrderMark(std::string_view log)
{
    if (log.starts_with(kByteOrderMark))
        log.remove_prefix(kByteOrderMark.size());
    return log;
}

} // namespace

std::string FormatRunLogLine(const RunLogEntry& entry)
{
    const std::array<std::string, kColumns> columns{
        OneLine(entry.started),           OneLine(entry.mode),           NumberText(entry.destination),
        OneLine(entry.folder),            NumberText(entry.exitCode),    OneLine(entry.warning),
        NumberText(entry.contacts),       NumberText(entry.added),       NumberText(entry.updated),
        NumberText(entry.removed),        NumberText(entry.unchanged),   NumberText(entry.bytes),
        SecondsText(entry.seconds),
    };
    std::string line;
    for (size_t i = 0; i < columns.size(); ++i) {
        if (i > 0)
            line += '\t';
        line += columns[i];
    }
    return line;
}

std::optional<RunLogEntry> ParseRunLogLine(std::string_view line)
{
    const std::vector<std::string_view> columns = Split(WithoutLineBreak(line), '\t');
    if (columns.size() != kColumns || columns[0] == "Started")
        return std::nullopt;
    RunLogEntry entry;
    entry.started = columns[0];
    entry.mode = columns[1];
    entry.folder = columns[3];
    entry.warning = columns[5];
    if (entry.started.empty() || !ParseNumber(columns[2], entry.destination) ||
        !ParseNumber(columns[4], entry.exitCode) || !ParseNumber(columns[6], entry.contacts) ||
        !ParseNumber(columns[7], entry.added) || !ParseNumber(columns[8], entry.updated) ||
        !ParseNumber(columns[9], entry.removed) || !ParseNumber(columns[10], entry.unchanged) ||
        !ParseNumber(columns[11], entry.bytes) || !ParseNumber(columns[12], entry.seconds))
        return std::nullopt;
    return entry;
}

std::string AppendToRunLog(std::string_view log, std::string_view line, size_t maxBytes)
{
    std::string_view body = WithoutByteOrderMark(log);
    if (body.starts_with(kRunLogHeader)) {
        const size_t end = body.find('\n');
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
    }
    // A log cut short by a failed write ends in a partial line: it starts a line of its own.
    const bool cut = !body.empty() && body.back() != '\n';
    const size_t fixed = kByteOrderMark.size() + kRunLogHeader.size() + kLineBreak.size() + line.size() +
                         kLineBreak.size() + (cut ? kLineBreak.size() : 0);
    // The oldest whole lines go first.
    while (!body.empty() && fixed + body.size() > maxBytes) {
        const size_t end = body.find('\n');
        body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
    }
    std::string text;
    text.reserve(fixed + body.size());
    text.append(kByteOrderMark).append(kRunLogHeader).append(kLineBreak).append(body);
    if (!body.empty() && body.back() != '\n')
        text.append(kLineBreak);
    text.append(line).append(kLineBreak);
    return text;
}

std::optional<RunLogEntry> LastRunIn(std::string_view log)
{
    std::optional<RunLogEntry> last;
    for (std::string_view line : Split(WithoutByteOrderMark(log), '\n')) {
        std::optional<RunLogEntry> entry = ParseRunLogLine(line);
        if (entry && entry->mode != kPreviewRunMode)
            last = std::move(entry);
    }
    return last;
}

} // namespace tessaly
