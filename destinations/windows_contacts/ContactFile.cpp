#include "destinations/windows_contacts/ContactFile.h"

#include "base/FileHelpers.h"
#include "base/OleError.h"
#include "base/TextHelpers.h"
#include "base/WideText.h"

#include <wrl/client.h>

#include <algorithm>
#include <array>
#include <cwchar>
#include <map>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace tessaly {

namespace {
struct LayoutProperty {
    const wchar_t* suffix;
    ContactField field;
};

// Fixed-size slots: unused labels are null, unused properties have a null suffix.
struct LayoutStep {
    const wchar_t* array;
    bool appended;
    LPCWSTR labels[2];
    LayoutProperty properties[4];

    size_t LabelCount() const { return labels[0] == nullptr ? 0 : labels[1] == nullptr ? 1 : 2; }
};

// Initials has no place in Windows Contacts. The phone numbers keep this order:
// business voice, personal voice, cellular, fax, pager.
const std::array<LayoutStep, 11> kLayout = {{
    {L"NameCollection", false, {},
     {{L"/NickName", ContactField::NickName}, {L"/FormattedName", ContactField::DisplayName}}},
    {L"PersonCollection", false, {}, {{L"/PersonID", ContactField::CustomerID}}},
    {L"PositionCollection", false, {L"Business"},
     {{L"/Company", ContactField::Company},
      {L"/Department", ContactField::Department},
      {L"/JobTitle", ContactField::JobTitle},
      {L"/Office", ContactField::Office}}},
    {L"EmailAddressCollection", false, {}, {{L"/Address", ContactField::Email}}},
    {L"UrlCollection", false, {L"Business"}, {{L"/Value", ContactField::WebPage}}},
    {L"PhysicalAddressCollection", false, {L"Personal"},
     {{L"/Locality", ContactField::HomeCity},
      {L"/Street", ContactField::HomeStreet},
      {L"/Region", ContactField::HomeState}}},
    {L"PhoneNumberCollection", false, {L"Business", L"Voice"}, {{L"/Number", ContactField::BusinessPhone}}},
    {L"PhoneNumberCollection", true, {L"Personal", L"Voice"}, {{L"/Number", ContactField::HomePhone}}},
    {L"PhoneNumberCollection", true, {L"Personal", L"Cellular"}, {{L"/Number", ContactField::MobilePhone}}},
    {L"PhoneNumberCollection", true, {L"Business", L"Fax"}, {{L"/Number", ContactField::BusinessFax}}},
    {L"PhoneNumberCollection", true, {L"Business", L"Pager"}, {{L"/Number", ContactField::Pager}}},
}};

constexpr size_t kLayoutSteps = std::tuple_size_v<decltype(kLayout)>;
const HRESULT kNotThere = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
const HRESULT kTooSmall = HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);

// The name each layout step's node ends up with once all are created: a node put first
// moves the earlier ones of its array down by one.
std::array<std::wstring, kLayoutSteps> FinalNodeNames()
{
    std::map<std::wstring, std::vector<size_t>> arrays; // steps in array order
    for (size_t i = 0; i < kLayout.size(); ++i) {
        std::vector<size_t>& order = arrays[kLayout[i].array];
        if (kLayout[i].appended)
            order.push_back(i);
        else
            order.insert(order.begin(), i);
    }
    std::array<std::wstring, kLayoutSteps> names;
    for (const auto& [array, order] : arrays) {
        const std::wstring element = array.substr(0, array.size() - std::char_traits<wchar_t>::length(L"Collection"));
        for (size_t position = 0; position < order.size(); ++position)
            names[order[position]] = array + L"/" + element + L"[" + std::to_wstring(position + 1) + L"]";
    }
    return names;
}

// Calls `get` with a buffer that grows to what the component asks for; `text` gets what
// the buffer holds on success.
template <typename Get>
HRESULT GetText(std::wstring& text, Get get)
{
    DWORD required = 0;
    text.assign(128, L'\0');
    HRESULT result = get(text.data(), static_cast<DWORD>(text.size()), &required);
    if (result == kTooSmall && required > text.size()) {
        text.assign(required, L'\0');
        result = get(text.data(), static_cast<DWORD>(text.size()), &required);
    }
    return result;
}

// A hand-edited file may hold a value of another type where the layout has text.
const HRESULT kOtherType = HRESULT_FROM_WIN32(ERROR_INVALID_DATATYPE);

// The node's labels, in any order, equal the layout's.
bool HasLabels(IContactProperties* properties, const std::wstring& node, const LayoutStep& step)
{
    std::wstring buffer;
    DiscardErrorInfo();
    const HRESULT result = GetText(buffer, [&](LPWSTR text, DWORD capacity, DWORD* required) {
        return properties->GetLabels(node.c_str(), CGD_DEFAULT, text, capacity, required);
    });
    if (result == kNotThere || result == kOtherType)
        return false;
    OleCheck(result);
    std::vector<std::wstring> found;
    const wchar_t* end = buffer.c_str() + buffer.size();
    for (const wchar_t* label = buffer.c_str(); label < end && *label != L'\0'; label += std::wcslen(label) + 1)
        found.emplace_back(label);
    std::vector<std::wstring> wanted(step.labels, step.labels + step.LabelCount());
    std::sort(found.begin(), found.end());
    std::sort(wanted.begin(), wanted.end());
    return found == wanted;
}

