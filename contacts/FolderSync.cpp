#include "contacts/FolderSync.h"

#include "contacts/Contact.h"

#include <algorithm>
#include <utility>

namespace tessaly {

namespace {

constexpr char kPerformingSync[] = "Performing Sync..";
constexpr char kLeftAsItWas[] = "\r\nThe contact folder was left as it was.";

// The plan over a listed folder, and whether what the folder holds was learnt by reading
// items back (the record is then worth writing even when nothing changes).
struct FolderPlan {
    FolderChanges changes;
    bool readBack = false;
};

// Learns what each item holds (the listing, the record, or the item itself) and plans the
// run over the items it can match; foreign items go.
FolderPlan PlanListedFolder(IContactFolder& folder, const std::vector<ContactValues>& rows,
                            std::vector<FolderEntry>& entries, const std::vector<ListedItem>& listed,
                            const FolderRecord* record)
{
    FolderPlan plan;
    const std::vector<const ContactValues*> recorded = RecordedValues(listed, record);
    std::vector<size_t> matchable; // entry index of each item the plan sees
    std::vector<ListedItem> matchableListed;
    std::vector<const ContactValues*> known;
    std::vector<size_t> foreign;
    for (size_t i = 0; i < entries.size(); ++i) {
        const ContactValues* held = entries[i].values ? &*entries[i].values : recorded[i];
        if (held == nullptr) {
            ContactValues values;
            switch (folder.ReadItem(i, values)) {
            case ItemContent::Read:
                entries[i].values = std::move(values);
                held = &*entries[i].values;
                plan.readBack = true;
                break;
            case ItemContent::Foreign: foreign.push_back(i); continue;
            case ItemContent::Unknown: break;
            }
        }
        matchable.push_back(i);
        matchableListed.push_back(listed[i]);
        known.push_back(held);
    }

    const FolderChanges matched = PlanFolderChanges(rows, matchableListed, std::move(known));
    FolderChanges& changes = plan.changes;
    changes.unchanged = matched.unchanged;
    changes.additions = matched.additions;
    changes.known.assign(entries.size(), nullptr);
    for (size_t m = 0; m < matchable.size(); ++m)
        changes.known[matchable[m]] = matched.known[m];
    for (const ContactChanges::Update& update : matched.updates)
        changes.updates.push_back({update.row, matchable[update.item]});
    for (const ContactChanges::Update& rewrite : matched.rewrites)
        changes.rewrites.push_back({rewrite.row, matchable[rewrite.item]});
    for (size_t stale : matched.removals)
        changes.removals.push_back(matchable[stale]);
    changes.removals.insert(changes.removals.end(), foreign.begin(), foreign.end());
    std::sort(changes.removals.begin(), changes.removals.end());
    return plan;
}

bool Changes(const FolderChanges& changes)
{
    return !changes.updates.empty() || !changes.rewrites.empty() || !changes.additions.empty() ||
           !changes.removals.empty();
}

PlannedChanges Planned(size_t held, const FolderChanges& changes)
{
    PlannedChanges planned;
    planned.held = held;
    planned.unchanged = changes.unchanged;
    planned.added = changes.additions.size();
    planned.updated = changes.updates.size() + changes.rewrites.size();
    planned.removed = changes.removals.size();
    return planned;
}

PlannedContact RowContact(PlannedContact::Change change, const ContactValues& values)
{
    return {change, values[static_cast<size_t>(ContactField::DisplayName)],
            values[static_cast<size_t>(ContactField::Email)], true};
}

// The contacts a preview names: rows by their values, items to remove by what they are
// known to hold, or by their identity where that is unknown.
std::vector<PlannedContact> PreviewContacts(const std::vector<ContactValues>& rows,
                                            const std::vector<FolderEntry>& entries, const FolderChanges& changes)
{
    std::vector<PlannedContact> contacts;
    contacts.reserve(changes.additions.size() + changes.updates.size() + changes.rewrites.size() +
                     changes.removals.size());
    for (size_t row : changes.additions)
        contacts.push_back(RowContact(PlannedContact::Change::Add, rows[row]));
    for (const ContactChanges::Update& update : changes.updates)
        contacts.push_back(RowContact(PlannedContact::Change::Update, rows[update.row]));
    for (const ContactChanges::Update& rewrite : changes.rewrites)
        contacts.push_back(RowContact(PlannedContact::Change::Update, rows[rewrite.row]));
    for (size_t item : changes.removals) {
        if (const ContactValues* held = changes.known[item]) {
            contacts.push_back(RowContact(PlannedContact::Change::Remove, *held));
            continue;
        }
        const ListedItem& listed = entries[item].listed;
        contacts.push_back({PlannedContact::Change::Remove, listed.name.empty() ? listed.id : listed.name, {}, false});
    }
    return contacts;
}

} // namespace

bool SyncContactFolder(IContactFolder& folder, const std::vector<ContactValues>& rows, const std::string& folderName,
                       IRunServices& services)
{
    if (services.StopRequested())
        return false;
    services.SetStatus(kPerformingSync);

    // A preview reads and plans as a run does, and ends where the run would start writing.
    const bool preview = services.PreviewOnly();
    std::vector<FolderEntry> entries;
    const FolderOpening opening = folder.Open(entries);
    if (opening == FolderOpening::Failed)
        return false;
    if (opening == FolderOpening::Unlisted) {
        PlannedChanges replacement;
        replacement.held = folder.CountContactItems();
        replacement.removed = replacement.held;
        replacement.added = rows.size();
        replacement.replacement = true;
        // What goes cannot be named without reading items past Outlook's guard.
        if (preview) {
            for (const ContactValues& row : rows)
                replacement.contacts.push_back(RowContact(PlannedContact::Change::Add, row));
        }
        if (!services.ApproveChanges(replacement, folderName) || preview)
            return false;
        folder.RemoveAll();
        entries.clear();
    }
    std::vector<ListedItem> listed;
    listed.reserve(entries.size());
    for (const FolderEntry& entry : entries)
        listed.push_back(entry.listed);

    const std::optional<std::string> identity =
        opening == FolderOpening::Listed ? folder.RecordIdentity() : std::nullopt;
    std::optional<FolderRecord> record;
    if (identity)
        record = folder.LoadRecord(*identity);

    FolderPlan plan;
    if (opening != FolderOpening::Missing)
        plan = PlanListedFolder(folder, rows, entries, listed, record ? &*record : nullptr);
    if (preview && opening == FolderOpening::Missing) {
        // A run would create the folder and add every row to it.
        for (size_t row = 0; row < rows.size(); ++row)
            plan.changes.additions.push_back(row);
    }
    const FolderChanges& changes = plan.changes;
    // An unlisted folder's plan was approved before its items went.
    if (opening != FolderOpening::Unlisted) {
        PlannedChanges planned = Planned(entries.size(), changes);
        if (preview)
            planned.contacts = PreviewContacts(rows, entries, changes);
        if (!services.ApproveChanges(planned, folderName) || preview)
            return false;
    }
    folder.Prepare(changes);

    // Every write comes before any removal: a run cut short loses no contact of the list.
    size_t count = opening == FolderOpening::Missing ? 0 : changes.unchanged;
    for (const ContactChanges::Update& update : changes.updates)
        count += folder.Update(update.item, update.row, changes.known[update.item]) ? 1 : 0;
    for (const ContactChanges::Update& rewrite : changes.rewrites)
        count += folder.Update(rewrite.item, rewrite.row, nullptr) ? 1 : 0;
    std::vector<std::string> added;
    added.reserve(changes.additions.size());
    for (size_t row : changes.additions)
        count += folder.Add(row, added.emplace_back()) ? 1 : 0;
    const bool removed = changes.removals.empty() || folder.Remove(changes.removals);

    const bool complete = count == rows.size();
    const bool committed = folder.Commit(complete);
    // A run that changed nothing and read nothing back leaves the record as true as it found it.
    if (committed && identity && (Changes(changes) || plan.readBack || !record))
        folder.SaveRecord(RecordAfterChanges(*identity, rows, listed, changes, added, folder.ListAgain()));
    record.reset();

    if (committed)
        services.ReportCreated(static_cast<int>(count), folderName);
    if (!complete) {
        services.ShowNotice(NoticeKind::Warning, IRunServices::FormatSavedOnly(static_cast<int>(count), rows.size()) +
                                                     (committed ? "" : kLeftAsItWas));
    }
    return complete && removed && committed;
}

} // namespace tessaly
