#pragma once
// The contacts file reader: every line after the header becomes one contact record.
// Fields are cut at each double quote directly followed by a comma; the record
// removes the remaining opening quote.
#include "contacts/Def_Contact.h"
#include "contacts/Def_ListEx.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaly {

using StopCheck = std::function<bool()>;

// Drops the first line (the header) from `lines`, then appends one record per remaining
// line, asking `stopRequested` before each; a stop leaves the records made so far. Each
// line is emptied once its record is made.
void ParseRows(TContactList& list, std::vector<std::string>& lines, const StopCheck& stopRequested);

// One record from one trimmed line whose separators have become line breaks.
void AddContact(TContactList& list, const std::string& line);

// Lines of a text: CR LF, CR or LF each end a line; the text ends at its first NUL;
// a final break gives no empty last line.
std::vector<std::string> SplitLines(std::string_view text);

} // namespace tessaly
