#include "contacts/WebLink.h"

#include <gtest/gtest.h>

using namespace tessaly;

namespace {
std::string Parsed(const std::string& text)
{
    const auto link = ParseWebLink(text);
    return link ? link->scheme + " " + link->host + " " + std::to_string(link->port) + " " + link->target : "refused";
}

std::string Resolved(const std::string& from, const std::string& location)
{
    const auto to = ResolveRedirect(*ParseWebLink(from), location);
    return to ? to->Text() : "refused";
}
} // namespace

TEST(WebLink, OnlyHttpAndHttpsLinksWithAHostAreTaken)
{
    EXPECT_EQ(Parsed(" HTTP://Example.COM "), "http example.com 80 /");
    EXPECT_EQ(Parsed("https://h:8443/a/b.csv?x=1#top"), "https h 8443 /a/b.csv?x=1");
    EXPECT_EQ(Parsed("http://h?x"), "http h 80 /?x");
    for (const char* text : {"ftp://h/contacts.csv", "file:///c:/contacts.csv", "c:\\contacts.csv", "http:/h/a",
                             "http://", "http://:80/", "http://h:0/", "http://h:65536/", "http://h:8o/",
                             "http://ann:pw@h/", "mailto:ann@h", ""})
        EXPECT_EQ(Parsed(text), "refused") << text;
}

TEST(WebLink, ARefusedLinkSaysWhy)
{
    const std::string_view notWeb = "Please enter a link that starts with http:// or https://.";
    const std::string_view credentials = "Please put the user name and password in their own fields, not in the link.";
    EXPECT_EQ(WebLinkRefusal(" https://h/a.csv?mail=ann@h "), "");
    EXPECT_EQ(WebLinkRefusal(" http://ann:pw@h/a.csv"), credentials);
    EXPECT_EQ(WebLinkRefusal("HTTPS://ann@h:8443"), credentials);
    EXPECT_EQ(WebLinkRefusal("ftp://ann:pw@h/a.csv"), notWeb);
    EXPECT_EQ(WebLinkRefusal("mailto:ann@h"), notWeb);
    EXPECT_EQ(WebLinkRefusal("http://h:8o/"), notWeb);
}

TEST(WebLink, RedirectsResolveAgainstTheLinkTheyCameFrom)
{
    const std::string from = "http://h:8080/data/list.csv?user=a";
    EXPECT_EQ(Resolved(from, "https://other/x.csv"), "https://other/x.csv");
    EXPECT_EQ(Resolved(from, "//other:81/x"), "http://other:81/x");
    EXPECT_EQ(Resolved(from, "/moved.csv#f"), "http://h:8080/moved.csv");
    EXPECT_EQ(Resolved(from, "new.csv"), "http://h:8080/data/new.csv");
    EXPECT_EQ(Resolved(from, "?user=b"), "http://h:8080/data/list.csv?user=b");
    EXPECT_EQ(Resolved(from, "ftp://h/list.csv"), "refused");
    EXPECT_EQ(Resolved(from, "  "), "refused");
}

TEST(WebLink, AnOriginIsSchemeHostAndPort)
{
    const WebLink link = *ParseWebLink("http://h/a");
    EXPECT_TRUE(SameOrigin(link, *ParseWebLink("HTTP://H:80/b")));
    EXPECT_FALSE(SameOrigin(link, *ParseWebLink("http://h:81/a")));
    EXPECT_FALSE(SameOrigin(link, *ParseWebLink("https://h:80/a")));
    EXPECT_FALSE(SameOrigin(link, *ParseWebLink("http://h2/a")));
}

TEST(WebLink, CredentialsGoWithinTheirOriginAndOnAnUpgradeOfTheSameHost)
{
    const struct {
        const char* source;
        const char* to;
        bool allowed;
    } cases[] = {
        {"http://h/a", "http://H:80/b", true},
        {"https://h/a", "https://h:443/b", true},
        {"http://h/a", "https://h/a", true},
        {"http://h:80/a", "https://H:443/b", true},
        {"http://h:8080/a", "https://h/a", false},
        {"http://h/a", "https://h:8443/a", false},
        {"http://h:8080/a", "https://h:8443/a", false},
        {"http://h/a", "https://h.example/a", false},
        {"http://h/a", "https://other/a", false},
        {"https://h/a", "http://h/a", false},
        {"http://h/a", "http://h:81/a", false},
        {"http://h/a", "http://h2/a", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CredentialsMayGo(*ParseWebLink(c.source), *ParseWebLink(c.to)), c.allowed)
            << c.source << " -> " << c.to;
}
