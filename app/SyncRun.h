#pragma once
// One synchronisation: take the run lock, download the contacts file, parse it, hand the
// list to the destination of the chosen code (destinations/Destinations.h), say how it
// ended, and leave neither the list nor the download file behind, whatever happened. It
// reaches its window only through the run services and the few hooks below.
#include "base/RunServices.h"
#include "contacts/ContactList.h"
#include "contacts/HttpDownload.h"
#include "destinations/Destinations.h"

#include <functional>
#include <map>
#include <string>

namespace tessaly {

// What a run asks of its window beyond the run services.
class IRunHooks {
public:
    // The next stop check lets window messages through, whatever its throttle says.
    virtual void PumpOnNextStopCheck() = 0;
    // The stop flag as it stands, without letting any message through.
    [[nodiscard]] virtual bool StopFlagged() const = 0;
    // The run's final message comes next: the "Press <ESC> to Stop" hint goes first.
    virtual void HideStopHint() = 0;

    enum class RemovalAnswer { Remove, Keep, NobodyToAsk };
    // Asks whether a run that would remove a large share of the folder goes on (`question`
    // is UTF-8); nothing is changed yet. Unattended, nobody is there to answer.
    virtual RemovalAnswer ConfirmRemoval(const std::string& question) = 0;

protected:
    ~IRunHooks() = default;
};

class SyncRun {
public:
    static constexpr size_t kListCapacity = 500;

    // Exit codes of an unattended run: the Task Scheduler shows them as the last result.
    enum Outcome : int {
        kExitSucceeded = 0,
        kExitFailed = 1,
        kExitInterrupted = 2,
        kExitError = 3,
        // Nobody was there to approve removing more than RemoveLimit percent of the folder.
        kExitRemoveLimit = 4
    };

    // A preview downloads and plans as an unattended run does, changes nothing and ends
    // with the exit code the run would have.
    enum class Mode { Window, Unattended, Preview };

    struct Inputs {
        std::string source;
        std::string user;
        std::string password;
        std::string folder; // UTF-8
        // As the settings file and the Sync To list hold it; a code that is not in the
        // destination table has no destination.
        int destinationCode = 0;
        // The largest share of the folder, in percent, removed without asking; 100 asks never.
        int removeLimit = 100;
        Mode mode = Mode::Window;
    };

    // The entry operation of one destination.
    using Destination = std::function<bool(const ContactList&, const std::string&, IRunServices&)>;
    using Destinations = std::map<DestinationKind, Destination>;
    // The entry operation of every row of the destination table.
    static Destinations StandardDestinations();

    // The download file beside the executable, named after the product.
    static std::string TemporaryFilePath();

    // Every run adds its line to the run log at `runLogPath`; none is kept when it is empty.
    SyncRun(IRunServices& services, IRunHooks& hooks, Destinations destinations = StandardDestinations(),
             std::wstring runLogPath = {});
    SyncRun(const SyncRun&) = delete;
    SyncRun& operator=(const SyncRun&) = delete;

    // One whole synchronisation into the contact folder `inputs.folder`. An error from a
    // step travels on once the list and the file are gone, without a result message;
    // a destination too busy to take calls (EComponentBusy) fails the run with its text.
    [[nodiscard]] Outcome Run(const Inputs& inputs);

    // The plan the last run reached, with its contacts named in a preview; null when it
    // ended before one.
    [[nodiscard]] const PlannedChanges* LastPlan() const { return services_.planReached ? &services_.plan : nullptr; }

private:
    // The services the run's steps call: the window's, with the plan approved against the
    // removal limit, and what the run log needs noted on the way.
    class WatchedServices final : public IRunServices {
    public:
        WatchedServices(IRunServices& services, IRunHooks& hooks) : services_(services), hooks_(hooks) {}
        void Start(const Inputs& inputs);
        void SetStatus(const std::string& text) override { services_.SetStatus(text); }
        bool StopRequested() override { return services_.StopRequested(); }
        void ShowNotice(NoticeKind kind, const std::string& text) override;
        bool ApproveChanges(const PlannedChanges& plan, const std::string& folderName) override;
        bool PreviewOnly() override { return preview; }

        int removeLimit = 100;
        bool preview = false;
        bool planReached = false;
        PlannedChanges plan;
        std::string warning; // the last warning or error shown
        bool declined = false;
        bool stoppedByLimit = false;

    private:
        IRunServices& services_;
        IRunHooks& hooks_;
    };

    // The run once the log's figures are set up: everything but the log line.
    [[nodiscard]] Outcome RunLocked(const Inputs& inputs);
    void AddToRunLog(const Inputs& inputs, const std::string& started, double seconds, Outcome outcome);
    // Ends what killed runs left in every destination, showing what was given up. A
    // failure ends a run into that destination; any other run goes on after a warning
    // that names it.
    void FinishInterruptedRuns(int destinationCode);
    // True when the download produced the file and it holds at least one contact (or a
    // stop came during the parse, which the destination then sees).
    [[nodiscard]] bool DownloadAndParse(const Inputs& inputs, const std::string& path, ContactList& list);
    [[nodiscard]] bool WriteToDestination(const ContactList& list, const Inputs& inputs);
    [[nodiscard]] Outcome ShowResult(bool success, bool interrupted);

    IRunHooks& hooks_;
    WatchedServices services_;
    Destinations destinations_;
    std::wstring runLogPath_;
    // What the run log needs of the current run.
    size_t listed_ = 0;
    size_t downloaded_ = 0;
    // Every download reads through this one block.
    ReadBuffer readBuffer_;
};

} // namespace tessaly
