#include "ContactDocument.h"

#include "base/WideText.h"

#include <objbase.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string_view>
#include <utility>

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

// Just enough XML for contact files: elements, attributes, text, character and entity
// references, CDATA; declarations, comments and processing instructions are skipped.
// Names lose their namespace prefix.
struct XmlElement {
    std::wstring name;
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    std::wstring text;
    std::vector<XmlElement> children;

    const XmlElement* Child(std::wstring_view childName) const
    {
        for (const XmlElement& child : children)
            if (child.name == childName)
                return &child;
        return nullptr;
    }
    std::wstring Attribute(std::wstring_view attributeName) const
    {
        for (const auto& [key, value] : attributes)
            if (key == attributeName)
                return value;
        return {};
    }
};

class XmlReader {
public:
    explicit XmlReader(std::wstring text) : text_(std::move(text)) {}

    // False when the text is not one well-formed element.
    bool Read(XmlElement& root)
    {
        SkipMisc();
        if (!ok_ || !Element(root, 0))
            return false;
        SkipMisc();
        return ok_ && pos_ == text_.size();
    }

private:
    static constexpr int kMaxDepth = 32;

    bool At(std::wstring_view what) const { return text_.compare(pos_, what.size(), what) == 0; }
    void SkipBlanks()
    {
        while (pos_ < text_.size() && std::iswspace(text_[pos_]))
            ++pos_;
    }
    bool SkipPast(std::wstring_view end)
    {
        const size_t found = text_.find(end, pos_);
        if (found == std::wstring::npos)
            return false;
        pos_ = found + end.size();
        return true;
    }
    // Blanks, the declaration, comments, processing instructions and a document type.
    void SkipMisc()
    {
        for (;;) {
            SkipBlanks();
            if (At(L"<?"))
                ok_ = ok_ && SkipPast(L"?>");
            else if (At(L"<!--"))
                ok_ = ok_ && SkipPast(L"-->");
            else if (At(L"<!DOCTYPE"))
                ok_ = ok_ && SkipPast(L">");
            else
                return;
            if (!ok_)
                return;
        }
    }
    std::wstring Name()
    {
        const size_t start = pos_;
        while (pos_ < text_.size() && !std::iswspace(text_[pos_]) && text_[pos_] != L'>' && text_[pos_] != L'/' &&
               text_[pos_] != L'=' && text_[pos_] != L'<')
            ++pos_;
        std::wstring name = text_.substr(start, pos_ - start);
        const size_t colon = name.find(L':');
        return colon == std::wstring::npos ? name : name.substr(colon + 1);
    }
    // Replaces the references in `raw` and, as XML does, ends every line with a line feed
    // (a carriage return survives only as "&#13;"); false for an unknown or broken reference.
    static bool Decode(std::wstring_view raw, std::wstring& out)
    {
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == L'\r') {
                out += L'\n';
                if (i + 1 < raw.size() && raw[i + 1] == L'\n')
                    ++i;
                continue;
            }
            if (raw[i] != L'&') {
                out += raw[i];
                continue;
            }
            const size_t end = raw.find(L';', i);
            if (end == std::wstring_view::npos)
                return false;
            const std::wstring_view entity = raw.substr(i + 1, end - i - 1);
            if (entity == L"amp") out += L'&';
            else if (entity == L"lt") out += L'<';
            else if (entity == L"gt") out += L'>';
            else if (entity == L"quot") out += L'"';
            else if (entity == L"apos") out += L'\'';
            else if (entity.size() > 1 && entity[0] == L'#') {
                const bool hex = entity[1] == L'x';
                const std::wstring digits(entity.substr(hex ? 2 : 1));
                if (digits.empty() || digits.size() > 6 ||
                    digits.find_first_not_of(hex ? L"0123456789abcdefABCDEF" : L"0123456789") != std::wstring::npos)
                    return false;
                const unsigned long code = std::wcstoul(digits.c_str(), nullptr, hex ? 16 : 10);
                if (code > 0x10FFFF)
                    return false;
                if (code >= 0x10000) {
                    out += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
                    out += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
                } else {
                    out += static_cast<wchar_t>(code);
                }
            } else {
                return false;
            }
            i = end;
        }
        return true;
    }
    bool Element(XmlElement& element, int depth)
    {
        if (depth > kMaxDepth || !At(L"<"))
            return false;
        ++pos_;
        element.name = Name();
        if (element.name.empty())
            return false;
        for (;;) {
            SkipBlanks();
            if (At(L"/>")) {
                pos_ += 2;
                return true;
            }
            if (At(L">")) {
                ++pos_;
                break;
            }
            std::wstring key = Name();
            SkipBlanks();
            if (key.empty() || !At(L"="))
                return false;
            ++pos_;
            SkipBlanks();
            if (pos_ >= text_.size() || (text_[pos_] != L'"' && text_[pos_] != L'\''))
                return false;
            const wchar_t quote = text_[pos_++];
            const size_t end = text_.find(quote, pos_);
            std::wstring value;
            if (end == std::wstring::npos || !Decode(std::wstring_view(text_).substr(pos_, end - pos_), value))
                return false;
            pos_ = end + 1;
            element.attributes.emplace_back(std::move(key), std::move(value));
        }
        for (;;) {
            if (pos_ >= text_.size())
                return false;
            if (At(L"</")) {
                pos_ += 2;
                if (Name() != element.name)
                    return false;
                SkipBlanks();
                if (!At(L">"))
                    return false;
                ++pos_;
                return true;
            }
            if (At(L"<!--")) {
                if (!SkipPast(L"-->"))
                    return false;
            } else if (At(L"<![CDATA[")) {
                const size_t start = pos_ + 9;
                if (!SkipPast(L"]]>"))
                    return false;
                element.text.append(text_, start, pos_ - 3 - start);
            } else if (At(L"<?")) {
                if (!SkipPast(L"?>"))
                    return false;
            } else if (At(L"<")) {
                element.children.emplace_back();
                if (!Element(element.children.back(), depth + 1))
                    return false;
            } else {
                const size_t end = std::min(text_.find(L'<', pos_), text_.size());
                if (!Decode(std::wstring_view(text_).substr(pos_, end - pos_), element.text))
                    return false;
                pos_ = end;
            }
        }
    }

    std::wstring text_;
    size_t pos_ = 0;
    bool ok_ = true;
};
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

