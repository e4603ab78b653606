#include "destinations/windows_contacts/WindowsContactsSync.h"

#include "destinations/windows_contacts/ContactFile.h"
#include "destinations/windows_contacts/ContactFileNames.h"
#include "destinations/windows_contacts/ContactFilePlan.h"
#include "destinations/windows_contacts/StagedContactFiles.h"

#include "base/FileHelpers.h"
#include "base/OleError.h"
#include "base/TextHelpers.h"
#include "base/WideText.h"
#include "base/WinHandles.h"
#include "base/ZeroFilledBlock.h"
#include "contacts/Contact.h"
#include "contacts/FolderRecordFile.h"
#include "contacts/FolderSync.h"
#include "resources/version.h"

#include <optional>
#include <unordered_map>
#include <utility>

using Microsoft::WRL::ComPtr;

namespace tessaly {

namespace {
constexpr char kNotFound[] = "Windows Mail not found.";
constexpr char kAppName[] = TESSALY_PRODUCT_NAME;
constexpr char kAppVersion[] = "v" TESSALY_VERSION_TEXT;

// Subfolders named like contact files stay when the files are replaced, so no record
// takes their names.
void ReserveRemainingNames(UniqueFileNames& names, const std::string& base)
{
    const std::string extension = kContactFileExtension;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileW(Utf8ToWide(base + "*" + extension).c_str(), &found));
    if (!search)
        return;
    const std::string ending = FoldFileName(extension);
    do {
        const std::string name = WideToUtf8(found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.size() > extension.size() &&
            FoldFileName(name).ends_with(ending))
            (void)names.Claim(name.substr(0, name.size() - extension.size()));
    } while (::FindNextFileW(search.get(), &found));
}

// The folder's contact files in one directory listing, each named by its file name and
// stamped with its last write and size, so that an unchanged file need not be opened.
std::vector<ListedItem> ListContactFiles(const std::string& folder)
{
    std::vector<ListedItem> files;
    const std::wstring pattern = Utf8ToWide(WithTrailingDelimiter(folder) + "*");
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                               nullptr, FIND_FIRST_EX_LARGE_FETCH));
    // Windows before 7 knows neither the basic level nor the large fetch.
    if (!search && ::GetLastError() == ERROR_INVALID_PARAMETER)
        search.reset(::FindFirstFileExW(pattern.c_str(), FindExInfoStandard, &found, FindExSearchNameMatch, nullptr, 0));
    if (!search) {
        // A folder not made yet holds nothing; one that cannot be listed must not pass for empty.
        const DWORD code = ::GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)
            return files;
        RaiseFileError("Cannot list folder", WideToAnsi(Utf8ToWide(folder).c_str()), code);
    }
    const std::string ending = UniqueFileNames::AsciiUpper(kContactFileExtension);
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        std::string name = WideToUtf8(found.cFileName);
        if (!UniqueFileNames::AsciiUpper(name).ends_with(ending))
            continue;
        const auto written = (static_cast<unsigned long long>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                             found.ftLastWriteTime.dwLowDateTime;
        const auto size = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        files.push_back({std::move(name), std::to_string(written) + " " + std::to_string(size), {}});
    } while (::FindNextFileW(search.get(), &found));
    return files;
}

// A folder of contact files beside the user's own contact. The new and changed files are
// built in a staging folder and go in by one swap, the commit, only once every one of
// them is saved; until then the folder stays as it was.
class ContactFilesFolder final : public IContactFolder {
public:
    // `readOnly` (a preview) lists the folder without readying the staging folder, which
    // would finish a killed run's swap.
    ContactFilesFolder(IWindowsContactsPlatform& platform, IContactManager* manager, const ContactList& list,
                       const std::string& folderName, wchar_t* nodeName, bool readOnly)
        : platform_(platform), manager_(manager), list_(list), folderName_(folderName), nodeName_(nodeName),
          readOnly_(readOnly)
    {
        rows_.reserve(list.Count());
        // Names in UTF-8, so a name keeps every character and the byte-wise rules for
        // forbidden characters never cut one in half.
        wantedNames_.reserve(list.Count());
        for (const ContactInfo& record : list) {
            rows_.push_back(ContactFileValues(record));
            const bool named = HasText(StripChar(record.DisplayName(), ' '));
            wantedNames_.push_back(named ? SafeFileBaseName(record.FileBaseName(), ContactInfo::NewIdentifier)
                                         : std::string());
        }
    }

