// The file-system object: deletes that take paths literally and refuse what
// they must never touch, links that are never followed, existence tests, the
// extension of a name, folder creation and copying.
#include "fs/fso.h"
#include "fs/paths.h"
#include "harness/support.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace tidvex::fs;
using tidvex::test::MakeUnixSymlink;
using tidvex::test::PathExists;
using tidvex::test::PlantedLinks;
using tidvex::test::ReadFileBytes;
using tidvex::test::ScratchFolder;
using tidvex::test::WriteFileBytes;

int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const tidvex::RunTimeError& e) {
        return e.Number();
    }
    return 0;
}

TEST(FsPaths, OnlyFullPathsBelowARootAreDestructible) {
    for (const char* ok : {"C:\\a", "c:/a/b", "C:\\a\\..\\b", "\\\\server\\share\\a", "\\\\?\\C:\\a",
                           "\\\\?\\UNC\\server\\share\\a"}) {
        EXPECT_TRUE(IsFullPathBelowRoot(ok)) << ok;
    }
    for (const char* refused : {"", "a.txt", "a\\b", "C:a", "\\a", "C:", "C:\\", "C:/", "C:\\a\\..", "C:\\.",
                                "\\\\server\\share", "\\\\server\\share\\", "\\\\?\\C:\\", "\\\\?\\C:\\a\\..",
                                "\\\\.\\C:", "\\\\.\\PhysicalDrive0\\x"}) {
        EXPECT_FALSE(IsFullPathBelowRoot(refused)) << refused;
    }
}

TEST(FileSystemObject, DeletesRefuseEmptyRelativeAndRootPaths) {
    std::string folder = ScratchFolder("fso-refuse");
    WriteFileBytes(folder + "\\keep.txt", "x");
    SetCurrentDirectoryA(folder.c_str());
    for (const char* path : {"", "keep.txt", "S:keep.txt", "\\fso-refuse\\keep.txt", "S:\\", "S:"}) {
        EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFile(path, true); }), kInvalidArgument) << path;
    }
    for (const char* path : {"", ".", "fso-refuse", "\\fso-refuse", "S:\\", "S:", "S:\\fso-refuse\\..",
                             "\\\\?\\S:\\"}) {
        EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFolder(path, true); }), kInvalidArgument) << path;
    }
    SetCurrentDirectoryA("C:\\");
    EXPECT_TRUE(PathExists(folder + "\\keep.txt"));
}

TEST(FileSystemObject, PathsAreLiteralNotPatterns) {
    std::string folder = ScratchFolder("fso-literal");
    WriteFileBytes(folder + "\\a.txt", "a");
    WriteFileBytes(folder + "\\b.txt", "b");
    CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
    EXPECT_FALSE(gFSO().FileExists(folder + "\\*.txt"));
    EXPECT_FALSE(gFSO().FileExists(folder + "\\?.txt"));
    EXPECT_FALSE(gFSO().FolderExists(folder + "\\s*"));
    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFile(folder + "\\*.txt", true); }), kFileNotFound);
    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFile(folder + "\\<.txt", true); }), kFileNotFound);
    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFolder(folder + "\\s*", true); }), kPathNotFound);
    EXPECT_TRUE(PathExists(folder + "\\a.txt"));
    EXPECT_TRUE(PathExists(folder + "\\b.txt"));
    EXPECT_TRUE(PathExists(folder + "\\sub"));
}

TEST(FileSystemObject, DeleteFileNeedsForceForReadOnlyFiles) {
    std::string folder = ScratchFolder("fso-delfile");
    std::string plain = folder + "\\plain.txt", locked = folder + "\\readonly.txt";
    WriteFileBytes(plain, "p");
    WriteFileBytes(locked, "r");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

    gFSO().DeleteFile(plain);
    EXPECT_FALSE(PathExists(plain));
    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFile(locked); }), kPermissionDenied);
    EXPECT_TRUE(PathExists(locked));
    gFSO().DeleteFile(locked, true);
    EXPECT_FALSE(PathExists(locked));

    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFile(plain, true); }), kFileNotFound);
    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFile(folder, true); }), kFileNotFound) << "a folder is not a file";
    try {
        gFSO().DeleteFile(plain, true);
    } catch (const tidvex::RunTimeError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
}

