#include "contacts/FolderRecordFile.h"

#include "base/FileHelpers.h"
#include "base/WideText.h"

#include <windows.h>

namespace tessaly {

namespace {

std::wstring RecordPath(const std::wstring& directory, const std::string& folder)
{
    return directory + L"\\" + Utf8ToWide(FolderRecordFileName(folder));
}

} // namespace

std::optional<FolderRecord> LoadFolderRecord(const std::wstring& directory, const std::string& folder)
{
    const std::wstring path = RecordPath(directory, folder);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) || data.nFileSizeHigh != 0 ||
        data.nFileSizeLow > kFolderRecordMaxBytes)
        return std::nullopt;
    try {
        std::optional<FolderRecord> record = ParseFolderRecord(ReadTextFile(path));
        if (record && record->folder == folder)
            return record;
    } catch (const EFileError&) {
        // Unreadable is as good as lost: the items are rewritten and the record made anew.
    }
    return std::nullopt;
}

void SaveFolderRecord(const std::wstring& directory, const FolderRecord& record)
{
    const std::wstring path = RecordPath(directory, record.folder);
    const std::string text = FormatFolderRecord(record);
    if (text.empty()) {
        if (!ForceDeleteFile(path))
            RaiseLastFileError("Cannot delete file", WideToAnsi(path.c_str()));
        return;
    }
    ReplaceFileContent(path, text);
}

} // namespace tessaly
