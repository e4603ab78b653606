#pragma once
// The WinINet calls of the download, one to one, behind an interface so that tests can
// hand in a fake that records them and answers as WinINet's asynchronous mode does:
// at once, or ERROR_IO_PENDING and later a report to the status callback. The program
// uses SystemInternetApi().
#include "contacts/HttpDownload.h"

#include <windows.h>
#include <wininet.h>

namespace tessaly {

class IInternetApi {
public:
    virtual HINTERNET Open(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags) = 0;
    virtual INTERNET_STATUS_CALLBACK SetStatusCallback(HINTERNET internet, INTERNET_STATUS_CALLBACK callback) = 0;
    virtual HINTERNET Connect(HINTERNET internet, LPCSTR server, INTERNET_PORT port, LPCSTR user, LPCSTR password,
                              DWORD service, DWORD flags, DWORD_PTR context) = 0;
    virtual HINTERNET OpenRequest(HINTERNET connection, LPCSTR verb, LPCSTR object, LPCSTR version, LPCSTR referrer,
                                  LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context) = 0;
    virtual BOOL SetOption(HINTERNET handle, DWORD option, LPVOID buffer, DWORD bufferLength) = 0;
    virtual BOOL SendRequest(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                             DWORD optionalLength) = 0;
    virtual BOOL QueryInfo(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength, LPDWORD index) = 0;
    virtual BOOL QueryDataAvailable(HINTERNET file, LPDWORD bytesAvailable, DWORD flags, DWORD_PTR context) = 0;
    virtual BOOL ReadFileEx(HINTERNET file, LPINTERNET_BUFFERSA buffers, DWORD flags, DWORD_PTR context) = 0;
    virtual BOOL CloseHandle(HINTERNET handle) = 0;
    virtual DWORD LastError() = 0;

protected:
    ~IInternetApi() = default;
};

IInternetApi& SystemInternetApi();

// DownloadFile over the given calls.
[[nodiscard]] bool DownloadFile(const std::string& url, const std::string& path, const std::string& user,
                                const std::string& password, ReadBuffer& buffer, const DownloadServices& services,
                                IInternetApi& api);

} // namespace tessaly
