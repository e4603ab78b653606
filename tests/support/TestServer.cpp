#include "TestServer.h"

#include "TestServerConfig.h"

#include <winsock2.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tessaly::test {

namespace {
std::string ServerDir()
{
    return TESSALY_TEST_SERVER_DIR;
}

std::string Port(const char* name = "port")
{
    std::ifstream file(ServerDir() + "\\" + name);
    std::string port;
    if (!(file >> port))
        throw std::runtime_error("the test server is not running (no port file in " + ServerDir() + ")");
    return port;
}
} // namespace

std::string TestServerUrl(const std::string& pathAndQuery)
{
    return "http://127.0.0.1:" + Port() + pathAndQuery;
}

std::string SecondServerUrl(const std::string& pathAndQuery)
{
    return "http://127.0.0.1:" + Port("port2") + pathAndQuery;
}

std::string UnreachableUrl()
{
    // Bind a loopback port, note it and close it again: nothing listens there afterwards.
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    const int port = ntohs(address.sin_port);
    closesocket(s);
    WSACleanup();
    return "http://127.0.0.1:" + std::to_string(port) + "/files/contacts.csv";
}

std::string TestServerDataDir()
{
    return ServerDir() + "\\data\\";
}

std::string PutServerFile(const std::string& name, const std::string& content)
{
    std::ofstream file(TestServerDataDir() + name, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!file)
        throw std::runtime_error("cannot write " + name + " for the test server");
    return "/files/" + name;
}

namespace {
std::vector<std::string> LogLines(const char* name)
{
    std::ifstream file(TestServerDataDir() + name, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    return lines;
}
} // namespace

std::vector<std::string> ServerRequests()
{
    return LogLines("requests.log");
}

std::vector<std::string> SecondServerRequests()
{
    return LogLines("second-requests.log");
}

void ClearServerRequests()
{
    for (const char* name : {"requests.log", "second-requests.log"})
        std::ofstream(TestServerDataDir() + name, std::ios::binary | std::ios::trunc);
}

} // namespace tessaly::test
