// The hard-disk cleaner on the test's own scratch drive S:, which holds
// nothing but the tree each test builds.
#include "engine/hd_cleaner.h"

#include "com/com_types.h"
#include "fs/fso.h"
#include "fs/paths.h"
#include "harness/support.h"
#include "pump/pump.h"
#include "memory_controls.h"
#include "services/lists.h"
#include "services/logger.h"
#include "services/program.h"

#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace tidvex::engine;
using tidvex::test::PathExists;
using tidvex::test::WriteFileBytes;

void MakeShortcut(const std::string& shortcut, const std::string& target) {
    tidvex::com::ComPtr<IShellLinkA> link;
    ASSERT_HRESULT_SUCCEEDED(
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid()));
    ASSERT_HRESULT_SUCCEEDED(link->SetPath(target.c_str()));
    auto file = link.As<IPersistFile>(IID_IPersistFile);
    ASSERT_TRUE(file);
    ASSERT_HRESULT_SUCCEEDED(file->Save(tidvex::com::Widen(shortcut).c_str(), TRUE));
}

std::set<std::string> Sorted(const std::vector<std::string>& items) { return {items.begin(), items.end()}; }

// Everything on S: except the links, which stay from test to test.
void EmptyScratchDrive() {
    auto entries = tidvex::fs::ListFolder("S:\\");
    ASSERT_TRUE(entries);
    tidvex::fs::LinkProbe links("S:\\");
    for (const auto& e : *entries) {
        if (links.IsLink(e.name, e.attributes)) continue;
        const std::string path = "S:\\" + e.name;
        if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            tidvex::fs::gFSO().DeleteFolder(path, true);
        } else {
            tidvex::fs::gFSO().DeleteFile(path, true);
        }
    }
}

const std::vector<std::string> kJunk = {
    "S:\\a.log", "S:\\b.TMP", "S:\\f.$$$", "S:\\h.dir", "S:\\i.chk", "S:\\j.bak", "S:\\sub\\c._mp", "S:\\sub\\c.~mp",
    "S:\\sub\\g.___", "S:\\sub\\deep\\k.log", "S:\\broken.lnk"};
const std::vector<std::string> kKept = {
    "S:\\d.mp",         "S:\\e.tmp1",       "S:\\noext",       "S:\\safe.tmp",     "S:\\target.txt",
    "S:\\live.lnk",     "S:\\folder.lnk",   "S:\\bad.lnk",     "S:\\keep\\keep.log", "S:\\keep\\keep.tmp",
    "S:\\keep\\gone.lnk", "C:\\tidvex-outside\\x.tmp", "C:\\tidvex-outside\\y.log"};

class HDCleanerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The program's files (its event log) lie off the drive being cleaned.
        CreateDirectoryA("C:\\tidvex-hd", nullptr);
        appPath_ = std::make_unique<tidvex::services::ScopedAppPath>("C:\\tidvex-hd");
        tidvex::services::gLogger().SetSwitch(&logSwitch_);
    }

    void SetUp() override {
        EmptyScratchDrive();
        for (const auto& folder : {"S:\\sub", "S:\\sub\\deep", "S:\\keep", "C:\\tidvex-outside"})
            CreateDirectoryA(folder, nullptr);
        for (const auto& file : kJunk)
            if (file.ends_with(".lnk") == false) WriteFileBytes(file, "junk");
        for (const auto& file : kKept)
            if (file.ends_with(".lnk") == false) WriteFileBytes(file, "keep");
        WriteFileBytes("S:\\missing.txt", "soon gone");
        WriteFileBytes("S:\\missing2.txt", "soon gone");
        MakeShortcut("S:\\live.lnk", "S:\\target.txt");
        MakeShortcut("S:\\broken.lnk", "S:\\missing.txt");
        MakeShortcut("S:\\keep\\gone.lnk", "S:\\missing2.txt");
        MakeShortcut("S:\\folder.lnk", "S:\\sub");
        DeleteFileA("S:\\missing.txt");
        DeleteFileA("S:\\missing2.txt");
        WriteFileBytes("S:\\bad.lnk", "not a shortcut");
        // Links the scan must never follow: back to the root, and off the drive.
        if (!PathExists("S:\\loop")) {
            ASSERT_TRUE(tidvex::test::MakeUnixSymlink("S:\\", "S:\\loop"));
        }
        if (!PathExists("S:\\outside")) {
            ASSERT_TRUE(tidvex::test::MakeUnixSymlink("C:\\tidvex-outside", "S:\\outside"));
        }
        ASSERT_TRUE(PathExists("S:\\outside\\x.tmp"));

        tidvex::services::gMatchLists = {};
        tidvex::services::gMatchLists.safeFiles = {"s:\\SAFE.tmp"};
        tidvex::services::gMatchLists.safeFolders = {"S:\\keep"};

        cleaner_.ScanningFolder = [this](std::string& folder) { folders_.push_back(folder); };
        cleaner_.EndCleaningType = [this](std::string& type) { types_.push_back(type); };
        cleaner_.Progress = [this](double& p) { progress_.push_back(p); };
    }

    void AllCategories() {
        cleaner_.CleanLogFiles(true);
        cleaner_.CleanTempFiles(true);
        cleaner_.CleanUnnecssaryFiles(true);
        cleaner_.CleanCheckDiskFiles(true);
        cleaner_.CleanBrokenLinkFiles(true);
        cleaner_.CleanCustomFiles(".bak*");
    }

    static void TearDownTestSuite() { appPath_.reset(); }

    static inline std::unique_ptr<tidvex::services::ScopedAppPath> appPath_;
    static inline tidvex::controls::MemoryCheckBox logSwitch_{-1};
    tidvex::pump::ScopedDoEvents quiet_{[] {}};
    // The drive an empty drive text stands for is the scratch drive, never C:.
    clsHDCleaner cleaner_{"S:\\Windows"};
    std::vector<std::string> folders_, types_;
    std::vector<double> progress_;
};

