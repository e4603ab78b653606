#pragma once
// Download links: only http and https are fetched. The download follows redirects
// itself, so it needs to know where a hop leads and whether it stays with the origin
// (scheme, host and port) the credentials belong to.
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

struct WebLink {
    std::string scheme; // "http" or "https", lower case
    std::string host;   // lower case
    unsigned port = 0;  // the scheme's default when the link names none
    std::string target; // path and query, at least "/"; no fragment

    bool Secure() const { return scheme == "https"; }
    std::string Text() const;
};

// Empty unless the (trimmed) text is an http or https link with a host and no user
// name in it: credentials travel in the authorization header, never in the link.
std::optional<WebLink> ParseWebLink(std::string_view text);

// Why the input check refuses the text as a download link, in words for the user; empty
// when ParseWebLink takes it. A link with a user name in it is refused too: it would be
// stored in clear in the settings file, so it gets a text of its own that says where the
// name and password belong.
std::string_view WebLinkRefusal(std::string_view text);

// Where a redirect's Location leads from `from`: absolute, scheme-relative,
// host-relative or path-relative. Empty when it leads nowhere we would follow.
std::optional<WebLink> ResolveRedirect(const WebLink& from, std::string_view location);

bool SameOrigin(const WebLink& a, const WebLink& b);

// Whether the credentials given for `source` may go to `to`: within the source's origin,
// and on the upgrade of an http source on its default port to https on the same host
// name and its default port, which exposes nothing the first request did not send in
// clear. Never anywhere else.
bool CredentialsMayGo(const WebLink& source, const WebLink& to);

} // namespace tessaly
