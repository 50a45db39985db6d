// Sessions of the registered Shredder class driven through its interface, with a
// sink on this single-threaded apartment that receives the worker's events: each
// kind of session with its events in order, aborts mid-file and mid-drive, a
// restart right after an abort, the object released while its worker runs.
#include "session_com.h"

#include <sddl.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>

namespace {

using namespace fraxil::comtest;
using tidvex::com::Bstr;
using tidvex::test::PathExists;
using tidvex::test::ReadFileBytes;
using tidvex::test::ScratchFolder;
using tidvex::test::TestDrive;
using tidvex::test::WriteFileBytes;

std::string UserSid() {
    HANDLE token = nullptr;
    OpenProcessToken(GetCurrentProcess(), TOKEN_READ, &token);
    BYTE buffer[1000];
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
    CloseHandle(token);
    char* text = nullptr;
    ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text);
    std::string sid = text ? text : "";
    LocalFree(text);
    return sid;
}

TEST_F(Session, AFilesSessionRaisesItsEventsInOrderAndEmptiesItsLists) {
    const std::string a = dir_ + "\\a.doc", b = dir_ + "\\b.doc";
    WriteFileBytes(a, std::string(100000, 'a'));
    WriteFileBytes(b, "0123456789");
    EXPECT_EQ(Add(&IShredder::AddFile, a), 1);
    EXPECT_EQ(Add(&IShredder::AddFile, b), 1);
    fired_.clear();
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(WaitCompleted());

    const std::vector<Fired> expected = {
        {kMessage, "Start Files Shredding."}, {kItem, a}, {kMessage, "Pass 1 of 1: Writing 0x00"},
        {kItem, b}, {kMessage, "Pass 1 of 1: Writing 0x00"}, {kMessage, "Folders List is empty."},
        {kCompleted, ""}};
    EXPECT_EQ(Texts(), expected);
    // Each file's progress runs to 100 %, the session's to 100 % before the completion.
    EXPECT_EQ(Numbers(kProgress), (std::vector<LONG>{0, 65, 100, 0, 100}));
    const std::vector<LONG> totals = Numbers(kTotal);
    ASSERT_FALSE(totals.empty());
    EXPECT_EQ(totals.back(), 100);
    EXPECT_TRUE(std::is_sorted(totals.begin(), totals.end()));
    EXPECT_EQ(GetLong(&IShredder::get_SessionState), 3);
    EXPECT_FALSE(PathExists(a));
    EXPECT_FALSE(PathExists(b));
    EXPECT_EQ(GetLong(&IShredder::get_FilesCount), 0);
}

// Each event waits for the sink's thread, so a percentage reaches the sink only
// when it changed: a file's chunks mostly leave both as they were. The
// session's final 100 is the one value told again.
TEST_F(Session, APercentageReachesTheSinkOnlyWhenItChanged) {
    struct Case {
        short method;
        size_t passes, files, bytes;
    };
    const Case cases[] = {{0, 1, 1, 10 << 20}, {1, 3, 1, 3 << 20}, {0, 1, 40, 20000}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.files) + " x " + std::to_string(c.bytes) + " bytes, method " +
                     std::to_string(c.method));
        Call(&IShredder::NewSession);
        obj_->put_ShredMethod(c.method);
        const std::string folder = dir_ + "\\m" + std::to_string(c.method) + "x" + std::to_string(c.files);
        CreateDirectoryA(folder.c_str(), nullptr);
        for (size_t i = 0; i < c.files; ++i) WriteFileBytes(folder + "\\" + std::to_string(i), std::string(c.bytes, 'p'));
        EXPECT_EQ(c.files == 1 ? Add(&IShredder::AddFile, folder + "\\0") : Add(&IShredder::AddFolder, folder), 1);
        fired_.clear();
        ASSERT_EQ(Call(&IShredder::StartSession), 1);
        ASSERT_TRUE(WaitCompleted(std::chrono::seconds(60)));
        EXPECT_TRUE(Errors().empty());

        const std::vector<LONG> progress = Numbers(kProgress);
        EXPECT_LE(progress.size(), 101 * c.passes * c.files);
        ASSERT_FALSE(progress.empty());
        EXPECT_EQ(progress.back(), 100);
        ASSERT_GE(fired_.size(), 2u);
        EXPECT_EQ(fired_[fired_.size() - 2], (Fired{kTotal, "", 100}));
        EXPECT_EQ(fired_.back().id, kCompleted);
        // Within one pass of one file (from its item or pass text on) the item's
        // percentage never falls; neither percentage repeats the value heard before.
        LONG pass = -1, lastProgress = -1, lastTotal = -1;
        for (size_t i = 0; i + 2 < fired_.size(); ++i) {
            const Fired& f = fired_[i];
            if (f.id == kItem || f.id == kMessage) pass = -1;
            if (f.id == kProgress) {
                EXPECT_GE(f.number, pass) << i;
                EXPECT_NE(f.number, lastProgress) << i;
                pass = lastProgress = f.number;
            }
            if (f.id == kTotal) {
                EXPECT_GT(f.number, lastTotal) << i;
                lastTotal = f.number;
            }
        }
        EXPECT_EQ(Count(kMessage), c.passes * c.files + 2);  // and the two lists' texts
    }
}

