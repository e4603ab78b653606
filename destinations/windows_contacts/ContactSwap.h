#pragma once
// Putting a staged set of contact files into the contact folder so that a kill at any file
// operation, recovery included, leaves a state from which the next run ends with exactly
// one whole version of the folder, the old or the new.
//
// Under the staging root: "new" holds the staged files, "old" the target's files moved
// aside. The plan file, written whole under another name and then renamed, is the commit
// point: without it a run's leftovers are discarded; with it the swap is carried on, and
// every step is decided from which of new\X, target\X and old\X exist. A failure (not a
// kill) while moving in first writes the undo mark, so that a kill during the undo goes on
// undoing. The old files stay in "old" until the plan is gone.
//
// The user may delete, rename or replace the target between two runs. A missing target is
// made again and the swap goes on; a target that has become a file gives the swap up: the
// old files go to a new folder beside it, where the user finds them.
#include <optional>
#include <string>
#include <vector>

namespace tessaly {

// The file operations of a swap, so that a fake can count, fail or stop them. Paths are
// UTF-8 with "\" between the parts. Every failure throws.
class ISwapFiles {
public:
    // True for a file, false for a folder or nothing.
    [[nodiscard]] virtual bool FileExists(const std::string& path) = 0;
    // True for a file or a folder.
    [[nodiscard]] virtual bool Exists(const std::string& path) = 0;
    // Names of the files (not folders) directly in `folder`; none when it is missing.
    virtual std::vector<std::string> Files(const std::string& folder) = 0;
    // One level; an existing folder is no failure.
    virtual void MakeFolder(const std::string& path) = 0;
    // A rename within one volume: it never copies and never replaces an existing entry.
    virtual void Move(const std::string& from, const std::string& to) = 0;
    // Deletes the file, read-only too; a missing file is no failure.
    virtual void Remove(const std::string& path) = 0;
    // Removes the folder when it is empty; true when it is gone afterwards.
    [[nodiscard]] virtual bool RemoveFolder(const std::string& path) = 0;
    // Creates or replaces the file with `text`, on the disk when the call returns.
    virtual void Write(const std::string& path, const std::string& text) = 0;
    virtual std::string Read(const std::string& path) = 0;
    // The name as this file system compares names: two names with one key are one file.
    [[nodiscard]] virtual std::string Key(const std::string& name) = 0;

protected:
    ~ISwapFiles() = default;
};

// What one swap does to the target folder.
struct SwapPlan {
    std::string target;
    // Files of "new" that go in, each replacing a file of the same name.
    std::vector<std::string> putIn;
    // Files of the target that go out.
    std::vector<std::string> remove;
    // The swap created the target: undoing it removes the folder again when it is empty.
    bool createdTarget = false;

    // Lines of UTF-8: the target, then "*" when created, "+name" and "-name".
    std::string Text() const;
    // Throws std::runtime_error when the text is not a plan.
    static SwapPlan Parse(const std::string& text);
};

// A swap given up because its target had become a file.
struct GivenUpSwap {
    std::string target;
    // The new folder beside the target that holds the old files the swap had moved aside.
    std::string keptIn;
};

// The folder under `root` where a run stages its new files.
std::string StagedFolder(const std::string& root);

// Ends whatever an earlier run left under `root`: a committed swap is finished, or undone
// when it was being undone, its target made again if it is missing; anything else is
// discarded. Then `root` holds nothing. Answers the swap given up, once: when its target
// has become a file and old files were kept. Throws, keeping the plan for the next
// run, when a step fails.
std::optional<GivenUpSwap> RecoverSwap(ISwapFiles& files, const std::string& root);

// Empties `root` and creates it with an empty staging folder.
void PrepareSwap(ISwapFiles& files, const std::string& root);

// Commits `plan` and carries it out. On a failure the target gets its old files back and
// the failure travels on; should the undo fail too, the next RecoverSwap goes on with it.
void CarryOutSwap(ISwapFiles& files, const std::string& root, const SwapPlan& plan);

// The staging root of a swap into a target: `ownRoot` when both lie on one volume, so that
// every move is a rename; otherwise `besideTarget`, on the target's volume, which is first
// recorded beside `ownRoot` so that RecoverSwaps finds it.
std::string ChooseStagingRoot(ISwapFiles& files, const std::string& ownRoot, const std::string& besideTarget,
                              bool sameVolume);

// RecoverSwap on `ownRoot` and on the root that ChooseStagingRoot recorded, if any.
std::vector<GivenUpSwap> RecoverSwaps(ISwapFiles& files, const std::string& ownRoot);

// The root on another volume that ChooseStagingRoot recorded beside `ownRoot`; empty when
// none was.
std::string RecordedStagingRoot(ISwapFiles& files, const std::string& ownRoot);

} // namespace tessaly
