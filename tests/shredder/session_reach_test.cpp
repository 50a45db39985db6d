// What a session reaches and what it leaves: trees far deeper than MAX_PATH are
// shredded to their last file and folder without harm to the host; folders that
// are skipped keep their name and place, and so do the folders above them; the
// command line shreds only the items it names whole.
#include "session_com.h"

#include "fs/paths.h"

#include <shlobj.h>

#include <functional>

namespace {

using namespace fraxil::comtest;
using tidvex::com::Bstr;
using tidvex::test::PathExists;
using tidvex::test::ReadFileBytes;
using tidvex::test::WriteFileBytes;

std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }
bool Exists(const std::wstring& path) { return GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES; }
void WriteWide(const std::wstring& path, const std::string& bytes) {
    HANDLE h = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << tidvex::com::Narrow(path).size();
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

// A chain of folders named `name` below `top` until the path is `length` long
// (or `count` folders deep), with a file in every fifth folder and in the last.
// Returns the deepest file.
std::wstring MakeChain(const std::wstring& top, const std::wstring& name, size_t length, size_t count) {
    EXPECT_TRUE(CreateDirectoryW(Long(top).c_str(), nullptr));
    std::wstring folder = top;
    for (size_t level = 1; (count ? level <= count : folder.size() < length); ++level) {
        folder += L"\\" + name;
        EXPECT_TRUE(CreateDirectoryW(Long(folder).c_str(), nullptr)) << level;
        if (level % 5 == 0) WriteWide(folder + L"\\f.txt", std::string(70000, 'd'));
    }
    WriteWide(folder + L"\\deepest.txt", "the deepest secret");
    return folder + L"\\deepest.txt";
}

TEST_F(Session, TreesFarDeeperThanMaxPathAreShreddedToTheirEnd) {
    struct Case {
        const char* what;
        std::wstring name;
        size_t length, count;
        bool listFile;  // the deepest file listed alone, else the top folder
    };
    const Case cases[] = {
        {"126 one-letter folders (264 characters)", L"a", 0, 126, false},
        {"300 characters", L"folder-of-twenty-ch", 300, 0, false},
        {"1,000 characters of long names", L"a-folder-with-a-name-of-forty-characters", 1000, 0, false},
        {"1,000 characters of short names", L"nine-char", 1000, 0, false},
        {"a file 1,000 characters deep", L"a-folder-with-a-name-of-forty-characters", 1000, 0, true},
    };
    obj_->put_ShredSubFolder(1);
    obj_->put_RemoveSubFolder(1);
    obj_->put_ShredMethod(1);
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring top = tidvex::com::Widen(dir_) + L"\\tree" + std::to_wstring(n++);
        const std::wstring deepest = MakeChain(top, c.name, c.length, c.count);
        ASSERT_TRUE(Exists(deepest));
        Call(&IShredder::NewSession);
        EXPECT_EQ(AddWide(c.listFile ? &IShredder::AddFile : &IShredder::AddFolder, c.listFile ? deepest : top), 1);
        fired_.clear();
        ASSERT_EQ(Call(&IShredder::StartSession), 1);
        ASSERT_TRUE(WaitCompleted(std::chrono::seconds(60)));
        EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors().front().text);
        EXPECT_FALSE(Exists(deepest));
        if (!c.listFile) {
            EXPECT_FALSE(Exists(top)) << "something of the tree is left";
        }
    }
}

