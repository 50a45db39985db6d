// The program's own ways of emptying, shredding, copying into and deleting a
// folder or a file (the overwriting shredder of the hard-disk cleaner and the
// Shredder page, the file-system object of the black list and of the copies),
// each given a drive's root in every spelling, a path through a link, a device
// and an administrative share: the drive and what the link leads to keep every
// byte.
#include "fs/fso.h"
#include "harness/support.h"
#include "shred/shredder.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace {

using tidvex::test::MakeUnixSymlink;
using tidvex::test::ReadFileBytes;
using tidvex::test::RemoveUnixName;
using tidvex::test::ScratchFolder;
using tidvex::test::WriteFileBytes;

TEST(EveryEntryPoint, NoSpellingReachesARootOrThroughALink) {
    const std::string away = ScratchFolder("spell-away");
    const std::string place = ScratchFolder("spell-place");
    CreateDirectoryA((away + "\\sub").c_str(), nullptr);
    std::map<std::string, std::string> canaries = {{"S:\\canary.txt", "on the drive"},
                                                   {away + "\\canary.txt", "behind the link"},
                                                   {away + "\\sub\\deep.txt", "deep behind the link"}};
    for (const auto& [path, content] : canaries) WriteFileBytes(path, content);
    if (!MakeUnixSymlink(away, place + "\\plink")) GTEST_SKIP() << "no Unix links can be made here";

    // Each names the drive's root (or its device), a share, or leads through the
    // link; a file below a root is a file of its own, so the file entry points
    // get only the others.
    struct Spelling {
        std::string path;
        bool root;
    };
    const Spelling spellings[] = {
        {"\\\\?\\S:\\", true},
        {"S:\\spell-place\\..", true},
        {"S:/", true},
        {"\\\\.\\S:\\", true},
        {"s:\\.", true},
        {"\\\\?\\S:\\spell-place\\..", true},
        {"\\??\\S:\\", true},
        {"\\\\.\\S:", true},
        {"\\\\localhost\\S$\\spell-away", false},
        {place + "\\plink", false},
        {"\\\\?\\" + place + "\\plink\\sub", false},
        {place + "/plink/sub/", false},
        {place + "\\plink\\sub\\.", false},
    };
    tidvex::shred::Shredder shredder;
    struct EntryPoint {
        const char* what;
        bool file;
        std::function<void(const std::string&)> run;
    };
    const EntryPoint entries[] = {
        {"shred a folder's contents", false, [&](const std::string& p) { shredder.FolderShred(p, true, "*", true); }},
        {"shred a folder whole", false, [&](const std::string& p) { shredder.FolderShred(p, false, "*", true); }},
        {"shred a file", true, [&](const std::string& p) { shredder.FileShred(p + "\\canary.txt"); }},
        {"delete a folder", false, [](const std::string& p) { tidvex::fs::gFSO().DeleteFolder(p, true); }},
        {"delete a file", true, [](const std::string& p) { tidvex::fs::gFSO().DeleteFile(p + "\\canary.txt", true); }},
        {"copy into a folder", false,
         [&](const std::string& p) { tidvex::fs::gFSO().CopyFolder(place + "\\..\\spell-source", p, true); }},
    };
    CreateDirectoryA("S:\\spell-source", nullptr);
    WriteFileBytes("S:\\spell-source\\canary.txt", "from the copy");
    for (const Spelling& spelling : spellings) {
        for (const EntryPoint& entry : entries) {
            if (entry.file && spelling.root) continue;
            SCOPED_TRACE(std::string(entry.what) + " <- " + spelling.path);
            try {
                entry.run(spelling.path);
            } catch (const tidvex::RunTimeError&) {
            }
            for (const auto& [path, content] : canaries) EXPECT_EQ(ReadFileBytes(path), content) << path;
            if (HasFailure()) return;
        }
    }
    RemoveUnixName(place + "\\plink");
}

}  // namespace
