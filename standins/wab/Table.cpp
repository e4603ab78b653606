#include "standins/wab/Objects.h"

#include "destinations/outlook_express/WabTags.h"

#include <cstring>

namespace wabstandin {

Table::Table(SessionPtr session, std::vector<ULONG> ids)
    : session_(std::move(session)), ids_(std::move(ids)), columns_{PR_ENTRYID, PR_DISPLAY_NAME, PR_OBJECT_TYPE}
{
}

HRESULT Table::GetStatus(ULONG* status, ULONG* type)
{
    if (!status || !type)
        return MAPI_E_INVALID_PARAMETER;
    *status = 0; // TBLSTAT_COMPLETE
    *type = 1;   // TBLTYPE_SNAPSHOT
    return S_OK;
}

HRESULT Table::SetColumns(LPSPropTagArray tags, ULONG)
{
    if (!tags || tags->cValues == 0)
        return MAPI_E_INVALID_PARAMETER;
    return Guarded([&] {
        columns_.assign(tags->aulPropTag, tags->aulPropTag + tags->cValues);
        return S_OK;
    });
}

HRESULT Table::QueryColumns(ULONG, LPSPropTagArray* tags)
{
    if (!tags)
        return MAPI_E_INVALID_PARAMETER;
    void* buffer = nullptr;
    if (FAILED(session_->heap.Allocate(static_cast<ULONG>(CbSPropTagArray(static_cast<ULONG>(columns_.size()))), &buffer)))
        return MAPI_E_NOT_ENOUGH_MEMORY;
    auto* out = static_cast<LPSPropTagArray>(buffer);
    out->cValues = static_cast<ULONG>(columns_.size());
    std::memcpy(out->aulPropTag, columns_.data(), columns_.size() * sizeof(ULONG));
    *tags = out;
    return S_OK;
}

HRESULT Table::GetRowCount(ULONG, ULONG* count)
{
    if (!count)
        return MAPI_E_INVALID_PARAMETER;
    *count = static_cast<ULONG>(ids_.size());
    return S_OK;
}

HRESULT Table::SeekRow(BOOKMARK origin, LONG rows, LONG* sought)
{
    LONG start;
    if (origin == BOOKMARK_BEGINNING)
        start = 0;
    else if (origin == BOOKMARK_CURRENT)
        start = static_cast<LONG>(at_);
    else if (origin == BOOKMARK_END)
        start = static_cast<LONG>(ids_.size());
    else
        return MAPI_E_INVALID_PARAMETER;
    LONG target = start + rows;
    if (target < 0)
        target = 0;
    if (target > static_cast<LONG>(ids_.size()))
        target = static_cast<LONG>(ids_.size());
    at_ = static_cast<size_t>(target);
    if (sought)
        *sought = target - start;
    return S_OK;
}

HRESULT Table::QueryRows(LONG count, ULONG, LPSRowSet* rows)
{
    if (!rows || count <= 0)
        return MAPI_E_INVALID_PARAMETER;
    *rows = nullptr;
    return Guarded([&] {
        // Entries deleted since the snapshot was taken are passed over.
        std::vector<const StoredEntry*> picked;
        while (at_ < ids_.size() && picked.size() < static_cast<size_t>(count)) {
            const StoredEntry* entry = session_->store.Find(ids_[at_++]);
            if (entry)
                picked.push_back(entry);
        }
        void* set = nullptr;
        if (FAILED(session_->heap.Allocate(static_cast<ULONG>(CbSRowSet(picked.empty() ? 1 : static_cast<ULONG>(picked.size()))), &set)))
            return MAPI_E_NOT_ENOUGH_MEMORY;
        auto* out = static_cast<LPSRowSet>(set);
        out->cRows = static_cast<ULONG>(picked.size());
        for (size_t r = 0; r < picked.size(); ++r) {
            void* props = nullptr;
            session_->heap.Allocate(static_cast<ULONG>(columns_.size() * sizeof(SPropValue)), &props);
            auto* values = static_cast<LPSPropValue>(props);
            for (size_t c = 0; c < columns_.size(); ++c) {
                StoredValue computed;
                FillValue(session_->heap, props, columns_[c], LookupValue(*picked[r], columns_[c], computed), values[c]);
            }
            out->aRow[r].cValues = static_cast<ULONG>(columns_.size());
            out->aRow[r].lpProps = values;
        }
        *rows = out;
        return S_OK;
    });
}

HRESULT Table::WaitForCompletion(ULONG, ULONG, ULONG* status)
{
    if (status)
        *status = 0;
    return S_OK;
}

} // namespace wabstandin