TEST_F(Session, SkippedFoldersKeepTheirNamesAndSoDoTheFoldersAboveThem) {
    const std::string top = dir_ + "\\top", windows = top + "\\Microsoft\\Windows";
    const std::string startMenu = windows + "\\Start Menu", desktop = dir_ + "\\Desktop";
    const std::string marked = top + "\\marked";
    for (const std::string& folder : {top, top + "\\Microsoft", windows, startMenu, startMenu + "\\Programs",
                                      windows + "\\Other", marked, top + "\\plain", desktop})
        ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << folder;
    const std::vector<std::string> kept = {startMenu + "\\Programs\\app.lnk", marked + "\\m.txt"};
    const std::vector<std::string> shredded = {windows + "\\w.txt", windows + "\\Other\\o.txt",
                                               top + "\\plain\\p.txt", top + "\\t.txt"};
    for (const std::string& file : kept) WriteFileBytes(file, file);
    for (const std::string& file : shredded) WriteFileBytes(file, file);
    ASSERT_TRUE(SetFileAttributesA(marked.c_str(), FILE_ATTRIBUTE_SYSTEM));
    if (!(GetFileAttributesA(marked.c_str()) & FILE_ATTRIBUTE_SYSTEM)) GTEST_SKIP() << "S: keeps no system mark";

    tidvex::test::ShellFoldersIn shell(startMenu, desktop);
    ASSERT_EQ(Call(&IShredder::Initialize), 1);
    obj_->put_ShredSubFolder(1);
    obj_->put_RemoveSubFolder(1);
    obj_->put_ShredHiddenAndSystemFiles(0);
    EXPECT_EQ(Add(&IShredder::AddFolder, top), 1);
    EXPECT_EQ(Add(&IShredder::AddFolder, desktop), 1);
    fired_.clear();
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(WaitCompleted());
    EXPECT_EQ(Count(kMessage, "Skipping " + startMenu + " folder."), 1u);
    EXPECT_EQ(Count(kMessage, "Skipping " + desktop + " folder."), 1u);
    EXPECT_TRUE(Errors().empty()) << (Errors().empty() ? "" : Errors().front().text);

    for (const std::string& file : kept) EXPECT_EQ(ReadFileBytes(file), file);
    for (const std::string& file : shredded) EXPECT_FALSE(PathExists(file)) << file;
    for (const std::string& folder : {desktop, top + "\\Microsoft", windows, marked})
        EXPECT_TRUE(PathExists(folder)) << folder << " is gone or was renamed";
    EXPECT_FALSE(PathExists(windows + "\\Other"));
    EXPECT_FALSE(PathExists(top + "\\plain"));
    // Nothing was renamed on its way to a removal that could not happen.
    for (const std::string& folder : {top, top + "\\Microsoft", windows}) {
        for (const auto& entry : tidvex::fs::ListFolder(folder).value_or(std::vector<tidvex::fs::FolderEntry>{}))
            EXPECT_NE(entry.name.rfind("del", 0), 0u) << folder << "\\" << entry.name;
    }
}

