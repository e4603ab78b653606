#pragma once
// Types and interfaces of the Windows Address Book as its SDK lays them out (32-bit).
// Declared here rather than taken from <wabdefs.h>, which collides with <mapidefs.h>.
#include <windows.h>
#include <objbase.h>

#include <cstddef>

#if defined(MAPIDEFS_H) || defined(_WABDEFS_H_) || defined(WABDEFS_H)
#error "WabDefs.h declares the MAPI types itself; do not mix it with the SDK headers"
#endif

// Property tags: type in the low word, identifier in the high word.
constexpr ULONG PROP_TYPE(ULONG tag) { return tag & 0xFFFFu; }
constexpr ULONG PROP_ID(ULONG tag) { return tag >> 16; }
constexpr ULONG PROP_TAG(ULONG type, ULONG id) { return (id << 16) | type; }
constexpr ULONG CHANGE_PROP_TYPE(ULONG tag, ULONG type) { return (tag & 0xFFFF0000u) | type; }

constexpr ULONG PT_UNSPECIFIED = 0x0000;
constexpr ULONG PT_NULL = 0x0001;
constexpr ULONG PT_I2 = 0x0002;
constexpr ULONG PT_LONG = 0x0003;
constexpr ULONG PT_BOOLEAN = 0x000B;
constexpr ULONG PT_ERROR = 0x000A;
constexpr ULONG PT_STRING8 = 0x001E;
constexpr ULONG PT_UNICODE = 0x001F;
constexpr ULONG PT_SYSTIME = 0x0040;
constexpr ULONG PT_BINARY = 0x0102;
constexpr ULONG MV_FLAG = 0x1000;
constexpr ULONG PT_MV_BINARY = MV_FLAG | PT_BINARY;
constexpr ULONG PT_MV_STRING8 = MV_FLAG | PT_STRING8;

struct ENTRYID {
    BYTE abFlags[4];
    BYTE ab[1];
};
using LPENTRYID = ENTRYID*;

struct SBinary {
    ULONG cb;
    LPBYTE lpb;
};
using LPSBinary = SBinary*;

struct SBinaryArray {
    ULONG cValues;
    SBinary* lpbin;
};
using ENTRYLIST = SBinaryArray;
using LPENTRYLIST = ENTRYLIST*;

struct SLPSTRArray {
    ULONG cValues;
    LPSTR* lppszA;
};

struct SWStringArray {
    ULONG cValues;
    LPWSTR* lppszW;
};

struct SLongArray {
    ULONG cValues;
    LONG* lpl;
};

union _PV {
    short int i;
    LONG l;
    ULONG ul;
    float flt;
    double dbl;
    unsigned short int b;
    CY cur;
    double at;
    FILETIME ft;
    LPSTR lpszA;
    SBinary bin;
    LPWSTR lpszW;
    LPGUID lpguid;
    LARGE_INTEGER li;
    SLongArray MVl;
    SBinaryArray MVbin;
    SLPSTRArray MVszA;
    SWStringArray MVszW;
    LONG err;
    LONG x;
};

struct SPropValue {
    ULONG ulPropTag;
    ULONG dwAlignPad;
    union _PV Value;
};
using LPSPropValue = SPropValue*;

struct SPropProblem {
    ULONG ulIndex;
    ULONG ulPropTag;
    LONG scode;
};

struct SPropProblemArray {
    ULONG cProblem;
    SPropProblem aProblem[1];
};
using LPSPropProblemArray = SPropProblemArray*;

struct SPropTagArray {
    ULONG cValues;
    ULONG aulPropTag[1];
};
using LPSPropTagArray = SPropTagArray*;

// A tag array of a fixed count, laid out like SPropTagArray.
template <ULONG N>
struct SizedSPropTagArray {
    ULONG cValues;
    ULONG aulPropTag[N];
    LPSPropTagArray get() { return reinterpret_cast<LPSPropTagArray>(this); }
};

struct SRow {
    ULONG ulAdrEntryPad;
    ULONG cValues;
    LPSPropValue lpProps;
};
using LPSRow = SRow*;

struct SRowSet {
    ULONG cRows;
    SRow aRow[1];
};
using LPSRowSet = SRowSet*;

constexpr size_t CbSRowSet(ULONG rows) { return offsetof(SRowSet, aRow) + rows * sizeof(SRow); }
constexpr size_t CbSPropTagArray(ULONG count) { return offsetof(SPropTagArray, aulPropTag) + count * sizeof(ULONG); }

using BOOKMARK = ULONG;
constexpr BOOKMARK BOOKMARK_BEGINNING = 0;
constexpr BOOKMARK BOOKMARK_CURRENT = 1;
constexpr BOOKMARK BOOKMARK_END = 2;

