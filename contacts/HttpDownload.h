#pragma once
// The contacts file download: one HTTP GET through WinINet with a Basic authorization
// header, read in 5120-byte chunks into memory and written to the temporary file.
#include "app/RunServices.h"
#include "app/ZeroFilledBlock.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tessaly {

// The block every read goes through: 5121 bytes, of which at most 5120 are filled,
// so the byte after the data is always zero. Allocated once per process.
struct ReadBuffer {
    ZeroFilledBlock block{5121};
    std::uint16_t size = 5120;
};

struct DownloadServices {
    std::function<bool()> stopRequested;
    std::function<void(NoticeKind, const std::string&)> showNotice;
};

// True when a non-blank body that is not a recognised server error page arrived and
// was written to `path` (or when a stop was requested after part of it arrived).
[[nodiscard]] bool DownloadFile(const std::string& url, const std::string& path, const std::string& user,
                                const std::string& password, ReadBuffer& buffer, const DownloadServices& services);

} // namespace tessaly
