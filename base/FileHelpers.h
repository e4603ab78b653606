#pragma once
// File helpers over the Win32 ANSI file functions, and wide ones for names that the ANSI
// code page cannot spell.
#include <string>
#include <system_error>

namespace tessaly {

// A failed file operation: one message that names the file and gives the system's reason
// once, e.g. `Cannot create file "C:\x\a.ini": Access is denied.`
class EFileError : public std::system_error {
public:
    EFileError(unsigned long code, std::string text);
    const char* what() const noexcept override { return text_.c_str(); }

private:
    std::string text_;
};

// Throws EFileError for `action` ("Cannot create file") on `path` with the system's reason
// for `code`.
[[noreturn]] void RaiseFileError(const std::string& action, const std::string& path, unsigned long code);
// The same with the calling thread's last error.
[[noreturn]] void RaiseLastFileError(const std::string& action, const std::string& path);

// True when the file is absent afterwards: read-only is cleared before deleting.
[[nodiscard]] bool ForceDeleteFile(const std::string& path);
[[nodiscard]] bool ForceDeleteFile(const std::wstring& path);

// Replaces the file with `text` followed by CR LF, written as 8-bit bytes.
// Throws EFileError when the file cannot be written.
void SaveTextFile(const std::string& text, const std::string& path);
void SaveTextFile(const std::string& text, const std::wstring& path);

// Writes the text to a new file in the same folder and only then puts it in place of
// the old one (clearing read-only first), so a failed write never costs the old file.
// Throws EFileError, naming the file and the system's reason, when it cannot be replaced;
// the old file is then unchanged and no temporary file is left behind.
void ReplaceFileContent(const std::string& path, const std::string& text);
void ReplaceFileContent(const std::wstring& path, const std::string& text);

// ForceDeleteFile on every non-folder entry of `folder` whose name ends in `ending`;
// failures are ignored.
void DeleteMatchingFiles(const std::string& folder, const std::string& ending);

// Removes the folder and everything in it, read-only entries too. A folder link inside
// (junction, symbolic link) is removed itself, never what it leads to. A missing folder is
// no failure. Throws EFileError naming the first entry that cannot go; what could go is gone.
void RemoveFolderTree(const std::wstring& folder);

// The whole file as 8-bit text. Throws EFileError when it cannot be read.
std::string ReadTextFile(const std::string& path);
std::string ReadTextFile(const std::wstring& path);

// The folder of the running executable, with a trailing path delimiter.
std::string ExecutableFolder();

// The program's own folder in the user's local application data, "...\\CorvaneTessaly",
// created when missing. Throws EFileError when it cannot be had.
std::wstring LocalDataFolder();

bool FileExists(const std::string& path);
bool FileExists(const std::wstring& path);

// The system's message text for an error code, without the trailing line break; empty when none.
std::string SystemErrorMessage(unsigned long code);

} // namespace tessaly
