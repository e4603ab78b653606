#include "Store.h"

#include "base/WideText.h"
#include "destinations/outlook/OutlookMembers.h"
#include "standins/common/EnvironmentText.h"
#include "standins/common/EscapedFields.h"
#include "standins/common/FileReplacement.h"

#include <objbase.h>

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace outlook_standin {

namespace {

// Version 2 keeps the items' times and a Deleted Items folder; an older journal reads
// as one of another program and is started afresh.
const char kHeader[] = "outlook-standin-journal-2";
// An Outlook that offers the folder table (2007 and later); older ones are a setting away.
const wchar_t kDefaultVersion[] = L"16.0.0.17628";

std::string Escape(const std::wstring& text)
{
    return standins::EscapeField(tessaly::WideToUtf8(text));
}

std::vector<std::wstring> SplitRecord(const std::string& line)
{
    std::vector<std::wstring> fields;
    for (const std::string& field : standins::SplitEscapedFields(line))
        fields.push_back(tessaly::Utf8ToWide(field));
    return fields;
}

int Number(const std::wstring& text)
{
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}

std::wstring JournalPath()
{
    std::wstring path = standins::EnvironmentText(L"TESSALY_OUTLOOK_STORE");
    if (!path.empty())
        return path;
    std::wstring folder = standins::EnvironmentText(L"APPDATA");
    if (folder.empty())
        folder = L"C:\\";
    folder += L"\\Tessaly Outlook stand-in";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder + L"\\store.journal";
}

std::wstring NewGuidText()
{
    GUID guid{};
    ::CoCreateGuid(&guid);
    wchar_t text[64];
    ::StringFromGUID2(guid, text, 64);
    return text;
}

std::string NewGeneration()
{
    return tessaly::WideToUtf8(NewGuidText());
}

// A store identity as Outlook's StoreID is: hex digits only.
std::wstring NewIdentity()
{
    std::wstring identity;
    for (wchar_t c : NewGuidText()) {
        if (std::iswxdigit(c))
            identity += static_cast<wchar_t>(std::towupper(c));
    }
    return identity;
}

long long Milliseconds(const std::wstring& text)
{
    return std::wcstoll(text.c_str(), nullptr, 10);
}

[[noreturn]] void FailWrite()
{
    Fail(HRESULT_FROM_WIN32(::GetLastError()), L"The stand-in's store could not be written.");
}

void WriteAll(HANDLE file, const std::string& text)
{
    DWORD written = 0;
    if (!::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size())
        FailWrite();
}

std::string HeaderLine(const std::string& generation)
{
    return std::string(kHeader) + "\t" + generation + "\n";
}

// One journal line of tab-separated fields.
class Record {
public:
    explicit Record(const char* kind) : line_(kind) {}
    Record& operator<<(const std::string& field)
    {
        line_ += '\t';
        line_ += field;
        return *this;
    }
    Record& operator<<(int number) { return *this << std::to_string(number); }
    std::string Line() const { return line_ + '\n'; }

private:
    std::string line_;
};

std::string FolderRecord(const StoredFolder& folder)
{
    return (Record("folder") << folder.id << folder.parent << Escape(folder.name)).Line();
}

std::string ShowRecord(int folder, bool show)
{
    return (Record("show") << folder << (show ? 1 : 0)).Line();
}

std::string ItemRecord(const StoredItem& item)
{
    Record record("item");
    record << item.id << item.folder << item.kind << Escape(item.listName);
    for (const std::wstring& field : item.fields)
        record << Escape(field);
    record << std::to_string(item.created) << std::to_string(item.modified);
    return record.Line();
}

std::string CallsRecord(int session, const SessionCalls& calls)
{
    return (Record("calls") << session << static_cast<int>(calls.lookups) << static_cast<int>(calls.invokes)).Line();
}

std::string IdentityRecord(const std::wstring& identity)
{
    return (Record("store") << Escape(identity)).Line();
}

std::string MoveRecord(int item, int folder)
{
    return (Record("move") << item << folder).Line();
}

std::string ProtectedRecord(long long count)
{
    return (Record("protected") << std::to_string(count)).Line();
}

std::string SettingRecord(const std::wstring& key, const std::wstring& value)
{
    return (Record("set") << Escape(key) << Escape(value)).Line();
}

// Reads the whole of `file` from `offset` to its end.
std::string ReadFrom(HANDLE file, unsigned long long offset, unsigned long long size)
{
    std::string data(static_cast<size_t>(size - offset), '\0');
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!::SetFilePointerEx(file, at, nullptr, FILE_BEGIN))
        return {};
    size_t done = 0;
    while (done < data.size()) {
        DWORD got = 0;
        if (!::ReadFile(file, data.data() + done, static_cast<DWORD>(data.size() - done), &got, nullptr) || got == 0)
            break;
        done += got;
    }
    data.resize(done);
    return data;
}

} // namespace

