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

ProgramTraces SystemProgramTraces()
{
    return {SettingsFilePath(), SyncRun::TemporaryFilePath(), WideToUtf8(LocalDataFolder()),
            SystemWindowsContactsPlatform().StagingRoot()};
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
