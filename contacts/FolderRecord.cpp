#include "contacts/FolderRecord.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <unordered_map>
#include <utility>

namespace tessaly {

namespace {

constexpr std::string_view kHeading = "Corvane Tessaly folder record 1\n";
constexpr std::string_view kFolderTag = "folder";
constexpr std::string_view kItemTag = "item";
constexpr std::string_view kEndTag = "end";

std::uint64_t CheckSum(std::string_view text)
{
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string Hex(std::uint64_t value)
{
    char text[17] = {};
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// Fields are separated by tabs and entries by line breaks, so those and the escape
// character itself are written escaped.
void AppendEscaped(std::string& out, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c;
        }
    }
}

std::optional<std::string> Unescaped(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case '\\': out += '\\'; break;
        case 't': out += '\t'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

std::vector<std::string_view> SplitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

} // namespace

std::string FormatFolderRecord(const FolderRecord& record)
{
    std::string text(kHeading);
    text.append(kFolderTag).append("\t");
    AppendEscaped(text, record.folder);
    text += '\n';
    for (const RecordedItem& item : record.items) {
        text.append(kItemTag).append("\t");
        AppendEscaped(text, item.id);
        text += '\t';
        AppendEscaped(text, item.stamp);
        for (const std::string& value : item.values) {
            text += '\t';
            AppendEscaped(text, value);
        }
        text += '\n';
        if (text.size() > kFolderRecordMaxBytes)
            return {};
    }
    const std::uint64_t sum = CheckSum(text);
    text.append(kEndTag).append("\t").append(std::to_string(record.items.size())).append("\t").append(Hex(sum));
    text += '\n';
    return text.size() > kFolderRecordMaxBytes ? std::string() : text;
}

std::optional<FolderRecord> ParseFolderRecord(std::string_view text)
{
    if (text.size() > kFolderRecordMaxBytes || text.substr(0, kHeading.size()) != kHeading || text.empty() ||
        text.back() != '\n')
        return std::nullopt;
    // The last line closes the record: the item count and the sum of all before it.
    const size_t endLine = text.rfind('\n', text.size() - 2);
    if (endLine == std::string_view::npos)
        return std::nullopt;
    const std::string_view body = text.substr(0, endLine + 1);
    const std::vector<std::string_view> end = SplitTabs(text.substr(endLine + 1, text.size() - endLine - 2));
    if (end.size() != 3 || end[0] != kEndTag || end[2] != Hex(CheckSum(body)))
        return std::nullopt;
    size_t count = 0;
    if (std::from_chars(end[1].data(), end[1].data() + end[1].size(), count).ec != std::errc())
        return std::nullopt;

    FolderRecord record;
    size_t at = kHeading.size();
    bool folderSeen = false;
    while (at < body.size()) {
        const size_t lineEnd = body.find('\n', at);
        const std::vector<std::string_view> fields = SplitTabs(body.substr(at, lineEnd - at));
        at = lineEnd + 1;
        if (!folderSeen) {
            std::optional<std::string> folder;
            if (fields.size() != 2 || fields[0] != kFolderTag || !(folder = Unescaped(fields[1])))
                return std::nullopt;
            record.folder = std::move(*folder);
            folderSeen = true;
            continue;
        }
        if (fields.size() != 3 + kContactFieldCount || fields[0] != kItemTag)
            return std::nullopt;
        RecordedItem& item = record.items.emplace_back();
        std::optional<std::string> id = Unescaped(fields[1]);
        std::optional<std::string> stamp = Unescaped(fields[2]);
        if (!id || !stamp)
            return std::nullopt;
        item.id = std::move(*id);
        item.stamp = std::move(*stamp);
        for (size_t i = 0; i < kContactFieldCount; ++i) {
            std::optional<std::string> value = Unescaped(fields[3 + i]);
            if (!value)
                return std::nullopt;
            item.values[i] = std::move(*value);
        }
    }
    if (!folderSeen || record.items.size() != count)
        return std::nullopt;
    return record;
}

std::string FolderRecordFileName(std::string_view folder)
{
    return "folder-" + Hex(CheckSum(folder)) + ".record";
}

std::vector<const ContactValues*> RecordedValues(const std::vector<ListedItem>& items, const FolderRecord* record)
{
    std::vector<const ContactValues*> known(items.size(), nullptr);
    if (record == nullptr)
        return known;
    std::unordered_map<std::string_view, const RecordedItem*> recorded;
    for (const RecordedItem& entry : record->items)
        recorded.emplace(entry.id, &entry);
    for (size_t i = 0; i < items.size(); ++i) {
        const auto found = recorded.find(items[i].id);
        if (!items[i].stamp.empty() && found != recorded.end() && found->second->stamp == items[i].stamp)
            known[i] = &found->second->values;
    }
    return known;
}

FolderChanges PlanFolderChanges(const std::vector<ContactValues>& rows, const std::vector<ListedItem>& items,
                                const FolderRecord* record)
{
    return PlanFolderChanges(rows, items, RecordedValues(items, record));
}

FolderChanges PlanFolderChanges(const std::vector<ContactValues>& rows, const std::vector<ListedItem>& items,
                                std::vector<const ContactValues*> known)
{
    FolderChanges changes;
    changes.known = std::move(known);

    std::vector<size_t> knownItems;
    std::vector<ContactValues> knownValues;
    std::vector<size_t> unknownItems;
    for (size_t i = 0; i < items.size(); ++i) {
        if (changes.known[i] != nullptr) {
            knownItems.push_back(i);
            knownValues.push_back(*changes.known[i]);
        } else {
            unknownItems.push_back(i);
        }
    }
    const ContactChanges planned = PlanContactChanges(rows, knownValues);
    changes.unchanged = planned.unchanged;
    for (const ContactChanges::Update& update : planned.updates)
        changes.updates.push_back({update.row, knownItems[update.item]});
    for (size_t stale : planned.removals)
        changes.removals.push_back(knownItems[stale]);

    // Leftover rows take back the unknown item that shows their name, so that a lost
    // record leaves each contact in the item it had; the rest pair up in order.
    std::vector<bool> taken(unknownItems.size(), false);
    std::unordered_map<std::string_view, std::vector<size_t>> byName;
    for (size_t u = unknownItems.size(); u-- > 0;) {
        const std::string& name = items[unknownItems[u]].name;
        if (!name.empty())
            byName[name].push_back(u);
    }
    std::vector<size_t> unpaired;
    for (size_t row : planned.additions) {
        const auto found = byName.find(rows[row][static_cast<size_t>(ContactField::DisplayName)]);
        if (found != byName.end() && !found->second.empty()) {
            const size_t u = found->second.back();
            found->second.pop_back();
            taken[u] = true;
            changes.rewrites.push_back({row, unknownItems[u]});
        } else {
            unpaired.push_back(row);
        }
    }
    size_t next = 0;
    for (size_t row : unpaired) {
        while (next < taken.size() && taken[next])
            ++next;
        if (next == taken.size()) {
            changes.additions.push_back(row);
            continue;
        }
        taken[next] = true;
        changes.rewrites.push_back({row, unknownItems[next]});
    }
    for (size_t u = 0; u < taken.size(); ++u) {
        if (!taken[u])
            changes.removals.push_back(unknownItems[u]);
    }
    std::sort(changes.rewrites.begin(), changes.rewrites.end(),
              [](const ContactChanges::Update& a, const ContactChanges::Update& b) { return a.row < b.row; });
    std::sort(changes.removals.begin(), changes.removals.end());
    return changes;
}

FolderRecord RecordAfterChanges(std::string folder, const std::vector<ContactValues>& rows,
                                const std::vector<ListedItem>& before, const FolderChanges& changes,
                                const std::vector<std::string>& added, const std::vector<ListedItem>& after)
{
    // What each item holds now: the record's word for the items the run left alone, the
    // row for those it wrote.
    std::unordered_map<std::string_view, const ContactValues*> held;
    for (size_t i = 0; i < before.size(); ++i) {
        if (changes.known[i] != nullptr)
            held[before[i].id] = changes.known[i];
    }
    for (size_t removed : changes.removals)
        held.erase(before[removed].id);
    for (const ContactChanges::Update& update : changes.updates)
        held[before[update.item].id] = &rows[update.row];
    for (const ContactChanges::Update& rewrite : changes.rewrites)
        held[before[rewrite.item].id] = &rows[rewrite.row];
    for (size_t i = 0; i < added.size() && i < changes.additions.size(); ++i) {
        if (!added[i].empty())
            held[added[i]] = &rows[changes.additions[i]];
    }

    FolderRecord record;
    record.folder = std::move(folder);
    for (const ListedItem& item : after) {
        const auto found = held.find(item.id);
        if (found != held.end() && !item.stamp.empty())
            record.items.push_back({item.id, item.stamp, *found->second});
    }
    return record;
}

} // namespace tessaly