// What stays in a shredded tree (a refused link, a file in use, a link to
// nothing that no listing shows) keeps its folder and the folders above it
// under their names: none is renamed on its way to a removal that fails.
TEST_F(Session, FoldersThatKeepAnEntryKeepTheirNames) {
    const std::string top = dir_ + "\\top", outside = dir_ + "\\outside.txt", busy = top + "\\busy\\deeper\\busy.txt";
    for (const char* folder : {"", "\\linked", "\\busy", "\\busy\\deeper", "\\plain", "\\dangling"})
        ASSERT_TRUE(CreateDirectoryA((top + folder).c_str(), nullptr)) << folder;
    for (const std::string& file : {outside, busy, top + "\\plain\\p.txt"}) WriteFileBytes(file, "kept");
    if (!tidvex::test::MakeUnixSymlink(outside, top + "\\linked\\link.txt") ||
        !tidvex::test::MakeUnixSymlinkText("/nonexistent/target", top + "\\dangling\\nothing.txt"))
        GTEST_SKIP() << "no Unix links can be made here";
    HANDLE inUse = CreateFileA(busy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    obj_->put_ShredSubFolder(1);
    obj_->put_RemoveSubFolder(1);
    EXPECT_EQ(Add(&IShredder::AddFolder, top), 1);
    ASSERT_EQ(Call(&IShredder::StartSession), 1);
    ASSERT_TRUE(WaitCompleted());
    CloseHandle(inUse);

    // The one folder that cannot go is told by the name it has.
    ASSERT_EQ(Errors().size(), 2u) << testing::PrintToString(Errors());
    EXPECT_EQ(Count(kError, "Error: Unable to access\n" + top + "\\linked\\link.txt", 31034), 1u);
    EXPECT_EQ(Count(kError, "Unable to remove folder:\n" + top + "\\dangling\n\nError code: 41 (Directory not empty).",
                    31043), 1u);
    EXPECT_EQ(ReadFileBytes(outside), "kept");
    EXPECT_EQ(ReadFileBytes(busy), "kept");
    EXPECT_FALSE(PathExists(top + "\\plain"));
    for (const char* folder : {"\\linked\\link.txt", "\\dangling"}) EXPECT_TRUE(PathExists(top + folder)) << folder;
    for (const std::string& folder : {top, top + "\\busy"}) {
        for (const auto& entry : tidvex::fs::ListFolder(folder).value_or(std::vector<tidvex::fs::FolderEntry>{}))
            EXPECT_NE(entry.name.rfind("del", 0), 0u) << folder << "\\" << entry.name;
    }
    tidvex::test::RemoveUnixName(top + "\\linked\\link.txt");
    tidvex::test::RemoveUnixName(top + "\\dangling\\nothing.txt");
}

std::string ShellPath(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// A folder of the system or of a user, listed by a second drive letter that
// leads there, is skipped as itself: nothing in it is touched.
TEST_F(Session, AProtectedFolderIsSkippedByWhateverLetterReachesIt) {
    const std::string profile = ShellPath(CSIDL_PROFILE), windows = ShellPath(CSIDL_WINDOWS);
    const tidvex::test::SecondLetter toProfile('D', profile), toWindows('E', windows);
    if (!toProfile.Made() || !toWindows.Made()) GTEST_SKIP() << "no drive letter can be made here";
    const std::string alice = profile.substr(0, profile.find_last_of('\\')) + "\\alice";
    CreateDirectoryA(alice.c_str(), nullptr);
    struct Case {
        std::string listed, folder;  // as listed, and the folder it is
    };
    const Case cases[] = {
        {toProfile.Path("Desktop"), ShellPath(CSIDL_DESKTOPDIRECTORY)},
        {toProfile.Path("Pictures"), ShellPath(CSIDL_MYPICTURES)},
        {toProfile.Path("AppData\\Roaming"), ShellPath(CSIDL_APPDATA)},
        {toWindows.Path("Fonts"), ShellPath(CSIDL_FONTS)},
        {toWindows.Path("system32"), ShellPath(CSIDL_SYSTEM)},
        {alice, alice},
    };
    obj_->put_ShredSubFolder(1);
    obj_->put_RemoveSubFolder(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.listed);
        const std::string canary = c.folder + "\\tidvex-canary.txt";
        WriteFileBytes(canary, "keep " + canary);
        Call(&IShredder::NewSession);
        EXPECT_EQ(Add(&IShredder::AddFolder, c.listed), 1);
        fired_.clear();
        ASSERT_EQ(Call(&IShredder::StartSession), 1);
        ASSERT_TRUE(WaitCompleted());
        EXPECT_EQ(ReadFileBytes(canary), "keep " + canary);
        EXPECT_EQ(Numbers(kError).size(), 0u);
        EXPECT_EQ(std::count_if(fired_.begin(), fired_.end(),
                                [](const Fired& f) { return f.id == kMessage && f.text.rfind("Skipping ", 0) == 0; }),
                  1);
        DeleteFileA(canary.c_str());
    }
}

// A name ending in a dot or blank, which the system reads as its neighbour's
// name, is refused with a message, however it is given; neither it nor the
// neighbour is touched, and the session goes on.
TEST_F(Session, ANameTheSystemReadsAsAnotherIsNeverShredded) {
    // Each file by its exact name, which only the "\\?\" form reaches.
    const std::string literal = "\\\\?\\" + dir_ + "\\";
    ASSERT_TRUE(CreateDirectoryA((literal + "data ").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((literal + "data").c_str(), nullptr));
    const char* kept[] = {"notes.log.", "notes.log", "data \\inside.txt", "data\\inside.txt"};
    for (const char* name : kept) WriteFileBytes(literal + name, name);
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"AddFile", [&] { Add(&IShredder::AddFile, dir_ + "\\notes.log."), Call(&IShredder::StartSession); }},
        {"AddFolder", [&] { Add(&IShredder::AddFolder, dir_ + "\\data "), Call(&IShredder::StartSession); }},
        {"a work-list line", [&] {
             WriteFileBytes(app_ + "\\files.txt", dir_ + "\\data \r\n");  // a session's end removes it
             obj_->put_CommandLineString(Bstr("2?").Get()), Call(&IShredder::ProcessCommandLine);
         }},
    };
    obj_->put_ShredSubFolder(1);
    obj_->put_RemoveSubFolder(1);
    for (const auto& [what, start] : cases) {
        SCOPED_TRACE(what);
        Call(&IShredder::NewSession);
        fired_.clear();
        start();
        ASSERT_TRUE(WaitCompleted());
        EXPECT_FALSE(Errors().empty()) << "refused without a word";
        for (const char* name : kept) EXPECT_EQ(ReadFileBytes(literal + name), name);
    }
}

// Runs a command line and waits for the session it starts.
void RunCommandLine(IShredder* obj, const std::wstring& text, std::vector<Fired>& fired) {
    ASSERT_EQ(obj->put_CommandLineString(Bstr(std::wstring_view(text)).Get()), S_OK);
    fired.clear();
    LONG out = -7;
    ASSERT_EQ(obj->ProcessCommandLine(&out), S_OK);
    EXPECT_EQ(out, 1);
}