TEST_F(HDCleanerTest, CollectsAndDeletesEachCategoryAndKeepsEverythingElse) {
    AllCategories();
    double start = 20;
    cleaner_.StartClean(start, 70, "s:");

    using C = JunkCategory;
    EXPECT_EQ(Sorted(cleaner_.Collected(C::Log)), (std::set<std::string>{"S:\\a.log", "S:\\sub\\deep\\k.log"}));
    EXPECT_EQ(Sorted(cleaner_.Collected(C::Temporary)),
              (std::set<std::string>{"S:\\b.TMP", "S:\\sub\\c._mp", "S:\\sub\\c.~mp"}));
    EXPECT_EQ(Sorted(cleaner_.Collected(C::Unnecessary)),
              (std::set<std::string>{"S:\\f.$$$", "S:\\h.dir", "S:\\sub\\g.___"}));
    EXPECT_EQ(cleaner_.Collected(C::CheckDisk), std::vector<std::string>{"S:\\i.chk"});
    EXPECT_EQ(cleaner_.Collected(C::BrokenLink), std::vector<std::string>{"S:\\broken.lnk"});
    EXPECT_EQ(cleaner_.Collected(C::Custom), std::vector<std::string>{"S:\\j.bak"});
    for (const auto& file : kJunk) EXPECT_FALSE(PathExists(file)) << file;
    for (const auto& file : kKept) EXPECT_TRUE(PathExists(file)) << file;

    EXPECT_EQ(types_, (std::vector<std::string>{"Hard Drive Cleaner is scanning...", "Cleaning Log Files",
                                                "Cleaning Temporary Files", "Cleaning Unnecessary Files",
                                                "Cleaning Check Disk Files", "Cleaning Broken link Files",
                                                "Cleaning Custom Files"}));
    EXPECT_EQ(Sorted(folders_), (std::set<std::string>{"S:\\", "S:\\keep\\", "S:\\sub\\", "S:\\sub\\deep\\"}));
    EXPECT_EQ(folders_.front(), "S:\\");
    // Fewer than 100 files: no progress during the scan, then its end and the six parts.
    EXPECT_EQ(progress_, (std::vector<double>{69, 72.5, 76, 79.5, 83, 86.5, 90, 90}));
    // The caller's start moves past the scan only; the deletion's parts are its own.
    EXPECT_EQ(start, 69);

    // The unreadable shortcut stayed, and why was logged.
    const auto log = tidvex::test::ReadFileBytes(tidvex::services::LogFilePath());
    ASSERT_TRUE(log);
    EXPECT_NE(log->find("Function: nekorBkniLsI : On : "), std::string::npos) << *log;
}

