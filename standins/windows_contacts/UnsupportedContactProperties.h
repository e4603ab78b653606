#pragma once
// The IContactProperties members that neither the stand-in's contact nor the tests' fake
// contact supports: dates, binary values, deletions and property collections. The
// program calls none of them; each fails with E_NOTIMPL.
#include "destinations/windows_contacts/ContactInterfaces.h"

namespace wcstandin {

// `Base` is the COM object class that answers for IContactProperties.
template <typename Base>
class UnsupportedContactProperties : public Base {
public:
    HRESULT STDMETHODCALLTYPE GetDate(LPCWSTR, DWORD, FILETIME*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBinary(LPCWSTR, DWORD, LPWSTR, DWORD, DWORD*, IStream**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetDate(LPCWSTR, DWORD, FILETIME) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBinary(LPCWSTR, DWORD, LPCWSTR, IStream*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteProperty(LPCWSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteArrayNode(LPCWSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteLabels(LPCWSTR, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPropertyCollection(IContactPropertyCollection**, DWORD, LPCWSTR, DWORD, LPCWSTR[],
                                                    BOOL) override
    {
        return E_NOTIMPL;
    }
};

} // namespace wcstandin
