#pragma once
// A main window made in the test process, with the settings file beside the executable
// saved before and put back after, every notice recorded instead of shown, messages let
// through on every stop check, and no run log unless a test names one.
#include "base/FileHelpers.h"
#include "app/MainWindow.h"
#include "app/SettingsFile.h"
#include "support/WindowQueries.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tessaly::test {

using Notice = std::pair<NoticeKind, std::string>;

// Delivers what was posted, the way the running program's loop does.
inline void Pump(MainWindow& form)
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!form.PreTranslateMessage(msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
    }
}


class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        options_.pumpIntervalMs = 0;
        // The prefix's own log would put its last run on the idle status line.
        options_.runLogPath.clear();
        iniPath_ = SettingsFilePath();
        hadIni_ = FileExists(iniPath_);
        if (hadIni_)
            savedIni_ = ReadTextFile(iniPath_);
        ASSERT_TRUE(ForceDeleteFile(iniPath_));
    }

    void TearDown() override
    {
        form_.reset();
        (void)ForceDeleteFile(iniPath_);
        if (hadIni_)
            ReplaceFileContent(iniPath_, savedIni_);
        // A closed window asks the loop to end; that request belongs to no later test.
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }

    // The window as it starts with `ini` as its settings file (none when empty), made with
    // options_ (its destinations and pump interval).
    MainWindow& MakeForm(const std::string& ini = {}, bool unattended = false)
    {
        if (!ini.empty())
            ReplaceFileContent(iniPath_, ini);
        MainWindow::Options options = options_;
        options.unattended = unattended;
        options.noticeDisplay = [this](NoticeKind kind, const std::string& text) {
            notices_.emplace_back(kind, text);
            hintShownAtNotice_.push_back(form_ && form_->Handle() && IsShown(Ctl::lblESC));
        };
        form_.reset();
        form_ = std::make_unique<MainWindow>(std::move(options));
        return *form_;
    }

    // Types the inputs of a run into their fields and picks the destination, as a user
    // does; a code the list does not hold leaves nothing picked.
    void EnterRunInputs(const std::string& source, const std::string& user, const std::string& password,
                        const std::string& folder, int destinationCode)
    {
        ::SetWindowTextA(H(Ctl::edtSource), source.c_str());
        ::SetWindowTextA(H(Ctl::edtUser), user.c_str());
        ::SetWindowTextA(H(Ctl::edtPass), password.c_str());
        ::SetWindowTextA(H(Ctl::edtTitle), folder.c_str());
        SelectCode(Ctl::cmbTo, destinationCode);
    }

    // The window's controls are reached as any program reaches them: by their fixed ids.
    HWND H(Ctl c) { return FindChildById(form_->Handle(), ControlId(c)); }
    bool IsEnabled(Ctl c) { return H(c) && ::IsWindowEnabled(H(c)); }
    // The control's own visibility, whatever its parent's.
    bool IsShown(Ctl c) { return H(c) && (::GetWindowLongA(H(c), GWL_STYLE) & WS_VISIBLE) != 0; }

    // A list's items: each one's text and code.
    std::vector<std::pair<std::string, int>> Items(Ctl list)
    {
        std::vector<std::pair<std::string, int>> items;
        const auto count = static_cast<int>(::SendMessageA(H(list), CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[256] = {};
            ::SendMessageA(H(list), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            items.emplace_back(text, static_cast<int>(::SendMessageA(H(list), CB_GETITEMDATA, static_cast<WPARAM>(i), 0)));
        }
        return items;
    }

    // The text of a list's selected item; empty when none is.
    std::string SelectedItem(Ctl list)
    {
        const auto index = static_cast<int>(::SendMessageA(H(list), CB_GETCURSEL, 0, 0));
        const auto items = Items(list);
        return index < 0 || index >= static_cast<int>(items.size()) ? std::string() : items[static_cast<size_t>(index)].first;
    }

    // Picks the item of that code, as a user does; a code the list does not hold leaves nothing picked.
    void SelectCode(Ctl list, int code)
    {
        const auto items = Items(list);
        int index = -1;
        for (size_t i = 0; i < items.size() && index < 0; ++i)
            if (items[i].second == code)
                index = static_cast<int>(i);
        ::SendMessageA(H(list), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }

    void SetStartTime(int hour, int minute, int second)
    {
        SYSTEMTIME time{};
        ::GetLocalTime(&time);
        time.wHour = static_cast<WORD>(hour);
        time.wMinute = static_cast<WORD>(minute);
        time.wSecond = static_cast<WORD>(second);
        time.wMilliseconds = 0;
        ::SendMessageA(H(Ctl::dtScheduler), DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
    }

    // Position relative to the control's parent.
    RECT RectOf(Ctl c)
    {
        RECT rect{};
        ::GetWindowRect(H(c), &rect);
        ::MapWindowPoints(nullptr, ::GetParent(H(c)), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    std::string Text(Ctl c) { return WindowText(H(c)); }

    std::string iniPath_;
    MainWindow::Options options_;
    std::unique_ptr<MainWindow> form_;
    std::vector<Notice> notices_;
    // For each notice, whether the "Press <ESC> to Stop" hint was on show.
    std::vector<bool> hintShownAtNotice_;

private:
    bool hadIni_ = false;
    std::string savedIni_;
};

} // namespace tessaly::test
