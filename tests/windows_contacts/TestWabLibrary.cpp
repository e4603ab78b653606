// A library that only answers to "WABOpen": enough for the address book library test
// that tells whether Windows Mail is installed.
#include <windows.h>

extern "C" HRESULT WINAPI WABOpen(void** addrBook, void** wabObject, void*, DWORD)
{
    if (addrBook != nullptr)
        *addrBook = nullptr;
    if (wabObject != nullptr)
        *wabObject = nullptr;
    return E_NOTIMPL;
}
