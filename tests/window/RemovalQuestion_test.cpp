// Sync Now into a Windows Mail folder with a list that would remove most of it: the real
// question dialog comes up once, No leaves every contact file as it was and ends the run
// as an interruption, Yes makes the folder the list.
#include "MainWindowFixture.h"

#include "TestServer.h"
#include "base/WideText.h"
#include "ui/MessageDialog.h"

#include <objbase.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tessaly::test {
namespace {

constexpr char kFolder[] = "Window Removal Test";

// What the dialog showed, and which button the test pressed.
struct DialogSeen {
    bool visible = false;
    std::string text;
    // Each button's id and caption, in the dialog's order.
    std::vector<std::pair<int, std::string>> buttons;
};

// Answers the program's message dialog as a user would. A thread hook sees the dialog
// made; a message posted then reaches the dialog's own loop once it shows, which is when
// the answer looks at it and presses the chosen button. A dialog still open a minute
// after it was made is closed, so a broken answer fails the test instead of hanging it.
class DialogAnswerer {
public:
    explicit DialogAnswerer(int answer) : answer_(answer)
    {
        current_ = this;
        WNDCLASSA wc{};
        wc.lpfnWndProc = ProbeProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "TessalyRemovalAnswer";
        ::RegisterClassA(&wc);
        probe_ = ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        hook_ = ::SetWindowsHookExA(WH_CBT, WatchCreation, nullptr, ::GetCurrentThreadId());
    }
    ~DialogAnswerer()
    {
        if (hook_)
            ::UnhookWindowsHookEx(hook_);
        if (probe_)
            ::DestroyWindow(probe_);
        if (current_ == this)
            current_ = nullptr;
    }
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    bool Ready() const { return probe_ && hook_; }

    std::vector<DialogSeen> seen;
    bool timedOut = false;

private:
    static constexpr UINT kAnswer = WM_APP + 1;
    static constexpr UINT_PTR kGiveUpTimer = 1;
    static constexpr UINT kGiveUpMs = 60000;

    static LRESULT CALLBACK WatchCreation(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND && current_) {
            const auto window = reinterpret_cast<HWND>(wParam);
            char name[32] = {};
            ::GetClassNameA(window, name, sizeof name);
            if (std::string(name) == "#32770") {
                current_->dialog_ = window;
                ::PostMessageA(current_->probe_, kAnswer, 0, reinterpret_cast<LPARAM>(window));
                ::SetTimer(current_->probe_, kGiveUpTimer, kGiveUpMs, nullptr);
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static BOOL CALLBACK TakeButton(HWND child, LPARAM data)
    {
        if (ClassOf(child) == "Button")
            reinterpret_cast<DialogSeen*>(data)->buttons.emplace_back(::GetDlgCtrlID(child), WindowText(child));
        return TRUE;
    }

    void Answer(HWND dialog)
    {
        DialogSeen dialogSeen;
        dialogSeen.visible = ::IsWindowVisible(dialog) != FALSE;
        dialogSeen.text = WindowText(::GetDlgItem(dialog, kMessageTextId));
        ::EnumChildWindows(dialog, TakeButton, reinterpret_cast<LPARAM>(&dialogSeen));
        seen.push_back(dialogSeen);
        HWND button = ::GetDlgItem(dialog, answer_);
        if (button)
            ::SendMessageA(button, BM_CLICK, 0, 0);
        else
            ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    }

    static LRESULT CALLBACK ProbeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (current_ && message == kAnswer) {
            current_->Answer(reinterpret_cast<HWND>(lParam));
            return 0;
        }
        if (current_ && message == WM_TIMER && wParam == kGiveUpTimer) {
            ::KillTimer(window, kGiveUpTimer);
            if (::IsWindow(current_->dialog_)) {
                current_->timedOut = true;
                ::DestroyWindow(current_->dialog_);
            }
            return 0;
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    }

    static inline DialogAnswerer* current_ = nullptr;
    int answer_;
    HWND probe_ = nullptr;
    HHOOK hook_ = nullptr;
    HWND dialog_ = nullptr;
};

using FolderState = std::map<std::string, std::string>;

// Every file of a folder, by name: its last write time and content.
FolderState FolderFiles(const std::string& folder)
{
    FolderState files;
    WIN32_FIND_DATAA found{};
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        const std::string written = std::to_string(found.ftLastWriteTime.dwHighDateTime) + ":" +
                                    std::to_string(found.ftLastWriteTime.dwLowDateTime) + "\n";
        files[found.cFileName] = written + ReadTextFile(folder + "\\" + found.cFileName);
    } while (::FindNextFileA(search, &found));
    ::FindClose(search);
    return files;
}

// The names of the files `after` lacks, gained or holds otherwise than `before`.
std::string Differences(const FolderState& before, const FolderState& after)
{
    std::string names;
    for (const auto& [name, content] : before) {
        const auto now = after.find(name);
        if (now == after.end())
            names += " -" + name;
        else if (now->second != content)
            names += " ~" + name;
    }
    for (const auto& [name, content] : after) {
        if (!before.contains(name))
            names += " +" + name;
    }
    return names;
}

class RemovalQuestionTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        ASSERT_TRUE(SUCCEEDED(com_));
        // Windows Contacts keeps its files under the user's profile: a private one here.
        profile_ = ExecutableFolder() + "window-test profile";
        RemoveFolderTree(AnsiToWide(profile_));
        ASSERT_TRUE(::CreateDirectoryA(profile_.c_str(), nullptr));
        ASSERT_TRUE(::GetEnvironmentVariableA("USERPROFILE", oldProfile_, sizeof oldProfile_) > 0);
        ::SetEnvironmentVariableA("USERPROFILE", profile_.c_str());
        logPath_ = ExecutableFolder() + "window-test runs.log";
        ASSERT_TRUE(ForceDeleteFile(logPath_));
        options_.runLogPath = AnsiToWide(logPath_);
    }

