#pragma once
// The stand-ins' stores and inspectors write one record a line, its fields separated by
// tabs. A value keeps its tabs, line breaks and backslashes as \t, \n, \r and \\, so any
// text fits in a field.
#include <string>
#include <string_view>
#include <vector>

namespace standins {

std::string EscapeField(std::string_view text);

// The reverse of EscapeField. A backslash before any other character stands for that
// character; a lone backslash at the end stays as it is.
std::string UnescapeField(std::string_view text);

// The fields of one line, unescaped. An escaped tab belongs to its field.
std::vector<std::string> SplitEscapedFields(std::string_view line);

} // namespace standins
