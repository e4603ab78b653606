#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"

namespace outlook_standin {

namespace {

// Besides the object model: StandInReset() empties the store, StandInSet(key, value)
// changes a setting (see Store), StandInCalls the calls of the last session that ended,
// for the inspector, the tests and the benchmark, StandInProtectedCalls the guard's count
// since the reset, StandInProcessId the serving process.
const std::vector<std::wstring> kMembers = {L"Session",      L"GetNamespace",         L"Version",
                                            L"Name",         L"Quit",                 L"StandInReset",
                                            L"StandInSet",   L"StandInCalls",         L"StandInProtectedCalls",
                                            L"StandInProcessId"};

class Application final : public DispatchObject {
public:
    Application() : DispatchObject(kMembers) {}

protected:
    enum { kSession = 1, kGetNamespace, kVersion, kName, kQuit, kReset, kSet, kCalls, kProtectedCalls, kProcessId };

    bool Answers(REFIID iid) const override { return IsEqualIID(iid, tessaly::outlook::IID__Application) != 0; }

    void Call(DISPID id, const CallArgs& args, VARIANT* result) override
    {
        if (args.IsPut())
            Fail(DISP_E_MEMBERNOTFOUND);
        Store& store = Store::Instance();
        switch (id) {
        case kSession:
            ReturnObject(result, NewNameSpace());
            break;
        case kGetNamespace:
            if (args.Text(0) != L"MAPI")
                Fail(E_INVALIDARG, L"The only namespace is \"MAPI\".");
            ReturnObject(result, NewNameSpace());
            break;
        case kVersion:
            ReturnText(result, store.Version());
            break;
        case kName:
            ReturnText(result, L"Outlook");
            break;
        case kQuit:
            break;
        case kReset:
            store.Reset();
            break;
        case kSet:
            store.SetSetting(args.Text(0), args.Text(1));
            break;
        case kCalls:
            ReturnText(result, store.LastSession());
            break;
        case kProtectedCalls:
            ReturnText(result, std::to_wstring(store.ProtectedCalls()));
            break;
        case kProcessId:
            ReturnInteger(result, static_cast<int>(::GetCurrentProcessId()));
            break;
        }
    }
};

} // namespace

ComPtr<IDispatch> NewApplication()
{
    Store::Current();
    return Make<Application>();
}

} // namespace outlook_standin
