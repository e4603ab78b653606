#include "app/IniFile.h"

#include "base/TextHelpers.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <stdexcept>

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

bool Quoted(std::string_view value)
{
    return value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
}

// Windows' own reading of these files (GetPrivateProfileString) drops one pair of
// matching quotes around a value; administrators write them out of habit.
std::string WithoutSurroundingQuotes(std::string_view value)
{
    return std::string(Quoted(value) ? value.substr(1, value.size() - 2) : value);
}

// A value is written as it is; only one that would lose its own surrounding quotes on
// reading gets one more pair, so it reads back unchanged.
std::string StoredForm(std::string_view value)
{
    return Quoted(value) ? '"' + std::string(value) + '"' : std::string(value);
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

IniFile IniFile::Parse(std::string_view text)
{
    IniFile ini;
    // Editors save UTF-8 with this mark; left in, it would hide the first section.
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
        ini.byteOrderMark_ = true;
    }
    bool inSection = false;
    for (std::string_view raw : SplitLines(text)) {
        Line line{Kind::Other, std::string(raw), {}, {}};
        const std::string_view trimmed = TrimView(raw);
        if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']') {
            line.kind = Kind::Header;
            line.name = std::string(trimmed.substr(1, trimmed.size() - 2));
            inSection = true;
        } else if (inSection && !trimmed.empty() && trimmed[0] != ';') {
            const size_t eq = trimmed.find('=');
            if (eq != std::string_view::npos) {
                line.kind = Kind::Entry;
                line.name = Trim(trimmed.substr(0, eq));
                line.value = WithoutSurroundingQuotes(TrimView(trimmed.substr(eq + 1)));
            }
        }
        ini.lines_.push_back(std::move(line));
    }
    return ini;
}

std::string IniFile::ToText() const
{
    std::string text(byteOrderMark_ ? kByteOrderMark : std::string_view());
    for (const Line& line : lines_) {
        text += line.text;
        text += "\r\n";
    }
    return text;
}

size_t IniFile::FindEntry(std::string_view section, std::string_view key) const
{
    bool inSection = false;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Header)
            inSection = SameTextIgnoringAsciiCase(line.name, section);
        else if (inSection && line.kind == Kind::Entry && SameTextIgnoringAsciiCase(line.name, key))
            return i;
    }
    return std::string::npos;
}

bool IniFile::SectionExists(std::string_view section) const
{
    return std::any_of(lines_.begin(), lines_.end(), [&](const Line& line) {
        return line.kind == Kind::Header && SameTextIgnoringAsciiCase(line.name, section);
    });
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const
{
    return FindEntry(section, key) != std::string::npos;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key, std::string_view fallback) const
{
    const size_t found = FindEntry(section, key);
    return found == std::string::npos ? std::string(fallback) : lines_[found].value;
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int fallback) const
{
    int value = fallback;
    if (!ValueExists(section, key) || !ParseIniInteger(ReadString(section, key, {}), value))
        return fallback;
    return value;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value)
{
    // Its second line would be read as an entry of its own.
    if (HoldsLineBreak(value))
        throw std::invalid_argument("The value of " + std::string(key) + " holds a line break.");
    const size_t found = FindEntry(section, key);
    if (found != std::string::npos) {
        Line& line = lines_[found];
        line.value = std::string(value);
        line.text = line.name + '=' + StoredForm(value);
        return;
    }
    Line entry{Kind::Entry, std::string(key) + '=' + StoredForm(value), std::string(key), std::string(value)};
    const auto header = std::find_if(lines_.begin(), lines_.end(), [&](const Line& line) {
        return line.kind == Kind::Header && SameTextIgnoringAsciiCase(line.name, section);
    });
    if (header == lines_.end()) {
        if (!lines_.empty() && !TrimView(lines_.back().text).empty())
            lines_.push_back(Line{});
        lines_.push_back(Line{Kind::Header, '[' + std::string(section) + ']', std::string(section), {}});
        lines_.push_back(std::move(entry));
        lines_.push_back(Line{});
        return;
    }
    // The empty lines that part this section from the next stay after it.
    auto last = header;
    for (auto it = header + 1; it != lines_.end() && it->kind != Kind::Header; ++it)
        if (!TrimView(it->text).empty())
            last = it;
    lines_.insert(last + 1, std::move(entry));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value)
{
    WriteString(section, key, std::to_string(value));
}

} // namespace tessaly
