// The download's WinINet calls, recorded by a fake: arguments, order and the paths a
// real server cannot produce on demand.
#include "contacts/InternetApi.h"

#include "DownloadTestSupport.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>

using namespace tessaly;
using namespace tessaly::test;
using ::testing::ElementsAre;

namespace {

HINTERNET const kInternet = reinterpret_cast<HINTERNET>(0x10);
HINTERNET const kConnection = reinterpret_cast<HINTERNET>(0x18);
HINTERNET const kRequest = reinterpret_cast<HINTERNET>(0x20);

class FakeInternet final : public IInternetApi {
public:
    bool openFails = false;
    bool sendFails = false;
    DWORD lastError = 0;
    std::vector<std::string> redirects; // the Location of the first answers, each a 302
    std::optional<DWORD> status = 200;
    std::optional<std::string> contentLength;
    std::vector<std::string> chunks;
    int failingRead = -1; // index of the read that returns FALSE
    // Calls answered ERROR_IO_PENDING: the send, and the read of this index; a pending
    // send reports its end to the callback before it returns, unless it never ends.
    bool sendPends = false;
    bool sendNeverEnds = false;
    int endlessRead = -1;
    std::vector<std::string> calls;

    HINTERNET Open(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags) override
    {
        calls.push_back("Open " + Text(agent) + " " + std::to_string(accessType) + " " + Text(proxy) + " " +
                        Text(proxyBypass) + " " + std::to_string(flags));
        return openFails ? nullptr : kInternet;
    }
    INTERNET_STATUS_CALLBACK SetStatusCallback(HINTERNET internet, INTERNET_STATUS_CALLBACK callback) override
    {
        calls.push_back("StatusCallback " + Name(internet));
        callback_ = callback;
        return nullptr;
    }
    HINTERNET Connect(HINTERNET internet, LPCSTR server, INTERNET_PORT port, LPCSTR user, LPCSTR password,
                      DWORD service, DWORD flags, DWORD_PTR context) override
    {
        calls.push_back("Connect " + Name(internet) + " " + server + " " + std::to_string(port) + " " + Text(user) +
                        " " + Text(password) + " " + std::to_string(service) + " " + std::to_string(flags) + " " +
                        Context(context));
        context_ = context;
        return kConnection;
    }
    HINTERNET OpenRequest(HINTERNET connection, LPCSTR verb, LPCSTR object, LPCSTR version, LPCSTR referrer,
                          LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context) override
    {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08lX", static_cast<unsigned long>(flags));
        calls.push_back("OpenRequest " + Name(connection) + " " + verb + " " + object + " " + Text(version) + " " +
                        Text(referrer) + " " + (acceptTypes ? "types" : "null") + " " + hex + " " + Context(context));
        context_ = context;
        return kRequest;
    }
    BOOL SetOption(HINTERNET handle, DWORD option, LPVOID buffer, DWORD bufferLength) override
    {
        DWORD value = 0;
        if (bufferLength == sizeof value)
            std::memcpy(&value, buffer, sizeof value);
        calls.push_back("SetOption " + Name(handle) + " " + std::to_string(option) + " " + std::to_string(value));
        return TRUE;
    }
    BOOL SendRequest(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID, DWORD) override
    {
        calls.push_back("SendRequest " + Name(request) + " [" + (headers ? std::string(headers, headersLength) : "") +
                        "] " + std::to_string(headersLength));
        ++sent_;
        lastError = sendFails ? lastError : 0;
        if (!sendPends)
            return !sendFails;
        const DWORD error = lastError;
        lastError = ERROR_IO_PENDING;
        if (!sendNeverEnds) {
            INTERNET_ASYNC_RESULT result{static_cast<DWORD_PTR>(sendFails ? FALSE : TRUE), sendFails ? error : 0};
            callback_(request, context_, INTERNET_STATUS_REQUEST_COMPLETE, &result, sizeof result);
        }
        return FALSE;
    }
    BOOL QueryInfo(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength, LPDWORD) override
    {
        const DWORD level = infoLevel & ~HTTP_QUERY_FLAG_NUMBER;
        const bool redirected = sent_ <= redirects.size();
        if (level == HTTP_QUERY_LOCATION) {
            calls.push_back("QueryInfo " + Name(request) + " location");
            const std::string& location = redirects.at(sent_ - 1);
            if (*bufferLength < location.size() + 1) {
                *bufferLength = static_cast<DWORD>(location.size() + 1);
                lastError = ERROR_INSUFFICIENT_BUFFER;
                return FALSE;
            }
            std::memcpy(buffer, location.c_str(), location.size() + 1);
            *bufferLength = static_cast<DWORD>(location.size());
            return TRUE;
        }
        if (level == HTTP_QUERY_CONTENT_LENGTH) {
            calls.push_back("QueryInfo " + Name(request) + " length");
            if (!contentLength || (infoLevel & HTTP_QUERY_FLAG_NUMBER) || *bufferLength < contentLength->size() + 1)
                return FALSE;
            std::memcpy(buffer, contentLength->c_str(), contentLength->size() + 1);
            *bufferLength = static_cast<DWORD>(contentLength->size());
            return TRUE;
        }
        const std::optional<DWORD> value = redirected ? 302 : status;
        calls.push_back("QueryInfo " + Name(request) + " status");
        if (!value || !(infoLevel & HTTP_QUERY_FLAG_NUMBER) || *bufferLength < sizeof(DWORD))
            return FALSE;
        std::memcpy(buffer, &*value, sizeof(DWORD));
        *bufferLength = sizeof(DWORD);
        return TRUE;
    }
    BOOL QueryDataAvailable(HINTERNET file, LPDWORD bytesAvailable, DWORD, DWORD_PTR) override
    {
        calls.push_back("Available " + Name(file));
        *bytesAvailable = reads_ < chunks.size() ? static_cast<DWORD>(chunks[reads_].size()) : 0;
        return TRUE;
    }
    BOOL ReadFileEx(HINTERNET file, LPINTERNET_BUFFERSA buffers, DWORD flags, DWORD_PTR context) override
    {
        auto* bytes = static_cast<unsigned char*>(buffers->lpvBuffer);
        const DWORD bytesToRead = buffers->dwBufferLength;
        bool zeroed = true;
        for (DWORD i = 0; i < bytesToRead; ++i)
            zeroed = zeroed && bytes[i] == 0;
        calls.push_back("Read " + Name(file) + " " + std::to_string(bytesToRead) + (zeroed ? " zeroed" : " dirty") +
                        (flags == IRF_ASYNC && context == context_ ? "" : " unlike WinINet's async reads"));
        buffers->dwBufferLength = 0;
        if (static_cast<int>(reads_) == failingRead)
            return FALSE;
        if (static_cast<int>(reads_) == endlessRead) {
            lastError = ERROR_IO_PENDING;
            return FALSE;
        }
        if (reads_ < chunks.size()) {
            const std::string& chunk = chunks[reads_];
            std::memcpy(bytes, chunk.data(), std::min<size_t>(chunk.size(), bytesToRead));
            buffers->dwBufferLength = static_cast<DWORD>(std::min<size_t>(chunk.size(), bytesToRead));
        }
        ++reads_;
        return TRUE;
    }
    BOOL CloseHandle(HINTERNET handle) override
    {
        calls.push_back("Close " + Name(handle));
        // As WinINet does, each handle with a context reports that it closes.
        if (handle != kInternet)
            callback_(handle, context_, INTERNET_STATUS_HANDLE_CLOSING, &handle, sizeof handle);
        return TRUE;
    }
    DWORD LastError() override { return lastError; }

private:
    static std::string Context(DWORD_PTR context) { return context ? "context" : "0"; }
    static std::string Text(LPCSTR text) { return text ? std::string(1, '"').append(text).append(1, '"') : "null"; }
    static std::string Name(HINTERNET handle)
    {
        return handle == kInternet ? "internet" : handle == kConnection ? "connection" : handle == kRequest ? "request" : "other";
    }
    size_t reads_ = 0;
    size_t sent_ = 0;
    INTERNET_STATUS_CALLBACK callback_ = nullptr;
    DWORD_PTR context_ = 0;
};

class DownloadCallsTest : public DownloadTest {
protected:
    bool Download(const std::string& user = "ann", const std::string& password = "pw")
    {
        return DownloadFile("http://127.0.0.1/c.csv", path, user, password, buffer, services, api);
    }
    FakeInternet api;
};

} // namespace

