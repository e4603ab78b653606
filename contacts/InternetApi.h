#pragma once
// The WinINet calls of the download, one to one, behind an interface so that tests can
// hand in a fake that records them. The program uses SystemInternetApi().
#include "contacts/HttpDownload.h"

#include <windows.h>
#include <wininet.h>

namespace tessaly {

class IInternetApi {
public:
    virtual HINTERNET Open(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags) = 0;
    virtual HINTERNET OpenUrl(HINTERNET internet, LPCSTR url, LPCSTR headers, DWORD headersLength, DWORD flags,
                              DWORD_PTR context) = 0;
    virtual BOOL QueryInfo(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength, LPDWORD index) = 0;
    virtual BOOL ReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead) = 0;
    virtual BOOL CloseHandle(HINTERNET handle) = 0;

protected:
    ~IInternetApi() = default;
};

IInternetApi& SystemInternetApi();

// DownloadFile over the given calls.
[[nodiscard]] bool DownloadFile(const std::string& url, const std::string& path, const std::string& user,
                                const std::string& password, ReadBuffer& buffer, const DownloadServices& services,
                                IInternetApi& api);

} // namespace tessaly
