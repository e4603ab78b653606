#pragma once
// Folders and files that the tests set up and look at.
#include "contacts/Contact.h"
#include "contacts/ContactList.h"

#include <windows.h>

#include <set>
#include <string>

namespace fakes {

// Entries directly in `folder`: file names, and folder names with a trailing "\".
inline std::set<std::string> FolderEntries(const std::string& folder)
{
    std::set<std::string> entries;
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        entries.insert(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? name + "\\" : name);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return entries;
}

inline void WriteFile(const std::string& path, const std::string& text = "x", bool readOnly = false)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    if (readOnly)
        ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
}

// Removes the folder with everything in it, read-only files included.
inline void RemoveTree(const std::string& folder)
{
    for (const std::string& entry : FolderEntries(folder)) {
        const std::string path = folder + "\\" + entry;
        if (entry.back() == '\\') {
            RemoveTree(path.substr(0, path.size() - 1));
        } else {
            ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA(path.c_str());
        }
    }
    ::RemoveDirectoryA(folder.c_str());
}

// A new empty folder under the temporary folder, removed with its contents at the end.
class TempFolder {
public:
    TempFolder()
    {
        char base[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, base);
        path_ = std::string(base) + "tessaly-wc-" + tessaly::ContactInfo::NewIdentifier();
        ::CreateDirectoryA(path_.c_str(), nullptr);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    ~TempFolder() { RemoveTree(path_); }

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A record with the given display name and every other field filled in.
inline tessaly::ContactInfo& AddRecord(tessaly::ContactList& list, const std::string& displayName)
{
    tessaly::ContactInfo& record = list.Emplace(std::vector<std::string>{});
    for (const auto& entry : tessaly::ContactInfo::kFields)
        record.SetField(entry.field, std::string(entry.name) + " of " + displayName);
    record.SetField(tessaly::ContactField::DisplayName, displayName);
    return record;
}

} // namespace fakes
