#pragma once
// The guard against a shrunken list: a run that would take more than RemoveLimit percent of
// a folder's contacts (and more than a handful) away asks first, or stops unattended.
#include "base/RunServices.h"

#include <cstddef>
#include <string>

namespace tessaly {

// Fewer removals than this never count as a shrunken list, whatever share they are.
inline constexpr size_t kRemovalsAlwaysAllowed = 20;

// The contacts the plan takes out of the folder for good. A replacement removes every item
// but writes the list anew, so only the items beyond the list's length count.
size_t RemovedForGood(const PlannedChanges& plan);

// True when the plan removes more than `limitPercent` of the folder's contacts and more than
// kRemovalsAlwaysAllowed; a limit of 100 never is.
bool ExceedsRemoveLimit(const PlannedChanges& plan, int limitPercent);

// The question the window asks before such a run changes anything.
std::string RemovalQuestion(const PlannedChanges& plan, const std::string& folderName);

} // namespace tessaly
