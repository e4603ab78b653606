#pragma once
// A contact: a new one (made by CoCreateInstance, started with InitNew or loaded from a
// stream, saved to a stream) or the user's own contact, which is bound to its file.
#include "ComObject.h"
#include "ContactDocument.h"
#include "UnsupportedContactProperties.h"

#include "destinations/windows_contacts/ContactInterfaces.h"

#include <oaidl.h>
#include <ocidl.h>

#include <string>

namespace wcstandin {

class Contact final
    : public UnsupportedContactProperties<
          ComObject<IContact, IPersistStreamInit, IContactProperties, ISupportErrorInfo>> {
public:
    Contact() = default;
    // The own contact, kept in `path`.
    explicit Contact(std::wstring path);

    // IContact
    HRESULT STDMETHODCALLTYPE GetContactID(LPWSTR id, DWORD capacity, DWORD* required) override;
    HRESULT STDMETHODCALLTYPE GetPath(LPWSTR path, DWORD capacity, DWORD* required) override;
    HRESULT STDMETHODCALLTYPE CommitChanges(DWORD flags) override;

    // IPersistStreamInit
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
    HRESULT STDMETHODCALLTYPE IsDirty() override;
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
    HRESULT STDMETHODCALLTYPE InitNew() override;

    // IContactProperties
    HRESULT STDMETHODCALLTYPE GetString(LPCWSTR propertyName, DWORD flags, LPWSTR value, DWORD capacity,
                                        DWORD* required) override;
    HRESULT STDMETHODCALLTYPE GetLabels(LPCWSTR nodeName, DWORD flags, LPWSTR labels, DWORD capacity,
                                        DWORD* required) override;
    HRESULT STDMETHODCALLTYPE SetString(LPCWSTR propertyName, DWORD flags, LPCWSTR value) override;
    HRESULT STDMETHODCALLTYPE SetLabels(LPCWSTR nodeName, DWORD flags, DWORD count, LPCWSTR labels[]) override;
    HRESULT STDMETHODCALLTYPE CreateArrayNode(LPCWSTR arrayName, DWORD flags, BOOL append, LPWSTR nodeName,
                                              DWORD capacity, DWORD* required) override;

    // ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

    // The document of a contact made for `formattedName`, as the own contact's file holds it.
    static std::string OwnContactXml(const std::wstring& formattedName);

private:
    HRESULT Ready() const;
    // The checks every read makes: a name, the only flags value, a started contact.
    HRESULT ReadyToRead(LPCWSTR name, DWORD flags) const;

    std::wstring path_;
    std::wstring contactId_ = L"{" + NewGuidText(false) + L"}";
    bool started_ = false;
    bool dirty_ = false;
    ContactDocument document_;
};

} // namespace wcstandin
