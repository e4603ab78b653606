#include "destinations/wab_library/WabLibrary.h"

#include "base/TextHelpers.h"
#include "base/WinHandles.h"

#include <vector>

namespace tessaly {

namespace {
struct WabLibrary {
    HMODULE module = nullptr;
    WabOpenFunction open = nullptr;

    // The library stays loaded until the process ends.
    ~WabLibrary() { UnloadWabLibrary(); }
};

WabLibrary& Library()
{
    static WabLibrary library;
    return library;
}

constexpr char kWabPathKey[] = "Software\\Microsoft\\WAB\\DLLPath";
constexpr DWORD kPathBufferSize = 261;
} // namespace

bool WabLibraryPath(std::string& path)
{
    path.clear();
    UniqueRegKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWabPathKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    char buffer[kPathBufferSize] = {};
    DWORD size = kPathBufferSize;
    DWORD type = 0;
    if (::RegQueryValueExA(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) ==
        ERROR_SUCCESS) {
        buffer[kPathBufferSize - 1] = '\0';
        path = buffer;
    }
    key.reset();
    path = ExpandPathVariable(path);
    return true;
}

std::string ExpandPathVariable(const std::string& path)
{
    if (path.empty() || path[0] != '%')
        return path;
    const size_t second = path.find('%', 1);
    if (second == std::string::npos)
        return path;
    const std::string name = path.substr(1, second - 1);
    std::string value;
    const DWORD needed = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (needed > 0) {
        std::vector<char> buffer(needed);
        const DWORD length = ::GetEnvironmentVariableA(name.c_str(), buffer.data(), needed);
        if (length < needed)
            value.assign(buffer.data(), length);
    }
    if (!HasText(value))
        return path;
    if (value.back() == '\\')
        value.pop_back();
    return value + path.substr(second + 1);
}

bool LoadWabLibrary()
{
    WabLibrary& library = Library();
    if (library.module)
        return true;
    std::string path;
    if (!WabLibraryPath(path))
        return false;
    library.module = ::LoadLibraryA(path.c_str());
    if (!library.module)
        return false;
    library.open = reinterpret_cast<WabOpenFunction>(reinterpret_cast<void*>(::GetProcAddress(library.module, "WABOpen")));
    if (!library.open) {
        UnloadWabLibrary();
        return false;
    }
    return true;
}

bool UnloadWabLibrary()
{
    WabLibrary& library = Library();
    if (!library.module)
        return true;
    const bool freed = ::FreeLibrary(library.module) != FALSE;
    library.module = nullptr;
    library.open = nullptr;
    return freed;
}

bool IsWabLibraryLoaded()
{
    return Library().module != nullptr;
}

WabOpenFunction WabOpenEntry()
{
    return Library().open;
}

} // namespace tessaly
