#pragma once
// The address book object, the library's service object and the open parameters.
#include "destinations/outlook_express/WabDefs.h"

struct IAddrBook : public IMAPIProp {
    virtual HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                                                ULONG* lpulObjType, LPUNKNOWN* lppUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompareEntryIDs(ULONG cbEntryID1, LPENTRYID lpEntryID1, ULONG cbEntryID2,
                                                      LPENTRYID lpEntryID2, ULONG ulFlags, ULONG* lpulResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE Advise(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulEventMask,
                                             LPMAPIADVISESINK lpAdviseSink, ULONG* lpulConnection) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(ULONG ulConnection) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateOneOff(LPSTR lpszName, LPSTR lpszAdrType, LPSTR lpszAddress, ULONG ulFlags,
                                                   ULONG* lpcbEntryID, LPENTRYID* lppEntryID) = 0;
    virtual HRESULT STDMETHODCALLTYPE NewEntry(ULONG_PTR ulUIParam, ULONG ulFlags, ULONG cbEIDContainer,
                                               LPENTRYID lpEIDContainer, ULONG cbEIDNewEntryTpl, LPENTRYID lpEIDNewEntryTpl,
                                               ULONG* lpcbEIDNewEntry, LPENTRYID* lppEIDNewEntry) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResolveName(ULONG_PTR ulUIParam, ULONG ulFlags, LPSTR lpszNewEntryTitle,
                                                  LPADRLIST lpAdrList) = 0;
    virtual HRESULT STDMETHODCALLTYPE Address(ULONG_PTR* lpulUIParam, LPADRPARM lpAdrParms, LPADRLIST* lppAdrList) = 0;
    virtual HRESULT STDMETHODCALLTYPE Details(ULONG_PTR* lpulUIParam, LPFNDISMISS lpfnDismiss, LPVOID lpvDismissContext,
                                              ULONG cbEntryID, LPENTRYID lpEntryID, LPFNBUTTON lpfButtonCallback,
                                              LPVOID lpvButtonContext, LPSTR lpszButtonText, ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE RecipOptions(ULONG_PTR ulUIParam, ULONG ulFlags, LPADRENTRY lpRecip) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryDefaultRecipOpt(LPSTR lpszAdrType, ULONG ulFlags, ULONG* lpcValues,
                                                           LPSPropValue* lppOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPAB(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetPAB(ULONG cbEntryID, LPENTRYID lpEntryID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDefaultDir(ULONG* lpcbEntryID, LPENTRYID* lppEntryID) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetDefaultDir(ULONG cbEntryID, LPENTRYID lpEntryID) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSearchPath(ULONG ulFlags, LPSRowSet* lppSearchPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSearchPath(ULONG ulFlags, LPSRowSet lpSearchPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE PrepareRecips(ULONG ulFlags, LPSPropTagArray lpPropTagArray, LPADRLIST lpRecipList) = 0;
};
using LPADRBOOK = IAddrBook*;

struct IWABObject : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
    virtual HRESULT STDMETHODCALLTYPE AllocateBuffer(ULONG cbSize, LPVOID* lppBuffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE AllocateMore(ULONG cbSize, LPVOID lpObject, LPVOID* lppBuffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE FreeBuffer(LPVOID lpBuffer) = 0;
    virtual HRESULT STDMETHODCALLTYPE Backup(LPSTR lpFileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE Import(LPSTR lpImportParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE Find(LPADRBOOK lpIAB, HWND hWnd) = 0;
    virtual HRESULT STDMETHODCALLTYPE VCardDisplay(LPADRBOOK lpIAB, HWND hWnd, LPSTR lpszFileName) = 0;
    virtual HRESULT STDMETHODCALLTYPE LDAPUrl(LPADRBOOK lpIAB, HWND hWnd, ULONG ulFlags, LPSTR lpszURL,
                                              LPMAILUSER* lppMailUser) = 0;
    virtual HRESULT STDMETHODCALLTYPE VCardCreate(LPADRBOOK lpIAB, ULONG ulFlags, LPSTR lpszVCard, LPMAILUSER lpMailUser) = 0;
    virtual HRESULT STDMETHODCALLTYPE VCardRetrieve(LPADRBOOK lpIAB, ULONG ulFlags, LPSTR lpszVCard,
                                                    LPMAILUSER* lppMailUser) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetMe(LPADRBOOK lpIAB, ULONG ulFlags, DWORD* lpdwAction, SBinary* lpsbEID,
                                            ULONG_PTR ulParam) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMe(LPADRBOOK lpIAB, ULONG ulFlags, SBinary sbEID, ULONG_PTR ulParam) = 0;
};
using LPWABOBJECT = IWABObject*;

struct WAB_PARAM {
    ULONG cbSize;
    HWND hwnd;
    LPSTR szFileName;
    ULONG ulFlags;
    GUID guidPSExt;
};
using LPWAB_PARAM = WAB_PARAM*;

constexpr ULONG WAB_USE_OE_SENDMAIL = 0x00000001;
constexpr ULONG WAB_ENABLE_PROFILES = 0x00400000;

using LPWABOPEN = HRESULT(WINAPI*)(LPADRBOOK* lppAdrBook, LPWABOBJECT* lppWABObject, LPWAB_PARAM lpWP, DWORD Reserved2);

static_assert(sizeof(WAB_PARAM) == (sizeof(void*) == 4 ? 32 : 48), "WAB_PARAM is 32 bytes on 32-bit and 48 on 64-bit Windows");
