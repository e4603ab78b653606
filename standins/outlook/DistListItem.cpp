#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"

namespace outlook_standin {

namespace {

// A distribution list with a name and no members: enough to be an item that is not a contact.
const std::vector<std::wstring> kMembers = {L"DLName", L"Save", L"Class", L"MemberCount", L"EntryID", L"MessageClass"};

class DistListItem final : public DispatchObject {
public:
    explicit DistListItem(const StoredItem& item) : DispatchObject(kMembers), item_(item) {}

protected:
    enum { kDLName = 1, kSave, kClass, kMemberCount, kEntryID, kMessageClass };

    void Call(DISPID id, const CallArgs& args, VARIANT* result) override
    {
        if (args.IsPut()) {
            if (id != kDLName)
                Fail(DISP_E_MEMBERNOTFOUND);
            item_.listName = args.PutText();
            return;
        }
        switch (id) {
        case kDLName:
            ReturnText(result, item_.listName);
            break;
        case kSave:
            item_.id = Store::Instance().SaveItem(item_);
            break;
        case kClass:
            ReturnInteger(result, tessaly::outlook::olDistributionList);
            break;
        case kMemberCount:
            ReturnInteger(result, 0);
            break;
        case kEntryID:
            ReturnText(result, EntryIdOf(item_.id));
            break;
        case kMessageClass:
            ReturnText(result, L"IPM.DistList");
            break;
        }
    }

private:
    StoredItem item_;
};

} // namespace

ComPtr<IDispatch> NewDistListItem(const StoredItem& item)
{
    return Make<DistListItem>(item);
}

} // namespace outlook_standin
