#include "destinations/outlook/BusyRetry.h"

#include <algorithm>

namespace tessaly {

namespace {

// Short enough to catch the end of a brief spell, long enough not to flood a server
// that is still busy.
constexpr std::chrono::milliseconds kShortestPause{100};
constexpr std::chrono::milliseconds kLongestPause{2000};

} // namespace

std::optional<std::chrono::milliseconds> BusyRetryPause(std::chrono::milliseconds elapsed,
                                                        std::chrono::milliseconds limit)
{
    if (elapsed >= limit)
        return std::nullopt;
    const std::chrono::milliseconds growing = std::clamp(elapsed / 2, kShortestPause, kLongestPause);
    return std::min(growing, limit - elapsed);
}

} // namespace tessaly
