#pragma once
// A main window made in the test process, with the settings file beside the executable
// saved before and put back after, and every notice recorded instead of shown.
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

    // The window as it starts with `ini` as its settings file (none when empty).
    TMainWindow& MakeForm(const std::string& ini = {}, bool unattended = false)
    {
        if (!ini.empty())
            ReplaceFileContent(iniPath_, ini);
        form_ = std::make_unique<TMainWindow>(unattended);
        form_->SetNoticeDisplay([this](NoticeKind kind, const std::string& text) { notices_.emplace_back(kind, text); });
        form_->SetPumpInterval(0);
        return *form_;
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
    std::unique_ptr<TMainWindow> form_;
    std::vector<Notice> notices_;

private:
    bool hadIni_ = false;
    std::string savedIni_;
};

} // namespace tessaly::test
