#pragma once
// The contacts file reader: every line after the header becomes one contact record.
// Fields are cut at each double quote directly followed by a comma; the record
// removes the remaining opening quote.
#include "contacts/Contact.h"
#include "contacts/ContactList.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

using StopCheck = std::function<bool()>;

// Drops the first line (the header) from `lines`, then appends one record per remaining
// line that holds a value, asking `stopRequested` before each; a stop leaves the records
// made so far. Each line is emptied once its record is made.
void ParseRows(TContactList& list, std::vector<std::string>& lines, const StopCheck& stopRequested);

// One record from one trimmed line whose separators have become line breaks; nothing
// when none of its fields holds a value.
void AddContact(TContactList& list, const std::string& line);

// The lines of a downloaded body. Its code page is decided once, here, before any line is
// cut, and stored in the list; a byte-order mark is left out, so the header stays the first
// line. Empty lines after the first are left out: they hold no contact. Quotes, commas and
// line breaks are single bytes in ANSI and UTF-8 alike, so the reader itself stays byte-based.
std::vector<std::string> SplitBody(TContactList& list, std::string_view body);

// Lines of a text: CR LF, CR or LF each end a line; the text ends at its first NUL;
// a final break gives no empty last line.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace tessaly