TEST_F(Session, AFoldersSessionFollowsTheSubfolderOptions) {
    struct Case {
        LONG shredSub, removeSub;
        bool innerFileKept, subfolderKept, listedFolderKept;
    };
    const Case cases[] = {{0, 0, true, true, true}, {1, 0, false, true, true}, {1, 1, false, false, false}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        const std::string top = dir_ + "\\top" + std::to_string(n++);
        CreateDirectoryA(top.c_str(), nullptr);
        CreateDirectoryA((top + "\\sub").c_str(), nullptr);
        WriteFileBytes(top + "\\outer.txt", "outer");
        WriteFileBytes(top + "\\sub\\inner.txt", "inner");
        Call(&IShredder::NewSession);
        obj_->put_ShredSubFolder(c.shredSub);
        obj_->put_RemoveSubFolder(c.removeSub);
        EXPECT_EQ(Add(&IShredder::AddFolder, top), 1);
        fired_.clear();
        ASSERT_EQ(Call(&IShredder::StartSession), 1);
        ASSERT_TRUE(WaitCompleted());
        EXPECT_EQ(Texts().front(), (Fired{kMessage, "Files List is empty."}));
        EXPECT_EQ(Texts()[1], (Fired{kMessage, "Start Folders Shredding."}));
        EXPECT_FALSE(PathExists(top + "\\outer.txt"));
        EXPECT_EQ(PathExists(top + "\\sub\\inner.txt"), c.innerFileKept);
        EXPECT_EQ(PathExists(top + "\\sub"), c.subfolderKept);
        EXPECT_EQ(PathExists(top), c.listedFolderKept);
        EXPECT_EQ(GetLong(&IShredder::get_FoldersCount), 0);
        EXPECT_TRUE(Errors().empty());
    }
}

