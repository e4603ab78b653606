// The swap of contact files, on an in-memory file system that can stop (a kill) or refuse
// (a failure) any file operation: every interruption must leave one whole version.
#include "destinations/windows_contacts/ContactSwap.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

using tessaly::ISwapFiles;
using tessaly::SwapPlan;

namespace {

using Version = std::map<std::string, std::string>; // contact file name -> content

struct Killed {}; // the process ended: nothing more happens, no handler runs to any effect

std::string Parent(const std::string& path)
{
    return path.substr(0, path.rfind('\\'));
}

class FakeFiles final : public ISwapFiles {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> folders{"C:", "C:\\Users", "C:\\Users\\Contacts"};
    std::vector<int> moves; // the operations that were moves, of every run

    // A new process: the operations are counted from 1 again.
    void Start(int killAt = 0, int refuseMoveAt = 0)
    {
        done_ = 0;
        killAt_ = killAt;
        refuseMoveAt_ = refuseMoveAt;
    }
    int Done() const { return done_; }
    // Makes `change` once, before the operation that follows the first `after` of a run:
    // the user at work in Explorer.
    void ChangeAfter(int after, std::function<void(FakeFiles&)> change)
    {
        changeAfter_ = after;
        change_ = std::move(change);
    }
    bool Changed() const { return !change_; }

    bool FileExists(const std::string& path) override
    {
        Step();
        return files.contains(path);
    }
    bool Exists(const std::string& path) override
    {
        Step();
        return files.contains(path) || folders.contains(path);
    }
    std::vector<std::string> Files(const std::string& folder) override
    {
        Step();
        std::vector<std::string> names;
        for (const auto& [path, text] : files)
            if (Parent(path) == folder)
                names.push_back(path.substr(folder.size() + 1));
        return names;
    }
    void MakeFolder(const std::string& path) override
    {
        Step();
        Require(folders.contains(Parent(path)) && !files.contains(path));
        folders.insert(path);
    }
    void Move(const std::string& from, const std::string& to) override
    {
        Step();
        moves.push_back(done_);
        if (done_ == refuseMoveAt_)
            throw std::runtime_error("refused");
        Require(files.contains(from) && !files.contains(to) && !folders.contains(to) && folders.contains(Parent(to)));
        files[to] = files[from];
        files.erase(from);
    }
    void Remove(const std::string& path) override
    {
        Step();
        Require(!folders.contains(path));
        files.erase(path);
    }
    bool RemoveFolder(const std::string& path) override
    {
        Step();
        for (const auto& [file, text] : files)
            if (file.starts_with(path + "\\"))
                return false;
        for (const std::string& folder : folders)
            if (folder.starts_with(path + "\\"))
                return false;
        folders.erase(path);
        return true;
    }
    void Write(const std::string& path, const std::string& text) override
    {
        Step();
        Require(folders.contains(Parent(path)) && !folders.contains(path));
        files[path] = text;
    }
    std::string Key(const std::string& name) override { return name; } // case matters here
    std::string Read(const std::string& path) override
    {
        Step();
        Require(files.contains(path));
        return files[path];
    }

private:
    void Step()
    {
        if (change_ && done_ == changeAfter_) {
            const auto change = std::move(change_);
            change_ = nullptr;
            change(*this);
        }
        if (++done_ >= killAt_ && killAt_ > 0)
            throw Killed{};
    }
    static void Require(bool allowed)
    {
        if (!allowed)
            throw std::runtime_error("not allowed");
    }

