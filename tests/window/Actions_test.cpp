// The two actions behind their input check and busy state, the Escape key, closing, the
// settings written at the end, and the unattended start.
#include "MainWindowFixture.h"

#include "TestServer.h"
#include "app/IniFile.h"
#include "base/WideText.h"
#include "scheduling/ScheduledTask.h"

#include <gmock/gmock.h>

#include <commctrl.h>
#include <objbase.h>
#include <wrl/client.h>

#include <stdexcept>
#include <vector>

namespace tessaly::test {
namespace {

const char* const kBlank = "\r\nPlease make sure you did not leave the text blank.";

// Every status text, with whether the window had its busy look at the moment it was set.
struct StatusWatch {
    struct Seen {
        std::string text;
        bool busy;
    };
    HWND form;
    std::vector<Seen> seen;
};

LRESULT CALLBACK RecordStatus(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    if (message == WM_SETTEXT) {
        auto& watch = *reinterpret_cast<StatusWatch*>(data);
        const auto control = [&](Ctl c) { return FindChildById(watch.form, ControlId(c)); };
        HWND lamps = control(Ctl::aniBusy);
        const bool busy = !::IsWindowEnabled(control(Ctl::edtSource)) && !::IsWindowEnabled(control(Ctl::btnSchedule))
                          && lamps && (::GetWindowLongA(lamps, GWL_STYLE) & WS_VISIBLE);
        watch.seen.push_back({reinterpret_cast<const char*>(lParam), busy});
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

// Runs the loop until the window asks to end; false when that did not happen in time.
bool RunUntilQuit(MainWindow& form, DWORD timeoutMs = 30000)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT)
                return true;
            if (!form.PreTranslateMessage(msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
        }
        const DWORD elapsed = ::GetTickCount() - start;
        if (elapsed >= timeoutMs)
            return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}

// Holds Ctrl and Shift down (or not) in this thread's view of the keyboard.
void HoldKeys(bool ctrl, bool shift)
{
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    ::SetKeyboardState(keys);
}

TEST_F(MainWindowTest, EscapeStopsWhateverHasTheFocusUnlessCtrlIsHeld)
{
    MainWindow& form = MakeForm();
    form.Show(SW_SHOW);
    ::SetForegroundWindow(form.Handle());
    struct Case {
        Ctl focus;
        bool ctrl;
        bool shift;
        bool stops;
    };
    const Case cases[] = {{Ctl::edtSource, false, false, true}, {Ctl::cmbTo, false, true, true},
                          {Ctl::btnSync, true, false, false},   {Ctl::dtScheduler, true, true, false},
                          {Ctl::Count, false, false, true}}; // the window itself, as while busy
    for (const Case& c : cases) {
        SCOPED_TRACE(c.focus == Ctl::Count ? "window" : std::string(ControlName(c.focus)));
        form.ClearStop();
        HWND target = c.focus == Ctl::Count ? form.Handle() : H(c.focus);
        ::SetFocus(target);
        HoldKeys(c.ctrl, c.shift);
        ::PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        Pump(form);
        HoldKeys(false, false);
        EXPECT_EQ(form.StopRequested(), c.stops);
    }
    // Other keys leave the flag alone.
    form.ClearStop();
    ::PostMessageA(H(Ctl::edtSource), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    Pump(form);
    EXPECT_FALSE(form.StopRequested());
}

TEST_F(MainWindowTest, AKeyPressWaitingInTheQueueIsSeenBeforeTheThrottleAllowsAPump)
{
    options_.pumpIntervalMs = 60000;
    MainWindow& form = MakeForm();
    form.Show(SW_SHOW);
    ::SetForegroundWindow(form.Handle());
    ::SetFocus(H(Ctl::edtSource));
    form.ClearStop();
    ASSERT_FALSE(form.StopRequested()); // the first check empties the queue; the throttle starts
    // A real key press, so that it waits as keyboard input rather than as a posted message.
    INPUT keys[2] = {};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = VK_ESCAPE;
    }
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ASSERT_EQ(::SendInput(2, keys, sizeof(INPUT)), 2u);
    bool stopped = false;
    for (unsigned i = 0; i < MainWindow::kChecksPerInputLook && !stopped; ++i)
        stopped = form.StopRequested();
    EXPECT_TRUE(stopped);
}

TEST_F(MainWindowTest, ClosingWhileBusyIsRefusedWithAWarning)
{
    MainWindow& form = MakeForm();
    form.Show(SW_SHOWNOACTIVATE);
    form.SetIdle(false);
    ::SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);     // title bar, Alt+F4, system menu
    ::SendMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE | 2, 0); // the low four bits do not matter
    ::SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(::IsWindow(form.Handle()));
    ASSERT_EQ(notices_.size(), 3u);
    for (const Notice& notice : notices_)
        EXPECT_EQ(notice, Notice(NoticeKind::Warning, "Please use <ESC> key to stop building."));
    EXPECT_FALSE(FileExists(iniPath_));

