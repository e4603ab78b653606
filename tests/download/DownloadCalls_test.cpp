// The download's WinINet calls, recorded by a fake: arguments, order and the paths a
// real server cannot produce on demand.
#include "contacts/InternetApi.h"

#include "DownloadTestSupport.h"

#include <gmock/gmock.h>

#include <cstring>
#include <optional>

using namespace tessaly;
using namespace tessaly::test;
using ::testing::ElementsAre;

namespace {

HINTERNET const kInternet = reinterpret_cast<HINTERNET>(0x10);
HINTERNET const kRequest = reinterpret_cast<HINTERNET>(0x20);

class FakeInternet final : public IInternetApi {
public:
    bool openFails = false;
    bool openUrlFails = false;
    std::optional<DWORD> status = 200;
    std::optional<DWORD> contentLength;
    std::vector<std::string> chunks;
    int failingRead = -1; // index of the read that returns FALSE
    std::vector<std::string> calls;

    HINTERNET Open(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags) override
    {
        calls.push_back("Open " + Text(agent) + " " + std::to_string(accessType) + " " + Text(proxy) + " " +
                        Text(proxyBypass) + " " + std::to_string(flags));
        return openFails ? nullptr : kInternet;
    }
    HINTERNET OpenUrl(HINTERNET internet, LPCSTR url, LPCSTR headers, DWORD headersLength, DWORD flags,
                      DWORD_PTR context) override
    {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08lX", static_cast<unsigned long>(flags));
        calls.push_back("OpenUrl " + Name(internet) + " " + url + " [" + std::string(headers, headersLength) + "] " +
                        std::to_string(headersLength) + " " + hex + " " + std::to_string(context));
        return openUrlFails ? nullptr : kRequest;
    }
    BOOL QueryInfo(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength, LPDWORD) override
    {
        const DWORD level = infoLevel & ~HTTP_QUERY_FLAG_NUMBER;
        const std::optional<DWORD>& value = level == HTTP_QUERY_STATUS_CODE ? status : contentLength;
        calls.push_back("QueryInfo " + Name(request) + (level == HTTP_QUERY_STATUS_CODE ? " status" : " length"));
        if (!value || !(infoLevel & HTTP_QUERY_FLAG_NUMBER) || *bufferLength < sizeof(DWORD))
            return FALSE;
        std::memcpy(buffer, &*value, sizeof(DWORD));
        *bufferLength = sizeof(DWORD);
        return TRUE;
    }
    BOOL ReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead) override
    {
        auto* bytes = static_cast<unsigned char*>(buffer);
        bool zeroed = true;
        for (DWORD i = 0; i < bytesToRead; ++i)
            zeroed = zeroed && bytes[i] == 0;
        calls.push_back("Read " + Name(file) + " " + std::to_string(bytesToRead) + (zeroed ? " zeroed" : " dirty"));
        *bytesRead = 0;
        if (static_cast<int>(reads_) == failingRead)
            return FALSE;
        if (reads_ < chunks.size()) {
            const std::string& chunk = chunks[reads_];
            std::memcpy(buffer, chunk.data(), std::min<size_t>(chunk.size(), bytesToRead));
            *bytesRead = static_cast<DWORD>(std::min<size_t>(chunk.size(), bytesToRead));
        }
        ++reads_;
        return TRUE;
    }
    BOOL CloseHandle(HINTERNET handle) override
    {
        calls.push_back("Close " + Name(handle));
        return TRUE;
    }

private:
    static std::string Text(LPCSTR text) { return text ? std::string(1, '"').append(text).append(1, '"') : "null"; }
    static std::string Name(HINTERNET handle)
    {
        return handle == kInternet ? "internet" : handle == kRequest ? "request" : "other";
    }
    size_t reads_ = 0;
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
    api.contentLength = 2 * 5120 + 3;
    api.chunks = {std::string(5120, 'a'), std::string(5120, 'b'), "ccc"};
    ASSERT_TRUE(Download());
    EXPECT_THAT(api.calls,
                ElementsAre("Open null 0 null null 0",
                            "OpenUrl internet http://127.0.0.1/c.csv [Authorization: Basic YW5uOnB3] 29 84000000 0",
                            "QueryInfo request status", "QueryInfo request length", "Read request 5120 zeroed",
                            "Read request 5120 zeroed", "Read request 5120 zeroed", "Read request 5120 zeroed",
                            "Close request", "Close internet"));
    EXPECT_EQ(Saved(), std::string(5120, 'a') + std::string(5120, 'b') + "ccc\r\n");
    EXPECT_EQ(buffer.block.data()[5120], 0);
}

TEST_F(DownloadCallsTest, AFailedOpenClosesWhatWasOpened)
{
    api.openFails = true;
    EXPECT_FALSE(Download());
    EXPECT_THAT(api.calls, ElementsAre("Open null 0 null null 0"));
    EXPECT_TRUE(Exists()); // nothing was attempted, not even the clean-up of the old file

    api = FakeInternet();
    api.openUrlFails = true;
    EXPECT_FALSE(Download("", ""));
    ASSERT_EQ(api.calls.size(), 3u);
    EXPECT_EQ(api.calls[1], "OpenUrl internet http://127.0.0.1/c.csv [Authorization: Basic Og==] 25 84000000 0");
    EXPECT_EQ(api.calls[2], "Close internet");
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
    api.contentLength = 9;
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
    EXPECT_EQ(api.calls.size(), 5u); // open, open URL, status, two closes
    ExpectOneWarning(kAuthorizationWarning);
    EXPECT_FALSE(Exists());
}
