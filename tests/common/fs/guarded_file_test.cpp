// The guarded file path: what it makes of each kind of entry, deletes that remove
// a name and never a link's target, renames, appends, and a file swapped for a
// link between two opens.
#include "fs/guarded_file.h"
#include "fs/paths.h"
#include "harness/support.h"
#include "text/text.h"

#include <gtest/gtest.h>

namespace {

using namespace tidvex::fs;
using tidvex::test::MakeUnixHardLink;
using tidvex::test::MakeUnixSymlink;
using tidvex::test::PathExists;
using tidvex::test::PlantedLinks;
using tidvex::test::ReadFileBytes;
using tidvex::test::ScratchFolder;
using tidvex::test::WriteFileBytes;

class GuardedFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        place_ = ScratchFolder("guard-" + name);
        outside_ = ScratchFolder("guard-outside-" + name);
        WriteFileBytes(place_ + "\\own.txt", "own");
        CreateDirectoryA((place_ + "\\folder").c_str(), nullptr);
        if (!links_.Plant(place_, outside_)) GTEST_SKIP() << "no Unix links can be made here";
    }

    // Every kind of entry with what the guard must make of it.
    struct Case {
        std::string path;
        FileRefusal open;
        bool otherNames;
    };
    std::vector<Case> Cases() const {
        const auto& e = links_.Entries();
        return {{place_ + "\\own.txt", FileRefusal::None, false},
                {place_ + "\\folder", FileRefusal::Folder, false},
                {place_ + "\\missing.txt", FileRefusal::Missing, false},
                {e[0], FileRefusal::Link, false},
                {e[1], FileRefusal::Link, false},
                {e[2], FileRefusal::Missing, false},
                {e[3], FileRefusal::Link, false},
                {e[4], FileRefusal::None, true}};
    }

    std::string place_, outside_;
    PlantedLinks links_;
};

TEST_F(GuardedFileTest, OpenTellsEachKindOfEntry) {
    for (const Case& c : Cases()) {
        GuardedFile file = GuardedFile::Open(c.path, FILE_READ_ATTRIBUTES);
        EXPECT_EQ(file.Refusal(), c.open) << c.path;
        EXPECT_EQ(file.Ok(), c.open == FileRefusal::None) << c.path;
        if (file) {
            EXPECT_EQ(file.HasOtherNames(), c.otherNames) << c.path;
        }
    }
    links_.Check();
}

TEST_F(GuardedFileTest, DeletesRemoveTheNameAndNeverALinksTarget) {
    for (const Case& c : Cases()) {
        FileOutcome outcome = DeleteFileName(c.path, true);
        EXPECT_EQ(outcome.refusal, c.open) << c.path;
        // A refused link stays where it is, and so does its target.
        EXPECT_EQ(PathExists(c.path), !outcome.Done() && c.open != FileRefusal::Missing) << c.path;
    }
    links_.Check();
}

