#include "app/PreviewText.h"

namespace tessaly {

namespace {

constexpr char kLineEnd[] = "\r\n";

void AddCount(std::string& text, const char* label, size_t count)
{
    text += label;
    text += ": ";
    text += std::to_string(count);
    text += kLineEnd;
}

const char* ChangeWord(PlannedContact::Change change)
{
    switch (change) {
    case PlannedContact::Change::Add: return "add";
    case PlannedContact::Change::Update: return "update";
    case PlannedContact::Change::Remove: break;
    }
    return "remove";
}

// A tab or line break inside a name would break the line's columns.
std::string Column(const std::string& value)
{
    std::string column = value;
    for (char& c : column)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return column;
}

} // namespace

std::string FormatPreview(const PlannedChanges& plan, size_t listed, bool overLimit, int removeLimit)
{
    std::string text;
    AddCount(text, "In the list", listed);
    AddCount(text, "Held", plan.held);
    AddCount(text, "Unchanged", plan.unchanged);
    AddCount(text, "To add", plan.added);
    AddCount(text, "To update", plan.updated);
    AddCount(text, "To remove", plan.removed);
    if (plan.replacement) {
        text += "The folder cannot be listed: every contact item in it is replaced by the list.";
        text += kLineEnd;
    }
    if (overLimit) {
        text += "A run would stop here and change nothing: the list would remove more than RemoveLimit (" +
                std::to_string(removeLimit) + ") percent of the folder.";
        text += kLineEnd;
    }
    for (const PlannedContact& contact : plan.contacts) {
        text += ChangeWord(contact.change);
        text += '\t';
        text += Column(contact.name);
        text += '\t';
        // What an item holds that this run cannot read is not guessed at.
        text += contact.known ? Column(contact.email) : std::string("(content unknown)");
        text += kLineEnd;
    }
    return text;
}

} // namespace tessaly
