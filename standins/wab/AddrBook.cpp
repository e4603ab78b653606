#include "standins/wab/Objects.h"

#include <cstring>

namespace wabstandin {

HRESULT AddrBook::OpenEntry(ULONG size, LPENTRYID id, LPCIID, ULONG flags, ULONG* type, LPUNKNOWN* object)
{
    return Guarded([&] { return OpenStoreEntry(session_, size, id, flags, type, object); });
}

HRESULT AddrBook::CompareEntryIDs(ULONG size1, LPENTRYID id1, ULONG size2, LPENTRYID id2, ULONG, ULONG* result)
{
    if (!result)
        return MAPI_E_INVALID_PARAMETER;
    *result = size1 == size2 && (size1 == 0 || std::memcmp(id1, id2, size1) == 0);
    return S_OK;
}

HRESULT AddrBook::GetPAB(ULONG* size, LPENTRYID* id)
{
    if (!size || !id)
        return MAPI_E_INVALID_PARAMETER;
    const std::string bytes = MakeEntryId(Store::kPersonalFolder);
    void* buffer = nullptr;
    if (FAILED(session_->heap.Allocate(kEntryIdSize, &buffer)))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    std::memcpy(buffer, bytes.data(), kEntryIdSize);
    *size = kEntryIdSize;
    *id = static_cast<LPENTRYID>(buffer);
    return S_OK;
}

HRESULT WabObject::AllocateBuffer(ULONG size, LPVOID* buffer)
{
    return session_->heap.Allocate(size, buffer);
}

HRESULT WabObject::AllocateMore(ULONG size, LPVOID root, LPVOID* buffer)
{
    return session_->heap.AllocateMore(size, root, buffer);
}

HRESULT WabObject::FreeBuffer(LPVOID buffer)
{
    if (InjectedFailure("WAB_STANDIN_FAIL_FREEBUFFER", ++session_->frees))
        return MAPI_E_INVALID_PARAMETER;
    return session_->heap.Free(buffer);
}

} // namespace wabstandin
