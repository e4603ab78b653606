// Drives a running main window from outside, for screenshots and end-to-end checks.
//   window_driver wait-window SECONDS    waits until the window is shown; prints its rectangle
//   window_driver click NAME             clicks the named button
//   window_driver wait-busy SECONDS      waits until the window shows its busy look
//   window_driver set-text NAME TEXT     puts TEXT into the named field
#include "tests/support/WindowQueries.h"
#include "ui/ControlIds.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

HWND MainWindow()
{
    return ::FindWindowA("TForm1", nullptr);
}

HWND Control(HWND form, std::string_view name)
{
    for (size_t i = 0; i < tessaly::kControlCount; ++i) {
        const auto c = static_cast<tessaly::Ctl>(i);
        if (tessaly::ControlName(c) != name)
            continue;
        return tessaly::test::FindChildById(form, tessaly::ControlId(c));
    }
    return nullptr;
}

template <typename Ready>
bool WaitFor(double seconds, Ready ready)
{
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(seconds * 1000);
    while (!ready()) {
        if (static_cast<LONG>(::GetTickCount() - end) > 0)
            return false;
        ::Sleep(50);
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_driver wait-window|click|wait-busy|set-text ARG [TEXT]\n");
        return 2;
    }
    const std::string_view command = argv[1];
    if (command == "wait-window") {
        if (!WaitFor(std::atof(argv[2]), [] { HWND w = MainWindow(); return w && ::IsWindowVisible(w); }))
            return 1;
        RECT rect{};
        ::GetWindowRect(MainWindow(), &rect);
        std::printf("%ld %ld %ld %ld\n", rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
        return 0;
    }
    HWND form = MainWindow();
    if (!form)
        return 1;
    if (command == "click") {
        HWND button = Control(form, argv[2]);
        if (!button)
            return 1;
        ::PostMessageA(button, BM_CLICK, 0, 0);
        return 0;
    }
    if (command == "set-text" && argc >= 4) {
        HWND field = Control(form, argv[2]);
        if (!field)
            return 1;
        return ::SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[3])) ? 0 : 1;
    }
    if (command == "wait-busy") {
        return WaitFor(std::atof(argv[2]), [form] {
            HWND source = Control(form, "edtSource");
            HWND animation = Control(form, "aniBusy");
            return source && !::IsWindowEnabled(source) && animation && ::IsWindowVisible(animation);
        }) ? 0 : 1;
    }
    return 2;
}