    void TearDown() override
    {
        MainWindowTest::TearDown();
        ::SetEnvironmentVariableA("USERPROFILE", oldProfile_);
        RemoveFolderTree(AnsiToWide(profile_));
        (void)ForceDeleteFile(logPath_);
        if (SUCCEEDED(com_))
            ::CoUninitialize();
    }

    // Sync Now with a generated list of `rows` contacts, answering a question with `answer`;
    // the dialogs it showed.
    std::vector<DialogSeen> SyncNow(int rows, int answer)
    {
        answerer_.reset();
        answerer_ = std::make_unique<DialogAnswerer>(answer);
        EXPECT_TRUE(answerer_->Ready());
        EnterRunInputs(TestServerUrl("/files/contacts.csv?generate=" + std::to_string(rows)), "", "", kFolder,
                       CodeOf(DestinationKind::WindowsMail));
        ::SendMessageA(H(Ctl::btnSync), BM_CLICK, 0, 0);
        EXPECT_FALSE(answerer_->timedOut) << "the question was left unanswered";
        return answerer_->seen;
    }

    std::string Folder() const { return profile_ + "\\Contacts\\" + kFolder; }

private:
    HRESULT com_ = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string profile_;
    char oldProfile_[MAX_PATH] = {};
    std::string logPath_;
    std::unique_ptr<DialogAnswerer> answerer_;
};

TEST_F(RemovalQuestionTest, NoLeavesTheFolderUntouchedAndYesAppliesTheList)
{
    MainWindow& form = MakeForm(); // RemoveLimit 50, the default
    form.Show(SW_SHOW);
    ::SetForegroundWindow(form.Handle());
    ASSERT_TRUE(SyncNow(60, IDNO).empty()) << "an empty folder loses nothing";
    ASSERT_EQ(notices_.back(), Notice(NoticeKind::Information, "Operation completed successfully."));
    const FolderState held = FolderFiles(Folder());
    ASSERT_EQ(held.size(), 60u);

    // 45 of the 60 would go.
    const std::vector<DialogSeen> no = SyncNow(15, IDNO);
    ASSERT_EQ(no.size(), 1u);
    const DialogSeen question = no[0];
    EXPECT_TRUE(question.visible);
    EXPECT_EQ(question.text, std::string("The downloaded list would remove 45 of the 60 contacts in \"") + kFolder +
                                 "\". Remove them?");
    EXPECT_EQ(question.buttons, (std::vector<std::pair<int, std::string>>{{IDYES, "&Yes"}, {IDNO, "&No"}}));
    EXPECT_EQ(Differences(held, FolderFiles(Folder())), "");
    EXPECT_EQ(notices_.back(), Notice(NoticeKind::Warning, "Sync operation has been interrupted by user."));
    EXPECT_FALSE(FileExists(SyncRun::TemporaryFilePath()));
    EXPECT_TRUE(IsEnabled(Ctl::edtSource));
    // Idle again, the status line tells of the run just ended.
    EXPECT_TRUE(IsShown(Ctl::lblStatusV));
    EXPECT_TRUE(Text(Ctl::lblStatusV).ends_with(": interrupted")) << Text(Ctl::lblStatusV);

    const std::vector<DialogSeen> yes = SyncNow(15, IDYES);
    ASSERT_EQ(yes.size(), 1u);
    EXPECT_EQ(yes[0].text, question.text);
    EXPECT_EQ(notices_.back(), Notice(NoticeKind::Information, "Operation completed successfully."));
    // The list is the first 15 of the 60: those files stay as they were, the rest go.
    const FolderState kept = FolderFiles(Folder());
    EXPECT_EQ(kept.size(), 15u);
    FolderState keptBefore;
    for (const auto& [name, content] : kept) {
        if (held.contains(name))
            keptBefore[name] = held.at(name);
    }
    EXPECT_EQ(Differences(keptBefore, kept), "");
    EXPECT_TRUE(Text(Ctl::lblStatusV).ends_with(": 45 removed")) << Text(Ctl::lblStatusV);
}

} // namespace
} // namespace tessaly::test
