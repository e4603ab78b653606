// The main window's fields and the settings file: what a start shows, what a close
// writes, and the trimmed first lines of the fields as the inputs of a run.
#include "app/MainWindow.h"

#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "base/FileHelpers.h"
#include "base/TextHelpers.h"
#include "destinations/Destinations.h"

#include <vector>

namespace tessaly {

namespace {

// A single-line field pastes only the first line, but WM_SETTEXT from anywhere can put
// more there; a line break must never reach the settings file, the link or the folder.
std::string FieldText(const std::string& text)
{
    return Trim(FirstLine(text));
}

// The Sync To list: the destination table's captions and codes.
std::vector<CodeItem> DestinationItems()
{
    std::vector<CodeItem> items;
    for (const DestinationRow& row : DestinationTable())
        items.push_back({row.caption, row.code});
    return items;
}

} // namespace

void TMainWindow::LoadSettings(const TIniFile& settings)
{
    const SettingsValues values = ReadSettings(settings, SystemSettingsText(), controls_->StartTime());
    unreadableSettings_ = values.unreadableKeys;
    ::SetWindowTextA(controls_->Handle(Ctl::edtSource), values.source.c_str());
    ::SetWindowTextA(controls_->Handle(Ctl::edtUser), values.user.c_str());
    ::SetWindowTextA(controls_->Handle(Ctl::edtPass), values.password.c_str());
    ::SetWindowTextA(controls_->Handle(Ctl::edtTitle), values.folder.c_str());
    controls_->SelectCombos(DestinationItems(), values.emailClient, values.interval);
    controls_->SetStartTime(values.startTime);
}

void TMainWindow::SaveSettings(TIniFile& settings)
{
    SettingsValues values;
    values.source = SourceText();
    values.user = UserText();
    values.password = PasswordText();
    values.folder = FolderText();
    values.emailClient = DestinationCode();
    values.interval = IntervalDays();
    values.startTime = controls_->StartTime();
    values.unreadableKeys = unreadableSettings_;
    WriteSettings(settings, values, SystemSettingsText());
    ReplaceFileContent(SettingsFilePath(), settings.ToText());
}

std::string TMainWindow::SourceText() const
{
    return FieldText(controls_->Text(Ctl::edtSource));
}

std::string TMainWindow::UserText() const
{
    return FieldText(controls_->Text(Ctl::edtUser));
}

std::string TMainWindow::PasswordText() const
{
    return FieldText(controls_->Text(Ctl::edtPass));
}

std::string TMainWindow::FolderText() const
{
    return FieldText(controls_->Text(Ctl::edtTitle));
}

int TMainWindow::DestinationCode() const
{
    return controls_->cmbTo().SelectedCode();
}

int TMainWindow::IntervalDays() const
{
    return controls_->cmbScheduler().SelectedCode();
}

double TMainWindow::StartTimeValue() const
{
    return controls_->StartTime() / 86400.0;
}

} // namespace tessaly