Store::Store() : path_(JournalPath())
{
    Clear();
}

Store::~Store()
{
    if (file_ != INVALID_HANDLE_VALUE)
        ::CloseHandle(file_);
}

Store& Store::Instance()
{
    static Store store;
    return store;
}

Store& Store::Current()
{
    Store& store = Instance();
    store.Refresh();
    return store;
}

void Store::Clear()
{
    folders_.clear();
    items_.clear();
    settings_.clear();
    StoredFolder contacts;
    contacts.id = kContactsFolder;
    contacts.name = L"Contacts";
    folders_[kContactsFolder] = contacts;
    StoredFolder deleted;
    deleted.id = kDeletedItemsFolder;
    deleted.name = L"Deleted Items";
    folders_[kDeletedItemsFolder] = deleted;
    nextId_ = kDeletedItemsFolder + 1;
    protectedCalls_ = 0;
    lastTime_ = 0;
    // Kept only once the journal is written; a reader of an empty store sees a fresh one.
    identity_ = NewIdentity();
    lines_ = 0;
    savesSeen_ = 0;
    sessions_ = 0;
    lastCalls_ = {};
}

void Store::Refresh()
{
    HANDLE file = ::CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // No journal (yet, or any more): an empty store.
        if (file_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE));
        Clear();
        generation_.clear();
        readTo_ = 0;
        return;
    }
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file, &size);
    const auto fileSize = static_cast<unsigned long long>(size.QuadPart);
    std::string head = ReadFrom(file, 0, std::min<unsigned long long>(fileSize, 256));
    const size_t headerEnd = head.find('\n');
    const std::string header = headerEnd == std::string::npos ? std::string() : head.substr(0, headerEnd);
    const std::string generation = header.rfind(std::string(kHeader) + "\t", 0) == 0
                                       ? header.substr(sizeof kHeader)
                                       : std::string();

    bool reloaded = false;
    if (generation.empty() || generation != generation_ || fileSize < readTo_) {
        // Another process rewrote or reset the journal: read it afresh.
        if (file_ != INVALID_HANDLE_VALUE)
            ::CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE));
        Clear();
        generation_ = generation;
        readTo_ = generation.empty() ? fileSize : headerEnd + 1;
        reloaded = true;
    }
    if (fileSize > readTo_) {
        const std::string tail = ReadFrom(file, readTo_, fileSize);
        size_t start = 0;
        for (size_t end = tail.find('\n'); end != std::string::npos; end = tail.find('\n', start)) {
            Replay(tail.substr(start, end - start));
            ++lines_;
            start = end + 1;
        }
        readTo_ += start;
    }
    ::CloseHandle(file);
    // Every synchronisation removes and re-adds its items; keep the journal in proportion.
    // A journal that another process holds open stays as it is for now.
    if (reloaded && lines_ > 2 * LiveRecords() + 200) {
        try {
            Rewrite();
        } catch (const Fault&) {
        }
    }
}

void Store::EndSession(const SessionCalls& calls)
{
    try {
        Append(CallsRecord(sessions_ + 1, calls));
        ++sessions_;
        lastCalls_ = calls;
    } catch (const Fault&) {
        // The counts are for inspection only: a store that cannot take them has already
        // failed the call that wrote to it.
    }
    if (file_ != INVALID_HANDLE_VALUE)
        ::CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE));
}

std::wstring Store::LastSession() const
{
    if (sessions_ == 0)
        return {};
    return std::to_wstring(sessions_) + L"\t" + std::to_wstring(lastCalls_.lookups) + L"\t" +
           std::to_wstring(lastCalls_.invokes);
}