    int done_ = 0;
    int killAt_ = 0;
    int refuseMoveAt_ = 0;
    int changeAfter_ = 0;
    std::function<void(FakeFiles&)> change_;
};

const std::string kTarget = "C:\\Users\\Contacts\\Global";
const std::string kRoot = "C:\\Users\\staging";
const Version kOld{{"A.contact", "old A"}, {"B.contact", "old B"}, {"C.contact", "old C"}};
// C stays as it is: a run stages and moves only what changed.
const Version kNew{{"B.contact", "new B"}, {"C.contact", "old C"}, {"D.contact", "new D"}};

// One synchronisation as the destination makes it: the files that differ from the list
// are staged, and those the list no longer holds go.
void Synchronise(FakeFiles& fs, const Version& list, const std::string& root = kRoot)
{
    tessaly::PrepareSwap(fs, root);
    for (const auto& [name, text] : list) {
        const auto held = fs.files.find(kTarget + "\\" + name);
        if (held == fs.files.end() || held->second != text)
            fs.Write(tessaly::StagedFolder(root) + "\\" + name, text);
    }
    SwapPlan plan;
    plan.target = kTarget;
    plan.createdTarget = !fs.folders.contains(kTarget);
    plan.putIn = fs.Files(tessaly::StagedFolder(root));
    for (const std::string& name : fs.Files(kTarget))
        if (name.ends_with(".contact") && !list.contains(name))
            plan.remove.push_back(name);
    tessaly::CarryOutSwap(fs, root, plan);
}

Version ContactsIn(const FakeFiles& fs)
{
    Version version;
    for (const auto& [path, text] : fs.files)
        if (Parent(path) == kTarget && path.ends_with(".contact"))
            version[path.substr(kTarget.size() + 1)] = text;
    return version;
}

// Nothing of the program is left under the staging root.
bool StagingGone(const FakeFiles& fs, const std::string& root = kRoot)
{
    for (const auto& [path, text] : fs.files)
        if (path.starts_with(root + "\\"))
            return false;
    return !fs.folders.contains(root);
}

class ContactSwapTest : public testing::TestWithParam<bool> {
protected:
    // With the folder and its contacts, or without the folder at all.
    FakeFiles Initial() const
    {
        FakeFiles fs;
        if (GetParam()) {
            fs.folders.insert(kTarget);
            for (const auto& [name, text] : kOld)
                fs.files[kTarget + "\\" + name] = text;
            fs.files[kTarget + "\\notes.txt"] = "mine";
        }
        return fs;
    }
    Version Old() const { return GetParam() ? kOld : Version{}; }

