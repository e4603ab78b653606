// One synchronisation end to end inside the main window: the real download from the
// loopback server and the real parse, with in-process destinations that record what they
// were handed. Every outcome must leave no download file behind and show exactly the
// run's own messages (none at all unattended).
#include "base/FileHelpers.h"
#include "app/MainWindow.h"
#include "base/OleError.h"
#include "app/SyncLock.h"
#include "base/WinHandles.h"
#include "contacts/Contact.h"

#include "TestServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
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

struct Notice {
    NoticeKind kind;
    std::string text;
    bool operator==(const Notice&) const = default;
};

void PrintTo(const Notice& n, std::ostream* os)
{
    *os << "{" << static_cast<int>(n.kind) << ", \"" << n.text << "\"}";
}

Notice Information(const std::string& text)
{
    return {NoticeKind::Information, text};
}
Notice Warning(const std::string& text)
{
    return {NoticeKind::Warning, text};
}

// A main window whose stop check can be scripted: the script runs before the real check.
class ScriptedForm : public TMainWindow {
public:
    using TMainWindow::TMainWindow;
    std::function<void(ScriptedForm&)> beforeStopCheck;

    bool StopRequested() override
    {
        if (beforeStopCheck)
            beforeStopCheck(*this);
        return TMainWindow::StopRequested();
    }
};

// Behaves as the real destinations do: one stop check before writing, the status text,
// then the count report.
struct FakeDestination {
    enum class Ending { Succeed, Fail, Throw };
    Ending ending = Ending::Succeed;
    std::function<void()> whileWriting;

    int calls = 0;
    bool wrote = false;
    size_t count = 0;
    std::string folder;
    std::string firstDisplayName;

    void InstallInto(TMainWindow& form, int code)
    {
        form.SetDestination(code, [this, &form](const TContactList& list, const std::string& folderName) {
            ++calls;
            folder = folderName;
            if (form.StopRequested())
                return false;
            form.SetStatus("Performing Sync..");
            wrote = true;
            count = list.Count();
            if (count > 0)
                firstDisplayName = list.Get(0).DisplayName;
            if (whileWriting)
                whileWriting();
            if (ending == Ending::Throw)
                throw EOleError(E_FAIL, "The address book went away.");
            form.ReportCreated(static_cast<int>(count), folderName);
            return ending == Ending::Succeed;
        });
    }
};

std::string LabelText(HWND label)
{
    char text[256] = {};
    ::GetWindowTextA(label, text, sizeof text);
    return text;
}

class RunOutcome : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(ForceDeleteFile(TMainWindow::TemporaryFilePath()));
        contactsUrl = test::TestServerUrl("/files/contacts.csv?generate=25");
    }

    std::unique_ptr<ScriptedForm> MakeForm(bool unattended = false, int code = TMainWindow::kOutlook)
    {
        auto form = std::make_unique<ScriptedForm>(unattended);
        form->SetNoticeDisplay([this](NoticeKind kind, const std::string& text) {
            notices.push_back({kind, text});
            fileWhileShown.push_back(FileExists(TMainWindow::TemporaryFilePath()));
        });
        form->SetRunInputs({contactsUrl, "  user ", "pass", "Global Contacts", code});
        destination.InstallInto(*form, code);
        return form;
    }

    static bool DownloadFileLeft() { return FileExists(TMainWindow::TemporaryFilePath()); }

    std::string contactsUrl;
    FakeDestination destination;
    std::vector<Notice> notices;
    std::vector<bool> fileWhileShown;
};

TEST_F(RunOutcome, SuccessReportsTheCountAndCleansUp)
{
    auto form = MakeForm();
    ::ShowWindow(form->EscapeLabel(), SW_SHOW);
    form->SyncContacts("Global Contacts");

    EXPECT_EQ(destination.calls, 1);
    EXPECT_EQ(destination.count, 25u);
    EXPECT_EQ(destination.folder, "Global Contacts");
    EXPECT_EQ(destination.firstDisplayName, "Ann Lee 0");
    EXPECT_EQ(LabelText(form->StatusLabel()), "Global Contacts created - 25 item(s)");
    EXPECT_FALSE(::IsWindowVisible(form->EscapeLabel()));
    EXPECT_THAT(notices, ElementsAre(Information(kCompleted)));
    // The message comes before the clean-up, the file is gone after it.
    EXPECT_THAT(fileWhileShown, ElementsAre(true));
    EXPECT_FALSE(DownloadFileLeft());
    // The trimmed credentials went out.
    const auto requests = test::ServerRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_THAT(requests.back(), ::testing::EndsWith("Basic dXNlcjpwYXNz"));
}

