// The sandbox the tests run in must not reach the host: no Z: drive, user folders
// that are real folders of the prefix, a Recycle Bin of its own, and small test
// drives that really are small.
#include "harness/support.h"

#include <shlobj.h>

#include <gtest/gtest.h>

namespace {

TEST(Sandbox, HasNoDriveThatMapsTheHostFileSystem) {
    DWORD drives = GetLogicalDrives();
    EXPECT_EQ(drives & (1u << ('Z' - 'A')), 0u) << "drive Z: reaches the whole Linux file system";
    EXPECT_NE(drives & (1u << ('C' - 'A')), 0u);
    EXPECT_NE(drives & (1u << ('S' - 'A')), 0u) << "scratch drive S: is missing";
    EXPECT_NE(drives & (1u << ('Y' - 'A')), 0u) << "build drive Y: is missing";
}

TEST(Sandbox, UserFoldersAreRealFoldersInsideThePrefix) {
    const int folders[] = {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYMUSIC, CSIDL_MYPICTURES, CSIDL_MYVIDEO,
                           CSIDL_TEMPLATES};
    for (int csidl : folders) {
        char path[MAX_PATH] = {};
        ASSERT_EQ(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK) << csidl;
        EXPECT_EQ(toupper(path[0]), 'C') << path;
        DWORD attrs = GetFileAttributesA(path);
        ASSERT_NE(attrs, INVALID_FILE_ATTRIBUTES) << path;
        // Wine reports a Unix symlink (a link into the host home) as a reparse point.
        EXPECT_EQ(attrs & FILE_ATTRIBUTE_REPARSE_POINT, 0u) << path << " is a link out of the sandbox";
    }
}

TEST(Sandbox, UserFoldersAndTheRecycleBinLiveInsideThePrefix) {
    const char* prefix = std::getenv("WINEPREFIX");
    ASSERT_NE(prefix, nullptr);
    char desktop[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, desktop), S_OK);
    std::string unixDesktop = tidvex::test::UnixPathOf(desktop);
    ASSERT_FALSE(unixDesktop.empty());
    EXPECT_EQ(unixDesktop.rfind(prefix, 0), 0u) << unixDesktop << " is outside " << prefix;

    // A delete "to the Recycle Bin" must land in the prefix's own trash folder.
    std::string folder = tidvex::test::ScratchFolder("sandbox-bin");
    std::string file = folder + "\\binned.txt";
    tidvex::test::WriteFileBytes(file, "x");
    ASSERT_TRUE(tidvex::test::DeleteToRecycleBin(file));
    EXPECT_FALSE(tidvex::test::PathExists(file));
    std::string trashed = std::string("\\\\?\\unix") + prefix + "/home/.local/share/Trash/files/binned.txt";
    for (char& c : trashed) if (c == '/') c = '\\';
    EXPECT_TRUE(tidvex::test::PathExists(trashed)) << "the Recycle Bin is not the prefix's own trash";
}

TEST(Sandbox, SmallTestDriveIsFullAtItsSize) {
    auto drive = tidvex::test::TestDrive('T');
    if (!drive) GTEST_SKIP() << "no tmpfs drive T: (mounting needs root)";
    ULARGE_INTEGER freeBytes{}, total{}, totalFree{};
    ASSERT_TRUE(GetDiskFreeSpaceExA("T:\\", &freeBytes, &total, &totalFree));
    EXPECT_LE(total.QuadPart, 4ull * 1024 * 1024);
    EXPECT_EQ(GetDriveTypeA("T:\\"), static_cast<UINT>(DRIVE_FIXED));

    HANDLE f = CreateFileA("T:\\fill.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    std::string block(64 * 1024, 'x');
    DWORD written = 0, lastError = 0;
    unsigned long long total_written = 0;
    while (WriteFile(f, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) && written) {
        total_written += written;
        ASSERT_LE(total_written, 8ull * 1024 * 1024) << "the drive is larger than it should be";
    }
    lastError = GetLastError();
    CloseHandle(f);
    DeleteFileA("T:\\fill.bin");
    EXPECT_EQ(lastError, static_cast<DWORD>(ERROR_DISK_FULL));
}

}  // namespace
