#include "app/SettingsFile.h"

#include "app/Settings.h"
#include "base/FileHelpers.h"
#include "base/WideText.h"
#include "base/WinHandles.h"

#include <windows.h>

#include <system_error>

namespace tessaly {

namespace {

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Removes the temporary file unless it was moved into place.
class TempFile {
public:
    explicit TempFile(std::string path) : path_(std::move(path)) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile()
    {
        if (!path_.empty())
            (void)ForceDeleteFile(path_);
    }
    const std::string& path() const { return path_; }
    void Keep() { path_.clear(); }

private:
    std::string path_;
};

} // namespace

SettingsTextConversion SystemSettingsText()
{
    return {
        [](std::string_view utf8) -> std::optional<std::string> {
            if (utf8.empty())
                return std::string();
            const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(),
                                                     static_cast<int>(utf8.size()), nullptr, 0);
            if (length <= 0)
                return std::nullopt;
            std::wstring wide(static_cast<size_t>(length), L'\0');
            ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                  wide.data(), length);
            // Whatever the code page, a character it lacks does not come back the same.
            std::string ansi = WideToAnsi(wide.c_str(), length);
            if (AnsiToWide(ansi) != wide)
                return std::nullopt;
            return ansi;
        },
        [](std::string_view ansi) { return ConvertText(std::string(ansi), CP_ACP, CP_UTF8); },
    };
}

std::string SettingsFilePath()
{
    return ExecutableFolder() + std::string(kSettingsFileName);
}

TIniFile LoadIniFile(const std::string& path)
{
    if (!FileExists(path))
        return TIniFile();
    return TIniFile::Parse(ReadTextFile(path));
}

void ReplaceFileContent(const std::string& path, const std::string& text)
{
    char tempName[MAX_PATH] = {};
    if (::GetTempFileNameA(FolderOf(path).c_str(), "cts", 0, tempName) == 0)
        RaiseLastFileError("Cannot create file", path);
    TempFile temp(tempName);
    {
        UniqueKernelHandle file(::CreateFileA(temp.path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            RaiseLastFileError("Cannot create file", path);
        DWORD written = 0;
        if (!text.empty()
            && (!::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr)
                || written != text.size()))
            RaiseLastFileError("Cannot write file", path);
        if (!::FlushFileBuffers(file.get()))
            RaiseLastFileError("Cannot write file", path);
    }
    if (FileExists(path)) {
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
            ::SetFileAttributesA(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    if (!::MoveFileExA(temp.path().c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        RaiseLastFileError("Cannot replace file", path);
    temp.Keep();
}

} // namespace tessaly