HRESULT ContactDocument::GetString(const std::wstring& propertyPath, std::wstring& value)
{
    value.clear();
    const size_t last = propertyPath.rfind(L'/');
    if (last == std::wstring::npos) {
        for (const auto& [name, text] : topLevel_)
            if (name == propertyPath) {
                value = text;
                return value.empty() ? S_FALSE : S_OK;
            }
        return kPathNotFound;
    }
    if (FindNode(propertyPath) != nullptr)
        return S_FALSE; // a node holds properties, not a value
    const Node* node = FindNode(propertyPath.substr(0, last));
    if (node == nullptr)
        return kPathNotFound;
    const std::wstring property = propertyPath.substr(last + 1);
    for (const auto& [name, text] : node->properties)
        if (name == property) {
            value = text;
            return value.empty() ? S_FALSE : S_OK;
        }
    return kPathNotFound;
}

HRESULT ContactDocument::GetLabels(const std::wstring& nodeName, std::vector<std::wstring>& labels)
{
    const Node* node = FindNode(nodeName);
    if (node == nullptr)
        return kPathNotFound;
    labels = node->labels;
    return S_OK;
}

HRESULT ContactDocument::FromXml(const std::string& xml, std::wstring& contactId)
{
    const HRESULT invalid = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    std::string_view bytes = xml;
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    XmlElement root;
    if (!XmlReader(tessaly::Utf8ToWide(bytes)).Read(root) || root.name != L"contact")
        return invalid;
    ContactDocument document;
    for (const XmlElement& part : root.children) {
        if (part.name == L"ContactIDCollection") {
            const XmlElement* id = part.Child(L"ContactID");
            const XmlElement* value = id != nullptr ? id->Child(L"Value") : nullptr;
            if (value != nullptr && !value->text.empty())
                contactId = value->text;
        } else if (Contains(kTopLevelProperties, part.name)) {
            document.topLevel_.emplace_back(part.name, part.text);
        } else if (Contains(kCollections, part.name)) {
            Collection collection{part.name, part.name.substr(0, part.name.size() - std::wcslen(L"Collection")), {}};
            for (const XmlElement& element : part.children) {
                if (element.name != collection.elementName)
                    continue;
                Node node{element.Attribute(L"ElementID"), {}, {}};
                if (node.elementId.empty())
                    node.elementId = NewGuidText(false);
                for (const XmlElement& property : element.children) {
                    if (property.name == L"LabelCollection") {
                        for (const XmlElement& label : property.children)
                            if (label.name == L"Label")
                                node.labels.push_back(label.text);
                    } else if (property.children.empty()) {
                        node.properties.emplace_back(property.name, property.text);
                    }
                }
                collection.nodes.push_back(std::move(node));
            }
            document.collections_.push_back(std::move(collection));
        }
    }
    *this = std::move(document);
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
