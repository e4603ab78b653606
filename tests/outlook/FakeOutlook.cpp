#include "FakeOutlook.h"

#include "base/WideText.h"
#include "destinations/outlook/OutlookMembers.h"
#include "standins/outlook/CollectionMembers.h"
#include "standins/outlook/TableRows.h"

#include <algorithm>
#include <functional>
#include <utility>

namespace fake_outlook {

namespace {

std::wstring NewEntryId()
{
    static int last = 0;
    return L"00EE" + std::to_wstring(++last);
}

// One clock for every item, so no two saves share a time.
int NextModificationTime()
{
    static int now = 0;
    return ++now;
}

std::string Narrow(const std::wstring& text)
{
    return tessaly::WideToAnsi(text.c_str(), static_cast<int>(text.size()));
}

std::string Render(const VARIANT& value)
{
    switch (value.vt) {
    case VT_I4: return std::to_string(value.lVal);
    case VT_BOOL: return value.boolVal == VARIANT_TRUE ? "true" : value.boolVal == VARIANT_FALSE ? "false" : "bool?";
    case VT_BSTR: return std::string(1, '"').append(Narrow(value.bstrVal ? value.bstrVal : L"")).append(1, '"');
    case VT_ERROR: return value.scode == DISP_E_PARAMNOTFOUND ? "missing" : "error";
    default: return "vt" + std::to_string(value.vt);
    }
}

std::wstring Text(const VARIANT& value)
{
    return value.vt == VT_BSTR && value.bstrVal ? std::wstring(value.bstrVal, ::SysStringLen(value.bstrVal)) : L"";
}

void ReturnObject(VARIANT* result, IDispatch* object)
{
    result->vt = VT_DISPATCH;
    result->pdispVal = object;
}

void ReturnText(VARIANT* result, const std::wstring& text)
{
    result->vt = VT_BSTR;
    result->bstrVal = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

void ReturnInteger(VARIANT* result, int value)
{
    result->vt = VT_I4;
    result->lVal = value;
}

struct Call {
    std::wstring member;
    std::vector<VARIANT> args; // in call order
    const VARIANT* put = nullptr;
};

// Members are found by name only; each object labels its log entries.
class Object : public IDispatch {
public:
    Object(World& world, std::string label, std::vector<std::wstring> members)
        : world_(world), label_(std::move(label)), members_(std::move(members))
    {
        ++world_.liveObjects;
    }
    virtual ~Object() { --world_.liveObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || Answers(iid)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        world_.lookups.push_back(label_ + "." + Narrow(names[0]));
        for (size_t i = 0; i < members_.size(); ++i) {
            if (count == 1 && members_[i] == names[0]) {
                ids[0] = static_cast<DISPID>(i) + world_.firstId;
                return S_OK;
            }
        }
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) override
    {
        if (id < world_.firstId || static_cast<size_t>(id - world_.firstId) >= members_.size())
            return DISP_E_MEMBERNOTFOUND;
        Call call;
        call.member = members_[static_cast<size_t>(id - world_.firstId)];
        const bool put = (flags & DISPATCH_PROPERTYPUT) != 0;
        if (put && (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT))
            return DISP_E_PARAMNOTOPTIONAL;
        const UINT first = put ? 1 : 0;
        for (UINT i = params->cArgs; i > first; --i)
            call.args.push_back(params->rgvarg[i - 1]);
        if (put)
            call.put = &params->rgvarg[0];

        std::string entry = label_;
        entry.append(1, '.').append(Narrow(call.member));
        if (put) {
            entry.append(1, '=').append(Render(*call.put));
        } else if (!call.args.empty()) {
            for (size_t i = 0; i < call.args.size(); ++i)
                entry.append(1, i ? ',' : '(').append(Render(call.args[i]));
            entry.append(1, ')');
        }
        world_.calls.push_back(entry);

        if (world_.failure && entry.rfind(world_.failure->call, 0) == 0 && --world_.failure->occurrence == 0) {
            const Failure failure = *world_.failure;
            if (!failure.exceptionInfo)
                return failure.code;
            *exception = EXCEPINFO{};
            exception->scode = failure.code;
            if (!failure.description.empty())
                exception->bstrDescription = ::SysAllocString(failure.description.c_str());
            return DISP_E_EXCEPTION;
        }
        VARIANT ignored;
        ::VariantInit(&ignored);
        VARIANT* answer = result ? result : &ignored;
        ::VariantInit(answer);
        const HRESULT hr = Handle(call, answer);
        ::VariantClear(&ignored);
        return hr;
    }

protected:
    virtual bool Answers(REFIID) const { return false; }
    virtual HRESULT Handle(const Call& call, VARIANT* result) = 0;

    World& world_;

private:
    ULONG references_ = 1;
    std::string label_;
    std::vector<std::wstring> members_;
};

IDispatch* NewApplication(World& world);

class ItemObject final : public Object {
public:
    ItemObject(World& world, std::shared_ptr<Item> item, std::shared_ptr<Folder> folder)
        : Object(world, "Item", Members()), item_(std::move(item)), folder_(std::move(folder))
    {
    }

private:
    static std::vector<std::wstring> Members()
    {
        std::vector<std::wstring> members(std::begin(tessaly::outlook::kContactProperties),
                                          std::end(tessaly::outlook::kContactProperties));
        // A few more that a wrong table might reach for.
        members.insert(members.end(),
                       {L"Save", L"Delete", L"EntryID", L"BusinessHomePage", L"Email", L"Company", L"WebPage"});
        return members;
    }
    bool Answers(REFIID iid) const override
    {
        return item_->contact && IsEqualIID(iid, tessaly::outlook::IID__ContactItem);
    }
    HRESULT Handle(const Call& call, VARIANT* result) override
    {
        if (call.member == L"Save") {
            if (!item_->saved) {
                folder_->items.push_back(item_);
                item_->entryId = NewEntryId();
            }
            item_->saved = true;
            item_->modified = NextModificationTime();
        } else if (call.member == L"EntryID") {
            ReturnText(result, item_->entryId);
        } else if (call.member == L"Delete") {
            auto& items = folder_->items;
            items.erase(std::remove(items.begin(), items.end(), item_), items.end());
        } else if (call.put != nullptr) {
            item_->properties[call.member] = Text(*call.put);
        } else {
            ReturnText(result, item_->properties[call.member]);
        }
        return S_OK;
    }

    std::shared_ptr<Item> item_;
    std::shared_ptr<Folder> folder_;
};

class ItemsObject final : public Object {
public:
    ItemsObject(World& world, std::shared_ptr<Folder> folder)
        : Object(world, "Items", outlook_standin::kItemsMembers), folder_(std::move(folder))
    {
    }

private:
    HRESULT Handle(const Call& call, VARIANT* result) override
    {
        auto& items = folder_->items;
        if (call.member == L"Count") {
            ReturnInteger(result, static_cast<int>(items.size()));
        } else if (call.member == L"Add") {
            auto item = std::make_shared<Item>();
            item->contact = world_.newItemsAreContacts;
            ReturnObject(result, new ItemObject(world_, item, folder_));
        } else {
            const int index = call.args.at(0).lVal;
            if (index < 1 || static_cast<size_t>(index) > items.size())
                return DISP_E_BADINDEX;
            if (call.member == L"Item")
                ReturnObject(result, new ItemObject(world_, items[static_cast<size_t>(index) - 1], folder_));
            else
                items.erase(items.begin() + (index - 1));
        }
        return S_OK;
    }

    std::shared_ptr<Folder> folder_;
};

// A column's value: the EntryID, the message class, the time, or a property (the subject
// is a contact's full name); empty when unset.
void ReturnColumn(VARIANT* result, const Item& item, const std::wstring& column)
{
    if (column == L"EntryID") {
        ReturnText(result, item.entryId);
    } else if (column == L"LastModificationTime") {
        result->vt = VT_DATE;
        result->date = 46000.0 + item.modified / 86400.0;
    } else if (column == L"Subject") {
        ReturnColumn(result, item, L"FullName");
    } else if (column == L"MessageClass") {
        ReturnText(result, item.contact ? L"IPM.Contact" : L"IPM.DistList");
    } else {
        auto found = item.properties.find(column);
        if (found != item.properties.end() && !found->second.empty())
            ReturnText(result, found->second);
    }
}

struct TableState {
    std::shared_ptr<Folder> folder;
    std::vector<std::wstring> columns{outlook_standin::kDefaultContactColumns.begin(),
                                      outlook_standin::kDefaultContactColumns.end()};
    size_t position = 0;
};

class ColumnsObject final : public Object {
public:
    ColumnsObject(World& world, std::shared_ptr<TableState> table)
        : Object(world, "Columns", {L"Count", L"RemoveAll", L"Add"}), table_(std::move(table))
    {
    }

private:
    HRESULT Handle(const Call& call, VARIANT* result) override
    {
        if (call.member == L"Count")
            ReturnInteger(result, static_cast<int>(table_->columns.size()));
        else if (call.member == L"RemoveAll")
            table_->columns.clear();
        else
            table_->columns.push_back(Text(call.args.at(0)));
        table_->position = 0;
        return S_OK;
    }

    std::shared_ptr<TableState> table_;
};

// Rows as array(row, column), as the stand-in gives them.
class TableObject final : public Object {
public:
    TableObject(World& world, std::shared_ptr<Folder> folder)
        : Object(world, "Table", {L"Columns", L"GetRowCount", L"GetArray", L"EndOfTable"}),
          table_(std::make_shared<TableState>())
    {
        table_->folder = std::move(folder);
    }

private:
    HRESULT Handle(const Call& call, VARIANT* result) override
    {
        const auto& items = table_->folder->items;
        if (call.member == L"Columns") {
            ReturnObject(result, new ColumnsObject(world_, table_));
        } else if (call.member == L"GetRowCount") {
            ReturnInteger(result, static_cast<int>(items.size()));
        } else if (call.member == L"EndOfTable") {
            result->vt = VT_BOOL;
            result->boolVal = table_->position >= items.size() ? VARIANT_TRUE : VARIANT_FALSE;
        } else {
            const size_t first = std::min(table_->position, items.size());
            const size_t count = std::min(items.size() - first, static_cast<size_t>(call.args.at(0).lVal));
            SAFEARRAY* array = nullptr;
            const HRESULT made = outlook_standin::MakeRowArray(
                count, table_->columns.size(),
                [&](size_t row, size_t column, VARIANT* value) {
                    ReturnColumn(value, *items[first + row], table_->columns[column]);
                },
                &array);
            if (FAILED(made))
                return made;
            table_->position = first + count;
            result->vt = VT_ARRAY | VT_VARIANT;
            result->parray = array;
        }
        return S_OK;
    }

    std::shared_ptr<TableState> table_;
};

std::vector<std::wstring> FolderMembers(const World& world)
{
    std::vector<std::wstring> members = {L"Name", L"Items", L"Application", L"ShowAsOutlookAB", L"StoreID",
                                         L"EntryID"};
    if (world.tableOffered)
        members.push_back(L"GetTable");
    return members;
}

class FolderObject final : public Object {
public:
    FolderObject(World& world, std::shared_ptr<Folder> folder)
        : Object(world, "Folder", FolderMembers(world)), folder_(std::move(folder))
    {
    }

private:
    HRESULT Handle(const Call& call, VARIANT* result) override
    {
        if (call.member == L"Name")
            ReturnText(result, folder_->name);
        else if (call.member == L"Items")
            ReturnObject(result, new ItemsObject(world_, folder_));
        else if (call.member == L"Application")
            ReturnObject(result, NewApplication(world_));
        else if (call.member == L"GetTable")
            ReturnObject(result, new TableObject(world_, folder_));
        else if (call.member == L"StoreID")
            ReturnText(result, L"00STORE");
        else if (call.member == L"EntryID")
            ReturnText(result, folder_->entryId);
        else if (call.put == nullptr) {
            result->vt = VT_BOOL;
            result->boolVal = folder_->showAsAddressBook.value_or(false) ? VARIANT_TRUE : VARIANT_FALSE;
        } else if (call.put->vt == VT_BOOL)
            folder_->showAsAddressBook = call.put->boolVal != VARIANT_FALSE;
        else
            return DISP_E_TYPEMISMATCH;
        return S_OK;
    }

    std::shared_ptr<Folder> folder_;
};

class FoldersObject final : public Object {
public:
    explicit FoldersObject(World& world) : Object(world, "Folders", outlook_standin::kFoldersMembers) {}

private:
    HRESULT Handle(const Call& call, VARIANT* result) override
    {
        if (call.member == L"Count") {
            ReturnInteger(result, static_cast<int>(world_.folders.size()));
        } else if (call.member == L"Item") {
            const int index = call.args.at(0).lVal;
            if (index < 1 || static_cast<size_t>(index) > world_.folders.size())
                return DISP_E_BADINDEX;
            ReturnObject(result, new FolderObject(world_, world_.folders[static_cast<size_t>(index) - 1]));
        } else {
            ReturnObject(result, new FolderObject(world_, world_.AddFolder(Text(call.args.at(0)))));
        }
        return S_OK;
    }
};

class ContactsObject final : public Object {
public:
    explicit ContactsObject(World& world) : Object(world, "Contacts", {L"Folders"}) {}

private:
    HRESULT Handle(const Call&, VARIANT* result) override
    {
        ReturnObject(result, new FoldersObject(world_));
        return S_OK;
    }
};

class NameSpaceObject final : public Object {
public:
    explicit NameSpaceObject(World& world)
        : Object(world, "NameSpace", {L"Logon", L"GetDefaultFolder", L"GetItemFromID"})
    {
    }

private:
    HRESULT Handle(const Call& call, VARIANT* result) override
    {
        if (call.member == L"GetDefaultFolder" && world_.hasContactsFolder)
            ReturnObject(result, new ContactsObject(world_));
        if (call.member != L"GetItemFromID")
            return S_OK;
        const std::wstring wanted = Text(call.args.at(0));
        for (const auto& folder : world_.folders) {
            for (const auto& item : folder->items) {
                if (item->entryId == wanted) {
                    ReturnObject(result, new ItemObject(world_, item, folder));
                    return S_OK;
                }
            }
        }
        return static_cast<HRESULT>(0x8004010F); // MAPI_E_NOT_FOUND
    }
};

class ApplicationObject final : public Object {
public:
    explicit ApplicationObject(World& world) : Object(world, "Application", {L"Session", L"Version"}) {}

private:
    bool Answers(REFIID iid) const override
    {
        return world_.answersApplication && IsEqualIID(iid, tessaly::outlook::IID__Application);
    }
    HRESULT Handle(const Call& call, VARIANT* result) override
    {
        if (call.member == L"Session")
            ReturnObject(result, new NameSpaceObject(world_));
        else
            ReturnText(result, world_.version);
        return S_OK;
    }
};

IDispatch* NewApplication(World& world)
{
    return new ApplicationObject(world);
}

} // namespace

std::shared_ptr<Folder> World::AddFolder(const std::wstring& name)
{
    auto folder = std::make_shared<Folder>();
    folder->name = name;
    folder->entryId = NewEntryId();
    folders.push_back(folder);
    return folder;
}

HRESULT World::CreateApplication(IDispatch** application)
{
    *application = nullptr;
    if (creationFails)
        return REGDB_E_CLASSNOTREG;
    *application = NewApplication(*this);
    return S_OK;
}

std::vector<std::string> World::CallsStartingWith(const std::string& prefix) const
{
    std::vector<std::string> found;
    for (const std::string& call : calls) {
        if (call.rfind(prefix, 0) == 0)
            found.push_back(call);
    }
    return found;
}

void Item::Edit(const std::wstring& property, const std::wstring& value)
{
    properties[property] = value;
    modified = NextModificationTime();
}

std::shared_ptr<Item> ContactNamed(const std::wstring& fullName)
{
    auto item = std::make_shared<Item>();
    item->saved = true;
    item->entryId = NewEntryId();
    item->modified = NextModificationTime();
    item->properties[L"FullName"] = fullName;
    return item;
}

std::shared_ptr<Item> DistributionList()
{
    auto item = std::make_shared<Item>();
    item->contact = false;
    item->saved = true;
    item->entryId = NewEntryId();
    item->modified = NextModificationTime();
    return item;
}

} // namespace fake_outlook
