#include "Guard.h"
#include "Objects.h"

#include "destinations/outlook/OutlookMembers.h"

#include <algorithm>
#include <array>

namespace outlook_standin {

namespace {

// Protected properties the stand-in keeps no value of: a get meets the guard and then
// shows nothing; a put is refused rather than silently dropped.
const std::array<const wchar_t*, 16> kUnkeptProtected = {
    L"Body",           L"Email1AddressType", L"Email1DisplayName", L"Email1EntryID",
    L"Email2Address",  L"Email2AddressType", L"Email2DisplayName", L"Email2EntryID",
    L"Email3Address",  L"Email3AddressType", L"Email3DisplayName", L"Email3EntryID",
    L"IMAddress",      L"NetMeetingAlias",   L"ReferredBy",        L"RTFBody"};

std::vector<std::wstring> ContactMembers()
{
    // The contact properties first, so property n has DISPID n + 1.
    std::vector<std::wstring> members(std::begin(tessaly::outlook::kContactProperties),
                                      std::end(tessaly::outlook::kContactProperties));
    members.insert(members.end(), {L"Save", L"Class", L"Delete", L"EntryID", L"MessageClass", L"CreationTime",
                                   L"LastModificationTime", L"PropertyAccessor", L"SaveAs"});
    members.insert(members.end(), kUnkeptProtected.begin(), kUnkeptProtected.end());
    return members;
}

const std::vector<std::wstring> kMembers = ContactMembers();

const DISPID kProperties = 18;
const DISPID kSave = kProperties + 1;
const DISPID kClass = kProperties + 2;
const DISPID kDelete = kProperties + 3;
const DISPID kEntryID = kProperties + 4;
const DISPID kMessageClass = kProperties + 5;
const DISPID kCreationTime = kProperties + 6;
const DISPID kLastModificationTime = kProperties + 7;
const DISPID kPropertyAccessor = kProperties + 8;
const DISPID kSaveAs = kProperties + 9;
const DISPID kFirstUnkept = kProperties + 10;

// Which of the record's properties the guard protects: the e-mail address.
bool IsProtectedProperty(DISPID id)
{
    return std::wstring(tessaly::outlook::kContactProperties[id - 1]) == L"Email1Address";
}

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
            if (args.IsPut()) {
                field = args.PutText();
                return;
            }
            if (IsProtectedProperty(id))
                AskGuard();
            ReturnText(result, field);
            return;
        }
        if (id >= kFirstUnkept) {
            if (args.IsPut())
                Fail(E_NOTIMPL, L"The stand-in keeps no " + kMembers[static_cast<size_t>(id) - 1] + L".");
            AskGuard();
            ReturnText(result, L"");
            return;
        }
        if (args.IsPut())
            Fail(DISP_E_MEMBERNOTFOUND);
        Store& store = Store::Instance();
        switch (id) {
        case kSave:
            item_ = store.SaveItem(item_);
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
        case kCreationTime:
            ReturnTime(result, item_.created);
            break;
        case kLastModificationTime:
            ReturnTime(result, item_.modified);
            break;
        case kPropertyAccessor:
            AskGuard();
            Fail(E_NOTIMPL, L"The stand-in has no PropertyAccessor.");
        case kSaveAs:
            AskGuard();
            Fail(E_NOTIMPL, L"The stand-in saves no item as a file.");
        case kDelete:
            // An item never saved is in no folder; deleting it discards it.
            if (item_.id != 0 && store.HasItem(item_.id))
                store.DeleteItem(item_.id);
            break;
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
