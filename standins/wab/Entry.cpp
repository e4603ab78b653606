#include "standins/wab/Objects.h"

#include "base/TextHelpers.h"
#include "destinations/outlook_express/WabTags.h"

namespace wabstandin {

template <typename Base>
HRESULT EntryObject<Base>::SetProps(ULONG count, LPSPropValue values, LPSPropProblemArray* problems)
{
    if (problems)
        *problems = nullptr;
    if (count && !values)
        return MAPI_E_INVALID_PARAMETER;
    if (!writable_)
        return MAPI_E_NO_ACCESS;
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
HRESULT EntryObject<Base>::DeleteProps(LPSPropTagArray tags, LPSPropProblemArray* problems)
{
    if (problems)
        *problems = nullptr;
    if (!tags)
        return MAPI_E_INVALID_PARAMETER;
    if (!writable_)
        return MAPI_E_NO_ACCESS;
    return Guarded([&] {
        for (ULONG i = 0; i < tags->cValues; ++i) {
            const ULONG id = PROP_ID(tags->aulPropTag[i]);
            // The identifier and the type are the entry's own, not properties to delete.
            if (id == PROP_ID(PR_ENTRYID) || id == PROP_ID(PR_OBJECT_TYPE))
                continue;
            std::erase_if(entry_.props, [id](const auto& prop) { return PROP_ID(prop.first) == id; });
        }
        return S_OK;
    });
}

template <typename Base>
HRESULT EntryObject<Base>::DuplicateToReplace(ULONG& id) const
{
    id = 0;
    if (entry_.id != 0 || !(createFlags_ & (CREATE_CHECK_DUP_LOOSE | CREATE_CHECK_DUP_STRICT)))
        return S_OK;
    // Loose: the same display name; strict: the same display name and address.
    const std::string name = entry_.Text(PR_DISPLAY_NAME);
    const std::string address = entry_.Text(PR_EMAIL_ADDRESS);
    const bool strict = (createFlags_ & CREATE_CHECK_DUP_STRICT) != 0;
    for (const StoredEntry* other : session_->store.Children(entry_.folder)) {
        if (other->type != entry_.type || !tessaly::SameTextIgnoringAsciiCase(other->Text(PR_DISPLAY_NAME), name))
            continue;
        if (strict && !tessaly::SameTextIgnoringAsciiCase(other->Text(PR_EMAIL_ADDRESS), address))
            continue;
        if (!(createFlags_ & CREATE_REPLACE))
            return MAPI_E_COLLISION;
        id = other->id;
        return S_OK;
    }
    return S_OK;
}

template <typename Base>
HRESULT EntryObject<Base>::SaveChanges(ULONG flags)
{
    if (flags & ~(KEEP_OPEN_READONLY | KEEP_OPEN_READWRITE | FORCE_SAVE))
        return MAPI_E_UNKNOWN_FLAGS;
    if (!writable_)
        return MAPI_E_NO_ACCESS;
    const int save = ++session_->saves;
    // A process killed in the middle of a run: nothing of this save reaches the store.
    if (InjectedFailure("WAB_STANDIN_KILL_AT_SAVE", save))
        ::TerminateProcess(::GetCurrentProcess(), 3);
    if (InjectedFailure("WAB_STANDIN_FAIL_SAVE", save))
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
        } else if (entry_.id != 0 && !session_->store.Find(entry_.id)) {
            return MAPI_E_OBJECT_DELETED;
        }
        ULONG replaced = 0;
        const HRESULT duplicate = DuplicateToReplace(replaced);
        if (FAILED(duplicate))
            return duplicate;
        StoredEntry saved = entry_;
        if (replaced != 0)
            saved.id = replaced; // the new entry's values take the duplicate's place
        if (!session_->store.Save(saved))
            return MAPI_E_DISK_ERROR;
        entry_ = std::move(saved);
        return S_OK;
    });
}

template class EntryObject<PropBase<IMailUser>>;
template class EntryObject<ContainerBase<IDistList>>;

} // namespace wabstandin
