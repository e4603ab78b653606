#include "standins/wab/WabStore.h"

#include "base/TextHelpers.h"
#include "base/WideText.h"
#include "destinations/outlook_express/WabDefs.h"
#include "destinations/outlook_express/WabTags.h"
#include "standins/common/EscapedFields.h"
#include "standins/common/FileReplacement.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace wabstandin {

namespace {

constexpr char kHeader[] = "WABSTANDIN 1";
constexpr char kPersonalName[] = "Shared Contacts";

std::vector<std::string> Split(const std::string& line, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = line.find(separator, start);
        parts.push_back(line.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : bytes) {
        text += digits[c >> 4];
        text += digits[c & 15];
    }
    return text;
}

std::string Unhex(const std::string& text)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        bytes += static_cast<char>(std::strtoul(text.substr(i, 2).c_str(), nullptr, 16));
    return bytes;
}

std::string EncodeValue(const StoredValue& value)
{
    switch (value.type) {
    case PT_LONG:
        return std::to_string(value.number);
    case PT_STRING8:
        return standins::EscapeField(value.bytes);
    case PT_BINARY:
        return Hex(value.bytes);
    default: {
        std::string text = std::to_string(value.values.size()) + ";";
        for (size_t i = 0; i < value.values.size(); ++i) {
            if (i)
                text += ',';
            text += Hex(value.values[i]);
        }
        return text;
    }
    }
}

ULONG ParseNumber(std::string_view text, int base)
{
    ULONG value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, base);
    return value;
}

StoredValue DecodeValue(ULONG tag, std::string_view text)
{
    StoredValue value;
    value.type = PROP_TYPE(tag);
    switch (value.type) {
    case PT_LONG:
        value.number = std::strtol(std::string(text).c_str(), nullptr, 10);
        break;
    case PT_STRING8:
        // Most texts hold nothing escaped: taken as they are, without a pass per character.
        value.bytes = text.find('\\') == std::string_view::npos ? std::string(text) : standins::UnescapeField(text);
        break;
    case PT_BINARY:
        value.bytes = Unhex(std::string(text));
        break;
    default: {
        const size_t semicolon = text.find(';');
        const unsigned long count = ParseNumber(text, 10);
        if (count > 0 && semicolon != std::string::npos)
            for (const std::string& part : Split(std::string(text.substr(semicolon + 1)), ','))
                value.values.push_back(Unhex(part));
        value.values.resize(count);
    }
    }
    return value;
}

std::string EncodeEntry(const StoredEntry& entry)
{
    std::string line = "S\t" + std::to_string(entry.id) + "\t" + std::to_string(entry.folder) + "\t" +
                       std::to_string(entry.type);
    char tag[16];
    for (const auto& [key, value] : entry.props) {
        std::snprintf(tag, sizeof tag, "%08lX", key);
        line += '\t';
        line += tag;
        line += '=';
        line += EncodeValue(value);
    }
    return line;
}

} // namespace

const StoredValue* StoredEntry::Find(ULONG tag) const
{
    for (const auto& [key, value] : props)
        if (key == tag)
            return &value;
    return nullptr;
}

void StoredEntry::Set(ULONG tag, StoredValue value)
{
    for (auto& [key, old] : props)
        if (key == tag) {
            old = std::move(value);
            return;
        }
    props.emplace_back(tag, std::move(value));
}

std::string StoredEntry::Text(ULONG tag) const
{
    const StoredValue* value = Find(tag);
    return value && value->type == PT_STRING8 ? value->bytes : std::string();
}

std::string MakeEntryId(ULONG id)
{
    std::string bytes(kEntryIdSize, '\0');
    std::memcpy(&bytes[4], &kEntryIdMark, 4);
    std::memcpy(&bytes[8], &id, 4);
    return bytes;
}

ULONG EntryNumber(ULONG size, const void* bytes)
{
    if (size != kEntryIdSize || !bytes)
        return 0;
    ULONG mark = 0, id = 0;
    std::memcpy(&mark, static_cast<const char*>(bytes) + 4, 4);
    std::memcpy(&id, static_cast<const char*>(bytes) + 8, 4);
    return mark == kEntryIdMark ? id : 0;
}

std::string Store::DefaultPath()
{
    char buffer[MAX_PATH] = {};
    DWORD length = ::GetEnvironmentVariableA("WAB_STANDIN_STORE", buffer, MAX_PATH);
    if (length > 0 && length < MAX_PATH)
        return buffer;
    length = ::GetEnvironmentVariableA("APPDATA", buffer, MAX_PATH);
    std::string folder = length > 0 && length < MAX_PATH ? std::string(buffer) : std::string("C:\\");
    folder += "\\Microsoft";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\Address Book";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\standin.wablog";
}

Store::~Store()
{
    if (file_ != INVALID_HANDLE_VALUE)
        ::CloseHandle(file_);
}

