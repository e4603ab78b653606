// One synchronisation end to end: the real download from the loopback server and the real
// parse, with a window that records what the run tells it and in-process destinations
// that record what they were handed. Every outcome must leave no download file behind
// and show exactly the run's own messages, in their order.
#include "app/SyncLock.h"
#include "app/RunLog.h"
#include "app/SyncRun.h"
#include "base/ExceptionText.h"
#include "base/FileHelpers.h"
#include "base/OleError.h"
#include "base/WinHandles.h"
#include "contacts/Contact.h"
#include "destinations/windows_contacts/WindowsContactsPlatform.h"

#include "TestServer.h"
#include "support/RecordingRunServices.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <vector>

namespace tessaly {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const char* const kCompleted = "Operation completed successfully.";
const char* const kInterrupted = "Sync operation has been interrupted by user.";
const char* const kFailed =
    "Sync operation failed.\r\nPlease try to connect later or contact Corvane technical support.";
const char* const kHintHidden = "(stop hint hidden)";

using Notice = test::RecordedNotice;

Notice Information(const std::string& text)
{
    return {NoticeKind::Information, text};
}
Notice Warning(const std::string& text)
{
    return {NoticeKind::Warning, text};
}

bool DownloadFileLeft()
{
    return FileExists(SyncRun::TemporaryFilePath());
}

// The window as a run sees it: recording run services and the run's hooks. Its stop
// check lets a waiting stop (an Escape still in the queue) through only when told to
// pump, as the window's throttle would hold it back.
class RecordingWindow : public test::RecordingRunServices, public IRunHooks {
public:
    bool StopRequested() override
    {
        if (pumpDue) {
            pumpDue = false;
            stop = stop || stopWaiting;
            stopWaiting = false;
        }
        return RecordingRunServices::StopRequested();
    }
    void ShowNotice(NoticeKind kind, const std::string& text) override
    {
        RecordingRunServices::ShowNotice(kind, text);
        fileWhileShown.push_back(DownloadFileLeft());
        events.push_back(text);
    }
    void PumpOnNextStopCheck() override { pumpDue = true; }
    bool StopFlagged() const override { return stop; }
    void HideStopHint() override
    {
        hintShown = false;
        events.push_back(kHintHidden);
    }
    RemovalAnswer ConfirmRemoval(const std::string& question) override
    {
        questions.push_back(question);
        return removalAnswer;
    }

    RemovalAnswer removalAnswer = RemovalAnswer::Remove;
    std::vector<std::string> questions;
    bool stopWaiting = false;
    bool pumpDue = false;
    bool hintShown = true;
    std::vector<bool> fileWhileShown;
    // Hint and notices, in the order they happened.
    std::vector<std::string> events;
};

// Behaves as the real destinations do: one stop check before writing, the status text,
// then the count report.
struct FakeDestination {
    enum class Ending { Succeed, Fail, Throw, Busy };
    Ending ending = Ending::Succeed;
    std::function<void()> whileWriting;
    const RecordingWindow* window = nullptr;
    // Told to the run before writing, when set.
    std::optional<PlannedChanges> plan;

    int calls = 0;
    bool wrote = false;
    bool pumpDueOnEntry = false;
    size_t count = 0;
    std::string folder;
    std::string firstDisplayName;