TEST(FileSystemObject, DeleteFolderRemovesTheWholeTree) {
    std::string folder = ScratchFolder("fso-delfolder");
    std::string tree = folder + "\\tree";
    CreateDirectoryA(tree.c_str(), nullptr);
    CreateDirectoryA((tree + "\\a").c_str(), nullptr);
    CreateDirectoryA((tree + "\\a\\b").c_str(), nullptr);
    WriteFileBytes(tree + "\\top.txt", "1");
    WriteFileBytes(tree + "\\a\\b\\deep.bin", "2");
    WriteFileBytes(tree + "\\a\\ro.txt", "3");
    SetFileAttributesA((tree + "\\a\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((tree + "\\a\\b").c_str(), FILE_ATTRIBUTE_HIDDEN);

    // Without force a read-only file stays, and with it the folders above it;
    // everything else goes.
    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFolder(tree); }), kPermissionDenied);
    EXPECT_TRUE(PathExists(tree + "\\a\\ro.txt"));
    EXPECT_FALSE(PathExists(tree + "\\top.txt"));
    EXPECT_FALSE(PathExists(tree + "\\a\\b"));

    gFSO().DeleteFolder(tree + "\\", true);
    EXPECT_FALSE(PathExists(tree));
    EXPECT_TRUE(PathExists(folder));
    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFolder(tree, true); }), kPathNotFound);
    WriteFileBytes(tree, "a file");
    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFolder(tree, true); }), kPathNotFound) << "a file is not a folder";
}

// Wine shows a Unix symbolic link to a folder as a reparse point, one to a file
// as an ordinary file; its deletes follow both and remove what they point at.
TEST(FileSystemObject, LinksAreNeitherFollowedNorDeleted) {
    std::string folder = ScratchFolder("fso-links");
    std::string outside = folder + "\\outside", tree = folder + "\\tree";
    CreateDirectoryA(outside.c_str(), nullptr);
    CreateDirectoryA((outside + "\\empty").c_str(), nullptr);
    CreateDirectoryA(tree.c_str(), nullptr);
    WriteFileBytes(outside + "\\precious.txt", "keep me");
    WriteFileBytes(tree + "\\own.txt", "mine");
    if (!MakeUnixSymlink(outside, tree + "\\dirlink") ||
        !MakeUnixSymlink(outside + "\\precious.txt", tree + "\\filelink.txt") ||
        !MakeUnixSymlink(outside + "\\empty", tree + "\\emptylink")) {
        GTEST_SKIP() << "no Unix symbolic links can be made here";
    }
    EXPECT_NE(GetFileAttributesA((tree + "\\dirlink").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT, 0u);
    EXPECT_TRUE(IsLink(tree + "\\dirlink"));
    EXPECT_TRUE(IsLink(tree + "\\filelink.txt"));
    EXPECT_TRUE(IsLink(tree + "\\emptylink"));
    EXPECT_FALSE(IsLink(tree + "\\own.txt"));
    EXPECT_FALSE(IsLink(tree));

    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFile(tree + "\\filelink.txt", true); }), kPermissionDenied);
    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFolder(tree + "\\dirlink", true); }), kPermissionDenied);
    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFolder(tree + "\\emptylink", true); }), kPermissionDenied);
    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFolder(tree, true); }), kPermissionDenied);

    EXPECT_FALSE(PathExists(tree + "\\own.txt"));
    EXPECT_TRUE(PathExists(tree)) << "the links keep the folder";
    EXPECT_EQ(ReadFileBytes(outside + "\\precious.txt"), "keep me");
    EXPECT_TRUE(PathExists(outside + "\\empty"));
}

