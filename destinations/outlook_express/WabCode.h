#pragma once
// Result codes of the address book.
#include <windows.h>

constexpr HRESULT MakeMapiError(ULONG code) { return static_cast<HRESULT>(0x80040000u | code); }

constexpr HRESULT MAPI_E_CALL_FAILED = E_FAIL;
constexpr HRESULT MAPI_E_NOT_ENOUGH_MEMORY = E_OUTOFMEMORY;
constexpr HRESULT MAPI_E_INVALID_PARAMETER = E_INVALIDARG;
constexpr HRESULT MAPI_E_INTERFACE_NOT_SUPPORTED = E_NOINTERFACE;
constexpr HRESULT MAPI_E_NO_ACCESS = E_ACCESSDENIED;
constexpr HRESULT MAPI_E_NO_SUPPORT = MakeMapiError(0x102);
constexpr HRESULT MAPI_E_BAD_CHARWIDTH = MakeMapiError(0x103);
constexpr HRESULT MAPI_E_NOT_FOUND = MakeMapiError(0x10F);
constexpr HRESULT MAPI_E_CORRUPT_DATA = MakeMapiError(0x11B);
constexpr HRESULT MAPI_E_INVALID_ENTRYID = MakeMapiError(0x107);
constexpr HRESULT MAPI_E_INVALID_OBJECT = MakeMapiError(0x108);
constexpr HRESULT MAPI_E_OBJECT_CHANGED = MakeMapiError(0x109);
constexpr HRESULT MAPI_E_OBJECT_DELETED = MakeMapiError(0x10A);
constexpr HRESULT MAPI_E_DISK_ERROR = MakeMapiError(0x116);
constexpr HRESULT MAPI_E_UNKNOWN_FLAGS = MakeMapiError(0x403);
constexpr HRESULT MAPI_E_COLLISION = MakeMapiError(0x604);
constexpr HRESULT MAPI_E_NOT_INITIALIZED = MakeMapiError(0x605);
constexpr HRESULT MAPI_W_ERRORS_RETURNED = static_cast<HRESULT>(0x00040380);
constexpr HRESULT MAPI_W_PARTIAL_COMPLETION = static_cast<HRESULT>(0x00040680);
