#include "standins/wab/Objects.h"

#include "destinations/outlook_express/WabTags.h"

namespace wabstandin {

HRESULT Container::GetContentsTable(ULONG flags, LPMAPITABLE* table)
{
    if (!table)
        return MAPI_E_INVALID_PARAMETER;
    if (flags & ~MAPI_UNICODE)
        return MAPI_E_UNKNOWN_FLAGS;
    return Guarded([&] {
        std::vector<ULONG> ids;
        for (const StoredEntry* entry : folder_ == 0 ? session_->store.Folders() : session_->store.Children(folder_))
            ids.push_back(entry->id);
        *table = MakeObject<Table>(session_, std::move(ids)).Detach();
        return S_OK;
    });
}

HRESULT Container::OpenEntry(ULONG size, LPENTRYID id, LPCIID, ULONG flags, ULONG* type, LPUNKNOWN* object)
{
    return Guarded([&] { return OpenStoreEntry(session_, size, id, flags, type, object); });
}

HRESULT Container::GetProps(LPSPropTagArray tags, ULONG flags, ULONG* count, LPSPropValue* values)
{
    return Guarded([&] {
        if (folder_ == 0) {
            StoredEntry root;
            root.type = MAPI_ABCONT;
            return GetEntryProps(*session_, root, tags, flags, count, values);
        }
        const StoredEntry* entry = session_->store.Find(folder_);
        if (!entry)
            return MAPI_E_OBJECT_DELETED;
        return GetEntryProps(*session_, *entry, tags, flags, count, values);
    });
}

HRESULT Container::CreateEntry(ULONG size, LPENTRYID templateId, ULONG flags, LPMAPIPROP* entry)
{
    if (!entry)
        return MAPI_E_INVALID_PARAMETER;
    *entry = nullptr;
    if (flags & ~(CREATE_CHECK_DUP_STRICT | CREATE_CHECK_DUP_LOOSE | CREATE_REPLACE))
        return MAPI_E_UNKNOWN_FLAGS;
    if (folder_ == 0)
        return MAPI_E_NO_SUPPORT;
    if (size != 0 && EntryNumber(size, templateId) != kMailUserTemplate)
        return MAPI_E_INVALID_ENTRYID;
    return Guarded([&] {
        StoredEntry fresh;
        fresh.folder = folder_;
        fresh.type = MAPI_MAILUSER;
        *entry = MakeObject<MailUserObject>(session_, std::move(fresh), true, flags).Detach();
        return S_OK;
    });
}

HRESULT Container::DeleteEntries(LPENTRYLIST entries, ULONG flags)
{
    if (!entries || (entries->cValues && !entries->lpbin))
        return MAPI_E_INVALID_PARAMETER;
    if (flags != 0)
        return MAPI_E_UNKNOWN_FLAGS;
    bool all = true;
    for (ULONG i = 0; i < entries->cValues; ++i) {
        const ULONG number = EntryNumber(entries->lpbin[i].cb, entries->lpbin[i].lpb);
        const StoredEntry* entry = session_->store.Find(number);
        if (!entry || entry->folder != folder_ || entry->type == MAPI_ABCONT || !session_->store.Delete(number))
            all = false;
    }
    return all ? S_OK : MAPI_W_PARTIAL_COMPLETION;
}

} // namespace wabstandin
