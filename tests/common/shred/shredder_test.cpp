// The overwriting shredder: whole-file overwrite seen just before the delete,
// shortcuts, refusals and links, the stop flag, the library's options, and the
// folder walk with its filters and bounds.
#include "fs/fso.h"
#include "harness/support.h"
#include "pump/pump.h"
#include "shred/shredder.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

namespace {

using namespace tidvex::shred;
using tidvex::pump::ScopedDoEvents;
using tidvex::test::MakeUnixSymlink;
using tidvex::test::PathExists;
using tidvex::test::PlantedLinks;
using tidvex::test::ReadFileBytes;
using tidvex::test::ScratchFolder;
using tidvex::test::WriteFileBytes;

// The overwrite sequence, spelt out here rather than taken from the shredder.
std::string ExpectedOverwrite(size_t length) {
    const int runs[21] = {85, 170, 74, 99, 71, 92, 101, 112, 1, 61, 97, 119, 86, 79, 109, 72, 90, 0, 255, 212, 0};
    std::string s(length, '\0');
    for (size_t i = 0; i < length; ++i) s[i] = static_cast<char>(runs[(i % 210) / 10]);
    return s;
}

std::string Filler(size_t length) {
    std::string s(length, '\0');
    for (size_t i = 0; i < length; ++i) s[i] = static_cast<char>('a' + i % 23);
    return s;
}

// A shredder that records the bytes of every file just before its delete.
struct Recorder {
    std::vector<std::string> paths;
    std::vector<std::string> bytes;
    ShredOptions Options() {
        ShredOptions o;
        o.beforeDelete = [this](const std::string& path) {
            paths.push_back(path);
            bytes.push_back(ReadFileBytes(path).value_or("<unreadable>"));
        };
        return o;
    }
};

TEST(FileShred, OverwritesTheWholeFileBeforeDeletingIt) {
    std::string folder = ScratchFolder("shred-whole");
    Recorder rec;
    Shredder shredder(rec.Options());
    int yields = 0;
    ScopedDoEvents count([&] { ++yields; });

    // A file shorter than the sequence grows to hold all of it.
    WriteFileBytes(folder + "\\small.txt", "12345");
    EXPECT_EQ(shredder.FileShred(folder + "\\small.txt"), 5);
    ASSERT_EQ(rec.bytes.size(), 1u);
    EXPECT_EQ(rec.bytes[0], ExpectedOverwrite(210));
    EXPECT_FALSE(PathExists(folder + "\\small.txt"));

    // A larger one is overwritten to its last byte, in blocks with a yield before each.
    const size_t size = 200'003;
    std::string big = folder + "\\big.bin";
    WriteFileBytes(big, Filler(size));
    SetFileAttributesA(big.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    yields = 0;
    EXPECT_EQ(shredder.FileShred(big), static_cast<std::int64_t>(size));
    ASSERT_EQ(rec.bytes.size(), 2u);
    EXPECT_TRUE(rec.bytes[1] == ExpectedOverwrite(size)) << "the content is not the repeated sequence";
    EXPECT_FALSE(PathExists(big));
    EXPECT_EQ(yields, 4);

    WriteFileBytes(folder + "\\empty.dat", "");
    EXPECT_EQ(shredder.FileShred(folder + "\\empty.dat"), 0);
    EXPECT_EQ(rec.bytes.back(), ExpectedOverwrite(210));
    EXPECT_EQ(shredder.TotalBytes(), 0);
}

TEST(FileShred, DeletesShortcutsWithoutWritingToThem) {
    std::string folder = ScratchFolder("shred-lnk");
    Recorder rec;
    Shredder shredder(rec.Options());
    int yields = 0;
    ScopedDoEvents count([&] { ++yields; });
    for (const char* name : {"a.lnk", "B.LNK", "xlnk"}) {
        std::string path = folder + "\\" + name;
        WriteFileBytes(path, "shortcut");
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(shredder.FileShred(path), 8) << name;
        EXPECT_FALSE(PathExists(path)) << name;
    }
    EXPECT_TRUE(rec.paths.empty());
    EXPECT_EQ(yields, 0);
}

TEST(FileShred, RefusesWhatItMustNotTouch) {
    std::string folder = ScratchFolder("shred-refuse");
    Recorder rec;
    Shredder shredder(rec.Options());
    WriteFileBytes(folder + "\\rel.txt", "relative");
    SetCurrentDirectoryA(folder.c_str());
    for (const char* path : {"", "rel.txt", "S:rel.txt", "\\shred-refuse\\rel.txt", "S:\\", "S:\\shred-refuse\\*.txt",
                             "S:\\shred-refuse\\missing.txt"}) {
        EXPECT_EQ(shredder.FileShred(path), 0) << path;
    }
    SetCurrentDirectoryA("C:\\");
    EXPECT_EQ(shredder.FileShred(folder), 0);
    EXPECT_TRUE(PathExists(folder));
    EXPECT_EQ(ReadFileBytes(folder + "\\rel.txt"), "relative");

    // A link is neither written through nor deleted (Wine's delete would
    // remove the file it points at).
    WriteFileBytes(folder + "\\target.txt", "precious");
    if (MakeUnixSymlink(folder + "\\target.txt", folder + "\\link.txt")) {
        EXPECT_EQ(shredder.FileShred(folder + "\\link.txt"), 0);
        EXPECT_TRUE(PathExists(folder + "\\link.txt"));
    }
    EXPECT_EQ(ReadFileBytes(folder + "\\target.txt"), "precious");
    EXPECT_TRUE(rec.paths.empty());
}

// Every kind of link, given as the file to shred, with the shred switch on and
// off: a link is refused and its target keeps its content; a file with other
// names loses only the given name, unwritten, and the log hook says so.
TEST(FileShred, LinksAreRefusedAndOtherNamesKeepTheirContent) {
    for (bool shredSwitch : {true, false}) {
        SCOPED_TRACE(shredSwitch ? "shredding" : "plain delete");
        std::string place = ScratchFolder(std::string("shred-links-") + (shredSwitch ? "on" : "off"));
        std::string outside = ScratchFolder(std::string("shred-links-outside-") + (shredSwitch ? "on" : "off"));
        PlantedLinks links;
        if (!links.Plant(place, outside)) GTEST_SKIP() << "no Unix links can be made here";
        Recorder rec;
        ShredOptions options = rec.Options();
        options.shredSwitch = [&] { return shredSwitch; };
        options.ignorePlainDeleteFailure = true;
        std::vector<std::string> nameOnly;
        options.nameOnlyDeleted = [&](const std::string& path) { nameOnly.push_back(path); };
        Shredder shredder(options);

        // The links count as nothing to shred; the second name's length is the
        // result, as for any file that was removed.
        const auto& entries = links.Entries();
        for (size_t i = 0; i + 1 < entries.size(); ++i) EXPECT_EQ(shredder.FileShred(entries[i]), 0) << entries[i];
        const std::int64_t hardLength = static_cast<std::int64_t>(ReadFileBytes(links.HardLink())->size());
        EXPECT_EQ(shredder.FileShred(links.HardLink()), shredSwitch ? hardLength : 0);
        for (size_t i : {0, 1, 3}) EXPECT_TRUE(PathExists(entries[i])) << "a link is left in place";
        EXPECT_FALSE(PathExists(links.HardLink()));
        links.Check();
        EXPECT_TRUE(rec.paths.empty()) << "nothing was overwritten";
        EXPECT_EQ(nameOnly, shredSwitch ? std::vector<std::string>{links.HardLink()} : std::vector<std::string>{});
    }
}

TEST(FileShred, AFileInUseIsLeftUntouchedWithItsAttributes) {
    std::string folder = ScratchFolder("shred-in-use");
    std::string file = folder + "\\busy.dat";
    WriteFileBytes(file, "in use elsewhere");
    const DWORD marks = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), marks));
    HANDLE other = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    Recorder rec;
    Shredder shredder(rec.Options());
    EXPECT_EQ(shredder.FileShred(file), 16);
    CloseHandle(other);
    EXPECT_EQ(ReadFileBytes(file), "in use elsewhere");
    EXPECT_EQ(GetFileAttributesA(file.c_str()) & marks, marks);
    EXPECT_TRUE(rec.paths.empty());
}

