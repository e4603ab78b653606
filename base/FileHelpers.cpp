#include "base/FileHelpers.h"

#include "base/WideText.h"
#include "base/WinHandles.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <system_error>
#include <vector>

namespace tessaly {

EFileError::EFileError(unsigned long code, std::string text)
    : std::system_error(static_cast<int>(code), std::system_category()), text_(std::move(text))
{
}

void RaiseFileError(const std::string& action, const std::string& path, unsigned long code)
{
    std::string reason = SystemErrorMessage(code);
    if (reason.empty())
        reason = "error " + std::to_string(code) + ".";
    throw EFileError(code, action + " \"" + path + "\": " + reason);
}

void RaiseLastFileError(const std::string& action, const std::string& path)
{
    RaiseFileError(action, path, ::GetLastError());
}

// The ANSI forms convert the path as the A functions would and share the wide code.
bool FileExists(const std::string& path)
{
    return FileExists(AnsiToWide(path));
}

bool FileExists(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDeleteFile(const std::string& path)
{
    return ForceDeleteFile(AnsiToWide(path));
}

bool ForceDeleteFile(const std::wstring& path)
{
    if (!FileExists(path))
        return true;
    const bool normal = ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL) != FALSE;
    const bool deleted = ::DeleteFileW(path.c_str()) != FALSE;
    return normal && deleted;
}

void SaveTextFile(const std::string& text, const std::string& path)
{
    SaveTextFile(text, AnsiToWide(path));
}

void SaveTextFile(const std::string& text, const std::wstring& path)
{
    (void)ForceDeleteFile(path); // the create below reports what matters
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        RaiseLastFileError("Cannot create file", WideToAnsi(path.c_str()));
    // Written in two pieces: a copy with the line break appended would double the
    // memory a large download takes.
    auto write = [&](const char* data, size_t size) {
        size_t written = 0;
        while (written < size) {
            DWORD chunk = 0;
            const DWORD want = static_cast<DWORD>(std::min<size_t>(size - written, 1u << 30));
            if (!::WriteFile(file.get(), data + written, want, &chunk, nullptr))
                RaiseLastFileError("Cannot write file", WideToAnsi(path.c_str()));
            written += chunk;
        }
    };
    write(text.data(), text.size());
    write("\r\n", 2);
}

namespace {

// Removes the temporary file unless it was moved into place.
class TempFile {
public:
    explicit TempFile(std::wstring path) : path_(std::move(path)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile()
    {
        if (!path_.empty())
            (void)ForceDeleteFile(path_);
    }
    const std::wstring& path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::wstring path_;
};

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

} // namespace

void ReplaceFileContent(const std::string& path, const std::string& text)
{
    ReplaceFileContent(AnsiToWide(path), text);
}

void ReplaceFileContent(const std::wstring& path, const std::string& text)
{
    const std::string named = WideToAnsi(path.c_str());
    wchar_t tempName[MAX_PATH] = {};
    if (::GetTempFileNameW(FolderOf(path).c_str(), L"cts", 0, tempName) == 0)
        RaiseLastFileError("Cannot create file", named);
    TempFile temp(tempName);
    {
        UniqueKernelHandle file(::CreateFileW(temp.path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            RaiseLastFileError("Cannot create file", named);
        size_t done = 0;
        while (done < text.size()) {
            DWORD written = 0;
            const DWORD want = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 30));
            if (!::WriteFile(file.get(), text.data() + done, want, &written, nullptr) || written == 0)
                RaiseLastFileError("Cannot write file", named);
            done += written;
        }
        if (!::FlushFileBuffers(file.get()))
            RaiseLastFileError("Cannot write file", named);
    }
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!::MoveFileExW(temp.path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        RaiseLastFileError("Cannot replace file", named);
    temp.Keep();
}

void DeleteMatchingFiles(const std::string& folder, const std::string& ending)
{
    const std::wstring wideFolder = AnsiToWide(folder);
    const std::wstring pattern = wideFolder + L"\\*" + AnsiToWide(ending);
    WIN32_FIND_DATAW found{};
    UniqueFindHandle search(::FindFirstFileW(pattern.c_str(), &found));
    if (!search)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            (void)ForceDeleteFile(wideFolder + L"\\" + found.cFileName);
    } while (::FindNextFileW(search.get(), &found));
}

void RemoveFolderTree(const std::wstring& folder)
{
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return;
        RaiseFileError("Cannot remove folder", WideToAnsi(folder.c_str()), error);
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        if (!ForceDeleteFile(folder))
            RaiseLastFileError("Cannot delete file", WideToAnsi(folder.c_str()));
        return;
    }
    // Through a link the walk would empty a folder that is not ours.
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        WIN32_FIND_DATAW found{};
        UniqueFindHandle search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
        if (search) {
            do {
                const std::wstring name = found.cFileName;
                if (name != L"." && name != L"..")
                    RemoveFolderTree(folder + L"\\" + name);
            } while (::FindNextFileW(search.get(), &found));
        }
    }
    if (attributes & FILE_ATTRIBUTE_READONLY)
        ::SetFileAttributesW(folder.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    if (!::RemoveDirectoryW(folder.c_str()))
        RaiseLastFileError("Cannot remove folder", WideToAnsi(folder.c_str()));
}

std::string ReadTextFile(const std::string& path)
{
    return ReadTextFile(AnsiToWide(path));
}

std::string ReadTextFile(const std::wstring& path)
{
    UniqueKernelHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        RaiseLastFileError("Cannot open file", WideToAnsi(path.c_str()));
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size))
        RaiseLastFileError("Cannot read file", WideToAnsi(path.c_str()));
    std::string text(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < text.size()) {
        DWORD chunk = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 30));
        if (!::ReadFile(file.get(), text.data() + done, want, &chunk, nullptr))
            RaiseLastFileError("Cannot read file", WideToAnsi(path.c_str()));
        if (chunk == 0)
            break;
        done += chunk;
    }
    text.resize(done);
    return text;
}

std::wstring LocalDataFolder()
{
    // Not %TEMP%, which cleaners empty, and per user, as the folders it serves are.
    wchar_t folder[MAX_PATH] = {};
    const HRESULT result =
        ::SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder);
    if (FAILED(result))
        throw EFileError(static_cast<unsigned long>(result), "The local application data folder is not available.");
    const std::wstring own = std::wstring(folder) + L"\\CorvaneTessaly";
    if (!::CreateDirectoryW(own.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS)
        RaiseLastFileError("Cannot create folder", WideToAnsi(own.c_str()));
    return own;
}

std::string ExecutableFolder()
{
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            std::string path(buffer.data(), length);
            return path.substr(0, path.find_last_of("\\/") + 1);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string SystemErrorMessage(unsigned long code)
{
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    if (length == 0 || text == nullptr)
        return {};
    std::string message(text, length);
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    return message;
}

} // namespace tessaly
