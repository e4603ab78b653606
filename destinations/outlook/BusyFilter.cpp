#include "destinations/outlook/BusyFilter.h"

#include "base/OleError.h"
#include "destinations/outlook/BusyRetry.h"

#include <optional>
#include <utility>

namespace tessaly {

using std::chrono::milliseconds;

namespace {

// The filter of the scope alive on this thread, if any.
thread_local BusyFilter* t_filter = nullptr;

// The value RetryRejectedCall answers to give up on a call.
constexpr DWORD kCancelCall = static_cast<DWORD>(-1);

[[noreturn]] void RaiseBusy()
{
    throw EComponentBusy(RPC_E_CALL_REJECTED, kOutlookBusy);
}

} // namespace

bool IsBusyRefusal(HRESULT code) noexcept
{
    return code == RPC_E_CALL_REJECTED || code == RPC_E_SERVERCALL_RETRYLATER;
}

HRESULT STDMETHODCALLTYPE BusyFilter::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMessageFilter)) {
        *object = static_cast<IMessageFilter*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

DWORD STDMETHODCALLTYPE BusyFilter::HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO)
{
    return SERVERCALL_ISHANDLED;
}

DWORD STDMETHODCALLTYPE BusyFilter::RetryRejectedCall(HTASK, DWORD tickCount, DWORD rejectType)
{
    // Outlook answers "retry later" while busy; a plain refusal is tried again as well,
    // since a busy Outlook is what refuses its automation calls.
    if (rejectType != SERVERCALL_RETRYLATER && rejectType != SERVERCALL_REJECTED)
        return kCancelCall;
    const std::optional<milliseconds> pause = BusyRetryPause(milliseconds(tickCount), limit_);
    if (!pause) {
        gaveUp_ = true;
        return kCancelCall;
    }
    return static_cast<DWORD>(pause->count());
}

DWORD STDMETHODCALLTYPE BusyFilter::MessagePending(HTASK, DWORD, DWORD)
{
    return PENDINGMSG_WAITDEFPROCESS;
}

BusyFilterScope::BusyFilterScope(milliseconds limit) : filter_(limit)
{
    // An apartment that takes no message filter (a multithreaded one) still has
    // RetryWhileBusy, which alone then does the waiting.
    registered_ = SUCCEEDED(::CoRegisterMessageFilter(&filter_, &previous_));
    outer_ = std::exchange(t_filter, &filter_);
}

BusyFilterScope::~BusyFilterScope()
{
    t_filter = outer_;
    if (registered_) {
        IMessageFilter* ours = nullptr;
        if (SUCCEEDED(::CoRegisterMessageFilter(previous_, &ours)) && ours != nullptr)
            ours->Release();
    }
    if (previous_ != nullptr)
        previous_->Release();
}

HRESULT RetryWhileBusy(const std::function<HRESULT()>& call)
{
    BusyFilter* const filter = t_filter;
    if (filter == nullptr)
        return call();
    filter->ClearGaveUp();
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const HRESULT code = call();
        if (!IsBusyRefusal(code))
            return code;
        // The filter has already waited the whole limit inside COM.
        if (filter->GaveUp())
            RaiseBusy();
        const auto elapsed = std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
        const std::optional<milliseconds> pause = BusyRetryPause(elapsed, filter->Limit());
        if (!pause)
            RaiseBusy();
        ::Sleep(static_cast<DWORD>(pause->count()));
    }
}

} // namespace tessaly