    SyncRun::Destination Entry()
    {
        return [this](const ContactList& list, const std::string& folderName, IRunServices& services) {
            ++calls;
            folder = folderName;
            pumpDueOnEntry = window && window->pumpDue;
            if (services.StopRequested())
                return false;
            services.SetStatus("Performing Sync..");
            // A preview ends at the plan, as the driver does.
            if (plan && services.PreviewOnly()) {
                (void)services.ApproveChanges(*plan, folderName);
                return false;
            }
            if (plan && !services.ApproveChanges(*plan, folderName))
                return false;
            wrote = true;
            count = list.Count();
            if (count > 0)
                firstDisplayName = list.Get(0).DisplayName();
            if (whileWriting)
                whileWriting();
            if (ending == Ending::Throw)
                throw EOleError(E_FAIL, "The address book went away.");
            if (ending == Ending::Busy)
                throw EComponentBusy(RPC_E_CALL_REJECTED, "Microsoft Outlook is busy. Please try again later.");
            services.ReportCreated(static_cast<int>(count), folderName);
            return ending == Ending::Succeed;
        };
    }
};

class SyncRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ForceDeleteFile(SyncRun::TemporaryFilePath()));
        contactsUrl = test::TestServerUrl("/files/contacts.csv?generate=25");
        destination.window = &window;
    }

    // The run, with the fake destination under `code`.
    std::unique_ptr<SyncRun> MakeRun(DestinationKind kind = DestinationKind::Outlook)
    {
        return std::make_unique<SyncRun>(window, window, SyncRun::Destinations{{kind, destination.Entry()}});
    }

    SyncRun::Inputs Inputs(int code = CodeOf(DestinationKind::Outlook)) const
    {
        return {contactsUrl, "user", "pass", "Global Contacts", code};
    }

    SyncRun::Outcome Run(DestinationKind kind = DestinationKind::Outlook)
    {
        return MakeRun(kind)->Run(Inputs(CodeOf(kind)));
    }

    std::string contactsUrl;
    RecordingWindow window;
    FakeDestination destination;
};

TEST_F(SyncRunTest, SuccessReportsTheCountAndCleansUp)
{
    EXPECT_EQ(Run(), SyncRun::kExitSucceeded);

    EXPECT_EQ(destination.calls, 1);
    EXPECT_EQ(destination.count, 25u);
    EXPECT_EQ(destination.folder, "Global Contacts");
    EXPECT_EQ(destination.firstDisplayName, "Ann Lee 0");
    // Its one stop check lets messages through, whatever the throttle says.
    EXPECT_TRUE(destination.pumpDueOnEntry);
    EXPECT_EQ(window.Status(), "Global Contacts created - 25 item(s)");
    EXPECT_FALSE(window.hintShown);
    EXPECT_THAT(window.notices, ElementsAre(Information(kCompleted)));
    // The hint goes, then the message comes, before the clean-up: the file is gone after it.
    EXPECT_THAT(window.events, ElementsAre(kHintHidden, kCompleted));
    EXPECT_THAT(window.fileWhileShown, ElementsAre(true));
    EXPECT_FALSE(DownloadFileLeft());
    // The credentials went out.
    const auto requests = test::ServerRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_THAT(requests.back(), ::testing::EndsWith("Basic dXNlcjpwYXNz"));
}

TEST_F(SyncRunTest, DestinationFailureGivesTheFailedMessage)
{
    destination.ending = FakeDestination::Ending::Fail;
    EXPECT_EQ(Run(), SyncRun::kExitFailed);

    EXPECT_TRUE(destination.wrote);
    EXPECT_THAT(window.notices, ElementsAre(Warning(kFailed)));
    EXPECT_FALSE(DownloadFileLeft());
}

TEST_F(SyncRunTest, ADestinationTooBusyFailsTheRunWithItsOneWarning)
{
    destination.ending = FakeDestination::Ending::Busy;
    EXPECT_EQ(Run(), SyncRun::kExitFailed);

    EXPECT_THAT(window.events, ElementsAre(kHintHidden, "Microsoft Outlook is busy. Please try again later."));
    EXPECT_THAT(window.notices, ElementsAre(Warning("Microsoft Outlook is busy. Please try again later.")));
    EXPECT_FALSE(DownloadFileLeft());
}

