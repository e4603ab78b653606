#include "standins/common/EscapedFields.h"

namespace standins {

std::string EscapeField(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\\': escaped += "\\\\"; break;
        case '\t': escaped += "\\t"; break;
        case '\n': escaped += "\\n"; break;
        case '\r': escaped += "\\r"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string UnescapeField(std::string_view text)
{
    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            plain += text[i];
            continue;
        }
        const char next = text[++i];
        plain += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return plain;
}

std::vector<std::string> SplitEscapedFields(std::string_view line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\')
            ++i; // the escaped character, a tab too, stays in this field
        else if (line[i] == '\t') {
            fields.push_back(UnescapeField(line.substr(start, i - start)));
            start = i + 1;
        }
    }
    fields.push_back(UnescapeField(line.substr(start)));
    return fields;
}

} // namespace standins
