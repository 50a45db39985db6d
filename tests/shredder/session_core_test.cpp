// The shredder's core: the conversions of restore points fed through a source of
// the test's own, the command line's splitting, the counts and names of the
// free-space and Recycle Bin routines, a disk quota, the system's folders in
// every spelling, links and an unreadable subfolder inside a shredded tree.
#include "command_line.h"
#include "recorder.h"

#include "fs/paths.h"
#include "harness/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace {

using namespace fraxil;
using fraxil::test::Ev;
using fraxil::test::Event;
using fraxil::test::Recorder;
using tidvex::test::PathExists;
using tidvex::test::PlantedLinks;
using tidvex::test::ReadFileBytes;
using tidvex::test::ScratchFolder;
using tidvex::test::TestDrive;
using tidvex::test::WriteFileBytes;
using tidvex::text::Wide;

TEST(RestorePointText, CreationTimesShowTheHourThreeHoursLaterAndCarryTheDay) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"20040305140709.000000-000", "2004-03-5 5:07:09 PM"},
        {"20040305090000.000000-000", "2004-03-5 12:00:00 PM"},
        {"20040305000000.000000-000", "2004-03-5 3:00:00 AM"},
        {"20040305213000.000000-000", "2004-03-5 12:30:00 PM"},
        {"20040305230102.000000-000", "2004-03-6 2:01:02 AM"},
        {"20040331220000.000000-000", "2004-04-1 1:00:00 AM"},    // never day 32
        {"20041231235959.000000-000", "2005-01-1 2:59:59 AM"},    // into the next year
        {"20040229230000.000000-000", "2004-03-1 2:00:00 AM"},    // a leap year's February
        {"20030228230000.000000-000", "2003-03-1 2:00:00 AM"},
        {"20040305", std::nullopt},
        {"", std::nullopt},
        {"2004X305140709.000000-000", std::nullopt},
        {"20041305140709.000000-000", std::nullopt},
    };
    for (const auto& [wmi, shown] : cases) EXPECT_EQ(FormatCreationTime(wmi), shown) << wmi;
}

TEST(RestorePointText, TypesMapToTheirNames) {
    const std::pair<long, const char*> cases[] = {
        {0, "ApplicationInstallation"}, {1, "ApplicationUninstall"}, {6, "Restore"}, {7, "Checkpoint"},
        {10, "DeviceDriveInstallation"}, {11, "FirstRun"}, {12, "ModifySettings"}, {13, "CancelledOperation"},
        {14, "BackupRecovery"}, {15, "UnknownRestoreType"}, {8, "Checkpoint"}, {2, "Checkpoint"}, {16, "Checkpoint"},
        {-1, "Checkpoint"}};
    for (const auto& [type, name] : cases) EXPECT_EQ(RestorePointTypeName(RestorePointTypeIndex(type)), name) << type;
}

// Records as a source would read them, and where the reading fails.
class FedSource final : public RestorePointSource {
public:
    FedSource(std::vector<RawRestorePoint> records, long failure) : records_(std::move(records)), failure_(failure) {}
    long Read(std::vector<RawRestorePoint>& out) override {
        out.insert(out.end(), records_.begin(), records_.end());
        return failure_;
    }

private:
    std::vector<RawRestorePoint> records_;
    long failure_;
};

