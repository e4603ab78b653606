#include "app/SyncRun.h"

#include "app/RemovalLimit.h"
#include "app/RunLogFile.h"
#include "app/SyncLock.h"
#include "base/ExceptionText.h"
#include "base/FileHelpers.h"
#include "base/OleError.h"
#include "base/WideText.h"
#include "contacts/Contact.h"
#include "contacts/CsvReader.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

namespace tessaly {

namespace {

const char* const kTemporaryFileName = "CorvaneTessaly";

const char* const kCompleted = "Operation completed successfully.";
const char* const kInterrupted = "Sync operation has been interrupted by user";
const char* const kAlreadyRunning = "A synchronisation is already running.\r\nPlease try again when it has ended.";
const char* const kNoContacts = "The downloaded file holds no contacts.";
// "An interrupted sync into <destination> could not be finished:", then why.
const char* const kUnfinishedBefore = "An interrupted sync into ";
const char* const kUnfinishedAfter = " could not be finished:\r\n";
const char* const kStoppedByLimit = "stopped: the list would remove more than RemoveLimit percent of the folder";
const char* const kFailed = "Sync operation failed.\r\nPlease try to connect later or contact Corvane technical support";

// Now, local time, ISO 8601 to the second: "2026-12-10T07:30:00".
std::string LocalTimeText()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    return text;
}

} // namespace

SyncRun::Destinations SyncRun::StandardDestinations()
{
    Destinations destinations;
    for (const DestinationRow& row : DestinationTable())
        destinations.emplace(row.kind, row.sync);
    return destinations;
}

std::string SyncRun::TemporaryFilePath()
{
    return ExecutableFolder() + kTemporaryFileName;
}

SyncRun::SyncRun(IRunServices& services, IRunHooks& hooks, Destinations destinations, std::wstring runLogPath)
    : hooks_(hooks), services_(services, hooks), destinations_(std::move(destinations)),
      runLogPath_(std::move(runLogPath))
{
}

void SyncRun::WatchedServices::Start(const Inputs& inputs)
{
    removeLimit = inputs.removeLimit;
    preview = inputs.mode == Mode::Preview;
    planReached = false;
    plan = {};
    warning.clear();
    declined = false;
    stoppedByLimit = false;
}

void SyncRun::WatchedServices::ShowNotice(NoticeKind kind, const std::string& text)
{
    if (kind != NoticeKind::Information)
        warning = text;
    services_.ShowNotice(kind, text);
}

bool SyncRun::WatchedServices::ApproveChanges(const PlannedChanges& planned, const std::string& folderName)
{
    plan = planned;
    planReached = true;
    if (!ExceedsRemoveLimit(planned, removeLimit))
        return true;
    // A preview asks nobody: it tells the code the run would end with.
    const IRunHooks::RemovalAnswer answer =
        preview ? IRunHooks::RemovalAnswer::NobodyToAsk : hooks_.ConfirmRemoval(RemovalQuestion(planned, folderName));
    switch (answer) {
    case IRunHooks::RemovalAnswer::Remove:
        return true;
    case IRunHooks::RemovalAnswer::Keep:
        declined = true;
        return false;
    case IRunHooks::RemovalAnswer::NobodyToAsk:
        break;
    }
    stoppedByLimit = true;
    warning = kStoppedByLimit;
    return false;
}

SyncRun::Outcome SyncRun::Run(const Inputs& inputs)
{
    const std::string started = LocalTimeText();
    const auto start = std::chrono::steady_clock::now();
    const auto seconds = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    services_.Start(inputs);
    listed_ = 0;
    downloaded_ = 0;
    Outcome outcome = kExitError;
    try {
        outcome = RunLocked(inputs);
    } catch (...) {
        services_.warning = ExceptionText(std::current_exception());
        AddToRunLog(inputs, started, seconds(), kExitError);
        throw;
    }
    AddToRunLog(inputs, started, seconds(), outcome);
    return outcome;
}

