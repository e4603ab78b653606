#pragma once
// What `-p` prints: the plan's counts, then one line per contact a run would add, update
// or remove. UTF-8, lines ending in CR LF.
#include "base/RunServices.h"

#include <cstddef>
#include <string>

namespace tessaly {

// `listed` is the contacts in the downloaded list; `overLimit` says a run would stop at
// the removal limit `removeLimit` (percent) and change nothing.
std::string FormatPreview(const PlannedChanges& plan, size_t listed, bool overLimit, int removeLimit);

} // namespace tessaly