TEST(RestorePoints, TheListShowsWhatTheSourceRead) {
    Recorder rec;
    ShredderCore core(rec);
    ASSERT_EQ(core.Initialize(), 1);
    const std::vector<RawRestorePoint> two = {{"Installed Tidvex", "20070102030405.000000-000", 41, 0},
                                              {"Weekly", "20070102225900.000000-000", 42, 7}};
    core.SetRestorePointSource(std::make_unique<FedSource>(two, 0));
    bool refused = true;
    EXPECT_EQ(core.GetRestorePoints(refused), 1);
    EXPECT_FALSE(refused);
    RestorePointList& list = core.RestorePoints();
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.CurrentSequenceNumber(), -1);
    EXPECT_EQ(list.GetFirst(), 1);
    EXPECT_EQ(list.CurrentName(), "Installed Tidvex");
    const std::vector<std::tuple<std::string, std::string, long, std::string>> walked = {
        {"Installed Tidvex", "2007-01-2 6:04:05 AM", 41, "ApplicationInstallation"},
        {"Weekly", "2007-01-3 1:59:00 AM", 42, "Checkpoint"}};
    for (const auto& expected : walked) {
        EXPECT_EQ(list.Next(), 1);
        EXPECT_EQ(std::make_tuple(list.CurrentName(), list.CurrentCreationTime(), list.CurrentSequenceNumber(),
                                  list.CurrentTypeName()),
                  expected);
    }
    EXPECT_EQ(list.Next(), 0);
    EXPECT_EQ(rec.Of(Ev::Error).back().number, 37009);

    // A reading that fails keeps what came before it and says why; a record
    // without a date is no answer to the query.
    const std::pair<std::vector<RawRestorePoint>, long> failures[] = {
        {{two[0]}, 36013}, {{two[0], {"no date", "", 1, 0}}, 0}};
    const long numbers[] = {36013, 36015};
    const char* texts[] = {"Could not connect.", "Query for processes failed."};
    for (size_t i = 0; i < 2; ++i) {
        core.SetRestorePointSource(std::make_unique<FedSource>(failures[i].first, failures[i].second));
        rec.events.clear();
        EXPECT_EQ(core.GetRestorePoints(refused), 0);
        EXPECT_FALSE(refused);
        EXPECT_EQ(list.Count(), 1);
        ASSERT_EQ(rec.events.size(), 1u);
        EXPECT_EQ(rec.events[0].number, numbers[i]);
        EXPECT_EQ(rec.events[0].text, texts[i]);
    }
}

// This system's WMI answers the query with one row that carries nothing: the
// real source reports a failure number, and never hangs.
TEST(RestorePoints, TheRealSourceEndsWithAFailureNumberHere) {
    long result = -1;
    std::vector<RawRestorePoint> records;
    std::thread reader([&] { result = MakeWmiRestorePointSource()->Read(records); });
    reader.join();
    EXPECT_GE(result, 36010);
    EXPECT_LE(result, 36015);
}

TEST(CommandText, ItemsAreSplitByQuotesOrBySpaces) {
    using Items = std::vector<std::wstring>;
    const std::pair<std::wstring, Items> cases[] = {
        {L"1? \"C:\\a b.txt\" \"C:\\c.txt\"", {L"C:\\a b.txt", L"C:\\c.txt"}},
        {L"1?\"C:\\a\" outside \"\" \"C:\\b\" \"unpaired", {L"C:\\a", L"C:\\b"}},
        {L"1?C:\\a.txt  C:\\b.txt   /O2 0 C:\\c.txt", {L"C:\\a.txt", L"C:\\b.txt", L"/O2"}},
        {L"1? C:\\a.txt 0", {L"C:\\a.txt"}},
        {L"1?", {}},
        {L"1? 0C:\\a.txt C:\\b.txt", {}},
    };
    for (const auto& [text, items] : cases) EXPECT_EQ(SplitCommandText(text), items) << tidvex::text::Narrow(text);

    EXPECT_EQ(SourceOf(L"1? x"), CommandSource::Text);
    EXPECT_EQ(SourceOf(L"2?"), CommandSource::WorkList);
    EXPECT_EQ(SourceOf(L" 1? x"), CommandSource::None);
    EXPECT_EQ(SourceOf(L"3?"), CommandSource::None);
}

