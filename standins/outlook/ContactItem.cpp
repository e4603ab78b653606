#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"

namespace outlook_standin {

namespace {

std::vector<std::wstring> ContactMembers()
{
    // The contact properties first, so property n has DISPID n + 1.
    std::vector<std::wstring> members(std::begin(tessaly::outlook::kContactProperties),
                                      std::end(tessaly::outlook::kContactProperties));
    members.insert(members.end(), {L"Save", L"Class", L"Delete", L"EntryID", L"MessageClass"});
    return members;
}

const std::vector<std::wstring> kMembers = ContactMembers();

const DISPID kProperties = 18;
const DISPID kSave = kProperties + 1;
const DISPID kClass = kProperties + 2;
const DISPID kDelete = kProperties + 3;
const DISPID kEntryID = kProperties + 4;
const DISPID kMessageClass = kProperties + 5;

// Changes stay in the object until Save puts them into the store.
class ContactItem final : public DispatchObject {
public:
    explicit ContactItem(const StoredItem& item) : DispatchObject(kMembers), item_(item) {}

protected:
    bool Answers(REFIID iid) const override { return IsEqualIID(iid, tessaly::outlook::IID__ContactItem) != 0; }

    void Call(DISPID id, const CallArgs& args, VARIANT* result) override
    {
        if (id <= kProperties) {
            std::wstring& field = item_.fields[static_cast<size_t>(id) - 1];
            if (args.IsPut())
                field = args.PutText();
            else
                ReturnText(result, field);
            return;
        }
        if (args.IsPut())
            Fail(DISP_E_MEMBERNOTFOUND);
        Store& store = Store::Instance();
        switch (id) {
        case kSave:
            item_.id = store.SaveItem(item_);
            break;
        case kClass:
            ReturnInteger(result, tessaly::outlook::olContact);
            break;
        case kEntryID:
            ReturnText(result, EntryIdOf(item_.id));
            break;
        case kMessageClass:
            ReturnText(result, L"IPM.Contact");
            break;
        case kDelete: {
            const std::vector<int>& items = store.Folder(item_.folder).items;
            for (size_t i = 0; i < items.size(); ++i) {
                if (items[i] == item_.id) {
                    store.RemoveItem(item_.folder, static_cast<int>(i) + 1);
                    break;
                }
            }
            break;
        }
        }
    }

private:
    StoredItem item_;
};

} // namespace

ComPtr<IDispatch> NewContactItem(const StoredItem& item)
{
    return Make<ContactItem>(item);
}

} // namespace outlook_standin
