#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"
#include "standins/common/EnvironmentText.h"

#include <cwchar>

namespace outlook_standin {

namespace {

const std::vector<std::wstring> kMembersBefore2007 = {L"Name",           L"Folders",         L"Items",
                                                      L"Application",    L"ShowAsOutlookAB", L"DefaultItemType",
                                                      L"EntryID",        L"StoreID"};
// Outlook 2007 (version 12) added the table; GetTable comes last so the ids above stay.
const std::vector<std::wstring> kMembers = [] {
    std::vector<std::wstring> members = kMembersBefore2007;
    members.push_back(L"GetTable");
    return members;
}();

constexpr int kFirstVersionWithTable = 12;

// OlTableContents
constexpr int olHiddenItems = 1;
// OlItemType of a mail folder such as Deleted Items
constexpr int olMailItem = 0;

const std::vector<std::wstring>& MembersOfThisVersion()
{
    const int major = static_cast<int>(std::wcstol(Store::Instance().Version().c_str(), nullptr, 10));
    return major < kFirstVersionWithTable ? kMembersBefore2007 : kMembers;
}

class Folder final : public DispatchObject {
public:
    explicit Folder(int id) : DispatchObject(MembersOfThisVersion()), id_(id) {}

protected:
    enum { kName = 1, kFolders, kItems, kApplication, kShowAsOutlookAB, kDefaultItemType, kEntryID, kStoreID, kGetTable };

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
            ReturnInteger(result, id_ == Store::kDeletedItemsFolder ? olMailItem : tessaly::outlook::olContactItem);
            break;
        case kEntryID:
            ReturnText(result, EntryIdOf(id_));
            break;
        case kStoreID:
            ReturnText(result, store.Identity());
            break;
        case kGetTable:
            ReturnObject(result, GetTable(args));
            break;
        }
    }

private:
    // Filter and TableContents. The stand-in evaluates no filter; TESSALY_OUTLOOK_REFUSE_TABLE
    // makes it refuse the table, as a store that does not offer one does.
    ComPtr<IDispatch> GetTable(const CallArgs& args) const
    {
        args.ExpectAtMost(2);
        if (!standins::EnvironmentText(L"TESSALY_OUTLOOK_REFUSE_TABLE").empty())
            Fail(kNoSupport, L"The operation is not supported for this type of folder.");
        if (args.Given(0) && !args.Text(0).empty())
            Fail(E_INVALIDARG, L"The stand-in evaluates no table filter.");
        const bool hidden = args.Given(1) && args.Integer(1) == olHiddenItems;
        return NewTable(id_, hidden);
    }

    // MAPI_E_NO_SUPPORT
    static constexpr HRESULT kNoSupport = static_cast<HRESULT>(0x80040102);

    int id_;
};

} // namespace

ComPtr<IDispatch> NewFolder(int folder)
{
    return Make<Folder>(folder);
}

} // namespace outlook_standin