    // Idle again, it closes, and the settings are written then.
    form.SetIdle(true);
    HWND window = form.Handle();
    ::SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(notices_.size(), 3u);
    EXPECT_TRUE(FileExists(iniPath_));
}

TEST_F(MainWindowTest, ClosingWritesEverySettingAndClearedCredentialsStayCleared)
{
    MainWindow& form = MakeForm("[Other]\r\nKeep=1\r\n\r\n[corvane tessaly]\r\nSource=http://old/list.csv\r\n"
                            "User=alice\r\nPSW=secret\r\nEmailClient=99\r\nInterval=9\r\nStartTime=nonsense\r\n");
    ::SetWindowTextA(H(Ctl::edtUser), "");
    ::SetWindowTextA(H(Ctl::edtPass), "   ");
    ::SetWindowTextA(H(Ctl::edtSource), "  ");
    ::SetWindowTextA(H(Ctl::edtTitle), " Team ");
    ::SendMessageA(form.Handle(), WM_CLOSE, 0, 0);

    const IniFile saved = IniFile::Parse(ReadTextFile(iniPath_));
    EXPECT_EQ(saved.ReadString("Other", "Keep", ""), "1");
    EXPECT_EQ(saved.ReadString("Corvane Tessaly", "Source", ""), "http://old/list.csv"); // a blank link is not written
    EXPECT_TRUE(saved.ValueExists("Corvane Tessaly", "User"));
    EXPECT_EQ(saved.ReadString("Corvane Tessaly", "User", "?"), "");
    EXPECT_EQ(saved.ReadString("Corvane Tessaly", "PSW", "?"), "");
    EXPECT_EQ(saved.ReadString("Corvane Tessaly", "Folder", ""), "Team");
    EXPECT_EQ(saved.ReadString("Corvane Tessaly", "EmailClient", ""), "10");
    EXPECT_EQ(saved.ReadString("Corvane Tessaly", "Interval", ""), "1");
    EXPECT_EQ(saved.ReadString("Corvane Tessaly", "StartTime", ""), "15:00:00");

    // The next start shows what was written, blanks included.
    MainWindow& again = MakeForm();
    EXPECT_EQ(again.UserText(), "");
    EXPECT_EQ(again.PasswordText(), "");
    EXPECT_EQ(again.FolderText(), "Team");
}

TEST_F(MainWindowTest, AFieldGivenLineBreaksKeepsOnlyItsFirstLine)
{
    MainWindow& form = MakeForm("[Corvane Tessaly]\r\nEmailClient=30\r\n");
    // What WM_SETTEXT can put in a single-line field, though a paste cannot.
    ::SetWindowTextA(H(Ctl::edtPass), "abc\nEmailClient=77\r\nFolder=..\\..\\x");
    ::SetWindowTextA(H(Ctl::edtTitle), "Team\rSource=ftp://x/");
    EXPECT_EQ(form.PasswordText(), "abc");
    ::SendMessageA(form.Handle(), WM_CLOSE, 0, 0);

    EXPECT_EQ(ReadTextFile(iniPath_), "[Corvane Tessaly]\r\nEmailClient=30\r\n"
                                      "Source=http://www.corvane.example/data/contacts.csv\r\nUser=username\r\n"
                                      "PSW=abc\r\nFolder=Team\r\nInterval=1\r\nStartTime=15:00:00\r\n");
}

TEST_F(MainWindowTest, TheSessionEndingWithTheWindowOpenWritesTheSettings)
{
    MainWindow& form = MakeForm("[Corvane Tessaly]\r\nFolder=Old\r\n");
    ::SetWindowTextA(H(Ctl::edtTitle), "Team");
    ::SendMessageA(form.Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
    EXPECT_EQ(IniFile::Parse(ReadTextFile(iniPath_)).ReadString("Corvane Tessaly", "Folder", ""), "Team");
}

TEST_F(MainWindowTest, AFailedSaveIsReportedAndKeepsTheOldFile)
{
    const std::string old = "[Corvane Tessaly]\r\nUser=kept\r\n";
    MainWindow& form = MakeForm(old);
    ::SetWindowTextA(H(Ctl::edtUser), "changed");
    {
        // Someone holds the file open, so it cannot be replaced.
        UniqueKernelHandle holder(::CreateFileA(iniPath_.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(holder);
        ::SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
    }
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0].first, NoticeKind::Error);
    EXPECT_NE(notices_[0].second.find("CorvaneTessaly.ini"), std::string::npos) << notices_[0].second;
    EXPECT_EQ(ReadTextFile(iniPath_), old);
}

class ActionTest : public MainWindowTest {
protected:
    // The window with a recording destination under Outlook's code, or `destinations`
    // where they name a code, and the inputs of a run typed in.
    MainWindow& Prepare(const std::string& source, const std::string& folder,
                         const SyncRun::Destinations& destinations = {}, const std::string& user = {},
                         const std::string& password = {})
    {
        options_.destinations = {{DestinationKind::Outlook, [this](const ContactList& list, const std::string& name,
                                                             IRunServices& services) {
                                      ++destinationCalls;
                                      busyWhileWriting = !IsEnabled(Ctl::edtSource);
                                      folderWritten = name;
                                      services.ReportCreated(static_cast<int>(list.Count()), name);
                                      return true;
                                  }}};
        for (const auto& [code, entry] : destinations)
            options_.destinations[code] = entry;
        MainWindow& form = MakeForm();
        EnterRunInputs(source, user, password, folder, CodeOf(DestinationKind::Outlook));
        ClearServerRequests();
        return form;
    }

    int destinationCalls = 0;
    bool busyWhileWriting = false;
    std::string folderWritten;
};

TEST_F(ActionTest, ABlankLinkIsReportedAloneBeforeTheFolderIsLookedAt)
{
    MainWindow& form = Prepare(" \t", "");
    form.SyncNow();
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0], Notice(NoticeKind::Warning, std::string("Wrong Input:  Download Link") + kBlank));
    EXPECT_EQ(Text(Ctl::lblStatusV), "Initializing..");
    EXPECT_TRUE(ServerRequests().empty());
    EXPECT_EQ(destinationCalls, 0);
    EXPECT_TRUE(IsEnabled(Ctl::edtSource)); // idle again
}

