// A free-space wipe leaves nothing on the drive however its caller ends: a
// process that aborts and ends at once, one that lets the object go inside an
// event and ends there, one whose thread stops dispatching messages or ends,
// and one that is killed (the next wipe of the drive then
// removes what it left, and nothing that is not the wipe's own).
#include "session_com.h"

#include "fs/paths.h"

namespace {

using namespace fraxil::comtest;
using tidvex::test::PathExists;
using tidvex::test::ReadFileBytes;
using tidvex::test::TestDrive;
using tidvex::test::WriteFileBytes;

constexpr char kTemp[] = "T:\\SHREDTMP.$$$";

uint64_t FreeBytes() {
    ULARGE_INTEGER free{};
    GetDiskFreeSpaceExA("T:\\", &free, nullptr, nullptr);
    return free.QuadPart;
}

// Starts the child program with its arguments; no process when it cannot.
tidvex::handles::KernelObject StartChild(const std::wstring& args) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self);
    folder.erase(folder.find_last_of(L'\\') + 1);
    return tidvex::test::StartProgram(L"\"" + folder + L"fraxil_child.exe\" " + args);
}

TEST_F(Session, AWipeLeavesNothingHoweverItsCallerEnds) {
    if (!TestDrive('T')) GTEST_SKIP() << "no tmpfs drive T: could be mounted (needs root)";
    const uint64_t before = FreeBytes();
    struct Case {
        const wchar_t* mode;
        const char* what;
    };
    const Case cases[] = {
        {L"release", "aborts, lets the object go and ends at once"},
        {L"release-inside", "lets the object go inside an event and ends there"},
        {L"stop-pumping", "aborts and never dispatches a message again"},
        {L"thread-ends", "the thread that connected its sink ends"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto child = StartChild(std::wstring(c.mode) + L" T:\\");
        ASSERT_TRUE(child);
        EXPECT_EQ(tidvex::test::AwaitProgram(child.Get(), 60000), DWORD{0});
        EXPECT_FALSE(PathExists(kTemp));
        EXPECT_EQ(FreeBytes(), before) << "the fill's space is not back";
    }
}

TEST_F(Session, TheNextWipeRemovesWhatAKilledProcessLeft) {
    if (!TestDrive('T')) GTEST_SKIP() << "no tmpfs drive T: could be mounted (needs root)";
    const uint64_t before = FreeBytes();
    // Killed while the filled drive is overwritten: the drive is full.
    auto child = StartChild(L"killed T:\\");
    ASSERT_TRUE(child);
    ASSERT_EQ(tidvex::test::AwaitProgram(child.Get(), 90000), DWORD{99});
    const std::string left = std::string(kTemp) + "\\SHRED000.TMP";
    ASSERT_TRUE(PathExists(left));
    EXPECT_LT(FreeBytes(), before / 10);
    // The system closes a killed process's files a moment after it has ended;
    // a fill file still open is another wipe's, which the next one leaves alone.
    EXPECT_TRUE(PumpUntil([&] {
        HANDLE h = CreateFileA(left.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        CloseHandle(h);
        return true;
    }));

    obj_->put_SessionType(1);
    EXPECT_EQ(Add(&IShredder::AddDrive, "T:\\"), 1);
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(WaitCompleted(std::chrono::seconds(60)));
    // The system gives back the space of a file that the killed process had
    // open only once that process is gone for good, which under load comes a
    // while after it is reported ended: whether this wipe still found the
    // drive full depends on it, and the space comes back a little later.
    EXPECT_FALSE(PathExists(kTemp));
    EXPECT_TRUE(PumpUntil([&] { return FreeBytes() == before; })) << FreeBytes() << " of " << before << " free";
}

// What is in the temporary folder and is not a fill file of the wipe's own is
// neither removed nor followed.
TEST_F(Session, OnlyTheWipesOwnFilesAreRemovedFromALeftFolder) {
    if (!TestDrive('T')) GTEST_SKIP() << "no tmpfs drive T: could be mounted (needs root)";
    const std::string temp = kTemp, outside = "T:\\outside";
    ASSERT_TRUE(CreateDirectoryA(temp.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(outside.c_str(), nullptr));
    WriteFileBytes(temp + "\\SHRED000.TMP", std::string(100000, '\0'));
    WriteFileBytes(temp + "\\shred017.tmp", std::string(1000, '\0'));
    WriteFileBytes(temp + "\\notes.txt", "mine");
    WriteFileBytes(temp + "\\SHRED1.TMP", "not a fill file's name");
    ASSERT_TRUE(CreateDirectoryA((temp + "\\SHRED002.TMP").c_str(), nullptr));
    WriteFileBytes(outside + "\\linked.txt", "reached through a link");
    WriteFileBytes(outside + "\\named.txt", "has a second name");
    const bool links = tidvex::test::MakeUnixSymlink(outside + "\\linked.txt", temp + "\\SHRED900.TMP") &&
                       tidvex::test::MakeUnixHardLink(outside + "\\named.txt", temp + "\\SHRED901.TMP");

    obj_->put_SessionType(1);
    EXPECT_EQ(Add(&IShredder::AddDrive, "T:\\"), 1);
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(WaitCompleted(std::chrono::seconds(60)));
    EXPECT_FALSE(PathExists(temp + "\\SHRED000.TMP"));
    EXPECT_FALSE(PathExists(temp + "\\shred017.tmp"));
    EXPECT_EQ(ReadFileBytes(temp + "\\notes.txt"), "mine");
    EXPECT_EQ(ReadFileBytes(temp + "\\SHRED1.TMP"), "not a fill file's name");
    EXPECT_TRUE(PathExists(temp + "\\SHRED002.TMP"));
    if (links) {
        EXPECT_EQ(ReadFileBytes(outside + "\\linked.txt"), "reached through a link");
        EXPECT_EQ(ReadFileBytes(outside + "\\named.txt"), "has a second name");
        EXPECT_TRUE(PathExists(temp + "\\SHRED901.TMP")) << "a file with another name is no fill file";
    }
    for (const char* name : {"\\SHRED900.TMP", "\\SHRED901.TMP"}) tidvex::test::RemoveUnixName(temp + name);
    for (const char* name : {"\\notes.txt", "\\SHRED1.TMP"}) DeleteFileA((temp + name).c_str());
    RemoveDirectoryA((temp + "\\SHRED002.TMP").c_str());
    RemoveDirectoryA(temp.c_str());
    DeleteFileA((outside + "\\linked.txt").c_str());
    DeleteFileA((outside + "\\named.txt").c_str());
    RemoveDirectoryA(outside.c_str());
}

}  // namespace
