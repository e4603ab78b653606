#include "contacts/WebLink.h"

#include "base/TextHelpers.h"

#include <algorithm>
#include <cctype>

namespace tessaly {

namespace {

std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    return lower;
}

bool ParsePort(std::string_view digits, unsigned& port)
{
    if (digits.empty() || digits.size() > 5)
        return false;
    unsigned value = 0;
    for (char ch : digits) {
        if (ch < '0' || ch > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(ch - '0');
    }
    if (value == 0 || value > 65535)
        return false;
    port = value;
    return true;
}

// The scheme of an absolute link ("http:", "ftp:"...), or empty for a relative one.
std::string_view SchemeOf(std::string_view text)
{
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return {};
    const std::string_view scheme = text.substr(0, colon);
    const bool valid = std::isalpha(static_cast<unsigned char>(scheme[0])) &&
                       std::all_of(scheme.begin(), scheme.end(), [](char ch) {
                           return std::isalnum(static_cast<unsigned char>(ch)) || ch == '+' || ch == '-' || ch == '.';
                       });
    return valid ? scheme : std::string_view{};
}

std::string WithoutFragment(std::string_view target)
{
    return std::string(target.substr(0, target.find('#')));
}

} // namespace

std::string WebLink::Text() const
{
    std::string text = scheme;
    text += "://";
    text += host;
    if (port != (Secure() ? 443u : 80u)) {
        text += ':';
        text += std::to_string(port);
    }
    text += target;
    return text;
}

std::optional<WebLink> ParseWebLink(std::string_view text)
{
    text = TrimView(text);
    WebLink link;
    link.scheme = Lower(SchemeOf(text));
    if (link.scheme != "http" && link.scheme != "https")
        return std::nullopt;
    std::string_view rest = text.substr(link.scheme.size() + 1);
    if (rest.substr(0, 2) != "//")
        return std::nullopt;
    rest.remove_prefix(2);
    const size_t authorityEnd = std::min(rest.find_first_of("/?#"), rest.size());
    const std::string_view authority = rest.substr(0, authorityEnd);
    if (authority.find('@') != std::string_view::npos ||
        std::any_of(authority.begin(), authority.end(), [](char ch) { return IsBlank(ch) || ch == '\\'; }))
        return std::nullopt;
    std::string_view host = authority;
    link.port = link.Secure() ? 443 : 80;
    const size_t colon = authority.rfind(':');
    const size_t bracket = authority.rfind(']');
    if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
        if (!ParsePort(authority.substr(colon + 1), link.port))
            return std::nullopt;
        host = authority.substr(0, colon);
    }
    if (host.empty())
        return std::nullopt;
    link.host = Lower(host);
    link.target = WithoutFragment(rest.substr(authorityEnd));
    if (link.target.empty() || link.target[0] != '/') {
        std::string rooted(1, '/');
        rooted += link.target;
        link.target = std::move(rooted);
    }
    return link;
}

std::string_view WebLinkRefusal(std::string_view text)
{
    if (ParseWebLink(text))
        return {};
    text = TrimView(text);
    const std::string scheme = Lower(SchemeOf(text));
    const std::string_view rest = scheme.empty() ? std::string_view() : text.substr(scheme.size() + 1);
    if ((scheme == "http" || scheme == "https") && rest.starts_with("//")) {
        const std::string_view authority = rest.substr(2, rest.find_first_of("/?#", 2) - 2);
        if (authority.find('@') != std::string_view::npos)
            return "Please put the user name and password in their own fields, not in the link.";
    }
    return "Please enter a link that starts with http:// or https://.";
}

std::optional<WebLink> ResolveRedirect(const WebLink& from, std::string_view location)
{
    location = TrimView(location);
    if (location.empty())
        return std::nullopt;
    if (!SchemeOf(location).empty())
        return ParseWebLink(location);
    if (location.substr(0, 2) == "//")
        return ParseWebLink(from.scheme + ":" + std::string(location));
    WebLink to = from;
    if (location[0] == '/') {
        to.target = WithoutFragment(location);
    } else if (location[0] == '?') {
        to.target = from.target.substr(0, from.target.find('?')) + WithoutFragment(location);
    } else {
        const std::string path = from.target.substr(0, from.target.find('?'));
        to.target = path.substr(0, path.rfind('/') + 1) + WithoutFragment(location);
    }
    return to;
}

bool SameOrigin(const WebLink& a, const WebLink& b)
{
    return a.scheme == b.scheme && a.host == b.host && a.port == b.port;
}

bool CredentialsMayGo(const WebLink& source, const WebLink& to)
{
    if (SameOrigin(source, to))
        return true;
    return source.scheme == "http" && source.port == 80 && to.Secure() && to.port == 443 && to.host == source.host;
}

} // namespace tessaly
