#pragma once
// Windows Contacts interfaces (icontact.idl of the Windows SDK), which MinGW does not ship.
// Method order and signatures must match the published definitions exactly: the vtables
// are shared with the system's own implementation.
#include <windows.h>
#include <objidl.h>
#include <ocidl.h>

struct IContact;
struct IContactCollection;
struct IContactPropertyCollection;

// Flags value of every IContactProperties call.
#ifndef CGD_DEFAULT
#define CGD_DEFAULT 0x00000000
#endif

MIDL_INTERFACE("ad553d98-deb1-474a-8e17-fc0c2075b738")
IContactManager : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Initialize(LPCWSTR pszAppName, LPCWSTR pszAppVersion) = 0;
    virtual HRESULT STDMETHODCALLTYPE Load(LPCWSTR pszContactID, IContact** ppContact) = 0;
    virtual HRESULT STDMETHODCALLTYPE MergeContactIDs(LPCWSTR pszNewContactID, LPCWSTR pszOldContactID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMeContact(IContact** ppMeContact) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMeContact(IContact* pMeContact) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetContactCollection(IContactCollection** ppContactCollection) = 0;
};

MIDL_INTERFACE("b6afa338-d779-11d9-8bde-f66bad1e3f3a")
IContactCollection : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Next() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCurrent(IContact** ppContact) = 0;
};

MIDL_INTERFACE("70dd27dd-5cbd-46e8-bef0-23b6b346288f")
IContactProperties : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetString(LPCWSTR pszPropertyName, DWORD dwFlags, LPWSTR pszValue,
                                                DWORD cchValue, DWORD* pdwcchPropertyValueRequired) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDate(LPCWSTR pszPropertyName, DWORD dwFlags, FILETIME* pftDateTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetBinary(LPCWSTR pszPropertyName, DWORD dwFlags, LPWSTR pszContentType,
                                                DWORD cchContentType, DWORD* pdwcchContentTypeRequired,
                                                IStream** ppStream) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetLabels(LPCWSTR pszArrayElementName, DWORD dwFlags, LPWSTR pszLabels,
                                                DWORD cchLabels, DWORD* pdwcchLabelsRequired) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetString(LPCWSTR pszPropertyName, DWORD dwFlags, LPCWSTR pszValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDate(LPCWSTR pszPropertyName, DWORD dwFlags, FILETIME ftDateTime) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetBinary(LPCWSTR pszPropertyName, DWORD dwFlags, LPCWSTR pszContentType,
                                                IStream* pStream) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetLabels(LPCWSTR pszArrayElementName, DWORD dwFlags, DWORD dwLabelCount,
                                                LPCWSTR ppszLabels[]) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateArrayNode(LPCWSTR pszArrayName, DWORD dwFlags, BOOL fAppend,
                                                      LPWSTR pszNewArrayElementName, DWORD cchNewArrayElementName,
                                                      DWORD* pdwcchNewArrayElementNameRequired) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteProperty(LPCWSTR pszPropertyName, DWORD dwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteArrayNode(LPCWSTR pszArrayElementName, DWORD dwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteLabels(LPCWSTR pszArrayElementName, DWORD dwFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyCollection(IContactPropertyCollection** ppPropertyCollection,
                                                            DWORD dwFlags, LPCWSTR pszMultiValueName,
                                                            DWORD dwLabelCount, LPCWSTR ppszLabels[],
                                                            BOOL fAnyLabelMatches) = 0;
};

MIDL_INTERFACE("f941b671-bda7-4f77-884a-f46462f226a7")
IContact : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetContactID(LPWSTR pszContactID, DWORD cchContactID,
                                                   DWORD* pdwcchContactIDRequired) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPath(LPWSTR pszPath, DWORD cchPath, DWORD* pdwcchPathRequired) = 0;
    virtual HRESULT STDMETHODCALLTYPE CommitChanges(DWORD dwCommitFlags) = 0;
};

MIDL_INTERFACE("ffd3adf8-fa64-4328-b1b6-2e0db509cb3c")
IContactPropertyCollection : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Next() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyName(LPWSTR pszPropertyName, DWORD cchPropertyName,
                                                      DWORD* pdwcchPropertyNameRequired) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyType(DWORD* pdwType) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyVersion(DWORD* pdwVersion) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyModificationDate(FILETIME* pftModificationDate) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropertyArrayElementID(LPWSTR pszArrayElementID, DWORD cchArrayElementID,
                                                                DWORD* pdwcchArrayElementIDRequired) = 0;
};

// __uuidof() for the declarations above, so ComPtr::As and IID_PPV_ARGS work with GCC.
__CRT_UUID_DECL(IContactManager, 0xad553d98, 0xdeb1, 0x474a, 0x8e, 0x17, 0xfc, 0x0c, 0x20, 0x75, 0xb7, 0x38)
__CRT_UUID_DECL(IContactCollection, 0xb6afa338, 0xd779, 0x11d9, 0x8b, 0xde, 0xf6, 0x6b, 0xad, 0x1e, 0x3f, 0x3a)
__CRT_UUID_DECL(IContactProperties, 0x70dd27dd, 0x5cbd, 0x46e8, 0xbe, 0xf0, 0x23, 0xb6, 0xb3, 0x46, 0x28, 0x8f)
__CRT_UUID_DECL(IContact, 0xf941b671, 0xbda7, 0x4f77, 0x88, 0x4a, 0xf4, 0x64, 0x62, 0xf2, 0x26, 0xa7)
__CRT_UUID_DECL(IContactPropertyCollection, 0xffd3adf8, 0xfa64, 0x4328, 0xb1, 0xb6, 0x2e, 0x0d, 0xb5, 0x09, 0xcb,
                0x3c)

namespace tessaly {

inline constexpr CLSID CLSID_ContactManager = {0x7165c8ab, 0xaf88, 0x42bd, {0x86, 0xfd, 0x53, 0x10, 0xb4, 0x28, 0x5a, 0x02}};
inline constexpr CLSID CLSID_Contact = {0x61b68808, 0x8eee, 0x4fd1, {0xac, 0xb8, 0x3d, 0x80, 0x4c, 0x8d, 0xb0, 0x56}};

} // namespace tessaly