TEST_F(Session, AFreeSpaceSessionFillsAndDeletesItsTemporaryFiles) {
    if (!TestDrive('T')) GTEST_SKIP() << "no tmpfs drive T: could be mounted (needs root)";
    struct Case {
        short method;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {0, {"Preparing temporary files.", "Shredding temporary file 1 of 1.", "Deleting temporary files."}},
        {1,
         {"Preparing temporary files.", "Preparing temporary file 1 of 1.", "T:\\SHREDTMP.$$$\\SHRED000.TMP (1 of 1)",
          "", "Deleting temporary files."}}};
    ULARGE_INTEGER before{};
    GetDiskFreeSpaceExA("T:\\", &before, nullptr, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.method);
        Call(&IShredder::NewSession);
        obj_->put_SessionType(1);
        obj_->put_ShredMethod(c.method);
        EXPECT_EQ(Add(&IShredder::AddDrive, "T:\\"), 1);
        EXPECT_EQ(Add(&IShredder::AddDrive, "Q:\\"), 1);  // no such drive: skipped without a word
        fired_.clear();
        ASSERT_EQ(Call(&IShredder::StartSession), 1);
        ASSERT_TRUE(WaitCompleted(std::chrono::seconds(60)));
        std::vector<std::string> items;
        for (const Fired& f : fired_)
            if (f.id == kItem) items.push_back(f.text);
        EXPECT_EQ(items, c.items);
        EXPECT_TRUE(Errors().empty());
        EXPECT_EQ(Numbers(kTotal).back(), 100);
        if (c.method == 0) {
            // While the drive is filled block by block, a sink hears each
            // percentage once: the item's stays at the 0 it heard when the
            // preparing began, and the session's climbs.
            std::vector<LONG> progress, total;
            auto it = std::find_if(fired_.begin(), fired_.end(),
                                   [&](const Fired& f) { return f.id == kItem && f.text == c.items[1]; });
            for (; it != fired_.end() && !(it->id == kItem && it->text == c.items[2]); ++it) {
                if (it->id == kProgress) progress.push_back(it->number);
                if (it->id == kTotal) total.push_back(it->number);
            }
            // (Before the deleting both are fired once more, unchanged: the sink hears neither.)
            EXPECT_TRUE(progress.empty());
            ASSERT_GE(total.size(), 2u);
            EXPECT_EQ(total.back(), 100);
            EXPECT_TRUE(std::adjacent_find(total.begin(), total.end(), std::greater_equal<LONG>()) == total.end())
                << "the session's percentage repeats or falls";
        }
        EXPECT_FALSE(PathExists("T:\\SHREDTMP.$$$"));
        ULARGE_INTEGER after{};
        GetDiskFreeSpaceExA("T:\\", &after, nullptr, nullptr);
        EXPECT_EQ(after.QuadPart, before.QuadPart);
        EXPECT_EQ(GetLong(&IShredder::get_DrivesCount), 2) << "the drive list stays until a new session";
    }
}

// A sparse file of 512 MB holding 8 KB of data, on a drive of 48 MB: every
// pass overwrites its data and leaves its holes alone, so the drive never
// fills; the file goes. After the run the image of the drive is searched for
// both secrets (and for the kept file's marker, which shows the search works).
TEST_F(Session, ASparseFileIsShreddedWithoutFillingTheDrive) {
    if (!TestDrive('E')) GTEST_SKIP() << "no ext4 drive E: could be mounted (needs root and loop devices)";
    tidvex::test::WriteMarkerToDevice("E:\\kept.txt", "FraxilSparseKept0x5a1", 4096);
    ASSERT_TRUE(tidvex::test::WriteSparseFile("E:\\sparse.bin", 512ull << 20, "FraxilSparseHead0x91c",
                                              "FraxilSparseTail0x3e7"));
    ULARGE_INTEGER before{}, now{};
    GetDiskFreeSpaceExA("E:\\", &before, nullptr, nullptr);
    ULONGLONG least = before.QuadPart;
    onEvent_ = [&](const Fired&) {
        least = GetDiskFreeSpaceExA("E:\\", &now, nullptr, nullptr) ? std::min(least, now.QuadPart) : 0;
    };
    obj_->put_ShredMethod(1);
    EXPECT_EQ(Add(&IShredder::AddFile, "E:\\sparse.bin"), 1);
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(WaitCompleted(std::chrono::seconds(120)));
    EXPECT_TRUE(Errors().empty()) << testing::PrintToString(Errors());
    EXPECT_FALSE(PathExists("E:\\sparse.bin"));
    EXPECT_GT(least + (1 << 20), before.QuadPart) << "the passes took space on the drive";
    EXPECT_EQ(Numbers(kTotal).back(), 100);
}