TEST(FileSystemObject, EveryKindOfLinkInADeletedTreeIsLeftWithItsTarget) {
    std::string tree = ScratchFolder("fso-planted"), outside = ScratchFolder("fso-planted-outside");
    WriteFileBytes(tree + "\\own.txt", "mine");
    PlantedLinks links;
    if (!links.Plant(tree, outside)) GTEST_SKIP() << "no Unix links can be made here";
    // Links are not the caller's to delete (a link to nothing is nothing at all);
    // a second name of a file outside is deleted, and only that name goes.
    const auto& e = links.Entries();
    const int expected[] = {kPermissionDenied, kPermissionDenied, kFileNotFound, kPermissionDenied, 0};
    for (size_t i = 0; i < e.size(); ++i) {
        EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFile(e[i], true); }), expected[i]) << e[i];
    }
    EXPECT_FALSE(PathExists(links.HardLink()));
    links.Check();

    PlantedLinks again;
    ASSERT_TRUE(again.Plant(tree, outside, "again-"));
    EXPECT_EQ(ErrorOf([&] { gFSO().DeleteFolder(tree, true); }), kPermissionDenied);
    EXPECT_FALSE(PathExists(tree + "\\own.txt"));
    EXPECT_FALSE(PathExists(again.HardLink()));
    EXPECT_TRUE(PathExists(again.Entries()[0]));
    again.Check();
}

TEST(FileSystemObject, ExistenceTestsTellFilesFromFolders) {
    std::string folder = ScratchFolder("fso-exists");
    WriteFileBytes(folder + "\\f.txt", "x");
    EXPECT_TRUE(gFSO().FileExists(folder + "\\f.txt"));
    EXPECT_TRUE(gFSO().FileExists(folder + "\\F.TXT"));
    EXPECT_FALSE(gFSO().FileExists(folder));
    EXPECT_FALSE(gFSO().FileExists(folder + "\\missing.txt"));
    EXPECT_FALSE(gFSO().FileExists(""));
    EXPECT_TRUE(gFSO().FolderExists(folder));
    EXPECT_TRUE(gFSO().FolderExists("S:\\"));
    EXPECT_FALSE(gFSO().FolderExists(folder + "\\f.txt"));
    EXPECT_FALSE(gFSO().FolderExists(""));
}

TEST(FileSystemObject, ExtensionIsTheTextAfterTheLastPoint) {
    EXPECT_EQ(gFSO().GetExtensionName("C:\\a\\b.TXT"), "TXT");
    EXPECT_EQ(gFSO().GetExtensionName("a.b.tmp"), "tmp");
    EXPECT_EQ(gFSO().GetExtensionName("C:\\dir.x\\noext"), "");
    EXPECT_EQ(gFSO().GetExtensionName("C:\\a\\.profile"), "profile");
    EXPECT_EQ(gFSO().GetExtensionName("name."), "");
    EXPECT_EQ(gFSO().GetExtensionName(""), "");
}

TEST(FileSystemObject, CreateFolderMakesOneNewFolder) {
    std::string folder = ScratchFolder("fso-create");
    gFSO().CreateFolder(folder + "\\new");
    EXPECT_TRUE(gFSO().FolderExists(folder + "\\new"));
    EXPECT_EQ(ErrorOf([&] { gFSO().CreateFolder(folder + "\\new"); }), kFileAlreadyExists);
    EXPECT_EQ(ErrorOf([&] { gFSO().CreateFolder(folder + "\\missing\\new"); }), kPathNotFound);
}

