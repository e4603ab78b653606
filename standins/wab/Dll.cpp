// The library's single entry point: opens the store named by the parameters (or the
// default one) and hands out the address book and the service object over it.
#include "standins/wab/Objects.h"

extern "C" HRESULT WINAPI WABOpen(LPADRBOOK* addrBook, LPWABOBJECT* wabObject, LPWAB_PARAM params, DWORD)
{
    using namespace wabstandin;
    if (!addrBook || !wabObject)
        return MAPI_E_INVALID_PARAMETER;
    *addrBook = nullptr;
    *wabObject = nullptr;
    return Guarded([&] {
        const bool named = params && params->cbSize >= sizeof(WAB_PARAM) && params->szFileName && *params->szFileName;
        auto session = std::make_shared<Session>();
        if (!session->store.Open(named ? std::string(params->szFileName) : Store::DefaultPath(), true))
            return MAPI_E_DISK_ERROR;
        *addrBook = MakeObject<AddrBook>(session).Detach();
        *wabObject = MakeObject<WabObject>(session).Detach();
        return S_OK;
    });
}
