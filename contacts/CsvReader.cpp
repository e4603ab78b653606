#include "contacts/CsvReader.h"

#include "app/TextHelpers.h"

#include <algorithm>
#include <cstring>

namespace tessaly {

namespace {

bool IsBlank(char ch)
{
    return static_cast<unsigned char>(ch) <= 32;
}

std::string_view TrimView(std::string_view text)
{
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// Calls take(begin, end) for every line of the text, by the same rules as SplitLines.
template <typename Take>
void ForEachLine(std::string_view text, Take&& take)
{
    const char* at = text.data();
    const char* end = at + text.size();
    if (const void* nul = std::memchr(at, 0, text.size()))
        end = static_cast<const char*>(nul);
    while (at < end) {
        const char* stop = at;
        while (stop < end && *stop != '\r' && *stop != '\n')
            ++stop;
        take(at, stop);
        at = stop;
        if (at < end && *at == '\r')
            ++at;
        if (at < end && *at == '\n')
            ++at;
    }
}

} // namespace

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    // Most files end their lines with LF; CR-only files simply grow the vector.
    lines.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
    ForEachLine(text, [&](const char* begin, const char* end) { lines.emplace_back(begin, end); });
    return lines;
}

void AddContact(TContactList& list, const std::string& line)
{
    // The field list is reused from row to row so its strings keep their buffers.
    thread_local std::vector<std::string> fields;
    size_t count = 0;
    ForEachLine(TrimView(line), [&](const char* begin, const char* end) {
        if (count < fields.size())
            fields[count].assign(begin, end);
        else
            fields.emplace_back(begin, end);
        ++count;
    });
    fields.resize(count);
    list.Emplace(fields);
}

void ParseRows(TContactList& list, std::vector<std::string>& lines, const StopCheck& stopRequested)
{
    if (lines.empty())
        return;
    lines.erase(lines.begin()); // the header is never examined
    for (const std::string& line : lines) {
        if (stopRequested && stopRequested())
            return;
        AddContact(list, ReplaceAll(TrimView(line), "\",", "\r\n"));
    }
}

} // namespace tessaly