TEST_F(DownloadCallsTest, CallsWinInetInTheDocumentedWay)
{
    api.contentLength = "65539";
    api.chunks = {std::string(65536, 'a'), "ccc"};
    ASSERT_TRUE(Download());
    EXPECT_THAT(api.calls,
                ElementsAre("Open null 0 null null 268435456", "StatusCallback internet",
                            "Connect internet 127.0.0.1 80 null null 3 0 context",
                            "OpenRequest connection GET /c.csv null null null 84200000 context",
                            "SetOption request 2 30000", "SetOption request 5 30000", "SetOption request 6 30000",
                            "SendRequest request [Authorization: Basic YW5uOnB3] 29", "QueryInfo request status",
                            "QueryInfo request length", "Available request", "Read request 65536 zeroed",
                            "Read request 65536 zeroed", "Read request 65536 zeroed", "Close request",
                            "Close connection", "Close internet"));
    EXPECT_EQ(Saved(), std::string(65536, 'a') + "ccc\r\n");
    EXPECT_EQ(buffer.block.data()[ReadBuffer::kSize], 0);
}

TEST_F(DownloadCallsTest, AFailedOpenClosesWhatWasOpened)
{
    api.openFails = true;
    EXPECT_FALSE(Download());
    EXPECT_THAT(api.calls, ElementsAre("Open null 0 null null 268435456"));
    EXPECT_TRUE(Exists()); // nothing was attempted, not even the clean-up of the old file

    api = FakeInternet();
    api.sendFails = true;
    api.lastError = ERROR_INTERNET_CANNOT_CONNECT;
    EXPECT_FALSE(Download("", ""));
    ASSERT_EQ(api.calls.size(), 11u);
    EXPECT_EQ(api.calls[7], "SendRequest request [Authorization: Basic Og==] 25");
    EXPECT_THAT(std::vector<std::string>(api.calls.end() - 3, api.calls.end()),
                ElementsAre("Close request", "Close connection", "Close internet"));
    EXPECT_FALSE(Exists());
    EXPECT_TRUE(notices.empty());
}

