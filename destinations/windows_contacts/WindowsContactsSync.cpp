#include "destinations/windows_contacts/WindowsContactsSync.h"

#include "destinations/windows_contacts/ContactFile.h"
#include "destinations/windows_contacts/ContactFileNames.h"
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

int WriteContactFiles(IWindowsContactsPlatform& platform, const TContactList& list, wchar_t* nodeName,
                      const std::string& staging, const std::string& folder)
{
    TUniqueFileNames names(FoldFileName);
    ReserveRemainingNames(names, WithTrailingDelimiter(folder));
    const std::string base = WithTrailingDelimiter(staging);
    const UINT codePage = WindowsCodePage(list.CodePage);
    int saved = 0;
    for (const TContactInfo& record : list) {
        // Named in UTF-8, so the name keeps every character and the byte-wise rules for
        // forbidden characters never cut one in half.
        const std::string baseName = ConvertText(record.FileBaseName(), codePage, CP_UTF8);
        const std::string name = names.Claim(SafeFileBaseName(baseName, TContactInfo::NewIdentifier));
        if (WriteContactFile(platform, base + name + kContactFileExtension, nodeName, record, codePage))
            ++saved;
    }
    return saved;
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
        // The old files give way only to a complete new set; until then they stay untouched.
        const std::string ownRoot = platform.StagingRoot();
        const std::string root = StagingRootFor(SystemSwapFiles(), ownRoot, DirectoryPart(ownPath));
        TStagedContactFiles staging(SystemSwapFiles(), root, root != ownRoot);
        count = WriteContactFiles(platform, list, buffer, staging.Folder(), folder);
        if (static_cast<size_t>(count) == total)
            staging.ReplaceContactFiles(folder);
    }
    if (static_cast<size_t>(count) < total) {
        services.ShowNotice(NoticeKind::Warning, IRunServices::FormatSavedOnly(count, total) + kLeftAsItWas);
        return false;
    }
    services.ReportCreated(count, folderName);
    return true;
}

void FinishInterruptedSwap(IWindowsContactsPlatform& platform)
{
    RecoverSwaps(SystemSwapFiles(), platform.StagingRoot());
}

} // namespace tessaly
