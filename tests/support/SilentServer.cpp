#include "SilentServer.h"

#include <stdexcept>

namespace tessaly::test {

SilentServer::Winsock::Winsock()
{
    WSADATA data;
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0)
        throw std::runtime_error("WSAStartup failed");
}

SilentServer::Winsock::~Winsock()
{
    ::WSACleanup();
}

SilentServer::SilentServer()
    : listener_(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)),
      acceptable_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      stop_(::CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    if (!listener_ || !acceptable_ || !stop_)
        throw std::runtime_error("cannot create the silent server's socket or events");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    if (::bind(listener_.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        ::listen(listener_.get(), SOMAXCONN) != 0 ||
        ::WSAEventSelect(listener_.get(), acceptable_.get(), FD_ACCEPT) != 0)
        throw std::runtime_error("cannot listen on 127.0.0.1");
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Accept(); });
}

SilentServer::~SilentServer()
{
    ::SetEvent(stop_.get());
    thread_.join();
}

std::string SilentServer::Url(const std::string& scheme, const std::string& pathAndQuery) const
{
    return scheme + "://127.0.0.1:" + std::to_string(port_) + pathAndQuery;
}

void SilentServer::Accept()
{
    const HANDLE events[] = {stop_.get(), acceptable_.get()};
    while (::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) {
        WSANETWORKEVENTS happened{};
        (void)::WSAEnumNetworkEvents(listener_.get(), acceptable_.get(), &happened);
        UniqueSocket connection(::accept(listener_.get(), nullptr, nullptr));
        if (connection) {
            const std::lock_guard<std::mutex> lock(mutex_);
            accepted_.push_back(std::move(connection));
        }
    }
}

} // namespace tessaly::test
