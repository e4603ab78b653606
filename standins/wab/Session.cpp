#include "standins/wab/Objects.h"

#include "destinations/outlook_express/WabTags.h"

#include <cstdlib>
#include <cstring>

namespace wabstandin {

bool InjectedFailure(const char* variable, int count)
{
    char value[32] = {};
    const DWORD length = ::GetEnvironmentVariableA(variable, value, sizeof value);
    return length > 0 && length < sizeof value && std::atoi(value) == count;
}

const StoredValue* LookupValue(const StoredEntry& entry, ULONG tag, StoredValue& computed)
{
    const ULONG id = PROP_ID(tag);
    if (id == PROP_ID(PR_ENTRYID)) {
        computed.type = PT_BINARY;
        computed.bytes = entry.id == 0 ? std::string() : MakeEntryId(entry.id);
        return &computed;
    }
    if (id == PROP_ID(PR_OBJECT_TYPE)) {
        computed.type = PT_LONG;
        computed.number = static_cast<LONG>(entry.type);
        return &computed;
    }
    if (id == PROP_ID(PR_DEF_CREATE_MAILUSER) && entry.type == MAPI_ABCONT) {
        computed.type = PT_BINARY;
        computed.bytes = MakeEntryId(kMailUserTemplate);
        return &computed;
    }
    for (const auto& [key, stored] : entry.props)
        if (PROP_ID(key) == id)
            return &stored;
    return nullptr;
}

bool FillValue(BufferHeap& heap, void* root, ULONG tag, const StoredValue* value, SPropValue& out)
{
    const ULONG wanted = PROP_TYPE(tag);
    if (!value || (wanted != PT_UNSPECIFIED && wanted != value->type &&
                   !(wanted == PT_UNICODE && value->type == PT_STRING8))) {
        out.ulPropTag = CHANGE_PROP_TYPE(tag, PT_ERROR);
        out.Value.err = MAPI_E_NOT_FOUND;
        return false;
    }
    const ULONG type = wanted == PT_UNSPECIFIED ? value->type : wanted;
    out.ulPropTag = CHANGE_PROP_TYPE(tag, type);
    switch (type) {
    case PT_LONG:
        out.Value.l = value->number;
        break;
    case PT_STRING8:
        out.Value.lpszA = heap.CopyText(value->bytes.c_str(), root);
        break;
    case PT_UNICODE: {
        const int length = ::MultiByteToWideChar(CP_ACP, 0, value->bytes.c_str(), -1, nullptr, 0);
        void* wide = nullptr;
        heap.AllocateMore(static_cast<ULONG>(length * sizeof(WCHAR)), root, &wide);
        ::MultiByteToWideChar(CP_ACP, 0, value->bytes.c_str(), -1, static_cast<LPWSTR>(wide), length);
        out.Value.lpszW = static_cast<LPWSTR>(wide);
        break;
    }
    case PT_BINARY:
        out.Value.bin.cb = static_cast<ULONG>(value->bytes.size());
        out.Value.bin.lpb = heap.CopyBytes(reinterpret_cast<const BYTE*>(value->bytes.data()), out.Value.bin.cb, root);
        break;
    case PT_MV_BINARY: {
        void* array = nullptr;
        const ULONG count = static_cast<ULONG>(value->values.size());
        heap.AllocateMore(count ? count * sizeof(SBinary) : 1, root, &array);
        auto* binaries = static_cast<SBinary*>(array);
        for (ULONG i = 0; i < count; ++i) {
            binaries[i].cb = static_cast<ULONG>(value->values[i].size());
            binaries[i].lpb =
                heap.CopyBytes(reinterpret_cast<const BYTE*>(value->values[i].data()), binaries[i].cb, root);
        }
        out.Value.MVbin.cValues = count;
        out.Value.MVbin.lpbin = binaries;
        break;
    }
    }
    return true;
}

HRESULT GetEntryProps(Session& session, const StoredEntry& entry, LPSPropTagArray tags, ULONG flags, ULONG* count,
                      LPSPropValue* values)
{
    if (!count || !values)
        return MAPI_E_INVALID_PARAMETER;
    if (flags & ~MAPI_UNICODE)
        return MAPI_E_UNKNOWN_FLAGS;
    std::vector<ULONG> wanted;
    if (tags) {
        wanted.assign(tags->aulPropTag, tags->aulPropTag + tags->cValues);
    } else {
        wanted = {PR_ENTRYID, PR_OBJECT_TYPE};
        for (const auto& [key, stored] : entry.props)
            if (PROP_ID(key) != PROP_ID(PR_OBJECT_TYPE))
                wanted.push_back(key);
    }
    void* root = nullptr;
    if (FAILED(session.heap.Allocate(static_cast<ULONG>((wanted.empty() ? 1 : wanted.size()) * sizeof(SPropValue)), &root)))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    auto* out = static_cast<LPSPropValue>(root);
    bool all = true;
    for (size_t i = 0; i < wanted.size(); ++i) {
        StoredValue computed;
        ULONG tag = wanted[i];
        if ((flags & MAPI_UNICODE) && PROP_TYPE(tag) == PT_UNSPECIFIED)
            tag = CHANGE_PROP_TYPE(tag, PT_UNICODE);
        all = FillValue(session.heap, root, tag, LookupValue(entry, tag, computed), out[i]) && all;
    }
    *count = static_cast<ULONG>(wanted.size());
    *values = out;
    return all ? S_OK : MAPI_W_ERRORS_RETURNED;
}

HRESULT OpenStoreEntry(const SessionPtr& session, ULONG size, LPENTRYID id, ULONG flags, ULONG* objectType,
                       LPUNKNOWN* object)
{
    if (!object || !objectType)
        return MAPI_E_INVALID_PARAMETER;
    *object = nullptr;
    if (size == 0) {
        *objectType = MAPI_ABCONT;
        *object = MakeObject<Container>(session, 0).Detach();
        return S_OK;
    }
    const ULONG number = EntryNumber(size, id);
    if (number == 0)
        return MAPI_E_INVALID_ENTRYID;
    const StoredEntry* entry = session->store.Find(number);
    if (!entry)
        return MAPI_E_NOT_FOUND;
    *objectType = entry->type;
    const bool writable = (flags & (MAPI_MODIFY | MAPI_BEST_ACCESS)) != 0;
    if (entry->type == MAPI_ABCONT)
        *object = MakeObject<Container>(session, number).Detach();
    else if (entry->type == MAPI_DISTLIST)
        *object = MakeObject<DistListObject>(session, *entry, writable).Detach();
    else
        *object = MakeObject<MailUserObject>(session, *entry, writable).Detach();
    return S_OK;
}

} // namespace wabstandin
