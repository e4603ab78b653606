// Waiting for a busy Outlook: the pauses, the apartment's message filter, and the retry
// of a refused call where COM hands the refusal straight back.
#include "destinations/outlook/BusyFilter.h"
#include "destinations/outlook/BusyRetry.h"

#include "base/OleError.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <wrl/client.h>

#include <chrono>

using namespace tessaly;
using Microsoft::WRL::ComPtr;
using std::chrono::milliseconds;

namespace {

constexpr DWORD kCancelCall = static_cast<DWORD>(-1);

// The apartment's message filter, left registered.
ComPtr<IMessageFilter> CurrentFilter()
{
    ComPtr<IMessageFilter> current;
    EXPECT_TRUE(SUCCEEDED(::CoRegisterMessageFilter(nullptr, current.GetAddressOf())));
    IMessageFilter* none = nullptr;
    EXPECT_TRUE(SUCCEEDED(::CoRegisterMessageFilter(current.Get(), &none)));
    EXPECT_EQ(none, nullptr);
    return current;
}

class BusyFilterTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))); }
    void TearDown() override { ::CoUninitialize(); }
};

} // namespace

TEST(BusyRetryTest, PausesGrowWithTheWaitAndTheWholeWaitStopsAtTheLimit)
{
    const milliseconds limit = kOutlookBusyLimit;
    EXPECT_EQ(BusyRetryPause(milliseconds(0), limit), milliseconds(100));
    EXPECT_EQ(BusyRetryPause(milliseconds(1000), limit), milliseconds(500));
    EXPECT_EQ(BusyRetryPause(milliseconds(30000), limit), milliseconds(2000));
    // The last pause ends at the limit, not after it; at the limit the call is given up.
    EXPECT_EQ(BusyRetryPause(milliseconds(59500), limit), milliseconds(500));
    EXPECT_FALSE(BusyRetryPause(limit, limit).has_value());
}

TEST_F(BusyFilterTest, TheScopeAnswersComAsDocumentedAndPutsThePreviousFilterBack)
{
    BusyFilter previous(milliseconds(1));
    IMessageFilter* none = nullptr;
    ASSERT_TRUE(SUCCEEDED(::CoRegisterMessageFilter(&previous, &none)));
    {
        const BusyFilterScope scope(milliseconds(60000));
        const ComPtr<IMessageFilter> filter = CurrentFilter();
        EXPECT_NE(filter.Get(), &previous);
        EXPECT_EQ(filter->HandleInComingCall(CALLTYPE_TOPLEVEL, nullptr, 0, nullptr),
                  static_cast<DWORD>(SERVERCALL_ISHANDLED));
        EXPECT_EQ(filter->MessagePending(nullptr, 0, PENDINGTYPE_TOPLEVEL),
                  static_cast<DWORD>(PENDINGMSG_WAITDEFPROCESS));
        EXPECT_EQ(filter->RetryRejectedCall(nullptr, 0, SERVERCALL_RETRYLATER), 100u);
        EXPECT_EQ(filter->RetryRejectedCall(nullptr, 30000, SERVERCALL_REJECTED), 2000u);
        EXPECT_EQ(filter->RetryRejectedCall(nullptr, 60000, SERVERCALL_RETRYLATER), kCancelCall);
    }
    EXPECT_EQ(CurrentFilter().Get(), &previous);
    IMessageFilter* ours = nullptr;
    ASSERT_TRUE(SUCCEEDED(::CoRegisterMessageFilter(nullptr, &ours)));
    ours->Release();
}

TEST_F(BusyFilterTest, ARefusedCallIsTriedAgainUnlessTheFilterHasWaitedItOut)
{
    const BusyFilterScope scope(milliseconds(60000));
    int calls = 0;
    EXPECT_EQ(RetryWhileBusy([&] { return ++calls < 3 ? RPC_E_CALL_REJECTED : S_OK; }), S_OK);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(RetryWhileBusy([] { return E_FAIL; }), E_FAIL) << "only a refusal is tried again";

    // As COM on Windows does: the filter is asked until it gives up, then the call comes
    // back refused, and is not waited for a second time.
    const ComPtr<IMessageFilter> filter = CurrentFilter();
    calls = 0;
    try {
        (void)RetryWhileBusy([&] {
            ++calls;
            EXPECT_EQ(filter->RetryRejectedCall(nullptr, 60000, SERVERCALL_RETRYLATER), kCancelCall);
            return RPC_E_CALL_REJECTED;
        });
        FAIL() << "no error raised";
    } catch (const EComponentBusy& error) {
        EXPECT_STREQ(error.what(), "Microsoft Outlook is busy. Please try again later.");
    }
    EXPECT_EQ(calls, 1);
}
