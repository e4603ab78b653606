#include "standins/wab/Objects.h"

#include "destinations/outlook_express/WabTags.h"

namespace wabstandin {

template <typename Base>
HRESULT EntryObject<Base>::SetProps(ULONG count, LPSPropValue values, LPSPropProblemArray* problems)
{
    if (problems)
        *problems = nullptr;
    if (count && !values)
        return MAPI_E_INVALID_PARAMETER;
    return Guarded([&] {
        StoredEntry changed = entry_;
        for (ULONG i = 0; i < count; ++i) {
            const SPropValue& in = values[i];
            StoredValue value;
            ULONG tag = in.ulPropTag;
            switch (PROP_TYPE(tag)) {
            case PT_LONG:
                value.type = PT_LONG;
                value.number = in.Value.l;
                break;
            case PT_STRING8:
                value.type = PT_STRING8;
                value.bytes = in.Value.lpszA ? in.Value.lpszA : "";
                break;
            case PT_UNICODE: {
                value.type = PT_STRING8;
                tag = CHANGE_PROP_TYPE(tag, PT_STRING8);
                const int length = ::WideCharToMultiByte(CP_ACP, 0, in.Value.lpszW, -1, nullptr, 0, nullptr, nullptr);
                std::string text(length > 0 ? static_cast<size_t>(length) : 1, '\0');
                ::WideCharToMultiByte(CP_ACP, 0, in.Value.lpszW, -1, text.data(), length, nullptr, nullptr);
                text.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
                value.bytes = std::move(text);
                break;
            }
            case PT_BINARY:
                value.type = PT_BINARY;
                value.bytes.assign(reinterpret_cast<const char*>(in.Value.bin.lpb), in.Value.bin.cb);
                break;
            case PT_MV_BINARY:
                value.type = PT_MV_BINARY;
                for (ULONG v = 0; v < in.Value.MVbin.cValues; ++v)
                    value.values.emplace_back(reinterpret_cast<const char*>(in.Value.MVbin.lpbin[v].lpb),
                                              in.Value.MVbin.lpbin[v].cb);
                break;
            default:
                return MAPI_E_NO_SUPPORT;
            }
            if (PROP_ID(tag) == PROP_ID(PR_ENTRYID))
                return MAPI_E_NO_ACCESS;
            if (PROP_ID(tag) == PROP_ID(PR_OBJECT_TYPE)) {
                if (entry_.id != 0 && static_cast<ULONG>(value.number) != entry_.type)
                    return MAPI_E_NO_ACCESS;
                changed.type = static_cast<ULONG>(value.number);
                continue;
            }
            changed.Set(tag, value);
        }
        entry_ = std::move(changed);
        return S_OK;
    });
}

template <typename Base>
HRESULT EntryObject<Base>::SaveChanges(ULONG flags)
{
    if (flags & ~(KEEP_OPEN_READONLY | KEEP_OPEN_READWRITE | FORCE_SAVE))
        return MAPI_E_UNKNOWN_FLAGS;
    if (InjectedFailure("WAB_STANDIN_FAIL_SAVE", ++session_->saves))
        return MAPI_E_DISK_ERROR;
    return Guarded([&] {
        if (entry_.type == MAPI_ABCONT) {
            // A new entry typed as a container becomes a folder of the address book.
            const StoredEntry* same = session_->store.FindFolderByName(entry_.Text(PR_DISPLAY_NAME));
            if (same && same->id != entry_.id)
                return MAPI_E_COLLISION;
            entry_.folder = 0;
        } else if (entry_.type != MAPI_MAILUSER && entry_.type != MAPI_DISTLIST) {
            return MAPI_E_INVALID_PARAMETER;
        }
        return session_->store.Save(entry_) ? S_OK : MAPI_E_DISK_ERROR;
    });
}

template class EntryObject<PropBase<IMailUser>>;
template class EntryObject<ContainerBase<IDistList>>;

} // namespace wabstandin
