#pragma once
// Self-registration of the stand-ins' COM servers: the class keys below a classes root
// (HKEY_CLASSES_ROOT, or HKLM\Software\Classes), written and removed as Windows'
// own servers do.
#include <windows.h>

#include <string>

namespace standins {

// "CLSID\{...}": where a class is registered below a classes root.
std::wstring ClassKeyName(REFCLSID classId);

// Sets a text value of root\key (its default value when `name` is null), creating the key.
[[nodiscard]] LONG SetRegistryText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value);

// Removes root\key and everything below it; a key that is already gone is no failure.
[[nodiscard]] LONG DeleteRegistryTree(HKEY root, const std::wstring& key);

// Names `path` the in-process server of the class at root\classKey, apartment-threaded
// as every stand-in object is.
[[nodiscard]] LONG RegisterInProcessServer(HKEY root, const std::wstring& classKey, const std::wstring& path);

// The file of the module (library or program) that this code is linked into: the path a
// server registers for itself. Empty when it cannot be told.
std::wstring ThisModuleFile();

} // namespace standins