TEST_F(ActionTest, OnlyWebLinksPassTheInputCheck)
{
    MainWindow& form = Prepare("ftp://127.0.0.1/contacts.csv", "Team");
    form.SyncNow();
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0], Notice(NoticeKind::Warning, "Wrong Input:  Download Link\r\n"
                                                       "Please enter a link that starts with http:// or https://."));
    EXPECT_EQ(destinationCalls, 0);
}

TEST_F(ActionTest, AStoredFolderThisSystemCannotShowIsRefusedAndKept)
{
    const std::string ini = "\xEF\xBB\xBF[Corvane Tessaly]\r\nSource=" + TestServerUrl("/files/contacts.csv")
                            + "\r\nFolder=\xD0\x9A\xD0\xBE\xD0\xBD\xD1\x82\xD0\xB0\xD0\xBA\xD1\x82\xD1\x8B\r\n";
    MainWindow& form = MakeForm(ini);
    ClearServerRequests();
    EXPECT_EQ(form.FolderText(), "");
    form.SyncNow();
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0], Notice(NoticeKind::Warning, "Wrong Input:  Contact Folder\r\n"
                                                       "The settings file holds characters for it that this system "
                                                       "cannot show, so it was not used. Please enter it here."));
    EXPECT_TRUE(ServerRequests().empty());
    ::SendMessageA(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(IniFile::Parse(ReadTextFile(iniPath_)).ReadString("Corvane Tessaly", "Folder", ""),
              "\xD0\x9A\xD0\xBE\xD0\xBD\xD1\x82\xD0\xB0\xD0\xBA\xD1\x82\xD1\x8B");
}