// A list cut from 400 to 100: 300 of 400 would go, past the limit of 50 percent.
// What a Windows Mail run killed after its commit leaves: Old.contact moved aside,
// New.contact still staged, and the plan naming the folder `name` in the temp folder.
// Answers that folder's path, or nothing when it could not be made.
std::string LeaveACommittedSwap(const std::string& name)
{
    char temp[MAX_PATH] = {};
    if (::GetTempPathA(MAX_PATH, temp) == 0)
        return {};
    const std::string target = std::string(temp) + name;
    const std::string root = SystemWindowsContactsPlatform().StagingRoot();
    for (const std::string& folder : {target, root, root + "\\new", root + "\\old"}) {
        if (!::CreateDirectoryA(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
            return {};
    }
    SaveTextFile("old", root + "\\old\\Old.contact");
    SaveTextFile("new", root + "\\new\\New.contact");
    SaveTextFile(target + "\n+New.contact\n-Old.contact", root + "\\plan");
    return target;
}

PlannedChanges ShrunkenList()
{
    PlannedChanges plan;
    plan.held = 400;
    plan.unchanged = 100;
    plan.removed = 300;
    return plan;
}

TEST_F(SyncRunTest, PastTheRemoveLimitAnUnattendedRunChangesNothingAndExitsWithFour)
{
    destination.plan = ShrunkenList();
    window.removalAnswer = IRunHooks::RemovalAnswer::NobodyToAsk;
    SyncRun::Inputs inputs = Inputs();
    inputs.removeLimit = 50;
    inputs.mode = SyncRun::Mode::Unattended;

    EXPECT_EQ(MakeRun()->Run(inputs), SyncRun::kExitRemoveLimit);

    EXPECT_FALSE(destination.wrote);
    EXPECT_THAT(window.notices, IsEmpty());
    EXPECT_FALSE(DownloadFileLeft());
    // Raised to 100, the same list goes through.
    inputs.removeLimit = 100;
    EXPECT_EQ(MakeRun()->Run(inputs), SyncRun::kExitSucceeded);
    EXPECT_TRUE(destination.wrote);
}

TEST_F(SyncRunTest, PastTheRemoveLimitTheWindowAsksOnceAndNoIsAnInterruption)
{
    destination.plan = ShrunkenList();
    window.removalAnswer = IRunHooks::RemovalAnswer::Keep;
    SyncRun::Inputs inputs = Inputs();
    inputs.removeLimit = 50;

    EXPECT_EQ(MakeRun()->Run(inputs), SyncRun::kExitInterrupted);

    EXPECT_THAT(window.questions, ElementsAre("The downloaded list would remove 300 of the 400 contacts in "
                                              "\"Global Contacts\". Remove them?"));
    EXPECT_FALSE(destination.wrote);
    EXPECT_THAT(window.notices, ElementsAre(Warning(kInterrupted)));
    EXPECT_FALSE(DownloadFileLeft());

    window.removalAnswer = IRunHooks::RemovalAnswer::Remove;
    window.notices.clear();
    EXPECT_EQ(MakeRun()->Run(inputs), SyncRun::kExitSucceeded);
    EXPECT_TRUE(destination.wrote);
}

TEST_F(SyncRunTest, EveryRunAddsOneLineWithItsCountsToTheRunLog)
{
    const std::wstring log = std::filesystem::temp_directory_path().wstring() + L"\\tessaly_run_test.log";
    (void)ForceDeleteFile(log);
    PlannedChanges mixed;
    mixed.held = 12;
    mixed.unchanged = 20;
    mixed.updated = 3;
    mixed.added = 2;
    mixed.removed = 1;
    destination.plan = mixed;
    SyncRun run(window, window, SyncRun::Destinations{{DestinationKind::Outlook, destination.Entry()}}, log);
    ASSERT_EQ(run.Run(Inputs()), SyncRun::kExitSucceeded);
    destination.ending = FakeDestination::Ending::Fail;
    ASSERT_EQ(run.Run(Inputs()), SyncRun::kExitFailed);

    const std::string text = ReadTextFile(log);
    const size_t firstLine = text.find("\r\n") + 2;
    const auto first = ParseRunLogLine(text.substr(firstLine, text.find("\r\n", firstLine) - firstLine));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->mode, "window");
    EXPECT_EQ(first->destination, 10);
    EXPECT_EQ(first->folder, "Global Contacts");
    EXPECT_EQ(first->exitCode, 0);
    EXPECT_EQ(first->contacts, 25u);
    EXPECT_EQ(first->added, 2u);
    EXPECT_EQ(first->updated, 3u);
    EXPECT_EQ(first->removed, 1u);
    EXPECT_EQ(first->unchanged, 20u);
    EXPECT_GT(first->bytes, 0u);
    const auto last = LastRunIn(text);
    ASSERT_TRUE(last);
    EXPECT_EQ(last->exitCode, 1);
    EXPECT_EQ(last->warning, "Sync operation failed.  Please try to connect later or contact Corvane technical support.");
    // Nothing of the credentials or the link goes into it.
    EXPECT_EQ(text.find("pass"), std::string::npos);
    EXPECT_EQ(text.find("contacts.csv"), std::string::npos);
    EXPECT_TRUE(ForceDeleteFile(log));
}

// A preview asks nobody and shows nothing: it ends at the plan with the code the run
// would have, logs the planned counts, and leaves a killed run's swap as it found it.
TEST_F(SyncRunTest, APreviewEndsAtThePlanWithTheRunsCodeAndLogsWhatItPlanned)
{
    const std::wstring log = std::filesystem::temp_directory_path().wstring() + L"\\tessaly_preview_test.log";
    (void)ForceDeleteFile(log);
    const std::string target = LeaveACommittedSwap("tessaly-preview-swap");
    ASSERT_FALSE(target.empty());
    const std::string root = SystemWindowsContactsPlatform().StagingRoot();
    PlannedChanges fewRemoved = ShrunkenList();
    fewRemoved.removed = 1;
    destination.plan = fewRemoved;
    SyncRun::Inputs inputs = Inputs(CodeOf(DestinationKind::WindowsMail));
    inputs.removeLimit = 50;
    inputs.mode = SyncRun::Mode::Preview;
    SyncRun run(window, window, SyncRun::Destinations{{DestinationKind::WindowsMail, destination.Entry()}}, log);

    EXPECT_EQ(run.Run(inputs), SyncRun::kExitSucceeded);
    EXPECT_FALSE(destination.wrote);
    EXPECT_THAT(window.notices, IsEmpty());
    ASSERT_NE(run.LastPlan(), nullptr);
    EXPECT_EQ(run.LastPlan()->removed, 1u);
    EXPECT_TRUE(FileExists(root + "\\plan")) << "the killed run's swap was finished";
    EXPECT_FALSE(FileExists(target + "\\New.contact"));
    EXPECT_FALSE(DownloadFileLeft());

    destination.plan = ShrunkenList();
    window.removalAnswer = IRunHooks::RemovalAnswer::Remove;
    EXPECT_EQ(run.Run(inputs), SyncRun::kExitRemoveLimit);
    EXPECT_THAT(window.questions, IsEmpty());
    EXPECT_THAT(window.notices, IsEmpty());
    // The window's last run passes previews over; the line itself is the log's last.
    std::string text = ReadTextFile(log);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    const auto last = ParseRunLogLine(std::string_view(text).substr(text.rfind('\n') + 1));
    ASSERT_TRUE(last);
    EXPECT_EQ(last->mode, "preview");
    EXPECT_EQ(last->exitCode, 4);
    EXPECT_EQ(last->contacts, 25u);
    EXPECT_EQ(last->removed, 300u);
    EXPECT_EQ(last->unchanged, 100u);
    EXPECT_TRUE(ForceDeleteFile(log));

    // An ordinary run finishes the swap; the test leaves nothing behind.
    inputs.mode = SyncRun::Mode::Unattended;
    (void)run.Run(inputs);
    EXPECT_FALSE(FileExists(root + "\\plan"));
    (void)ForceDeleteFile(target + "\\New.contact");
    EXPECT_TRUE(::RemoveDirectoryA(target.c_str()));
}

TEST(StandardDestinations, EveryRowOfTheDestinationTableCanBeWrittenInto)
{
    const SyncRun::Destinations destinations = SyncRun::StandardDestinations();
    for (const DestinationRow& row : DestinationTable()) {
        const auto entry = destinations.find(row.kind);
        EXPECT_TRUE(entry != destinations.end() && entry->second) << row.name;
    }
}

TEST_F(SyncRunTest, CodesWithoutADestinationFailWithoutAMessageOfTheirOwn)
{
    for (int code : {0, 15, 99}) {
        SCOPED_TRACE(code);
        window.notices.clear();
        SyncRun run(window, window, SyncRun::Destinations{{DestinationKind::Outlook, destination.Entry()}});
        EXPECT_EQ(run.Run(Inputs(code)), SyncRun::kExitFailed);
        EXPECT_THAT(window.notices, ElementsAre(Warning(kFailed)));
        EXPECT_FALSE(DownloadFileLeft());
    }
    EXPECT_EQ(destination.calls, 0);
}

TEST_F(SyncRunTest, ASwapOfAKilledWindowsMailRunIsFinishedBeforeAnyDownload)
{
    const std::string target = LeaveACommittedSwap("tessaly-run-swap");
    ASSERT_FALSE(target.empty());
    const std::string root = SystemWindowsContactsPlatform().StagingRoot();

    // Another destination, and a download that fails: the swap is finished all the same.
    contactsUrl = test::UnreachableUrl();
    EXPECT_EQ(Run(DestinationKind::Outlook), SyncRun::kExitFailed);
    EXPECT_EQ(ReadTextFile(target + "\\New.contact"), "new\r\n");
    EXPECT_FALSE(FileExists(target + "\\Old.contact"));
    EXPECT_FALSE(FileExists(root + "\\plan"));
    ASSERT_TRUE(ForceDeleteFile(target + "\\New.contact"));
    EXPECT_TRUE(::RemoveDirectoryA(target.c_str()));
}

TEST_F(SyncRunTest, FailedDownloadsNeverReachTheDestination)
{
    {
        SCOPED_TRACE("unreachable server: only the run's message");
        contactsUrl = test::UnreachableUrl();
        EXPECT_EQ(Run(), SyncRun::kExitFailed);
        EXPECT_THAT(window.notices, ElementsAre(Warning(kFailed)));
    }
    {
        SCOPED_TRACE("a server page: its warning, then the run's");
        window.notices.clear();
        contactsUrl = test::TestServerUrl("/page/404");
        EXPECT_EQ(Run(), SyncRun::kExitFailed);
        EXPECT_THAT(window.notices,
                    ElementsAre(Warning("The requested URL was not found on this server."), Warning(kFailed)));
    }
    EXPECT_EQ(destination.calls, 0);
    EXPECT_FALSE(DownloadFileLeft());
}

TEST_F(SyncRunTest, AKilledRunsPartialDownloadGoesAtTheStartOfTheNext)
{
    const std::string part = ExecutableFolder() + "CorvaneTessaly.part";
    SaveTextFile("\"Ann\",\"ann@example.com\"", part);
    ASSERT_TRUE(::SetFileAttributesA(part.c_str(), FILE_ATTRIBUTE_READONLY));
    // Even a run whose download never starts a body of its own.
    contactsUrl = test::UnreachableUrl();
    EXPECT_EQ(Run(), SyncRun::kExitFailed);
    EXPECT_FALSE(FileExists(part));
}

TEST_F(SyncRunTest, ADownloadWithoutContactsReplacesNothing)
{
    // A page served with status 200 in place of the file, and a file with only its header.
    for (const char* path : {"/page/500", "/files/contacts.csv?generate=0"}) {
        SCOPED_TRACE(path);
        window.notices.clear();
        contactsUrl = test::TestServerUrl(path);
        EXPECT_EQ(Run(DestinationKind::WindowsMail), SyncRun::kExitFailed);
        EXPECT_THAT(window.notices, ElementsAre(Warning("The downloaded file holds no contacts."), Warning(kFailed)));
        EXPECT_FALSE(DownloadFileLeft());
    }
    EXPECT_EQ(destination.calls, 0);
}

// What a killed Windows Mail run left where every run looks first: its plan, and the old
// files it had moved aside.
class LeftSwap {
public:
    LeftSwap(const std::string& plan, const std::string& oldFile)
        : root_(SystemWindowsContactsPlatform().StagingRoot()), oldFile_(root_ + "\\old\\" + oldFile)
    {
        ::CreateDirectoryA(root_.c_str(), nullptr);
        ::CreateDirectoryA((root_ + "\\old").c_str(), nullptr);
        SaveTextFile("old", oldFile_);
        SaveTextFile(plan, root_ + "\\plan");
    }
    ~LeftSwap()
    {
        (void)ForceDeleteFile(root_ + "\\plan");
        (void)ForceDeleteFile(oldFile_);
        ::RemoveDirectoryA((root_ + "\\old").c_str());
        ::RemoveDirectoryA(root_.c_str());
    }
    bool Gone() const { return !FileExists(root_ + "\\plan"); }

private:
    std::string root_;
    std::string oldFile_;
};

TEST_F(SyncRunTest, ASwapThatCannotBeFinishedHoldsUpOnlyWindowsMailAndTheKilledRunsListStillGoes)
{
    const LeftSwap left("C:\\Contacts\\Global\n?", "A.contact"); // the file ends in CR LF
    SaveTextFile("the killed run's list", SyncRun::TemporaryFilePath());
    EXPECT_EQ(Run(DestinationKind::Outlook), SyncRun::kExitSucceeded);
    EXPECT_THAT(window.notices,
                ElementsAre(Warning("An interrupted sync into Windows Mail could not be finished:\r\n"
                                    "The swap plan holds an unknown line."),
                            Information(kCompleted)));
    EXPECT_EQ(destination.calls, 1);

    // Windows Mail would write over the folder the swap left: its run ends before the
    // download, and takes the killed run's list with it.
    SaveTextFile("the killed run's list", SyncRun::TemporaryFilePath());
    EXPECT_ANY_THROW((void)Run(DestinationKind::WindowsMail));
    EXPECT_EQ(destination.calls, 1);
    EXPECT_FALSE(DownloadFileLeft());
    EXPECT_FALSE(left.Gone());
}

TEST_F(SyncRunTest, ASwapGivenUpBecauseItsFolderBecameAFileIsToldOnceWhereTheOldContactsAre)
{
    char temp[MAX_PATH] = {};
    ASSERT_NE(::GetTempPathA(MAX_PATH, temp), 0u);
    const std::string target = std::string(temp) + "tessaly-given-up";
    const std::string kept = target + " (old contacts)";
    SaveTextFile("the user's file", target);
    {
        const LeftSwap left(target + "\n-A.contact", "A.contact");
        EXPECT_EQ(Run(DestinationKind::OutlookExpress), SyncRun::kExitSucceeded);
        EXPECT_TRUE(left.Gone());
    }
    EXPECT_EQ(Run(DestinationKind::OutlookExpress), SyncRun::kExitSucceeded);
    EXPECT_THAT(window.notices,
                ElementsAre(Warning("An interrupted sync could not finish replacing the contacts of\r\n" + target +
                                    "\r\nbecause it is no longer a folder. Its old contacts were kept in\r\n" + kept),
                            Information(kCompleted), Information(kCompleted)));
    EXPECT_EQ(ReadTextFile(kept + "\\A.contact"), "old\r\n");
    EXPECT_EQ(ReadTextFile(target), "the user's file\r\n");
    (void)ForceDeleteFile(kept + "\\A.contact");
    ::RemoveDirectoryA(kept.c_str());
    (void)ForceDeleteFile(target);
}

// Another run: holds the lock on its own thread until told to let go.
class OtherRun {
public:
    OtherRun() : thread_(::CreateThread(nullptr, 0, Hold, this, 0, nullptr))
    {
        EXPECT_EQ(::WaitForSingleObject(taken_.get(), 30000), WAIT_OBJECT_0);
    }
    ~OtherRun()
    {
        ::SetEvent(end_.get());
        ::WaitForSingleObject(thread_.get(), 30000);
    }
    bool held = false;

private:
    static DWORD WINAPI Hold(void* self)
    {
        auto& run = *static_cast<OtherRun*>(self);
        const SyncLock lock;
        run.held = lock.Held();
        ::SetEvent(run.taken_.get());
        ::WaitForSingleObject(run.end_.get(), 30000);
        return 0;
    }
    UniqueKernelHandle taken_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    UniqueKernelHandle end_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    UniqueKernelHandle thread_;
};

TEST_F(SyncRunTest, ARunThatFindsAnotherRunningTouchesNothing)
{
    {
        OtherRun other;
        ASSERT_TRUE(other.held);
        SaveTextFile("the other run's download", SyncRun::TemporaryFilePath());
        SaveTextFile("the other run's body", SyncRun::TemporaryFilePath() + ".part");
        test::ClearServerRequests();
        EXPECT_EQ(Run(), SyncRun::kExitFailed);
        EXPECT_THAT(window.notices, ElementsAre(Warning("A synchronisation is already running.\r\n"
                                                        "Please try again when it has ended.")));
        EXPECT_THAT(window.events, ElementsAre(kHintHidden, window.notices[0].text));

        EXPECT_EQ(destination.calls, 0);
        EXPECT_TRUE(test::ServerRequests().empty());
        EXPECT_EQ(ReadTextFile(SyncRun::TemporaryFilePath()), "the other run's download\r\n");
        EXPECT_TRUE(FileExists(SyncRun::TemporaryFilePath() + ".part"));
    }
    // Once the other run has ended, the next one goes ahead.
    EXPECT_EQ(Run(), SyncRun::kExitSucceeded);
    EXPECT_EQ(destination.calls, 1);
    EXPECT_FALSE(DownloadFileLeft());
}

TEST_F(SyncRunTest, PendingStopIsSeenAtTheFirstCheckOfTheDownload)
{
    // An Escape still in the queue, which a throttled check would not yet let through.
    window.stopWaiting = true;
    EXPECT_EQ(Run(), SyncRun::kExitInterrupted);

    EXPECT_EQ(destination.calls, 0);
    EXPECT_THAT(window.notices, ElementsAre(Warning(kInterrupted)));
    EXPECT_FALSE(DownloadFileLeft());
}

TEST_F(SyncRunTest, StopDuringTheDownloadWritesNothing)
{
    // Enough rows for several reads; the stop comes after some of the body arrived.
    contactsUrl = test::TestServerUrl("/files/contacts.csv?generate=400");
    int checks = 0;
    window.beforeStopCheck = [&] {
        if (++checks == 3)
            window.stop = true;
    };
    EXPECT_EQ(Run(), SyncRun::kExitInterrupted);

    EXPECT_EQ(destination.calls, 1);
    EXPECT_FALSE(destination.wrote);
    EXPECT_THAT(window.notices, ElementsAre(Warning(kInterrupted)));
    EXPECT_FALSE(DownloadFileLeft());
}

TEST_F(SyncRunTest, StopDuringTheParseKeepsTheRowsMadeSoFar)
{
    int rowChecks = 0;
    // Once the file is written every stop check is the parse's, one per row.
    window.beforeStopCheck = [&] {
        if (DownloadFileLeft() && ++rowChecks == 10)
            window.stop = true;
    };
    // The destination looks at the list before its own stop check refuses to write.
    size_t rowsHanded = 0;
    SyncRun run(window, window,
                 {{DestinationKind::Outlook, [&](const ContactList& list, const std::string&, IRunServices& services) {
                       rowsHanded = list.Count();
                       return !services.StopRequested();
                   }}});
    EXPECT_EQ(run.Run(Inputs()), SyncRun::kExitInterrupted);

    EXPECT_EQ(rowsHanded, 9u);
    EXPECT_THAT(window.notices, ElementsAre(Warning(kInterrupted)));
    EXPECT_FALSE(DownloadFileLeft());
}

TEST_F(SyncRunTest, StopOnceTheDestinationWritesDoesNotSpoilSuccess)
{
    destination.whileWriting = [&] { window.stop = true; };
    EXPECT_EQ(Run(), SyncRun::kExitSucceeded);

    EXPECT_TRUE(destination.wrote);
    EXPECT_THAT(window.notices, ElementsAre(Information(kCompleted)));
}

TEST_F(SyncRunTest, ErrorFromTheDestinationCleansUpThenTravelsOn)
{
    destination.ending = FakeDestination::Ending::Throw;
    try {
        (void)Run();
        FAIL() << "the destination's error was swallowed";
    } catch (const EOleError& error) {
        EXPECT_FALSE(DownloadFileLeft());
        // No result message, and the hint stays: the error is what the user sees.
        EXPECT_THAT(window.notices, IsEmpty());
        EXPECT_TRUE(window.hintShown);
        window.ShowNotice(NoticeKind::Error, ExceptionText(std::current_exception()));
    }
    EXPECT_THAT(window.notices, ElementsAre(Notice{NoticeKind::Error, "The address book went away."}));
}

} // namespace
} // namespace tessaly