TEST(FileShred, StopLeavesThePartlyOverwrittenFileUntilCleared) {
    std::string folder = ScratchFolder("shred-stop");
    std::string file = folder + "\\f.bin";
    const size_t size = 200'000;
    WriteFileBytes(file, Filler(size));
    Recorder rec;
    Shredder shredder(rec.Options());
    int yields = 0;
    ScopedDoEvents pressStop([&] {
        if (++yields == 2) shredder.StopShred(true);
    });

    EXPECT_EQ(shredder.FileShred(file), static_cast<std::int64_t>(size));
    auto bytes = ReadFileBytes(file);
    ASSERT_TRUE(bytes);
    ASSERT_EQ(bytes->size(), size);
    EXPECT_TRUE(bytes->substr(0, 65'520) == ExpectedOverwrite(65'520));
    EXPECT_TRUE(bytes->substr(65'520) == Filler(size).substr(65'520));

    // The flag stays until it is cleared.
    WriteFileBytes(folder + "\\g.txt", "untouched");
    EXPECT_EQ(shredder.FileShred(folder + "\\g.txt"), 9);
    EXPECT_EQ(ReadFileBytes(folder + "\\g.txt"), "untouched");
    shredder.StopShred(false);
    shredder.FileShred(file);
    EXPECT_FALSE(PathExists(file));
    EXPECT_EQ(rec.paths, std::vector<std::string>{file});
}

