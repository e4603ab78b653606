#include "contacts/InternetApi.h"

namespace tessaly {

namespace {

class SystemApi final : public IInternetApi {
public:
    HINTERNET Open(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags) override
    {
        return ::InternetOpenA(agent, accessType, proxy, proxyBypass, flags);
    }
    HINTERNET OpenUrl(HINTERNET internet, LPCSTR url, LPCSTR headers, DWORD headersLength, DWORD flags,
                      DWORD_PTR context) override
    {
        return ::InternetOpenUrlA(internet, url, headers, headersLength, flags, context);
    }
    BOOL QueryInfo(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength, LPDWORD index) override
    {
        return ::HttpQueryInfoA(request, infoLevel, buffer, bufferLength, index);
    }
    BOOL ReadFile(HINTERNET file, LPVOID buffer, DWORD bytesToRead, LPDWORD bytesRead) override
    {
        return ::InternetReadFile(file, buffer, bytesToRead, bytesRead);
    }
    BOOL CloseHandle(HINTERNET handle) override
    {
        return ::InternetCloseHandle(handle);
    }
};

} // namespace

IInternetApi& SystemInternetApi()
{
    static SystemApi api;
    return api;
}

} // namespace tessaly
