#include "Guard.h"
#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"

namespace outlook_standin {

namespace {

// A distribution list with a name and no members: enough to be an item that is not a contact.
const std::vector<std::wstring> kMembers = {L"DLName",       L"Save",         L"Class",
                                            L"MemberCount",  L"EntryID",      L"MessageClass",
                                            L"Delete",       L"CreationTime", L"LastModificationTime",
                                            L"Body",         L"RTFBody",      L"PropertyAccessor",
                                            L"GetMember",    L"SaveAs"};

class DistListItem final : public DispatchObject {
public:
    explicit DistListItem(const StoredItem& item) : DispatchObject(kMembers), item_(item) {}

protected:
    enum {
        kDLName = 1, kSave, kClass, kMemberCount, kEntryID, kMessageClass, kDelete, kCreationTime,
        kLastModificationTime, kBody, kRTFBody, kPropertyAccessor, kGetMember, kSaveAs
    };

    void Call(DISPID id, const CallArgs& args, VARIANT* result) override
    {
        if (args.IsPut()) {
            if (id == kBody || id == kRTFBody)
                Fail(E_NOTIMPL, L"The stand-in keeps no " + kMembers[static_cast<size_t>(id) - 1] + L".");
            if (id != kDLName)
                Fail(DISP_E_MEMBERNOTFOUND);
            item_.listName = args.PutText();
            return;
        }
        Store& store = Store::Instance();
        switch (id) {
        case kDLName:
            ReturnText(result, item_.listName);
            break;
        case kSave:
            item_ = store.SaveItem(item_);
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
        case kDelete:
            if (item_.id != 0 && store.HasItem(item_.id))
                store.DeleteItem(item_.id);
            break;
        case kCreationTime:
            ReturnTime(result, item_.created);
            break;
        case kLastModificationTime:
            ReturnTime(result, item_.modified);
            break;
        case kBody:
        case kRTFBody:
            AskGuard();
            ReturnText(result, L"");
            break;
        case kPropertyAccessor:
            AskGuard();
            Fail(E_NOTIMPL, L"The stand-in has no PropertyAccessor.");
        case kGetMember:
            AskGuard();
            Fail(DISP_E_BADINDEX, L"Array index out of bounds."); // the list has no members
        case kSaveAs:
            AskGuard();
            Fail(E_NOTIMPL, L"The stand-in saves no item as a file.");
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
