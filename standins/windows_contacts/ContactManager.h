#pragma once
// The contact manager: knows the calling application and the user's own contact.
#include "ComObject.h"

#include "destinations/windows_contacts/ContactInterfaces.h"

#include <oaidl.h>

#include <string>

namespace wcstandin {

class ContactManager final : public ComObject<IContactManager, ISupportErrorInfo> {
public:
    ContactManager();

    HRESULT STDMETHODCALLTYPE Initialize(LPCWSTR appName, LPCWSTR appVersion) override;
    HRESULT STDMETHODCALLTYPE Load(LPCWSTR, IContact**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MergeContactIDs(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMeContact(IContact** contact) override;
    HRESULT STDMETHODCALLTYPE SetMeContact(IContact*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContactCollection(IContactCollection**) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

private:
    bool initialized_ = false;
};

} // namespace wcstandin