// Object types.
constexpr ULONG MAPI_STORE = 1;
constexpr ULONG MAPI_ADDRBOOK = 2;
constexpr ULONG MAPI_FOLDER = 3;
constexpr ULONG MAPI_ABCONT = 4;
constexpr ULONG MAPI_MESSAGE = 5;
constexpr ULONG MAPI_MAILUSER = 6;
constexpr ULONG MAPI_ATTACH = 7;
constexpr ULONG MAPI_DISTLIST = 8;

// Flags.
constexpr ULONG MAPI_UNICODE = 0x80000000;
constexpr ULONG MAPI_MODIFY = 0x00000001;
constexpr ULONG MAPI_BEST_ACCESS = 0x00000010;
constexpr ULONG KEEP_OPEN_READONLY = 0x00000001;
constexpr ULONG KEEP_OPEN_READWRITE = 0x00000002;
constexpr ULONG FORCE_SAVE = 0x00000004;
constexpr ULONG CREATE_CHECK_DUP_STRICT = 0x00000001;
constexpr ULONG CREATE_CHECK_DUP_LOOSE = 0x00000002;
constexpr ULONG CREATE_REPLACE = 0x00000004;
constexpr ULONG TBL_ALL_COLUMNS = 0x00000001;
constexpr ULONG TBL_NOWAIT = 0x00000001;
constexpr ULONG TBL_BATCH = 0x00000002;

// Types the address book passes through but this program never looks into.
struct MAPIERROR;
using LPMAPIERROR = MAPIERROR*;
struct MAPINAMEID;
using LPMAPINAMEID = MAPINAMEID*;
struct IMAPIProgress;
using LPMAPIPROGRESS = IMAPIProgress*;
struct IMAPIAdviseSink;
using LPMAPIADVISESINK = IMAPIAdviseSink*;
struct SRestriction;
using LPSRestriction = SRestriction*;
struct SSortOrderSet;
using LPSSortOrderSet = SSortOrderSet*;
struct ADRLIST;
using LPADRLIST = ADRLIST*;
struct ADRENTRY;
using LPADRENTRY = ADRENTRY*;
struct ADRPARM;
using LPADRPARM = ADRPARM*;
struct FlagList;
using LPFlagList = FlagList*;
using LPCIID = const IID*;
using LPFNDISMISS = void(STDMETHODCALLTYPE*)(ULONG_PTR, LPVOID);
using LPFNBUTTON = LONG(STDMETHODCALLTYPE*)(ULONG_PTR, LPVOID, ULONG, LPENTRYID, ULONG);

