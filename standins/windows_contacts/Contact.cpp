#include "Contact.h"

#include "Faults.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace wcstandin {

namespace {
// Copies `text` with its terminator when it fits; otherwise reports the size needed.
HRESULT CopyOut(const std::wstring& text, LPWSTR buffer, DWORD capacity, DWORD* required)
{
    const DWORD needed = static_cast<DWORD>(text.size() + 1);
    if (required != nullptr)
        *required = needed;
    if (buffer == nullptr || capacity < needed)
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    std::wmemcpy(buffer, text.c_str(), needed);
    return S_OK;
}
} // namespace

Contact::Contact(std::wstring path) : path_(std::move(path)), started_(true) {}

HRESULT Contact::GetContactID(LPWSTR id, DWORD capacity, DWORD* required)
{
    return CopyOut(contactId_, id, capacity, required);
}

HRESULT Contact::GetPath(LPWSTR path, DWORD capacity, DWORD* required)
{
    if (path_.empty())
        return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND); // never saved through the manager
    return CopyOut(path_, path, capacity, required);
}

HRESULT Contact::CommitChanges(DWORD)
{
    return E_NOTIMPL;
}

HRESULT Contact::GetClassID(CLSID* classId)
{
    if (classId == nullptr)
        return E_POINTER;
    *classId = tessaly::CLSID_Contact;
    return S_OK;
}

HRESULT Contact::IsDirty()
{
    return dirty_ ? S_OK : S_FALSE;
}

