#pragma once
// The contacts file reader: every line after the header becomes one contact record.
// Fields are cut at each double quote directly followed by a comma; the record
// removes the remaining opening quote.
#include "contacts/Contact.h"
#include "contacts/ContactList.h"
#include "contacts/TextEncoding.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

using StopCheck = std::function<bool()>;

// ANSI text to UTF-8: the system's conversion in the program, a stand-in in portable code.
using AnsiToUtf8Conversion = std::function<std::string(std::string_view)>;

// Drops the first line (the header) from `lines`, then appends one record per remaining
// line that holds a value, asking `stopRequested` before each; a stop leaves the records
// made so far. Each line is emptied once its record is made. The lines are UTF-8.
void ParseRows(ContactList& list, std::vector<std::string>& lines, const StopCheck& stopRequested);

// The lines of a downloaded body and the code page they are written in.
struct BodyLines {
    std::vector<std::string> lines;
    TextCodePage codePage = TextCodePage::Ansi;
};

// ParseRows over a body's lines. A line of an ANSI body that holds anything beyond ASCII
// goes through `ansiToUtf8` just before its record is made, so the list holds UTF-8 and the
// body is never held a second time, converted.
void ParseBody(ContactList& list, BodyLines& body, const StopCheck& stopRequested,
               const AnsiToUtf8Conversion& ansiToUtf8);

// One record from one trimmed line whose separators have become line breaks; nothing
// when none of its fields holds a value.
void AddContact(ContactList& list, const std::string& line);

// The lines of a downloaded body. Its code page is decided once, here, before any line is
// cut; a byte-order mark is left out, so the header stays the first line. Empty lines after
// the first are left out: they hold no contact. Line breaks are single bytes in ANSI and
// UTF-8 alike, so the split stays byte-based.
BodyLines SplitBody(std::string_view body);

// Lines of a text: CR LF, CR or LF each end a line; the text ends at its first NUL;
// a final break gives no empty last line.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace tessaly
