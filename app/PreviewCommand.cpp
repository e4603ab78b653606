#include "app/PreviewCommand.h"

#include "app/CommandSettings.h"
#include "app/PreviewText.h"
#include "app/RunLogFile.h"
#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "app/StandardStreams.h"
#include "app/SyncRun.h"
#include "base/ExceptionText.h"

#include <exception>

namespace tessaly {

namespace {

// Nobody watches a preview: its warnings go to standard error, one line each.
class PreviewServices final : public IRunServices {
public:
    void SetStatus(const std::string&) override {}
    bool StopRequested() override { return false; }
    void ShowNotice(NoticeKind kind, const std::string& text) override
    {
        if (kind == NoticeKind::Information)
            return;
        std::string line = text;
        for (char& c : line)
            if (c == '\r' || c == '\n')
                c = ' ';
        WriteStandardError(line);
    }
};

class NoWindowHooks final : public IRunHooks {
public:
    void PumpOnNextStopCheck() override {}
    bool StopFlagged() const override { return false; }
    void HideStopHint() override {}
    RemovalAnswer ConfirmRemoval(const std::string&) override { return RemovalAnswer::NobodyToAsk; }
};

} // namespace

int RunPreviewCommand()
{
    SettingsValues values;
    try {
        values = ReadSettings(LoadIniFile(SettingsFilePath()), SystemSettingsText());
    } catch (...) {
        WriteStandardError(ExceptionText(std::current_exception()));
        return SyncRun::kExitError;
    }
    // As the unattended run, which would not reach another server or folder than the one meant.
    const std::string refusal = RunRefusal(values);
    if (!refusal.empty()) {
        WriteStandardError(refusal);
        return SyncRun::kExitFailed;
    }

    PreviewServices services;
    NoWindowHooks hooks;
    SyncRun run(services, hooks, SyncRun::StandardDestinations(), RunLogPath());
    SyncRun::Outcome outcome = SyncRun::kExitError;
    try {
        outcome = run.Run({values.source, values.user, values.password, values.folder, values.emailClient,
                           values.removeLimit, SyncRun::Mode::Preview});
    } catch (...) {
        WriteStandardError(ExceptionText(std::current_exception()));
        return SyncRun::kExitError;
    }
    if (const PlannedChanges* plan = run.LastPlan()) {
        const std::string text = FormatPreview(*plan, plan->unchanged + plan->added + plan->updated,
                                               outcome == SyncRun::kExitRemoveLimit, values.removeLimit);
        if (!WriteStandardOutput(text))
            WriteStandardError("the preview could not be written to standard output");
    }
    return outcome;
}

} // namespace tessaly