TEST(FileShred, LibrarySwitchAndLogHook) {
    std::string folder = ScratchFolder("shred-library");
    bool shredSwitch = false;
    std::vector<std::string> logged;
    Recorder rec;
    ShredOptions library = rec.Options();
    library.shredSwitch = [&] { return shredSwitch; };
    library.ignorePlainDeleteFailure = true;
    library.fileShredded = [&](const std::string& path) {
        EXPECT_FALSE(PathExists(path)) << "logged before the delete";
        logged.push_back(path);
        throw std::runtime_error("a failing log is ignored");
    };
    Shredder shredder(library);

    // Off: a plain delete, read-only files included; its failure is ignored.
    WriteFileBytes(folder + "\\plain.txt", "plain");
    SetFileAttributesA((folder + "\\plain.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(shredder.FileShred(folder + "\\plain.txt"), 0);
    EXPECT_FALSE(PathExists(folder + "\\plain.txt"));
    EXPECT_NO_THROW(shredder.FileShred(folder + "\\missing.txt"));
    EXPECT_TRUE(rec.paths.empty());

    // On (read at each call): overwrite, delete, then one log entry; none for a shortcut.
    shredSwitch = true;
    WriteFileBytes(folder + "\\secret.txt", "secret");
    WriteFileBytes(folder + "\\s.lnk", "lnk");
    EXPECT_EQ(shredder.FileShred(folder + "\\secret.txt"), 6);
    EXPECT_EQ(shredder.FileShred(folder + "\\s.lnk"), 3);
    EXPECT_EQ(logged, std::vector<std::string>{folder + "\\secret.txt"});
    EXPECT_EQ(rec.bytes, std::vector<std::string>{ExpectedOverwrite(210)});

    // The program's shredder with the switch off passes the failure on.
    ShredOptions strict;
    strict.shredSwitch = [] { return false; };
    Shredder program(strict);
    try {
        program.FileShred(folder + "\\missing.txt");
        ADD_FAILURE() << "no error";
    } catch (const tidvex::RunTimeError& e) {
        EXPECT_EQ(e.Number(), tidvex::fs::kFileNotFound);
    }
}

// A small tree: top\{a.txt, sub\{b.dat, deeper\c.txt}}.
void MakeTree(const std::string& top) {
    CreateDirectoryA(top.c_str(), nullptr);
    CreateDirectoryA((top + "\\sub").c_str(), nullptr);
    CreateDirectoryA((top + "\\sub\\deeper").c_str(), nullptr);
    WriteFileBytes(top + "\\a.txt", "a");
    WriteFileBytes(top + "\\sub\\b.dat", Filler(5000));
    WriteFileBytes(top + "\\sub\\deeper\\c.txt", "c");
    SetFileAttributesA((top + "\\sub\\b.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((top + "\\sub").c_str(), FILE_ATTRIBUTE_READONLY);
}

TEST(FolderShred, ShredsTheWholeTreeOrOnlyItsContents) {
    std::string folder = ScratchFolder("shred-tree");
    Recorder rec;
    Shredder shredder(rec.Options());

    MakeTree(folder + "\\all");
    EXPECT_EQ(shredder.FolderShred(folder + "\\all", false, "*", true, 0, 0), 0);
    EXPECT_FALSE(PathExists(folder + "\\all"));
    EXPECT_EQ(rec.paths.size(), 3u);
    for (const auto& bytes : rec.bytes) EXPECT_EQ(bytes, ExpectedOverwrite(bytes.size()));

    MakeTree(folder + "\\contents");
    shredder.FolderShred(folder + "\\contents\\", true, "*", true, 0, 0);
    EXPECT_TRUE(PathExists(folder + "\\contents\\sub\\deeper"));
    EXPECT_FALSE(PathExists(folder + "\\contents\\a.txt"));
    EXPECT_FALSE(PathExists(folder + "\\contents\\sub\\b.dat"));
    EXPECT_FALSE(PathExists(folder + "\\contents\\sub\\deeper\\c.txt"));

    // Without sub-folders only the folder's own files go, and the folder stays.
    MakeTree(folder + "\\flat");
    shredder.FolderShred(folder + "\\flat", false, "*", false);
    EXPECT_FALSE(PathExists(folder + "\\flat\\a.txt"));
    EXPECT_TRUE(PathExists(folder + "\\flat\\sub\\deeper\\c.txt"));

    EXPECT_EQ(shredder.FolderShred(folder + "\\missing", false, "*", true), 0);
}

TEST(FolderShred, SizeBoundsInKilobytesApplyToTheTopFolderOnly) {
    std::string folder = ScratchFolder("shred-bounds");
    for (int size : {1023, 1024, 2048, 2049}) WriteFileBytes(folder + "\\f" + std::to_string(size), Filler(size));
    CreateDirectoryA((folder + "\\sub").c_str(), nullptr);
    WriteFileBytes(folder + "\\sub\\big.txt", Filler(5000));
    Shredder shredder;
    shredder.FolderShred(folder, false, "*", true, 2, 1);
    EXPECT_TRUE(PathExists(folder + "\\f1023"));
    EXPECT_FALSE(PathExists(folder + "\\f1024"));
    EXPECT_FALSE(PathExists(folder + "\\f2048"));
    EXPECT_TRUE(PathExists(folder + "\\f2049"));
    EXPECT_FALSE(PathExists(folder + "\\sub")) << "a sub-folder is shredded whatever the sizes";
    EXPECT_TRUE(PathExists(folder)) << "a folder with files left stays";
    EXPECT_DOUBLE_EQ(shredder.toByte(1.5), 1536);
}

TEST(FolderShred, ExtensionFilterComparesTheLowerCasedLastPart) {
    std::string folder = ScratchFolder("shred-filter");
    const char* names[] = {"a.txt", "a.b.txt", "b.TXT", "txt", "c.doc", "d.txt.bak"};
    auto reset = [&] {
        for (const char* n : names) WriteFileBytes(folder + "\\" + n, "x");
    };
    auto left = [&] {
        std::vector<std::string> out;
        for (const char* n : names)
            if (PathExists(folder + "\\" + n)) out.push_back(n);
        return out;
    };
    Shredder shredder;
    reset();
    shredder.FolderShred(folder, true, "txt");
    EXPECT_EQ(left(), (std::vector<std::string>{"c.doc", "d.txt.bak"}));
    reset();
    shredder.FolderShred(folder, true, "TXT");
    EXPECT_EQ(left(), (std::vector<std::string>{"a.txt", "a.b.txt", "b.TXT", "c.doc", "d.txt.bak"}));
    reset();
    shredder.FolderShred(folder, true, "");
    EXPECT_EQ(left().size(), 6u);
}

TEST(FolderShred, StopEndsTheWalk) {
    std::string folder = ScratchFolder("shred-folder-stop");
    MakeTree(folder + "\\tree");
    Shredder shredder;
    int yields = 0;
    // The first yield comes before the sub-folder, the second before the one below it.
    ScopedDoEvents pressStop([&] {
        if (++yields == 2) shredder.StopShred(true);
    });
    shredder.FolderShred(folder + "\\tree", false, "*", true);
    EXPECT_TRUE(PathExists(folder + "\\tree\\a.txt"));
    EXPECT_TRUE(PathExists(folder + "\\tree\\sub\\b.dat"));
    EXPECT_TRUE(PathExists(folder + "\\tree\\sub\\deeper\\c.txt"));
    EXPECT_TRUE(PathExists(folder + "\\tree\\sub\\deeper"));
}

// A kept folder, in whatever spelling the caller has it, comes through the
// walk whole, and the folders above it keep their place; everything else of the
// tree goes. Given as the folder to shred, it is left as it is.
TEST(FolderShred, KeptFoldersAndTheFoldersAboveThemStay) {
    const std::string folder = ScratchFolder("shred-kept");
    auto shortName = [](const std::string& k) {
        char buf[MAX_PATH] = {};
        const DWORD n = GetShortPathNameA(k.c_str(), buf, MAX_PATH);
        return n > 0 && n < MAX_PATH ? std::string(buf) : k;
    };
    auto upper = [](std::string k) {
        CharUpperBuffA(k.data(), static_cast<DWORD>(k.size()));
        return k;
    };
    auto dotted = [](std::string k) { return k.insert(k.rfind('\\'), "/Other/..") + "\\"; };
    struct Case {
        const char* what;
        std::function<std::string(const std::string&)> spelling;
        bool listKept;  // the kept folder itself is given to FolderShred
    };
    const Case cases[] = {{"upper case", upper, false},
                          {"long-path prefix", [](const std::string& k) { return "\\\\?\\" + k; }, false},
                          {"slashes, .. and a closing backslash", dotted, false},
                          {"short name", shortName, false},
                          {"the kept folder listed", upper, true}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string top = folder + "\\tree" + std::to_string(n++), windows = top + "\\Windows";
        const std::string kept = windows + "\\Start Menu";
        for (const std::string& f : {top, windows, kept, kept + "\\Programs", windows + "\\Other", top + "\\plain"})
            ASSERT_TRUE(CreateDirectoryA(f.c_str(), nullptr)) << f;
        const std::vector<std::string> stay = {kept + "\\menu.ini", kept + "\\Programs\\app.lnk"};
        const std::vector<std::string> gone = {top + "\\a.txt", windows + "\\w.txt", windows + "\\Other\\o.txt",
                                               top + "\\plain\\p.txt"};
        for (const std::string& f : stay) WriteFileBytes(f, Filler(3000) + f);
        for (const std::string& f : gone) WriteFileBytes(f, f);

        ShredOptions options;
        options.keptFolders = {L"S:\\elsewhere", tidvex::text::Wide(c.spelling(kept))};
        Shredder shredder(options);
        shredder.FolderShred(c.listKept ? kept : top, false, "*", true, 0, 0);
        for (const std::string& f : stay) EXPECT_EQ(ReadFileBytes(f), Filler(3000) + f);
        for (const std::string& f : gone) EXPECT_EQ(PathExists(f), c.listKept) << f;
        for (const std::string& f : {top, windows}) EXPECT_TRUE(PathExists(f)) << f;
        for (const std::string& f : {windows + "\\Other", top + "\\plain"}) EXPECT_EQ(PathExists(f), c.listKept) << f;
    }
}

TEST(FolderShred, RefusesRootsAndRelativePathsAndNeverFollowsLinks) {
    std::string folder = ScratchFolder("shred-folder-refuse");
    WriteFileBytes("S:\\root-file.txt", "root");
    WriteFileBytes(folder + "\\own.txt", "own");
    Shredder shredder;
    SetCurrentDirectoryA("S:\\");
    for (const char* path : {"", "shred-folder-refuse", "\\shred-folder-refuse", "S:", "S:\\",
                             "S:\\shred-folder-refuse\\..", "S:\\shred-*"}) {
        shredder.FolderShred(path, false, "*", true);
    }
    SetCurrentDirectoryA("C:\\");
    EXPECT_EQ(ReadFileBytes("S:\\root-file.txt"), "root");
    EXPECT_EQ(ReadFileBytes(folder + "\\own.txt"), "own");

    std::string outside = folder + "\\outside", tree = folder + "\\tree";
    CreateDirectoryA(outside.c_str(), nullptr);
    CreateDirectoryA(tree.c_str(), nullptr);
    WriteFileBytes(outside + "\\precious.txt", "precious");
    WriteFileBytes(tree + "\\mine.txt", "mine");
    if (!MakeUnixSymlink(outside, tree + "\\dirlink") ||
        !MakeUnixSymlink(outside + "\\precious.txt", tree + "\\filelink.txt")) {
        GTEST_SKIP() << "no Unix symbolic links can be made here";
    }
    shredder.FolderShred(tree, false, "*", true);
    EXPECT_FALSE(PathExists(tree + "\\mine.txt"));
    EXPECT_TRUE(PathExists(tree + "\\dirlink"));
    EXPECT_TRUE(PathExists(tree + "\\filelink.txt"));
    EXPECT_EQ(ReadFileBytes(outside + "\\precious.txt"), "precious");

    // Links of every kind among the files: the folder's own files go, the links
    // stay with their targets whole, a file with other names loses this name only.
    std::string place = folder + "\\planted", away = folder + "\\away";
    CreateDirectoryA(place.c_str(), nullptr);
    CreateDirectoryA(away.c_str(), nullptr);
    WriteFileBytes(place + "\\mine.txt", "mine");
    PlantedLinks links;
    ASSERT_TRUE(links.Plant(place, away));
    shredder.FolderShred(place, false, "*", true);
    EXPECT_FALSE(PathExists(place + "\\mine.txt"));
    EXPECT_FALSE(PathExists(links.HardLink()));
    EXPECT_TRUE(PathExists(links.Entries()[0]));
    EXPECT_TRUE(PathExists(links.Entries()[3]));
    links.Check();

    // A link given as the folder itself is not walked either.
    shredder.FolderShred(tree + "\\dirlink", false, "*", true);
    EXPECT_EQ(ReadFileBytes(outside + "\\precious.txt"), "precious");
}

}  // namespace
