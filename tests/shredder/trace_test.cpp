// On a real ext4 device, a file shredded by any method leaves no trace of its old
// content: the runner searches the unmounted image for each file's marker after
// the run, and for the marker of a file that was left alone (proof that the
// search would see one).
#include "recorder.h"

#include "harness/support.h"

#include <gtest/gtest.h>

namespace {

using namespace fraxil;
using fraxil::test::Recorder;
using fraxil::test::Req;
using tidvex::test::PathExists;
using tidvex::test::WriteMarkerToDevice;
using tidvex::test::ScratchFolder;
using tidvex::test::TestDrive;

// The runner greps the image for these (see the test's IMAGE_ABSENT / IMAGE_PRESENT).
const char* const kShreddedMarkers[] = {"FraxilTraceQuick0x4d1", "FraxilTraceDoD0x8c2", "FraxilTraceRll0x2e7",
                                        "FraxilTraceMfm0x9a5", "FraxilTraceVsitr0x6f3"};
const char kKeptMarker[] = "FraxilTraceKept0x1b8";
const char kListedMarker[] = "FraxilTraceListed0x3c4";
const char kSubfolderMarker[] = "FraxilTraceSubfolder0x7d2";
const char kFreedMarker[] = "FraxilTraceFreed0x5e9";
const char kOutsideMarker[] = "FraxilTraceOutside0x2a6";
const char kLargeMarker[] = "FraxilTraceLarge0x4b7";


TEST(Trace, EveryMethodLeavesNothingOfTheOldContentOnTheDevice) {
    if (!TestDrive('E')) GTEST_SKIP() << "no ext4 drive E: could be mounted (needs root and loop devices)";
    Recorder rec;
    ShredderCore core(rec);
    ASSERT_EQ(core.Initialize(), 1);
    core.Settings().SetApplicationPath(ScratchFolder("fraxil_trace"));

    WriteMarkerToDevice("E:\\kept.txt", kKeptMarker, 100000);
    for (short method = 0; method < kAlgorithmCount; ++method) {
        const std::string path = "E:\\file" + std::to_string(method) + ".txt";
        // Sizes that end inside a block and span several chunks.
        WriteMarkerToDevice(path, kShreddedMarkers[method], 70000 + 30011 * method);
        ASSERT_TRUE(core.Settings().SetShredMethod(method));
        EXPECT_EQ(core.Wiper().ShredFile(Req(path)), kShredContinue);
        EXPECT_FALSE(PathExists(path));
    }
    EXPECT_TRUE(rec.Of(fraxil::test::Ev::Error).empty());
}

// A file large enough to be written back while its passes are still being
// written leaves nothing either, whichever flush put each part on the device.
TEST(Trace, ALargeFileLeavesNothingOfItsOldContentOnTheDevice) {
    if (!TestDrive('E')) GTEST_SKIP() << "no ext4 drive E: could be mounted (needs root and loop devices)";
    Recorder rec;
    ShredderCore core(rec);
    ASSERT_EQ(core.Initialize(), 1);
    core.Settings().SetApplicationPath(ScratchFolder("fraxil_large_trace"));
    WriteMarkerToDevice("E:\\large.bin", kLargeMarker, (20 << 20) + 4099);
    ASSERT_TRUE(core.Settings().SetShredMethod(1));
    EXPECT_EQ(core.Wiper().ShredFile(Req("E:\\large.bin")), kShredContinue);
    EXPECT_FALSE(PathExists("E:\\large.bin"));
    EXPECT_TRUE(rec.Of(fraxil::test::Ev::Error).empty());
}

// A folder session leaves nothing of the listed folder's files, and a wipe of
// the drive's free space nothing of a file deleted before it; a file outside the
// listed folder keeps its content.
TEST(Trace, AFolderSessionAndAFreeSpaceWipeLeaveNothingOnTheDevice) {
    if (!TestDrive('E')) GTEST_SKIP() << "no ext4 drive E: could be mounted (needs root and loop devices)";
    Recorder rec;
    ShredderCore core(rec);
    ASSERT_EQ(core.Initialize(), 1);
    core.Settings().SetApplicationPath(ScratchFolder("fraxil_session_trace"));
    ASSERT_TRUE(CreateDirectoryA("E:\\listed", nullptr));
    ASSERT_TRUE(CreateDirectoryA("E:\\listed\\sub", nullptr));
    WriteMarkerToDevice("E:\\listed\\a.doc", kListedMarker, 90001);
    WriteMarkerToDevice("E:\\listed\\sub\\b.doc", kSubfolderMarker, 70001);
    WriteMarkerToDevice("E:\\outside.doc", kOutsideMarker, 50001);
    WriteMarkerToDevice("E:\\freed.doc", kFreedMarker, 200001);
    ASSERT_TRUE(DeleteFileA("E:\\freed.doc"));  // an ordinary delete: the content stays in the free space

    core.Settings().SetFlag(Flag::ShredSubFolder, 1);
    core.Settings().SetFlag(Flag::RemoveSubFolder, 1);
    ASSERT_EQ(core.Folders().Add(L"E:\\listed"), 1);
    ASSERT_TRUE(fraxil::test::RunSession(core, 60000));
    EXPECT_FALSE(PathExists("E:\\listed"));

    ASSERT_EQ(core.Session().NewSession(), 1);
    core.Settings().SetSessionType(1);
    ASSERT_EQ(core.Drives().Add(L"E:\\"), 1);
    ASSERT_TRUE(fraxil::test::RunSession(core, 120000));
    EXPECT_EQ(core.SessionState(), kSessionCompleted);
    EXPECT_FALSE(PathExists("E:\\SHREDTMP.$$$"));
    EXPECT_TRUE(rec.Of(fraxil::test::Ev::Error).empty());
    EXPECT_TRUE(PathExists("E:\\outside.doc"));
}

}  // namespace
