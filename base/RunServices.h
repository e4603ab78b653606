#pragma once
// The services that every long step of a synchronisation calls back: the status line,
// the count report, the stop check and the one funnel for user messages.
#include <cstddef>
#include <string>
#include <vector>

namespace tessaly {

enum class NoticeKind { Warning = 0, Information = 1, Error = 2 };

// One contact a preview shows: what the run would do to it, and how it is known.
struct PlannedContact {
    enum class Change { Add, Update, Remove };
    Change change = Change::Add;
    std::string name;  // UTF-8: the display name, or the item's identity where its content is unknown
    std::string email; // UTF-8
    // False for an item whose content this run cannot read: only its identity is shown.
    bool known = true;
};

// What a run is about to do to a folder, told before its first change.
struct PlannedChanges {
    size_t held = 0; // contact items the folder holds
    size_t unchanged = 0;
    size_t added = 0;
    size_t updated = 0;
    size_t removed = 0;
    // The folder cannot be listed: every contact item goes and the list is written anew.
    bool replacement = false;
    // One per contact added, updated or removed; filled only for a preview, so that an
    // ordinary run builds no text per contact.
    std::vector<PlannedContact> contacts;
};

class IRunServices {
public:
    // Sets the status line (UTF-8, as the folder name it may hold) and repaints it at once.
    virtual void SetStatus(const std::string& text) = 0;
    // Lets pending window messages through (repaint, Escape), then answers the stop flag.
    virtual bool StopRequested() = 0;
    // Shows a modal message with one OK button; shows nothing in unattended mode.
    virtual void ShowNotice(NoticeKind kind, const std::string& text) = 0;
    // Told the plan before the run's first change; false stops the run with the folder
    // untouched. Services that guard nothing take every plan.
    virtual bool ApproveChanges(const PlannedChanges& /*plan*/, const std::string& /*folderName*/) { return true; }
    // A preview: the folder is read but nothing is changed, created or marked anywhere; the
    // plan, with its contacts, goes to ApproveChanges and the run ends there.
    virtual bool PreviewOnly() { return false; }

    void ReportCreated(int count, const std::string& folderName)
    {
        SetStatus(FormatCreated(count, folderName));
    }

    // "%s created - %d item(s)" with the folder name and the count.
    static std::string FormatCreated(int count, const std::string& folderName)
    {
        return folderName + " created - " + std::to_string(count) + " item(s)";
    }

    // The warning of a destination that saved fewer contacts than it was handed.
    static std::string FormatSavedOnly(int saved, size_t total)
    {
        return "Only " + std::to_string(saved) + " of " + std::to_string(total) + " contacts could be saved.";
    }

protected:
    ~IRunServices() = default;
};

} // namespace tessaly