TEST_F(DownloadCallsTest, AFailedOrShortReadSavesNothing)
{
    api.chunks = {"\"h\"\r\n", "\"a\""};
    api.failingRead = 1;
    EXPECT_FALSE(Download());
    EXPECT_FALSE(Exists());
    EXPECT_EQ(api.calls.back(), "Close internet");

    api = FakeInternet();
    api.chunks = {"\"h\"\r\n", "\"a\""};
    api.contentLength = "9";
    EXPECT_FALSE(Download());
    EXPECT_FALSE(Exists());
    EXPECT_TRUE(notices.empty());
}

TEST_F(DownloadCallsTest, WithoutAnHttpStatusTheBodyAloneDecides)
{
    api.status.reset();
    api.chunks = {"\"h\"\r\n\"a\""};
    EXPECT_TRUE(Download());
    EXPECT_EQ(Saved(), "\"h\"\r\n\"a\"\r\n");

    api = FakeInternet();
    api.status.reset();
    api.chunks = {"<title>404 Not Found</title>"};
    EXPECT_FALSE(Download());
    EXPECT_FALSE(Exists());
    ExpectOneWarning(kNotFoundWarning);
}

TEST_F(DownloadCallsTest, AnErrorStatusIsJudgedBeforeAnyRead)
{
    api.status = 401;
    api.chunks = {"\"h\"\r\n\"a\""};
    EXPECT_FALSE(Download());
    EXPECT_EQ(api.calls.size(), 12u); // open, callback, connect, request, three time-outs, send, status, three closes
    ExpectOneWarning(kAuthorizationWarning);
    EXPECT_FALSE(Exists());
}

