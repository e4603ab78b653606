#include "WindowsContactsFakes.h"

#include "base/WideText.h"
#include "standins/windows_contacts/ComObject.h"
#include "standins/windows_contacts/ErrorInfo.h"
#include "standins/windows_contacts/UnsupportedContactProperties.h"

#include <shlwapi.h>

#include <algorithm>
#include <map>
#include <memory>

using tessaly::WideToAnsi;

namespace fakes {

namespace {
struct Counters {
    int setStrings = 0;
    int saves = 0;
};

class FakeContact final : public wcstandin::UnsupportedContactProperties<
                              wcstandin::ComObject<IContact, IPersistStreamInit, IContactProperties>> {
public:
    FakeContact(CallLog& log, FakeBehaviour& behaviour, std::shared_ptr<Counters> counters, std::wstring path)
        : log_(log), behaviour_(behaviour), counters_(std::move(counters)), path_(std::move(path))
    {
    }

    HRESULT STDMETHODCALLTYPE GetContactID(LPWSTR, DWORD, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetPath(LPWSTR path, DWORD capacity, DWORD* required) override
    {
        log_.Add("GetPath " + std::to_string(capacity));
        *required = static_cast<DWORD>(path_.size() + 1);
        if (capacity < *required)
            return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        std::copy(path_.c_str(), path_.c_str() + path_.size() + 1, path);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CommitChanges(DWORD) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Load(LPSTREAM) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InitNew() override
    {
        log_.Add("InitNew");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override
    {
        log_.Add(std::string("Save ") + (clearDirty ? "clear" : "keep"));
        const char text[] = "<contact/>";
        ULONG written = 0;
        stream->Write(text, sizeof text - 1, &written);
        if (++counters_->saves == behaviour_.saveFailsAt)
            return STG_E_MEDIUMFULL;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetString(LPCWSTR, DWORD, LPWSTR, DWORD, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetLabels(LPCWSTR, DWORD, LPWSTR, DWORD, DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetString(LPCWSTR name, DWORD flags, LPCWSTR value) override
    {
        log_.Add("SetString " + WideToAnsi(name) + " flags " + std::to_string(flags) + " [" + WideToAnsi(value) + "]");
        if (++counters_->setStrings == behaviour_.setStringFailsAt)
            return wcstandin::ReportError(E_FAIL, behaviour_.failure.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetLabels(LPCWSTR node, DWORD flags, DWORD count, LPCWSTR labels[]) override
    {
        std::string call = "SetLabels " + WideToAnsi(node) + " flags " + std::to_string(flags) + " ";
        for (DWORD i = 0; i < count; ++i) {
            if (i > 0)
                call += ',';
            call += WideToAnsi(labels[i]);
        }
        log_.Add(call);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateArrayNode(LPCWSTR array, DWORD flags, BOOL append, LPWSTR name, DWORD capacity,
                                              DWORD* required) override
    {
        const std::wstring arrayName = array;
        log_.Add("CreateArrayNode " + WideToAnsi(array) + " flags " + std::to_string(flags) +
                 (append ? " appended " : " first ") + std::to_string(capacity));
        int& count = nodes_[arrayName];
        ++count;
        const std::wstring element = arrayName.substr(0, arrayName.size() - 10); // without "Collection"
        const std::wstring text = arrayName + L"/" + element + L"[" + std::to_wstring(append ? count : 1) + L"]";
        *required = static_cast<DWORD>(text.size() + 1);
        std::copy(text.c_str(), text.c_str() + text.size() + 1, name);
        return S_OK;
    }

private:
    CallLog& log_;
    FakeBehaviour& behaviour_;
    std::shared_ptr<Counters> counters_;
    std::wstring path_;
    std::map<std::wstring, int> nodes_;
};

class FakeManager final : public wcstandin::ComObject<IContactManager> {
public:
    FakeManager(CallLog& log, FakeBehaviour& behaviour, std::shared_ptr<Counters> counters)
        : log_(log), behaviour_(behaviour), counters_(std::move(counters))
    {
    }

    HRESULT STDMETHODCALLTYPE Initialize(LPCWSTR name, LPCWSTR version) override
    {
        log_.Add("Initialize " + WideToAnsi(name) + " " + WideToAnsi(version));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Load(LPCWSTR, IContact**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MergeContactIDs(LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMeContact(IContact** contact) override
    {
        log_.Add("GetMeContact");
        if (FAILED(behaviour_.meContact))
            return wcstandin::ReportError(behaviour_.meContact, behaviour_.failure.c_str());
        return wcstandin::MakeObject<FakeContact>(IID_PPV_ARGS(contact), log_, behaviour_, counters_,
                                                  behaviour_.ownPath);
    }
    HRESULT STDMETHODCALLTYPE SetMeContact(IContact*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContactCollection(IContactCollection**) override { return E_NOTIMPL; }

private:
    CallLog& log_;
    FakeBehaviour& behaviour_;
    std::shared_ptr<Counters> counters_;
};

std::shared_ptr<Counters>& SharedCounters()
{
    static std::shared_ptr<Counters> counters;
    return counters;
}
} // namespace

std::vector<std::string> CallLog::Matching(const std::string& prefix) const
{
    std::vector<std::string> result;
    for (const std::string& call : calls)
        if (call.rfind(prefix, 0) == 0)
            result.push_back(call);
    return result;
}

bool CallLog::Contains(const std::string& call) const
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

bool FakePlatform::SystemMajorVersion(DWORD& major)
{
    log_.Add("GetVersionEx");
    major = behaviour_.majorVersion;
    return behaviour_.versionKnown;
}

bool FakePlatform::LoadAddressBookLibrary()
{
    log_.Add("LoadWabLibrary");
    return behaviour_.libraryLoads;
}

HRESULT FakePlatform::CreateContactManager(IContactManager** manager)
{
    log_.Add("CreateContactManager");
    if (FAILED(behaviour_.managerCreation))
        return behaviour_.managerCreation;
    SharedCounters() = std::make_shared<Counters>();
    return wcstandin::MakeObject<FakeManager>(IID_PPV_ARGS(manager), log_, behaviour_, SharedCounters());
}

HRESULT FakePlatform::CreateContact(IContact** contact)
{
    log_.Add("CreateContact");
    if (++contactsMade_ == behaviour_.contactCreationFailsAt)
        return REGDB_E_CLASSNOTREG;
    return wcstandin::MakeObject<FakeContact>(IID_PPV_ARGS(contact), log_, behaviour_, SharedCounters(),
                                              std::wstring());
}

HRESULT FakePlatform::CreateFileStream(const std::wstring& path, IStream** stream)
{
    log_.Add("CreateFileStream " + WideToAnsi(path.c_str()));
    if (behaviour_.onFileStream)
        behaviour_.onFileStream(path);
    return ::SHCreateStreamOnFileEx(path.c_str(), STGM_CREATE | STGM_WRITE, FILE_ATTRIBUTE_NORMAL, TRUE, nullptr,
                                    stream);
}

HRESULT FakePlatform::OpenFileStream(const std::wstring& path, IStream** stream)
{
    log_.Add("OpenFileStream " + WideToAnsi(path.c_str()));
    return ::SHCreateStreamOnFileEx(path.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, 0, FALSE, nullptr, stream);
}

long LiveFakeObjects()
{
    return wcstandin::g_moduleReferences.load();
}

} // namespace fakes