TEST(CommandText, AnItemTheTextWasCutInsideOfIsDropped) {
    const std::pair<const wchar_t*, std::vector<std::wstring>> cases[] = {
        {L"1? C:\\a.txt C:\\keep.txt", {L"C:\\a.txt"}},
        {L"1?C:\\keep.txt", {}},
        {L"1? C:\\a.txt   ", {L"C:\\a.txt"}},
        {L"1? \"C:\\a.txt\" \"C:\\keep.txt", {L"C:\\a.txt"}},
        {L"1? \"C:\\a.txt\"", {L"C:\\a.txt"}},
    };
    for (const auto& [text, items] : cases)
        EXPECT_EQ(SplitCommandText(text, true), items) << tidvex::text::Narrow(text);

    // The settings tell whether the 23,399-byte cut fell inside an item.
    ShredderSettings settings;
    const std::string full(23399, 'x');
    const std::pair<std::string, bool> cuts[] = {
        {full, false}, {full + "y", true}, {full + " y", false}, {full.substr(0, 23398) + " y", false}};
    for (const auto& [text, cut] : cuts) {
        settings.SetCommandLineString(Wide(text));
        EXPECT_EQ(settings.CommandLineCutInsideItem(), cut) << text.size();
    }
}

TEST(CommandText, TheWorkListHasOneItemPerLineHoweverLong) {
    const std::string longLine(600, 'x');
    EXPECT_EQ(SplitWorkList("C:\\a.txt\r\n" + longLine + "\n\r\n\nC:\\b c.txt"),
              (std::vector<std::wstring>{L"C:\\a.txt", Wide(longLine), L"C:\\b c.txt"}));
    EXPECT_TRUE(SplitWorkList("").empty());
}

TEST(CommandText, OptionsAreSortedFromTheItems) {
    const CommandItems sorted = SortCommandItems({L"/O3", L"C:\\a", L"/F0", L"/R7", L"/D1", L"/X9", L"/O", L"C:\\b"});
    EXPECT_EQ(sorted.items, (std::vector<std::wstring>{L"C:\\a", L"C:\\b"}));
    EXPECT_EQ(sorted.method, 0L) << "the last /O counts: no number is 0";
    EXPECT_EQ(sorted.subFolders, false);
    EXPECT_EQ(sorted.removeSubFolders, true);
    const CommandItems none = SortCommandItems({L"C:\\a"});
    EXPECT_FALSE(none.method || none.subFolders || none.removeSubFolders);
}

TEST(Layout, TemporaryFilesAndBinFolders) {
    const uint64_t gib = uint64_t{1} << 30;
    EXPECT_EQ(TempFileCount(1), 1u);
    EXPECT_EQ(TempFileCount(gib - 1), 1u);
    EXPECT_EQ(TempFileCount(gib), 2u);
    EXPECT_EQ(TempFileCount(gib * 5 / 2), 3u);  // 2.5 GiB: SHRED000 to SHRED002
    EXPECT_EQ(RecycleBinFolder("C:\\", true, "S-1-5-21-1-2-3-1000"), L"C:\\Recycler\\S-1-5-21-1-2-3-1000\\");
    EXPECT_EQ(RecycleBinFolder("E:\\", false, "S-1-5-21-1-2-3-1000"), L"E:\\RECYCLED\\");
    EXPECT_EQ(RecycleBinFolder("E:\\", false, ""), L"E:\\RECYCLED\\");
    EXPECT_EQ(RecycleBinFolder("C:\\", true, ""), std::nullopt) << "never every user's bin";
    EXPECT_EQ(std::string(kRecycleBinDesktopIni).size(), 65u);
}

// What a worker keeps alive, let go at the worker's end, that calls into the
// thread that started the session (as a COM proxy released in the worker's
// apartment calls its object's apartment) once that thread is ending the shredder.
class CallsBackHold final : public WorkerHold {
public:
    CallsBackHold(HWND window, HANDLE ending) : window_(window), ending_(ending) {}
    ~CallsBackHold() override {
        WaitForSingleObject(ending_, 10000);
        SendMessageA(window_, WM_NULL, 0, 0);
    }

private:
    HWND window_;
    HANDLE ending_;
};

