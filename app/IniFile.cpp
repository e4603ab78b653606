#include "app/IniFile.h"

#include "base/TextHelpers.h"

#include <charconv>
#include <climits>

namespace tessaly {

namespace {

// CR LF, LF and a lone CR all end a line.
std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

} // namespace

bool ParseIniInteger(std::string_view text, int& value)
{
    const std::string trimmed = Trim(text);
    std::string_view digits = trimmed;
    bool negative = false;
    if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    int base = 10;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        digits.remove_prefix(2);
    }
    if (digits.empty() || digits[0] == '-' || digits[0] == '+')
        return false;
    long long magnitude = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude, base);
    if (error != std::errc() || end != digits.data() + digits.size())
        return false;
    const long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue < INT_MIN || signedValue > INT_MAX)
        return false;
    value = static_cast<int>(signedValue);
    return true;
}

TIniFile TIniFile::Parse(std::string_view text)
{
    TIniFile ini;
    // Editors save UTF-8 with this mark; left in, it would hide the first section.
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
        ini.byteOrderMark_ = true;
    }
    Section* current = nullptr;
    for (std::string_view raw : SplitLines(text)) {
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == ';')
            continue;
        if (line.front() == '[' && line.back() == ']' && line.size() >= 2) {
            current = &ini.SectionFor(std::string_view(line).substr(1, line.size() - 2));
            continue;
        }
        if (current == nullptr)
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos)
            current->entries.push_back(Entry{line, {}, false});
        else
            current->entries.push_back(Entry{Trim(std::string_view(line).substr(0, eq)),
                                             Trim(std::string_view(line).substr(eq + 1)), true});
    }
    return ini;
}

std::string TIniFile::ToText() const
{
    std::string text(byteOrderMark_ ? kByteOrderMark : std::string_view());
    for (const Section& section : sections_) {
        text += '[' + section.name + "]\r\n";
        for (const Entry& entry : section.entries) {
            text += entry.key;
            if (entry.hasValue)
                text += '=' + entry.value;
            text += "\r\n";
        }
        text += "\r\n";
    }
    return text;
}

const TIniFile::Section* TIniFile::FindSection(std::string_view name) const
{
    for (const Section& section : sections_)
        if (SameTextIgnoringAsciiCase(section.name, name))
            return &section;
    return nullptr;
}

TIniFile::Section& TIniFile::SectionFor(std::string_view name)
{
    for (Section& section : sections_)
        if (SameTextIgnoringAsciiCase(section.name, name))
            return section;
    sections_.push_back(Section{std::string(name), {}});
    return sections_.back();
}

bool TIniFile::SectionExists(std::string_view section) const
{
    return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const
{
    if (const Section* found = FindSection(section))
        for (const Entry& entry : found->entries)
            if (entry.hasValue && SameTextIgnoringAsciiCase(entry.key, key))
                return true;
    return false;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    if (const Section* found = FindSection(section))
        for (const Entry& entry : found->entries)
            if (entry.hasValue && SameTextIgnoringAsciiCase(entry.key, key))
                return entry.value;
    return std::string(fallback);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const
{
    int value = fallback;
    if (!ValueExists(section, key) || !ParseIniInteger(ReadString(section, key, {}), value))
        return fallback;
    return value;
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    Section& target = SectionFor(section);
    for (Entry& entry : target.entries) {
        if (entry.hasValue && SameTextIgnoringAsciiCase(entry.key, key)) {
            entry.value = std::string(value);
            return;
        }
    }
    target.entries.push_back(Entry{std::string(key), std::string(value), true});
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

} // namespace tessaly