TEST_F(HDCleanerTest, OnlyTheChosenCategoriesAndOnlyWholeExtensions) {
    cleaner_.CleanTempFiles(true);
    EXPECT_EQ(cleaner_.Pattern(), "|.tmp*._mp*.~mp*");
    cleaner_.StartClean(20, 70, "S:\\");
    EXPECT_EQ(Sorted(cleaner_.Collected(JunkCategory::Temporary)),
              (std::set<std::string>{"S:\\b.TMP", "S:\\sub\\c._mp", "S:\\sub\\c.~mp"}));
    EXPECT_TRUE(PathExists("S:\\d.mp"));
    EXPECT_TRUE(PathExists("S:\\e.tmp1"));
    EXPECT_TRUE(PathExists("S:\\a.log"));
    EXPECT_TRUE(PathExists("S:\\broken.lnk"));
    EXPECT_EQ(types_, (std::vector<std::string>{"Hard Drive Cleaner is scanning...", "Cleaning Temporary Files"}));

    // The log category reports itself only when it found something; a custom
    // pattern repeating a category's extension fills both lists.
    types_.clear();
    cleaner_.Reset();
    cleaner_.CleanLogFiles(true);
    cleaner_.CleanCustomFiles("*.LOG; .lnk*");
    EXPECT_EQ(cleaner_.Pattern(), ".log*|.log*.lnk*");
    EXPECT_TRUE(cleaner_.IsUserShredderInsteadofNormalDelete() == false);
    cleaner_.IsUserShredderInsteadofNormalDelete(true);
    cleaner_.StartClean(20, 70, "S:");
    EXPECT_EQ(Sorted(cleaner_.Collected(JunkCategory::Log)), (std::set<std::string>{"S:\\a.log", "S:\\sub\\deep\\k.log"}));
    EXPECT_EQ(Sorted(cleaner_.Collected(JunkCategory::Custom)), Sorted(cleaner_.Collected(JunkCategory::Log)));
    EXPECT_EQ(cleaner_.Collected(JunkCategory::BrokenLink), std::vector<std::string>{"S:\\broken.lnk"});
    EXPECT_FALSE(PathExists("S:\\a.log"));
    EXPECT_FALSE(PathExists("S:\\broken.lnk"));
    EXPECT_TRUE(PathExists("S:\\live.lnk"));
    EXPECT_TRUE(PathExists("S:\\keep\\keep.log"));
    EXPECT_EQ(types_, (std::vector<std::string>{"Hard Drive Cleaner is scanning...", "Cleaning Log Files",
                                                "Cleaning Custom Files"}));
}

// A junk file that is a second name of a file elsewhere: shredding removes the
// name alone, the other name keeps the content, and the event log says so.
TEST_F(HDCleanerTest, ShreddingRemovesOnlyTheNameOfAFileWithOtherNames) {
    WriteFileBytes("S:\\outside-name.txt", "shared content");
    ASSERT_TRUE(tidvex::test::MakeUnixHardLink("S:\\outside-name.txt", "S:\\shared.tmp"));
    cleaner_.CleanTempFiles(true);
    cleaner_.IsUserShredderInsteadofNormalDelete(true);
    cleaner_.StartClean(20, 70, "S:");
    EXPECT_FALSE(PathExists("S:\\shared.tmp"));
    EXPECT_FALSE(PathExists("S:\\b.TMP"));
    EXPECT_EQ(tidvex::test::ReadFileBytes("S:\\outside-name.txt"), "shared content");
    const auto log = tidvex::test::ReadFileBytes(tidvex::services::LogFilePath()).value_or("");
    EXPECT_NE(log.find("S:\\shared.tmp - only this name was deleted"), std::string::npos) << log;
}

TEST_F(HDCleanerTest, CustomPatternsAreReadAsExtensions) {
    EXPECT_EQ(ParseExtensionPattern(".bak*.old*|*.TMP; .log* ,zip"),
              (std::vector<std::string>{"bak", "old", "tmp", "log", "zip"}));
    for (const char* nothing : {"", ".", "*.*", ".*", "*", "|||", "tar.gz", ".b?k*"})
        EXPECT_TRUE(ParseExtensionPattern(nothing).empty()) << nothing;

    // "*.*" would otherwise take every file without an extension.
    cleaner_.CleanCustomFiles("*.*");
    EXPECT_EQ(cleaner_.Pattern(), "");
    cleaner_.StartClean(20, 70, "S:");
    EXPECT_TRUE(PathExists("S:\\noext"));
    EXPECT_TRUE(folders_.empty());
    EXPECT_TRUE(types_.empty());
    EXPECT_TRUE(progress_.empty());
}