TEST_F(ActionTest, ABlankFolderIsReportedForBothActions)
{
    MainWindow& form = Prepare(TestServerUrl("/files/contacts.csv?generate=3"), "  ");
    form.SyncNow();
    form.SaveTask();
    ASSERT_EQ(notices_.size(), 2u);
    for (const Notice& notice : notices_)
        EXPECT_EQ(notice, Notice(NoticeKind::Warning, std::string("Wrong Input:  Contact Folder") + kBlank));
    EXPECT_TRUE(ServerRequests().empty());
    EXPECT_EQ(destinationCalls, 0);
}

TEST_F(ActionTest, AWindowsMailFolderThatIsAPathIsRefusedBeforeAnythingIsTouched)
{
    const std::string url = TestServerUrl("/files/contacts.csv?generate=3");
    MainWindow& form = Prepare(url, "..\\Desktop",
                                {{DestinationKind::WindowsMail, [this](const ContactList&, const std::string&, IRunServices&) {
                                      ++destinationCalls;
                                      return true;
                                  }}});
    EnterRunInputs(url, "", "", "..\\Desktop", CodeOf(DestinationKind::WindowsMail));
    form.SyncNow();
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0].first, NoticeKind::Warning);
    EXPECT_EQ(notices_[0].second.rfind("Wrong Input:  Contact Folder\r\n", 0), 0u) << notices_[0].second;
    EXPECT_TRUE(ServerRequests().empty());
    EXPECT_EQ(destinationCalls, 0);

    // Outlook's folder names are names, not paths: the same text goes through.
    notices_.clear();
    EnterRunInputs(url, "", "", "..\\Desktop", CodeOf(DestinationKind::Outlook));
    form.SyncNow();
    EXPECT_EQ(destinationCalls, 1);
    EXPECT_EQ(folderWritten, "..\\Desktop");
}

TEST_F(ActionTest, SyncNowRunsBusyAndAnEarlierEscapeDoesNotCount)
{
    MainWindow& form = Prepare(TestServerUrl("/files/contacts.csv?generate=3"), " Team ", {}, "  user ", "pass");
    form.Show(SW_SHOWNOACTIVATE);
    form.RequestStop(); // Escape while idle
    ::SendMessageA(H(Ctl::btnSync), BM_CLICK, 0, 0);
    EXPECT_EQ(destinationCalls, 1);
    EXPECT_TRUE(busyWhileWriting);
    EXPECT_EQ(folderWritten, "Team");
    ASSERT_FALSE(notices_.empty());
    EXPECT_EQ(notices_.back(), Notice(NoticeKind::Information, "Operation completed successfully."));
    // The Escape hint went before the message came.
    EXPECT_FALSE(hintShownAtNotice_.back());
    // The trimmed credentials went out.
    const auto requests = ServerRequests();
    ASSERT_FALSE(requests.empty());
    EXPECT_THAT(requests.back(), ::testing::EndsWith("Basic dXNlcjpwYXNz"));
    EXPECT_TRUE(IsEnabled(Ctl::edtSource));
    EXPECT_FALSE(IsShown(Ctl::lblStatus));
}