void Store::Replay(const std::string& line)
{
    const std::vector<std::wstring> f = SplitRecord(line);
    const std::wstring& kind = f[0];
    if (kind == L"folder" && f.size() >= 4) {
        StoredFolder folder;
        folder.id = Number(f[1]);
        folder.parent = Number(f[2]);
        folder.name = f[3];
        if (folder.id <= kDeletedItemsFolder || folders_.count(folder.parent) == 0)
            return;
        folders_[folder.parent].folders.push_back(folder.id);
        folders_[folder.id] = folder;
        nextId_ = std::max(nextId_, folder.id + 1);
    } else if (kind == L"show" && f.size() >= 3) {
        auto it = folders_.find(Number(f[1]));
        if (it != folders_.end())
            it->second.showAsAddressBook = f[2] == L"1";
    } else if (kind == L"item" && f.size() >= 5 + 18 + 2) {
        StoredItem item;
        item.id = Number(f[1]);
        item.folder = Number(f[2]);
        item.kind = Number(f[3]);
        item.listName = f[4];
        std::copy(f.begin() + 5, f.begin() + 5 + 18, item.fields.begin());
        item.created = Milliseconds(f[5 + 18]);
        item.modified = Milliseconds(f[5 + 18 + 1]);
        lastTime_ = std::max({lastTime_, item.created, item.modified});
        auto existing = items_.find(item.id);
        if (existing != items_.end()) {
            item.folder = existing->second.folder;
            existing->second = item;
        } else if (folders_.count(item.folder) != 0) {
            folders_[item.folder].items.push_back(item.id);
            items_[item.id] = item;
            nextId_ = std::max(nextId_, item.id + 1);
        }
    } else if (kind == L"remove" && f.size() >= 2) {
        auto existing = items_.find(Number(f[1]));
        if (existing == items_.end())
            return;
        std::vector<int>& ids = folders_[existing->second.folder].items;
        // Removals usually come from the end of a folder.
        auto at = std::find(ids.rbegin(), ids.rend(), existing->first);
        if (at != ids.rend())
            ids.erase(std::next(at).base());
        items_.erase(existing);
    } else if (kind == L"move" && f.size() >= 3) {
        if (items_.count(Number(f[1])) != 0 && folders_.count(Number(f[2])) != 0)
            MoveItem(Number(f[1]), Number(f[2]));
    } else if (kind == L"protected" && f.size() >= 2) {
        protectedCalls_ += Milliseconds(f[1]);
    } else if (kind == L"store" && f.size() >= 2) {
        identity_ = f[1];
    } else if (kind == L"calls" && f.size() >= 4) {
        sessions_ = Number(f[1]);
        lastCalls_.lookups = Number(f[2]);
        lastCalls_.invokes = Number(f[3]);
    } else if (kind == L"set" && f.size() >= 3) {
        settings_[f[1]] = f[2];
        if (f[1] == L"fail-save")
            savesSeen_ = 0;
    }
}

void Store::OpenForAppend()
{
    if (file_ != INVALID_HANDLE_VALUE)
        return;
    file_ = ::CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE)
        FailWrite();
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file_, &size);
    if (size.QuadPart == 0 || generation_.empty()) {
        // A new journal (or one we could not read): start it with our own header.
        if (size.QuadPart != 0) {
            ::CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE));
            Rewrite();
            OpenForAppend();
            return;
        }
        generation_ = NewGeneration();
        const std::string header = HeaderLine(generation_) + IdentityRecord(identity_);
        WriteAll(file_, header);
        readTo_ = header.size();
        ++lines_;
    }
}

void Store::Append(const std::string& line)
{
    OpenForAppend();
    WriteAll(file_, line);
    readTo_ += line.size();
    ++lines_;
}

size_t Store::LiveRecords() const
{
    size_t shown = 0;
    for (const auto& [id, folder] : folders_)
        shown += folder.showAsAddressBook ? 1 : 0;
    return folders_.size() + shown + items_.size() + settings_.size() + (sessions_ > 0 ? 1 : 0) +
           (protectedCalls_ > 0 ? 1 : 0) + 1;
}

void Store::Rewrite()
{
    const std::string generation = NewGeneration();
    std::string text = HeaderLine(generation) + IdentityRecord(identity_);
    size_t lines = 1;
    if (protectedCalls_ > 0) {
        text += ProtectedRecord(protectedCalls_);
        ++lines;
    }
    for (const auto& [key, value] : settings_) {
        text += SettingRecord(key, value);
        ++lines;
    }
    if (sessions_ > 0) {
        text += CallsRecord(sessions_, lastCalls_);
        ++lines;
    }
    // Parents have smaller ids than their children, so id order replays correctly.
    for (const auto& [id, folder] : folders_) {
        if (id > kDeletedItemsFolder) {
            text += FolderRecord(folder);
            ++lines;
        }
        if (folder.showAsAddressBook) {
            text += ShowRecord(id, true);
            ++lines;
        }
        for (int item : folder.items) {
            text += ItemRecord(items_.at(item));
            ++lines;
        }
    }
    if (!standins::ReplaceFileContents(path_, text))
        FailWrite();
    if (file_ != INVALID_HANDLE_VALUE)
        ::CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE));
    generation_ = generation;
    readTo_ = text.size();
    lines_ = lines;
}

const StoredFolder& Store::Folder(int id) const
{
    auto it = folders_.find(id);
    if (it == folders_.end())
        Fail(E_FAIL, L"The folder has been moved or deleted.");
    return it->second;
}

const StoredItem& Store::Item(int id) const
{
    auto it = items_.find(id);
    if (it == items_.end())
        Fail(E_FAIL, L"The item has been moved or deleted.");
    return it->second;
}

