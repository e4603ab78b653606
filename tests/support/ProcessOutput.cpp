#include "ProcessOutput.h"

#include "base/WinHandles.h"

#include <stdexcept>

namespace tessaly::test {

ProcessResult RunProcess(const std::string& commandLine, DWORD timeoutMs)
{
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    UniqueKernelHandle readEnd, writeEnd;
    if (!::CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, 0))
        throw std::runtime_error("CreatePipe failed");
    ::SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd.get();
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION info{};
    std::string mutableLine = commandLine;
    if (!::CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        throw std::runtime_error("cannot start: " + commandLine);
    UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    writeEnd.reset(); // only the child holds the write end now: end of output when it ends

    ProcessResult result;
    const DWORD started = ::GetTickCount();
    char buffer[4096];
    for (;;) {
        DWORD available = 0;
        if (::PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0) {
            DWORD read = 0;
            if (::ReadFile(readEnd.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
                result.output.append(buffer, read);
            continue;
        }
        if (::WaitForSingleObject(process.get(), 20) == WAIT_OBJECT_0) {
            DWORD read = 0;
            while (::PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0 &&
                   ::ReadFile(readEnd.get(), buffer, sizeof buffer, &read, nullptr) && read > 0)
                result.output.append(buffer, read);
            result.finished = true;
            break;
        }
        if (::GetTickCount() - started > timeoutMs) {
            ::TerminateProcess(process.get(), 255);
            ::WaitForSingleObject(process.get(), 10000);
            break;
        }
    }
    ::GetExitCodeProcess(process.get(), &result.exitCode);
    return result;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t from = 0;
    while (from < text.size()) {
        size_t end = text.find('\n', from);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(from, end - from);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        from = end + 1;
    }
    return lines;
}

} // namespace tessaly::test
