#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"

namespace outlook_standin {

namespace {

const std::vector<std::wstring> kMembers = {L"Logon", L"Logoff",        L"GetDefaultFolder", L"Application",
                                            L"Type",  L"GetItemFromID", L"GetFolderFromID"};

// OlDefaultFolders
constexpr int olFolderDeletedItems = 3;

// MAPI_E_NOT_FOUND
constexpr HRESULT kNotFound = static_cast<HRESULT>(0x8004010F);

class NameSpace final : public DispatchObject {
public:
    NameSpace() : DispatchObject(kMembers) {}

protected:
    enum { kLogon = 1, kLogoff, kGetDefaultFolder, kApplication, kType, kGetItemFromID, kGetFolderFromID };

    void Call(DISPID id, const CallArgs& args, VARIANT* result) override
    {
        if (args.IsPut())
            Fail(DISP_E_MEMBERNOTFOUND);
        switch (id) {
        case kLogon:
            // Profile, Password, ShowDialog, NewSession: there is one profile, always open.
            args.ExpectAtMost(4);
            break;
        case kLogoff:
            break;
        case kGetDefaultFolder: {
            const int kind = args.Integer(0);
            if (kind == tessaly::outlook::olFolderContacts)
                ReturnObject(result, NewFolder(Store::kContactsFolder));
            else if (kind == olFolderDeletedItems)
                ReturnObject(result, NewFolder(Store::kDeletedItemsFolder));
            else
                Fail(E_INVALIDARG, L"The stand-in has no default folder of this kind.");
            break;
        }
        case kApplication:
            ReturnObject(result, NewApplication());
            break;
        case kType:
            ReturnText(result, L"MAPI");
            break;
        case kGetItemFromID: {
            // EntryIDItem and the optional EntryIDStore: there is one store.
            args.ExpectAtMost(2);
            const Store& store = Store::Instance();
            const int item = ItemIdOf(args.Text(0));
            if (item == 0 || !store.HasItem(item))
                Fail(kNotFound, L"The operation failed. An object could not be found.");
            ReturnObject(result, NewItemObject(store.Item(item)));
            break;
        }
        case kGetFolderFromID: {
            // EntryIDFolder and the optional EntryIDStore, which must name this store.
            args.ExpectAtMost(2);
            const Store& store = Store::Instance();
            const int folder = ItemIdOf(args.Text(0));
            const bool otherStore = args.Given(1) && ::lstrcmpiW(args.Text(1).c_str(), store.Identity().c_str()) != 0;
            if (folder == 0 || otherStore || !store.HasFolder(folder))
                Fail(kNotFound, L"The operation failed. An object could not be found.");
            ReturnObject(result, NewFolder(folder));
            break;
        }
        }
    }
};

} // namespace

ComPtr<IDispatch> NewNameSpace()
{
    return Make<NameSpace>();
}

} // namespace outlook_standin
