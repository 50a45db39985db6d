// Overwriting one file: the events of each method in order with what each pass
// leaves in the file, the small sizes, marked files, files in use, a failing
// write, an abort, and the temporary files of free-space wiping.
#include "recorder.h"

#include "harness/support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <set>
#include <thread>

namespace {

using namespace fraxil;
using fraxil::test::Ev;
using fraxil::test::Event;
using fraxil::test::Recorder;
using fraxil::test::Req;
using tidvex::test::PathExists;
using tidvex::test::PlantedLinks;
using tidvex::test::ReadFileBytes;
using tidvex::test::ScratchFolder;
using tidvex::test::TestDrive;
using tidvex::test::WriteFileBytes;

std::string Bytes(size_t n, char seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(seed + i * 7 + i / 251);
    return s;
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::string n = fd.cFileName;
        if (n != "." && n != "..") names.push_back(n);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return names;
}

class ShredFile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = ScratchFolder(std::string("fraxil_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        app_ = dir_ + "\\app";
        CreateDirectoryA(app_.c_str(), nullptr);
        ASSERT_EQ(core_.Initialize(), 1);
        core_.Settings().SetApplicationPath(app_);
        rec_.events.clear();
    }
    std::string Log() { return ReadFileBytes(app_ + "\\log.txt").value_or(""); }

    std::string dir_, app_;
    Recorder rec_;
    ShredderCore core_{rec_};
};

TEST(ChunkArithmetic, CountsAndPercentagesHoldForHugeFiles) {
    EXPECT_EQ(ChunkRounds(1), 1u);
    EXPECT_EQ(ChunkRounds(65535), 2u);
    EXPECT_EQ(ChunkRounds(65536), 2u);
    EXPECT_EQ(ChunkRounds(150000), 3u);
    // 2 GiB and 5 GiB: the count neither turns negative nor wraps.
    EXPECT_EQ(ChunkRounds(uint64_t{1} << 31), 32769u);
    EXPECT_EQ(ChunkRounds(uint64_t{5} << 30), 81921u);
    EXPECT_EQ(ItemPercent(0, 1), 100);  // a 1-byte file: 200 shown as 100
    EXPECT_EQ(ItemPercent(65536, 150000), 43);
    EXPECT_EQ(ItemPercent(uint64_t{3} << 30, uint64_t{6} << 30), 50);
    EXPECT_EQ(ItemPercent(0, 0), 100);
    EXPECT_EQ(SessionPercent(uint64_t{3} << 32, uint64_t{4} << 32, 0), 75);
    EXPECT_EQ(SessionPercent(5, 0, 42), 42);  // nothing planned: no division, the value stays
    EXPECT_EQ(SessionPercent(10, 5, 0), 100);
}

struct MethodCase {
    short method;
    std::vector<std::string> passTexts;
};

// For every method: the events in their order, and the file's bytes as each pass
// leaves them (read by the sink while the file is still open).
TEST_F(ShredFile, EveryMethodWritesItsPassesWithTheirEventsInOrder) {
    const size_t size = 150000;  // two whole chunks and a part
    const MethodCase cases[] = {
        {0, {"Pass 1 of 1: Writing 0x00"}},
        {1,
         {"Pass 1 of 3: Write random data.", "Pass 2 of 3: Write complementary to previous pass pattern.",
          "Pass 3 of 3: Write random data."}},
        {2, {"Pass 1 of 3: Writing 0x01", "Pass 2 of 3: Writing 0x27FFFFFF", "Pass 3 of 3: Write random data."}},
        {3, {"Pass 1 of 3: Writing 0x01", "Pass 2 of 3: Writing 0x7FFFFFFF", "Pass 3 of 3: Write random data."}},
        {4,
         {"Pass 1 of 7: Writing 0x00", "Pass 2 of 7: Writing 0xFF", "Pass 3 of 7: Writing 0x00",
          "Pass 4 of 7: Writing 0xFF", "Pass 5 of 7: Writing 0x00", "Pass 6 of 7: Writing 0xFF",
          "Pass 7 of 7: Writing 0xAA"}},
    };
    for (const MethodCase& mc : cases) {
        SCOPED_TRACE("method " + std::to_string(mc.method));
        const std::string path = dir_ + "\\secret" + std::to_string(mc.method) + ".doc";
        WriteFileBytes(path, Bytes(size, 'A'));
        ASSERT_TRUE(core_.Settings().SetShredMethod(mc.method));
        const size_t passes = mc.passTexts.size();
        core_.Wiper().ResetProgress(uint64_t{size} * passes);
        rec_.events.clear();

        std::vector<std::string> afterPass;  // the file's bytes when a pass reached 100 %
        rec_.onEvent = [&](const Event& e) {
            if (e.kind == Ev::Progress && e.number == 100) afterPass.push_back(ReadFileBytes(path).value_or(""));
        };
        EXPECT_EQ(core_.Wiper().ShredFile(Req(path)), kShredContinue);
        rec_.onEvent = nullptr;

        // CurrentItemShredded, CurrentProgress 0, CurrentTotalProgress, then per pass
        // its text and one CurrentProgress / CurrentTotalProgress pair per chunk.
        std::vector<Event> expected = {{Ev::Item, path}, {Ev::Progress, "", 0}, {Ev::Total, "", 0}};
        const long itemPercents[] = {43, 87, 100};
        for (size_t p = 0; p < passes; ++p) {
            expected.push_back({Ev::Message, mc.passTexts[p]});
            for (int c = 0; c < 3; ++c) {
                uint64_t done = p * size + (c < 2 ? (c + 1) * 65536 : size);
                expected.push_back({Ev::Progress, "", itemPercents[c]});
                expected.push_back({Ev::Total, "", static_cast<long>(done * 100 / (size * passes))});
            }
        }
        ASSERT_EQ(rec_.events.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(rec_.events[i].kind, expected[i].kind) << i;
            EXPECT_EQ(rec_.events[i].text, expected[i].text) << i;
            EXPECT_EQ(rec_.events[i].number, expected[i].number) << i;
        }
        EXPECT_EQ(core_.Wiper().CurrentProgress(), 100);
        EXPECT_EQ(core_.Wiper().CurrentTotalProgress(), 100);
        EXPECT_EQ(core_.Messages().MessageText(), mc.passTexts.back());

        // What each pass left in the file.
        ASSERT_EQ(afterPass.size(), passes);
        std::vector<PassInfo> passInfo = BuildAlgorithmTable()[mc.method].passes;
        for (size_t p = 0; p < passes; ++p) {
            const std::string& data = afterPass[p];
            ASSERT_EQ(data.size(), size) << "pass " << p + 1;
            const PassInfo& pi = passInfo[p];
            if (pi.type == WriteType::Pattern) {
                for (size_t i = 0; i < size; ++i)
                    ASSERT_EQ(static_cast<uint8_t>(data[i]), pi.pattern[i % pi.pattern.size()]) << "pass " << p + 1 << " at " << i;
            } else {
                // One 64 KB block repeated over the file.
                for (size_t i = 65536; i < size; ++i) ASSERT_EQ(data[i], data[i - 65536]) << "pass " << p + 1 << " at " << i;
                if (pi.type == WriteType::Complement) {
                    for (size_t i = 0; i < size; ++i)
                        ASSERT_EQ(static_cast<uint8_t>(data[i]), static_cast<uint8_t>(~afterPass[p - 1][i])) << i;
                } else {
                    EXPECT_NE(data.substr(0, 65536), std::string(65536, data[0])) << "not random";
                    if (p >= 2) {
                        EXPECT_NE(data, afterPass[p - 2]) << "a later random pass wrote the same block";
                    }
                }
            }
        }
        EXPECT_FALSE(PathExists(path));
    }
    // Renamed before deletion; nothing is left behind in the folder.
    EXPECT_EQ(FilesIn(dir_), std::vector<std::string>{"app"});
    EXPECT_EQ(Log(), "");
}

TEST_F(ShredFile, SmallFiles) {
    // 0 bytes: deleted at once, without a pass.
    std::string empty = dir_ + "\\empty.txt";
    WriteFileBytes(empty, "");
    EXPECT_EQ(core_.Wiper().ShredFile(Req(empty)), kShredContinue);
    EXPECT_FALSE(PathExists(empty));
    ASSERT_EQ(rec_.events.size(), 1u);
    EXPECT_EQ(rec_.events[0].kind, Ev::Item);

    // 1 byte: one chunk, the progress formula's 200 shown as 100.
    std::string one = dir_ + "\\one.txt";
    WriteFileBytes(one, "x");
    rec_.events.clear();
    EXPECT_EQ(core_.Wiper().ShredFile(Req(one)), kShredContinue);
    EXPECT_FALSE(PathExists(one));
    auto progress = rec_.Of(Ev::Progress);
    ASSERT_EQ(progress.size(), 2u);
    EXPECT_EQ(progress[1].number, 100);

    // Exactly 64 KB: two rounds per pass, the second writing nothing; each
    // percentage reaches the sink once, however many rounds leave it unchanged.
    core_.Settings().SetShredMethod(1);
    std::string block = dir_ + "\\block.bin";
    WriteFileBytes(block, Bytes(65536, 'q'));
    core_.Wiper().ResetProgress(65536 * 3);
    core_.Events().ForgetProgress();  // as a session's start does
    rec_.events.clear();
    std::vector<uint64_t> written;
    rec_.onEvent = [&](const Event& e) {
        if (e.kind == Ev::Total) written.push_back(core_.Wiper().BytesWritten());
        // No lock is held while an event is delivered: the handler may read the object.
        EXPECT_EQ(core_.Wiper().CurrentItemShredded(), block);
    };
    EXPECT_EQ(core_.Wiper().ShredFile(Req(block)), kShredContinue);
    rec_.onEvent = nullptr;
    progress = rec_.Of(Ev::Progress);
    ASSERT_EQ(progress.size(), 2u);
    EXPECT_EQ(progress[1].number, 100);
    EXPECT_EQ(written, (std::vector<uint64_t>{0, 65536, 131072, 196608}));
    EXPECT_EQ(core_.Wiper().CurrentTotalProgress(), 100);
    EXPECT_FALSE(PathExists(block));
}

// A file shorter than the buffer: its random pass is random over its whole
// length, and the complement pass inverts exactly what that pass wrote.
TEST_F(ShredFile, AShortFilesComplementPassInvertsItsRandomPass) {
    for (size_t size : {1000u, 65535u}) {
        SCOPED_TRACE(size);
        const std::string path = dir_ + "\\short" + std::to_string(size) + ".bin";
        WriteFileBytes(path, Bytes(size, 's'));
        ASSERT_TRUE(core_.Settings().SetShredMethod(1));
        std::vector<std::string> before;  // the file as each pass text finds it
        rec_.onEvent = [&](const Event& e) {
            if (e.kind == Ev::Message) before.push_back(ReadFileBytes(path).value_or(""));
        };
        EXPECT_EQ(core_.Wiper().ShredFile(Req(path)), kShredContinue);
        rec_.onEvent = nullptr;
        ASSERT_EQ(before.size(), 3u);
        const std::string& random = before[1];
        const std::string& complement = before[2];
        ASSERT_EQ(random.size(), size);
        ASSERT_EQ(complement.size(), size);
        EXPECT_GT(std::set<char>(random.begin(), random.end()).size(), 200u) << "not random";
        for (size_t i = 0; i < size; ++i) ASSERT_EQ(static_cast<uint8_t>(complement[i]), static_cast<uint8_t>(~random[i])) << i;
        EXPECT_FALSE(PathExists(path));
    }
}

TEST_F(ShredFile, WithoutAPlanTheSessionPercentStays) {
    std::string path = dir_ + "\\unplanned.txt";
    WriteFileBytes(path, Bytes(1000, 'u'));
    core_.Wiper().ResetProgress(0);
    EXPECT_EQ(core_.Wiper().ShredFile(Req(path)), kShredContinue);
    for (const Event& e : rec_.Of(Ev::Total)) EXPECT_EQ(e.number, 0);
    EXPECT_FALSE(PathExists(path));
}

TEST_F(ShredFile, MarkedFilesAreReportedAndShreddedOnlyWhenAllowed) {
    const std::string hidden = dir_ + "\\hidden.dat", readOnly = dir_ + "\\readonly.dat";
    WriteFileBytes(hidden, "hidden content");
    WriteFileBytes(readOnly, "read-only content");
    ASSERT_TRUE(SetFileAttributesA(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(SetFileAttributesA(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    // The scratch drive keeps the attributes (this test relies on it).
    ASSERT_TRUE(GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(GetFileAttributesA(readOnly.c_str()) & FILE_ATTRIBUTE_READONLY);

    core_.Settings().SetFlag(Flag::ShredHiddenAndSystemFiles, 0);
    EXPECT_EQ(core_.Wiper().ShredFile(Req(hidden)), kShredContinue);
    EXPECT_EQ(core_.Wiper().ShredFile(Req(readOnly)), kShredContinue);
    EXPECT_EQ(ReadFileBytes(hidden), "hidden content");
    EXPECT_EQ(ReadFileBytes(readOnly), "read-only content");
    EXPECT_TRUE(GetFileAttributesA(hidden.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(GetFileAttributesA(readOnly.c_str()) & FILE_ATTRIBUTE_READONLY);
    // A warning goes to the log only: no event but the item.
    EXPECT_TRUE(rec_.Of(Ev::Message).empty());
    EXPECT_TRUE(rec_.Of(Ev::Error).empty());
    const std::string warnHidden = "Warning\r\n" + hidden + "\r\nis marked with the System, Hidden,\r\nand/or Read-only attributes.\r\n";
    const std::string warnReadOnly =
        "Warning\r\n" + readOnly + "\r\nis marked with the System, Hidden,\r\nand/or Read-only attributes.\r\n";
    EXPECT_EQ(Log(), warnHidden + warnReadOnly);

    core_.Settings().SetFlag(Flag::ShredHiddenAndSystemFiles, 1);
    EXPECT_EQ(core_.Wiper().ShredFile(Req(hidden)), kShredContinue);
    EXPECT_EQ(core_.Wiper().ShredFile(Req(readOnly)), kShredContinue);
    EXPECT_FALSE(PathExists(hidden));
    EXPECT_FALSE(PathExists(readOnly));
    EXPECT_EQ(Log(), warnHidden + warnReadOnly + warnHidden + warnReadOnly);

    // Inside a shredded folder (quiet level 1) the marks are not reported.
    std::string inner = dir_ + "\\inner.dat";
    WriteFileBytes(inner, "x");
    SetFileAttributesA(inner.c_str(), FILE_ATTRIBUTE_HIDDEN);
    core_.Settings().SetFlag(Flag::ShredHiddenAndSystemFiles, 0);
    EXPECT_EQ(core_.Wiper().ShredFile(Req(inner, 1)), kShredContinue);
    EXPECT_FALSE(PathExists(inner));
    EXPECT_EQ(Log(), warnHidden + warnReadOnly + warnHidden + warnReadOnly);
}

TEST_F(ShredFile, AFileInUseIsLeftAndCounted) {
    const std::string path = dir_ + "\\locked.txt";
    WriteFileBytes(path, "still needed");
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(core_.Wiper().ShredFile(Req(path)), kShredContinue);
    EXPECT_EQ(core_.Wiper().ShredFile(Req(path)), kShredContinue);
    CloseHandle(lock);

    EXPECT_EQ(core_.Wiper().FilesInUseCount(), 2);
    EXPECT_EQ(ReadFileBytes(path), "still needed");
    EXPECT_TRUE(rec_.Of(Ev::Message).empty());
    EXPECT_TRUE(rec_.Of(Ev::Progress).empty());
    const std::string warning = "Could not obtain exclusive access to\r\n" + path +
                                "\r\n\r\nFiles that are in use by other programs\r\nor Windows itself cannot be shredded.\r\n";
    EXPECT_EQ(Log(), warning + warning);
}

// A file in use inside a shredded folder (no warning about its marks): left as
// it was, the marks it carried included.
TEST_F(ShredFile, AFileInUseKeepsItsMarks) {
    const std::string path = dir_ + "\\marked-busy.txt";
    WriteFileBytes(path, "busy");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(core_.Wiper().ShredFile(Req(path, 1)), kShredContinue);
    CloseHandle(lock);
    EXPECT_EQ(ReadFileBytes(path), "busy");
    EXPECT_EQ(GetFileAttributesA(path.c_str()) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY),
              static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(core_.Wiper().FilesInUseCount(), 1);
}

// Each kind of link given as the file to shred, at every quiet level: a link is
// an item that cannot be accessed (error 31034) and what it leads to stays
// whole; a file with other names is not overwritten, only its listed name goes
// (Recycle Bin content is left for the shell), and the log says so.
TEST_F(ShredFile, LinksAreRefusedAndOtherNamesKeepTheirContent) {
    for (int quiet : {0, 1, 2}) {
        SCOPED_TRACE("quiet level " + std::to_string(quiet));
        const std::string place = dir_ + "\\q" + std::to_string(quiet), outside = place + "-outside";
        CreateDirectoryA(place.c_str(), nullptr);
        CreateDirectoryA(outside.c_str(), nullptr);
        PlantedLinks links;
        if (!links.Plant(place, outside)) GTEST_SKIP() << "no Unix links can be made here";
        const auto& entries = links.Entries();
        rec_.events.clear();
        const std::string logBefore = Log();

        for (const std::string& entry : entries) EXPECT_EQ(core_.Wiper().ShredFile(Req(entry, quiet)), kShredContinue);
        auto errors = rec_.Of(Ev::Error);
        ASSERT_EQ(errors.size(), entries.size() - 1);
        for (size_t i = 0; i < errors.size(); ++i) {
            EXPECT_EQ(errors[i].number, 31034);
            EXPECT_EQ(errors[i].text, "Error: Unable to access\n" + entries[i]);
        }
        EXPECT_TRUE(rec_.Of(Ev::Message).empty()) << "no pass was written";
        EXPECT_TRUE(PathExists(entries[0]));
        EXPECT_TRUE(PathExists(entries[3]));
        EXPECT_EQ(PathExists(links.HardLink()), quiet == 2);
        EXPECT_EQ(Log(), logBefore + "Warning\r\n" + links.HardLink() +
                             "\r\nshares its content with other names of the file.\r\n"
                             "Its content was not overwritten: only this name is removed.\r\n");
        links.Check();
    }
}

// The log is appended to through the guarded path: a log name that is a link or
// a second name of another file loses the line, and what it leads to stays.
TEST_F(ShredFile, ALogThatIsALinkIsNeverWrittenThrough) {
    const std::string outside = dir_ + "\\log-outside";
    CreateDirectoryA(outside.c_str(), nullptr);
    PlantedLinks links;
    if (!links.Plant(app_, outside, "log-")) GTEST_SKIP() << "no Unix links can be made here";
    for (const std::string& entry : links.Entries()) {
        core_.Settings().SetLogFileName(entry.substr(entry.find_last_of('\\') + 1));
        core_.Messages().ReportWarning("a warning that must not reach the target");
    }
    links.Check();
}

// The caller's thread reads and sets the properties while the worker overwrites a
// file: every value reads back as set, and the shred completes as usual.
TEST_F(ShredFile, PropertiesAreReadAndSetWhileAFileIsShreddedOnAnotherThread) {
    const std::string path = dir_ + "\\big.bin";
    WriteFileBytes(path, Bytes(4 << 20, 'b'));
    ASSERT_TRUE(core_.Settings().SetShredMethod(4));
    core_.Wiper().ResetProgress(uint64_t{7} * (4 << 20));
    std::atomic<bool> done{false};
    std::atomic<long> lastTotal{0};
    bool totalFell = false;
    rec_.onEvent = [&](const Event& e) {
        if (e.kind != Ev::Total) return;
        if (e.number < lastTotal) totalFell = true;
        lastTotal = e.number;
    };
    int result = -1;
    std::thread worker([&] {
        result = core_.Wiper().ShredFile(Req(path));
        done = true;
    });
    int rounds = 0;
    for (; !done; ++rounds) {
        ShredderSettings& settings = core_.Settings();
        const std::string text = "round " + std::to_string(rounds);
        settings.SetShredderApplicationName(text);
        settings.SetCommandLineString(tidvex::text::Wide(text));
        settings.SetParentWindowHandle(rounds);
        settings.SetSessionType(rounds % 3);
        settings.SetFlag(Flag::EnableHook, rounds % 2);
        settings.SetLogFileName("log.txt");
        EXPECT_EQ(settings.ShredderApplicationName(), text);
        EXPECT_EQ(settings.CommandLineString(), tidvex::text::Wide(text));
        EXPECT_EQ(settings.ParentWindowHandle(), rounds);
        EXPECT_EQ(settings.SessionType(), rounds % 3);
        EXPECT_EQ(settings.FlagValue(Flag::EnableHook), rounds % 2);
        EXPECT_EQ(settings.ShredMethod(), 4);
        const long progress = core_.Wiper().CurrentProgress();
        EXPECT_TRUE(progress >= 0 && progress <= 100) << progress;
        const std::string item = core_.Wiper().CurrentItemShredded();
        EXPECT_TRUE(item.empty() || item == path) << item;
        EXPECT_EQ(core_.Messages().LogFilePath(), app_ + "\\log.txt");
        Sleep(0);
    }
    worker.join();
    rec_.onEvent = nullptr;
    EXPECT_EQ(result, kShredContinue);
    EXPECT_GT(rounds, 1) << "the worker ended before the caller's thread could act";
    EXPECT_FALSE(PathExists(path));
    EXPECT_EQ(rec_.Of(Ev::Message).size(), 7u);
    EXPECT_FALSE(totalFell);
    EXPECT_EQ(core_.Wiper().CurrentTotalProgress(), 100);
}

TEST_F(ShredFile, AMissingFileIsAnErrorAndTheListGoesOn) {
    const std::string path = dir_ + "\\gone.txt";
    EXPECT_EQ(core_.Wiper().ShredFile(Req(path)), kShredContinue);
    auto errors = rec_.Of(Ev::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, 31034);
    EXPECT_EQ(errors[0].text, "Error: Unable to access\n" + path);
}

TEST_F(ShredFile, AnAbortSkipsTheRemainingWritesButStillRemovesTheFile) {
    const std::string path = dir_ + "\\abort.bin";
    WriteFileBytes(path, Bytes(200000, 'z'));
    core_.Settings().SetShredMethod(4);
    rec_.onEvent = [&](const Event& e) {
        if (e.kind == Ev::Progress && e.number > 0) core_.Wiper().SetAbort(true);
    };
    EXPECT_EQ(core_.Wiper().ShredFile(Req(path)), kShredStop);
    rec_.onEvent = nullptr;
    // One chunk was written; every later pass still announces itself.
    EXPECT_EQ(rec_.Of(Ev::Progress).size(), 2u);
    EXPECT_EQ(rec_.Of(Ev::Message).size(), 7u);
    EXPECT_FALSE(PathExists(path));

    // While the flag is set nothing is started.
    WriteFileBytes(path, "x");
    rec_.events.clear();
    EXPECT_EQ(core_.Wiper().ShredFile(Req(path)), kShredStop);
    EXPECT_TRUE(rec_.events.empty());
    EXPECT_TRUE(PathExists(path));
}

TEST_F(ShredFile, RecycleBinContentIsEmptiedButKept) {
    const std::string path = dir_ + "\\Dc1.txt";
    WriteFileBytes(path, "recycled");
    EXPECT_EQ(core_.Wiper().ShredFile(Req(path, 2)), kShredContinue);
    EXPECT_EQ(ReadFileBytes(path), "");
}

TEST_F(ShredFile, BeforeInitializeNothingIsWritten) {
    Recorder rec;
    ShredderCore fresh(rec);
    const std::string path = dir_ + "\\early.txt";
    WriteFileBytes(path, "early");
    EXPECT_EQ(fresh.Wiper().ShredFile(Req(path)), kShredStop);
    EXPECT_EQ(ReadFileBytes(path), "early");
    ASSERT_EQ(rec.Of(Ev::Error).size(), 1u);
    EXPECT_EQ(rec.Of(Ev::Error)[0].number, 37016);
    // An index outside the table is refused and never used.
    EXPECT_FALSE(core_.Settings().SetShredMethod(5));
    EXPECT_FALSE(core_.Settings().SetShredMethod(-1));
    EXPECT_EQ(core_.Settings().ShredMethod(), 0);
}

TEST_F(ShredFile, TemporaryFilesOfFreeSpaceWipingAreOverwrittenInPlace) {
    const std::string path = dir_ + "\\SHRED000.TMP";
    TempFileRecord record;
    record.path = tidvex::text::Wide(path);
    record.handle.Reset(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_NE(record.handle.Get(), INVALID_HANDLE_VALUE);
    std::string zeros(100000, '\0');
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(record.handle.Get(), zeros.data(), static_cast<DWORD>(zeros.size()), &done, nullptr));
    record.bytesWritten = done;

    core_.Settings().SetShredMethod(2);
    ShredRequest request;
    request.temp = &record;
    request.tempIndex = 1;
    request.tempCount = 3;
    EXPECT_EQ(core_.Wiper().ShredFile(request), kShredContinue);

    auto items = rec_.Of(Ev::Item);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].text, path + " (1 of 3)");
    EXPECT_EQ(items[1].text, "");
    EXPECT_EQ(rec_.Of(Ev::Message).size(), 3u);
    // Left open and in place, at its size.
    LARGE_INTEGER size;
    ASSERT_TRUE(GetFileSizeEx(record.handle.Get(), &size));
    EXPECT_EQ(size.QuadPart, 100000);
    record.handle.Reset();
    auto data = ReadFileBytes(path);
    ASSERT_TRUE(data);
    EXPECT_NE(*data, zeros);
}

// A write that fails (here the handle may only read: a sparse file on a full
// drive no longer makes one fail) is reported, and the file keeps its content.
TEST_F(ShredFile, AFailedWriteIsReportedAndTheFileKept) {
    const std::string path = dir_ + "\\SHRED000.TMP";
    WriteFileBytes(path, std::string(100000, 'k'));
    TempFileRecord record;
    record.path = tidvex::text::Wide(path);
    record.handle.Reset(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(record.handle.Get(), INVALID_HANDLE_VALUE);
    record.bytesWritten = 100000;
    ShredRequest request;
    request.temp = &record;
    request.tempIndex = request.tempCount = 1;

    EXPECT_EQ(core_.Wiper().ShredFile(request), kShredContinue);
    auto errors = rec_.Of(Ev::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, 31047);
    EXPECT_EQ(errors[0].text.rfind("Write failed due to unexpected error.\r\nSystem error message: ", 0), 0u) << errors[0].text;
    const std::string code = "\r\nSystem error code: 0x 00000005";  // ERROR_ACCESS_DENIED
    ASSERT_GT(errors[0].text.size(), code.size());
    EXPECT_EQ(errors[0].text.substr(errors[0].text.size() - code.size()), code) << errors[0].text;
    record.handle.Reset();
    EXPECT_EQ(ReadFileBytes(path), std::string(100000, 'k'));
    EXPECT_LT(core_.Wiper().CurrentProgress(), 100);
}

}  // namespace