    const std::vector<ContactValues>& RowValues() const { return rows_; }

    FolderOpening Open(std::vector<FolderEntry>& entries) override
    {
        const std::wstring appName = AnsiToWide(kAppName);
        const std::wstring appVersion = AnsiToWide(kAppVersion);
        DiscardErrorInfo();
        OleCheck(manager_->Initialize(appName.c_str(), appVersion.c_str()));
        ComPtr<IContact> own;
        DiscardErrorInfo();
        OleCheck(manager_->GetMeContact(own.ReleaseAndGetAddressOf()));
        if (!own)
            RaiseOleError(E_POINTER, {});
        DWORD required = 0;
        DiscardErrorInfo();
        OleCheck(own->GetPath(nodeName_, kNodeBufferCapacity, &required));
        nodeName_[kNodeBufferCapacity - 1] = L'\0';
        const std::string ownPath = WideToUtf8(nodeName_);

        folder_ = ContactsFolderPath(ownPath, folderName_);
        // Without the own contact's folder there is nowhere safe to write.
        if (folder_.empty())
            return FolderOpening::Missing;
        // Readied before the folder is read: it finishes a killed run's swap, so what is
        // read is one whole version. A preview shows the folder as such a run left it.
        if (!readOnly_) {
            const std::string ownRoot = platform_.StagingRoot();
            const std::string root = StagingRootFor(SystemSwapFiles(), ownRoot, DirectoryPart(ownPath));
            staging_.emplace(SystemSwapFiles(), root, root != ownRoot);
        }
        for (ListedItem& file : ListContactFiles(folder_)) {
            files_.push_back(file.id);
            entries.push_back({std::move(file), std::nullopt});
        }
        return FolderOpening::Listed;
    }

    // Every folder of contact files can be listed.
    size_t CountContactItems() override { return files_.size(); }
    void RemoveAll() override {}

    // A file that cannot be read as a contact goes like one of a contact no longer listed.
    ItemContent ReadItem(size_t item, ContactValues& values) override
    {
        return ReadContactFile(platform_, WithTrailingDelimiter(folder_) + files_[item], values) ? ItemContent::Read
                                                                                                 : ItemContent::Foreign;
    }

    // Each written row's file name, decided before the first file is staged: names of the
    // folder's subfolders and of the files that stay are not reused.
    void Prepare(const FolderChanges& changes) override
    {
        ContactChanges planned;
        planned.unchanged = changes.unchanged;
        planned.updates = changes.updates;
        planned.updates.insert(planned.updates.end(), changes.rewrites.begin(), changes.rewrites.end());
        planned.additions = changes.additions;
        planned.removals = changes.removals;
        const ContactFileWork work = FileWorkOf(planned, wantedNames_, files_, FoldFileName);
        stale_ = work.stale;

        UniqueFileNames names(FoldFileName);
        ReserveRemainingNames(names, WithTrailingDelimiter(folder_));
        for (const std::string& name : work.keep)
            (void)names.Claim(WithoutFileExtension(name));
        for (const ContactFileWork::Write& write : work.writes)
            if (!write.name.empty())
                (void)names.Claim(WithoutFileExtension(write.name));
        for (const ContactFileWork::Write& write : work.writes) {
            std::string name = write.name;
            if (name.empty()) {
                const std::string& wanted = wantedNames_[write.row];
                name = names.Claim(wanted.empty() ? ContactInfo::NewIdentifier() : wanted) + kContactFileExtension;
            }
            fileNames_.emplace(write.row, std::move(name));
        }
    }

    bool Update(size_t, size_t row, const ContactValues*) override { return Stage(row); }

    bool Add(size_t row, std::string& identity) override
    {
        if (!Stage(row))
            return false;
        identity = fileNames_.at(row);
        return true;
    }

