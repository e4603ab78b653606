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
#include "resources/version.h"

using Microsoft::WRL::ComPtr;

namespace tessaly {

namespace {
constexpr char kNotFound[] = "Windows Mail not found.";
constexpr char kAppName[] = TESSALY_PRODUCT_NAME;
constexpr char kAppVersion[] = "v" TESSALY_VERSION_TEXT;
constexpr char kLeftAsItWas[] = "\r\nThe contact folder was left as it was.";

// Subfolders named like contact files stay when the files are replaced, so no record
// takes their names.
void ReserveRemainingNames(TUniqueFileNames& names, const std::string& base)
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

// The folder's contact files read back; a file that cannot be read as a contact goes
// like one of a contact no longer in the list.
struct FolderContents {
    std::vector<TContactFileEntry> files;
    std::vector<std::string> unreadable;
};

FolderContents ReadFolder(IWindowsContactsPlatform& platform, const std::string& folder)
{
    FolderContents contents;
    const std::string base = WithTrailingDelimiter(folder);
    for (std::string& name : ContactFilesIn(SystemSwapFiles(), folder)) {
        TContactFileEntry entry{std::move(name), {}};
        if (ReadContactFile(platform, base + entry.name, entry.values))
            contents.files.push_back(std::move(entry));
        else
            contents.unreadable.push_back(std::move(entry.name));
    }
    return contents;
}
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

int StageContactFiles(IWindowsContactsPlatform& platform, const TContactList& list, wchar_t* nodeName,
                      const std::string& staging, const std::string& folder, std::vector<std::string>& stale)
{
    const UINT codePage = WindowsCodePage(list.CodePage);
    std::vector<ContactValues> rows;
    // Names in UTF-8, so a name keeps every character and the byte-wise rules for forbidden
    // characters never cut one in half.
    std::vector<std::string> wantedNames;
    rows.reserve(list.Count());
    wantedNames.reserve(list.Count());
    for (const TContactInfo& record : list) {
        rows.push_back(WrittenValues(record, codePage));
        const bool named = HasText(StripChar(record.DisplayName(), ' '));
        wantedNames.push_back(named ? SafeFileBaseName(ConvertText(record.FileBaseName(), codePage, CP_UTF8),
                                                       TContactInfo::NewIdentifier)
                                    : std::string());
    }
    FolderContents contents = ReadFolder(platform, folder);
    const TContactFileWork work = PlanContactFiles(rows, wantedNames, contents.files, FoldFileName);
    stale = work.stale;
    stale.insert(stale.end(), contents.unreadable.begin(), contents.unreadable.end());

    TUniqueFileNames names(FoldFileName);
    ReserveRemainingNames(names, WithTrailingDelimiter(folder));
    for (const std::string& name : work.keep)
        (void)names.Claim(WithoutFileExtension(name));
    for (const TContactFileWork::Write& write : work.writes)
        if (!write.name.empty())
            (void)names.Claim(WithoutFileExtension(write.name));

    const std::string base = WithTrailingDelimiter(staging);
    int held = static_cast<int>(work.unchanged);
    for (const TContactFileWork::Write& write : work.writes) {
        const TContactInfo& record = list[write.row];
        std::string name = write.name;
        if (name.empty()) {
            const std::string& wanted = wantedNames[write.row];
            name = names.Claim(wanted.empty() ? TContactInfo::NewIdentifier() : wanted) + kContactFileExtension;
        }
        if (WriteContactFile(platform, base + name, nodeName, record, codePage))
            ++held;
    }
    return held;
}

bool SyncWindowsContacts(const TContactList& list, const std::string& folderName, IRunServices& services,
                         IWindowsContactsPlatform& platform)
{
    ComPtr<IContactManager> manager = CreateContactManager(services, platform);
    if (!manager)
        return false;
    ZeroFilledBlock block(kNodeBufferCapacity * sizeof(wchar_t));
    wchar_t* buffer = reinterpret_cast<wchar_t*>(block.data());
    if (services.StopRequested())
        return false;
    services.SetStatus("Performing Sync..");

    const std::wstring appName = AnsiToWide(kAppName);
    const std::wstring appVersion = AnsiToWide(kAppVersion);
    DiscardErrorInfo();
    OleCheck(manager->Initialize(appName.c_str(), appVersion.c_str()));
    ComPtr<IContact> own;
    DiscardErrorInfo();
    OleCheck(manager->GetMeContact(own.ReleaseAndGetAddressOf()));
    if (!own)
        RaiseOleError(E_POINTER, {});
    DWORD required = 0;
    DiscardErrorInfo();
    OleCheck(own->GetPath(buffer, kNodeBufferCapacity, &required));
    buffer[kNodeBufferCapacity - 1] = L'\0';
    const std::string ownPath = WideToUtf8(buffer);

    const std::string folder = ContactsFolderPath(ownPath, ConvertText(folderName, CP_ACP, CP_UTF8));
    const size_t total = list.Count();
    int count = 0;
    // Without the own contact's folder there is nowhere safe to write.
    if (!folder.empty()) {
        // The folder changes only once every new or changed file is saved; until then it
        // stays untouched. The staging area is readied first: it finishes a killed run's
        // swap, so what is read below is one whole version.
        const std::string ownRoot = platform.StagingRoot();
        const std::string root = StagingRootFor(SystemSwapFiles(), ownRoot, DirectoryPart(ownPath));
        TStagedContactFiles staging(SystemSwapFiles(), root, root != ownRoot);
        std::vector<std::string> stale;
        count = StageContactFiles(platform, list, buffer, staging.Folder(), folder, stale);
        if (static_cast<size_t>(count) == total)
            staging.ReplaceContactFiles(folder, stale);
    }
    if (static_cast<size_t>(count) < total) {
        services.ShowNotice(NoticeKind::Warning, IRunServices::FormatSavedOnly(count, total) + kLeftAsItWas);
        return false;
    }
    services.ReportCreated(count, folderName);
    return true;
}

std::string FinishInterruptedSwap(IWindowsContactsPlatform& platform)
{
    std::string notice;
    for (const TGivenUpSwap& swap : RecoverSwaps(SystemSwapFiles(), platform.StagingRoot())) {
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
