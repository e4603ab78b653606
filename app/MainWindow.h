#pragma once
// The main window. It keeps its own life (controls, settings, the two actions with their
// busy state, closing, the unattended start) and gives a synchronisation run the services
// that every long step calls back: the status line, the stop check with its flag, and the
// one funnel through which every user message is shown or, unattended, suppressed.
#include "app/IniFile.h"
#include "app/RunLogFile.h"
#include "app/Settings.h"
#include "app/SyncRun.h"
#include "base/RunServices.h"
#include "base/WinHandles.h"
#include "ui/BaseWindow.h"
#include "ui/MainWindowControls.h"
#include "ui/TaskbarOwner.h"

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessaly {

class MainWindow : public BaseWindow<MainWindow>, public IRunServices, private IRunHooks {
public:
    // How often a run lets window messages through, at most.
    static constexpr DWORD kPumpIntervalMs = 25;
    // Stop checks per look at the input state. Under Wine one look is a round trip to the
    // server that costs as much as a few dozen CSV rows; on every check it would make a
    // parse ten times slower. This many rows take a few milliseconds, well within the
    // throttle's interval.
    static constexpr unsigned kChecksPerInputLook = 1024;
    // Posted to itself by the unattended start: one synchronisation, then close.
    static constexpr UINT WM_STARTSYNC = WM_USER + 32;

    // Shift state of a key press.
    enum ShiftFlag : unsigned { kShift = 1, kAlt = 2, kCtrl = 4 };

    using NoticeDisplay = std::function<void(NoticeKind, const std::string&)>;
    struct Options {
        // Unattended, nothing is ever shown to the user.
        bool unattended = false;
        // The entry operations of the destinations, by code.
        SyncRun::Destinations destinations = SyncRun::StandardDestinations();
        // Takes over from the message dialog when set (unattended, still nothing reaches it).
        NoticeDisplay noticeDisplay;
        // 0 lets messages through on every stop check.
        DWORD pumpIntervalMs = kPumpIntervalMs;
        // Where every run adds its line; empty keeps no log.
        std::wstring runLogPath = RunLogPath();
    };

    // True only for "-a" as the first argument, exactly.
    static bool IsUnattendedSwitch(int argc, char** argv);

    // Creates the window, hidden.
    explicit MainWindow(bool unattended);
    explicit MainWindow(const Options& options);
    virtual ~MainWindow();

    void Show(int showCommand);
    bool Unattended() const noexcept { return unattended_; }
    // The process's exit code: the outcome of the unattended run; always 0 interactively.
    int ExitCode() const noexcept { return unattended_ ? outcome_ : SyncRun::kExitSucceeded; }

    // --- Actions -------------------------------------------------------------------
    void SyncNow() { RunAction(false); }
    void SaveTask() { RunAction(true); }
    void SetIdle(bool idle);
    void SaveScheduledTask();

    // --- Settings ------------------------------------------------------------------
    // 1 to 7; 0 when none is chosen.
    int IntervalDays() const;
    // The start time as a fraction of a day.
    double StartTimeValue() const;

    // --- Services ------------------------------------------------------------------
    void SetStatus(const std::string& text) override;
    // While idle the status line tells of the newest run the log holds; without one it
    // stays hidden.
    void ShowLastRun();
    // Lets pending messages through (every pump interval, sooner when a look at the input
    // state finds a key or click waiting, always on the first check of a run and on a
    // destination's check), then answers the stop flag.
    bool StopRequested() override;
    void ShowNotice(NoticeKind kind, const std::string& text) override;
    void RequestStop() noexcept { stopFlag_ = true; }
    void ClearStop() noexcept;

    // Where an error that ends an action arrives: its text is shown as an error.
    void AppException(std::exception_ptr error);

    // --- Inputs of a run, trimmed ----------------------------------------------------
    std::string SourceText() const;
    std::string UserText() const;
    std::string PasswordText() const;
    std::string FolderText() const; // UTF-8
    // A code of the destination table; 0 when none is chosen.
    int DestinationCode() const;

    // Every message taken from the queue, by the main loop or a run, passes here first;
    // true when it was handled and must not be dispatched.
    bool PreTranslateMessage(MSG& msg);

private:
    friend class BaseWindow<MainWindow>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void HandleException(std::exception_ptr error) noexcept;

    // --- Window life ---------------------------------------------------------------
    // Makes the controls and shows the settings in them.
    void CreateControls();
    void ShowSettings(const IniFile& settings);
    void ReleaseSettings();
    void StartUnattended();
    void RunUnattended();
    // False when a close command must not run (the window is busy).
    bool SystemCommand(WPARAM command);
    // False, with a warning, while a run or a task's saving is under way.
    bool CanCloseNow();
    void KeyPressed(WPARAM key, unsigned shift);
    // Gives the focus back to the control that had it; false to let the default handling run.
    bool Activated(WPARAM state);
    // The shift state of the key being handled now.
    static unsigned KeyShiftState();

    // --- Actions -------------------------------------------------------------------
    void RunAction(bool createTask);
    [[nodiscard]] bool ValidateInput(const std::string& folderName);
    [[nodiscard]] bool CheckNotBlank(const std::string& value, const std::string& caption);
    // False, with a warning, while a field whose stored value could not be read is still empty.
    [[nodiscard]] bool CheckSettingsReadable();
    void ShowAnimation(bool on);

    // --- Settings ------------------------------------------------------------------
    void LoadSettings(const IniFile& settings);
    void SaveSettings(IniFile& settings);

    // Settings are written when the window closes, while it can still show an error, and
    // when the session ends with the window open.
    void SaveSettingsOnClose();
    void ProcessMessages();
    // Every kChecksPerInputLook calls: true when keyboard or mouse-button input waits in
    // this thread's queue.
    bool InputWaiting() noexcept;

    // What the run asks of the window.
    void PumpOnNextStopCheck() override { pumpDue_ = true; }
    bool StopFlagged() const override { return stopFlag_; }
    void HideStopHint() override;
    RemovalAnswer ConfirmRemoval(const std::string& question) override;

    bool unattended_;
    // Made before the main window, which it owns, and destroyed after it.
    TaskbarOwner owner_;
    bool stopFlag_ = false;
    // The next stop check empties the queue whatever the throttle says.
    bool pumpDue_ = true;
    unsigned checksSinceInputLook_ = 0;
    DWORD lastPump_ = 0;
    DWORD pumpInterval_;
    NoticeDisplay noticeDisplay_;
    std::wstring runLogPath_;
    SyncRun run_;
    std::exception_ptr creationError_;
    int outcome_ = SyncRun::kExitSucceeded;
    std::unique_ptr<IniFile> settings_;
    // Keys whose stored text this system's code page cannot hold; their fields started empty.
    std::vector<std::string> unreadableSettings_;
    // RemoveLimit of the settings file: the window has no field for it.
    int removeLimit_ = kDefaultRemoveLimit;
    std::unique_ptr<MainWindowControls> controls_;
    // The control that had the focus when an action started.
    HWND focusBeforeBusy_ = nullptr;
};

} // namespace tessaly
