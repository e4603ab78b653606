#include "CollectionMembers.h"
#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"

#include <cwchar>
#include <iterator>

namespace outlook_standin {

namespace {

class Items final : public DispatchObject {
public:
    explicit Items(int folder) : DispatchObject(kItemsMembers), folder_(folder) {}

protected:
    enum { kCount = 1, kItem, kAdd, kRemove };

    void Call(DISPID id, const CallArgs& args, VARIANT* result) override
    {
        using namespace tessaly::outlook;
        if (args.IsPut())
            Fail(DISP_E_MEMBERNOTFOUND);
        Store& store = Store::Instance();
        const std::vector<int>& items = store.Folder(folder_).items;
        switch (id) {
        case kCount:
            ReturnInteger(result, static_cast<int>(items.size()));
            break;
        case kItem: {
            ReturnObject(result, NewItemObject(store.Item(AtIndex(items, args.Integer(0)))));
            break;
        }
        case kAdd: {
            StoredItem item;
            item.folder = folder_;
            item.kind = args.Given(0) ? args.Integer(0) : olContactItem;
            if (item.kind == olContactItem)
                ReturnObject(result, NewContactItem(item));
            else if (item.kind == olDistributionListItem)
                ReturnObject(result, NewDistListItem(item));
            else
                Fail(E_INVALIDARG, L"This folder holds only contacts and distribution lists.");
            break;
        }
        case kRemove:
            store.DeleteItem(AtIndex(items, args.Integer(0)));
            break;
        }
    }

private:
    int folder_;
};

} // namespace

ComPtr<IDispatch> NewItems(int folder)
{
    return Make<Items>(folder);
}

ComPtr<IDispatch> NewItemObject(const StoredItem& item)
{
    return item.kind == tessaly::outlook::olDistributionListItem ? NewDistListItem(item) : NewContactItem(item);
}

namespace {

// Flags, then the store's provider id: the part every EntryID of this store shares.
const wchar_t kEntryIdPrefix[] = L"000000007E0B46D348F44E2F972108781A947007";
constexpr size_t kPrefixLength = std::size(kEntryIdPrefix) - 1;
constexpr size_t kIdDigits = 8;

} // namespace

std::wstring EntryIdOf(int item)
{
    if (item == 0)
        return {};
    wchar_t digits[kIdDigits + 1];
    std::swprintf(digits, std::size(digits), L"%08X", static_cast<unsigned>(item));
    return kEntryIdPrefix + std::wstring(digits);
}

int ItemIdOf(const std::wstring& entryId)
{
    if (entryId.size() != kPrefixLength + kIdDigits ||
        ::_wcsnicmp(entryId.c_str(), kEntryIdPrefix, kPrefixLength) != 0)
        return 0;
    unsigned long id = 0;
    for (size_t i = kPrefixLength; i < entryId.size(); ++i) {
        const wchar_t c = entryId[i];
        unsigned digit = 0;
        if (c >= L'0' && c <= L'9')
            digit = static_cast<unsigned>(c - L'0');
        else if (c >= L'A' && c <= L'F')
            digit = static_cast<unsigned>(c - L'A' + 10);
        else if (c >= L'a' && c <= L'f')
            digit = static_cast<unsigned>(c - L'a' + 10);
        else
            return 0;
        id = id * 16 + digit;
    }
    return static_cast<int>(id);
}

} // namespace outlook_standin
