// The canonical form of a path, in every spelling a caller or an attacker may
// give, and the check that a folder or file is reached through no link on the
// way: a link in the middle of a path is found, not followed.
#include "fs/canonical.h"
#include "fs/fso.h"
#include "fs/guarded_file.h"
#include "fs/paths.h"
#include "harness/support.h"
#include "handles/handles.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using namespace tidvex::fs;
using tidvex::text::Narrow;
using tidvex::text::Wide;
using tidvex::test::MakeUnixSymlink;
using tidvex::test::ReadFileBytes;
using tidvex::test::RemoveUnixName;
using tidvex::test::ScratchFolder;
using tidvex::test::WriteFileBytes;

TEST(Canonical, EverySpellingOfAPathHasOneForm) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\users\\x", L"C:\\users\\x"},
        {L"c:/users/x/", L"C:\\users\\x"},
        {L"\\\\?\\C:\\users\\x", L"C:\\users\\x"},
        {L"\\??\\C:\\users\\x", L"C:\\users\\x"},
        {L"\\\\.\\C:\\users\\x", L"C:\\users\\x"},
        {L"//?/C:/users/x", L"C:\\users\\x"},
        {L"\\\\?\\UNC\\host\\share\\a", L"\\\\host\\share\\a"},
        {L"\\\\.\\UNC\\host\\share\\a", L"\\\\host\\share\\a"},
        {L"C:\\users\\.\\x\\y\\..", L"C:\\users\\x"},
        {L"\\\\?\\C:\\a\\..\\users\\x", L"C:\\users\\x"},
        {L"C:\\..\\..\\users", L"C:\\users"},
        {L"C:\\users\\x. . ", L"C:\\users\\x"},
        {L"C:\\a\\\\\\b", L"C:\\a\\b"},
        {L"C:\\", L"C:\\"},
        {L"\\\\?\\c:\\", L"C:\\"},
        {L"C:\\a\\..", L"C:\\"},
        {L"\\\\host\\share\\", L"\\\\host\\share"},
    };
    for (const auto& [path, form] : cases) {
        const CanonicalPath c = Canonical(std::wstring_view(path));
        EXPECT_TRUE(c) << Narrow(path) << ": " << RefusalText(c.refusal);
        EXPECT_EQ(c.path, form) << Narrow(path);
    }
}

TEST(Canonical, WhatHasNoFormIsRefusedAndSaysWhy) {
    const std::pair<const wchar_t*, PathRefusal> cases[] = {
        {L"", PathRefusal::NoPath},
        {L"   ", PathRefusal::NoPath},
        {L"users\\x", PathRefusal::Relative},
        {L"\\users\\x", PathRefusal::Relative},
        {L"C:users", PathRefusal::Relative},
        {L"\\\\.\\PhysicalDrive0", PathRefusal::Device},
        {L"\\\\.\\C:", PathRefusal::Device},
        {L"\\\\?\\C:", PathRefusal::Device},
        {L"\\\\?\\Volume{12345678-0000-0000-0000-000000000000}\\x", PathRefusal::Device},
        {L"\\\\?\\GLOBALROOT\\Device\\HarddiskVolume1\\x", PathRefusal::Device},
        {L"\\\\.\\pipe\\x", PathRefusal::Device},
        {L"\\\\?\\\\\\?\\C:\\x", PathRefusal::Device},
        {L"C:\\users\\NUL", PathRefusal::Device},
        {L"C:\\users\\con.txt", PathRefusal::Device},
        {L"C:\\users\\COM1 .log\\x", PathRefusal::Device},
        {L"\\\\host\\C$\\users", PathRefusal::AdminShare},
        {L"\\\\127.0.0.1\\c$", PathRefusal::AdminShare},
        {L"\\\\host\\ADMIN$\\system32", PathRefusal::AdminShare},
        {L"\\\\?\\UNC\\host\\d$\\x", PathRefusal::AdminShare},
        {L"//host/C$/x", PathRefusal::AdminShare},
        {L"C:\\users\\*", PathRefusal::NotCanonical},
        {L"C:\\users\\a?b", PathRefusal::NotCanonical},
        {L"C:\\users\\a.txt:stream", PathRefusal::NotCanonical},
        {L"C:\\users\\...\\x", PathRefusal::NotCanonical},
        {L"C:\\users\\a..\\x", PathRefusal::NotCanonical},
        {L"C:\\users\\a \\x", PathRefusal::NotCanonical},
        {L"\\\\?\\C:\\users\\x.", PathRefusal::NotCanonical},
        // Read as "C:\users\x", another folder than the one named.
        {L"C:\\users.\\x.", PathRefusal::OtherName},
        {L"\\\\host", PathRefusal::NotCanonical},
        {L"\\\\host\\", PathRefusal::NotCanonical},
    };
    for (const auto& [path, refusal] : cases) {
        const CanonicalPath c = Canonical(std::wstring_view(path));
        EXPECT_EQ(c.refusal, refusal) << Narrow(path) << " gave " << Narrow(c.path);
        EXPECT_FALSE(c) << Narrow(path);
    }
    EXPECT_EQ(Canonical(std::wstring_view(L"C:\\a\0b", 6)).refusal, PathRefusal::NotCanonical);
}

