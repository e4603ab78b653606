// The download against the real test server on 127.0.0.1.
#include "contacts/HttpDownload.h"

#include "base/FileHelpers.h"

#include "DownloadTestSupport.h"
#include "SilentServer.h"
#include "TestServer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

using namespace tessaly;
using namespace tessaly::test;

namespace {

class HttpDownloadTest : public DownloadTest {
protected:
    bool Download(const std::string& pathAndQuery, const std::string& user = "", const std::string& password = "")
    {
        return DownloadFile(TestServerUrl(pathAndQuery), path, user, password, buffer, services);
    }
};

// A link as the value of a query parameter.
std::string Escaped(const std::string& text)
{
    std::string escaped;
    for (char ch : text) {
        if (ch == ':' || ch == '/' || ch == '?' || ch == '&' || ch == '=') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(ch));
            escaped += hex;
        } else {
            escaped += ch;
        }
    }
    return escaped;
}

// Wine's WinINet ends a chunked body cut short with a successful empty read, exactly
// as it ends a whole one (its chunked reader turns the closed connection into a state
// that reads as the end).
bool RunningUnderWine()
{
    return ::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

// A contacts-like body of many reads, with no byte 0 and no blank ends.
std::string LargeBody(size_t bytes)
{
    std::string body;
    for (int row = 0; body.size() < bytes; ++row)
        body += "\"row " + std::to_string(row) + "\",\"J\xF6rg\",\"a,b\"\r\n";
    body.resize(bytes);
    body.back() = 'x';
    return body;
}

} // namespace

TEST_F(HttpDownloadTest, SendsTheBasicHeaderEvenForBlankCredentials)
{
    const std::string file = PutServerFile("auth.csv", "\"h\"\r\n\"a\"");
    ClearServerRequests();
    EXPECT_TRUE(Download(file + "?user=ann&pass=s3cr%3Aet", "ann", "s3cr:et"));
    EXPECT_EQ(Saved(), "\"h\"\r\n\"a\"\r\n");
    EXPECT_TRUE(Download(file));
    EXPECT_TRUE(Download(file + "?user=J%C3%B6rg&pass=", "J\xF6rg", ""));
    const auto requests = ServerRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0], file + "?user=ann&pass=s3cr%3Aet\tBasic YW5uOnMzY3I6ZXQ=");
    EXPECT_EQ(requests[1], file + "\tBasic Og==");
    EXPECT_EQ(requests[2], file + "?user=J%C3%B6rg&pass=\tBasic SvZyZzo=");
    EXPECT_TRUE(notices.empty());
}

TEST_F(HttpDownloadTest, ALargeBodyArrivesWholeAndTrimmed)
{
    const std::string body = LargeBody(7 * 5120 + 77);
    const std::string file = PutServerFile("large.csv", " \r\n\t" + body + "\r\n\r\n  ");
    ASSERT_TRUE(Download(file));
    EXPECT_EQ(Saved(), body + "\r\n");

    // The same through a server that trickles it in 1 KiB pieces.
    ASSERT_TRUE(Download(file + "?delay_ms=1"));
    EXPECT_EQ(Saved(), body + "\r\n");
}

TEST_F(HttpDownloadTest, AnAuthorizationRefusalWarnsAndSavesNothing)
{
    const std::string file = PutServerFile("secret.csv", "\"h\"\r\n\"a\"");
    EXPECT_FALSE(Download(file + "?user=ann&pass=right", "ann", "wrong"));
    EXPECT_FALSE(Exists());
    ExpectOneWarning(kAuthorizationWarning);

    // A 200 answer whose body is the refusal page is judged by the page.
    notices.clear();
    EXPECT_FALSE(Download("/page/401"));
    EXPECT_FALSE(Exists());
    ExpectOneWarning(kAuthorizationWarning);
}

TEST_F(HttpDownloadTest, AMissingFileWarnsAndSavesNothing)
{
    EXPECT_FALSE(Download("/files/no-such.csv"));
    EXPECT_FALSE(Exists());
    ExpectOneWarning(kNotFoundWarning);

    // The phrase anywhere in an accepted body rejects it too, even inside a contact.
    notices.clear();
    const std::string file = PutServerFile("phrase.csv", "\"h\"\r\n\"Error 404 Not Found Ltd\",\"x\"");
    EXPECT_FALSE(Download(file));
    EXPECT_FALSE(Exists());
    ExpectOneWarning(kNotFoundWarning);
}

TEST_F(HttpDownloadTest, OtherErrorStatusesFailWithoutAWarning)
{
    const std::string file = PutServerFile("fine.csv", "\"h\"\r\n\"a\"");
    EXPECT_FALSE(Download("/page/500?status=500"));
    EXPECT_FALSE(Exists());
    // A body that would pass on its own is refused with a proxy's 403 or a 503.
    EXPECT_FALSE(Download(file + "?status=403"));
    EXPECT_FALSE(Download(file + "?status=503"));
    EXPECT_FALSE(Exists());
    EXPECT_TRUE(notices.empty());
    EXPECT_TRUE(Download(file + "?status=203"));
}

TEST_F(HttpDownloadTest, BlankAndBinaryBodiesSaveNothing)
{
    EXPECT_FALSE(Download(PutServerFile("blank.csv", " \r\n\r\n\t \r\n")));
    EXPECT_FALSE(Exists());
    EXPECT_FALSE(Download(PutServerFile("empty.csv", "")));
    EXPECT_FALSE(Exists());

    // A UTF-16 export: zero bytes from the start.
    EXPECT_FALSE(Download(PutServerFile("utf16.csv", std::string("\xFF\xFE\"\0h\0\"\0", 8))));
    EXPECT_FALSE(Exists());
    // A single zero byte several reads into the body.
    std::string body = LargeBody(4 * 5120);
    body[3 * 5120 + 10] = '\0';
    EXPECT_FALSE(Download(PutServerFile("zero.csv", body)));
    EXPECT_FALSE(Exists());
    EXPECT_TRUE(notices.empty());
}

