// The services of the main window that every long step relies on, and the rule that an
// error thrown by a message handler stops at the window procedure.
#include "app/MainWindow.h"
#include "ui/BaseWindow.h"
#include "ui/ControlIds.h"
#include "support/WindowQueries.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tessaly {
namespace {

using Notice = std::pair<NoticeKind, std::string>;

TEST(RunServices, StatusIsPaintedBeforeSetStatusReturns)
{
    MainWindow form(false);
    form.Show(SW_SHOWNOACTIVATE);
    HWND status = ::GetDlgItem(form.Handle(), ControlId(Ctl::lblStatusV));
    ASSERT_TRUE(status);
    ::ShowWindow(status, SW_SHOW);
    ::UpdateWindow(form.Handle());

    form.SetStatus("Performing Sync..");
    char text[64] = {};
    ::GetWindowTextA(status, text, sizeof text);
    EXPECT_STREQ(text, "Performing Sync..");
    // Nothing is left for the message loop to paint.
    EXPECT_FALSE(::GetUpdateRect(status, nullptr, FALSE));

    form.ReportCreated(0, "Global Contacts");
    ::GetWindowTextA(status, text, sizeof text);
    EXPECT_STREQ(text, "Global Contacts created - 0 item(s)");
}

TEST(RunServices, TheFolderNameIsUtf8BetweenTheAnsiFieldAndTheAnsiStatusLine)
{
    // The prefix's code page is Windows-1252, where \xC4 is the \xC3\x84 of UTF-8.
    MainWindow form(false);
    HWND folder = test::FindChildById(form.Handle(), ControlId(Ctl::edtTitle)); // inside its group
    HWND status = ::GetDlgItem(form.Handle(), ControlId(Ctl::lblStatusV));
    ASSERT_TRUE(folder && status);
    ::SetWindowTextA(folder, "Kontakte \xC4");
    EXPECT_EQ(form.FolderText(), "Kontakte \xC3\x84");

    form.ReportCreated(3, form.FolderText());
    char text[64] = {};
    ::GetWindowTextA(status, text, sizeof text);
    EXPECT_STREQ(text, "Kontakte \xC4 created - 3 item(s)");
}

TEST(RunServices, StopCheckLeavesTheQuitRequestForTheMainLoop)
{
    MainWindow::Options options;
    options.pumpIntervalMs = 0;
    MainWindow form(std::move(options));
    ::PostQuitMessage(3);
    EXPECT_FALSE(form.StopRequested());
    EXPECT_FALSE(form.StopRequested());
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST(RunServices, ErrorTextGoesOutAsAnErrorNotice)
{
    std::vector<Notice> shown;
    MainWindow::Options options;
    options.noticeDisplay = [&](NoticeKind kind, const std::string& text) { shown.emplace_back(kind, text); };
    MainWindow form(std::move(options));
    form.AppException(std::make_exception_ptr(std::runtime_error("Cannot open file.")));
    form.AppException(std::make_exception_ptr(std::bad_alloc()));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], std::make_pair(NoticeKind::Error, std::string("Cannot open file.")));
    EXPECT_EQ(shown[1], std::make_pair(NoticeKind::Error, std::string("Out of memory")));
}

// A window whose handler throws, to watch the boundary of the window procedure.
class ThrowingWindow : public BaseWindow<ThrowingWindow> {
public:
    ThrowingWindow()
    {
        RegisterWindowClass("TessalyThrowingWindow");
        CreateHandle("TessalyThrowingWindow", "", WS_OVERLAPPED, 0, 0, 0, 10, 10);
    }
    ~ThrowingWindow() { DestroyHandle(); }

    std::string caught;

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_APP)
            throw std::runtime_error("handler failed");
        return DefaultHandling(message, wParam, lParam);
    }
    void HandleException(std::exception_ptr error) noexcept
    {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            caught = e.what();
        }
    }
};

TEST(WindowProcedure, HandlerErrorsStopAtTheBoundary)
{
    ThrowingWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    EXPECT_EQ(::SendMessageA(window.Handle(), WM_APP, 0, 0), 0);
    EXPECT_EQ(window.caught, "handler failed");

    window.caught.clear();
    ASSERT_TRUE(::PostMessageA(window.Handle(), WM_APP, 0, 0));
    MSG msg;
    while (::PeekMessageA(&msg, window.Handle(), 0, 0, PM_REMOVE))
        ::DispatchMessageA(&msg);
    EXPECT_EQ(window.caught, "handler failed");
}

TEST(WindowProcedure, ObjectIsDetachedBeforeItsWindowGoes)
{
    HWND handle = nullptr;
    {
        MainWindow form(false);
        handle = form.Handle();
        ASSERT_TRUE(::IsWindow(handle));
    }
    EXPECT_FALSE(::IsWindow(handle));
    // Destroying the object must not ask the program to end.
    MSG msg;
    EXPECT_FALSE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

} // namespace
} // namespace tessaly
