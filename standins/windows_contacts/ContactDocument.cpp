#include "ContactDocument.h"

#include "base/WideText.h"

#include <objbase.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cwchar>
#include <string_view>

namespace wcstandin {

namespace {
constexpr std::array<std::wstring_view, 12> kCollections = {
    L"NameCollection",      L"PersonCollection",      L"PositionCollection",        L"EmailAddressCollection",
    L"UrlCollection",       L"PhoneNumberCollection", L"PhysicalAddressCollection", L"DateCollection",
    L"IMAddressCollection", L"ContactIDCollection",   L"CertificateCollection",     L"PhotoCollection"};

constexpr std::array<std::wstring_view, 38> kNodeProperties = {
    L"FormattedName", L"PersonID",   L"NickName",     L"Title",           L"Prefix",       L"GivenName",
    L"MiddleName",    L"FamilyName", L"Generation",   L"Suffix",          L"PhoneticGivenName",
    L"PhoneticFamilyName", L"Organization", L"Company", L"Department",    L"JobTitle",     L"Office",
    L"Profession",    L"Role",       L"Address",      L"Type",            L"Value",        L"Street",
    L"Locality",      L"Region",     L"PostalCode",   L"Country",         L"POBox",        L"ExtendedAddress",
    L"AddressLabel",  L"FormattedAddress", L"Number", L"Alternate",       L"Protocol",     L"Url",
    L"ThumbprintHex", L"Id",         L"Name"};

constexpr std::array<std::wstring_view, 3> kTopLevelProperties = {L"Notes", L"Mailer", L"Gender"};

template <size_t N>
bool Contains(const std::array<std::wstring_view, N>& list, std::wstring_view name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

const HRESULT kPathNotFound = HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);

// Text as XML character data. Control codes that XML 1.0 cannot carry are left out; a
// carriage return is kept as a reference so that parsers do not fold it away.
std::string Escape(std::wstring_view text)
{
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t ch : text) {
        switch (ch) {
        case L'&': escaped += L"&amp;"; break;
        case L'<': escaped += L"&lt;"; break;
        case L'>': escaped += L"&gt;"; break;
        case L'"': escaped += L"&quot;"; break;
        case L'\r': escaped += L"&#13;"; break;
        default:
            if (ch >= 0x20 || ch == L'\t' || ch == L'\n')
                escaped += ch;
        }
    }
    return tessaly::WideToUtf8(escaped);
}

void Element(std::string& xml, const char* indent, const std::wstring& name, const std::wstring& value)
{
    const std::string tag = "c:" + tessaly::WideToUtf8(name);
    xml += indent + ("<" + tag + ">") + Escape(value) + "</" + tag + ">\r\n";
}
} // namespace

std::wstring NewGuidText(bool braces)
{
    GUID guid{};
    ::CoCreateGuid(&guid);
    wchar_t text[40];
    std::swprintf(text, 40, L"%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", guid.Data1, guid.Data2,
                  guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4],
                  guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return braces ? L"{" + std::wstring(text) + L"}" : std::wstring(text);
}

HRESULT ContactDocument::CreateArrayNode(const std::wstring& arrayName, bool append, std::wstring& nodeName)
{
    if (!Contains(kCollections, arrayName))
        return kPathNotFound;
    auto found = std::find_if(collections_.begin(), collections_.end(),
                              [&](const Collection& c) { return c.name == arrayName; });
    if (found == collections_.end()) {
        const std::wstring element = arrayName.substr(0, arrayName.size() - std::wcslen(L"Collection"));
        collections_.push_back(Collection{arrayName, element, {}});
        found = collections_.end() - 1;
    }
    Node node{NewGuidText(false), {}, {}};
    size_t index = 0;
    if (append) {
        found->nodes.push_back(std::move(node));
        index = found->nodes.size();
    } else {
        found->nodes.insert(found->nodes.begin(), std::move(node));
        index = 1;
    }
    nodeName = arrayName + L"/" + found->elementName + L"[" + std::to_wstring(index) + L"]";
    return S_OK;
}

