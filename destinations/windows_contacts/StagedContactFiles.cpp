#include "destinations/windows_contacts/StagedContactFiles.h"

#include "destinations/windows_contacts/ContactFileNames.h"

#include "base/FileHelpers.h"
#include "base/WideText.h"
#include "base/WinHandles.h"

#include <windows.h>

#include <set>
#include <string_view>

namespace tessaly {

namespace {

// Paths are UTF-8 here and reach the system as wide text: a user name in any script
// may be part of the staging folder and of the contact folder.
std::wstring Wide(const std::string& path)
{
    return Utf8ToWide(path);
}

// Messages are shown in the ANSI code page.
std::string Shown(const std::string& path)
{
    return WideToAnsi(Wide(path).c_str());
}

DWORD Attributes(const std::string& path)
{
    return ::GetFileAttributesW(Wide(path).c_str());
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class SystemFiles final : public ISwapFiles {
public:
    bool FileExists(const std::string& path) override
    {
        const DWORD attributes = Attributes(path);
        return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    bool Exists(const std::string& path) override { return Attributes(path) != INVALID_FILE_ATTRIBUTES; }

    std::vector<std::string> Files(const std::string& folder) override
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAW found{};
        UniqueFindHandle search(::FindFirstFileW(Wide(folder + "\\*").c_str(), &found));
        if (!search)
            return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(WideToUtf8(found.cFileName));
        } while (::FindNextFileW(search.get(), &found));
        return names;
    }

    void MakeFolder(const std::string& path) override
    {
        if (::CreateDirectoryW(Wide(path).c_str(), nullptr))
            return;
        const DWORD code = ::GetLastError();
        if (!IsFolder(path))
            RaiseFileError("Cannot create folder", Shown(path), code);
    }

    void Move(const std::string& from, const std::string& to) override
    {
        // No MOVEFILE_COPY_ALLOWED: a copy is not atomic, and one that fails half-way
        // leaves an empty or partial contact file behind.
        if (!::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH))
            RaiseLastFileError("Cannot move file", Shown(from));
    }

    void Remove(const std::string& path) override
    {
        if (!ForceDeleteFile(Wide(path)))
            RaiseLastFileError("Cannot delete file", Shown(path));
    }

    bool RemoveFolder(const std::string& path) override
    {
        return ::RemoveDirectoryW(Wide(path).c_str()) || Attributes(path) == INVALID_FILE_ATTRIBUTES;
    }

    void Write(const std::string& path, const std::string& text) override
    {
        UniqueKernelHandle file(::CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            RaiseLastFileError("Cannot create file", Shown(path));
        DWORD written = 0;
        if (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
            written != text.size() || !::FlushFileBuffers(file.get()))
            RaiseLastFileError("Cannot write file", Shown(path));
    }

    std::string Read(const std::string& path) override { return ReadTextFile(Wide(path)); }

    std::string Key(const std::string& name) override { return FoldFileName(name); }
};

constexpr char kBesideContactsName[] = "CorvaneTessaly staging";

bool OnOneVolume(const std::string& one, const std::string& other)
{
    const auto volume = [](const std::string& path) {
        wchar_t root[MAX_PATH + 1] = {};
        if (!::GetVolumePathNameW(Wide(path).c_str(), root, MAX_PATH + 1))
            RaiseLastFileError("Cannot find the volume of", Shown(path));
        return FoldFileName(WideToUtf8(root));
    };
    return volume(one) == volume(other);
}

} // namespace

std::string StagingRootFor(ISwapFiles& files, const std::string& ownRoot, const std::string& contactsFolder)
{
    std::string parent = contactsFolder;
    while (!parent.empty() && (parent.back() == '\\' || parent.back() == '/'))
        parent.pop_back();
    parent = DirectoryPart(parent);
    if (parent.empty() || parent.back() == ':')
        parent = contactsFolder; // the Contacts folder is a volume's root
    const std::string beside = WithTrailingDelimiter(parent) + kBesideContactsName;
    const std::string own = WithTrailingDelimiter(DirectoryPart(ownRoot));
    return ChooseStagingRoot(files, ownRoot, beside, OnOneVolume(own, contactsFolder));
}

ISwapFiles& SystemSwapFiles()
{
    static SystemFiles files;
    return files;
}

std::string FoldFileName(std::string_view utf8)
{
    std::wstring folded = Utf8ToWide(utf8);
    if (!folded.empty())
        ::CharUpperBuffW(folded.data(), static_cast<DWORD>(folded.size()));
    return WideToUtf8(folded);
}

StagedContactFiles::StagedContactFiles(ISwapFiles& files, std::string root, bool hidden)
    : files_(files), root_(std::move(root)), newFiles_(StagedFolder(root_))
{
    PrepareSwap(files_, root_);
    if (hidden && !::SetFileAttributesW(Wide(root_).c_str(), FILE_ATTRIBUTE_HIDDEN))
        RaiseLastFileError("Cannot hide folder", Shown(root_));
}

StagedContactFiles::~StagedContactFiles()
{
    if (committed_)
        return; // the swap ended the staging area itself, or left it for the next run
    try {
        (void)RecoverSwap(files_, root_); // nothing committed: this discards, it never gives up
    } catch (...) { // NOLINT(bugprone-empty-catch): a destructor cannot report; the next run retries
    }
}

void StagedContactFiles::ReplaceContactFiles(const std::string& target, const std::vector<std::string>& stale)
{
    SwapPlan plan;
    plan.target = target;
    plan.createdTarget = !IsFolder(target);
    plan.putIn = files_.Files(newFiles_);
    std::set<std::string> staged;
    for (const std::string& name : plan.putIn)
        staged.insert(FoldFileName(name));
    for (const std::string& name : stale)
        if (!staged.contains(FoldFileName(name)))
            plan.remove.push_back(name);
    if (plan.putIn.empty() && plan.remove.empty() && !plan.createdTarget)
        return; // the staging area goes with this object
    committed_ = true;
    CarryOutSwap(files_, root_, plan);
}

} // namespace tessaly