TEST_F(HDCleanerTest, StopEndsTheScanAtTheNextFolderAndDeletesNothing) {
    AllCategories();
    cleaner_.ScanningFolder = [this](std::string& folder) {
        folders_.push_back(folder);
        if (folder == "S:\\sub\\") cleaner_.StopClean();
    };
    cleaner_.StartClean(20, 70, "S:");
    EXPECT_EQ(folders_.back(), "S:\\sub\\");
    // The folder being scanned is finished; nothing below it is entered.
    EXPECT_EQ(Sorted(cleaner_.Collected(JunkCategory::Temporary)).count("S:\\sub\\c._mp"), 1u);
    EXPECT_TRUE(cleaner_.Collected(JunkCategory::Log) == std::vector<std::string>{"S:\\a.log"});
    for (const auto& file : kJunk) EXPECT_TRUE(PathExists(file)) << file;
    EXPECT_EQ(types_, std::vector<std::string>{"Hard Drive Cleaner is scanning..."});
    EXPECT_EQ(progress_, (std::vector<double>{69, 90}));
}

TEST_F(HDCleanerTest, ANameThatIsNoDriveIsRefused) {
    cleaner_.CleanTempFiles(true);
    for (const char* notADrive : {"S:\\sub", "S", "SS:\\", "\\S:", "\\\\?\\S:\\sub", "\\\\.\\S:", "\\\\host\\S$\\"})
        EXPECT_THROW(cleaner_.StartClean(20, 70, notADrive), tidvex::RunTimeError) << notADrive;
    EXPECT_TRUE(types_.empty());
    EXPECT_TRUE(progress_.empty());
    EXPECT_TRUE(PathExists("S:\\b.TMP"));

    // With nothing to clean there is nothing to refuse either.
    cleaner_.Reset();
    EXPECT_NO_THROW(cleaner_.StartClean(20, 70, ""));
    EXPECT_NO_THROW(cleaner_.StartClean(20, 70, "S:\\sub"));
    EXPECT_TRUE(types_.empty());
}

// Any spelling of the drive's root names that drive, and the scan shows it
// in its plain form.
TEST_F(HDCleanerTest, EverySpellingOfARootIsThatDrive) {
    for (const char* root : {"\\\\?\\S:\\", "s:/", "S:\\\\", "S:\\sub\\..", "\\\\.\\s:\\"}) {
        clsHDCleaner cleaner("C:\\windows");
        std::vector<std::string> folders;
        cleaner.ScanningFolder = [&](std::string& folder) { folders.push_back(folder); };
        cleaner.CleanCheckDiskFiles(true);
        EXPECT_NO_THROW(cleaner.StartClean(20, 70, root)) << root;
        ASSERT_FALSE(folders.empty()) << root;
        EXPECT_EQ(folders.front(), "S:\\") << root;
    }
}

// A safe entry keeps its file, or its folder and all below it, whatever letter
// the cleaned drive is reached by and however the entry is spelt.
TEST_F(HDCleanerTest, ASafeEntryKeepsWhatItNamesByEverySpellingAndLetter) {
    const tidvex::test::SecondLetter letter('K', "S:\\");
    if (!letter.Made()) GTEST_SKIP() << "no drive letter can be made here";
    struct Case {
        std::vector<std::string> files, folders;  // the safe entries
        const char* kept;
    };
    const Case cases[] = {
        {{}, {"S:\\keep"}, "S:\\keep\\keep.log"},
        {{}, {"S:/keep"}, "S:\\keep\\keep.log"},
        {{}, {"S:\\sub\\.\\..\\keep"}, "S:\\keep\\keep.log"},
        {{}, {"\\\\?\\S:\\keep"}, "S:\\keep\\keep.log"},
        {{}, {"S:\\keep."}, "S:\\keep\\keep.log"},
        {{}, {"S:\\sub"}, "S:\\sub\\deep\\k.log"},
        {{"S:\\safe.tmp"}, {}, "S:\\safe.tmp"},
        {{"\\\\?\\s:\\SAFE.tmp"}, {}, "S:\\safe.tmp"},
        {{"S:/safe.tmp."}, {}, "S:\\safe.tmp"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kept);
        WriteFileBytes(c.kept, "safe");
        tidvex::services::gMatchLists.safeFiles = c.files;
        tidvex::services::gMatchLists.safeFolders = c.folders;
        clsHDCleaner cleaner("C:\\windows");
        cleaner.CleanLogFiles(true);
        cleaner.CleanTempFiles(true);
        cleaner.StartClean(20, 70, letter.Path());
        EXPECT_EQ(tidvex::test::ReadFileBytes(c.kept), "safe");
    }
    EXPECT_FALSE(PathExists("S:\\a.log")) << "what no entry names is cleaned by the letter";
}

