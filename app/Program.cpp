// Program entry: COM for this thread, the windowless switches, or the common controls,
// the main window and its loop.
#include "app/Commands.h"
#include "app/MainWindow.h"
#include "base/ExceptionText.h"
#include "ui/MessageDialog.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

namespace {

// Every component is called on this thread, so it is a single-threaded apartment.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment()
    {
        if (initialised_)
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

void RunMessageLoop(tessaly::MainWindow& form)
{
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (form.PreTranslateMessage(msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand)
{
    ComApartment com;
    // The switches for installers and login scripts run without any window.
    int commandExit = 0;
    if (tessaly::RunWindowlessCommand(__argc, __argv, commandExit))
        return commandExit;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_DATE_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&controls);
    const bool unattended = tessaly::MainWindow::IsUnattendedSwitch(__argc, __argv);
    try {
        tessaly::MainWindow form(unattended);
        // Unattended, the window is never shown; it closes itself after the run.
        if (!unattended)
            form.Show(showCommand);
        RunMessageLoop(form);
        return form.ExitCode();
    } catch (...) {
        // The window could not be made, so there is no handler of its own to report to.
        if (unattended)
            return tessaly::SyncRun::kExitError;
        tessaly::ShowError(tessaly::ExceptionText(std::current_exception()));
    }
    return 0;
}
