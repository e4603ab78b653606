#pragma once
// The stand-ins take their test settings (store paths, injected faults) from the
// environment that the test gives the process.
#include <string>

namespace standins {

// The variable's value; empty when it is not set.
std::wstring EnvironmentText(const wchar_t* name);

} // namespace standins