TEST_F(GuardedFileTest, ReadOnlyFilesNeedForceAndOtherNamesKeepTheirMarks) {
    const std::string ro = place_ + "\\ro.txt";
    WriteFileBytes(ro, "read-only");
    ASSERT_TRUE(SetFileAttributesA(ro.c_str(), FILE_ATTRIBUTE_READONLY));
    FileOutcome refused = DeleteFileName(ro, false);
    EXPECT_EQ(refused.refusal, FileRefusal::Failed);
    EXPECT_EQ(refused.error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(DeleteFileName(ro, true).Done());
    EXPECT_FALSE(PathExists(ro));

    const std::string first = outside_ + "\\marked.txt", second = place_ + "\\marked.txt";
    WriteFileBytes(first, "marked");
    ASSERT_TRUE(MakeUnixHardLink(first, second));
    ASSERT_TRUE(SetFileAttributesA(first.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(DeleteFileName(second, true).Done());
    EXPECT_FALSE(PathExists(second));
    EXPECT_EQ(ReadFileBytes(first), "marked");
    EXPECT_EQ(GetFileAttributesA(first.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
}

TEST_F(GuardedFileTest, RenamesMoveTheNameAndNeverALinksTarget) {
    int n = 0;
    for (const Case& c : Cases()) {
        const std::string to = place_ + "\\renamed" + std::to_string(n++);
        FileOutcome outcome = RenameFile(c.path, to);
        EXPECT_EQ(outcome.refusal, c.open) << c.path;
        EXPECT_EQ(PathExists(to), outcome.Done()) << c.path;
    }
    links_.Check();
    // An existing name is never replaced.
    WriteFileBytes(place_ + "\\a.txt", "a");
    WriteFileBytes(place_ + "\\b.txt", "b");
    EXPECT_EQ(RenameFile(place_ + "\\a.txt", place_ + "\\b.txt").refusal, FileRefusal::Failed);
    EXPECT_EQ(ReadFileBytes(place_ + "\\b.txt"), "b");
}

TEST_F(GuardedFileTest, AppendsWriteOnlyToAFileOfItsOwn) {
    for (const Case& c : Cases()) {
        const bool own = c.open == FileRefusal::None && !c.otherNames;
        EXPECT_EQ(AppendLine(c.path, "line"), own || c.path == place_ + "\\missing.txt") << c.path;
    }
    EXPECT_EQ(ReadFileBytes(place_ + "\\own.txt"), "ownline\r\n");
    EXPECT_EQ(ReadFileBytes(place_ + "\\missing.txt"), "line\r\n") << "a missing file is made";
    EXPECT_TRUE(AppendText(place_ + "\\missing.txt", "more"));
    EXPECT_EQ(ReadFileBytes(place_ + "\\missing.txt"), "line\r\nmore");
    links_.Check();
}

// The name is judged again on every open: a file moved out of the way and
// replaced by a link between the two opens is neither written nor followed.
TEST_F(GuardedFileTest, AReopenRefusesAFileSwappedForALink) {
    const std::string path = place_ + "\\swapped.txt", target = outside_ + "\\swap-target.txt";
    WriteFileBytes(path, "before");
    WriteFileBytes(target, "target");
    GuardedFile probe = GuardedFile::Open(path, FILE_READ_ATTRIBUTES);
    ASSERT_TRUE(probe);
    ASSERT_TRUE(MoveFileA(path.c_str(), (place_ + "\\away.txt").c_str()));
    ASSERT_TRUE(MakeUnixSymlink(target, path));

    GuardedFile writer = probe.Reopen(GENERIC_WRITE, 0);
    EXPECT_EQ(writer.Refusal(), FileRefusal::Link);
    EXPECT_FALSE(writer.Get() != INVALID_HANDLE_VALUE);
    EXPECT_EQ(ReadFileBytes(target), "target");
    EXPECT_EQ(GuardedFile::Open(path, GENERIC_WRITE).Refusal(), FileRefusal::Link);
}

// A reopen that finds another file of its own at the name (not a link) refuses
// it too: it is not the file that was judged.
TEST_F(GuardedFileTest, AReopenRefusesAnotherFileUnderTheSameName) {
    const std::string path = place_ + "\\replaced.txt";
    WriteFileBytes(path, "judged");
    GuardedFile probe = GuardedFile::Open(path, FILE_READ_ATTRIBUTES);
    ASSERT_TRUE(probe);
    ASSERT_TRUE(MoveFileA(path.c_str(), (place_ + "\\judged.txt").c_str()));
    WriteFileBytes(path, "newcomer");

    EXPECT_EQ(probe.Reopen(GENERIC_WRITE, 0).Refusal(), FileRefusal::Link);
    EXPECT_EQ(ReadFileBytes(path), "newcomer");
    EXPECT_EQ(ReadFileBytes(place_ + "\\judged.txt"), "judged");
}

// What the guard reads of an open entry agrees with the platform's whole record
// of it, for an entry opened and for a file reopened.
TEST_F(GuardedFileTest, FactsAgreeWithThePlatformsRecord) {
    const std::string marked = place_ + "\\marked.bin";
    WriteFileBytes(marked, std::string(70000, 'm'));
    ASSERT_TRUE(SetFileAttributesA(marked.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    struct Case {
        std::string path;
        bool folder;
        DWORD names;  // 0: not asked
    };
    const Case cases[] = {{place_ + "\\own.txt", false, 1},
                          {links_.HardLink(), false, 2},
                          {marked, false, 1},
                          {place_ + "\\folder", true, 0}};
    for (const Case& c : cases) {
        GuardedFile opened = c.folder ? GuardedFile::OpenFolder(tidvex::text::Wide(c.path), FILE_READ_ATTRIBUTES)
                                      : GuardedFile::Open(c.path, FILE_READ_ATTRIBUTES);
        ASSERT_TRUE(opened) << c.path;
        std::vector<const GuardedFile*> handles{&opened};
        GuardedFile reopened;
        if (!c.folder) {
            reopened = opened.Reopen(FILE_READ_ATTRIBUTES, kShareAll);
            ASSERT_TRUE(reopened) << c.path;
            handles.push_back(&reopened);
        }
        for (const GuardedFile* f : handles) {
            BY_HANDLE_FILE_INFORMATION info;
            ASSERT_TRUE(GetFileInformationByHandle(f->Get(), &info)) << c.path;
            EXPECT_EQ(f->Facts().attributes, info.dwFileAttributes) << c.path;
            EXPECT_EQ(f->Facts().size, (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow) << c.path;
            EXPECT_EQ(f->Facts().names, info.nNumberOfLinks) << c.path;
            if (c.names) {
                EXPECT_EQ(f->Facts().names, c.names) << c.path;
            }
        }
    }
    links_.Check();
}

// Folders are renamed and removed through the guard too: never a link, never
// a file, never a root, and never one that still holds something.
TEST_F(GuardedFileTest, FoldersAreRenamedAndRemovedOnlyWhenTheyAreTheirOwn) {
    using tidvex::text::Wide;
    CreateDirectoryA((place_ + "\\empty").c_str(), nullptr);
    WriteFileBytes(place_ + "\\folder\\inside.txt", "inside");
    const auto& e = links_.Entries();
    struct Case {
        std::string path;
        FileRefusal refusal;
        DWORD error;
    };
    const Case removals[] = {{place_ + "\\empty\\", FileRefusal::None, 0},
                             {place_ + "\\folder", FileRefusal::Failed, ERROR_DIR_NOT_EMPTY},
                             {place_ + "\\own.txt", FileRefusal::Missing, ERROR_PATH_NOT_FOUND},
                             {e[3], FileRefusal::Link, 0},
                             {e[0], FileRefusal::Link, 0},
                             {"S:\\", FileRefusal::Link, 0}};
    for (const Case& c : removals) {
        const FileOutcome outcome = RemoveEmptyFolder(Wide(c.path));
        EXPECT_EQ(outcome.refusal, c.refusal) << c.path;
        if (c.error) {
            EXPECT_EQ(outcome.error, c.error) << c.path;
        }
    }
    EXPECT_FALSE(PathExists(place_ + "\\empty"));
    EXPECT_TRUE(RenameFolder(Wide(place_ + "\\folder"), Wide(place_ + "\\moved")).Done());
    EXPECT_EQ(ReadFileBytes(place_ + "\\moved\\inside.txt"), "inside");
    EXPECT_EQ(RenameFolder(Wide(e[3]), Wide(place_ + "\\moved-link")).refusal, FileRefusal::Link);
    EXPECT_FALSE(PathExists(place_ + "\\moved-link"));
    links_.Check();
}

TEST_F(GuardedFileTest, AWholeFileIsWrittenOnlyToAFileOfItsOwn) {
    using tidvex::text::Wide;
    for (const Case& c : Cases()) {
        const bool own = c.open == FileRefusal::None && !c.otherNames;
        const bool missing = c.path == place_ + "\\missing.txt";
        EXPECT_EQ(WriteWholeFile(Wide(c.path), "whole").Done(), own || missing) << c.path;
    }
    EXPECT_EQ(ReadFileBytes(place_ + "\\own.txt"), "whole");
    EXPECT_EQ(ReadFileBytes(place_ + "\\missing.txt"), "whole");
    EXPECT_TRUE(WriteWholeFile(Wide(place_ + "\\own.txt"), "ab").Done());
    EXPECT_EQ(ReadFileBytes(place_ + "\\own.txt"), "ab") << "cut to what was written";
    links_.Check();
}

// A name the code page cannot hold comes back as it is from the UTF-16 listing,
// and opens through the guard; its narrow form ("?") names nothing.
TEST_F(GuardedFileTest, NamesBeyondTheCodePageAreReachedOnlyInUtf16) {
    const std::wstring folder = tidvex::text::Wide(place_), name = L"\x4e2d\x6587.txt";
    HANDLE h = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    WriteFileBytes(place_ + "\\ab.txt", "ab");
    bool listed = false;
    for (const WideFolderEntry& entry : ListFolder(folder).value_or(std::vector<WideFolderEntry>{}))
        listed = listed || entry.name == name;
    EXPECT_TRUE(listed);
    EXPECT_TRUE(GuardedFile::Open(folder + L"\\" + name, FILE_READ_ATTRIBUTES));
    const std::string narrow = place_ + "\\" + tidvex::text::Narrow(name);
    EXPECT_EQ(narrow, place_ + "\\??.txt");
    EXPECT_EQ(DeleteFileName(narrow, true).refusal, FileRefusal::Missing);
    EXPECT_EQ(ReadFileBytes(place_ + "\\ab.txt"), "ab");
}

TEST(Paths, RootsInEverySpelling) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"C:\\", true}, {L"c:", true}, {L"C:\\.", true}, {L"C:\\Windows\\..", true}, {L"C:/", true},
        {L"C:\\.\\", true}, {L"\\\\server\\share\\", true}, {L"C:\\Windows", false},
        {L"C:\\Windows\\", false}, {L"S:\\a\\..\\b", false}, {L"\\\\server\\share\\x", false}};
    for (const auto& [path, root] : cases) EXPECT_EQ(IsRootPath(path), root) << tidvex::text::Narrow(path);
    EXPECT_EQ(NormalizedFullPath(L"C:\\Windows\\System32\\..\\"), L"C:\\Windows");
    EXPECT_EQ(NormalizedFullPath(L"c:\\"), L"c:\\");
}

TEST(Paths, TheCallableFullFormReachesAnyLength) {
    const std::wstring deep = L"S:\\" + std::wstring(300, L'd');
    const std::pair<std::wstring, std::wstring> forms[] = {
        {L"S:\\a\\..\\b", L"S:\\b"},
        {L"S:/a/b", L"S:\\a\\b"},
        {deep + L"\\.\\x", L"\\\\?\\" + deep + L"\\x"},
        {L"\\\\host\\share\\" + std::wstring(300, L's'), L"\\\\?\\UNC\\host\\share\\" + std::wstring(300, L's')},
        {L"\\\\?\\S:\\c", L"\\\\?\\S:\\c"},
        {L"\\\\.\\pipe\\p", L"\\\\.\\pipe\\p"},
        {L"", L""}};
    for (const auto& [path, callable] : forms)
        EXPECT_EQ(CallableFullPath(path), callable) << tidvex::text::Narrow(path).substr(0, 40);

    // A file 600 characters deep: its final path is told (Wine's own call
    // gives up beyond MAX_PATH), so the guard opens it and it is no link.
    std::wstring folder = tidvex::text::Wide(ScratchFolder("guard-deep"));
    while (folder.size() < 600) {
        folder += L"\\a-folder-name-of-thirty-chars";
        ASSERT_TRUE(CreateDirectoryW(CallableFullPath(folder).c_str(), nullptr));
    }
    const std::wstring file = folder + L"\\deep.txt";
    HANDLE h = CreateFileW(CallableFullPath(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(FinalPathOf(file), L"\\\\?\\" + file);
    EXPECT_TRUE(GuardedFile::Open(file, FILE_READ_ATTRIBUTES));
    EXPECT_FALSE(IsLink(file));
    EXPECT_TRUE(DeleteFileName(file, false).Done());
    EXPECT_EQ(GetFileAttributesW(CallableFullPath(file).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
