#include "destinations/windows_contacts/ContactFile.h"

#include "base/FileHelpers.h"
#include "base/OleError.h"
#include "base/TextHelpers.h"
#include "base/WideText.h"

#include <wrl/client.h>

#include <array>
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
} // namespace

bool WriteContactFile(IWindowsContactsPlatform& platform, const std::string& path, wchar_t* nodeName,
                      const TContactInfo& record, UINT codePage)
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
                SetNodeString(properties.Get(), nodeName, property.suffix, record.Field(property.field), codePage);
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
                   std::string_view value, UINT codePage)
{
    if (!HasText(value))
        return;
    const std::wstring propertyPath = std::wstring(nodeName) + suffix;
    const std::wstring text = TextToWide(value, codePage);
    DiscardErrorInfo();
    OleCheck(properties->SetString(propertyPath.c_str(), CGD_DEFAULT, text.c_str()));
}

bool SaveContactFile(IWindowsContactsPlatform& platform, IPersistStreamInit* persist, const std::string& path)
{
    const std::wstring widePath = TextToWide(path, CP_UTF8);
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
