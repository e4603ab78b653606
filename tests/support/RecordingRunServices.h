#pragma once
// The run services as a test sees them: every status text, notice and stop check is
// recorded, and the stop flag answers what the test set. Tests that log the calls of
// their own fakes pass a sink, so the run's calls land in the same log, in order.
#include "base/RunServices.h"

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace tessaly::test {

struct RecordedNotice {
    NoticeKind kind;
    std::string text;
    bool operator==(const RecordedNotice&) const = default;
};

inline void PrintTo(const RecordedNotice& notice, std::ostream* os)
{
    *os << "{" << static_cast<int>(notice.kind) << ", \"" << notice.text << "\"}";
}

class RecordingRunServices : public IRunServices {
public:
    using CallSink = std::function<void(const std::string& call)>;

    RecordingRunServices() = default;
    // Each call also goes to `sink` as "SetStatus <text>", "StopRequested" or
    // "ShowNotice <kind number> <text>".
    explicit RecordingRunServices(CallSink sink) : sink_(std::move(sink)) {}

    void SetStatus(const std::string& text) override
    {
        statuses.push_back(text);
        Log("SetStatus " + text);
    }
    bool StopRequested() override
    {
        ++stopChecks;
        Log("StopRequested");
        if (beforeStopCheck)
            beforeStopCheck();
        return stop;
    }
    void ShowNotice(NoticeKind kind, const std::string& text) override
    {
        notices.push_back({kind, text});
        Log("ShowNotice " + std::to_string(static_cast<int>(kind)) + " " + text);
    }
    bool ApproveChanges(const PlannedChanges& plan, const std::string&) override
    {
        plans.push_back(plan);
        return approve;
    }
    bool PreviewOnly() override { return preview; }

    // The last status text, empty before the first.
    std::string Status() const { return statuses.empty() ? std::string() : statuses.back(); }
    std::vector<std::string> NoticeTexts() const
    {
        std::vector<std::string> texts;
        for (const RecordedNotice& notice : notices)
            texts.push_back(notice.text);
        return texts;
    }

    bool stop = false;
    // What ApproveChanges answers.
    bool approve = true;
    // What PreviewOnly answers.
    bool preview = false;
    // Runs at every stop check before the flag is answered; it may set the flag.
    std::function<void()> beforeStopCheck;

    int stopChecks = 0;
    std::vector<std::string> statuses;
    std::vector<RecordedNotice> notices;
    std::vector<PlannedChanges> plans;

private:
    void Log(const std::string& call) const
    {
        if (sink_)
            sink_(call);
    }

    CallSink sink_;
};

} // namespace tessaly::test
