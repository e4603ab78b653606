// Folder.GetTable's rowset: the folder's items as rows, a chosen set of properties as
// columns, read from a current row onwards. It reads the store on every call, so rows
// added or removed meanwhile show, as Outlook's dynamic rowset does.
#include "Guard.h"
#include "Objects.h"
#include "TableRows.h"

#include "destinations/outlook/OutlookMembers.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <memory>

namespace outlook_standin {

namespace {

using tessaly::outlook::kContactProperties;

// What a column shows of an item.
enum class Source { EntryId, Subject, MessageClass, Created, Modified, NotKept, Field };

struct KnownColumn {
    const wchar_t* name;
    Source source;
    size_t field; // for Source::Field
};

std::vector<KnownColumn> KnownColumns()
{
    // The split name parts are real properties the stand-in keeps no value of: an item
    // without a property shows an empty value in its column.
    std::vector<KnownColumn> known = {
        {L"EntryID", Source::EntryId, 0},         {L"Subject", Source::Subject, 0},
        {L"CreationTime", Source::Created, 0},    {L"LastModificationTime", Source::Modified, 0},
        {L"MessageClass", Source::MessageClass, 0}, {L"FirstName", Source::NotKept, 0},
        {L"LastName", Source::NotKept, 0},
    };
    for (size_t i = 0; i < std::size(kContactProperties); ++i)
        known.push_back({kContactProperties[i], Source::Field, i});
    return known;
}

const std::vector<KnownColumn> kKnownColumns = KnownColumns();

// Computed properties: Outlook refuses them as columns whatever the name's form.
const std::array<const wchar_t*, 24> kBlocked = {
    L"AutoResolvedWinner", L"BodyFormat",        L"Class",       L"ContactNames",   L"Companies",
    L"DLName",             L"DownloadState",     L"FlagIcon",    L"HtmlBody",       L"InternetCodePage",
    L"IsConflict",         L"IsMarkedAsTask",    L"MeetingWorkspaceURL", L"MemberCount", L"Permission",
    L"PermissionService",  L"RecurrenceState",   L"ResponseState", L"Saved",        L"Sent",
    L"Submitted",          L"TaskSubject",       L"Unread",      L"VotingOptions"};

const KnownColumn& ColumnNamed(const std::wstring& name)
{
    for (const wchar_t* blocked : kBlocked) {
        if (::lstrcmpiW(blocked, name.c_str()) == 0)
            Fail(E_INVALIDARG, L"The property \"" + name + L"\" cannot be added to a table.");
    }
    for (const KnownColumn& column : kKnownColumns) {
        if (::lstrcmpiW(column.name, name.c_str()) == 0)
            return column;
    }
    Fail(E_INVALIDARG, L"The property \"" + name + L"\" is unknown.");
}

// Empty text is a property the item does not have: an empty value, not an empty string.
void ReturnStored(VARIANT* result, const std::wstring& text)
{
    if (!text.empty())
        ReturnText(result, text);
}

void ReturnValue(VARIANT* result, const StoredItem& item, const KnownColumn& column)
{
    const bool contact = item.kind == tessaly::outlook::olContactItem;
    switch (column.source) {
    case Source::EntryId:
        ReturnText(result, EntryIdOf(item.id));
        break;
    case Source::Subject:
        ReturnStored(result, contact ? item.fields[2] : item.listName);
        break;
    case Source::MessageClass:
        ReturnText(result, contact ? L"IPM.Contact" : L"IPM.DistList");
        break;
    case Source::Created:
        ReturnTime(result, item.created);
        break;
    case Source::Modified:
        ReturnTime(result, item.modified);
        break;
    case Source::NotKept:
        break;
    case Source::Field:
        if (contact)
            ReturnStored(result, item.fields[column.field]);
        break;
    }
}

// What a table and its column collection share.
struct TableState {
    int folder = 0;
    bool hidden = false;
    std::vector<const KnownColumn*> columns;
    size_t position = 0; // rows read so far

    std::vector<int> Rows() const
    {
        return hidden ? std::vector<int>{} : Store::Instance().Folder(folder).items;
    }
};

const std::vector<std::wstring> kColumnMembers = {L"Name"};

class Column final : public DispatchObject {
public:
    explicit Column(std::wstring name) : DispatchObject(kColumnMembers), name_(std::move(name)) {}

protected:
    void Call(DISPID, const CallArgs& args, VARIANT* result) override
    {
        if (args.IsPut())
            Fail(DISP_E_MEMBERNOTFOUND);
        ReturnText(result, name_);
    }

private:
    std::wstring name_;
};

const std::vector<std::wstring> kColumnsMembers = {L"Count", L"Item", L"Add", L"Remove", L"RemoveAll"};

class Columns final : public DispatchObject {
public:
    explicit Columns(std::shared_ptr<TableState> table) : DispatchObject(kColumnsMembers), table_(std::move(table)) {}

protected:
    enum { kCount = 1, kItem, kAdd, kRemove, kRemoveAll };