TEST(SessionEnd, TheShredderEndsWhileItsWorkersLastCallWaitsForItsThread) {
    tidvex::handles::KernelObject ending(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    tidvex::handles::KernelObject ended(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread owner([&] {
        HWND window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        Recorder rec;
        auto core = std::make_unique<ShredderCore>(rec);
        if (core->Initialize() == 1) {
            core->Session().SetHoldFactory([&] { return std::make_unique<CallsBackHold>(window, ending.Get()); });
            if (core->Session().StartSession() == 1) core->Session().WaitForWork(10000);
            SetEvent(ending.Get());
            core.reset();
        }
        DestroyWindow(window);
        SetEvent(ended.Get());
    });
    const bool done = WaitForSingleObject(ended.Get(), 20000) == WAIT_OBJECT_0;
    EXPECT_TRUE(done) << "ending the shredder waits for a worker that waits for it";
    if (done) {
        owner.join();
    } else {
        owner.detach();  // both stay blocked until the process ends
        ending.Release();
        ended.Release();
    }
}

class CoreSession : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = ScratchFolder(std::string("core_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_EQ(core_.Initialize(), 1);
        core_.Settings().SetApplicationPath(dir_);
        core_.Settings().SetShredderApplicationName("Tidvex");
        rec_.events.clear();
    }
    // Starts the session set up and waits until its worker has gone.
    void Run() {
        ASSERT_TRUE(fraxil::test::RunSession(core_));
    }
    std::vector<std::string> Errors() const {
        std::vector<std::string> texts;
        for (const Event& e : rec_.Of(Ev::Error)) texts.push_back(std::to_string(e.number) + " " + e.text);
        return texts;
    }

    std::string dir_;
    Recorder rec_;
    ShredderCore core_{rec_};
};

TEST_F(CoreSession, TheSystemsFoldersAreSkippedInEverySpelling) {
    const std::string windows = tidvex::text::Narrow(core_.SystemFolderList()[0]);
    ASSERT_FALSE(windows.empty());
    std::string lower = windows;
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    std::string slashes = windows;
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    const std::string spellings[] = {windows, lower, windows + "\\", windows + "\\.", windows + "\\system32\\..",
                                     windows.substr(0, 2) + "\\.\\" + windows.substr(3), "\\\\?\\" + windows,
                                     "\\??\\" + windows, "\\\\.\\" + lower, "//?/" + slashes, windows + ". .",
                                     "\\\\?\\" + windows + "\\system32\\.."};
    for (const std::string& s : spellings) EXPECT_EQ(core_.FolderWork().SystemFolderOf(Wide(s)), windows) << s;
    EXPECT_EQ(core_.FolderWork().SystemFolderOf(Wide(windows + "\\temp")), "");
    EXPECT_EQ(core_.FolderWork().SystemFolderOf(Wide(windows + "x")), "");

    core_.Settings().SetFlag(Flag::ShredSubFolder, 1);
    for (const std::string& s : spellings) EXPECT_EQ(core_.Folders().Add(Wide(s)), 1) << s;
    Run();
    EXPECT_EQ(rec_.Of(Ev::Message).size(), 2 + std::size(spellings));
    const auto messages = rec_.Of(Ev::Message);
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                            [&](const Event& e) { return e.text == "Skipping " + windows + " folder."; }),
              static_cast<long>(std::size(spellings)));
    EXPECT_TRUE(rec_.Of(Ev::Item).empty()) << "nothing of the Windows folder is touched";
    EXPECT_TRUE(PathExists(windows + "\\system32"));
}

TEST_F(CoreSession, LinksInAShreddedTreeAreNeitherWalkedNorWrittenNorRemoved) {
    const std::string tree = dir_ + "\\tree", outside = dir_ + "\\outside";
    CreateDirectoryA(tree.c_str(), nullptr);
    CreateDirectoryA(outside.c_str(), nullptr);
    WriteFileBytes(tree + "\\own.txt", "own");
    PlantedLinks links;
    if (!links.Plant(tree, outside)) GTEST_SKIP() << "no Unix links can be made here";
    core_.Settings().SetFlag(Flag::ShredSubFolder, 1);
    core_.Settings().SetFlag(Flag::RemoveSubFolder, 1);
    EXPECT_EQ(core_.Folders().Add(Wide(tree)), 1);
    Run();
    links.Check();
    EXPECT_FALSE(PathExists(tree + "\\own.txt"));
    // The links stay, and so does their folder; the second name of a file outside
    // went. (Wine lists no link to nothing; Check tells that it made nothing.)
    std::vector<std::string> left;
    for (const auto& e : tidvex::fs::ListFolder(tree).value_or(std::vector<tidvex::fs::FolderEntry>{})) left.push_back(e.name);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"file-link.txt", "folder-link", "relative-link.txt"}));
    // The listed folder itself may not be a link either.
    rec_.events.clear();
    EXPECT_EQ(core_.Folders().Add(Wide(links.Entries()[3])), 1);
    Run();
    links.Check();
    EXPECT_EQ(Errors(), std::vector<std::string>{"31034 Error: Unable to access\n" + links.Entries()[3]});
}

