#include "contacts/CsvReader.h"

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
// One pass: the search for the line's end also finds the NUL that ends the text.
template <typename Take>
void ForEachLine(std::string_view text, Take&& take)
{
    const char* at = text.data();
    const char* const end = at + text.size();
    while (at < end) {
        const char* stop = at;
        while (stop < end && (static_cast<unsigned char>(*stop) > '\r' ||
                              (*stop != '\r' && *stop != '\n' && *stop != '\0')))
            ++stop;
        if (stop < end && *stop == '\0') {
            if (stop > at)
                take(at, stop);
            return;
        }
        take(at, stop);
        at = stop;
        if (at < end && *at == '\r')
            ++at;
        if (at < end && *at == '\n')
            ++at;
    }
}

// ReplaceAll(line, "\",", "\r\n") into a buffer that is reused from line to line.
void ReplaceSeparators(std::string_view line, std::string& out)
{
    out.clear();
    const char* at = line.data();
    const char* const end = at + line.size();
    const char* copied = at;
    while (at + 1 < end) {
        if (at[0] == '"' && at[1] == ',') {
            out.append(copied, at).append("\r\n", 2);
            at += 2;
            copied = at;
        } else {
            ++at;
        }
    }
    out.append(copied, end);
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
    std::string prepared;
    for (const std::string& line : lines) {
        if (stopRequested && stopRequested())
            return;
        ReplaceSeparators(TrimView(line), prepared);
        AddContact(list, prepared);
    }
}

} // namespace tessaly
