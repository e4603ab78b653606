#include "destinations/windows_contacts/StagedContactFiles.h"

#include "destinations/windows_contacts/ContactFileNames.h"

#include "base/FileHelpers.h"
#include "base/TextHelpers.h"
#include "base/WideText.h"
#include "base/WinHandles.h"

#include <windows.h>

#include <string_view>

namespace tessaly {

namespace {

// Under the staging root: the new files, the old ones moved aside, the target's path
// (present while old files are aside), and a mark that new files are being moved in.
constexpr char kNewFiles[] = "\\new";
constexpr char kOldFiles[] = "\\old";
constexpr char kTargetFile[] = "\\target";
constexpr char kMovingInMark[] = "\\moving-in";

// Paths are UTF-8 here and reach the system as wide text: a user name in any script
// may be part of the temporary folder and of the contact folder.
std::wstring Wide(const std::string& path)
{
    return Utf8ToWide(path);
}

// Messages are shown in the ANSI code page.
std::string Shown(const std::string& path)
{
    return WideToAnsi(Wide(path).c_str());
}

bool IsFolder(const std::string& path)
{
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The staging folder may lie on another volume than the contact folder.
bool MoveOneFile(const std::string& from, const std::string& to)
{
    return ::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void MakeFolder(const std::string& path)
{
    if (!::CreateDirectoryW(Wide(path).c_str(), nullptr) && !IsFolder(path))
        RaiseLastFileError("Cannot create folder", Shown(path));
}

// Best effort: what stays is cleared by the next run.
void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAW found{};
    {
        UniqueFindHandle search(::FindFirstFileW(Wide(folder + "\\*").c_str(), &found));
        if (search) {
            do {
                const std::string name = WideToUtf8(found.cFileName);
                if (name == "." || name == "..")
                    continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(folder + "\\" + name);
                else
                    (void)ForceDeleteFile(Wide(folder + "\\" + name));
            } while (::FindNextFileW(search.get(), &found));
        }
    }
    (void)::RemoveDirectoryW(Wide(folder).c_str());
}

// Moves each named file from one folder to the other; on a failure the files moved so far
// go back and EFileError is raised for the one that would not move.
void MoveFiles(const std::vector<std::string>& names, const std::string& from, const std::string& to)
{
    for (size_t i = 0; i < names.size(); ++i) {
        if (MoveOneFile(from + "\\" + names[i], to + "\\" + names[i]))
            continue;
        const DWORD code = ::GetLastError();
        for (size_t back = i; back-- > 0;)
            (void)MoveOneFile(to + "\\" + names[back], from + "\\" + names[back]);
        RaiseFileError("Cannot move file", Shown(from + "\\" + names[i]), code);
    }
}

} // namespace

std::vector<std::string> ContactFilesIn(const std::string& folder)
{
    std::vector<std::string> names;
    const std::string ending = TUniqueFileNames::AsciiUpper(kContactFileExtension);
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileW(Wide(folder + "\\*").c_str(), &found));
    if (!search)
        return names;
    do {
        const std::string name = WideToUtf8(found.cFileName);
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!isFolder && TUniqueFileNames::AsciiUpper(name).ends_with(ending))
            names.push_back(name);
    } while (::FindNextFileW(search.get(), &found));
    return names;
}

void RecoverStagingFolder(const std::string& root)
{
    if (!IsFolder(root))
        return;
    const std::string oldFiles = root + kOldFiles;
    if (FileExists(Wide(root + kTargetFile)) && IsFolder(oldFiles)) {
        const std::string target = Trim(ReadTextFile(Wide(root + kTargetFile)));
        if (FileExists(Wide(root + kMovingInMark))) {
            // Every old file was aside, so the contact files in the target are new ones.
            for (const std::string& name : ContactFilesIn(target))
                (void)ForceDeleteFile(Wide(target + "\\" + name));
        }
        MoveFiles(ContactFilesIn(oldFiles), oldFiles, target);
    }
    RemoveTree(root);
}

TStagedContactFiles::TStagedContactFiles(std::string root) : root_(std::move(root)), newFiles_(root_ + kNewFiles)
{
    RecoverStagingFolder(root_);
    MakeFolder(root_);
    MakeFolder(newFiles_);
}

TStagedContactFiles::~TStagedContactFiles()
{
    // Old files that could not be put back stay with the target's name for the next run.
    if (!FileExists(Wide(root_ + kTargetFile)))
        RemoveTree(root_);
}

void TStagedContactFiles::ReplaceContactFiles(const std::string& target)
{
    const bool existed = IsFolder(target);
    MakeFolder(target);
    const std::string oldFiles = root_ + kOldFiles;
    const std::string targetFile = root_ + kTargetFile;
    const std::string mark = root_ + kMovingInMark;
    MakeFolder(oldFiles);

    const std::vector<std::string> oldNames = ContactFilesIn(target);
    SaveTextFile(target, Wide(targetFile));
    try {
        MoveFiles(oldNames, target, oldFiles);
    } catch (...) {
        (void)ForceDeleteFile(Wide(targetFile));
        throw;
    }
    const auto dropNewFolder = [&] {
        if (!existed)
            (void)::RemoveDirectoryW(Wide(target).c_str());
    };
    try {
        SaveTextFile({}, Wide(mark));
        MoveFiles(ContactFilesIn(newFiles_), newFiles_, target);
    } catch (...) {
        (void)ForceDeleteFile(Wide(mark));
        MoveFiles(oldNames, oldFiles, target); // should this fail too, the next run retries
        (void)ForceDeleteFile(Wide(targetFile));
        dropNewFolder();
        throw;
    }
    (void)ForceDeleteFile(Wide(targetFile)); // done: nothing for a later run to put back
}

} // namespace tessaly