TEST(Canonical, RelativePathsResolveOnlyWhenAskedAndLookAlikesStayThemselves) {
    const std::string folder = ScratchFolder("canon-relative");
    SetCurrentDirectoryA(folder.c_str());
    EXPECT_EQ(Canonical(std::wstring_view(L"a\\..\\b"), RelativePaths::Resolve).path, Wide(folder) + L"\\b");
    EXPECT_EQ(Canonical(std::wstring_view(L"nul"), RelativePaths::Resolve).refusal, PathRefusal::Device);
    SetCurrentDirectoryA("C:\\");
    // Full-width dots and backslashes are characters of a name, never "..\".
    const std::wstring lookAlike = L"C:\\users\\\xFF0E\xFF0E\xFF3C\xFF0E\xFF0E";
    EXPECT_EQ(Canonical(std::wstring_view(lookAlike)).path, lookAlike);
    // The code page's form of such a name holds "?": it names nothing.
    EXPECT_FALSE(Canonical(Narrow(lookAlike)));
    EXPECT_TRUE(SamePath(L"C:\\USERS\\X", L"c:\\users\\x"));
    EXPECT_TRUE(SameOrBelow(L"C:\\users", L"c:\\Users\\x"));
    EXPECT_TRUE(SameOrBelow(L"C:\\", L"C:\\x"));
    EXPECT_FALSE(SameOrBelow(L"C:\\users", L"C:\\users2"));
}

// A short name that the file system answers to becomes the long name.
TEST(Canonical, ShortNamesBecomeLongNames) {
    const std::string folder = ScratchFolder("canon-short");
    const std::wstring longName = Wide(folder) + L"\\A Long Folder Name";
    ASSERT_TRUE(CreateDirectoryW(longName.c_str(), nullptr));
    wchar_t shortName[MAX_PATH] = {};
    const DWORD n = GetShortPathNameW(longName.c_str(), shortName, MAX_PATH);
    if (n == 0 || std::wstring(shortName) == longName) GTEST_SKIP() << "no short names here";
    const CanonicalPath c = Canonical(std::wstring_view(shortName));
    // Wine makes short names it does not answer to: then the short name stays.
    if (c.path != longName) {
        WIN32_FIND_DATAW found;
        tidvex::handles::Find find(FindFirstFileW(shortName, &found));
        EXPECT_FALSE(find) << "answered to " << Narrow(shortName) << " but kept it";
        GTEST_SKIP() << "the file system does not answer to its short names";
    }
}

