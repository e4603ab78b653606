#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"

namespace outlook_standin {

namespace {

const std::vector<std::wstring> kMembers = {L"Count", L"Item", L"Add", L"Remove"};

class Items final : public DispatchObject {
public:
    explicit Items(int folder) : DispatchObject(kMembers), folder_(folder) {}

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
            const StoredItem& item = store.Item(AtIndex(items, args.Integer(0)));
            ReturnObject(result, item.kind == olDistributionListItem ? NewDistListItem(item) : NewContactItem(item));
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
            store.RemoveItem(folder_, args.Integer(0));
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

} // namespace outlook_standin