bool Store::Open(const std::string& path, bool writable)
{
    path_ = path;
    StoredEntry personal;
    personal.id = kPersonalFolder;
    personal.type = MAPI_ABCONT;
    StoredValue name;
    name.type = PT_STRING8;
    name.bytes = kPersonalName;
    personal.Set(PR_DISPLAY_NAME, name);
    Apply(personal);

    size_t records = 0;
    HANDLE in = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in != INVALID_HANDLE_VALUE) {
        std::string content;
        LARGE_INTEGER size = {};
        if (::GetFileSizeEx(in, &size) && size.QuadPart > 0)
            content.reserve(static_cast<size_t>(size.QuadPart));
        char chunk[65536];
        DWORD read = 0;
        while (::ReadFile(in, chunk, sizeof chunk, &read, nullptr) && read > 0)
            content.append(chunk, read);
        ::CloseHandle(in);
        // Read through views of the content: a store of thousands of entries opens in a
        // fraction of the time a copy of every line and field would take.
        const std::string_view all(content);
        size_t start = 0;
        while (start < all.size()) {
            size_t end = all.find('\n', start);
            if (end == std::string_view::npos)
                end = all.size();
            std::string_view line = all.substr(start, end - start);
            start = end + 1;
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            std::string_view fields[4];
            size_t count = 0;
            size_t at = 0;
            while (count < 4) {
                const size_t tab = line.find('\t', at);
                fields[count++] = line.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at);
                if (tab == std::string_view::npos) {
                    at = line.size() + 1;
                    break;
                }
                at = tab + 1;
            }
            if (fields[0] == "S" && count >= 4) {
                StoredEntry entry;
                entry.props.reserve(20);
                entry.id = ParseNumber(fields[1], 10);
                entry.folder = ParseNumber(fields[2], 10);
                entry.type = ParseNumber(fields[3], 10);
                while (at <= line.size()) {
                    const size_t tab = line.find('\t', at);
                    const std::string_view prop =
                        line.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at);
                    at = tab == std::string_view::npos ? line.size() + 1 : tab + 1;
                    const size_t equals = prop.find('=');
                    if (equals == std::string_view::npos)
                        continue;
                    const ULONG tag = ParseNumber(prop.substr(0, equals), 16);
                    entry.Set(tag, DecodeValue(tag, prop.substr(equals + 1)));
                }
                Apply(std::move(entry));
                ++records;
            } else if (fields[0] == "D" && count >= 2) {
                const auto found = index_.find(ParseNumber(fields[1], 10));
                if (found != index_.end())
                    entries_[found->second].deleted = true;
                ++records;
            }
        }
    }
    if (!writable)
        return true;
    size_t live = 0;
    for (const StoredEntry& entry : entries_)
        live += entry.deleted ? 0 : 1;
    if (records > 1000 && records > 3 * live && !Compact())
        return false;
    file_ = ::CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size = {};
    if (::GetFileSizeEx(file_, &size) && size.QuadPart == 0)
        return Append(kHeader);
    return true;
}

bool Store::Compact()
{
    std::string content = std::string(kHeader) + "\r\n";
    for (const StoredEntry& entry : entries_)
        if (!entry.deleted && entry.id != kPersonalFolder)
            content += EncodeEntry(entry) + "\r\n";
    return standins::ReplaceFileContents(tessaly::AnsiToWide(path_), content);
}

void Store::Apply(StoredEntry entry)
{
    const ULONG id = entry.id;
    const auto found = index_.find(id);
    if (found != index_.end()) {
        entries_[found->second] = std::move(entry);
    } else {
        index_[id] = entries_.size();
        entries_.push_back(std::move(entry));
    }
    if (id >= nextId_)
        nextId_ = id + 1;
}

bool Store::Append(const std::string& line)
{
    if (file_ == INVALID_HANDLE_VALUE)
        return false;
    const std::string text = line + "\r\n";
    DWORD written = 0;
    return ::WriteFile(file_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) && written == text.size();
}

bool Store::Save(StoredEntry& entry)
{
    const bool isNew = entry.id == 0;
    if (isNew)
        entry.id = nextId_;
    if (!Append(EncodeEntry(entry))) {
        if (isNew)
            entry.id = 0;
        return false;
    }
    Apply(entry);
    return true;
}

bool Store::Delete(ULONG id)
{
    const auto found = index_.find(id);
    if (found == index_.end() || entries_[found->second].deleted || id == kPersonalFolder)
        return false;
    if (!Append("D\t" + std::to_string(id)))
        return false;
    entries_[found->second].deleted = true;
    return true;
}

const StoredEntry* Store::Find(ULONG id) const
{
    const auto found = index_.find(id);
    if (found == index_.end() || entries_[found->second].deleted)
        return nullptr;
    return &entries_[found->second];
}

std::vector<const StoredEntry*> Store::Folders() const
{
    std::vector<const StoredEntry*> folders;
    for (const StoredEntry& entry : entries_)
        if (!entry.deleted && entry.type == MAPI_ABCONT)
            folders.push_back(&entry);
    return folders;
}

std::vector<const StoredEntry*> Store::Children(ULONG folder) const
{
    std::vector<const StoredEntry*> children;
    for (const StoredEntry& entry : entries_)
        if (!entry.deleted && entry.type != MAPI_ABCONT && entry.folder == folder)
            children.push_back(&entry);
    return children;
}

const StoredEntry* Store::FindFolderByName(const std::string& name) const
{
    for (const StoredEntry* folder : Folders())
        if (tessaly::SameTextIgnoringAsciiCase(folder->Text(PR_DISPLAY_NAME), name))
            return folder;
    return nullptr;
}

} // namespace wabstandin
