#pragma once
// The contacts file download: one HTTP GET through WinINet with a Basic authorization
// header, redirects followed here so the credentials stay with their origin, read in
// blocks of up to 64 KiB and streamed, trimmed, to the temporary file.
#include "base/RunServices.h"
#include "base/ZeroFilledBlock.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace tessaly {

// The block every read goes through: one byte more than a read may fill, so the byte
// after the data is always zero. Allocated once per process.
struct ReadBuffer {
    static constexpr std::uint32_t kSize = 1024 * 1024;
    ZeroFilledBlock block{kSize + 1};
    std::uint32_t size = kSize;
};

// How long a server may keep us waiting. Tests hand in short ones.
struct DownloadLimits {
    // For each connect, each send and each receive, and for the TLS handshake of each
    // connection.
    std::chrono::milliseconds timeout{std::chrono::seconds(30)};
    // For the whole download, ending any wait for the server, so one that trickles its
    // headers or body cannot hold the run forever. A contacts file of 50 MB still arrives over a
    // link of about 100 KB/s.
    std::chrono::milliseconds whole{std::chrono::minutes(10)};
};

struct DownloadServices {
    std::function<bool()> stopRequested;
    std::function<void(NoticeKind, const std::string&)> showNotice;
    DownloadLimits limits{};
};

// The file a body is received into before it takes `path`'s name whole. A killed run
// leaves it behind, holding part of the contact list.
inline std::string PartialDownloadPath(const std::string& path)
{
    return path + ".part";
}

// True when a non-blank body that is not a recognised server error page arrived and
// was written to `path` (or when a stop was requested after part of it arrived).
[[nodiscard]] bool DownloadFile(const std::string& url, const std::string& path, const std::string& user,
                                const std::string& password, ReadBuffer& buffer, const DownloadServices& services);

} // namespace tessaly
