#include "contacts/InternetApi.h"

namespace tessaly {

namespace {

class SystemApi final : public IInternetApi {
public:
    HINTERNET Open(LPCSTR agent, DWORD accessType, LPCSTR proxy, LPCSTR proxyBypass, DWORD flags) override
    {
        return ::InternetOpenA(agent, accessType, proxy, proxyBypass, flags);
    }
    INTERNET_STATUS_CALLBACK SetStatusCallback(HINTERNET internet, INTERNET_STATUS_CALLBACK callback) override
    {
        return ::InternetSetStatusCallbackA(internet, callback);
    }
    HINTERNET Connect(HINTERNET internet, LPCSTR server, INTERNET_PORT port, LPCSTR user, LPCSTR password,
                      DWORD service, DWORD flags, DWORD_PTR context) override
    {
        return ::InternetConnectA(internet, server, port, user, password, service, flags, context);
    }
    HINTERNET OpenRequest(HINTERNET connection, LPCSTR verb, LPCSTR object, LPCSTR version, LPCSTR referrer,
                          LPCSTR* acceptTypes, DWORD flags, DWORD_PTR context) override
    {
        return ::HttpOpenRequestA(connection, verb, object, version, referrer, acceptTypes, flags, context);
    }
    BOOL SetOption(HINTERNET handle, DWORD option, LPVOID buffer, DWORD bufferLength) override
    {
        return ::InternetSetOptionA(handle, option, buffer, bufferLength);
    }
    BOOL SendRequest(HINTERNET request, LPCSTR headers, DWORD headersLength, LPVOID optional,
                     DWORD optionalLength) override
    {
        return ::HttpSendRequestA(request, headers, headersLength, optional, optionalLength);
    }
    BOOL QueryInfo(HINTERNET request, DWORD infoLevel, LPVOID buffer, LPDWORD bufferLength, LPDWORD index) override
    {
        return ::HttpQueryInfoA(request, infoLevel, buffer, bufferLength, index);
    }
    BOOL QueryDataAvailable(HINTERNET file, LPDWORD bytesAvailable, DWORD flags, DWORD_PTR context) override
    {
        return ::InternetQueryDataAvailable(file, bytesAvailable, flags, context);
    }
    BOOL ReadFileEx(HINTERNET file, LPINTERNET_BUFFERSA buffers, DWORD flags, DWORD_PTR context) override
    {
        return ::InternetReadFileExA(file, buffers, flags, context);
    }
    BOOL CloseHandle(HINTERNET handle) override
    {
        return ::InternetCloseHandle(handle);
    }
    DWORD LastError() override
    {
        return ::GetLastError();
    }
};

} // namespace

IInternetApi& SystemInternetApi()
{
    static SystemApi api;
    return api;
}

} // namespace tessaly