ContactDocument::Node* ContactDocument::FindNode(const std::wstring& nodeName)
{
    // "Collection/Element[i]"
    const size_t slash = nodeName.find(L'/');
    const size_t open = nodeName.find(L'[', slash == std::wstring::npos ? 0 : slash);
    if (slash == std::wstring::npos || open == std::wstring::npos || nodeName.back() != L']')
        return nullptr;
    const std::wstring collection = nodeName.substr(0, slash);
    const std::wstring element = nodeName.substr(slash + 1, open - slash - 1);
    const std::wstring digits = nodeName.substr(open + 1, nodeName.size() - open - 2);
    if (digits.empty() || digits.find_first_not_of(L"0123456789") != std::wstring::npos || digits.size() > 6)
        return nullptr;
    const size_t index = std::stoul(digits);
    for (Collection& c : collections_)
        if (c.name == collection && c.elementName == element && index >= 1 && index <= c.nodes.size())
            return &c.nodes[index - 1];
    return nullptr;
}

HRESULT ContactDocument::SetLabels(const std::wstring& nodeName, const std::vector<std::wstring>& labels)
{
    Node* node = FindNode(nodeName);
    if (node == nullptr)
        return kPathNotFound;
    for (const std::wstring& label : labels) {
        if (label.empty())
            return E_INVALIDARG;
        node->labels.push_back(label);
    }
    return S_OK;
}

HRESULT ContactDocument::SetString(const std::wstring& propertyPath, const std::wstring& value)
{
    const size_t last = propertyPath.rfind(L'/');
    if (last == std::wstring::npos) {
        if (!Contains(kTopLevelProperties, propertyPath))
            return kPathNotFound;
        auto found = std::find_if(topLevel_.begin(), topLevel_.end(),
                                  [&](const auto& entry) { return entry.first == propertyPath; });
        if (found != topLevel_.end())
            found->second = value;
        else
            topLevel_.emplace_back(propertyPath, value);
        return S_OK;
    }
    const std::wstring property = propertyPath.substr(last + 1);
    Node* node = FindNode(propertyPath.substr(0, last));
    if (node == nullptr || !Contains(kNodeProperties, property))
        return kPathNotFound;
    auto found = std::find_if(node->properties.begin(), node->properties.end(),
                              [&](const auto& entry) { return entry.first == property; });
    if (found != node->properties.end())
        found->second = value;
    else
        node->properties.emplace_back(property, value);
    return S_OK;
}

std::string ContactDocument::ToXml(const std::wstring& contactId, const SYSTEMTIME& created) const
{
    char date[40];
    std::snprintf(date, sizeof date, "%04u-%02u-%02uT%02u:%02u:%02uZ", created.wYear, created.wMonth, created.wDay,
                  created.wHour, created.wMinute, created.wSecond);
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                      "<c:contact c:Version=\"1\" xmlns:c=\"http://schemas.microsoft.com/Contact\">\r\n";
    xml += std::string("\t<c:CreationDate>") + date + "</c:CreationDate>\r\n";
    for (const auto& [name, value] : topLevel_)
        Element(xml, "\t", name, value);
    xml += "\t<c:ContactIDCollection>\r\n\t\t<c:ContactID c:ElementID=\"" + tessaly::WideToUtf8(NewGuidText(false)) +
           "\">\r\n\t\t\t<c:Value>" + Escape(contactId) + "</c:Value>\r\n\t\t</c:ContactID>\r\n"
           "\t</c:ContactIDCollection>\r\n";
    for (const Collection& collection : collections_) {
        const std::string collectionTag = "c:" + tessaly::WideToUtf8(collection.name);
        const std::string elementTag = "c:" + tessaly::WideToUtf8(collection.elementName);
        xml += "\t<" + collectionTag + ">\r\n";
        for (const Node& node : collection.nodes) {
            xml += "\t\t<" + elementTag + " c:ElementID=\"" + tessaly::WideToUtf8(node.elementId) + "\">\r\n";
            if (!node.labels.empty()) {
                xml += "\t\t\t<c:LabelCollection>\r\n";
                for (const std::wstring& label : node.labels)
                    xml += "\t\t\t\t<c:Label>" + Escape(label) + "</c:Label>\r\n";
                xml += "\t\t\t</c:LabelCollection>\r\n";
            }
            for (const auto& [name, value] : node.properties)
                Element(xml, "\t\t\t", name, value);
            xml += "\t\t</" + elementTag + ">\r\n";
        }
        xml += "\t</" + collectionTag + ">\r\n";
    }
    xml += "</c:contact>\r\n";
    return xml;
}

} // namespace wcstandin
