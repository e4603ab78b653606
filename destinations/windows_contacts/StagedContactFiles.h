#pragma once
// Windows Mail's new contact files are built in a staging folder outside the user's
// Contacts folder and replace the old ones only once every one of them is saved, by the
// swap of ContactSwap.h, so a failed or killed run leaves one whole version behind.
#include "destinations/windows_contacts/ContactSwap.h"

#include <string>
#include <vector>

namespace tessaly {

class StagedContactFiles {
public:
    // Ends what an earlier run left under `root` (RecoverSwap), then creates an empty
    // folder for the new files; `hidden` hides `root` from the user, where it lies in sight.
    // Throws when that cannot be done.
    StagedContactFiles(ISwapFiles& files, std::string root, bool hidden = false);
    StagedContactFiles(const StagedContactFiles&) = delete;
    StagedContactFiles& operator=(const StagedContactFiles&) = delete;
    // Removes the staged files unless a swap was committed; what cannot go now is
    // cleared by the next run.
    ~StagedContactFiles();

    // Where the new contact files are written.
    const std::string& Folder() const { return newFiles_; }

    // The staged files go into the target, each replacing a file of its name, and then the
    // target's `stale` files go, but for those a staged file replaced; the target is
    // created (one level) if needed. Nothing happens when there is nothing to change. On
    // a failure the old files are put back and the failure, naming the file and the
    // system's reason, travels on.
    void ReplaceContactFiles(const std::string& target, const std::vector<std::string>& stale);

private:
    ISwapFiles& files_;
    std::string root_;
    std::string newFiles_;
    bool committed_ = false;
};

// Where contact files going into a subfolder of `contactsFolder` are staged: `ownRoot`
// when it lies on the same volume, so that moves are renames; otherwise a hidden folder
// "CorvaneTessaly staging" beside the Contacts folder, recorded for RecoverSwaps.
std::string StagingRootFor(ISwapFiles& files, const std::string& ownRoot, const std::string& contactsFolder);

// The file operations of the real system: wide-character calls on UTF-8 paths, moves that
// are renames only (a move across volumes fails and leaves nothing behind).
ISwapFiles& SystemSwapFiles();

// A UTF-8 file name as Windows compares it: without regard to case, beyond ASCII too.
std::string FoldFileName(std::string_view utf8);

} // namespace tessaly