    void Call(DISPID id, const CallArgs& args, VARIANT* result) override
    {
        if (args.IsPut())
            Fail(DISP_E_MEMBERNOTFOUND);
        std::vector<const KnownColumn*>& columns = table_->columns;
        switch (id) {
        case kCount:
            ReturnInteger(result, static_cast<int>(columns.size()));
            break;
        case kItem:
            ReturnObject(result, Make<Column>(columns[Find(args)]->name));
            break;
        case kAdd: {
            // Protected: the guard may refuse it before the name is looked at. A refused
            // name leaves the table as it was; an accepted one resets it.
            AskGuard();
            const KnownColumn& column = ColumnNamed(args.Text(0));
            columns.push_back(&column);
            table_->position = 0;
            ReturnObject(result, Make<Column>(column.name));
            break;
        }
        case kRemove:
            columns.erase(columns.begin() + static_cast<std::ptrdiff_t>(Find(args)));
            table_->position = 0;
            break;
        case kRemoveAll:
            columns.clear();
            table_->position = 0;
            break;
        }
    }

private:
    // By 1-based index or by name.
    size_t Find(const CallArgs& args) const
    {
        const std::vector<const KnownColumn*>& columns = table_->columns;
        const VARIANT& key = args.Raw(0);
        if (key.vt == VT_BSTR) {
            for (size_t i = 0; i < columns.size(); ++i) {
                if (::lstrcmpiW(columns[i]->name, key.bstrVal ? key.bstrVal : L"") == 0)
                    return i;
            }
            Fail(E_INVALIDARG, L"The column could not be found.");
        }
        const int index = args.Integer(0);
        if (index < 1 || static_cast<size_t>(index) > columns.size())
            Fail(DISP_E_BADINDEX, L"Array index out of bounds.");
        return static_cast<size_t>(index) - 1;
    }

    std::shared_ptr<TableState> table_;
};

const std::vector<std::wstring> kTableMembers = {L"GetArray", L"EndOfTable", L"Columns", L"GetRowCount",
                                                 L"MoveToStart"};

class Table final : public DispatchObject {
public:
    explicit Table(std::shared_ptr<TableState> state) : DispatchObject(kTableMembers), state_(std::move(state)) {}

protected:
    enum { kGetArray = 1, kEndOfTable, kColumns, kGetRowCount, kMoveToStart };

    void Call(DISPID id, const CallArgs& args, VARIANT* result) override
    {
        if (args.IsPut())
            Fail(DISP_E_MEMBERNOTFOUND);
        switch (id) {
        case kGetArray:
            GetArray(args.Integer(0), result);
            break;
        case kEndOfTable:
            ReturnBoolean(result, state_->position >= state_->Rows().size());
            break;
        case kColumns:
            ReturnObject(result, Make<Columns>(state_));
            break;
        case kGetRowCount:
            ReturnInteger(result, static_cast<int>(state_->Rows().size()));
            break;
        case kMoveToStart:
            state_->position = 0;
            break;
        }
    }

private:
    // Rows from the current one on, at most `maxRows`, as array(row, column) from 0;
    // past the end, an array of no rows. Outlook 2007 refuses more rows than the table
    // holds, as its documentation of the method says; this takes the stricter reading, more
    // rows than are left from the current one, which a careful caller meets either way.
    // Later versions hand out the rest.
    void GetArray(int maxRows, VARIANT* result)
    {
        if (maxRows <= 0)
            Fail(E_INVALIDARG, L"The number of rows must be greater than zero.");
        const std::vector<int> rows = state_->Rows();
        const int major = static_cast<int>(std::wcstol(Store::Instance().Version().c_str(), nullptr, 10));
        const size_t left = rows.size() - std::min(state_->position, rows.size());
        if (major == 12 && static_cast<size_t>(maxRows) > left)
            Fail(E_INVALIDARG, L"Could not complete the operation. One or more parameter values are not valid.");
        const size_t first = std::min(state_->position, rows.size());
        const size_t count = std::min(rows.size() - first, static_cast<size_t>(maxRows));
        const std::vector<const KnownColumn*>& columns = state_->columns;

        const Store& store = Store::Instance();
        std::vector<const StoredItem*> items;
        for (size_t r = 0; r < count; ++r)
            items.push_back(&store.Item(rows[first + r]));
        SAFEARRAY* array = nullptr;
        const HRESULT made = MakeRowArray(
            count, columns.size(),
            [&](size_t row, size_t column, VARIANT* value) { ReturnValue(value, *items[row], *columns[column]); },
            &array);
        if (FAILED(made))
            Fail(made);
        state_->position = first + count;
        result->vt = VT_ARRAY | VT_VARIANT;
        result->parray = array;
    }

    std::shared_ptr<TableState> state_;
};

} // namespace

ComPtr<IDispatch> NewTable(int folder, bool hidden)
{
    auto state = std::make_shared<TableState>();
    state->folder = folder;
    state->hidden = hidden;
    // The hidden items' table has a mail folder's columns, the first five.
    const size_t defaults = hidden ? 5 : kDefaultContactColumns.size();
    for (size_t i = 0; i < defaults; ++i)
        state->columns.push_back(&ColumnNamed(kDefaultContactColumns[i]));
    return Make<Table>(std::move(state));
}

} // namespace outlook_standin
