#include "FakeAddressBook.h"

#include <algorithm>
#include <cstring>

using Microsoft::WRL::ComPtr;

namespace fakewab {

namespace {

void PutId(ULONG id, ULONG* size, LPENTRYID* out, World& world)
{
    void* buffer = nullptr;
    world.heap.Allocate(8, &buffer);
    std::memset(buffer, 0, 8);
    std::memcpy(static_cast<BYTE*>(buffer) + 4, &id, 4);
    *size = 8;
    *out = static_cast<LPENTRYID>(buffer);
}

ULONG IdOf(ULONG size, LPENTRYID id)
{
    if (size != 8 || !id)
        return 0;
    ULONG value = 0;
    std::memcpy(&value, reinterpret_cast<BYTE*>(id) + 4, 4);
    return value;
}

// Counts itself in the world so tests can see every reference went back.
template <typename Base>
class Counted : public Base {
public:
    explicit Counted(World& world) : world_(world) { ++world_.liveObjects; }
    ~Counted() override { --world_.liveObjects; }

protected:
    World& world_;
};

class Table final : public Counted<wabstandin::TableBase> {
public:
    Table(World& world, std::vector<ULONG> ids) : Counted(world), ids_(std::move(ids)) {}
    HRESULT STDMETHODCALLTYPE WaitForCompletion(ULONG flags, ULONG timeout, ULONG*) override
    {
        return flags == 0 && timeout == 0xFFFFFFFF ? S_OK : MAPI_E_INVALID_PARAMETER;
    }
    HRESULT STDMETHODCALLTYPE SetColumns(LPSPropTagArray tags, ULONG) override
    {
        if (world_.wideColumnsRefused && tags->cValues > 3)
            return MAPI_E_NO_SUPPORT;
        columns_.assign(tags->aulPropTag, tags->aulPropTag + tags->cValues);
        world_.columns.push_back(columns_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SeekRow(BOOKMARK origin, LONG count, LONG*) override
    {
        if (origin != BOOKMARK_BEGINNING || count != 0)
            return MAPI_E_INVALID_PARAMETER;
        at_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryRows(LONG count, ULONG, LPSRowSet* rows) override
    {
        if (count < 1)
            return MAPI_E_INVALID_PARAMETER;
        world_.log.push_back("QueryRows " + std::to_string(count));
        const size_t left = ids_.size() - at_;
        const ULONG n = static_cast<ULONG>(std::min<size_t>(left, static_cast<size_t>(count)));
        void* set = nullptr;
        world_.heap.Allocate(static_cast<ULONG>(CbSRowSet(n > 0 ? n : 1)), &set);
        auto* rowSet = static_cast<LPSRowSet>(set);
        rowSet->cRows = n;
        for (ULONG r = 0; r < n; ++r) {
            const Entry* entry = world_.Find(ids_[at_++]);
            void* props = nullptr;
            world_.heap.Allocate(static_cast<ULONG>(columns_.size() * sizeof(SPropValue)), &props);
            auto* values = static_cast<LPSPropValue>(props);
            for (size_t i = 0; i < columns_.size(); ++i) {
                values[i].ulPropTag = columns_[i];
                if (columns_[i] == PR_DISPLAY_NAME) {
                    values[i].Value.lpszA = world_.heap.CopyText(entry->name.c_str(), props);
                } else if (columns_[i] == PR_OBJECT_TYPE) {
                    values[i].Value.ul = entry->type;
                } else if (columns_[i] == PR_ENTRYID) {
                    BYTE id[8] = {};
                    std::memcpy(id + 4, &entry->id, 4);
                    values[i].Value.bin.cb = 8;
                    values[i].Value.bin.lpb = world_.heap.CopyBytes(id, 8, props);
                } else if (auto text = entry->texts.find(columns_[i]); text != entry->texts.end()) {
                    values[i].Value.lpszA = world_.heap.CopyText(text->second.c_str(), props);
                } else {
                    values[i].ulPropTag = CHANGE_PROP_TYPE(columns_[i], PT_ERROR);
                    values[i].Value.err = MAPI_E_NOT_FOUND;
                }
            }
            rowSet->aRow[r].cValues = static_cast<ULONG>(columns_.size());
            rowSet->aRow[r].lpProps = values;
        }
        *rows = rowSet;
        return S_OK;
    }

private:
    std::vector<ULONG> ids_;
    std::vector<ULONG> columns_;
    size_t at_ = 0;
};

// A new entry of a container, or with an id a mail user opened from the address book.
class EntryObject final : public Counted<wabstandin::PropBase<IMAPIProp>> {
public:
    EntryObject(World& world, ULONG parent) : Counted(world), parent_(parent) {}
    EntryObject(World& world, const Entry& existing, bool writable)
        : Counted(world), parent_(existing.parent), id_(existing.id), writable_(writable), type_(existing.type)
    {
    }
    HRESULT STDMETHODCALLTYPE SetProps(ULONG count, LPSPropValue values, LPSPropProblemArray* problems) override
    {
        if (problems)
            return MAPI_E_INVALID_PARAMETER;
        if (!writable_)
            return MAPI_E_NO_ACCESS;
        std::vector<Value> call;
        for (ULONG i = 0; i < count; ++i) {
            const SPropValue& v = values[i];
            Value copy{v.ulPropTag, {}};
            if (PROP_TYPE(v.ulPropTag) == PT_STRING8)
                copy.text = v.Value.lpszA ? v.Value.lpszA : "(null)";
            else if (PROP_TYPE(v.ulPropTag) == PT_LONG)
                copy.text = std::to_string(v.Value.ul);
            else if (PROP_TYPE(v.ulPropTag) == PT_MV_BINARY)
                copy.text = std::to_string(v.Value.MVbin.cValues) + ":" + std::to_string(v.Value.MVbin.lpbin[0].cb);
            if (v.ulPropTag == PR_OBJECT_TYPE)
                type_ = v.Value.ul;
            else if (PROP_TYPE(v.ulPropTag) == PT_STRING8)
                texts_[v.ulPropTag] = copy.text;
            call.push_back(copy);
        }
        world_.setProps.push_back(call);
        world_.log.push_back("SetProps " + std::to_string(count));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SaveChanges(ULONG flags) override
    {
        world_.log.push_back("SaveChanges " + std::to_string(flags));
        if (!writable_)
            return MAPI_E_NO_ACCESS;
        const std::string name = texts_.count(PR_DISPLAY_NAME) ? texts_[PR_DISPLAY_NAME] : std::string();
        if (type_ == MAPI_ABCONT) {
            if (FAILED(world_.folderSaveResult))
                return world_.folderSaveResult;
            const ULONG id = world_.AddFolder(name);
            for (Entry& e : world_.entries)
                if (e.id == id)
                    e.visible = false;
            return S_OK;
        }
        if (++world_.mailUserSaves == world_.failingMailUserSave)
            return MAPI_E_DISK_ERROR;
        if (id_ == 0)
            id_ = world_.AddEntry(parent_, type_, name);
        Entry* entry = world_.Find(id_);
        if (!entry)
            return MAPI_E_OBJECT_DELETED;
        for (const auto& [tag, text] : texts_) {
            if (tag == PR_DISPLAY_NAME)
                entry->name = text;
            else
                entry->texts[tag] = text;
        }
        return S_OK;
    }

private:
    ULONG parent_;
    ULONG id_ = 0;
    bool writable_ = true;
    ULONG type_ = MAPI_MAILUSER;
    std::map<ULONG, std::string> texts_;
};

class Container final : public Counted<wabstandin::ContainerBase<>> {
public:
    Container(World& world, ULONG id) : Counted(world), id_(id) {}
    HRESULT STDMETHODCALLTYPE GetContentsTable(ULONG flags, LPMAPITABLE* table) override
    {
        world_.log.push_back("GetContentsTable " + std::to_string(id_));
        if (flags != 0)
            return MAPI_E_UNKNOWN_FLAGS;
        std::vector<ULONG> ids;
        for (const Entry* e : world_.Children(id_))
            ids.push_back(e->id);
        *table = wabstandin::MakeObject<Table>(world_, ids).Detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray tags, ULONG flags, ULONG* count, LPSPropValue* values) override
    {
        if (tags->cValues != 1 || tags->aulPropTag[0] != PR_DEF_CREATE_MAILUSER || flags != MAPI_UNICODE)
            return MAPI_E_INVALID_PARAMETER;
        void* buffer = nullptr;
        world_.heap.Allocate(sizeof(SPropValue), &buffer);
        auto* value = static_cast<LPSPropValue>(buffer);
        *count = 1;
        *values = value;
        if (world_.templateMissing) {
            value->ulPropTag = CHANGE_PROP_TYPE(PR_DEF_CREATE_MAILUSER, PT_ERROR);
            value->Value.err = MAPI_E_NOT_FOUND;
            return MAPI_W_ERRORS_RETURNED;
        }
        static const BYTE kTemplate[8] = {0, 0, 0, 0, 0xEE, 0xEE, 0, 0};
        value->ulPropTag = PR_DEF_CREATE_MAILUSER;
        value->Value.bin.cb = 8;
        value->Value.bin.lpb = world_.heap.CopyBytes(kTemplate, 8, buffer);
        *count = 1;
        *values = value;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateEntry(ULONG size, LPENTRYID, ULONG flags, LPMAPIPROP* entry) override
    {
        world_.log.push_back("CreateEntry " + std::to_string(id_) + " template " + std::to_string(size) + " flags " +
                             std::to_string(flags));
        *entry = wabstandin::MakeObject<EntryObject>(world_, id_).Detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeleteEntries(LPENTRYLIST list, ULONG flags) override
    {
        world_.log.push_back("DeleteEntries " + std::to_string(list->cValues) + " flags " + std::to_string(flags));
        if (FAILED(world_.deleteResult))
            return world_.deleteResult;
        for (ULONG i = 0; i < list->cValues; ++i) {
            const ULONG id = IdOf(list->lpbin[i].cb, reinterpret_cast<LPENTRYID>(list->lpbin[i].lpb));
            std::erase_if(world_.entries, [&](const Entry& e) { return e.id == id && e.parent == id_; });
        }
        return S_OK;
    }

private:
    ULONG id_;
};

class AddrBook final : public Counted<wabstandin::AddrBookBase> {
public:
    using Counted::Counted;
    ~AddrBook() override { world_.log.push_back("release addrbook"); }
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG size, LPENTRYID id, LPCIID iid, ULONG flags, ULONG* type,
                                        LPUNKNOWN* object) override
    {
        const ULONG which = IdOf(size, id);
        world_.log.push_back("OpenEntry " + std::to_string(which) + (flags ? " flags " + std::to_string(flags) : ""));
        if (iid || (flags & ~MAPI_MODIFY))
            return MAPI_E_INVALID_PARAMETER;
        if (size != 0) {
            const Entry* found = world_.Find(which);
            if (!found)
                return MAPI_E_NOT_FOUND;
            if (found->type != MAPI_ABCONT) {
                *type = found->type;
                *object = wabstandin::MakeObject<EntryObject>(world_, *found, (flags & MAPI_MODIFY) != 0).Detach();
                return S_OK;
            }
        }
        *type = MAPI_ABCONT;
        *object = wabstandin::MakeObject<Container>(world_, which).Detach();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPAB(ULONG* size, LPENTRYID* id) override
    {
        world_.log.push_back("GetPAB");
        PutId(World::kPersonal, size, id, world_);
        return S_OK;
    }
};

class WabObject final : public Counted<wabstandin::WabObjectBase> {
public:
    using Counted::Counted;
    ~WabObject() override { world_.log.push_back("release wabobject"); }
    HRESULT STDMETHODCALLTYPE FreeBuffer(LPVOID buffer) override
    {
        if (++world_.frees == world_.failingFree)
            return MAPI_E_INVALID_PARAMETER;
        return world_.heap.Free(buffer);
    }
};

} // namespace

World::World()
{
    entries.push_back({kPersonal, 0, MAPI_ABCONT, "Shared Contacts", true, {}});
}

ULONG World::AddFolder(const std::string& name)
{
    return AddEntry(0, MAPI_ABCONT, name);
}

ULONG World::AddEntry(ULONG parent, ULONG type, const std::string& name)
{
    entries.push_back({nextId, parent, type, name, true, {}});
    return nextId++;
}

Entry* World::Find(ULONG id)
{
    for (Entry& e : entries)
        if (e.id == id)
            return &e;
    return nullptr;
}

std::vector<const Entry*> World::Children(ULONG parent) const
{
    std::vector<const Entry*> children;
    for (const Entry& e : entries)
        if (e.parent == parent && e.visible)
            children.push_back(&e);
    return children;
}

int World::CountLog(const std::string& line) const
{
    return static_cast<int>(std::count(log.begin(), log.end(), line));
}

bool Platform::Load()
{
    ++world_.loads;
    return world_.loadResult;
}

bool Platform::QueryVersion(OSVERSIONINFOA& info)
{
    if (info.dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
        return false;
    info.dwMajorVersion = world_.major;
    return true;
}

HRESULT Platform::Open(LPADRBOOK* addrBook, LPWABOBJECT* wabObject, LPWAB_PARAM params)
{
    ++world_.opens;
    world_.log.push_back("Open");
    world_.params = *params;
    world_.fileNameGiven = params->szFileName != nullptr;
    world_.fileName = params->szFileName ? params->szFileName : "";
    *addrBook = wabstandin::MakeObject<AddrBook>(world_).Detach();
    *wabObject = wabstandin::MakeObject<WabObject>(world_).Detach();
    return S_OK;
}

bool Platform::StartAddressBook()
{
    ++world_.starts;
    world_.log.push_back("StartAddressBook");
    if (world_.startResult)
        for (Entry& e : world_.entries)
            e.visible = true;
    return world_.startResult;
}

} // namespace fakewab
