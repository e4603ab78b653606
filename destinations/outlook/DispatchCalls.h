#pragma once
// Late-bound automation calls: members are looked up by name (GetIDsOfNames) and called
// through IDispatch::Invoke. A failed call raises EOleError with the component's
// description from EXCEPINFO, else the system's message, else "OLE error %.8x". A call
// that a busy server refuses is tried again as RetryWhileBusy (BusyFilter.h) says.
#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace tessaly {

// Owns one VARIANT; copies deeply and clears on destruction.
class Variant {
public:
    Variant() noexcept { ::VariantInit(&value_); }
    explicit Variant(int number) noexcept;
    explicit Variant(bool flag) noexcept;
    explicit Variant(const std::wstring& text);
    Variant(const Variant& other);
    Variant& operator=(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant&& other) noexcept;
    ~Variant() { ::VariantClear(&value_); }

    // An omitted optional argument: VT_ERROR holding DISP_E_PARAMNOTFOUND.
    static Variant Missing() noexcept;

    const VARIANT& get() const noexcept { return value_; }
    // Clears the value, then hands out its address for a call that fills it.
    VARIANT* put() noexcept;

private:
    VARIANT value_;
};

// Property get (or a method called for its result): object.name(args...).
Variant DispGet(IDispatch* object, const wchar_t* name, std::initializer_list<Variant> args = {});
// Method call: object.name(args...), arguments in call order.
Variant DispCall(IDispatch* object, const wchar_t* name, std::initializer_list<Variant> args = {});
// Property put: object.name = value.
void DispPut(IDispatch* object, const wchar_t* name, const Variant& value);

// The member ids one client has learnt: each name is looked up on the first object of a
// kind that it is called on, and its id reused for every later object of that kind. A
// server out of process answers each lookup with a round trip of its own. Keep one for
// a single run only: a server may number its members differently the next time.
class MemberIds {
public:
    // The id of `name` on objects of `kind` (the caller's own numbering of its classes).
    DISPID Find(IDispatch* object, int kind, const wchar_t* name);

private:
    struct Entry {
        int kind;
        std::wstring name;
        DISPID id;
    };
    std::vector<Entry> entries_;
};

// The same calls with the ids learnt in `ids`; `kind` says what class `object` is of.
Variant DispGet(MemberIds& ids, int kind, IDispatch* object, const wchar_t* name,
                 std::initializer_list<Variant> args = {});
Variant DispCall(MemberIds& ids, int kind, IDispatch* object, const wchar_t* name,
                  std::initializer_list<Variant> args = {});
void DispPut(MemberIds& ids, int kind, IDispatch* object, const wchar_t* name, const Variant& value);

// The object a result holds; none for an empty result. Anything else raises a type mismatch.
Microsoft::WRL::ComPtr<IDispatch> AsDispatch(const Variant& value);
int AsInteger(const Variant& value);
std::wstring AsText(const Variant& value);
bool AsBoolean(const Variant& value);

// A two-dimensional array of `columns` values a row, indexed (row, column), as texts; an
// empty value (a property the object does not have) is empty text, and a time its exact
// OLE date number. An empty result or an
// array of no rows gives none; an array of columns by rows is read as its rows. Another
// shape raises a type mismatch.
std::vector<std::vector<std::wstring>> AsTextRows(const Variant& value, size_t columns);

} // namespace tessaly
