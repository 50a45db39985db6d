// A shredded file's old content is gone from the device itself: after this
// program the test runner searches the raw images of E: (ext4) and F: (vfat)
// for the markers of the shredded files (they must be absent) and for the
// marker of a file that was kept (it must be present, which shows the search
// can see file data at all).
#include "harness/support.h"
#include "shred/shredder.h"

#include <gtest/gtest.h>

namespace {

using tidvex::shred::Shredder;
using tidvex::test::PathExists;
using tidvex::test::WriteMarkerToDevice;
using tidvex::test::TestDrive;


void ShredOn(char letter) {
    std::string root = std::string(1, letter) + ":\\";
    WriteMarkerToDevice(root + "kept.txt", "TIDVEX-IMAGE-KEPT-MARKER", 4096);
    WriteMarkerToDevice(root + "big.bin", "TIDVEX-IMAGE-GONE-BIG", 300'000);
    WriteMarkerToDevice(root + "small.txt", "TIDVEX-IMAGE-GONE-SMALL", 20);
    CreateDirectoryA((root + "tree").c_str(), nullptr);
    CreateDirectoryA((root + "tree\\sub").c_str(), nullptr);
    WriteMarkerToDevice(root + "tree\\sub\\deep.dat", "TIDVEX-IMAGE-GONE-TREE", 70'000);

    Shredder shredder;
    EXPECT_GT(shredder.FileShred(root + "big.bin"), 0);
    EXPECT_EQ(shredder.FileShred(root + "small.txt"), 24);
    shredder.FolderShred(root + "tree", false, "*", true, 0, 0);
    EXPECT_FALSE(PathExists(root + "big.bin"));
    EXPECT_FALSE(PathExists(root + "small.txt"));
    EXPECT_FALSE(PathExists(root + "tree"));
    EXPECT_TRUE(PathExists(root + "kept.txt"));
}

TEST(ShredOnADevice, Ext4) {
    if (!TestDrive('E')) GTEST_SKIP() << "no ext4 image drive E: (loop mounting needs root)";
    ShredOn('E');
}

// A sparse file sixteen times the drive's size: its data is overwritten, its
// holes take no space, and it goes.
TEST(ShredOnADevice, ASparseFileNeverFillsTheDrive) {
    if (!TestDrive('E')) GTEST_SKIP() << "no ext4 image drive E: (loop mounting needs root)";
    ASSERT_TRUE(tidvex::test::WriteSparseFile("E:\\sparse.bin", 256ull << 20, "TIDVEX-IMAGE-GONE-SPARSE-HEAD",
                                              "TIDVEX-IMAGE-GONE-SPARSE-TAIL"));
    Shredder shredder;
    EXPECT_EQ(shredder.FileShred("E:\\sparse.bin"), 256ll << 20);
    EXPECT_FALSE(PathExists("E:\\sparse.bin"));
}

TEST(ShredOnADevice, Vfat) {
    if (!TestDrive('F')) GTEST_SKIP() << "no vfat image drive F: (loop mounting needs root)";
    ShredOn('F');
}

}  // namespace
