#pragma once
// A VARIANT cleared when it goes out of scope, whatever it came to hold.
#include <windows.h>
#include <oleauto.h>

namespace outlook_standin {

struct OwnedVariant {
    VARIANT value;
    OwnedVariant() { ::VariantInit(&value); }
    ~OwnedVariant() { ::VariantClear(&value); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
};

} // namespace outlook_standin
