#pragma once
// The contents of one contact as Windows Contacts models them: collections of array
// nodes ("PhoneNumberCollection/PhoneNumber[2]"), each with labels and text properties,
// written out as a Windows Contacts XML file.
#include <windows.h>

#include <string>
#include <vector>

namespace wcstandin {

class ContactDocument {
public:
    // Inserts a node first (append false) or last in the named collection and gives its
    // name with its 1-based index. Unknown collections: ERROR_PATH_NOT_FOUND.
    HRESULT CreateArrayNode(const std::wstring& arrayName, bool append, std::wstring& nodeName);
    // Appends labels to an existing node.
    HRESULT SetLabels(const std::wstring& nodeName, const std::vector<std::wstring>& labels);
    // "Collection/Element[i]/Property" on an existing node, or a top-level "Notes".
    HRESULT SetString(const std::wstring& propertyPath, const std::wstring& value);

    // The text at "Collection/Element[i]/Property" or a top-level name: S_FALSE (and an
    // empty value) for a node or an empty property, ERROR_PATH_NOT_FOUND for nothing.
    HRESULT GetString(const std::wstring& propertyPath, std::wstring& value);
    // The labels of an existing node, in the order they were set.
    HRESULT GetLabels(const std::wstring& nodeName, std::vector<std::wstring>& labels);

    // The whole contact as UTF-8 XML.
    std::string ToXml(const std::wstring& contactId, const SYSTEMTIME& created) const;
    // A contact file's XML, as ToXml or Windows Contacts write it; `contactId` receives the
    // identifier it carries (unchanged when none). Malformed XML, or a root that is not a
    // contact: ERROR_INVALID_DATA.
    HRESULT FromXml(const std::string& xml, std::wstring& contactId);

private:
    struct Node {
        std::wstring elementId;
        std::vector<std::wstring> labels;
        std::vector<std::pair<std::wstring, std::wstring>> properties;
    };
    struct Collection {
        std::wstring name;        // "PhoneNumberCollection"
        std::wstring elementName; // "PhoneNumber"
        std::vector<Node> nodes;
    };

    Node* FindNode(const std::wstring& nodeName);

    std::vector<Collection> collections_; // in order of first use
    std::vector<std::pair<std::wstring, std::wstring>> topLevel_;
};

std::wstring NewGuidText(bool braces);

} // namespace wcstandin
