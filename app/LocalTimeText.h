#pragma once
// A local time in the user's short date and time formats, as Windows writes them.
#include "app/LastRunText.h"

#include <string>

namespace tessaly {

// "10.12.2026 07:30" (date and time in the user's short formats, without seconds), UTF-8;
// the log's own form when Windows cannot format it.
std::string UserDateTimeText(const LocalDateTime& time);

} // namespace tessaly
