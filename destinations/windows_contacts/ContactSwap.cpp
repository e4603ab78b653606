#include "destinations/windows_contacts/ContactSwap.h"

#include <set>
#include <stdexcept>
#include <utility>

namespace tessaly {

namespace {
constexpr char kNewFiles[] = "\\new";
constexpr char kOldFiles[] = "\\old";
constexpr char kPlan[] = "\\plan";
constexpr char kPlanDraft[] = "\\plan.draft";
constexpr char kUndoMark[] = "\\undo";
constexpr char kKeptRecord[] = "\\kept"; // where the old files of a given-up swap go
constexpr char kDraft[] = ".draft";
constexpr char kKeptFolderName[] = " (old contacts";
constexpr int kKeptFolderNames = 1000;
constexpr char kElsewhere[] = ".elsewhere"; // beside the own root: the root on another volume

std::string In(const std::string& folder, const std::string& name)
{
    return folder + "\\" + name;
}

// The files of one folder as its file system compares names, kept up to date with the
// pass's own moves. One listing per folder and pass: under Wine, asking for a missing
// name costs a scan of the whole folder.
class Present {
public:
    Present(ISwapFiles& files, const std::string& folder) : files_(files), folder_(folder)
    {
        for (const std::string& name : files.Files(folder))
            keys_.insert(files.Key(name));
    }
    bool Has(const std::string& name) const { return keys_.contains(files_.Key(name)); }
    std::string Path(const std::string& name) const { return In(folder_, name); }

    // Moves `name` from this folder to `to`.
    void MoveTo(Present& to, const std::string& name)
    {
        files_.Move(Path(name), to.Path(name));
        keys_.erase(files_.Key(name));
        to.keys_.insert(files_.Key(name));
    }

private:
    ISwapFiles& files_;
    std::string folder_;
    std::set<std::string> keys_;
};

// Every pass decides each step from what exists, so it may run again after a kill at any
// point.
void MoveIn(ISwapFiles& files, const std::string& root, const SwapPlan& plan)
{
    if (plan.createdTarget)
        files.MakeFolder(plan.target);
    Present staged(files, root + kNewFiles);
    Present target(files, plan.target);
    Present aside(files, root + kOldFiles);
    // All old files aside first: each move then goes into a folder that grows from
    // empty, and under Wine every move looks its new name up in the folder it enters.
    for (const std::string& name : plan.putIn)
        if (staged.Has(name) && target.Has(name) && !aside.Has(name)) // else already in, or aside
            target.MoveTo(aside, name);
    for (const std::string& name : plan.remove)
        if (target.Has(name))
            target.MoveTo(aside, name);
    for (const std::string& name : plan.putIn)
        if (staged.Has(name))
            staged.MoveTo(target, name);
}

// Every staged file stays in "new" until it is in the target, so a missing one is in.
void MoveBack(ISwapFiles& files, const std::string& root, const SwapPlan& plan)
{
    Present staged(files, root + kNewFiles);
    Present target(files, plan.target);
    Present aside(files, root + kOldFiles);
    for (const std::string& name : plan.putIn) {
        if (!staged.Has(name) && target.Has(name))
            target.MoveTo(staged, name);
        if (aside.Has(name))
            aside.MoveTo(target, name);
    }
    for (const std::string& name : plan.remove)
        if (aside.Has(name))
            aside.MoveTo(target, name);
    // Something the user put there keeps the folder.
    if (plan.createdTarget)
        (void)files.RemoveFolder(plan.target);
}

// Whole or not at all: a torn path could name one of the user's folders.
void WriteWhole(ISwapFiles& files, const std::string& path, const std::string& text)
{
    files.Write(path + kDraft, text);
    files.Remove(path);
    files.Move(path + kDraft, path);
}

void Discard(ISwapFiles& files, const std::string& root)
{
    files.Remove(root + kUndoMark);
    files.Remove(root + kPlanDraft);
    files.Remove(root + kKeptRecord);
    files.Remove(root + kKeptRecord + kDraft);
    for (const char* sub : {kNewFiles, kOldFiles}) {
        const std::string folder = root + sub;
        for (const std::string& name : files.Files(folder))
            files.Remove(In(folder, name));
        (void)files.RemoveFolder(folder); // an empty folder left is reused by the next run
    }
    (void)files.RemoveFolder(root);
}

void Finish(ISwapFiles& files, const std::string& root)
{
    files.Remove(root + kPlan); // from here on, "old" is only what was replaced
    Discard(files, root);
}

void Undo(ISwapFiles& files, const std::string& root, const SwapPlan& plan)
{
    MoveBack(files, root, plan);
    Finish(files, root);
}

// "Global (old contacts)", else "Global (old contacts 2)" and so on: a name nothing has.
std::string FreeKeptFolder(ISwapFiles& files, const std::string& target)
{
    for (int n = 1; n <= kKeptFolderNames; ++n) {
        std::string path = target + kKeptFolderName;
        if (n > 1) {
            path += ' ';
            path += std::to_string(n);
        }
        path += ')';
        if (!files.Exists(path))
            return path;
    }
    throw std::runtime_error("Every name for the old contacts beside \"" + target + "\" is taken.");
}

// The target became a file: no folder can be made there, so the new files go and the old
// ones move to a folder of their own beside it, chosen once so that a kill does not
// scatter them.
std::optional<GivenUpSwap> GiveUp(ISwapFiles& files, const std::string& root, const SwapPlan& plan)
{
    const std::string aside = root + kOldFiles;
    const std::string record = root + kKeptRecord;
    std::string kept;
    if (files.FileExists(record)) {
        kept = files.Read(record);
    } else if (!files.Files(aside).empty()) {
        kept = FreeKeptFolder(files, plan.target);
        WriteWhole(files, record, kept);
    }
    if (!kept.empty()) {
        files.MakeFolder(kept);
        for (const std::string& name : files.Files(aside))
            files.Move(In(aside, name), In(kept, name));
    }
    Finish(files, root);
    if (kept.empty())
        return std::nullopt;
    return GivenUpSwap{plan.target, kept};
}

// A failure while moving in turns to undoing, recorded before the first undo step.
void GoOn(ISwapFiles& files, const std::string& root, const SwapPlan& plan)
{
    try {
        MoveIn(files, root, plan);
    } catch (...) {
        files.Write(root + kUndoMark, {});
        Undo(files, root, plan);
        throw;
    }
    Finish(files, root);
}
} // namespace

std::string SwapPlan::Text() const
{
    std::string text = target + "\n";
    if (createdTarget)
        text += "*\n";
    for (const std::string& name : putIn)
        text += "+" + name + "\n";
    for (const std::string& name : remove)
        text += "-" + name + "\n";
    return text;
}

SwapPlan SwapPlan::Parse(const std::string& text)
{
    SwapPlan plan;
    size_t start = 0;
    bool first = true;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos)
            throw std::runtime_error("The swap plan is cut short.");
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back(); // a plan saved with line breaks of CR LF
        if (first)
            plan.target = line;
        else if (line == "*")
            plan.createdTarget = true;
        else if (line.size() > 1 && line[0] == '+')
            plan.putIn.push_back(line.substr(1));
        else if (line.size() > 1 && line[0] == '-')
            plan.remove.push_back(line.substr(1));
        else
            throw std::runtime_error("The swap plan holds an unknown line.");
        first = false;
    }
    if (plan.target.empty())
        throw std::runtime_error("The swap plan names no folder.");
    return plan;
}

