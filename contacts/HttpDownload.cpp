#include "contacts/HttpDownload.h"

#include "base/FileHelpers.h"
#include "base/TextHelpers.h"
#include "base/WinHandles.h"
#include "contacts/Base64.h"
#include "contacts/BodyCheck.h"
#include "contacts/InternetApi.h"
#include "contacts/WebLink.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>

namespace tessaly {

namespace {

constexpr char kAuthorizationPhrase[] = "401 Authorization Required";
constexpr char kAuthorizationMessage[] =
    "Authorization Required.\r\nThe server could not verify that you are authorized to access the document requested.";
constexpr char kNotFoundPhrase[] = "404 Not Found";
constexpr char kNotFoundMessage[] = "The requested URL was not found on this server.";

constexpr char kNoAnswerMessage[] = "The server did not answer in time.";
constexpr DWORD kSocketTimedOut = 10060; // WSAETIMEDOUT
constexpr int kMaxRedirects = 5;
// WinINet holds up to 8 KiB ahead of the reader; that much at hand means the body streams.
constexpr DWORD kStreamingAvailable = 8 * 1024;
// Each WinINet call costs the same whatever it carries, so a streaming body is read in
// blocks that start at 64 KiB and double, up to the read buffer, while they fill quickly.
constexpr DWORD kFirstBlock = 64 * 1024;
constexpr std::chrono::milliseconds kQuickRead{100};
// A block that takes longer than this ends the streaming: back to what is at hand.
constexpr std::chrono::seconds kDawdlingRead{1};
// How often a wait for the server looks at the stop request.
constexpr std::chrono::milliseconds kStopCheckInterval{50};
// How long a closed handle may take to let go of what its calls write to.
constexpr std::chrono::seconds kClosingGrace{1};

bool IsRedirect(DWORD status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

[[noreturn]] void ThrowWriteError(const std::string& path)
{
    const DWORD code = ::GetLastError();
    const std::string text = SystemErrorMessage(code);
    throw std::system_error(static_cast<int>(code), std::system_category(),
                            text.empty() ? "Cannot write file \"" + path + "\"" : text);
}

// The body on its way into the temporary file, trimmed as it goes: leading blanks are
// never written, trailing ones are cut off at the end. Streaming it to disk keeps a large
// download out of memory. It goes to a file beside the temporary one that takes its name
// only once the body is whole, so the temporary file never holds part of a body.
class BodyFile {
public:
    explicit BodyFile(std::string path) : path_(std::move(path)), part_(PartialDownloadPath(path_)) {}
    BodyFile(const BodyFile&) = delete;
    BodyFile& operator=(const BodyFile&) = delete;
    ~BodyFile()
    {
        if (kept_ || !created_)
            return;
        file_.reset();
        (void)ForceDeleteFile(part_); // a leftover is replaced by the next download
    }

    void Append(std::string_view data)
    {
        if (!created_) {
            const auto first = std::find_if_not(data.begin(), data.end(), IsBlank);
            if (first == data.end())
                return;
            data.remove_prefix(static_cast<size_t>(first - data.begin()));
            file_.reset(::CreateFileA(part_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
            if (!file_)
                ThrowWriteError(part_);
            created_ = true;
        }
        const auto last = std::find_if_not(data.rbegin(), data.rend(), IsBlank);
        if (last != data.rend())
            content_ = written_ + static_cast<unsigned long long>(data.rend() - last);
        Write(data);
    }

    // False, leaving no file, when nothing but blanks arrived.
    bool Keep()
    {
        if (!created_)
            return false;
        if (content_ < written_) {
            LARGE_INTEGER end;
            end.QuadPart = static_cast<LONGLONG>(content_);
            if (!::SetFilePointerEx(file_.get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file_.get()))
                ThrowWriteError(part_);
        }
        Write("\r\n");
        file_.reset();
        if (!::MoveFileExA(part_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING))
            ThrowWriteError(path_);
        kept_ = true;
        return true;
    }

private:
    void Write(std::string_view data)
    {
        while (!data.empty()) {
            DWORD done = 0;
            if (!::WriteFile(file_.get(), data.data(), static_cast<DWORD>(std::min<size_t>(data.size(), 1u << 30)),
                             &done, nullptr))
                ThrowWriteError(part_);
            data.remove_prefix(done);
            written_ += done;
        }
    }

    std::string path_;
    std::string part_;
    UniqueKernelHandle file_;
    bool created_ = false;
    unsigned long long written_ = 0;
    unsigned long long content_ = 0; // up to the last byte that is not blank
    bool kept_ = false;
};

using Clock = std::chrono::steady_clock;

// What WinINet reports from its own threads about the calls it answered with
// ERROR_IO_PENDING, and everything such a call may still write to. It must outlive the
// last report, HANDLE_CLOSING of every handle that names it; a handle whose close does
// not finish in time leaves it behind for good (see AwaitClosed).
struct AsyncState {
    UniqueKernelHandle completed{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    UniqueKernelHandle closing{::CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    std::atomic<int> closed{0};
    // When the connection of the request under way was made, while its request is not yet
    // being sent: the TLS handshake lies between the two, and Wine's WinINet waits for a
    // silent server there without any of its time-outs. Zero outside that stretch.
    std::atomic<Clock::rep> connectedAt{0};
    INTERNET_ASYNC_RESULT result{};
    DWORD available = 0;
    INTERNET_BUFFERSA buffers{};
    ZeroFilledBlock landing;
    std::string header;
    // Of the download's own thread.
    int closesAsked = 0;
    bool abandoned = false;

    explicit AsyncState(std::uint32_t readSize) : landing(static_cast<long long>(readSize) + 1) {}

    // Until the last closed handle has said it is closing, but not long: Wine finishes a
    // pending read before it lets go of the handle, and only the server ends that read.
    void AwaitClosed()
    {
        ++closesAsked;
        const Clock::time_point until = Clock::now() + kClosingGrace;
        while (!abandoned && closed.load() < closesAsked) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
            if (left.count() <= 0 ||
                ::WaitForSingleObject(closing.get(), static_cast<DWORD>(left.count())) == WAIT_FAILED)
                abandoned = true;
        }
    }
};

void CALLBACK OnInternetStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD infoLength)
{
    if (context == 0) // the internet handle: not ours to watch
        return;
    auto* state = reinterpret_cast<AsyncState*>(context);
    if (status == INTERNET_STATUS_REQUEST_COMPLETE) {
        if (info && infoLength >= sizeof state->result)
            std::memcpy(&state->result, info, sizeof state->result);
        else
            state->result = INTERNET_ASYNC_RESULT{FALSE, ERROR_INTERNET_INTERNAL_ERROR};
        ::SetEvent(state->completed.get());
    } else if (status == INTERNET_STATUS_CONNECTED_TO_SERVER) {
        state->connectedAt.store(std::max<Clock::rep>(Clock::now().time_since_epoch().count(), 1));
    } else if (status == INTERNET_STATUS_SENDING_REQUEST) {
        state->connectedAt.store(0);
    } else if (status == INTERNET_STATUS_HANDLE_CLOSING) {
        state->closed.fetch_add(1);
        ::SetEvent(state->closing.get());
    }
}

class InternetHandle {
public:
    InternetHandle(IInternetApi& api, HINTERNET handle, AsyncState* state = nullptr)
        : api_(api), handle_(handle), state_(state)
    {
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    ~InternetHandle()
    {
        if (!handle_)
            return;
        api_.CloseHandle(handle_);
        if (state_)
            state_->AwaitClosed();
    }
    HINTERNET get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != nullptr; }

private:
    IInternetApi& api_;
    HINTERNET handle_;
    AsyncState* state_;
};

// How a call that may answer later ended.
enum class Ending { Done, Failed, TimedOut, Stopped };

struct Answer {
    Ending ending;
    DWORD error = 0;    // when it failed
    bool later = false; // answered through the status callback
};

struct Download {
    IInternetApi& api;
    ReadBuffer& buffer;
    const DownloadServices& services;
    Clock::time_point deadline;
    AsyncState& state;

    DWORD_PTR Context() const { return reinterpret_cast<DWORD_PTR>(&state); }

    bool StopRequested() const { return services.stopRequested && services.stopRequested(); }

    void Warn(const char* message) const
    {
        if (services.showNotice)
            services.showNotice(NoticeKind::Warning, message);
    }

    // Clears the completion report before a call that may answer later.
    void Expect() const { ::ResetEvent(state.completed.get()); }

    // The end of the wait for an answer: the download's deadline, or sooner while a
    // connection is made and its request not yet sent, which must not take longer than
    // one silent answer may.
    Clock::time_point WaitUntil() const
    {
        const Clock::rep connected = state.connectedAt.load();
        if (connected == 0)
            return deadline;
        const Clock::time_point handshakeEnd =
            Clock::time_point(Clock::duration(connected)) +
            std::chrono::duration_cast<Clock::duration>(services.limits.timeout);
        return std::min(deadline, handshakeEnd);
    }

    // A call answered `ok`; one that answered ERROR_IO_PENDING is waited for here, no
    // longer than the download may take and not past a stop, so that only this program
    // decides when the run goes on, whatever the server does.
    Answer Finish(BOOL ok) const
    {
        if (ok)
            return {Ending::Done};
        const DWORD error = api.LastError();
        if (error != ERROR_IO_PENDING)
            return {Ending::Failed, error};
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(WaitUntil() - Clock::now());
            if (left.count() <= 0)
                return {Ending::TimedOut, 0, true};
            const DWORD wait = static_cast<DWORD>(std::min(left, kStopCheckInterval).count());
            const DWORD waited = ::WaitForSingleObject(state.completed.get(), wait);
            if (waited == WAIT_OBJECT_0)
                break;
            if (waited == WAIT_FAILED)
                return {Ending::Failed, ::GetLastError(), true};
            if (StopRequested())
                return {Ending::Stopped, 0, true};
        }
        if (!state.result.dwResult)
            return {Ending::Failed, state.result.dwError, true};
        return {Ending::Done, 0, true};
    }

    // A failed call says so when the server kept us waiting past the time-out; other
    // failures (refused connection, unknown host) stay quiet, as they always have.
    void WarnWhenUnanswered(DWORD error, bool waitingForHeaders) const
    {
        // Wine reports a time-out while waiting for the headers as an aborted connection.
        if (error == ERROR_INTERNET_TIMEOUT || error == kSocketTimedOut ||
            (waitingForHeaders && error == ERROR_INTERNET_CONNECTION_ABORTED))
            Warn(kNoAnswerMessage);
    }

    // Empty when the response carries no such header.
    std::optional<DWORD> QueryNumber(HINTERNET request, DWORD infoLevel) const
    {
        DWORD value = 0;
        DWORD length = sizeof value;
        if (!api.QueryInfo(request, infoLevel | HTTP_QUERY_FLAG_NUMBER, &value, &length, nullptr))
            return std::nullopt;
        return value;
    }

    std::optional<std::string> QueryText(HINTERNET request, DWORD infoLevel) const
    {
        std::string text(1024, '\0');
        for (int attempt = 0; attempt < 2; ++attempt) {
            DWORD length = static_cast<DWORD>(text.size());
            if (api.QueryInfo(request, infoLevel, text.data(), &length, nullptr)) {
                text.resize(std::min<size_t>(length, text.size()));
                return text;
            }
            if (api.LastError() != ERROR_INSUFFICIENT_BUFFER)
                break;
            text.assign(static_cast<size_t>(length) + 1, '\0');
        }
        return std::nullopt;
    }

    bool SetTimeouts(HINTERNET request) const
    {
        DWORD milliseconds = static_cast<DWORD>(services.limits.timeout.count());
        for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
            if (!api.SetOption(request, option, &milliseconds, sizeof milliseconds))
                return false;
        return true;
    }

    // What WinINet holds of the body now, waiting for the first of it if need be.
    Answer Available(HINTERNET request, DWORD& available) const
    {
        state.available = 0;
        Expect();
        const Answer answer = Finish(api.QueryDataAvailable(request, &state.available, 0, 0));
        available = state.available;
        if (answer.ending != Ending::Done || !answer.later || available != 0)
            return answer;
        // Answered later without the count: asked for again, now that data is at hand.
        Expect();
        const Answer again = Finish(api.QueryDataAvailable(request, &state.available, 0, 0));
        available = state.available;
        return again;
    }

    // Reads into the state's landing block, which a read still pending when the download
    // gives up may go on filling, then hands the bytes over in the read buffer.
    Answer Read(HINTERNET request, DWORD wanted, DWORD& count) const
    {
        std::memset(state.landing.data(), 0, wanted);
        state.buffers = INTERNET_BUFFERSA{};
        state.buffers.dwStructSize = sizeof state.buffers;
        state.buffers.lpvBuffer = state.landing.data();
        state.buffers.dwBufferLength = wanted;
        Expect();
        const Answer answer = Finish(api.ReadFileEx(request, &state.buffers, IRF_ASYNC, Context()));
        count = answer.ending == Ending::Done ? std::min<DWORD>(state.buffers.dwBufferLength, wanted) : 0;
        std::memset(buffer.block.data(), 0, wanted);
        std::memcpy(buffer.block.data(), state.landing.data(), count);
        return answer;
    }

    // True when the whole body, not blank and not a recognised server page, went to the
    // file. A failed read, a body shorter than declared or a declared length that cannot
    // be read, a byte 0 (a UTF-16 export, say) or a download past its time leave no file.
    // A stop request keeps what arrived so far, unchecked.
    //
    // A read waits until its block is full or the body ends, however slowly the bytes
    // come. So while the data does not stream, each read takes only what WinINet already
    // holds, and every wait is one bounded by the receive time-out; whole blocks are
    // asked for once it streams, and given up again when one of them dawdles. The
    // download's deadline and a stop end any of these waits.
    bool SaveBody(HINTERNET request, const std::string& path) const
    {
        std::optional<std::uint64_t> declared;
        if (const std::optional<std::string> length = QueryText(request, HTTP_QUERY_CONTENT_LENGTH)) {
            declared = ParseContentLength(*length);
            if (!declared)
                return false;
        }
        BodyFile file(path);
        // Anchored at letters that are rare in contact lists: the "z" and the "N".
        PhraseSpotter authorization(kAuthorizationPhrase, 11);
        PhraseSpotter notFound(kNotFoundPhrase, 4);
        const unsigned char* data = buffer.block.data();
        std::uint64_t received = 0;
        DWORD block = 0; // while the body streams: the size of the next read
        for (;;) {
            if (StopRequested())
                return file.Keep();
            if (Clock::now() >= deadline) {
                Warn(kNoAnswerMessage);
                return false;
            }
            DWORD wanted = block;
            const bool whole = block != 0; // a whole block, not just what is at hand
            if (!whole) {
                DWORD available = 0;
                const Answer answer = Available(request, available);
                if (answer.ending != Ending::Done)
                    return Unfinished(answer, file);
                wanted = available > 0 ? std::min<DWORD>(available, buffer.size) : buffer.size;
                if (available >= kStreamingAvailable)
                    block = std::min<DWORD>(kFirstBlock, buffer.size);
            }
            const Clock::time_point began = Clock::now();
            DWORD count = 0;
            const Answer answer = Read(request, wanted, count);
            if (answer.ending != Ending::Done)
                return Unfinished(answer, file);
            if (count == 0)
                break;
            const Clock::duration took = Clock::now() - began;
            if (took > kDawdlingRead)
                block = 0;
            else if (whole && count == wanted && took < kQuickRead)
                block = std::min<DWORD>(block * 2, buffer.size);
            if (HasZeroByte(data, count))
                return false;
            const std::string_view piece(reinterpret_cast<const char*>(data), count);
            authorization.Feed(piece);
            notFound.Feed(piece);
            file.Append(piece);
            received += count;
        }
        if (declared && received < *declared)
            return false;
        if (authorization.Found() || notFound.Found()) {
            Warn(authorization.Found() ? kAuthorizationMessage : kNotFoundMessage);
            return false;
        }
        return file.Keep();
    }

    // A read of the body that did not finish: a stop keeps what arrived, the rest fail.
    bool Unfinished(const Answer& answer, BodyFile& file) const
    {
        if (answer.ending == Ending::Stopped)
            return file.Keep();
        if (answer.ending == Ending::TimedOut)
            Warn(kNoAnswerMessage);
        else
            WarnWhenUnanswered(answer.error, false);
        return false;
    }

    bool SaveResponse(HINTERNET request, std::optional<DWORD> status, const std::string& path) const
    {
        if (status) {
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
        return SaveBody(request, path);
    }

    // One GET per hop. WinINet's own redirects would repeat the authorization header to
    // any host, so they are off and followed here: the header goes only where the
    // source's credentials may go, and a hop from https down to http is refused.
    bool Fetch(HINTERNET internet, const WebLink& source, const std::string& path) const
    {
        WebLink link = source;
        for (int hop = 0;; ++hop) {
            InternetHandle connection(api,
                                      api.Connect(internet, link.host.c_str(), static_cast<INTERNET_PORT>(link.port),
                                                  nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, Context()),
                                      &state);
            if (!connection)
                return false;
            const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                                (link.Secure() ? INTERNET_FLAG_SECURE : 0);
            InternetHandle request(api, api.OpenRequest(connection.get(), "GET", link.target.c_str(), nullptr,
                                                        nullptr, nullptr, flags, Context()),
                                   &state);
            if (!request || !SetTimeouts(request.get()))
                return false;
            const bool credentials = CredentialsMayGo(source, link);
            state.connectedAt.store(0);
            Expect();
            const Answer sent =
                Finish(api.SendRequest(request.get(), credentials ? state.header.c_str() : nullptr,
                                       credentials ? static_cast<DWORD>(state.header.size()) : 0, nullptr, 0));
            if (sent.ending == Ending::TimedOut)
                Warn(kNoAnswerMessage);
            if (sent.ending == Ending::Failed)
                WarnWhenUnanswered(sent.error, true);
            if (sent.ending != Ending::Done)
                return false;
            const std::optional<DWORD> status = QueryNumber(request.get(), HTTP_QUERY_STATUS_CODE);
            if (!status || !IsRedirect(*status))
                return SaveResponse(request.get(), status, path);
            if (hop == kMaxRedirects)
                return false;
            const std::optional<std::string> location = QueryText(request.get(), HTTP_QUERY_LOCATION);
            const std::optional<WebLink> next = location ? ResolveRedirect(link, *location) : std::nullopt;
            if (!next || (link.Secure() && !next->Secure()))
                return false;
            link = *next;
        }
    }
};

} // namespace

bool DownloadFile(const std::string& url, const std::string& path, const std::string& user,
                  const std::string& password, ReadBuffer& buffer, const DownloadServices& services, IInternetApi& api)
{
    // Declared before the handles: it must outlive their closing.
    auto state = std::make_unique<AsyncState>(buffer.size);
    const bool done = [&] {
        const Download download{api, buffer, services, Clock::now() + services.limits.whole, *state};
        InternetHandle internet(api, api.Open(nullptr, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr,
                                              INTERNET_FLAG_ASYNC));
        if (!internet)
            return false;
        // Without its reports no call could be waited for.
        if (api.SetStatusCallback(internet.get(), OnInternetStatus) == INTERNET_INVALID_STATUS_CALLBACK)
            return false;
        state->header = "Authorization: Basic " + EncodeBase64(user + ":" + password);
        (void)ForceDeleteFile(path); // a file that stays is replaced or reported by the save
        // The input check lets only web links through; anything else has nowhere to go.
        const std::optional<WebLink> source = ParseWebLink(url);
        return source && download.Fetch(internet.get(), *source, path);
    }();
    // A handle still closing may yet report to the state or land a read in it: it is
    // left to it, a few kilobytes once in a run that the server held up.
    if (state->abandoned)
        (void)state.release();
    return done;
}

bool DownloadFile(const std::string& url, const std::string& path, const std::string& user,
                  const std::string& password, ReadBuffer& buffer, const DownloadServices& services)
{
    return DownloadFile(url, path, user, password, buffer, services, SystemInternetApi());
}

} // namespace tessaly
