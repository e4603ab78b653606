#include "app/Uninstall.h"

#include "app/Commands.h"
#include "app/SettingsFile.h"
#include "app/SyncRun.h"
#include "base/ExceptionText.h"
#include "base/FileHelpers.h"
#include "base/WideText.h"
#include "contacts/HttpDownload.h"
#include "destinations/windows_contacts/WindowsContactsPlatform.h"

#include <windows.h>

#include <functional>

namespace tessaly {

namespace {

std::string ParentFolder(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

} // namespace

ProgramTraces SystemProgramTraces()
{
    // The staging root is the one place that names the local data folder: one folder of
    // the program's, which every run creates.
    const std::string stagingRoot = SystemWindowsContactsPlatform().StagingRoot();
    return {SettingsFilePath(), TSyncRun::TemporaryFilePath(), ParentFolder(stagingRoot), stagingRoot};
}

int RemoveProgramTraces(const ProgramTraces& traces, ISwapFiles& files, std::string& message)
{
    int result = kCommandDone;
    const auto attempt = [&](const std::function<void()>& step) {
        try {
            step();
        } catch (...) {
            if (result == kCommandDone)
                message = ExceptionText(std::current_exception());
            result = kCommandFailed;
        }
    };
    // A half-replaced folder would otherwise keep part of the old contacts for good.
    attempt([&] { RecoverSwaps(files, traces.stagingRoot); });
    std::string elsewhere;
    attempt([&] { elsewhere = RecordedStagingRoot(files, traces.stagingRoot); });
    for (const std::string& file :
         {traces.settingsFile, traces.downloadFile, PartialDownloadPath(traces.downloadFile)}) {
        attempt([&] {
            if (!ForceDeleteFile(file))
                RaiseLastFileError("Cannot delete file", file);
        });
    }
    if (!elsewhere.empty())
        attempt([&] { RemoveFolderTree(Utf8ToWide(elsewhere)); });
    if (!traces.localDataFolder.empty())
        attempt([&] { RemoveFolderTree(Utf8ToWide(traces.localDataFolder)); });
    return result;
}

} // namespace tessaly
