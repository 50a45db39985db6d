// The hard-disk cleaner on a small ext4 drive the test runner mounts as E:,
// whose used size is known: the exact progress of the scan, and a shredded
// file whose bytes the runner then looks for on the raw image (they must be
// gone, while those of a kept file are found).
#include "engine/hd_cleaner.h"

#include "harness/support.h"
#include "pump/pump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

using tidvex::engine::clsHDCleaner;
using tidvex::test::PathExists;
using tidvex::test::WriteMarkerToDevice;


double UsedBytes(const std::string& root) {
    ULARGE_INTEGER available{}, total{}, free{};
    EXPECT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free));
    return static_cast<double>(total.QuadPart) - static_cast<double>(free.QuadPart);
}

TEST(HDCleanerOnADrive, ExactProgressAndShreddedBytesGone) {
    if (!tidvex::test::TestDrive('E')) GTEST_SKIP() << "no ext4 image drive E: (loop mounting needs root)";
    tidvex::pump::ScopedDoEvents quiet([] {});
    // 251 files of 1000 bytes: progress after the 100th and the 200th.
    CreateDirectoryA("E:\\data", nullptr);
    for (int i = 0; i < 249; ++i) WriteMarkerToDevice("E:\\data\\n" + std::to_string(i) + ".dat", "data", 1000);
    WriteMarkerToDevice("E:\\secret.tmp", "TIDVEX-HD-SHRED-GONE", 1000);
    WriteMarkerToDevice("E:\\kept.dat", "TIDVEX-HD-KEPT", 1000);
    const double used = UsedBytes("E:\\");

    clsHDCleaner cleaner;
    std::vector<double> progress;
    cleaner.Progress = [&](double& p) { progress.push_back(p); };
    cleaner.CleanTempFiles(true);
    cleaner.IsUserShredderInsteadofNormalDelete(true);
    cleaner.StartClean(20, 70, "E:");

    const std::vector<double> expected = {20 + 100000 / used * 49, 20 + 200000 / used * 49, 69, 72.5, 76, 79.5,
                                          83, 86.5, 90, 90};
    ASSERT_EQ(progress.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_DOUBLE_EQ(progress[i], expected[i]) << i;
    EXPECT_FALSE(PathExists("E:\\secret.tmp"));
    EXPECT_TRUE(PathExists("E:\\kept.dat"));
}

TEST(HDCleanerOnADrive, MoreBytesThanTheDriveHoldsKeepTheProgressInItsBand) {
    if (!tidvex::test::TestDrive('E')) GTEST_SKIP() << "no ext4 image drive E: (loop mounting needs root)";
    tidvex::pump::ScopedDoEvents quiet([] {});
    CreateDirectoryA("E:\\sparse", nullptr);
    for (int i = 0; i < 150; ++i) {
        // Sparse files: each reports a gigabyte and takes no room.
        HANDLE h = CreateFileA(("E:\\sparse\\s" + std::to_string(i) + ".bin").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        LARGE_INTEGER size;
        size.QuadPart = 1LL << 30;
        ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
        ASSERT_TRUE(SetEndOfFile(h));
        CloseHandle(h);
    }
    clsHDCleaner cleaner;
    std::vector<double> progress;
    cleaner.Progress = [&](double& p) { progress.push_back(p); };
    cleaner.CleanCheckDiskFiles(true);
    cleaner.StartClean(20, 70, "E:\\");
    // The scan's progress stops at its whole share (69) rather than going past it.
    EXPECT_GE(std::count(progress.begin(), progress.end(), 69.0), 2);
    for (double p : progress) {
        EXPECT_TRUE(std::isfinite(p));
        EXPECT_GE(p, 20);
        EXPECT_LE(p, 90);
    }
}

}  // namespace