// What holds a temporary file's name (left by a crash, or put there on
// purpose) never stops the wipe: the fill takes the next free name, and goes
// neither into the folder nor through the link that holds one.
TEST_F(Session, NamesTakenInTheTemporaryFolderAreSteppedOver) {
    if (!TestDrive('T')) GTEST_SKIP() << "no tmpfs drive T: could be mounted (needs root)";
    const std::string folder = "T:\\SHREDTMP.$$$", inside = folder + "\\SHRED000.TMP\\inside.txt";
    const std::string outside = dir_ + "\\outside.txt";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((folder + "\\SHRED000.TMP").c_str(), nullptr));
    WriteFileBytes(inside, "kept");
    WriteFileBytes(outside, "kept");
    if (!tidvex::test::MakeUnixSymlink(outside, folder + "\\SHRED001.TMP")) GTEST_SKIP() << "no Unix links here";
    obj_->put_SessionType(1);
    obj_->put_ShredMethod(1);
    EXPECT_EQ(Add(&IShredder::AddDrive, "T:\\"), 1);
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(WaitCompleted(std::chrono::seconds(60)));
    EXPECT_TRUE(Errors().empty()) << testing::PrintToString(Errors());
    EXPECT_EQ(Count(kItem, folder + "\\SHRED002.TMP (1 of 1)"), 1u);
    EXPECT_EQ(Numbers(kTotal).back(), 100) << "the drive was filled";
    EXPECT_EQ(ReadFileBytes(inside), "kept");
    EXPECT_EQ(ReadFileBytes(outside), "kept");
    EXPECT_FALSE(PathExists(folder + "\\SHRED002.TMP"));
    tidvex::test::RemoveUnixName(folder + "\\SHRED001.TMP");
    DeleteFileA(inside.c_str());
    RemoveDirectoryA((folder + "\\SHRED000.TMP").c_str());
    RemoveDirectoryA(folder.c_str());
}

// Wine's bin is a folder of the user's own, not the "Recycler" folder of a
// drive: the test lays out C:'s bin folder as the system would, with an item in
// the (sandbox's) bin so that the bin is not empty.
TEST_F(Session, ARecycleBinSessionOverwritesTheBinFolderAndEmptiesTheBin) {
    ASSERT_TRUE(tidvex::test::SandboxTrashFolder()) << "the bin is not the sandbox's own";
    const std::string sid = UserSid();
    ASSERT_FALSE(sid.empty());
    const std::string bin = "C:\\Recycler\\" + sid;
    CreateDirectoryA("C:\\Recycler", nullptr);
    CreateDirectoryA(bin.c_str(), nullptr);
    CreateDirectoryA((bin + "\\Dc2").c_str(), nullptr);
    WriteFileBytes(bin + "\\Dc1.doc", "deleted secret");
    WriteFileBytes(bin + "\\INFO2", "index of the bin");
    WriteFileBytes(bin + "\\desktop.ini", "old");
    WriteFileBytes(bin + "\\Dc2\\inner.txt", "deleted folder's file");
    const std::string junk = ScratchFolder("junk") + "\\binned.txt";
    WriteFileBytes(junk, "to the bin");
    ASSERT_TRUE(tidvex::test::DeleteToRecycleBin(junk));

    obj_->put_SessionType(2);
    fired_.clear();
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(WaitCompleted());
    EXPECT_TRUE(Errors().empty());
    EXPECT_EQ(ReadFileBytes(bin + "\\Dc1.doc"), "") << "overwritten and cut, left for the shell";
    EXPECT_EQ(ReadFileBytes(bin + "\\INFO2"), "index of the bin");
    EXPECT_EQ(ReadFileBytes(bin + "\\desktop.ini"),
              "[.ShellClassInfo]\r\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\r\n");
    EXPECT_FALSE(PathExists(bin + "\\Dc2\\inner.txt"));
    EXPECT_TRUE(PathExists(bin + "\\Dc2")) << "a bin's subfolder is never removed";
    EXPECT_NE(std::find(fired_.begin(), fired_.end(), Fired{kItem, "Emptying Recycle Bin on drive C"}), fired_.end());
    SHQUERYRBINFO info{};
    info.cbSize = sizeof info;
    SHQueryRecycleBinA(nullptr, &info);
    EXPECT_EQ(info.i64NumItems, 0);

    // Now the bin is empty: nothing more is done.
    fired_.clear();
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(WaitCompleted());
    EXPECT_EQ(Texts(), (std::vector<Fired>{{kMessage, "The recycle bin is currently empty."}, {kCompleted, ""}}));
}