// A listed folder whose path passes a link on the way, and one that is a
// device or another machine's administrative share, is refused before
// anything in it is touched.
TEST_F(CoreSession, AListedFolderBehindALinkOrOnADeviceIsRefused) {
    const std::string outside = dir_ + "\\far", place = dir_ + "\\near";
    for (const std::string& folder : {place, outside, outside + "\\Desktop"}) CreateDirectoryA(folder.c_str(), nullptr);
    WriteFileBytes(outside + "\\Desktop\\report.txt", "keep");
    if (!tidvex::test::MakeUnixSymlink(outside, place + "\\plink")) GTEST_SKIP() << "no Unix links can be made here";
    core_.Settings().SetFlag(Flag::ShredSubFolder, 1);
    const std::string refused[] = {place + "\\plink\\Desktop", "\\\\?\\" + place + "\\plink\\Desktop",
                                   "\\\\.\\PhysicalDrive0", "\\\\localhost\\C$" + dir_.substr(2)};
    for (const std::string& folder : refused) EXPECT_EQ(core_.Folders().Add(Wide(folder)), 1) << folder;
    Run();
    EXPECT_EQ(ReadFileBytes(outside + "\\Desktop\\report.txt"), "keep");
    EXPECT_EQ(Errors().size(), std::size(refused)) << testing::PrintToString(Errors());
    for (const std::string& e : Errors()) EXPECT_EQ(e.rfind("31034 Error: Unable to access\n", 0), 0u) << e;
    EXPECT_TRUE(rec_.Of(Ev::Item).empty()) << "nothing was shredded";
    tidvex::test::RemoveUnixName(place + "\\plink");
}

// A subfolder that can no longer be read (here it is moved away while the walk
// is under way) is reported and kept; the rest of its parent is shredded.
TEST_F(CoreSession, AnUnreadableSubfolderDoesNotEndItsParentsWalk) {
    const std::string top = dir_ + "\\top";
    CreateDirectoryA(top.c_str(), nullptr);
    for (int i = 0; i < 12; ++i) WriteFileBytes(top + "\\f" + std::to_string(i) + ".txt", "file");
    for (const char* sub : {"\\one", "\\two"}) {
        CreateDirectoryA((top + sub).c_str(), nullptr);
        WriteFileBytes(top + sub + "\\inner.txt", "inner");
    }
    std::string moved;
    rec_.onEvent = [&](const Event& e) {
        if (e.kind != Ev::Item || !moved.empty()) return;
        for (const char* sub : {"\\one", "\\two"}) {
            if (e.text.rfind(top + sub, 0) == 0) {
                moved = std::string(sub) == "\\one" ? "\\two" : "\\one";
                MoveFileA((top + moved).c_str(), (dir_ + "\\away").c_str());
            }
        }
    };
    core_.Settings().SetFlag(Flag::ShredSubFolder, 1);
    EXPECT_EQ(core_.Folders().Add(Wide(top)), 1);
    Run();
    ASSERT_FALSE(moved.empty());
    EXPECT_EQ(Errors(), std::vector<std::string>{"31011 Invalid find handle. " + top + moved +
                                                 " bad path or file/folder not exist."});
    for (int i = 0; i < 12; ++i) EXPECT_FALSE(PathExists(top + "\\f" + std::to_string(i) + ".txt")) << i;
    EXPECT_EQ(ReadFileBytes(dir_ + "\\away\\inner.txt"), "inner");
}

