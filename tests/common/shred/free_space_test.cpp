// Filling free space on small drives of the test's own: the files stay until
// the drive is full, then all go; a stop ends the fill early.
#include "fs/fso.h"
#include "harness/support.h"
#include "pump/pump.h"
#include "shred/shredder.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using namespace tidvex::shred;
using tidvex::test::MakeUnixHardLink;
using tidvex::test::MakeUnixSymlink;
using tidvex::test::MakeUnixSymlinkText;
using tidvex::test::PathExists;
using tidvex::test::ReadFileBytes;
using tidvex::test::RemoveUnixName;
using tidvex::test::TestDrive;
using tidvex::test::UnixPathOf;
using tidvex::test::WriteFileBytes;

std::uint64_t FreeBytes(const std::string& root) {
    ULARGE_INTEGER available{}, total{}, totalFree{};
    GetDiskFreeSpaceExA(root.c_str(), &available, &total, &totalFree);
    return available.QuadPart;
}

std::vector<std::string> FillFilesOn(const std::string& root) {
    std::vector<std::string> out;
    for (const char* name : {"TmpShred.1", "TmpShred.2", "TmpShred.3", "TmpShred.x"})
        if (PathExists(root + name)) out.push_back(name);
    return out;
}

// What the drive looked like when the shredder began to delete its files.
struct FillWatch {
    std::vector<std::string> filesAtFirstDelete;
    std::uint64_t freeAtFirstDelete = ~0ull;
    std::vector<double> progress;
    ShredOptions Options(const std::string& root) {
        ShredOptions o;
        o.beforeDelete = [this, root](const std::string&) {
            if (!filesAtFirstDelete.empty()) return;
            filesAtFirstDelete = FillFilesOn(root);
            freeAtFirstDelete = FreeBytes(root);
        };
        return o;
    }
};

TEST(ShredFreeSpace, KeepsEveryFileUntilTheDriveIsFullThenDeletesThemAll) {
    if (!TestDrive('T')) GTEST_SKIP() << "no 24 MB tmpfs drive T: (mounting needs root)";
    const std::uint64_t before = FreeBytes("T:\\");
    ASSERT_GT(before, 20'000'000u);
    ASSERT_LT(before, 30'000'000u);
    FillWatch watch;
    Shredder shredder(watch.Options("T:\\"));
    shredder.Progress = [&](double& percent) { watch.progress.push_back(percent); };

    shredder.ShredFreeSpace("t:\\any\\path");
    EXPECT_EQ(watch.filesAtFirstDelete, (std::vector<std::string>{"TmpShred.1", "TmpShred.2", "TmpShred.x"}));
    EXPECT_LT(watch.freeAtFirstDelete, 1'000'000u) << "the free space was not filled";
    EXPECT_EQ(watch.progress, (std::vector<double>{50, 100, 100}));
    EXPECT_TRUE(FillFilesOn("T:\\").empty());
    EXPECT_EQ(FreeBytes("T:\\"), before);
}

TEST(ShredFreeSpace, StopEndsTheFillAndStillDeletesWhatWasWritten) {
    if (!TestDrive('T')) GTEST_SKIP() << "no 24 MB tmpfs drive T: (mounting needs root)";
    FillWatch watch;
    Shredder shredder(watch.Options("T:\\"));
    shredder.Progress = [&](double& percent) {
        watch.progress.push_back(percent);
        shredder.StopShred(true);
    };
    shredder.ShredFreeSpace("T:");
    EXPECT_EQ(watch.filesAtFirstDelete, std::vector<std::string>{"TmpShred.1"});
    EXPECT_EQ(watch.progress, std::vector<double>{50});
    EXPECT_TRUE(FillFilesOn("T:\\").empty());
}

TEST(ShredFreeSpace, ADriveSmallerThanOneFileGetsOnlyTheLastFile) {
    if (!TestDrive('U')) GTEST_SKIP() << "no 8 MB tmpfs drive U: (mounting needs root)";
    FillWatch watch;
    Shredder shredder(watch.Options("U:\\"));
    shredder.Progress = [&](double& percent) { watch.progress.push_back(percent); };
    shredder.ShredFreeSpace("U:");
    EXPECT_EQ(watch.filesAtFirstDelete, std::vector<std::string>{"TmpShred.x"});
    EXPECT_LT(watch.freeAtFirstDelete, 1'000'000u);
    EXPECT_EQ(watch.progress, std::vector<double>{100});
    EXPECT_TRUE(FillFilesOn("U:\\").empty());
}

// A fill file's name already taken by a link or by a second name of another
// file: the fill stops there with an error, what was written is deleted, and the
// link's target or the other name keeps its content.
TEST(ShredFreeSpace, AFillFileNameTakenByALinkIsNeverWrittenThrough) {
    if (!TestDrive('T')) GTEST_SKIP() << "no 24 MB tmpfs drive T: (mounting needs root)";
    CreateDirectoryA("T:\\outside", nullptr);
    const std::string target = "T:\\outside\\precious.txt", missing = "T:\\outside\\missing.txt";
    struct Case {
        const char* kind;
        std::function<bool(const std::string& name)> plant;
    };
    const Case cases[] = {
        {"link to a file", [&](const std::string& name) { return MakeUnixSymlink(target, name); }},
        {"link to nothing",
         [&](const std::string& name) {
             return MakeUnixSymlinkText(UnixPathOf("T:\\outside") + "/missing.txt", name);
         }},
        {"second name", [&](const std::string& name) { return MakeUnixHardLink(target, name); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        WriteFileBytes(target, "precious content");
        if (!c.plant("T:\\TmpShred.2")) GTEST_SKIP() << "no Unix links can be made here";
        Shredder shredder;
        EXPECT_THROW(shredder.ShredFreeSpace("T:"), tidvex::RunTimeError);
        EXPECT_EQ(ReadFileBytes(target), "precious content");
        EXPECT_FALSE(PathExists(missing));
        EXPECT_FALSE(PathExists("T:\\TmpShred.1")) << "what was written is deleted";
        EXPECT_TRUE(RemoveUnixName("T:\\TmpShred.2"));
    }
    // A plain file of that name, left from an earlier fill, is simply filled anew.
    WriteFileBytes("T:\\TmpShred.2", "left over");
    Shredder shredder;
    shredder.ShredFreeSpace("T:");
    EXPECT_TRUE(FillFilesOn("T:\\").empty());
}

TEST(ShredFreeSpace, ADriveThatCannotBeReachedIsReportedToTheCaller) {
    Shredder shredder;
    for (const char* drive : {"", "1:", "\\\\", "Q:"}) {
        try {
            shredder.ShredFreeSpace(drive);
            ADD_FAILURE() << drive << ": no error";
        } catch (const tidvex::RunTimeError& e) {
            EXPECT_NE(e.Number(), 0) << drive;
        }
    }
}

}  // namespace