TEST_F(Session, TheCommandLineNeverShredsADrive) {
    if (!tidvex::test::TestDrive('T')) GTEST_SKIP() << "no tmpfs drive T: could be mounted (needs root)";
    ULARGE_INTEGER before{};
    GetDiskFreeSpaceExA("T:\\", &before, nullptr, nullptr);
    for (const wchar_t* text : {L"1? T:", L"1? t:\\", L"1? T:\\.", L"1? \"T:\\\"", L"1? T:\\..\\"}) {
        SCOPED_TRACE(tidvex::com::Narrow(text));
        RunCommandLine(obj_.Get(), text, fired_);
        ASSERT_TRUE(WaitCompleted());
        EXPECT_EQ(GetLong(&IShredder::get_DrivesCount) + GetLong(&IShredder::get_FoldersCount), 0);
        EXPECT_EQ(GetLong(&IShredder::get_SessionType), 0);
        EXPECT_EQ(Count(kItem, "Preparing temporary files."), 0u);
        ULARGE_INTEGER after{};
        GetDiskFreeSpaceExA("T:\\", &after, nullptr, nullptr);
        EXPECT_EQ(after.QuadPart, before.QuadPart);
    }
}

TEST_F(Session, AnItemCutByTheLengthLimitIsDropped) {
    const std::string keep = dir_ + "\\keep.txt", whole = dir_ + "\\whole.txt";
    struct Case {
        const char* what;
        std::string last;  // the item that the 23,399th byte ends
        std::string after;  // what the text went on with
        bool shredded;
    };
    const Case cases[] = {
        {"cut inside its name", keep, ".bak", false},
        {"cut inside its name, quoted", "\"" + keep, ".bak\"", false},
        {"cut right after it", whole, " " + keep, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(keep, "nobody named me");
        WriteFileBytes(whole, "named whole");
        // A first item, a full path that names nothing, fills the text up to the last one.
        const bool quoted = c.last[0] == '"';
        std::string filler(23399 - 4 - c.last.size(), 'x');
        filler.replace(quoted ? 1 : 0, 3, "C:\\");
        if (quoted) filler.front() = filler.back() = '"';
        const std::string text = "1? " + filler + " " + c.last + c.after;
        RunCommandLine(obj_.Get(), tidvex::com::Widen(text), fired_);
        ASSERT_TRUE(WaitCompleted());
        EXPECT_TRUE(PathExists(keep));
        EXPECT_EQ(PathExists(whole), !c.shredded);
        EXPECT_TRUE(Errors().empty());
    }
}

// After an abort the command line is refused while the aborted worker still
// works: the abort stands, and nothing more is shredded.
TEST_F(Session, TheCommandLineIsRefusedWhileAnAbortedWorkerStillWorks) {
    const std::string big = dir_ + "\\big.bin", next = dir_ + "\\next.txt", named = dir_ + "\\named.txt";
    for (bool insideHandler : {true, false}) {
        SCOPED_TRACE(insideHandler ? "from inside an event handler" : "between two events");
        WriteFileBytes(big, std::string(kBigFile, 'x'));
        WriteFileBytes(next, "listed after the big one");
        WriteFileBytes(named, "named on the command line");
        Call(&IShredder::NewSession);
        obj_->put_ShredMethod(4);
        EXPECT_EQ(Add(&IShredder::AddFile, big), 1);
        EXPECT_EQ(Add(&IShredder::AddFile, next), 1);
        ASSERT_EQ(obj_->put_CommandLineString(Bstr("1? " + named).Get()), S_OK);
        LONG aborted = -1, processed = -1;
        auto process = [&] { obj_->ProcessCommandLine(&processed); };
        onEvent_ = [&](const Fired& f) {
            if (f.id != kItem || aborted >= 0) return;
            obj_->AbortSession(&aborted);
            if (insideHandler) process();
        };
        fired_.clear();
        // The aborted worker is held between two passes until the command line was tried.
        fraxil::test::WorkerGate betweenPasses;
        ASSERT_EQ(Call(&IShredder::StartSession), 1);
        ASSERT_TRUE(betweenPasses.Close());
        ASSERT_TRUE(PumpUntil([&] {
            if (aborted == 1 && processed < 0) process();
            return processed >= 0;
        }));
        betweenPasses.Open();
        EXPECT_EQ(processed, 0);
        const std::string refusal =
            "There is already running session. First abort current session, or wait until completed.";
        EXPECT_EQ(Count(kError, refusal, 37001), 1u);
        ASSERT_TRUE(PumpUntil([&] { return !PathExists(big); }));
        PumpFor(std::chrono::milliseconds(300));
        EXPECT_EQ(ReadFileBytes(next), "listed after the big one");
        EXPECT_EQ(ReadFileBytes(named), "named on the command line");
        EXPECT_EQ(GetLong(&IShredder::get_SessionState), 2);
        EXPECT_EQ(Count(kCompleted), 0u);
        onEvent_ = nullptr;
    }
}

}  // namespace