// An empty drive box reaches the cleaner as "\": the Windows folder's drive is
// cleaned, and a Windows folder on no drive letter is refused like a bad name.
TEST_F(HDCleanerTest, AnEmptyDriveTextMeansTheWindowsFoldersDrive) {
    struct Case {
        const char* windowsFolder;
        const char* drive;
    };
    for (const auto& [windows, drive] : {Case{"S:\\WINDOWS", ""}, Case{"s:\\Windows", "\\"}, Case{" s:\\w ", " \\ "},
                                         Case{"S:", "/"}}) {
        clsHDCleaner cleaner(windows);
        std::vector<std::string> folders;
        cleaner.ScanningFolder = [&](std::string& folder) { folders.push_back(folder); };
        cleaner.CleanCheckDiskFiles(true);
        EXPECT_NO_THROW(cleaner.StartClean(20, 70, drive)) << windows;
        ASSERT_FALSE(folders.empty()) << windows;
        EXPECT_EQ(folders.front(), "S:\\") << windows;
    }
    EXPECT_FALSE(PathExists("S:\\i.chk"));

    clsHDCleaner onAShare("\\\\server\\share\\Windows");
    onAShare.CleanTempFiles(true);
    EXPECT_THROW(onAShare.StartClean(20, 70, "\\"), tidvex::RunTimeError);
    EXPECT_TRUE(PathExists("S:\\b.TMP"));
}

// Paths beyond MAX_PATH are examined like any other: the junk file in
// S:\long\<200 x a> is cleaned. What cannot be examined is logged and the scan
// goes on: a matching file and a subfolder there are taken away between the
// folder's listing and their examination. A file that matches nothing is never
// opened, so it costs no log line.
TEST_F(HDCleanerTest, WhatCannotBeExaminedIsLoggedAndTheScanGoesOn) {
    const std::wstring folder = L"\\\\?\\S:\\long\\" + std::wstring(200, L'a');
    const std::wstring name(100, L'b');
    const std::vector<std::wstring> files = {folder + L"\\" + name + L".tmp", folder + L"\\" + name + L".txt",
                                             folder + L"\\gone.tmp"};
    const std::wstring goneFolder = folder + L"\\gone";
    auto removeTree = [&] {
        for (const auto& file : files) DeleteFileW(file.c_str());
        for (const auto& sub : {folder + L"\\" + name, goneFolder, folder, std::wstring(L"\\\\?\\S:\\long")})
            RemoveDirectoryW(sub.c_str());
    };
    CreateDirectoryW(L"\\\\?\\S:\\long", nullptr);
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((folder + L"\\" + name).c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(goneFolder.c_str(), nullptr));
    for (const auto& file : files) {
        HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        CloseHandle(h);
    }
    const std::string inside = "S:\\long\\" + std::string(200, 'a') + "\\";
    cleaner_.ScanningFolder = [&](std::string& scanned) {
        folders_.push_back(scanned);
        if (scanned != inside) return;
        DeleteFileW(files[2].c_str());
        RemoveDirectoryW(goneFolder.c_str());
    };

    cleaner_.CleanTempFiles(true);
    cleaner_.StartClean(20, 70, "S:");
    const std::string deep = inside + std::string(100, 'b');
    EXPECT_EQ(Sorted(cleaner_.Collected(JunkCategory::Temporary)),
              (std::set<std::string>{"S:\\b.TMP", "S:\\sub\\c._mp", "S:\\sub\\c.~mp", deep + ".tmp"}));
    EXPECT_EQ(std::count(folders_.begin(), folders_.end(), "S:\\sub\\deep\\"), 1);
    EXPECT_EQ(std::count(folders_.begin(), folders_.end(), deep + "\\"), 1);
    EXPECT_EQ(GetFileAttributesW(files[0].c_str()), INVALID_FILE_ATTRIBUTES);

    const auto log = tidvex::test::ReadFileBytes(tidvex::services::LogFilePath());
    removeTree();
    ASSERT_TRUE(log);
    for (const std::string& logged : {inside + "gone.tmp", inside + "gone\\"})
        EXPECT_NE(log->find(" - " + logged + ", Function: renaelCDHslc@yortseDdnAhcraeS : "), std::string::npos)
            << logged;
    EXPECT_EQ(log->find(deep + ".txt"), std::string::npos);
}

}  // namespace
