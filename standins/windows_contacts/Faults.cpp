#include "Faults.h"

#include "standins/common/EnvironmentText.h"

#include <cstdlib>
#include <cwchar>
#include <string>

namespace wcstandin {

namespace {
struct FaultState {
    bool armed = false;
    FaultPoint point = FaultPoint::SetString;
    long failAt = 0;
    long calls = 0;
    std::wstring description;
};

FaultState& State()
{
    static FaultState state;
    return state;
}
} // namespace

void ArmFaults()
{
    FaultState& state = State();
    state = FaultState{};
    const std::wstring fault = standins::EnvironmentText(L"TESSALY_CONTACTS_FAULT");
    const size_t colon = fault.find(L':');
    if (colon == std::wstring::npos)
        return;
    const std::wstring method = fault.substr(0, colon);
    if (method == L"SetString")
        state.point = FaultPoint::SetString;
    else if (method == L"Save")
        state.point = FaultPoint::Save;
    else
        return;
    state.failAt = std::wcstol(fault.c_str() + colon + 1, nullptr, 10);
    state.armed = state.failAt > 0;
    state.description = standins::EnvironmentText(L"TESSALY_CONTACTS_FAULT_TEXT");
    if (state.description.empty())
        state.description = L"Injected failure";
}

HRESULT CheckFault(FaultPoint point)
{
    FaultState& state = State();
    if (!state.armed || state.point != point || ++state.calls != state.failAt)
        return S_OK;
    return ReportError(E_FAIL, state.description.c_str());
}

} // namespace wcstandin
