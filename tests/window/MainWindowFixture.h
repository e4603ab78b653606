#pragma once
// A main window made in the test process, with the settings file beside the executable
// saved before and put back after, every notice recorded instead of shown, and messages
// let through on every stop check.
#include "base/FileHelpers.h"
#include "app/MainWindow.h"
#include "app/SettingsFile.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tessaly::test {

using Notice = std::pair<NoticeKind, std::string>;

// Delivers what was posted, the way the running program's loop does.
inline void Pump(TMainWindow& form)
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
    TMainWindow& MakeForm(const std::string& ini = {}, bool unattended = false)
    {
        if (!ini.empty())
            ReplaceFileContent(iniPath_, ini);
        TMainWindow::Options options = options_;
        options.unattended = unattended;
        options.noticeDisplay = [this](NoticeKind kind, const std::string& text) {
            notices_.emplace_back(kind, text);
            hintShownAtNotice_.push_back(form_ && form_->Handle() && Controls().IsVisible(Ctl::lblESC));
        };
        form_.reset();
        form_ = std::make_unique<TMainWindow>(std::move(options));
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
        Controls().cmbTo().SetItemIndex(Controls().cmbTo().IndexOfCode(destinationCode));
    }

    TMainWindowControls& Controls() { return form_->Controls(); }
    HWND H(Ctl c) { return Controls().Handle(c); }

    // Position relative to the control's parent.
    RECT RectOf(Ctl c)
    {
        RECT rect{};
        ::GetWindowRect(H(c), &rect);
        ::MapWindowPoints(nullptr, ::GetParent(H(c)), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }

    std::string Text(Ctl c) { return Controls().Text(c); }

    std::string iniPath_;
    TMainWindow::Options options_;
    std::unique_ptr<TMainWindow> form_;
    std::vector<Notice> notices_;
    // For each notice, whether the "Press <ESC> to Stop" hint was on show.
    std::vector<bool> hintShownAtNotice_;

private:
    bool hadIni_ = false;
    std::string savedIni_;
};

} // namespace tessaly::test