TEST(FileSystemObject, CopyFolderCopiesTheTree) {
    std::string folder = ScratchFolder("fso-copy");
    std::string source = folder + "\\Favorites";
    CreateDirectoryA(source.c_str(), nullptr);
    CreateDirectoryA((source + "\\Links").c_str(), nullptr);
    WriteFileBytes(source + "\\a.url", "A");
    WriteFileBytes(source + "\\Links\\b.url", "B");

    // The destination becomes the copy, merged into when it exists.
    std::string backup = folder + "\\IEfav";
    CreateDirectoryA(backup.c_str(), nullptr);
    WriteFileBytes(backup + "\\a.url", "old");
    WriteFileBytes(backup + "\\other.url", "O");
    gFSO().CopyFolder(source, backup, true);
    EXPECT_EQ(ReadFileBytes(backup + "\\a.url"), "A");
    EXPECT_EQ(ReadFileBytes(backup + "\\Links\\b.url"), "B");
    EXPECT_EQ(ReadFileBytes(backup + "\\other.url"), "O");

    WriteFileBytes(source + "\\a.url", "A2");
    EXPECT_EQ(ErrorOf([&] { gFSO().CopyFolder(source, backup, false); }), kFileAlreadyExists);
    EXPECT_EQ(ReadFileBytes(backup + "\\a.url"), "A");

    // A closing "\" copies into the folder under the source's name.
    CreateDirectoryA((folder + "\\into").c_str(), nullptr);
    gFSO().CopyFolder(source, folder + "\\into\\");
    EXPECT_EQ(ReadFileBytes(folder + "\\into\\Favorites\\Links\\b.url"), "B");

    EXPECT_EQ(ErrorOf([&] { gFSO().CopyFolder(source, source + "\\Links\\again"); }), kInvalidArgument);
    EXPECT_EQ(ErrorOf([&] { gFSO().CopyFolder(folder + "\\missing", backup); }), kPathNotFound);
    // The source itself by another drive letter: the copy would write over what it reads.
    const tidvex::test::SecondLetter letter('K', folder);
    if (letter.Made()) {
        EXPECT_EQ(ErrorOf([&] { gFSO().CopyFolder(source, letter.Path("Favorites")); }), kInvalidArgument);
        EXPECT_EQ(ReadFileBytes(source + "\\a.url"), "A2");
    }
}

// A copy meets, at its destination, an entry of the name it copies that is a
// link of some kind or a file with other names: it stops there, and what the
// entry leads to keeps every byte; nothing is made through a link to nothing.
TEST(FileSystemObject, CopyFolderNeverWritesThroughWhatItFindsAtItsDestination) {
    const std::string folder = ScratchFolder("fso-copy-links");
    const std::string outside = folder + "\\outside";
    CreateDirectoryA(outside.c_str(), nullptr);
    const std::pair<const char*, int> cases[] = {{"file-link.txt", kPermissionDenied},
                                                 {"relative-link.txt", kPermissionDenied},
                                                 {"dangling-link.txt", kFileAlreadyExists},
                                                 {"folder-link", kPermissionDenied},
                                                 {"hard-link.txt", kPermissionDenied}};
    int n = 0;
    for (const auto& [name, error] : cases) {
        SCOPED_TRACE(name);
        const std::string source = folder + "\\source-" + std::to_string(++n);
        const std::string destination = folder + "\\destination-" + std::to_string(n);
        CreateDirectoryA(source.c_str(), nullptr);
        CreateDirectoryA(destination.c_str(), nullptr);
        PlantedLinks links;
        if (!links.Plant(destination, outside)) GTEST_SKIP() << "no Unix links can be made here";
        const std::string entry = std::string(name) == "folder-link" ? "folder-link\\inside.txt" : name;
        CreateDirectoryA((source + "\\folder-link").c_str(), nullptr);
        WriteFileBytes(source + "\\" + entry, "from the copy");
        EXPECT_EQ(ErrorOf([&] { gFSO().CopyFolder(source, destination, true); }), error);
        links.Check();
        // The whole destination reached through a link on the way is refused too.
        EXPECT_EQ(ErrorOf([&] { gFSO().CopyFolder(source, destination + "\\folder-link\\deeper", true); }),
                  kPermissionDenied);
        for (const auto& e : links.Entries()) tidvex::test::RemoveUnixName(e);
    }
}

}  // namespace