// A name that ends in dots or blanks reads, to the system, as the name
// without them: while either item is there, the path is refused, since no
// plain call reaches the item it names. Read plainly, it is the other item.
TEST(Canonical, ANameTheSystemReadsAsAnotherIsRefusedWhileEitherItemIsThere) {
    const std::wstring dir = Wide(ScratchFolder("canon-dots"));
    auto make = [&](const std::wstring& name, bool folder) {
        const std::wstring literal = L"\\\\?\\" + dir + L"\\" + name;
        if (folder) {
            ASSERT_TRUE(CreateDirectoryW(literal.c_str(), nullptr)) << Narrow(name);
        } else {
            tidvex::handles::File f(CreateFileW(literal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
            ASSERT_TRUE(f) << Narrow(name);
        }
    };
    make(L"notes.log.", false);
    make(L"notes.log", false);
    make(L"data ", true);
    make(L"data", true);
    make(L"only.", false);
    make(L"plain", false);
    struct Case {
        const wchar_t* name;
        const wchar_t* plain;
        bool refused;
    };
    const Case cases[] = {
        {L"notes.log.", L"notes.log", true},  // both there
        {L"data ", L"data", true},            // both folders there
        {L"only.", L"only", true},            // only the exact one
        {L"plain.", L"plain", true},          // only the other one
        {L"plain.. .", L"plain", true},
        {L"data.\\x", L"data\\x", true},      // a folder on the way
        {L"none.", L"none", false},           // neither: the name is the system's reading
    };
    for (const Case& c : cases) {
        const CanonicalPath exact = Canonical(dir + L"\\" + c.name);
        EXPECT_EQ(exact.refusal, c.refused ? PathRefusal::OtherName : PathRefusal::None) << Narrow(c.name);
        if (!c.refused) {
            EXPECT_EQ(exact.path, dir + L"\\" + c.plain);
        }
        EXPECT_EQ(Canonical(dir + L"\\" + c.name, RelativePaths::Refuse, NameReading::Plain).path, dir + L"\\" + c.plain)
            << Narrow(c.name);
    }
}

class ThroughALink : public ::testing::Test {
protected:
    void SetUp() override {
        place_ = ScratchFolder("canon-place");
        outside_ = ScratchFolder("canon-outside");
        CreateDirectoryA((outside_ + "\\Documents").c_str(), nullptr);
        WriteFileBytes(outside_ + "\\Documents\\report.txt", "keep");
        CreateDirectoryA((place_ + "\\own").c_str(), nullptr);
        WriteFileBytes(place_ + "\\own\\a.txt", "own");
        if (!MakeUnixSymlink(outside_, place_ + "\\plink")) GTEST_SKIP() << "no Unix links can be made here";
        // A link to the folder a drive letter leads to, and the letter itself.
        MakeUnixSymlink(place_, outside_ + "\\toplace");
        letter_.emplace('K', place_);
        if (!letter_->Made()) GTEST_SKIP() << "no drive letter can be made here";
    }
    void TearDown() override {
        letter_.reset();
        RemoveUnixName(outside_ + "\\toplace");
        RemoveUnixName(place_ + "\\plink");
    }

    std::string place_, outside_;
    std::optional<tidvex::test::SecondLetter> letter_;
};

// Another drive letter that leads to a folder (and so names it in every final
// path) is no link; a link is one, whichever letter it is reached by.
TEST_F(ThroughALink, AFolderReachedThroughALinkOnTheWayIsTold) {
    const std::pair<std::string, FolderCheck> cases[] = {
        {place_ + "\\own", FolderCheck::Own},
        {place_, FolderCheck::Own},
        {letter_->Path("own"), FolderCheck::Own},
        {place_ + "\\plink", FolderCheck::Link},
        {place_ + "\\plink\\Documents", FolderCheck::Link},
        {letter_->Path("plink\\Documents"), FolderCheck::Link},
        {outside_ + "\\toplace", FolderCheck::Link},
        {outside_ + "\\toplace\\own", FolderCheck::Link},
        {place_ + "\\plink\\missing", FolderCheck::Missing},
        {place_ + "\\own\\a.txt", FolderCheck::NotFolder},
        {place_ + "\\missing", FolderCheck::Missing},
    };
    for (const auto& [path, check] : cases) EXPECT_EQ(CheckOwnFolder(Canonical(path).path), check) << path;
}

// Every way of changing a file or folder refuses one whose path passes a link
// in its middle; what the link leads to keeps every byte.
TEST_F(ThroughALink, NothingIsChangedThroughALinkInTheMiddle) {
    const std::string file = place_ + "\\plink\\Documents\\report.txt";
    const std::string folder = place_ + "\\plink\\Documents";
    EXPECT_EQ(GuardedFile::Open(file, FILE_READ_ATTRIBUTES).Refusal(), FileRefusal::Link);
    EXPECT_EQ(GuardedFile::OpenFolder(Wide(folder), FILE_READ_ATTRIBUTES).Refusal(), FileRefusal::Link);
    EXPECT_FALSE(DeleteFileName(file, true).Done());
    EXPECT_FALSE(WriteWholeFile(Wide(file), "gone").Done());
    EXPECT_FALSE(WriteWholeFile(Wide(folder + "\\new.txt"), "new").Done());
    EXPECT_THROW(gFSO().DeleteFile(file, true), tidvex::RunTimeError);
    EXPECT_THROW(gFSO().DeleteFolder(folder, true), tidvex::RunTimeError);
    EXPECT_THROW(gFSO().DeleteFolder("\\\\?\\" + folder, true), tidvex::RunTimeError);
    LinkProbe probe(folder);
    EXPECT_FALSE(probe.FolderIsOwn());
    EXPECT_TRUE(probe.IsLink("report.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(IsLink(file));
    EXPECT_EQ(ReadFileBytes(outside_ + "\\Documents\\report.txt"), "keep");
    EXPECT_FALSE(tidvex::test::PathExists(outside_ + "\\Documents\\new.txt"));
    // The same file by its own path is its own.
    EXPECT_EQ(GuardedFile::Open(outside_ + "\\Documents\\report.txt", FILE_READ_ATTRIBUTES).Refusal(),
              FileRefusal::None);
}

TEST_F(ThroughALink, AHandleIsItsPathOnlyWhenNoLinkLiesOnTheWay) {
    for (const auto& [path, own] : {std::pair{place_ + "\\own\\a.txt", true},
                                    std::pair{letter_->Path("own\\a.txt"), true},
                                    std::pair{place_ + "\\plink\\Documents\\report.txt", false},
                                    std::pair{outside_ + "\\toplace\\own\\a.txt", false}}) {
        tidvex::handles::File h(CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        ASSERT_TRUE(h) << path;
        EXPECT_EQ(IsPathOfHandle(h.Get(), Canonical(path).path), own) << path;
    }
}

}  // namespace
