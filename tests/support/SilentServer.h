#pragma once
// A server on 127.0.0.1 that accepts every connection and never sends a byte: what a
// client meets at a host whose service hangs before its first word, TLS handshake or HTTP.
#include "base/WinHandles.h"

#include <winsock2.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tessaly::test {

class SilentServer {
public:
    SilentServer();
    SilentServer(const SilentServer&) = delete;
    SilentServer& operator=(const SilentServer&) = delete;
    // Stops accepting, then closes every connection it took.
    ~SilentServer();

    // "<scheme>://127.0.0.1:<port>" followed by pathAndQuery.
    std::string Url(const std::string& scheme, const std::string& pathAndQuery) const;

private:
    struct SocketTraits {
        using Handle = SOCKET;
        static Handle Invalid() noexcept { return INVALID_SOCKET; }
        static bool IsValid(Handle s) noexcept { return s != INVALID_SOCKET; }
        static void Close(Handle s) noexcept { ::closesocket(s); }
    };
    using UniqueSocket = UniqueHandle<SocketTraits>;

    void Accept();

    struct Winsock {
        Winsock();
        ~Winsock();
    } winsock_;
    UniqueSocket listener_;
    UniqueKernelHandle acceptable_;
    UniqueKernelHandle stop_;
    int port_ = 0;
    std::mutex mutex_;
    std::vector<UniqueSocket> accepted_;
    std::thread thread_;
};

} // namespace tessaly::test
