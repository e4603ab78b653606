#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"

namespace outlook_standin {

namespace {

const std::vector<std::wstring> kMembers = {L"Name", L"Folders", L"Items",
                                            L"Application", L"ShowAsOutlookAB", L"DefaultItemType"};

class Folder final : public DispatchObject {
public:
    explicit Folder(int id) : DispatchObject(kMembers), id_(id) {}

protected:
    enum { kName = 1, kFolders, kItems, kApplication, kShowAsOutlookAB, kDefaultItemType };

    void Call(DISPID id, const CallArgs& args, VARIANT* result) override
    {
        Store& store = Store::Instance();
        const StoredFolder& folder = store.Folder(id_);
        if (args.IsPut()) {
            if (id != kShowAsOutlookAB)
                Fail(DISP_E_MEMBERNOTFOUND);
            store.SetShowAsAddressBook(id_, args.PutBoolean());
            return;
        }
        switch (id) {
        case kName:
            ReturnText(result, folder.name);
            break;
        case kFolders:
            ReturnObject(result, NewFolders(id_));
            break;
        case kItems:
            ReturnObject(result, NewItems(id_));
            break;
        case kApplication:
            ReturnObject(result, NewApplication());
            break;
        case kShowAsOutlookAB:
            ReturnBoolean(result, folder.showAsAddressBook);
            break;
        case kDefaultItemType:
            ReturnInteger(result, tessaly::outlook::olContactItem);
            break;
        }
    }

private:
    int id_;
};

} // namespace

ComPtr<IDispatch> NewFolder(int folder)
{
    return Make<Folder>(folder);
}

} // namespace outlook_standin