// The bin's emptying deletes what a link in the desktop's trash leads to: the
// links go first, as links.
TEST_F(Session, ARecycleBinSessionTakesTheLinksOutOfTheBinFirst) {
    const std::string bin = "C:\\Recycler\\" + UserSid();
    CreateDirectoryA("C:\\Recycler", nullptr);
    CreateDirectoryA(bin.c_str(), nullptr);
    WriteFileBytes(bin + "\\INFO2", "index of the bin");
    tidvex::test::TrashedLinks trashed;
    if (!trashed.Plant(ScratchFolder("bin-targets"))) GTEST_SKIP() << "no links here, or the bin is not the sandbox's";
    obj_->put_SessionType(2);
    fired_.clear();
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(WaitCompleted());
    EXPECT_EQ(Count(kItem, "Emptying Recycle Bin on drive C"), 1u);
    trashed.CheckEmptied();
}

TEST_F(Session, AnAbortMidFileEndsTheSessionWithoutCompletion) {
    const std::string big = dir_ + "\\big.bin";
    WriteFileBytes(big, std::string(2 << 20, 'x'));
    obj_->put_ShredMethod(4);
    EXPECT_EQ(Add(&IShredder::AddFile, big), 1);
    LONG aborted = -1;
    onEvent_ = [&](const Fired& f) {
        if (f.id == kProgress && f.number > 0 && aborted < 0) obj_->AbortSession(&aborted);
    };
    fired_.clear();
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(PumpUntil([&] { return !Errors().empty(); }));
    EXPECT_EQ(aborted, 1);
    EXPECT_EQ(Errors().front(), (Fired{kError, "File Shredding Aborted.", 37019}));
    PumpFor(std::chrono::milliseconds(300));
    EXPECT_EQ(GetLong(&IShredder::get_SessionState), 2);
    EXPECT_EQ(Count(kCompleted), 0);
    // Nothing more is written: the later passes only announce themselves.
    const auto abortedAt = std::find_if(fired_.begin(), fired_.end(), [](const Fired& f) {
        return f.id == kProgress && f.number > 0;
    });
    EXPECT_EQ(std::count_if(abortedAt + 1, fired_.end(), [](const Fired& f) { return f.id == kProgress; }), 0);
    EXPECT_EQ(Count(kMessage, "Pass 7 of 7: Writing 0xAA"), 1);
    EXPECT_FALSE(PathExists(big)) << "an aborted file is still cut and removed";
}

TEST_F(Session, AnAbortMidDriveLeavesNoTemporaryFile) {
    if (!TestDrive('T')) GTEST_SKIP() << "no tmpfs drive T: could be mounted (needs root)";
    obj_->put_SessionType(1);
    EXPECT_EQ(Add(&IShredder::AddDrive, "T:\\"), 1);
    bool filling = false;
    onEvent_ = [&](const Fired& f) {
        if (f.id == kItem && f.text == "Shredding temporary file 1 of 1.") filling = true;
        if (filling && f.id == kTotal && f.number > 0 && GetLong(&IShredder::get_SessionState) == 1) {
            EXPECT_EQ(Call(&IShredder::AbortSession), 1);
            EXPECT_TRUE(PathExists("T:\\SHREDTMP.$$$\\SHRED000.TMP"));
        }
    };
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(PumpUntil([&] { return Count(kItem, "Deleting temporary files.") > 0; }));
    ASSERT_TRUE(PumpUntil([&] { return !PathExists("T:\\SHREDTMP.$$$"); }));
    PumpFor(std::chrono::milliseconds(300));
    EXPECT_EQ(GetLong(&IShredder::get_SessionState), 2);
    EXPECT_EQ(Count(kCompleted), 0);
    // Aborted again: there is no running session any more.
    EXPECT_EQ(Call(&IShredder::AbortSession, S_FALSE), 0);
    EXPECT_EQ(Errors().back(), (Fired{kError, "There is No Running Session to abort.", 37018}));
}

