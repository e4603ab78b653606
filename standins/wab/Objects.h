#pragma once
// The stand-in library's objects. Every one holds the session: the store opened by
// WABOpen and the buffer heap that IWABObject frees from.
#include "standins/wab/WabBuffers.h"
#include "standins/wab/WabObjectBase.h"
#include "standins/wab/WabStore.h"

#include <memory>
#include <string>
#include <vector>

namespace wabstandin {

struct Session {
    Store store;
    BufferHeap heap;
    int saves = 0; // counted for the injected save failure
    int frees = 0; // counted for the injected free failure
};
using SessionPtr = std::shared_ptr<Session>;

// The n-th call of a kind fails when the environment variable names n.
bool InjectedFailure(const char* variable, int count);

// A property of an entry, including the ones every entry has (identifier, object type),
// which are made in `computed`; null when the entry has none.
const StoredValue* LookupValue(const StoredEntry& entry, ULONG tag, StoredValue& computed);
// Writes `value` (or an error value when there is none) as the tag asks into a buffer hanging off `root`.
bool FillValue(BufferHeap& heap, void* root, ULONG tag, const StoredValue* value, SPropValue& out);
// GetProps over `entry`; a null tag list asks for every property.
HRESULT GetEntryProps(Session& session, const StoredEntry& entry, LPSPropTagArray tags, ULONG flags, ULONG* count,
                      LPSPropValue* values);

// Mail users and distribution lists open read-only unless `flags` asks for writing.
HRESULT OpenStoreEntry(const SessionPtr& session, ULONG size, LPENTRYID id, ULONG flags, ULONG* objectType,
                       LPUNKNOWN* object);

class AddrBook final : public AddrBookBase {
public:
    explicit AddrBook(SessionPtr session) : session_(std::move(session)) {}
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG size, LPENTRYID id, LPCIID iid, ULONG flags, ULONG* type,
                                        LPUNKNOWN* object) override;
    HRESULT STDMETHODCALLTYPE CompareEntryIDs(ULONG size1, LPENTRYID id1, ULONG size2, LPENTRYID id2, ULONG flags,
                                              ULONG* result) override;
    HRESULT STDMETHODCALLTYPE GetPAB(ULONG* size, LPENTRYID* id) override;

private:
    SessionPtr session_;
};

class WabObject final : public WabObjectBase {
public:
    explicit WabObject(SessionPtr session) : session_(std::move(session)) {}
    HRESULT STDMETHODCALLTYPE AllocateBuffer(ULONG size, LPVOID* buffer) override;
    HRESULT STDMETHODCALLTYPE AllocateMore(ULONG size, LPVOID root, LPVOID* buffer) override;
    HRESULT STDMETHODCALLTYPE FreeBuffer(LPVOID buffer) override;

private:
    SessionPtr session_;
};

// A folder, or with number 0 the root container whose contents are the folders.
class Container final : public ContainerBase<IABContainer> {
public:
    Container(SessionPtr session, ULONG folder) : session_(std::move(session)), folder_(folder) {}
    HRESULT STDMETHODCALLTYPE GetContentsTable(ULONG flags, LPMAPITABLE* table) override;
    HRESULT STDMETHODCALLTYPE OpenEntry(ULONG size, LPENTRYID id, LPCIID iid, ULONG flags, ULONG* type,
                                        LPUNKNOWN* object) override;
    HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray tags, ULONG flags, ULONG* count, LPSPropValue* values) override;
    HRESULT STDMETHODCALLTYPE CreateEntry(ULONG size, LPENTRYID templateId, ULONG flags, LPMAPIPROP* entry) override;
    HRESULT STDMETHODCALLTYPE DeleteEntries(LPENTRYLIST entries, ULONG flags) override;

private:
    SessionPtr session_;
    ULONG folder_;
};

class Table final : public TableBase {
public:
    Table(SessionPtr session, std::vector<ULONG> ids);
    HRESULT STDMETHODCALLTYPE GetStatus(ULONG* status, ULONG* type) override;
    HRESULT STDMETHODCALLTYPE SetColumns(LPSPropTagArray tags, ULONG flags) override;
    HRESULT STDMETHODCALLTYPE QueryColumns(ULONG flags, LPSPropTagArray* tags) override;
    HRESULT STDMETHODCALLTYPE GetRowCount(ULONG flags, ULONG* count) override;
    HRESULT STDMETHODCALLTYPE SeekRow(BOOKMARK origin, LONG rows, LONG* sought) override;
    HRESULT STDMETHODCALLTYPE QueryRows(LONG count, ULONG flags, LPSRowSet* rows) override;
    HRESULT STDMETHODCALLTYPE WaitForCompletion(ULONG flags, ULONG timeout, ULONG* status) override;

private:
    SessionPtr session_;
    std::vector<ULONG> ids_;
    std::vector<ULONG> columns_;
    size_t at_ = 0;
};

// A saved mail user or distribution list, or a new entry not saved yet. A new entry
// remembers the create flags: its first save checks them against the folder.
template <typename Base>
class EntryObject final : public Base {
public:
    EntryObject(SessionPtr session, StoredEntry entry, bool writable, ULONG createFlags = 0)
        : session_(std::move(session)), entry_(std::move(entry)), writable_(writable), createFlags_(createFlags)
    {
    }
    HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray tags, ULONG flags, ULONG* count, LPSPropValue* values) override
    {
        return GetEntryProps(*session_, entry_, tags, flags, count, values);
    }
    HRESULT STDMETHODCALLTYPE SetProps(ULONG count, LPSPropValue values, LPSPropProblemArray* problems) override;
    HRESULT STDMETHODCALLTYPE DeleteProps(LPSPropTagArray tags, LPSPropProblemArray* problems) override;
    HRESULT STDMETHODCALLTYPE SaveChanges(ULONG flags) override;

private:
    // The id of the entry a new one takes the place of under its create flags: 0 for none,
    // or the collision when the flags refuse a duplicate.
    HRESULT DuplicateToReplace(ULONG& id) const;

    SessionPtr session_;
    StoredEntry entry_;
    bool writable_;
    ULONG createFlags_;
};

using MailUserObject = EntryObject<PropBase<IMailUser>>;
using DistListObject = EntryObject<ContainerBase<IDistList>>;

} // namespace wabstandin
