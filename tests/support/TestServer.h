#pragma once
// Access to the test HTTP server that the http_server fixture runs on 127.0.0.1.
#include <string>
#include <vector>

namespace tessaly::test {

// "http://127.0.0.1:<port>" followed by pathAndQuery (which starts with "/").
std::string TestServerUrl(const std::string& pathAndQuery);

// The same on the second server, another origin: what redirects to another host reach.
std::string SecondServerUrl(const std::string& pathAndQuery);

// A URL on loopback where nothing listens.
std::string UnreachableUrl();

// The folder the server serves /files/ from, as a Windows path with a trailing "\".
std::string TestServerDataDir();

// Writes `content` to <data dir>/<name>; returns the URL path "/files/<name>".
std::string PutServerFile(const std::string& name, const std::string& content);

// The requests seen so far, oldest first: path, TAB, Authorization header.
std::vector<std::string> ServerRequests();
std::vector<std::string> SecondServerRequests();
void ClearServerRequests(); // of both servers

} // namespace tessaly::test
