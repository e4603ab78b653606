#pragma once
// How long the program waits for an Outlook that refuses calls because it is busy (a
// modal dialog open, starting up, synchronising): each refused call is tried again after
// a pause that grows with the wait, until the wait reaches the limit.
#include <chrono>
#include <optional>

namespace tessaly {

// The longest one call waits for Outlook, from its first refusal to giving up.
inline constexpr std::chrono::milliseconds kOutlookBusyLimit{60000};

// The pause before the next try of a call refused for `elapsed` so far (measured from
// its first try); none once `elapsed` has reached `limit`. It is half the wait so far,
// between 100 ms and 2 s, and never goes past the limit.
std::optional<std::chrono::milliseconds> BusyRetryPause(std::chrono::milliseconds elapsed,
                                                        std::chrono::milliseconds limit);

} // namespace tessaly