SyncRun::Outcome SyncRun::RunLocked(const Inputs& inputs)
{
    // Held to the end, the download included; the other run's file is left alone.
    const SyncLock lock;
    if (!lock.Held()) {
        hooks_.HideStopHint();
        services_.ShowNotice(NoticeKind::Warning, kAlreadyRunning);
        return kExitFailed;
    }
    const std::string path = TemporaryFilePath();
    // A killed run leaves the body it was receiving, the contact list in it. One that
    // cannot go now is overwritten by this run's download.
    (void)ForceDeleteFile(PartialDownloadPath(path));
    auto list = std::make_unique<ContactList>(kListCapacity);
    // Also the whole list a killed run left, however early this run ends.
    const auto cleanUp = [&] {
        FreeWithItems(list);
        // A file that cannot go now is replaced by the next download before it is read.
        (void)ForceDeleteFile(path);
    };
    hooks_.PumpOnNextStopCheck();
    Outcome outcome = kExitFailed;
    try {
        // Finishing a killed run writes into its folder; a preview shows it as it was left.
        if (inputs.mode != Mode::Preview)
            FinishInterruptedRuns(inputs.destinationCode);
        try {
            bool success = DownloadAndParse(inputs, path, *list);
            listed_ = list->Count();
            if (success)
                success = WriteToDestination(*list, inputs);
            if (services_.stoppedByLimit) {
                // Unattended: the folder is untouched, and the exit code says why.
                hooks_.HideStopHint();
                outcome = kExitRemoveLimit;
            } else if (inputs.mode == Mode::Preview && services_.planReached) {
                // The destination stopped at its plan, as a preview asks; the plan is the result.
                hooks_.HideStopHint();
                outcome = kExitSucceeded;
            } else {
                outcome = ShowResult(success, hooks_.StopFlagged() || services_.declined);
            }
        } catch (const EComponentBusy& busy) {
            // No error of the run's: its one warning says why, and a later run may succeed.
            hooks_.HideStopHint();
            services_.ShowNotice(NoticeKind::Warning, busy.what());
        }
    } catch (...) {
        cleanUp();
        throw;
    }
    cleanUp();
    return outcome;
}

void SyncRun::AddToRunLog(const Inputs& inputs, const std::string& started, double seconds, Outcome outcome)
{
    if (runLogPath_.empty())
        return;
    RunLogEntry entry;
    entry.started = started;
    entry.mode = inputs.mode == Mode::Unattended ? kUnattendedRunMode
                 : inputs.mode == Mode::Preview  ? kPreviewRunMode
                                                 : kWindowRunMode;
    entry.destination = inputs.destinationCode;
    entry.folder = inputs.folder;
    entry.exitCode = outcome;
    if (outcome != kExitSucceeded)
        entry.warning = AnsiToUtf8(services_.warning);
    entry.contacts = listed_;
    // A preview's counts are its plan's, also where the limit would stop the run.
    if (outcome == kExitSucceeded || (inputs.mode == Mode::Preview && services_.planReached)) {
        entry.added = services_.plan.added;
        entry.updated = services_.plan.updated;
        entry.removed = services_.plan.removed;
        entry.unchanged = services_.plan.unchanged;
    }
    entry.bytes = downloaded_;
    entry.seconds = seconds;
    // The run is over whatever the log says: a log that cannot be written costs only its line.
    (void)AppendRunLogLine(runLogPath_, entry);
}

void SyncRun::FinishInterruptedRuns(int destinationCode)
{
    // A Windows Mail folder half replaced by a killed run must not wait for the next
    // Windows Mail run, nor for a download that may fail.
    for (const DestinationRow& row : DestinationTable()) {
        if (!row.finishInterrupted)
            continue;
        std::string notice;
        try {
            notice = row.finishInterrupted();
        } catch (...) {
            // Only a run into that destination would write over what is left there; the
            // others go on, and say what is left over.
            if (row.code == destinationCode)
                throw;
            notice = kUnfinishedBefore + std::string(row.name) + kUnfinishedAfter +
                     ExceptionText(std::current_exception());
        }
        if (!notice.empty())
            services_.ShowNotice(NoticeKind::Warning, notice);
    }
}

bool SyncRun::DownloadAndParse(const Inputs& inputs, const std::string& path, ContactList& list)
{
    const DownloadServices download{
        [this] { return services_.StopRequested(); },
        [this](NoticeKind kind, const std::string& text) { services_.ShowNotice(kind, text); },
    };
    if (!DownloadFile(inputs.source, path, inputs.user, inputs.password, readBuffer_, download))
        return false;
    const std::string text = ReadTextFile(path);
    downloaded_ = text.size();
    BodyLines body = SplitBody(text);
    ParseBody(list, body, [this] { return services_.StopRequested(); }, AnsiToUtf8);
    // A sign-in page, a binary file or a bare header would otherwise empty the folder.
    if (list.Count() == 0 && !hooks_.StopFlagged()) {
        services_.ShowNotice(NoticeKind::Warning, kNoContacts);
        return false;
    }
    return true;
}

bool SyncRun::WriteToDestination(const ContactList& list, const Inputs& inputs)
{
    const DestinationRow* row = FindDestination(inputs.destinationCode);
    if (!row)
        return false;
    const auto entry = destinations_.find(row->kind);
    if (entry == destinations_.end() || !entry->second)
        return false;
    // The destination's one stop check comes just before it empties the folder: it must
    // see an Escape pressed a moment ago, whatever the throttle says.
    hooks_.PumpOnNextStopCheck();
    return entry->second(list, inputs.folder, services_);
}

SyncRun::Outcome SyncRun::ShowResult(bool success, bool interrupted)
{
    hooks_.HideStopHint();
    if (success)
        services_.ShowNotice(NoticeKind::Information, kCompleted);
    else
        services_.ShowNotice(NoticeKind::Warning, std::string(interrupted ? kInterrupted : kFailed) + ".");
    return success ? kExitSucceeded : interrupted ? kExitInterrupted : kExitFailed;
}

} // namespace tessaly
