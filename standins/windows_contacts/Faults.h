#pragma once
// Failures injected on request, so that tests can see how callers handle them. Set before
// the contact manager is created:
//   TESSALY_CONTACTS_FAULT=SetString:N  or  Save:N   (the N-th call from then on fails)
//   TESSALY_CONTACTS_FAULT_TEXT=<description>        (the error description given)
#include "ErrorInfo.h"

#include <windows.h>

namespace wcstandin {

enum class FaultPoint { SetString, Save };

// Reads the settings and restarts the call counts.
void ArmFaults();

// Counts one call; when it is the one to fail, sets the error description and returns
// the failure code, otherwise S_OK.
HRESULT CheckFault(FaultPoint point);

} // namespace wcstandin