struct IMAPITable : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
    virtual HRESULT STDMETHODCALLTYPE Advise(ULONG ulEventMask, LPMAPIADVISESINK lpAdviseSink, ULONG* lpulConnection) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(ULONG ulConnection) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetStatus(ULONG* lpulTableStatus, ULONG* lpulTableType) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetColumns(LPSPropTagArray lpPropTagArray, ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryColumns(ULONG ulFlags, LPSPropTagArray* lpPropTagArray) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetRowCount(ULONG ulFlags, ULONG* lpulCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE SeekRow(BOOKMARK bkOrigin, LONG lRowCount, LONG* lplRowsSought) = 0;
    virtual HRESULT STDMETHODCALLTYPE SeekRowApprox(ULONG ulNumerator, ULONG ulDenominator) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryPosition(ULONG* lpulRow, ULONG* lpulNumerator, ULONG* lpulDenominator) = 0;
    virtual HRESULT STDMETHODCALLTYPE FindRow(LPSRestriction lpRestriction, BOOKMARK bkOrigin, ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE Restrict(LPSRestriction lpRestriction, ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateBookmark(BOOKMARK* lpbkPosition) = 0;
    virtual HRESULT STDMETHODCALLTYPE FreeBookmark(BOOKMARK bkPosition) = 0;
    virtual HRESULT STDMETHODCALLTYPE SortTable(LPSSortOrderSet lpSortCriteria, ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE QuerySortOrder(LPSSortOrderSet* lppSortCriteria) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryRows(LONG lRowCount, ULONG ulFlags, LPSRowSet* lppRows) = 0;
    virtual HRESULT STDMETHODCALLTYPE Abort() = 0;
    virtual HRESULT STDMETHODCALLTYPE ExpandRow(ULONG cbInstanceKey, LPBYTE pbInstanceKey, ULONG ulRowCount, ULONG ulFlags,
                                                LPSRowSet* lppRows, ULONG* lpulMoreRows) = 0;
    virtual HRESULT STDMETHODCALLTYPE CollapseRow(ULONG cbInstanceKey, LPBYTE pbInstanceKey, ULONG ulFlags, ULONG* lpulRowCount) = 0;
    virtual HRESULT STDMETHODCALLTYPE WaitForCompletion(ULONG ulFlags, ULONG ulTimeout, ULONG* lpulTableStatus) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetCollapseState(ULONG ulFlags, ULONG cbInstanceKey, LPBYTE lpbInstanceKey,
                                                       ULONG* lpcbCollapseState, LPBYTE* lppbCollapseState) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetCollapseState(ULONG ulFlags, ULONG cbCollapseState, LPBYTE pbCollapseState,
                                                       BOOKMARK* lpbkLocation) = 0;
};
using LPMAPITABLE = IMAPITable*;

struct IMAPIProp : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetLastError(HRESULT hResult, ULONG ulFlags, LPMAPIERROR* lppMAPIError) = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveChanges(ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProps(LPSPropTagArray lpPropTagArray, ULONG ulFlags, ULONG* lpcValues,
                                               LPSPropValue* lppPropArray) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPropList(ULONG ulFlags, LPSPropTagArray* lppPropTagArray) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenProperty(ULONG ulPropTag, LPCIID lpiid, ULONG ulInterfaceOptions, ULONG ulFlags,
                                                   LPUNKNOWN* lppUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetProps(ULONG cValues, LPSPropValue lpPropArray, LPSPropProblemArray* lppProblems) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteProps(LPSPropTagArray lpPropTagArray, LPSPropProblemArray* lppProblems) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyTo(ULONG ciidExclude, LPCIID rgiidExclude, LPSPropTagArray lpExcludeProps,
                                             ULONG_PTR ulUIParam, LPMAPIPROGRESS lpProgress, LPCIID lpInterface,
                                             LPVOID lpDestObj, ULONG ulFlags, LPSPropProblemArray* lppProblems) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyProps(LPSPropTagArray lpIncludeProps, ULONG_PTR ulUIParam, LPMAPIPROGRESS lpProgress,
                                                LPCIID lpInterface, LPVOID lpDestObj, ULONG ulFlags,
                                                LPSPropProblemArray* lppProblems) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNamesFromIDs(LPSPropTagArray* lppPropTags, LPGUID lpPropSetGuid, ULONG ulFlags,
                                                      ULONG* lpcPropNames, LPMAPINAMEID** lpppPropNames) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIDsFromNames(ULONG cPropNames, LPMAPINAMEID* lppPropNames, ULONG ulFlags,
                                                      LPSPropTagArray* lppPropTags) = 0;
};
using LPMAPIPROP = IMAPIProp*;

struct IMAPIContainer : public IMAPIProp {
    virtual HRESULT STDMETHODCALLTYPE GetContentsTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetHierarchyTable(ULONG ulFlags, LPMAPITABLE* lppTable) = 0;
    virtual HRESULT STDMETHODCALLTYPE OpenEntry(ULONG cbEntryID, LPENTRYID lpEntryID, LPCIID lpInterface, ULONG ulFlags,
                                                ULONG* lpulObjType, LPUNKNOWN* lppUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetSearchCriteria(LPSRestriction lpRestriction, LPENTRYLIST lpContainerList,
                                                        ULONG ulSearchFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSearchCriteria(ULONG ulFlags, LPSRestriction* lppRestriction,
                                                        LPENTRYLIST* lppContainerList, ULONG* lpulSearchState) = 0;
};

struct IABContainer : public IMAPIContainer {
    virtual HRESULT STDMETHODCALLTYPE CreateEntry(ULONG cbEntryID, LPENTRYID lpEntryID, ULONG ulCreateFlags,
                                                  LPMAPIPROP* lppMAPIPropEntry) = 0;
    virtual HRESULT STDMETHODCALLTYPE CopyEntries(LPENTRYLIST lpEntries, ULONG_PTR ulUIParam, LPMAPIPROGRESS lpProgress,
                                                  ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteEntries(LPENTRYLIST lpEntries, ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ResolveNames(LPSPropTagArray lpPropTagArray, ULONG ulFlags, LPADRLIST lpAdrList,
                                                   LPFlagList lpFlagList) = 0;
};
using LPABCONT = IABContainer*;

// A mail user adds nothing to IMAPIProp; a distribution list has the container's methods.
struct IMailUser : public IMAPIProp {};
using LPMAILUSER = IMailUser*;
struct IDistList : public IABContainer {};
using LPDISTLIST = IDistList*;

// The address book library reads these layouts from our memory: each is checked for
// both builds.
static_assert(sizeof(SPropValue) == (sizeof(void*) == 4 ? 16 : 24), "SPropValue is 16 bytes on 32-bit and 24 on 64-bit Windows");
static_assert(sizeof(SBinary) == (sizeof(void*) == 4 ? 8 : 16), "SBinary is 8 bytes on 32-bit and 16 on 64-bit Windows");
static_assert(sizeof(SRow) == (sizeof(void*) == 4 ? 12 : 16), "SRow is 12 bytes on 32-bit and 16 on 64-bit Windows");
static_assert(offsetof(SRowSet, aRow) == (sizeof(void*) == 4 ? 4 : 8), "SRowSet's rows start after its count, aligned");
static_assert(sizeof(SPropTagArray) == 8, "SPropTagArray is 8 bytes on both");
