#pragma once
// The settings file held in memory: read whole at start, written whole at exit.
// Section and key names compare without regard to letter case; sections, keys and
// lines the program does not know are kept and written back unchanged.
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

class TIniFile {
public:
    TIniFile() = default;

    // Reads INI text: lines are trimmed, empty lines and ";" comments dropped, blanks
    // around "=" dropped. Lines before the first section header are dropped. A leading
    // UTF-8 byte-order mark is read past and kept for writing back.
    static TIniFile Parse(std::string_view text);

    // Section header, one "key=value" line per entry and an empty line, each ended by CR LF.
    std::string ToText() const;

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;

    // The first entry of that name wins; `fallback` when the section or key is absent.
    std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
    // A decimal number or one in hexadecimal after "0x"; `fallback` when absent or not a number.
    int ReadInteger(std::string_view section, std::string_view key, int fallback) const;

    // Replaces the first entry of that name, else appends one (and the section if needed).
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, int value);

private:
    struct Entry {
        std::string key;   // whole line when it holds no "="
        std::string value;
        bool hasValue = true;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    const Section* FindSection(std::string_view name) const;
    Section& SectionFor(std::string_view name);

    static constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

    std::vector<Section> sections_;
    bool byteOrderMark_ = false;
};

// Integer text as the settings file accepts it: optional sign, decimal or "0x" hexadecimal,
// nothing else; false when the text is not such a number or does not fit.
[[nodiscard]] bool ParseIniInteger(std::string_view text, int& value);

} // namespace tessaly
