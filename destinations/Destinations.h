#pragma once
// The table of destinations, one row per address book the program writes into: the code
// the settings file and the Sync To list hold, the names shown for it, the folder names
// it takes, how a run writes into it and how a run killed while writing there is finished.
// The program reaches the three address books only through this table.
#include <span>
#include <string>
#include <string_view>

namespace tessaly {

class IRunServices;
class ContactList;

// A kind is named after the user's program; the code that drives it is named after the
// library it drives (Windows Mail's is windows_contacts/).
enum class DestinationKind { Outlook, OutlookExpress, WindowsMail };

struct DestinationRow {
    DestinationKind kind;
    // EmailClient in the settings file, the item's code in the Sync To list.
    int code;
    // The program's name in messages.
    std::string_view name;
    // The item of the Sync To list.
    std::string_view caption;
    // True when the folder's name (UTF-8, trimmed, not blank) can be written into.
    bool (*acceptsFolder)(std::string_view folderName);
    // Why a folder name it does not accept is refused.
    std::string_view folderRequirement;
    // Makes the folder hold the list; false when the run failed or was stopped. The
    // native build has no address book to open: null there.
    bool (*sync)(const ContactList& list, const std::string& folderName, IRunServices& services);
    // Finishes what a run killed while writing left, before any run; returns what had to
    // be given up, or empty. Null where a killed run leaves nothing to finish.
    std::string (*finishInterrupted)();
};

// Every row, in the order of the Sync To list.
[[nodiscard]] std::span<const DestinationRow> DestinationTable();

// The row of the code; null when no destination has it.
[[nodiscard]] const DestinationRow* FindDestination(int code);

[[nodiscard]] const DestinationRow& DestinationOf(DestinationKind kind);

// The code of the kind, as the settings file holds it.
[[nodiscard]] int CodeOf(DestinationKind kind);

} // namespace tessaly
