#include "app/SyncLock.h"

#include "base/FileHelpers.h"

#include <windows.h>

#include <system_error>

namespace tessaly {

SyncLock::SyncLock(const char* name) : mutex_(::CreateMutexA(nullptr, FALSE, name))
{
    if (!mutex_) {
        const DWORD code = ::GetLastError();
        // A mutex of that name made by another user's run, which holds it.
        if (code == ERROR_ACCESS_DENIED)
            return;
        throw std::system_error(static_cast<int>(code), std::system_category(),
                                "The synchronisation lock is not available: " + SystemErrorMessage(code));
    }
    const DWORD wait = ::WaitForSingleObject(mutex_.get(), 0);
    held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

SyncLock::~SyncLock()
{
    if (held_)
        (void)::ReleaseMutex(mutex_.get());
}

} // namespace tessaly
