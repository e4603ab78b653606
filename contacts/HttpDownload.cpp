#include "contacts/HttpDownload.h"

#include "app/FileHelpers.h"
#include "contacts/Base64.h"
#include "contacts/InternetApi.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <string_view>

namespace tessaly {

namespace {

constexpr char kAuthorizationPhrase[] = "401 Authorization Required";
constexpr char kAuthorizationMessage[] =
    "Authorization Required.\r\nThe server could not verify that you are authorized to access the document requested.";
constexpr char kNotFoundPhrase[] = "404 Not Found";
constexpr char kNotFoundMessage[] = "The requested URL was not found on this server.";

// Room reserved up front for a declared body; a larger declaration grows as it arrives,
// so a bogus Content-Length cannot make us allocate it all at once.
constexpr size_t kMaxReserve = 256u << 20;

// Four bytes at a time: the C runtime's memchr may look at one byte per step.
bool HasZeroByte(const unsigned char* data, size_t size)
{
    size_t at = 0;
    for (; at + 4 <= size; at += 4) {
        std::uint32_t word;
        std::memcpy(&word, data + at, 4);
        if ((word - 0x01010101u) & ~word & 0x80808080u)
            return true;
    }
    for (; at < size; ++at)
        if (data[at] == 0)
            return true;
    return false;
}

class InternetHandle {
public:
    InternetHandle(IInternetApi& api, HINTERNET handle) : api_(api), handle_(handle) {}
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    ~InternetHandle()
    {
        if (handle_)
            api_.CloseHandle(handle_);
    }
    HINTERNET get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }

private:
    IInternetApi& api_;
    HINTERNET handle_;
};

struct Download {
    IInternetApi& api;
    ReadBuffer& buffer;
    const DownloadServices& services;

    bool StopRequested() const { return services.stopRequested && services.stopRequested(); }

    void Warn(const char* message) const
    {
        if (services.showNotice)
            services.showNotice(NoticeKind::Warning, message);
    }

    // Empty when the response carries no such header (another scheme than HTTP).
    std::optional<DWORD> QueryNumber(HINTERNET url, DWORD infoLevel) const
    {
        DWORD value = 0;
        DWORD length = sizeof value;
        if (!api.QueryInfo(url, infoLevel | HTTP_QUERY_FLAG_NUMBER, &value, &length, nullptr))
            return std::nullopt;
        return value;
    }

    bool CheckServerPage(const std::string& text, std::string_view phrase, const char* message) const
    {
        // A skipping search: the body may be tens of megabytes of digits and letters that
        // start the phrases.
        const std::boyer_moore_horspool_searcher searcher(phrase.begin(), phrase.end());
        if (std::search(text.begin(), text.end(), searcher) == text.end())
            return false;
        Warn(message);
        return true;
    }

    // The whole body, or nothing when it cannot be taken as a contacts file: a failed
    // read, a body shorter than declared, or a byte 0 (a UTF-16 export, say). A stop
    // request hands back what arrived so far, unchecked.
    std::optional<std::string> ReadResponse(HINTERNET url) const
    {
        const std::optional<DWORD> declared = QueryNumber(url, HTTP_QUERY_CONTENT_LENGTH);
        std::string text;
        if (declared)
            text.reserve(std::min<size_t>(*declared, kMaxReserve));
        unsigned char* data = buffer.block.data();
        unsigned long long received = 0;
        for (;;) {
            if (StopRequested())
                return text;
            std::memset(data, 0, buffer.size);
            DWORD count = 0;
            if (!api.ReadFile(url, data, buffer.size, &count))
                return std::nullopt;
            if (count == 0)
                break;
            count = std::min<DWORD>(count, buffer.size);
            if (HasZeroByte(data, count))
                return std::nullopt;
            text.append(reinterpret_cast<const char*>(data), count);
            received += count;
        }
        if (declared && received < *declared)
            return std::nullopt;
        if (CheckServerPage(text, kAuthorizationPhrase, kAuthorizationMessage) ||
            CheckServerPage(text, kNotFoundPhrase, kNotFoundMessage))
            text.clear();
        return text;
    }

    bool SaveResponse(HINTERNET url, const std::string& path) const
    {
        if (!url)
            return false;
        if (const std::optional<DWORD> status = QueryNumber(url, HTTP_QUERY_STATUS_CODE)) {
            if (*status == 401) {
                Warn(kAuthorizationMessage);
                return false;
            }
            if (*status == 404) {
                Warn(kNotFoundMessage);
                return false;
            }
            if (*status < 200 || *status > 299)
                return false;
        }
        std::optional<std::string> text = ReadResponse(url);
        if (!text)
            return false;
        // Trimmed in place: the body may be tens of megabytes.
        auto blank = [](char ch) { return static_cast<unsigned char>(ch) <= 32; };
        const auto last = std::find_if_not(text->rbegin(), text->rend(), blank).base();
        text->erase(last, text->end());
        text->erase(text->begin(), std::find_if_not(text->begin(), text->end(), blank));
        if (text->empty())
            return false;
        SaveTextFile(*text, path);
        return true;
    }
};

} // namespace

bool DownloadFile(const std::string& url, const std::string& path, const std::string& user,
                  const std::string& password, ReadBuffer& buffer, const DownloadServices& services, IInternetApi& api)
{
    InternetHandle internet(api, api.Open(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet)
        return false;
    const std::string header = "Authorization: Basic " + EncodeBase64(user + ":" + password);
    // Declared after the internet handle, so it is closed first.
    InternetHandle request(api, api.OpenUrl(internet.get(), url.c_str(), header.c_str(),
                                            static_cast<DWORD>(header.size()),
                                            INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
    (void)ForceDeleteFile(path); // a file that stays is replaced or reported by the save
    return Download{api, buffer, services}.SaveResponse(request.get(), path);
}

bool DownloadFile(const std::string& url, const std::string& path, const std::string& user,
                  const std::string& password, ReadBuffer& buffer, const DownloadServices& services)
{
    return DownloadFile(url, path, user, password, buffer, services, SystemInternetApi());
}

} // namespace tessaly