HRESULT Contact::Load(LPSTREAM stream)
{
    if (stream == nullptr)
        return E_POINTER;
    if (started_)
        return E_UNEXPECTED; // as after InitNew: one contact, one start
    try {
        std::string xml;
        char chunk[16384];
        for (;;) {
            ULONG read = 0;
            const HRESULT result = stream->Read(chunk, sizeof chunk, &read);
            if (FAILED(result))
                return result;
            xml.append(chunk, read);
            if (read == 0 || result == S_FALSE)
                break;
        }
        std::wstring contactId = contactId_;
        ContactDocument document;
        if (HRESULT result = document.FromXml(xml, contactId); FAILED(result))
            return ReportError(result, L"The stream does not hold a contact.");
        document_ = std::move(document);
        contactId_ = std::move(contactId);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    started_ = true;
    dirty_ = false;
    return S_OK;
}

HRESULT Contact::GetSizeMax(ULARGE_INTEGER*)
{
    return E_NOTIMPL;
}

HRESULT Contact::InitNew()
{
    if (started_)
        return E_UNEXPECTED;
    started_ = true;
    return S_OK;
}

HRESULT Contact::Ready() const
{
    return started_ ? S_OK : ReportError(E_UNEXPECTED, L"The contact was used before InitNew.");
}

HRESULT Contact::Save(LPSTREAM stream, BOOL clearDirty)
{
    if (stream == nullptr)
        return E_POINTER;
    if (HRESULT ready = Ready(); FAILED(ready))
        return ready;
    if (HRESULT fault = CheckFault(FaultPoint::Save); FAILED(fault))
        return fault;
    try {
        SYSTEMTIME now{};
        ::GetSystemTime(&now);
        const std::string xml = document_.ToXml(contactId_, now);
        size_t done = 0;
        while (done < xml.size()) {
            ULONG written = 0;
            const HRESULT result = stream->Write(xml.data() + done, static_cast<ULONG>(xml.size() - done), &written);
            if (FAILED(result))
                return result;
            if (written == 0)
                return STG_E_MEDIUMFULL;
            done += written;
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (clearDirty)
        dirty_ = false;
    return S_OK;
}

HRESULT Contact::ReadyToRead(LPCWSTR name, DWORD flags) const
{
    return name == nullptr || flags != CGD_DEFAULT ? E_INVALIDARG : Ready();
}

HRESULT Contact::GetString(LPCWSTR propertyName, DWORD flags, LPWSTR value, DWORD capacity, DWORD* required)
{
    if (HRESULT ready = ReadyToRead(propertyName, flags); FAILED(ready))
        return ready;
    try {
        std::wstring text;
        const HRESULT found = document_.GetString(propertyName, text);
        if (FAILED(found))
            return found;
        if (found == S_FALSE) {
            if (value != nullptr && capacity > 0)
                value[0] = L'\0';
            return S_FALSE;
        }
        return CopyOut(text, value, capacity, required);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Contact::GetLabels(LPCWSTR nodeName, DWORD flags, LPWSTR labels, DWORD capacity, DWORD* required)
{
    if (HRESULT ready = ReadyToRead(nodeName, flags); FAILED(ready))
        return ready;
    try {
        std::vector<std::wstring> list;
        if (HRESULT found = document_.GetLabels(nodeName, list); FAILED(found))
            return found;
        // IContactProperties::GetLabels does not promise the order they were set in: hand
        // them back reversed, so no caller can come to rely on it.
        std::reverse(list.begin(), list.end());
        // "one\0two\0\0": each label with its terminator, then an empty one.
        std::wstring text;
        for (const std::wstring& label : list)
            text.append(label).push_back(L'\0');
        if (list.empty())
            text.push_back(L'\0');
        return CopyOut(text, labels, capacity, required);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Contact::SetString(LPCWSTR propertyName, DWORD flags, LPCWSTR value)
{
    if (propertyName == nullptr || value == nullptr || flags != CGD_DEFAULT)
        return E_INVALIDARG;
    if (HRESULT ready = Ready(); FAILED(ready))
        return ready;
    if (HRESULT fault = CheckFault(FaultPoint::SetString); FAILED(fault))
        return fault;
    try {
        const HRESULT result = document_.SetString(propertyName, value);
        dirty_ = dirty_ || SUCCEEDED(result);
        return result;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Contact::SetLabels(LPCWSTR nodeName, DWORD flags, DWORD count, LPCWSTR labels[])
{
    if (nodeName == nullptr || flags != CGD_DEFAULT || count == 0 || labels == nullptr)
        return E_INVALIDARG;
    if (HRESULT ready = Ready(); FAILED(ready))
        return ready;
    try {
        std::vector<std::wstring> list;
        for (DWORD i = 0; i < count; ++i) {
            if (labels[i] == nullptr)
                return E_INVALIDARG;
            list.emplace_back(labels[i]);
        }
        const HRESULT result = document_.SetLabels(nodeName, list);
        dirty_ = dirty_ || SUCCEEDED(result);
        return result;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Contact::CreateArrayNode(LPCWSTR arrayName, DWORD flags, BOOL append, LPWSTR nodeName, DWORD capacity,
                                 DWORD* required)
{
    if (arrayName == nullptr || flags != CGD_DEFAULT)
        return E_INVALIDARG;
    if (HRESULT ready = Ready(); FAILED(ready))
        return ready;
    try {
        // Check the room first: a failed call must not leave a node behind.
        ContactDocument trial = document_;
        std::wstring name;
        if (HRESULT result = trial.CreateArrayNode(arrayName, append != FALSE, name); FAILED(result))
            return result;
        if (HRESULT result = CopyOut(name, nodeName, capacity, required); FAILED(result))
            return result;
        document_ = std::move(trial);
        dirty_ = true;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Contact::InterfaceSupportsErrorInfo(REFIID iid)
{
    return iid == __uuidof(IContactProperties) || iid == __uuidof(IPersistStreamInit) ? S_OK : S_FALSE;
}

std::string Contact::OwnContactXml(const std::wstring& formattedName)
{
    ContactDocument document;
    std::wstring node;
    document.CreateArrayNode(L"NameCollection", false, node);
    document.SetString(node + L"/FormattedName", formattedName);
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    return document.ToXml(L"{" + NewGuidText(false) + L"}", now);
}

} // namespace wcstandin
