#include "app/StandardStreams.h"

#include "base/WideText.h"
#include "base/WinHandles.h"

#include <windows.h>

namespace tessaly {

namespace {

bool WriteAll(HANDLE handle, const char* data, size_t size)
{
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
        if (!::WriteFile(handle, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool WriteConsoleText(HANDLE console, const std::wstring& text)
{
    const wchar_t* data = text.data();
    size_t size = text.size();
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 8192 ? 8192 : static_cast<DWORD>(size);
        if (!::WriteConsoleW(console, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool Usable(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

} // namespace

void WriteStandardError(const std::string& text)
{
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (!Usable(error) || text.empty())
        return;
    const std::string line = "CorvaneTessaly: " + text + "\r\n";
    (void)WriteAll(error, line.data(), line.size());
}

bool WriteStandardOutput(const std::string& text)
{
    HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    UniqueKernelHandle console;
    // A program of the GUI subsystem gets no console; the one of the shell it was started
    // from, if any, is borrowed.
    if (!Usable(output) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        console.reset(::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
        output = console.get();
    }
    if (!Usable(output))
        return false;
    DWORD mode = 0;
    if (::GetConsoleMode(output, &mode))
        return WriteConsoleText(output, Utf8ToWide(text));
    return WriteAll(output, text.data(), text.size());
}

} // namespace tessaly