TEST_F(RunOutcome, DestinationFailureGivesTheFailedMessage)
{
    destination.ending = FakeDestination::Ending::Fail;
    auto form = MakeForm();
    form->SyncContacts("Global Contacts");

    EXPECT_TRUE(destination.wrote);
    EXPECT_THAT(notices, ElementsAre(Warning(kFailed)));
    EXPECT_FALSE(DownloadFileLeft());
}

TEST_F(RunOutcome, CodesWithoutADestinationFailWithoutAMessageOfTheirOwn)
{
    for (int code : {0, 15, 99}) {
        SCOPED_TRACE(code);
        notices.clear();
        ScriptedForm form(false);
        form.SetNoticeDisplay([this](NoticeKind kind, const std::string& text) { notices.push_back({kind, text}); });
        form.SetRunInputs({contactsUrl, "", "", "Global Contacts", code});
        form.SyncContacts("Global Contacts");
        EXPECT_THAT(notices, ElementsAre(Warning(kFailed)));
        EXPECT_FALSE(DownloadFileLeft());
    }
}

TEST_F(RunOutcome, FailedDownloadsNeverReachTheDestination)
{
    {
        SCOPED_TRACE("unreachable server: only the run's message");
        contactsUrl = test::UnreachableUrl();
        auto form = MakeForm();
        form->SyncContacts("Global Contacts");
        EXPECT_THAT(notices, ElementsAre(Warning(kFailed)));
    }
    {
        SCOPED_TRACE("a server page: its warning, then the run's");
        notices.clear();
        contactsUrl = test::TestServerUrl("/page/404");
        auto form = MakeForm();
        form->SyncContacts("Global Contacts");
        EXPECT_THAT(notices, ElementsAre(Warning("The requested URL was not found on this server."), Warning(kFailed)));
    }
    EXPECT_EQ(destination.calls, 0);
    EXPECT_FALSE(DownloadFileLeft());
}

TEST_F(RunOutcome, ADownloadWithoutContactsReplacesNothing)
{
    // A page served with status 200 in place of the file, and a file with only its header.
    for (const char* path : {"/page/500", "/files/contacts.csv?generate=0"}) {
        SCOPED_TRACE(path);
        notices.clear();
        contactsUrl = test::TestServerUrl(path);
        auto form = MakeForm(false, TMainWindow::kWindowsContacts);
        form->SyncContacts("Global Contacts");
        EXPECT_THAT(notices, ElementsAre(Warning("The downloaded file holds no contacts."), Warning(kFailed)));
        EXPECT_FALSE(DownloadFileLeft());
    }
    EXPECT_EQ(destination.calls, 0);
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
        const TSyncLock lock;
        run.held = lock.Held();
        ::SetEvent(run.taken_.get());
        ::WaitForSingleObject(run.end_.get(), 30000);
        return 0;
    }
    UniqueKernelHandle taken_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    UniqueKernelHandle end_{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    UniqueKernelHandle thread_;
};

TEST_F(RunOutcome, ARunThatFindsAnotherRunningTouchesNothing)
{
    {
        OtherRun other;
        ASSERT_TRUE(other.held);
        SaveTextFile("the other run's download", TMainWindow::TemporaryFilePath());
        test::ClearServerRequests();
        auto form = MakeForm();
        form->SyncContacts("Global Contacts");
        EXPECT_THAT(notices, ElementsAre(Warning("A synchronisation is already running.\r\n"
                                                 "Please try again when it has ended.")));
        auto unattended = MakeForm(true);
        unattended->SyncContacts("Global Contacts");
        EXPECT_EQ(unattended->ExitCode(), TMainWindow::kExitFailed);

        EXPECT_EQ(destination.calls, 0);
        EXPECT_TRUE(test::ServerRequests().empty());
        EXPECT_EQ(ReadTextFile(TMainWindow::TemporaryFilePath()), "the other run's download\r\n");
    }
    // Once the other run has ended, the next one goes ahead.
    MakeForm()->SyncContacts("Global Contacts");
    EXPECT_EQ(destination.calls, 1);
    EXPECT_FALSE(DownloadFileLeft());
}

