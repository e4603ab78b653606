#include "app/RemovalLimit.h"

#include <cstdio>

namespace tessaly {

size_t RemovedForGood(const PlannedChanges& plan)
{
    if (!plan.replacement)
        return plan.removed;
    return plan.held > plan.added ? plan.held - plan.added : 0;
}

bool ExceedsRemoveLimit(const PlannedChanges& plan, int limitPercent)
{
    const size_t removed = RemovedForGood(plan);
    return removed > kRemovalsAlwaysAllowed &&
           removed * 100 > plan.held * static_cast<size_t>(limitPercent < 0 ? 0 : limitPercent);
}

std::string RemovalQuestion(const PlannedChanges& plan, const std::string& folderName)
{
    constexpr const char* kQuestion = "The downloaded list would remove %d of the %d contacts in \"%s\". Remove them?";
    const int removed = static_cast<int>(RemovedForGood(plan));
    const int held = static_cast<int>(plan.held);
    const int size = std::snprintf(nullptr, 0, kQuestion, removed, held, folderName.c_str());
    std::string text(static_cast<size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), kQuestion, removed, held, folderName.c_str());
    text.resize(static_cast<size_t>(size));
    return text;
}

} // namespace tessaly
