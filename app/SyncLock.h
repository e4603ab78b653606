#pragma once
// One synchronisation at a time: two runs would interleave their writes into the same
// contact folder and share the download file. A named mutex, held for the whole run.
#include "base/WinHandles.h"

namespace tessaly {

class SyncLock {
public:
    // The name every run of the program uses (one per logon session).
    static constexpr char kName[] = "Local\\CorvaneTessaly-Synchronisation";

    // Takes the lock if no other run holds it; never waits. A lock whose holder ended
    // without letting go is taken over. Throws std::system_error when the mutex cannot
    // be made at all.
    explicit SyncLock(const char* name = kName);
    SyncLock(const SyncLock&) = delete;
    SyncLock& operator=(const SyncLock&) = delete;
    ~SyncLock();

    // False when another run holds the lock.
    bool Held() const noexcept { return held_; }

private:
    UniqueKernelHandle mutex_;
    bool held_ = false;
};

} // namespace tessaly