// The window subclass stands in for the Escape key: a posted message that sets the flag
// when the run lets messages through.
LRESULT CALLBACK StopOnAppMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    if (message == WM_APP + 1) {
        reinterpret_cast<TMainWindow*>(data)->RequestStop();
        return 0;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(RunOutcome, PendingStopIsSeenAtTheFirstCheckOfTheDownload)
{
    auto form = MakeForm();
    ASSERT_TRUE(::SetWindowSubclass(form->Handle(), StopOnAppMessage, 1, reinterpret_cast<DWORD_PTR>(form.get())));
    form->ClearStop();
    ASSERT_TRUE(::PostMessageA(form->Handle(), WM_APP + 1, 0, 0));
    form->SyncContacts("Global Contacts");

    EXPECT_EQ(destination.calls, 0);
    EXPECT_THAT(notices, ElementsAre(Warning(kInterrupted)));
    EXPECT_FALSE(DownloadFileLeft());
    ::RemoveWindowSubclass(form->Handle(), StopOnAppMessage, 1);
}

TEST_F(RunOutcome, StopDuringTheDownloadWritesNothing)
{
    // Enough rows for several reads; the stop comes after some of the body arrived.
    contactsUrl = test::TestServerUrl("/files/contacts.csv?generate=400");
    auto form = MakeForm();
    int checks = 0;
    form->beforeStopCheck = [&](ScriptedForm& f) {
        if (++checks == 3)
            f.RequestStop();
    };
    form->SyncContacts("Global Contacts");

    EXPECT_EQ(destination.calls, 1);
    EXPECT_FALSE(destination.wrote);
    EXPECT_THAT(notices, ElementsAre(Warning(kInterrupted)));
    EXPECT_FALSE(DownloadFileLeft());
}

TEST_F(RunOutcome, StopDuringTheParseKeepsTheRowsMadeSoFar)
{
    auto form = MakeForm();
    int rowChecks = 0;
    // Once the file is written every stop check is the parse's, one per row.
    form->beforeStopCheck = [&](ScriptedForm& f) {
        if (DownloadFileLeft() && ++rowChecks == 10)
            f.RequestStop();
    };
    // The destination looks at the list before its own stop check refuses to write.
    size_t rowsHanded = 0;
    form->SetDestination(TMainWindow::kOutlook, [&](const TContactList& list, const std::string&) {
        rowsHanded = list.Count();
        return !form->StopRequested();
    });
    form->SyncContacts("Global Contacts");

    EXPECT_EQ(rowsHanded, 9u);
    EXPECT_THAT(notices, ElementsAre(Warning(kInterrupted)));
    EXPECT_FALSE(DownloadFileLeft());
}

TEST_F(RunOutcome, StopOnceTheDestinationWritesDoesNotSpoilSuccess)
{
    auto form = MakeForm();
    destination.whileWriting = [&] { form->RequestStop(); };
    form->SyncContacts("Global Contacts");

    EXPECT_TRUE(destination.wrote);
    EXPECT_THAT(notices, ElementsAre(Information(kCompleted)));
}

TEST_F(RunOutcome, ErrorFromTheDestinationCleansUpThenTravelsOn)
{
    destination.ending = FakeDestination::Ending::Throw;
    auto form = MakeForm();
    try {
        form->SyncContacts("Global Contacts");
        FAIL() << "the destination's error was swallowed";
    } catch (const EOleError& error) {
        EXPECT_FALSE(DownloadFileLeft());
        // No result message: the error is what the user sees.
        EXPECT_THAT(notices, IsEmpty());
        form->AppException(std::current_exception());
    }
    EXPECT_THAT(notices, ElementsAre(Notice{NoticeKind::Error, "The address book went away."}));
}

TEST_F(RunOutcome, UnattendedShowsNothingWhateverTheOutcome)
{
    for (auto ending : {FakeDestination::Ending::Succeed, FakeDestination::Ending::Fail, FakeDestination::Ending::Throw}) {
        destination.ending = ending;
        auto form = MakeForm(true);
        try {
            form->SyncContacts("Global Contacts");
        } catch (const EOleError&) {
            form->AppException(std::current_exception());
        }
        form->ShowNotice(NoticeKind::Warning, "direct");
        EXPECT_FALSE(DownloadFileLeft());
    }
    contactsUrl = test::TestServerUrl("/page/401");
    MakeForm(true)->SyncContacts("Global Contacts");
    EXPECT_THAT(notices, IsEmpty());
}

} // namespace
} // namespace tessaly