TEST_F(ActionTest, AnEscapeJustBeforeTheDestinationsCheckStopsItWhateverTheThrottle)
{
    options_.pumpIntervalMs = 60000;
    bool stopSeen = false;
    MainWindow& form = Prepare(TestServerUrl("/files/contacts.csv?generate=3"), "Team",
                                {{DestinationKind::Outlook, [&](const ContactList&, const std::string&, IRunServices& services) {
                                      ::PostMessageA(H(Ctl::edtSource), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
                                      stopSeen = services.StopRequested();
                                      return !stopSeen; // a destination that sees the stop writes nothing
                                  }}});
    form.SyncNow();
    EXPECT_TRUE(stopSeen);
    ASSERT_FALSE(notices_.empty());
    EXPECT_EQ(notices_.back(), Notice(NoticeKind::Warning, "Sync operation has been interrupted by user."));
}

TEST_F(ActionTest, AnErrorInsideAnActionStillLeavesTheBusyState)
{
    Prepare(TestServerUrl("/files/contacts.csv?generate=3"), "Team",
            {{DestinationKind::Outlook, [](const ContactList&, const std::string&, IRunServices&) -> bool {
                  throw std::runtime_error("The store went away.");
              }}});
    ::SendMessageA(H(Ctl::btnSync), BM_CLICK, 0, 0);
    ASSERT_FALSE(notices_.empty());
    EXPECT_EQ(notices_.back(), Notice(NoticeKind::Error, "The store went away."));
    EXPECT_TRUE(IsEnabled(Ctl::edtSource));
}

TEST_F(ActionTest, SaveScheduledTaskRegistersTheChosenIntervalAndTime)
{
    struct Com {
        HRESULT result = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ~Com()
        {
            if (SUCCEEDED(result))
                ::CoUninitialize();
        }
    } com;
    MainWindow& form = Prepare(TestServerUrl("/files/contacts.csv"), "Team");
    SelectCode(Ctl::cmbScheduler, 3);
    SetStartTime(8, 45, 30);

    StatusWatch watch{form.Handle(), {}};
    ASSERT_TRUE(::SetWindowSubclass(H(Ctl::lblStatusV), RecordStatus, 1, reinterpret_cast<DWORD_PTR>(&watch)));
    ::SendMessageA(H(Ctl::btnSchedule), BM_CLICK, 0, 0);
    ::RemoveWindowSubclass(H(Ctl::lblStatusV), RecordStatus, 1);

    // The input check first, then the task, all in the busy look; idle again afterwards.
    ASSERT_EQ(watch.seen.size(), 2u);
    EXPECT_EQ(watch.seen[0].text, "Initializing..");
    EXPECT_EQ(watch.seen[1].text, "Building Scheduled Task..");
    EXPECT_TRUE(watch.seen[0].busy && watch.seen[1].busy);
    EXPECT_TRUE(IsEnabled(Ctl::btnSchedule));
    ASSERT_FALSE(notices_.empty());
    EXPECT_EQ(notices_.back(), Notice(NoticeKind::Information, "Operation completed successfully."));
    EXPECT_TRUE(ServerRequests().empty()); // the task is saved, nothing is downloaded
    EXPECT_EQ(destinationCalls, 0);

    Microsoft::WRL::ComPtr<ITaskScheduler> scheduler;
    ASSERT_EQ(::CoCreateInstance(CLSID_CTaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&scheduler)), S_OK);
    const std::wstring name = AnsiToWide(ScheduledTaskName());
    Microsoft::WRL::ComPtr<IUnknown> item;
    ASSERT_EQ(scheduler->Activate(name.c_str(), IID_ITask, item.GetAddressOf()), S_OK);
    Microsoft::WRL::ComPtr<ITask> task;
    ASSERT_EQ(item.As(&task), S_OK);
    Microsoft::WRL::ComPtr<ITaskTrigger> trigger;
    ASSERT_EQ(task->GetTrigger(0, trigger.GetAddressOf()), S_OK);
    TASK_TRIGGER stored{};
    stored.cbTriggerSize = sizeof stored;
    ASSERT_EQ(trigger->GetTrigger(&stored), S_OK);
    EXPECT_EQ(stored.Type.Daily.DaysInterval, 3);
    EXPECT_EQ(stored.wStartHour, 8);
    EXPECT_EQ(stored.wStartMinute, 45);
    (void)scheduler->Delete(name.c_str());
}