TEST_F(DownloadCallsTest, RedirectsStopAtAFallFromHttpsAndAfterFiveHops)
{
    api.redirects = {"http://127.0.0.1/c.csv"};
    EXPECT_FALSE(DownloadFile("https://127.0.0.1/c.csv", path, "ann", "pw", buffer, services, api));
    EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "SendRequest request [Authorization: Basic YW5uOnB3] 29"), 1);
    EXPECT_EQ(api.calls[3], "OpenRequest connection GET /c.csv null null null 84A00000 context"); // secure

    // Up to https on the same host the header goes along.
    api = FakeInternet();
    api.redirects = {"https://127.0.0.1/c.csv"};
    api.chunks = {"\"h\"\r\n\"a\""};
    EXPECT_TRUE(Download());
    EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "SendRequest request [Authorization: Basic YW5uOnB3] 29"),
              2);

    api = FakeInternet();
    api.redirects = std::vector<std::string>(6, "/again.csv");
    api.chunks = {"\"h\"\r\n\"a\""};
    EXPECT_FALSE(Download());
    EXPECT_EQ(std::count_if(api.calls.begin(), api.calls.end(),
                            [](const std::string& call) { return call.rfind("SendRequest", 0) == 0; }),
              6);
    EXPECT_FALSE(Exists());
    EXPECT_TRUE(notices.empty());
}

TEST_F(DownloadCallsTest, ADownloadPastItsTimeIsRefused)
{
    services.limits.whole = std::chrono::milliseconds(0);
    api.chunks = {"\"h\"\r\n\"a\""};
    EXPECT_FALSE(Download());
    EXPECT_FALSE(Exists());
    ExpectOneWarning(kNoAnswerWarning);
}

TEST_F(DownloadCallsTest, AContentLengthThatCannotBeReadRefusesTheBody)
{
    api.contentLength = "4294968296"; // 2^32 + 1000: a 32-bit reading sees 1000
    api.chunks = {std::string(1300, 'a')};
    EXPECT_FALSE(Download());
    EXPECT_FALSE(Exists());

    for (const char* length : {"18446744073709551616", "12x"}) {
        api = FakeInternet();
        api.contentLength = length;
        api.chunks = {"\"h\"\r\n\"a\""};
        EXPECT_FALSE(Download()) << length;
        EXPECT_EQ(std::count(api.calls.begin(), api.calls.end(), "Available request"), 0) << length;
        EXPECT_FALSE(Exists());
    }
    EXPECT_TRUE(notices.empty());
}

TEST_F(DownloadCallsTest, AnAnswerThatComesLaterIsTakenFromTheCallback)
{
    api.sendPends = true;
    api.chunks = {"\"h\"\r\n\"a\""};
    EXPECT_TRUE(Download());
    EXPECT_EQ(Saved(), "\"h\"\r\n\"a\"\r\n");

    api = FakeInternet();
    api.sendPends = true;
    api.sendFails = true;
    api.lastError = ERROR_INTERNET_TIMEOUT;
    EXPECT_FALSE(Download());
    EXPECT_FALSE(Exists());
    ExpectOneWarning(kNoAnswerWarning);
}

TEST_F(DownloadCallsTest, ACallTheServerNeverEndsEndsAtTheCeilingOrAStop)
{
    services.limits.whole = std::chrono::milliseconds(50);
    api.sendPends = true;
    api.sendNeverEnds = true;
    EXPECT_FALSE(Download());
    EXPECT_FALSE(Exists());
    ExpectOneWarning(kNoAnswerWarning);
    EXPECT_THAT(std::vector<std::string>(api.calls.end() - 3, api.calls.end()),
                ElementsAre("Close request", "Close connection", "Close internet"));

    // A body that stops coming after its start.
    notices.clear();
    api = FakeInternet();
    api.chunks = {"\"h\"\r\n\"a\"", "\"b\""};
    api.endlessRead = 1;
    EXPECT_FALSE(Download());
    EXPECT_FALSE(Exists());
    ExpectOneWarning(kNoAnswerWarning);

    // Escape ends the wait too: before the headers nothing is kept, within the body what
    // arrived is.
    notices.clear();
    services.limits.whole = std::chrono::minutes(10);
    int checks = 0;
    services.stopRequested = [&] { return ++checks > 3; };
    api = FakeInternet();
    api.sendPends = true;
    api.sendNeverEnds = true;
    EXPECT_FALSE(Download());
    EXPECT_FALSE(Exists());
    api = FakeInternet();
    api.chunks = {"\"h\"\r\n\"a\"", "\"b\""};
    api.endlessRead = 1;
    checks = 0;
    EXPECT_TRUE(Download());
    EXPECT_EQ(Saved(), "\"h\"\r\n\"a\"\r\n");
    EXPECT_TRUE(notices.empty());
}
