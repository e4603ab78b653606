#include "app/LastRunText.h"

#include "app/SyncRun.h"

#include <charconv>
#include <utility>

namespace tessaly {

namespace {

bool ReadDigits(std::string_view text, size_t at, size_t count, int& value)
{
    if (at + count > text.size())
        return false;
    const char* first = text.data() + at;
    for (size_t i = 0; i < count; ++i) {
        if (first[i] < '0' || first[i] > '9')
            return false;
    }
    return std::from_chars(first, first + count, value).ec == std::errc();
}

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The warning on the line: blanks run together (the log turns line breaks into blanks),
// cut at a word before kLastRunWarningMax bytes and never inside a UTF-8 character.
std::string ShortWarning(std::string_view warning)
{
    std::string text;
    for (char c : warning) {
        if (c == ' ' && (text.empty() || text.back() == ' '))
            continue;
        text += c;
    }
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    if (text.size() <= kLastRunWarningMax)
        return text;
    constexpr std::string_view kMore = "...";
    size_t cut = kLastRunWarningMax - kMore.size();
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    const size_t blank = text.rfind(' ', cut);
    if (blank != std::string::npos && blank > cut / 2)
        cut = blank;
    text.resize(cut);
    while (!text.empty() && (text.back() == ' ' || text.back() == ',' || text.back() == '.'))
        text.pop_back();
    return text + std::string(kMore);
}

std::string Count(size_t value)
{
    return std::to_string(value);
}

} // namespace

std::optional<LocalDateTime> ParseLogTime(std::string_view text)
{
    LocalDateTime time;
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
        text[16] != ':')
        return std::nullopt;
    if (!ReadDigits(text, 0, 4, time.year) || !ReadDigits(text, 5, 2, time.month) ||
        !ReadDigits(text, 8, 2, time.day) || !ReadDigits(text, 11, 2, time.hour) ||
        !ReadDigits(text, 14, 2, time.minute) || !ReadDigits(text, 17, 2, time.second))
        return std::nullopt;
    if (time.year < 1601 || time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > DaysInMonth(time.year, time.month) || time.hour > 23 || time.minute > 59 || time.second > 59)
        return std::nullopt;
    return time;
}

std::string LastRunText(const RunLogEntry& run, const DateTimeFormatter& formatWhen)
{
    const std::optional<LocalDateTime> started = ParseLogTime(run.started);
    std::string text = "Last run " + (started ? formatWhen(*started) : run.started) + ": ";
    switch (run.exitCode) {
    case SyncRun::kExitSucceeded: {
        // Only what happened: a daily run of a list that hardly moves stays short.
        std::string changes;
        for (const auto& [count, what] : {std::pair{run.added, " added"}, std::pair{run.updated, " changed"},
                                          std::pair{run.removed, " removed"}}) {
            if (count > 0)
                changes += (changes.empty() ? "" : ", ") + Count(count) + what;
        }
        return text + (changes.empty() ? "nothing changed" : changes);
    }
    case SyncRun::kExitInterrupted:
        return text + "interrupted";
    case SyncRun::kExitRemoveLimit:
        return text + "stopped, it would remove too many contacts";
    default: {
        const std::string warning = ShortWarning(run.warning);
        return text + (warning.empty() ? "failed" : "failed: " + warning);
    }
    }
}

} // namespace tessaly
