#pragma once
// The settings file held in memory: read whole at start, written whole at exit.
// Section and key names compare without regard to letter case. Administrators annotate
// these files, so every line is kept where it was: comments, blank lines, lines before
// the first section, unknown sections and keys. Only the lines of the keys written change.
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

class IniFile {
public:
    IniFile() = default;

    // Reads INI text: a trimmed line "[name]" opens a section, "key=value" (blanks around
    // the "=" dropped, then one pair of matching single or double quotes around the value,
    // as Windows reads these files) is an entry of the section it stands in; empty lines,
    // ";" comments and anything before the first section are no entries. A leading UTF-8
    // byte-order mark is read past and kept for writing back.
    static IniFile Parse(std::string_view text);

    // Every line as it was read, or as written for an entry whose value changed, each
    // ended by CR LF; a section added since starts after an empty line and ends with one.
    std::string ToText() const;

    // The file started with the UTF-8 byte-order mark: its values are UTF-8.
    bool Utf8() const noexcept { return byteOrderMark_; }

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

    // The first entry of that name wins; `fallback` when the section or key is absent.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // A decimal number or one in hexadecimal after "0x"; `fallback` when absent or not a number.
    int ReadInteger(std::string_view section, std::string_view key, int fallback) const;

    // Rewrites the line of the first entry of that name; else adds the entry after the
    // last line of the section's first occurrence that is not empty, or a new section at
    // the end. The value is written without quotes, unless it starts and ends with the same
    // quote itself: then one pair more keeps it whole. Throws std::invalid_argument for a
    // value holding CR or LF.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);

private:
    enum class Kind { Other, Header, Entry };
    struct Line {
        Kind kind = Kind::Other;
        std::string text; // as written to the file
        std::string name; // the section of a header, the key of an entry
        std::string value;
    };

    // Index of the first entry `key` in a section named `section`, or npos.
    size_t FindEntry(std::string_view section, std::string_view key) const;

    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

    std::vector<Line> lines_;
    bool byteOrderMark_ = false;
};

// Integer text as the settings file accepts it: optional sign, decimal or "0x" hexadecimal,
// nothing else; false when the text is not such a number or does not fit.
[[nodiscard]] bool ParseIniInteger(std::string_view text, int& value);

} // namespace tessaly
