// The services of the main window that every long step relies on, and the rule that an
// error thrown by a message handler stops at the window procedure.
#include "app/MainWindow.h"
#include "ui/BaseWindow.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace tessaly {
namespace {

TEST(RunServices, StatusIsPaintedBeforeSetStatusReturns)
{
    TMainWindow form(false);
    form.Show(SW_SHOWNOACTIVATE);
    ::ShowWindow(form.StatusLabel(), SW_SHOW);
    ::UpdateWindow(form.Handle());

    form.SetStatus("Performing Sync..");
    char text[64] = {};
    ::GetWindowTextA(form.StatusLabel(), text, sizeof text);
    EXPECT_STREQ(text, "Performing Sync..");
    // Nothing is left for the message loop to paint.
    EXPECT_FALSE(::GetUpdateRect(form.StatusLabel(), nullptr, FALSE));

    form.ReportCreated(0, "Global Contacts");
    ::GetWindowTextA(form.StatusLabel(), text, sizeof text);
    EXPECT_STREQ(text, "Global Contacts created - 0 item(s)");
}

TEST(RunServices, StopCheckLeavesTheQuitRequestForTheMainLoop)
{
    TMainWindow form(false);
    form.SetPumpInterval(0);
    ::PostQuitMessage(3);
    EXPECT_FALSE(form.StopRequested());
    EXPECT_FALSE(form.StopRequested());
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

TEST(RunServices, ErrorTextGoesOutAsAnErrorNotice)
{
    TMainWindow form(false);
    std::vector<std::pair<NoticeKind, std::string>> shown;
    form.SetNoticeDisplay([&](NoticeKind kind, const std::string& text) { shown.emplace_back(kind, text); });
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
        TMainWindow form(false);
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
