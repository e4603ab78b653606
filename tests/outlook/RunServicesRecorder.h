#pragma once
// Records what a destination tells the run: status texts, notices and stop checks.
#include "base/RunServices.h"

#include <string>
#include <utility>
#include <vector>

class RunServicesRecorder : public tessaly::IRunServices {
public:
    void SetStatus(const std::string& text) override { statuses.push_back(text); }
    bool StopRequested() override
    {
        ++stopChecks;
        return stop;
    }
    void ShowNotice(tessaly::NoticeKind kind, const std::string& text) override { notices.emplace_back(kind, text); }

    bool stop = false;
    int stopChecks = 0;
    std::vector<std::string> statuses;
    std::vector<std::pair<tessaly::NoticeKind, std::string>> notices;
};
