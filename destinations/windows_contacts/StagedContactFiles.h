#pragma once
// Windows Mail's new contact files are built in a staging folder outside the user's
// Contacts folder and replace the old ones only once every one of them is saved, so a
// failed or killed run leaves the contact folder as it was.
#include <string>
#include <vector>

namespace tessaly {

class TStagedContactFiles {
public:
    // Clears what an earlier run left under `root` (RecoverStagingFolder), then creates an
    // empty folder for the new files. Throws EFileError when that cannot be done.
    explicit TStagedContactFiles(std::string root);
    TStagedContactFiles(const TStagedContactFiles&) = delete;
    TStagedContactFiles& operator=(const TStagedContactFiles&) = delete;
    // Removes the staging folder with whatever is still in it.
    ~TStagedContactFiles();

    // Where the new contact files are written.
    const std::string& Folder() const { return newFiles_; }

    // Creates `target` if needed (one level), moves its ".contact" files aside and the
    // staged files in. On a failure everything is put back as it was and EFileError names
    // the file and the system's reason.
    void ReplaceContactFiles(const std::string& target);

private:
    std::string root_;
    std::string newFiles_;
};

// A run killed while replacing leaves the old files and the target's name under `root`:
// they are put back (the new files already moved in are removed first), then `root` goes.
// Throws EFileError, keeping `root`, when an old file cannot be put back.
void RecoverStagingFolder(const std::string& root);

// Names of the files (not folders) directly in `folder` that end in ".contact", in any case.
std::vector<std::string> ContactFilesIn(const std::string& folder);

} // namespace tessaly