// A restart right after an abort waits for the aborted worker: its events all
// come before the new session's, which runs alone and completes.
TEST_F(Session, ARestartRightAfterAnAbortRunsOneWorkerAtATime) {
    const std::string big = dir_ + "\\big.bin";
    WriteFileBytes(big, std::string(2 << 20, 'x'));
    obj_->put_ShredMethod(4);
    EXPECT_EQ(Add(&IShredder::AddFile, big), 1);
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(PumpUntil([&] { return Count(kProgress) > 3; }));
    EXPECT_EQ(Call(&IShredder::AbortSession), 1);
    const size_t startAt = fired_.size();
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    const size_t afterStart = fired_.size();
    ASSERT_TRUE(WaitCompleted());
    for (size_t i = afterStart; i < fired_.size(); ++i) EXPECT_NE(fired_[i].text, big) << i;
    EXPECT_GE(afterStart, startAt);
    const std::vector<Fired> tail(fired_.begin() + static_cast<long>(afterStart), fired_.end());
    EXPECT_EQ(tail, (std::vector<Fired>{{kMessage, "Files List is empty."},
                                        {kMessage, "Folders List is empty."},
                                        {kCompleted, ""}}));
    EXPECT_EQ(Count(kCompleted), 1);
    EXPECT_EQ(GetLong(&IShredder::get_SessionState), 3);

    // Asked from inside one of the worker's own events, a restart cannot wait
    // for that worker: it is refused (stored, not fired) and the session goes on.
    WriteFileBytes(big, std::string(2 << 20, 'y'));
    Call(&IShredder::NewSession);
    EXPECT_EQ(Add(&IShredder::AddFile, big), 1);
    LONG restarted = -1;
    onEvent_ = [&](const Fired& f) {
        if (f.id != kProgress || f.number == 0 || restarted >= 0) return;
        obj_->AbortSession(&restarted);
        obj_->StartSession(&restarted);
    };
    fired_.clear();
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(PumpUntil([&] { return restarted >= 0; }, std::chrono::seconds(20)));
    EXPECT_EQ(restarted, 0);
    EXPECT_EQ(Count(kError, "", 37001), 0);
    EXPECT_TRUE(PumpUntil([&] { return !PathExists(big); }));
}

// The worker holds the object and the library: a caller that lets its last
// reference go during a session loses nothing. The release waits, dispatching
// messages, until the worker has ended its work and left the library.
TEST_F(Session, TheObjectReleasedDuringASessionFinishesItsWork) {
    const std::string big = dir_ + "\\big.bin";
    WriteFileBytes(big, std::string(2 << 20, 'x'));
    obj_->put_ShredMethod(4);
    EXPECT_EQ(Add(&IShredder::AddFile, big), 1);
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(PumpUntil([&] { return Count(kProgress) > 0; }));
    // The connection would keep the object too: only the worker holds it now.
    sink_.Disconnect();
    const size_t heard = fired_.size();
    obj_.Reset();
    EXPECT_FALSE(PathExists(big));
    EXPECT_EQ(Count(kMessage, "Pass 7 of 7: Writing 0xAA"), 0u)
        << "no event reaches a sink once nobody holds the object";
    EXPECT_LE(fired_.size(), heard + 1) << "at most one that was already on its way";
    HMODULE fraxil = GetModuleHandleA("Fraxil.dll");
    ASSERT_NE(fraxil, nullptr);
    auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(fraxil, "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_OK);
}

}  // namespace
