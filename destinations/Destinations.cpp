#include "destinations/Destinations.h"

#include "destinations/windows_contacts/ContactFileNames.h"

#ifdef _WIN32
#include "destinations/outlook/OutlookDestination.h"
#include "destinations/outlook_express/AddressBookDestination.h"
#include "destinations/windows_contacts/WindowsContactsSync.h"
#endif

#include <array>
#include <stdexcept>

namespace tessaly {

namespace {

// Outlook and the Address Book keep their folders' names inside their stores.
bool AnyFolderName(std::string_view)
{
    return true;
}

#ifdef _WIN32
bool SyncOutlookFolder(const ContactList& list, const std::string& folderName, IRunServices& services)
{
    return SyncOutlook(list, folderName, services);
}

bool SyncOutlookExpressFolder(const ContactList& list, const std::string& folderName, IRunServices& services)
{
    return SyncOutlookExpress(list, folderName, services);
}

bool SyncWindowsMailFolder(const ContactList& list, const std::string& folderName, IRunServices& services)
{
    return SyncWindowsContacts(list, folderName, services);
}

std::string FinishInterruptedWindowsMailRun()
{
    return FinishInterruptedSwap();
}
#else
// The native build holds the checks of the settings, not the address books.
constexpr auto SyncOutlookFolder = nullptr;
constexpr auto SyncOutlookExpressFolder = nullptr;
constexpr auto SyncWindowsMailFolder = nullptr;
constexpr auto FinishInterruptedWindowsMailRun = nullptr;
#endif

const std::array<DestinationRow, 3> kDestinations = {{
    {DestinationKind::Outlook, 10, "Outlook", "Microsoft Office Outlook", AnyFolderName, {}, SyncOutlookFolder,
     nullptr},
    {DestinationKind::OutlookExpress, 20, "Outlook Express", "Outlook Express", AnyFolderName, {},
     SyncOutlookExpressFolder, nullptr},
    // Its folder is a real folder beside the user's own contact: a path or a name Windows
    // rewrites would reach (and empty) another folder.
    {DestinationKind::WindowsMail, 30, "Windows Mail", "Windows Mail", IsPlainFolderName,
     "Windows Mail needs the name of one folder, without \\ / : * ? \" < > |", SyncWindowsMailFolder,
     FinishInterruptedWindowsMailRun},
}};

} // namespace

std::span<const DestinationRow> DestinationTable()
{
    return kDestinations;
}

const DestinationRow* FindDestination(int code)
{
    for (const DestinationRow& row : kDestinations)
        if (row.code == code)
            return &row;
    return nullptr;
}

const DestinationRow& DestinationOf(DestinationKind kind)
{
    for (const DestinationRow& row : kDestinations)
        if (row.kind == kind)
            return row;
    throw std::logic_error("a destination kind without a row");
}

int CodeOf(DestinationKind kind)
{
    return DestinationOf(kind).code;
}

} // namespace tessaly