    // The plan's stale files were taken in Prepare; they go with the swap.
    bool Remove(const std::vector<size_t>&) override { return true; }

    bool Commit(bool complete) override
    {
        if (!complete || !staging_)
            return false;
        staging_->ReplaceContactFiles(folder_, stale_);
        return true;
    }

    // Kept beside the staging area, under the folder's full path.
    std::optional<std::string> RecordIdentity() override { return "Windows Mail " + folder_; }

    std::optional<FolderRecord> LoadRecord(const std::string& identity) override
    {
        return LoadFolderRecord(RecordDirectory(), identity);
    }

    void SaveRecord(const FolderRecord& record) override
    {
        try {
            SaveFolderRecord(RecordDirectory(), record);
        } catch (const EFileError&) {
            // The folder is right already; without its record the next run reads every file.
        }
    }

    std::vector<ListedItem> ListAgain() override { return ListContactFiles(folder_); }

private:
    bool Stage(size_t row)
    {
        return WriteContactFile(platform_, WithTrailingDelimiter(staging_->Folder()) + fileNames_.at(row), nodeName_,
                                list_[row]);
    }

    std::wstring RecordDirectory()
    {
        std::string directory = DirectoryPart(platform_.StagingRoot());
        while (!directory.empty() && (directory.back() == '\\' || directory.back() == '/'))
            directory.pop_back();
        return Utf8ToWide(directory);
    }

    IWindowsContactsPlatform& platform_;
    IContactManager* manager_;
    const ContactList& list_;
    std::string folderName_; // UTF-8
    wchar_t* nodeName_;
    bool readOnly_;
    std::vector<ContactValues> rows_;
    std::vector<std::string> wantedNames_;
    std::string folder_;
    std::optional<StagedContactFiles> staging_;
    std::vector<std::string> files_; // of the listed items
    std::unordered_map<size_t, std::string> fileNames_;
    std::vector<std::string> stale_;
};

} // namespace

ComPtr<IContactManager> CreateContactManager(IRunServices& services, IWindowsContactsPlatform& platform)
{
    ComPtr<IContactManager> manager;
    DWORD major = 0;
    if (platform.SystemMajorVersion(major) && major > 5 && platform.LoadAddressBookLibrary()) {
        if (FAILED(platform.CreateContactManager(manager.ReleaseAndGetAddressOf())))
            manager.Reset();
    }
    if (!manager)
        services.ShowNotice(NoticeKind::Error, kNotFound);
    return manager;
}

std::string ContactsFolderPath(const std::string& ownPath, const std::string& folderName)
{
    const std::string directory = DirectoryPart(ownPath);
    if (!HasText(directory))
        return {};
    return WithTrailingDelimiter(directory) + folderName;
}

bool SyncWindowsContacts(const ContactList& list, const std::string& folderName, IRunServices& services,
                         IWindowsContactsPlatform& platform)
{
    ComPtr<IContactManager> manager = CreateContactManager(services, platform);
    if (!manager)
        return false;
    ZeroFilledBlock block(kNodeBufferCapacity * sizeof(wchar_t));
    ContactFilesFolder folder(platform, manager.Get(), list, folderName, reinterpret_cast<wchar_t*>(block.data()),
                              services.PreviewOnly());
    return SyncContactFolder(folder, folder.RowValues(), folderName, services);
}

std::string FinishInterruptedSwap(IWindowsContactsPlatform& platform)
{
    std::string notice;
    for (const GivenUpSwap& swap : RecoverSwaps(SystemSwapFiles(), platform.StagingRoot())) {
        if (!notice.empty())
            notice += "\r\n\r\n";
        notice += "An interrupted sync could not finish replacing the contacts of\r\n" +
                  ConvertText(swap.target, CP_UTF8, CP_ACP) +
                  "\r\nbecause it is no longer a folder. Its old contacts were kept in\r\n" +
                  ConvertText(swap.keptIn, CP_UTF8, CP_ACP);
    }
    return notice;
}

} // namespace tessaly