// Unattended: the window posts itself the run, never shows, closes itself and reports
// the outcome through the exit code; nothing is shown and the settings are not written.
class UnattendedTest : public MainWindowTest {
protected:
    int Run(const std::string& source, std::function<bool(MainWindow&)> destination)
    {
        options_.destinations[DestinationKind::Outlook] = [this, destination](const ContactList&, const std::string&,
                                                                        IRunServices&) {
            EXPECT_FALSE(::IsWindowVisible(form_->Handle()));
            return destination(*form_);
        };
        MainWindow& form = MakeForm("[Corvane Tessaly]\r\nSource=\r\nFolder=Team\r\n", true);
        const std::string before = ReadTextFile(iniPath_);
        if (!source.empty())
            EnterRunInputs(source, "", "", "Team", CodeOf(DestinationKind::Outlook));
        EXPECT_TRUE(RunUntilQuit(form));
        EXPECT_FALSE(form.Handle()); // closed
        EXPECT_FALSE(FileExists(SyncRun::TemporaryFilePath()));
        // Not even a notice shown straight after the run.
        form.ShowNotice(NoticeKind::Warning, "direct");
        EXPECT_TRUE(notices_.empty());
        EXPECT_EQ(ReadTextFile(iniPath_), before);
        return form.ExitCode();
    }
};

TEST_F(UnattendedTest, TheExitCodeTellsTheOutcome)
{
    const std::string url = TestServerUrl("/files/contacts.csv?generate=3");
    EXPECT_EQ(Run(url, [](MainWindow&) { return true; }), SyncRun::kExitSucceeded);
    EXPECT_EQ(Run(url, [](MainWindow&) { return false; }), SyncRun::kExitFailed);
    EXPECT_EQ(Run(url,
                  [](MainWindow& form) {
                      form.RequestStop();
                      return false;
                  }),
              SyncRun::kExitInterrupted);
    EXPECT_EQ(Run(url, [](MainWindow&) -> bool { throw std::runtime_error("gone"); }), SyncRun::kExitError);
    EXPECT_EQ(Run(UnreachableUrl(), [](MainWindow&) { return true; }), SyncRun::kExitFailed);
    EXPECT_EQ(Run(TestServerUrl("/page/401"), [](MainWindow&) { return true; }), SyncRun::kExitFailed);
}

TEST_F(UnattendedTest, ABlankSavedLinkDownloadsNothingAndFails)
{
    ClearServerRequests();
    int calls = 0;
    EXPECT_EQ(Run({}, [&](MainWindow&) { return ++calls > 0; }), SyncRun::kExitFailed);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(ServerRequests().empty());
    EXPECT_FALSE(FileExists(SyncRun::TemporaryFilePath()));
}

TEST(UnattendedSwitch, OnlyAnExactFirstArgumentCounts)
{
    const auto check = [](std::vector<const char*> args) {
        std::vector<char*> argv;
        for (const char* a : args)
            argv.push_back(const_cast<char*>(a));
        return MainWindow::IsUnattendedSwitch(static_cast<int>(argv.size()), argv.data());
    };
    EXPECT_TRUE(check({"prog", "-a"}));
    EXPECT_TRUE(check({"prog", "-a", "more"}));
    for (auto args : std::vector<std::vector<const char*>>{
             {"prog"}, {"prog", "-A"}, {"prog", "/a"}, {"prog", "-ab"}, {"prog", " -a"}, {"prog", "x", "-a"}})
        EXPECT_FALSE(check(args)) << args.size();
}

} // namespace
} // namespace tessaly::test