// A window of the worker's own thread, counting the messages it is given.
std::atomic<int> gWorkerMessages{0};
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_APP) ++gWorkerMessages;
    return DefWindowProcA(window, message, w, l);
}

// The worker dispatches the messages that wait for its thread while it fills a
// drive, however seldom it looks for them.
TEST_F(CoreSession, TheFillDispatchesTheWorkersWaitingMessages) {
    if (!TestDrive('T')) GTEST_SKIP() << "no tmpfs drive T: could be mounted (needs root)";
    WNDCLASSA cls{};
    cls.lpfnWndProc = CountingProc;
    cls.lpszClassName = "FraxilWorkerMessages";
    ASSERT_TRUE(RegisterClassA(&cls));
    gWorkerMessages = 0;
    int beforeDeleting = -1;
    rec_.onEvent = [&](const Event& e) {
        if (e.kind != Ev::Item) return;
        if (e.text == "Shredding temporary file 1 of 1.") {
            // On the worker's thread, before its first block.
            HWND window = CreateWindowA(cls.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
            for (int i = 0; i < 3; ++i) PostMessageA(window, WM_APP, 0, 0);
        }
        if (e.text == "Deleting temporary files.") beforeDeleting = gWorkerMessages;
    };
    core_.Settings().SetSessionType(1);
    core_.Drives().Add(L"T:\\");
    Run();
    rec_.onEvent = nullptr;
    EXPECT_EQ(beforeDeleting, 3);
    EXPECT_TRUE(Errors().empty());
    UnregisterClassA(cls.lpszClassName, nullptr);
}

TEST_F(CoreSession, ADiskQuotaIsToldAndWipesNothingUnlessWarningsAreOff) {
    if (!TestDrive('T')) GTEST_SKIP() << "no tmpfs drive T: could be mounted (needs root)";
    const std::string quota =
        "There is a disk space quota in effect for your account. Tidvex will only be able to shred the amount of free "
        "space available to your account, not necessarily the entire disk. Do you wish to proceed anyway?";
    struct Case {
        DiskSpace space;
        long disableWarning;
        std::string lastMessage, error;
        bool wiped;
    };
    const Case cases[] = {
        {{65536, 1 << 20, 1 << 20}, 0, quota, "", false},
        {{65536, 1 << 20, 1 << 20}, 1, "", "", true},
        {{0, 1 << 20, 4096}, 0, "", "31045 There is no free space available on drive T:\nfor the current user account.",
         false},
        {{0, 1 << 20, 0}, 0, "", "31046 Three is no free space available on drive T:", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error + std::to_string(c.disableWarning));
        tidvex::ScopedSeam<std::function<std::optional<DiskSpace>(const std::string&)>> space(
            gDiskSpace, [&](const std::string& root) { return root == "T:\\" ? std::optional(c.space) : std::nullopt; });
        core_.Session().NewSession();
        core_.Settings().SetSessionType(1);
        core_.Settings().SetFlag(Flag::DisableWarning, c.disableWarning);
        core_.Settings().SetFlag(Flag::EnableLogFile, 0);
        core_.Drives().Add(L"T:\\");
        rec_.events.clear();
        Run();
        EXPECT_EQ(core_.LastMessage(), c.lastMessage);
        // With warnings on, the question is also told; with them off it goes to the log only.
        const bool told = !c.lastMessage.empty();
        EXPECT_EQ(!rec_.Of(Ev::Message).empty() && rec_.Of(Ev::Message)[0].text == quota, told);
        EXPECT_EQ(Errors(), c.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.error});
        EXPECT_EQ(!rec_.Of(Ev::Item).empty(), c.wiped);
        EXPECT_FALSE(PathExists("T:\\SHREDTMP.$$$"));
        EXPECT_EQ(core_.SessionState(), kSessionCompleted);
        core_.SetLastMessage("");
    }
    EXPECT_NE(ReadFileBytes(dir_ + "\\log.txt").value_or("").find(quota), std::string::npos);
}

}  // namespace