int Store::AddFolder(int parent, const std::wstring& name)
{
    const StoredFolder& under = Folder(parent);
    if (name.empty())
        Fail(E_INVALIDARG, L"A folder name cannot be empty.");
    for (int sibling : under.folders) {
        if (::lstrcmpiW(folders_.at(sibling).name.c_str(), name.c_str()) == 0)
            Fail(E_FAIL, L"Cannot create the folder. A folder with that name already exists.");
    }
    StoredFolder folder;
    folder.id = nextId_;
    folder.parent = parent;
    folder.name = name;
    Append(FolderRecord(folder));
    ++nextId_;
    folders_[parent].folders.push_back(folder.id);
    folders_[folder.id] = folder;
    return folder.id;
}

void Store::SetShowAsAddressBook(int folder, bool show)
{
    Folder(folder);
    Append(ShowRecord(folder, show));
    folders_[folder].showAsAddressBook = show;
}

long long Store::NextTime()
{
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    const long long clock =
        static_cast<long long>((static_cast<unsigned long long>(now.dwHighDateTime) << 32 | now.dwLowDateTime) / 10000);
    lastTime_ = std::max(clock, lastTime_ + 1);
    return lastTime_;
}

const StoredItem& Store::SaveItem(const StoredItem& item)
{
    ++savesSeen_;
    std::wstring failAt = Setting(L"fail-save");
    std::wstring failText = Setting(L"fail-save-text");
    const std::wstring fromEnvironment = standins::EnvironmentText(L"TESSALY_OUTLOOK_FAIL_SAVE");
    if (!fromEnvironment.empty()) {
        const size_t colon = fromEnvironment.find(L':');
        failAt = fromEnvironment.substr(0, colon);
        failText = colon == std::wstring::npos ? std::wstring() : fromEnvironment.substr(colon + 1);
    }
    if (!failAt.empty() && Number(failAt) == savesSeen_)
        Fail(E_FAIL, failText.empty() ? L"The item could not be saved." : failText);
    const std::wstring exitAt = standins::EnvironmentText(L"TESSALY_OUTLOOK_EXIT_AT_SAVE");
    if (!exitAt.empty() && Number(exitAt) == savesSeen_)
        ::TerminateProcess(::GetCurrentProcess(), 3);

    StoredItem stored = item;
    const long long now = NextTime();
    stored.modified = now;
    if (stored.id == 0) {
        Folder(stored.folder);
        stored.id = nextId_;
        stored.created = now;
        Append(ItemRecord(stored));
        ++nextId_;
        folders_[stored.folder].items.push_back(stored.id);
        return items_[stored.id] = stored;
    }
    const StoredItem& before = Item(stored.id);
    stored.folder = before.folder;
    stored.created = before.created;
    Append(ItemRecord(stored));
    return items_[stored.id] = stored;
}

void Store::DeleteItem(int id)
{
    const int folder = Item(id).folder;
    if (folder != kDeletedItemsFolder) {
        Append(MoveRecord(id, kDeletedItemsFolder));
        MoveItem(id, kDeletedItemsFolder);
        return;
    }
    Append((Record("remove") << id).Line());
    std::vector<int>& ids = folders_[folder].items;
    ids.erase(std::find(ids.begin(), ids.end(), id));
    items_.erase(id);
}

void Store::MoveItem(int id, int folder)
{
    StoredItem& item = items_.at(id);
    std::vector<int>& from = folders_[item.folder].items;
    // Deletions usually come from the end of a folder.
    auto at = std::find(from.rbegin(), from.rend(), id);
    if (at != from.rend())
        from.erase(std::next(at).base());
    folders_[folder].items.push_back(id);
    item.folder = folder;
}

void Store::CountProtectedCall()
{
    Append(ProtectedRecord(1));
    ++protectedCalls_;
}

std::wstring Store::Setting(const std::wstring& key) const
{
    auto it = settings_.find(key);
    return it == settings_.end() ? std::wstring() : it->second;
}

void Store::SetSetting(const std::wstring& key, const std::wstring& value)
{
    Append(SettingRecord(key, value));
    settings_[key] = value;
    if (key == L"fail-save")
        savesSeen_ = 0;
}

std::wstring Store::Version() const
{
    std::wstring version = standins::EnvironmentText(L"TESSALY_OUTLOOK_VERSION");
    if (version.empty())
        version = Setting(L"version");
    return version.empty() ? std::wstring(kDefaultVersion) : version;
}

void Store::Reset()
{
    if (file_ != INVALID_HANDLE_VALUE)
        ::CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE));
    HANDLE file = ::CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        FailWrite();
    Clear();
    generation_ = NewGeneration();
    const std::string header = HeaderLine(generation_) + IdentityRecord(identity_);
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, header.data(), static_cast<DWORD>(header.size()), &written, nullptr);
    ::CloseHandle(file);
    if (!ok)
        FailWrite();
    readTo_ = header.size();
    lines_ = 1;
}

} // namespace outlook_standin
