#pragma once
// Loader of the Windows Address Book library: found through the registry, loaded at
// most once per process, unloaded when the program ends.
#include <windows.h>

#include <string>

namespace tessaly {

// WABOpen(&addrBook, &wabObject, params, reserved)
using WabOpenFunction = HRESULT(WINAPI*)(void** addrBook, void** wabObject, void* params, DWORD reserved);

[[nodiscard]] bool LoadWabLibrary();
bool UnloadWabLibrary();
bool IsWabLibraryLoaded();
// The "WABOpen" entry point of the loaded library, or null.
WabOpenFunction WabOpenEntry();

// The library path from HKLM "Software\Microsoft\WAB\DLLPath"; false when the key cannot be opened.
[[nodiscard]] bool WabLibraryPath(std::string& path);

// Expands an environment variable written as a token at the very start of the path.
std::string ExpandPathVariable(const std::string& path);

} // namespace tessaly