// The property's text in UTF-8, empty when it is not there or holds nothing; false when
// it holds something other than text.
bool ReadString(IContactProperties* properties, const std::wstring& path, std::string& value)
{
    std::wstring buffer;
    DiscardErrorInfo();
    const HRESULT result = GetText(buffer, [&](LPWSTR text, DWORD capacity, DWORD* required) {
        return properties->GetString(path.c_str(), CGD_DEFAULT, text, capacity, required);
    });
    value.clear();
    if (result == kOtherType)
        return false;
    if (result == kNotThere || result == S_FALSE)
        return true;
    OleCheck(result);
    value = WideToUtf8(buffer.c_str());
    return true;
}
} // namespace

ContactValues ContactFileValues(const ContactInfo& record)
{
    ContactValues values;
    for (const LayoutStep& step : kLayout)
        for (const LayoutProperty& property : step.properties)
            if (property.suffix != nullptr && HasText(record.Field(property.field)))
                values[static_cast<size_t>(property.field)] = record.Field(property.field);
    return values;
}

bool ReadContactFile(IWindowsContactsPlatform& platform, const std::string& path, ContactValues& values)
{
    static const std::array<std::wstring, kLayoutSteps> kNodeNames = FinalNodeNames();
    ComPtr<IStream> stream;
    if (FAILED(platform.OpenFileStream(Utf8ToWide(path), stream.GetAddressOf())) || !stream)
        return false;
    ComPtr<IContact> contact;
    if (FAILED(platform.CreateContact(contact.GetAddressOf())) || !contact)
        return false;
    ComPtr<IPersistStreamInit> persist;
    ComPtr<IContactProperties> properties;
    if (FAILED(contact.As(&persist)) || !persist || FAILED(contact.As(&properties)) || !properties)
        return false;
    if (FAILED(persist->Load(stream.Get())))
        return false;
    stream.Reset(); // the file is free again before it may be replaced

    values = {};
    for (size_t i = 0; i < kLayout.size(); ++i) {
        const LayoutStep& step = kLayout[i];
        if (step.LabelCount() > 0 && !HasLabels(properties.Get(), kNodeNames[i], step))
            return false;
        for (const LayoutProperty& property : step.properties)
            if (property.suffix != nullptr &&
                !ReadString(properties.Get(), kNodeNames[i] + property.suffix,
                            values[static_cast<size_t>(property.field)]))
                return false;
    }
    return true;
}

bool WriteContactFile(IWindowsContactsPlatform& platform, const std::string& path, wchar_t* nodeName,
                      const ContactInfo& record)
{
    ComPtr<IContact> contact;
    if (FAILED(platform.CreateContact(contact.GetAddressOf())) || !contact)
        return false;
    ComPtr<IPersistStreamInit> persist;
    if (FAILED(contact.As(&persist)) || !persist)
        return false;
    (void)persist->InitNew(); // a contact that failed to start shows up in the calls below
    ComPtr<IContactProperties> properties;
    if (FAILED(contact.As(&properties)) || !properties)
        return false;

    for (const LayoutStep& step : kLayout) {
        AddArrayNode(properties.Get(), step.array, step.appended, nodeName);
        if (step.LabelCount() > 0)
            SetNodeLabels(properties.Get(), nodeName, std::span<const LPCWSTR>(step.labels, step.LabelCount()));
        for (const LayoutProperty& property : step.properties)
            if (property.suffix != nullptr)
                SetNodeString(properties.Get(), nodeName, property.suffix, record.Field(property.field));
    }
    return SaveContactFile(platform, persist.Get(), path);
}

void AddArrayNode(IContactProperties* properties, const wchar_t* arrayName, bool appended, wchar_t* nodeName)
{
    DWORD required = 0;
    nodeName[0] = L'\0';
    DiscardErrorInfo();
    OleCheck(properties->CreateArrayNode(arrayName, CGD_DEFAULT, appended ? TRUE : FALSE, nodeName,
                                         kNodeNameCapacity, &required));
    nodeName[kNodeNameCapacity - 1] = L'\0';
}

void SetNodeLabels(IContactProperties* properties, const wchar_t* nodeName, std::span<const LPCWSTR> labels)
{
    std::vector<LPCWSTR> list(labels.begin(), labels.end()); // the interface takes a mutable array
    DiscardErrorInfo();
    OleCheck(properties->SetLabels(nodeName, CGD_DEFAULT, static_cast<DWORD>(list.size()), list.data()));
}

void SetNodeString(IContactProperties* properties, const wchar_t* nodeName, const wchar_t* suffix,
                   std::string_view value)
{
    if (!HasText(value))
        return;
    const std::wstring propertyPath = std::wstring(nodeName) + suffix;
    const std::wstring text = Utf8ToWide(value);
    DiscardErrorInfo();
    OleCheck(properties->SetString(propertyPath.c_str(), CGD_DEFAULT, text.c_str()));
}

bool SaveContactFile(IWindowsContactsPlatform& platform, IPersistStreamInit* persist, const std::string& path)
{
    const std::wstring widePath = Utf8ToWide(path);
    ComPtr<IStream> stream;
    if (FAILED(platform.CreateFileStream(widePath, stream.GetAddressOf())) || !stream)
        return false;
    const HRESULT saved = persist->Save(stream.Get(), TRUE);
    stream.Reset(); // closes the file
    if (FAILED(saved)) {
        (void)ForceDeleteFile(widePath); // an unreadable contact must not stay behind
        return false;
    }
    return true;
}

} // namespace tessaly
