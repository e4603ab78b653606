#include "contacts/CsvReader.h"

#include "base/TextHelpers.h"

#include <algorithm>
#include <memory>
#include <utility>

namespace tessaly {

namespace {

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

// The fields AddContact would find in ReplaceAll(line, "\",", "\r\n"), taken as views of
// the line itself: the pieces between separators, with the blanks trimmed off the row's
// two ends (a blank piece there vanishes, as the trim takes the line break with it).
// False when the line holds a CR, LF or NUL, whose splitting that shortcut ignores.
bool FieldsOfRow(std::string_view line, std::vector<std::string_view>& fields)
{
    fields.clear();
    const char* at = line.data();
    const char* const end = at + line.size();
    const char* piece = at;
    for (; at < end; ++at) {
        const char ch = *at;
        if (ch == '"') {
            if (at + 1 < end && at[1] == ',') {
                fields.emplace_back(piece, static_cast<size_t>(at - piece));
                piece = at + 2;
                ++at;
            }
        } else if (ch == '\r' || ch == '\n' || ch == '\0') {
            return false;
        }
    }
    fields.emplace_back(piece, static_cast<size_t>(end - piece));

    auto blank = [](std::string_view field) { return TrimView(field).empty(); };
    size_t first = 0;
    while (first < fields.size() && blank(fields[first]))
        ++first;
    size_t last = fields.size();
    while (last > first && blank(fields[last - 1]))
        --last;
    if (first == last) {
        fields.clear();
        return true;
    }
    fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(last), fields.end());
    fields.erase(fields.begin(), fields.begin() + static_cast<std::ptrdiff_t>(first));
    while (IsBlank(fields.front().front()))
        fields.front().remove_prefix(1);
    while (IsBlank(fields.back().back()))
        fields.back().remove_suffix(1);
    return true;
}

// A row without any value is dropped before it takes room in the list.
template <typename Fields>
void AddIfContact(ContactList& list, const Fields& fields)
{
    ContactInfo record(fields);
    if (record.HasValue())
        list.Add(std::make_unique<ContactInfo>(std::move(record)));
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

BodyLines SplitBody(std::string_view body)
{
    const BodyEncoding encoding = DecideEncoding(body);
    BodyLines split;
    split.codePage = encoding.codePage;
    // An empty line after the header gives no contact, and a string of its own for each
    // would let a body of bare CRs cost thirty times its size: only the header's place
    // is kept, empty or not.
    std::vector<std::string>& lines = split.lines;
    ForEachLine(body.substr(encoding.markLength), [&](const char* begin, const char* end) {
        if (begin != end || lines.empty())
            lines.emplace_back(begin, end);
    });
    return split;
}

void AddContact(ContactList& list, const std::string& line)
{
    // The fields are views into the line; the record copies the ones it keeps.
    std::vector<std::string_view> fields;
    ForEachLine(TrimView(line), [&](const char* begin, const char* end) {
        fields.emplace_back(begin, static_cast<size_t>(end - begin));
    });
    AddIfContact(list, fields);
}

namespace {

// `ansiToUtf8` is null for lines that are UTF-8 already.
void ParseLines(ContactList& list, std::vector<std::string>& lines, const StopCheck& stopRequested,
                const AnsiToUtf8Conversion* ansiToUtf8)
{
    if (lines.empty())
        return;
    lines.erase(lines.begin()); // the header is never examined
    std::vector<std::string_view> fields;
    for (std::string& line : lines) {
        if (stopRequested && stopRequested())
            return;
        // Quotes and commas stay single bytes, and a converted double-byte character no
        // longer holds a second byte that reads as one of them.
        if (ansiToUtf8 && !IsAscii(line))
            line = (*ansiToUtf8)(line);
        const std::string_view trimmed = TrimView(line);
        if (FieldsOfRow(trimmed, fields))
            AddIfContact(list, fields);
        else
            AddContact(list, ReplaceAll(trimmed, "\",", "\r\n"));
        // Each line is done with: its memory goes to the records that follow, so the file
        // is not held twice over, as lines and as records, at the end of a large parse.
        std::string().swap(line);
    }
}

} // namespace

void ParseRows(ContactList& list, std::vector<std::string>& lines, const StopCheck& stopRequested)
{
    ParseLines(list, lines, stopRequested, nullptr);
}

void ParseBody(ContactList& list, BodyLines& body, const StopCheck& stopRequested,
               const AnsiToUtf8Conversion& ansiToUtf8)
{
    ParseLines(list, body.lines, stopRequested, body.codePage == TextCodePage::Ansi ? &ansiToUtf8 : nullptr);
}

} // namespace tessaly
