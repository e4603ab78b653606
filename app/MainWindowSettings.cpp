// The main window's fields and the settings file: what a start shows, what a close
// writes, and the trimmed first lines of the fields as the inputs of a run.
#include "app/MainWindow.h"

#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "base/FileHelpers.h"
#include "base/TextHelpers.h"
#include "base/WideText.h"
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

void MainWindow::LoadSettings(const IniFile& settings)
{
    const SettingsValues values =
        ReadSettings(settings, SystemSettingsText(), controls_->startTime.SecondsAfterMidnight());
    unreadableSettings_ = values.unreadableKeys;
    removeLimit_ = values.removeLimit;
    controls_->link.SetText(values.source);
    controls_->user.SetText(values.user);
    controls_->password.SetText(values.password);
    // The controls are ANSI; the folder name is UTF-8 everywhere else.
    controls_->folderName.SetText(Utf8ToAnsi(values.folder));
    controls_->SelectCombos(DestinationItems(), values.emailClient, values.interval);
    controls_->startTime.SetSecondsAfterMidnight(values.startTime);
}

void MainWindow::SaveSettings(IniFile& settings)
{
    SettingsValues values;
    values.source = SourceText();
    values.user = UserText();
    values.password = PasswordText();
    values.folder = FolderText();
    values.emailClient = DestinationCode();
    values.interval = IntervalDays();
    values.startTime = controls_->startTime.SecondsAfterMidnight();
    values.unreadableKeys = unreadableSettings_;
    WriteSettings(settings, values, SystemSettingsText());
    ReplaceFileContent(SettingsFilePath(), settings.ToText());
}

std::string MainWindow::SourceText() const
{
    return FieldText(controls_->link.Text());
}

std::string MainWindow::UserText() const
{
    return FieldText(controls_->user.Text());
}

std::string MainWindow::PasswordText() const
{
    return FieldText(controls_->password.Text());
}

std::string MainWindow::FolderText() const
{
    return AnsiToUtf8(FieldText(controls_->folderName.Text()));
}

int MainWindow::DestinationCode() const
{
    return controls_->destination.SelectedCode();
}

int MainWindow::IntervalDays() const
{
    return controls_->intervalDays.SelectedCode();
}

double MainWindow::StartTimeValue() const
{
    return controls_->startTime.SecondsAfterMidnight() / 86400.0;
}

} // namespace tessaly