TEST_F(HttpDownloadTest, ABodyCutShortSavesNothing)
{
    const std::string file = PutServerFile("cut.csv", LargeBody(6 * 5120));
    EXPECT_FALSE(Download(file + "?close_after=12000"));
    EXPECT_FALSE(Exists());
    EXPECT_FALSE(FileExists(path + ".part")); // the body on its way there is gone too
    EXPECT_FALSE(Download(file + "?close_after=0"));
    EXPECT_FALSE(Exists());
    EXPECT_TRUE(notices.empty());
}

TEST_F(HttpDownloadTest, AStopKeepsWhatArrivedOrFailsWhenNothingDid)
{
    const std::string body = LargeBody(40 * 1024);
    const std::string file = PutServerFile("slow.csv", body);
    // Escape once part of the body is on its way to the file.
    services.stopRequested = [&] { return FileExists(path + ".part"); };
    ASSERT_TRUE(Download(file + "?delay_ms=20"));
    const std::string saved = Saved();
    ASSERT_GT(saved.size(), 2u);
    EXPECT_LT(saved.size(), body.size());
    EXPECT_EQ(body.compare(0, saved.size() - 2, saved, 0, saved.size() - 2), 0);

    services.stopRequested = [] { return true; };
    EXPECT_FALSE(Download(file + "?delay_ms=20"));
    EXPECT_FALSE(Exists());
    EXPECT_TRUE(notices.empty());
}

TEST_F(HttpDownloadTest, AnUnreachableServerFailsQuietly)
{
    EXPECT_FALSE(DownloadFile(UnreachableUrl(), path, "ann", "pw", buffer, services));
    EXPECT_FALSE(Exists()); // the stale file from the last run is gone as well
    EXPECT_TRUE(notices.empty());
}

TEST_F(HttpDownloadTest, ARedirectTakesTheCredentialsOnlyWithinTheirOrigin)
{
    const std::string file = PutServerFile("moved.csv", "\"h\"\r\n\"a\"");
    ClearServerRequests();
    // Within the origin the header goes along: the target insists on it.
    EXPECT_TRUE(Download("/old.csv?code=301&redirect=" + Escaped(file + "?user=ann&pass=pw"), "ann", "pw"));
    EXPECT_EQ(Saved(), "\"h\"\r\n\"a\"\r\n");
    // To another port it does not.
    EXPECT_TRUE(Download("/old.csv?code=307&redirect=" + Escaped(SecondServerUrl(file)), "ann", "pw"));
    EXPECT_EQ(Saved(), "\"h\"\r\n\"a\"\r\n");
    const auto requests = ServerRequests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1], file + "?user=ann&pass=pw\tBasic YW5uOnB3");
    EXPECT_EQ(requests[2].substr(requests[2].find('\t')), "\tBasic YW5uOnB3");
    EXPECT_EQ(SecondServerRequests(), std::vector<std::string>{file + "\t"});
    EXPECT_TRUE(notices.empty());
}

TEST_F(HttpDownloadTest, AServerThatStopsAnsweringFailsWithinTheTimeOut)
{
    services.limits.timeout = std::chrono::milliseconds(300);
    const std::string file = PutServerFile("silent.csv", "\"h\"\r\n\"a\"");
    for (const char* silent : {"headers", "body"}) {
        SCOPED_TRACE(silent);
        notices.clear();
        EXPECT_FALSE(Download(file + "?silent=" + silent));
        EXPECT_FALSE(Exists());
        ExpectOneWarning(kNoAnswerWarning);
    }
}

TEST_F(HttpDownloadTest, AnHttpsServerThatNeverSpeaksFailsWithinTheTimeOutNotAtTheCeiling)
{
    // Wine's WinINet waits for the TLS handshake without a time-out of its own.
    services.limits.timeout = std::chrono::milliseconds(300);
    services.limits.whole = std::chrono::minutes(1);
    SilentServer server;
    const auto began = std::chrono::steady_clock::now();
    EXPECT_FALSE(DownloadFile(server.Url("https", "/c.csv"), path, "", "", buffer, services));
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(20));
    EXPECT_FALSE(Exists());
    ExpectOneWarning(kNoAnswerWarning);
}

TEST_F(HttpDownloadTest, AServerThatTricklesIsLeftAtTheCeiling)
{
    // Each byte comes well within the time-out, so only the ceiling can end these.
    services.limits.whole = std::chrono::seconds(1);
    const std::string file = PutServerFile("trickle.csv", LargeBody(40000));
    for (const char* trickle : {"headers", "body"}) {
        SCOPED_TRACE(trickle);
        notices.clear();
        EXPECT_FALSE(Download(file + "?trickle=" + trickle));
        EXPECT_FALSE(Exists());
        ExpectOneWarning(kNoAnswerWarning);
    }
}

TEST_F(HttpDownloadTest, AChunkedBodyCountsOnlyWhenItEnds)
{
    const std::string body = LargeBody(300 * 1024);
    const std::string file = PutServerFile("chunked.csv", body);
    ASSERT_TRUE(Download(file + "?chunked=1"));
    EXPECT_EQ(Saved(), body + "\r\n");
    if (RunningUnderWine())
        GTEST_SKIP() << "Wine cannot tell a cut chunked body from a whole one";
    EXPECT_FALSE(Download(file + "?chunked=1&close_after=150000"));
    EXPECT_FALSE(Exists());
}
