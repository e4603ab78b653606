#include "app/RunLogFile.h"

#include "base/FileHelpers.h"
#include "base/WinHandles.h"

#include <windows.h>

namespace tessaly {

namespace {

constexpr wchar_t kRunLogName[] = L"\\runs.log";

// Adds `text` at the end of the file, creating it when missing: the common case writes
// only the new line.
bool AppendToFile(const std::wstring& path, const std::string& text)
{
    UniqueKernelHandle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return false;
    DWORD written = 0;
    return ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

} // namespace

std::wstring RunLogPath()
{
    try {
        return LocalDataFolder() + kRunLogName;
    } catch (const EFileError&) {
        return {};
    }
}

bool AppendRunLogLine(const std::wstring& path, const RunLogEntry& entry)
{
    if (path.empty())
        return false;
    std::string old;
    if (FileExists(path)) {
        try {
            old = ReadTextFile(path);
        } catch (const EFileError&) {
            return false;
        }
    }
    // Someone marked it read-only: the mark is theirs to lift, not ours (and a process of
    // the administrators' may open it for writing all the same).
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return false;
    const std::string text = AppendToRunLog(old, FormatRunLogLine(entry));
    if (text.starts_with(old))
        return AppendToFile(path, text.substr(old.size()));
    // Trimmed: the whole file is replaced.
    try {
        ReplaceFileContent(path, text);
    } catch (const EFileError&) {
        return false;
    }
    return true;
}

std::optional<RunLogEntry> ReadLastRun(const std::wstring& path)
{
    if (path.empty() || !FileExists(path))
        return std::nullopt;
    try {
        return LastRunIn(ReadTextFile(path));
    } catch (const EFileError&) {
        return std::nullopt;
    }
}

} // namespace tessaly
