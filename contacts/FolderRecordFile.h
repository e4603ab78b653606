#pragma once
// A destination folder's record on disk: one file per folder identity in a folder of the
// program's own, replaced whole on every write.
#include "contacts/FolderRecord.h"

#include <optional>
#include <string>

namespace tessaly {

// The record kept for `folder` in `directory`; none when there is none, or it cannot be
// read, is damaged, or belongs to another folder: the caller then rewrites what it cannot
// vouch for.
std::optional<FolderRecord> LoadFolderRecord(const std::wstring& directory, const std::string& folder);

// Replaces the record of record.folder in `directory`; a record too large to keep removes
// the old one instead. Throws EFileError when the file cannot be written.
void SaveFolderRecord(const std::wstring& directory, const FolderRecord& record);

} // namespace tessaly
