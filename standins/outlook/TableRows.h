#pragma once
// The shape of a folder table's rows, as the stand-in and the tests' in-process fake of
// the object model both hand them out: a contacts folder's default columns, and
// Table.GetArray's answer, array(row, column) of VARIANT counted from 0.
#include "OwnedVariant.h"

#include <windows.h>
#include <oleauto.h>

#include <array>
#include <cstddef>
#include <memory>

namespace outlook_standin {

inline constexpr std::array<const wchar_t*, 8> kDefaultContactColumns = {
    L"EntryID", L"Subject", L"CreationTime", L"LastModificationTime", L"MessageClass",
    L"FirstName", L"LastName", L"CompanyName"};

// Rows by columns as GetArray returns them; `fillCell(row, column, value)` fills each
// cell's empty VARIANT. On success the caller owns `*rows`; on a failure (or an exception
// from fillCell) nothing is left behind.
template <typename FillCell>
HRESULT MakeRowArray(size_t rowCount, size_t columnCount, FillCell&& fillCell, SAFEARRAY** rows)
{
    struct ArrayDestroyer {
        void operator()(SAFEARRAY* array) const { ::SafeArrayDestroy(array); }
    };
    *rows = nullptr;
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(rowCount), 0}, {static_cast<ULONG>(columnCount), 0}};
    std::unique_ptr<SAFEARRAY, ArrayDestroyer> array(::SafeArrayCreate(VT_VARIANT, 2, bounds));
    if (!array)
        return E_OUTOFMEMORY;
    for (size_t r = 0; r < rowCount; ++r) {
        for (size_t c = 0; c < columnCount; ++c) {
            OwnedVariant cell;
            fillCell(r, c, &cell.value);
            LONG at[2] = {static_cast<LONG>(r), static_cast<LONG>(c)};
            if (const HRESULT hr = ::SafeArrayPutElement(array.get(), at, &cell.value); FAILED(hr))
                return hr;
        }
    }
    *rows = array.release();
    return S_OK;
}

} // namespace outlook_standin