    // The old version whole, with the user's other file, or the new one whole.
    void ExpectOneWholeVersion(const FakeFiles& fs, const std::string& where) const
    {
        const Version now = ContactsIn(fs);
        EXPECT_TRUE(now == Old() || now == kNew) << where;
        if (GetParam()) {
            EXPECT_TRUE(fs.files.contains(kTarget + "\\notes.txt")) << where;
        }
    }
};

enum class Ended { Completed, Failed, Killed };

template <typename Step>
Ended RunOnce(FakeFiles& fs, int killAt, int refuseMoveAt, Step step)
{
    fs.Start(killAt, refuseMoveAt);
    try {
        step(fs);
        return Ended::Completed;
    } catch (const Killed&) {
        return Ended::Killed;
    } catch (const std::runtime_error&) {
        return Ended::Failed;
    }
}

void Recover(FakeFiles& fs)
{
    tessaly::RecoverSwap(fs, kRoot);
}

void SynchroniseNew(FakeFiles& fs)
{
    Synchronise(fs, kNew);
}

TEST_P(ContactSwapTest, AnInterruptionAnywhereInARunOrItsRecoveryLeavesOneWholeVersion)
{
    FakeFiles clean = Initial();
    ASSERT_EQ(RunOnce(clean, 0, 0, SynchroniseNew), Ended::Completed);
    ASSERT_EQ(ContactsIn(clean), kNew);
    ASSERT_TRUE(StagingGone(clean));

    // Each move of the run refused in turn (0: none), then a kill at every later operation.
    std::vector<int> refusals{0};
    refusals.insert(refusals.end(), clean.moves.begin(), clean.moves.end());
    for (const int refused : refusals) {
        // A kill up to the refused move is the same as one in a run without a refusal.
        for (int n = refused + 1;; ++n) {
            const std::string run = "refused " + std::to_string(refused) + ", killed at " + std::to_string(n);
            FakeFiles killed = Initial();
            const Ended first = RunOnce(killed, n, refused, SynchroniseNew);
            if (first != Ended::Killed) {
                // A refused move is undone; the failure is reported, not swallowed.
                EXPECT_EQ(first, refused > 0 ? Ended::Failed : Ended::Completed) << run;
                EXPECT_EQ(ContactsIn(killed), refused > 0 ? Old() : kNew) << run;
                EXPECT_TRUE(StagingGone(killed)) << run;
                break;
            }
            // The recovery killed at every operation m, then an unhindered one and a new run.
            for (int m = 1;; ++m) {
                const std::string both = run + ", recovery killed at " + std::to_string(m);
                FakeFiles recovering = killed;
                const Ended second = RunOnce(recovering, m, 0, Recover);
                ASSERT_NE(second, Ended::Failed) << both;
                FakeFiles third = recovering;
                ASSERT_EQ(RunOnce(third, 0, 0, Recover), Ended::Completed) << both;
                ExpectOneWholeVersion(third, both);
                // Once a refusal has been met and recorded, the undo is carried through.
                if (refused > 0 && n > refused + 1) {
                    EXPECT_EQ(ContactsIn(third), Old()) << both;
                }
                EXPECT_TRUE(StagingGone(third)) << both;
                ASSERT_EQ(RunOnce(third, 0, 0, SynchroniseNew), Ended::Completed) << both;
                EXPECT_EQ(ContactsIn(third), kNew) << both;
                if (second == Ended::Completed)
                    break;
            }
            // A recovery whose move is refused turns to undoing: the old version comes back.
            for (int r = 1;; ++r) {
                FakeFiles recovering = killed;
                const Ended second = RunOnce(recovering, 0, r, Recover);
                const std::string both = run + ", recovery refused at " + std::to_string(r);
                if (second == Ended::Failed) {
                    // An undo refused too goes on at the next run.
                    ASSERT_EQ(RunOnce(recovering, 0, 0, Recover), Ended::Completed) << both;
                    EXPECT_EQ(ContactsIn(recovering), Old()) << both;
                } else {
                    ExpectOneWholeVersion(recovering, both);
                }
                EXPECT_TRUE(StagingGone(recovering)) << both;
                if (r > recovering.Done())
                    break;
            }
        }
    }
}

TEST_P(ContactSwapTest, ASwapStagedOnTheTargetsVolumeIsFoundByTheNextRunsRecovery)
{
    const std::string beside = "C:\\Users\\CorvaneTessaly staging";
    const auto elsewhere = [&](FakeFiles& fs) {
        const std::string root = tessaly::ChooseStagingRoot(fs, kRoot, beside, false);
        ASSERT_EQ(root, beside);
        Synchronise(fs, kNew, root);
    };
    for (int n = 1;; ++n) {
        FakeFiles fs = Initial();
        const Ended first = RunOnce(fs, n, 0, elsewhere);
        ASSERT_NE(first, Ended::Failed);
        ASSERT_EQ(RunOnce(fs, 0, 0, [](FakeFiles& again) { tessaly::RecoverSwaps(again, kRoot); }),
                  Ended::Completed);
        ExpectOneWholeVersion(fs, "killed at " + std::to_string(n));
        EXPECT_TRUE(StagingGone(fs, beside)) << n;
        if (first == Ended::Completed)
            break;
    }
    // On one volume the own root serves.
    FakeFiles fs = Initial();
    EXPECT_EQ(tessaly::ChooseStagingRoot(fs, kRoot, beside, true), kRoot);
}

enum class UserChange { Deleted, Renamed, ReplacedByAFile };

const std::string kRenamed = "C:\\Users\\Contacts\\Renamed";
const std::string kUsersFile = "the user's own file";
const std::string kKept = kTarget + " (old contacts)";

// The files directly in `folder`, by name.
Version FilesIn(const FakeFiles& fs, const std::string& folder)
{
    Version version;
    for (const auto& [path, text] : fs.files)
        if (Parent(path) == folder)
            version[path.substr(folder.size() + 1)] = text;
    return version;
}

// The old files a swap still holds aside: without a plan they are only what was replaced.
Version OldFilesAside(const FakeFiles& fs)
{
    return fs.files.contains(kRoot + "\\plan") ? FilesIn(fs, kRoot + "\\old") : Version{};
}

// Every file of the plan is in and every stale one out: what is aside was replaced, and
// whether it is kept no longer matters.
bool AllMovedIn(const FakeFiles& fs)
{
    if (!fs.files.contains(kRoot + "\\plan") || fs.files.contains(kRoot + "\\undo"))
        return false;
    const SwapPlan plan = SwapPlan::Parse(fs.files.at(kRoot + "\\plan"));
    for (const std::string& name : plan.putIn)
        if (fs.files.contains(kRoot + "\\new\\" + name))
            return false;
    for (const std::string& name : plan.remove)
        if (fs.files.contains(kTarget + "\\" + name))
            return false;
    return true;
}

void ChangeTarget(FakeFiles& fs, UserChange change)
{
    const Version held = FilesIn(fs, kTarget);
    for (const auto& [name, text] : held)
        fs.files.erase(kTarget + "\\" + name);
    fs.folders.erase(kTarget);
    if (change == UserChange::Renamed) {
        fs.folders.insert(kRenamed);
        for (const auto& [name, text] : held)
            fs.files[kRenamed + "\\" + name] = text;
    } else if (change == UserChange::ReplacedByAFile) {
        fs.files[kTarget] = kUsersFile;
    }
}

enum class Interrupted { Run, Recovery };

// The target changed by the user after `after` operations of a run or of a recovery, then
// recovered as the next runs recover it: whatever the point, the runs after it go on.
bool ExpectTheNextRunsGoOn(const FakeFiles& start, Interrupted interrupted, UserChange change, int after,
                           const std::string& where)
{
    FakeFiles fs = start;
    Version aside;   // the old files the swap had moved aside when the user acted
    bool movedIn = false;
    Version renamed; // what the user's renamed folder held then
    fs.ChangeAfter(after, [&](FakeFiles& now) {
        aside = OldFilesAside(now);
        movedIn = AllMovedIn(now);
        ChangeTarget(now, change);
        renamed = FilesIn(now, kRenamed);
    });
    std::vector<tessaly::GivenUpSwap> givenUp;
    const auto recover = [&](FakeFiles& again) {
        if (auto swap = tessaly::RecoverSwap(again, kRoot))
            givenUp.push_back(*swap);
    };
    if (interrupted == Interrupted::Run)
        (void)RunOnce(fs, 0, 0, SynchroniseNew);
    else
        (void)RunOnce(fs, 0, 0, recover);
    if (!fs.Changed())
        return false;
    // The pass the user interrupted may fail; the next one ends it.
    if (RunOnce(fs, 0, 0, recover) != Ended::Completed) {
        EXPECT_EQ(RunOnce(fs, 0, 0, recover), Ended::Completed) << where;
    }
    EXPECT_TRUE(StagingGone(fs)) << where;
    EXPECT_EQ(FilesIn(fs, kRenamed), renamed) << where;
    if (change == UserChange::ReplacedByAFile) {
        // Given up, and said once, where the old files are.
        EXPECT_EQ(fs.files[kTarget], kUsersFile) << where;
        if (aside.empty() || (movedIn && givenUp.empty())) {
            EXPECT_TRUE(givenUp.empty()) << where;
            EXPECT_FALSE(fs.folders.contains(kKept)) << where;
        } else {
            EXPECT_EQ(givenUp.size(), 1u) << where;
            for (const tessaly::GivenUpSwap& swap : givenUp) {
                EXPECT_EQ(swap.target, kTarget) << where;
                EXPECT_EQ(swap.keptIn, kKept) << where;
            }
            EXPECT_EQ(FilesIn(fs, kKept), aside) << where;
        }
        // A run into a file fails, and leaves nothing behind.
        EXPECT_EQ(RunOnce(fs, 0, 0, SynchroniseNew), Ended::Failed) << where;
        EXPECT_EQ(fs.files[kTarget], kUsersFile) << where;
    } else {
        // Made again, and equal to the list after the next run.
        EXPECT_TRUE(givenUp.empty()) << where;
        EXPECT_EQ(RunOnce(fs, 0, 0, SynchroniseNew), Ended::Completed) << where;
        EXPECT_EQ(ContactsIn(fs), kNew) << where;
    }
    EXPECT_TRUE(StagingGone(fs)) << where;
    return true;
}

TEST_P(ContactSwapTest, ATargetDeletedRenamedOrReplacedByAFileAtAnyPointNeverBlocksTheNextRuns)
{
    FakeFiles clean = Initial();
    ASSERT_EQ(RunOnce(clean, 0, 0, SynchroniseNew), Ended::Completed);
    std::vector<int> refusals{0};
    refusals.insert(refusals.end(), clean.moves.begin(), clean.moves.end());
    const std::map<UserChange, std::string> changes{
        {UserChange::Deleted, "deleted"}, {UserChange::Renamed, "renamed"}, {UserChange::ReplacedByAFile, "a file"}};
    for (const auto& [change, name] : changes) {
        // During a run,
        for (int after = 0; ExpectTheNextRunsGoOn(Initial(), Interrupted::Run, change, after,
                                                  name + " after run step " + std::to_string(after));
             ++after) {
        }
        // and during the recovery of a run that was killed, or refused a move and then killed.
        for (const int refused : refusals) {
            for (int n = refused + 1;; ++n) {
                FakeFiles killed = Initial();
                if (RunOnce(killed, n, refused, SynchroniseNew) != Ended::Killed)
                    break;
                const std::string run = name + ", refused " + std::to_string(refused) + ", killed at " +
                                        std::to_string(n) + ", then after recovery step ";
                for (int after = 0; ExpectTheNextRunsGoOn(killed, Interrupted::Recovery, change, after,
                                                       run + std::to_string(after));
                     ++after) {
                }
            }
        }
    }
}

TEST_P(ContactSwapTest, ASwapGivenUpAndKilledAnywhereKeepsEveryOldFileInOneFolder)
{
    for (int n = 1;; ++n) {
        FakeFiles killed = Initial();
        if (RunOnce(killed, n, 0, SynchroniseNew) != Ended::Killed)
            break;
        ChangeTarget(killed, UserChange::ReplacedByAFile);
        const Version aside = OldFilesAside(killed);
        for (int m = 1;; ++m) {
            const std::string where = "killed at " + std::to_string(n) + ", giving up killed at " + std::to_string(m);
            FakeFiles fs = killed;
            int said = 0;
            const auto recover = [&](FakeFiles& again) { said += tessaly::RecoverSwap(again, kRoot) ? 1 : 0; };
            const Ended first = RunOnce(fs, m, 0, recover);
            ASSERT_NE(first, Ended::Failed) << where;
            ASSERT_EQ(RunOnce(fs, 0, 0, recover), Ended::Completed) << where;
            EXPECT_TRUE(StagingGone(fs)) << where;
            EXPECT_EQ(FilesIn(fs, kKept), aside) << where;
            EXPECT_FALSE(fs.folders.contains(kTarget + " (old contacts 2)")) << where;
            EXPECT_LE(said, 1) << where;
            if (first == Ended::Completed)
                break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(FolderOrNone, ContactSwapTest, testing::Bool());

} // namespace