std::string StagedFolder(const std::string& root)
{
    return root + kNewFiles;
}

std::optional<GivenUpSwap> RecoverSwap(ISwapFiles& files, const std::string& root)
{
    if (!files.FileExists(root + kPlan)) {
        Discard(files, root);
        return std::nullopt;
    }
    const SwapPlan plan = SwapPlan::Parse(files.Read(root + kPlan));
    // Deleted or renamed since: made again, every move would fail on it forever otherwise.
    if (!files.Exists(plan.target))
        files.MakeFolder(plan.target);
    else if (files.FileExists(plan.target))
        return GiveUp(files, root, plan);
    if (files.FileExists(root + kUndoMark))
        Undo(files, root, plan);
    else
        GoOn(files, root, plan);
    return std::nullopt;
}

void PrepareSwap(ISwapFiles& files, const std::string& root)
{
    // Every run recovers before its download (RecoverSwaps), which says what was given
    // up; a plan found here was left since by nothing but this run's own staging.
    (void)RecoverSwap(files, root);
    files.MakeFolder(root);
    files.MakeFolder(root + kNewFiles);
    files.MakeFolder(root + kOldFiles);
}

void CarryOutSwap(ISwapFiles& files, const std::string& root, const SwapPlan& plan)
{
    try {
        files.Write(root + kPlanDraft, plan.Text());
        files.Move(root + kPlanDraft, root + kPlan);
    } catch (...) {
        Discard(files, root);
        throw;
    }
    GoOn(files, root, plan);
}

std::string ChooseStagingRoot(ISwapFiles& files, const std::string& ownRoot, const std::string& besideTarget,
                              bool sameVolume)
{
    if (sameVolume)
        return ownRoot;
    const std::string record = ownRoot + kElsewhere;
    if (files.FileExists(record) && files.Read(record) == besideTarget)
        return besideTarget;
    WriteWhole(files, record, besideTarget);
    return besideTarget;
}

std::string RecordedStagingRoot(ISwapFiles& files, const std::string& ownRoot)
{
    const std::string record = ownRoot + kElsewhere;
    return files.FileExists(record) ? files.Read(record) : std::string();
}

std::vector<GivenUpSwap> RecoverSwaps(ISwapFiles& files, const std::string& ownRoot)
{
    std::vector<GivenUpSwap> givenUp;
    if (auto swap = RecoverSwap(files, ownRoot))
        givenUp.push_back(std::move(*swap));
    const std::string record = ownRoot + kElsewhere;
    if (files.FileExists(record)) {
        if (auto swap = RecoverSwap(files, files.Read(record)))
            givenUp.push_back(std::move(*swap));
    }
    return givenUp;
}

} // namespace tessaly
