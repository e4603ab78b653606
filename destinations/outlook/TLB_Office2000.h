#pragma once
// The Office library that Outlook's type library builds on. Outlook's Boolean properties
// take VARIANT_BOOL, whose true is Office's msoTrue.
#include <windows.h>

namespace tessaly::office {

// MsoTriState
inline constexpr VARIANT_BOOL msoTrue = VARIANT_TRUE;
inline constexpr VARIANT_BOOL msoFalse = VARIANT_FALSE;

} // namespace tessaly::office
