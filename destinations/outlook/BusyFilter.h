#pragma once
// Riding out a busy Outlook. Outlook refuses automation calls while it shows a modal
// dialog, starts up or synchronises. On Windows COM asks the calling apartment's message
// filter whether to try a refused call again; COM implementations that do not (Wine's)
// hand RPC_E_CALL_REJECTED straight back. So one policy serves both: the filter answers
// COM, and every call the destination makes goes through RetryWhileBusy, which tries a
// refused call again itself unless the filter has already waited it out.
#include <windows.h>
#include <objidl.h>

#include <chrono>
#include <functional>

namespace tessaly {

// The warning of a run that gave up waiting.
inline constexpr char kOutlookBusy[] = "Microsoft Outlook is busy. Please try again later.";

// True for the codes a caller gets from a server that refuses calls for now.
bool IsBusyRefusal(HRESULT code) noexcept;

// The apartment's answers to COM while the program waits for Outlook. A member of the
// scope below, which holds it registered only while it lives: COM lets go of it when the
// previous filter comes back, so its references are counted but free nothing.
class BusyFilter final : public IMessageFilter {
public:
    explicit BusyFilter(std::chrono::milliseconds limit) noexcept : limit_(limit) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }

    // Every call from Outlook is served at once (the program calls nothing back into
    // Outlook from inside one).
    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD callType, HTASK caller, DWORD tickCount,
                                               LPINTERFACEINFO info) override;
    // A refused call is tried again after BusyRetryPause; -1 gives up once the call has
    // waited for the limit, and the caller then sees RPC_E_CALL_REJECTED.
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD tickCount, DWORD rejectType) override;
    // Input and paint messages wait for the call to end; COM dispatches the rest.
    DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tickCount, DWORD pendingType) override;

    std::chrono::milliseconds Limit() const noexcept { return limit_; }
    // Whether this filter gave up on the call last made; RetryWhileBusy clears it.
    bool GaveUp() const noexcept { return gaveUp_; }
    void ClearGaveUp() noexcept { gaveUp_ = false; }

private:
    std::chrono::milliseconds limit_;
    ULONG references_ = 0;
    bool gaveUp_ = false;
};

// While it lives, the calling thread's apartment waits for a busy Outlook for at most
// `limit` per call: its filter is registered with COM (the one in place before comes
// back at the end) and serves RetryWhileBusy. Scopes on one thread nest.
class BusyFilterScope {
public:
    explicit BusyFilterScope(std::chrono::milliseconds limit);
    ~BusyFilterScope();
    BusyFilterScope(const BusyFilterScope&) = delete;
    BusyFilterScope& operator=(const BusyFilterScope&) = delete;

private:
    BusyFilter filter_;
    IMessageFilter* previous_ = nullptr; // COM's reference, handed back at the end
    bool registered_ = false;
    BusyFilter* outer_ = nullptr; // the thread's scope before this one, if any
};

// Makes `call` (one call across to Outlook) and returns its result, trying it again
// while Outlook refuses it as busy, with the pauses of BusyRetryPause. Raises
// EComponentBusy with kOutlookBusy once the wait reaches the limit. Without a scope on
// this thread the call is made once.
HRESULT RetryWhileBusy(const std::function<HRESULT()>& call);

} // namespace tessaly
