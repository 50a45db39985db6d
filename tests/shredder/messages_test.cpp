// Numbered messages: the built-in English texts, a language file that replaces
// one, placeholder filling, and where each kind of report goes (events, log).
#include "recorder.h"

#include "harness/support.h"

#include <sddl.h>

#include <gtest/gtest.h>

#include <thread>
#include <utility>

namespace {

using namespace fraxil;
using fraxil::test::Ev;
using fraxil::test::Recorder;
using tidvex::test::PathExists;
using tidvex::test::ReadFileBytes;
using tidvex::test::ScratchFolder;
using tidvex::test::WriteFileBytes;

const std::pair<long, const char*> kExpected[] = {
    {31006, "Memory allocation error."},
    {31008, "Could not access KERNEL32.DLL"},
    {31009, "Unable to access required functions in kernel32.dll"},
    {31011, "Invalid find handle. %s bad path or file/folder not exist."},
    {31012, "Unable to create temporary folder."},
    {31013, "Error creating temporary files."},
    {31014, "Could not access Recycle Bin APIs."},
    {31015, "The recycle bin is currently empty."},
    {31033, "There is a disk space quota in effect for your account. %s will only be able to shred the amount of free space available to your account, not necessarily the entire disk. Do you wish to proceed anyway?"},
    {31034, "Error: Unable to access\n%s"},
    {31035, "Could not obtain current user's SID\nError code%u."},
    {31036, "Warning\n%s\nis marked with the System, Hidden,\nand/or Read-only attributes."},
    {31037, "Could not obtain exclusive access to\n%s\n\nFiles that are in use by other programs\nor Windows itself cannot be shredded."},
    {31038, "The contents of \n%s\nhave been shredded, but Shredder was unable to delete the file.\nThis could be caused by either a hardware failure or\nan error within the disk's directory structure."},
    {31039, "Skipping %s folder."},
    {31040, "Warning:\n%s\nis marked as a System folder."},
    {31041, "Warning\n%s\nshares its content with other names of the file.\nIts content was not overwritten: only this name is removed."},
    {31043, "Unable to remove folder:\n%s\n\n"},
    {31044, "Error code: %u (%s)."},
    {31045, "There is no free space available on drive %c\nfor the current user account."},
    {31046, "Three is no free space available on drive %c"},
    {31047, "Write failed due to unexpected error.\r\nSystem error message: %s\r\nSystem error code: 0x"},
    {31048, "Call to SHQueryRecycleBin failed.\nError code 0x"},
    {31050, "User abort or fatal error while processing drive %c:\nFiles in recycle bin on previous drives have been shredded.\nSome or all of the files in recycle bin on drive %c: have had\ntheir contents shredded and may or may not be useable if restored.\nFiles in Recycle Bin on following drives are not affected."},
    {31051, "WARNING: Shredded files and folders cannot be recovered.%u items will be shredded."},
    {31059, "Couldn't access Pilvane.dll.\nUnfortunately, The program won't appeared in the context menu."},
    {31079, "\n\nNone of the Recycle Bin's contents have been modified."},
    {31087, "You select a drive not a folder.\nIf you want to shred a drive go to Shred Drive page."},
    {31908, "Preparing temporary files."},
    {31911, "Deleting temporary files."},
    {31913, "Emptying Recycle Bin on drive"},
    {31914, "%s temporary file %u of %t."},
    {31915, "Shredding"},
    {31916, "Preparing"},
    {31919, "%s (%u of %t)"},
    {31921, "Pass %d of %e"},
    {31922, ": Writing"},
    {31923, ": Write random data."},
    {31924, ": Write complementary to previous pass pattern."},
    {34000, "%s Shred Recycle Bin"},
    {34001, "Context Menu Disabled."},
    {34006, "InitAPIHook error!"},
    {34009, "Hooking Disabled.!"},
    {36009, "Restore Points Disabled."},
    {36010, "Failed to initialize COM library. "},
    {36011, "Failed to initialize security."},
    {36012, "Failed to create IWbemLocator object."},
    {36013, "Could not connect."},
    {36014, "Could not set proxy blanket."},
    {36015, "Query for processes failed."},
    {37001, "There is already running session. First abort current session, or wait until completed."},
    {37002, "File Already in List."},
    {37003, "Folder Already in List."},
    {37004, "Drive Already in List."},
    {37005, "File Not in List."},
    {37006, "Folder Not in List."},
    {37007, "Drive Not in List."},
    {37008, "Restore Points List is empty."},
    {37009, "Restore Points List is empty, or you have reached the end of the list"},
    {37010, "Files List is empty."},
    {37011, "You have reached the end of the list."},
    {37012, "Folders List is empty."},
    {37013, "Folders List is empty, or you have reached the end of the list"},
    {37014, "Drives List is empty."},
    {37015, "Drives List is empty, or you have reached the end of the list"},
    {37016, "Shredding Algorithms List is empty."},
    {37017, "Shredding Algorithms List is empty, or you have reached the end of the list"},
    {37018, "There is No Running Session to abort."},
    {37019, "File Shredding Aborted."},
    {37020, "Start Files Shredding."},
    {37021, "Start Folders Shredding."},
    {37022, "Nothing was shredded: the command line is neither one item nor a list of full paths:\n%s"},
    {37023, "Ignored, not a full path:\n%s"},
    {39006, "Memory allocation error."},
    {39007, "COM Library init failed."},
};

class Messages : public ::testing::Test {
protected:
    void SetUp() override {
        app_ = ScratchFolder(std::string("fraxil_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_EQ(core_.Initialize(), 1);
        core_.Settings().SetApplicationPath(app_);
        rec_.events.clear();
    }
    std::string Log() { return ReadFileBytes(core_.Messages().LogFilePath()).value_or("<no log>"); }

    std::string app_;
    Recorder rec_;
    ShredderCore core_{rec_};
};

TEST_F(Messages, InitializeReadsTheSystemFoldersDrivesAndUserSid) {
    SystemFolders folders = core_.SystemFolderList();
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    EXPECT_EQ(folders[0], windows);
    EXPECT_EQ(folders[7], folders[1] + L"\\VMM32");
    EXPECT_EQ(core_.DriveTable().roots[2], "C:\\");
    // The SID text is built by hand; the system's own conversion must agree.
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_READ, &token));
    alignas(TOKEN_USER) BYTE buffer[1000];
    DWORD size = 0;
    ASSERT_TRUE(GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size));
    CloseHandle(token);
    char* text = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text));
    if (core_.DriveTable().anyNtfs && core_.RecycleBinApisAvailable()) {
        EXPECT_EQ(core_.UserSid(), text);
    }
    LocalFree(text);
}

// Initialize needs COM on its thread. A thread that has none gets a
// single-threaded apartment; one already in an apartment keeps it, the
// multithreaded one included (the global interface table serves it as well), and
// that is no failure.
TEST(InitializeApartment, KeepsTheCallersApartmentAndSucceedsInEach) {
    struct Case {
        const char* name;
        bool com;  // whether the thread is in an apartment before
        DWORD init;
        APTTYPE after;
    };
    const Case cases[] = {{"no apartment", false, 0, APTTYPE_STA},
                          {"single-threaded", true, COINIT_APARTMENTTHREADED, APTTYPE_STA},
                          {"multithreaded", true, COINIT_MULTITHREADED, APTTYPE_MTA}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        long result = -1;
        HRESULT apartment = E_FAIL;
        APTTYPE type{};
        Recorder rec;
        std::thread([&] {
            if (c.com) CoInitializeEx(nullptr, c.init);
            {
                ShredderCore core(rec);
                result = core.Initialize();
            }
            APTTYPEQUALIFIER qualifier{};
            apartment = CoGetApartmentType(&type, &qualifier);
            CoUninitialize();
        }).join();
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(rec.Of(Ev::Error).empty());
        ASSERT_EQ(rec.Of(Ev::Message).size(), 1u);
        EXPECT_EQ(rec.Of(Ev::Message)[0].text, "Init Success.");
        EXPECT_EQ(apartment, S_OK);
        EXPECT_EQ(type, c.after);
    }
}

TEST_F(Messages, EveryNumberHasItsBuiltInEnglishText) {
    for (auto [number, text] : kExpected) EXPECT_EQ(core_.Messages().LookupMessage(number), text) << number;
    EXPECT_EQ(MessageTable().size(), std::size(kExpected));
    // The seek failure carries the system's text; it has none of its own.
    EXPECT_EQ(core_.Messages().LookupMessage(37000), "");
}

TEST_F(Messages, ALanguageFileReplacesOneTextAndHashIsALineBreak) {
    CreateDirectoryA((app_ + "\\Lang").c_str(), nullptr);
    WriteFileBytes(app_ + "\\Lang\\English.ini", "[Tidvex Language Pack]\r\n37018=Keine laufende#Sitzung\r\n");
    // Another section of the file is another language pack.
    EXPECT_EQ(core_.Messages().LookupMessage(37018), "There is No Running Session to abort.");
    core_.Settings().SetProfileName("Tidvex Language Pack");
    EXPECT_EQ(core_.Messages().LookupMessage(37018), "Keine laufende\nSitzung");
    EXPECT_EQ(core_.Messages().LookupMessage(37019), "File Shredding Aborted.");

    // The language name is taken as given, extension and all.
    core_.Settings().SetLanguage("English.ini");
    EXPECT_EQ(core_.Messages().LookupMessage(37018), "There is No Running Session to abort.");
    WriteFileBytes(app_ + "\\Lang\\English.ini.ini", "[Tidvex Language Pack]\r\n37018=Doppelt\r\n");
    EXPECT_EQ(core_.Messages().LookupMessage(37018), "Doppelt");

    // A replaced text passes through the events as it is.
    core_.Messages().ReportError(37018, core_.Messages().LookupMessage(37018));
    ASSERT_EQ(rec_.events.size(), 1u);
    EXPECT_EQ(rec_.events[0].text, "Doppelt");
}

// A session reads a text from the language file once for all its files and
// passes; the next session reads the file again.
TEST_F(Messages, EachSessionReadsTheLanguageFileAfresh) {
    CreateDirectoryA((app_ + "\\Lang").c_str(), nullptr);
    const std::string folder = app_ + "\\files";
    core_.Settings().SetProfileName("P");
    core_.Settings().SetShredMethod(1);
    for (const std::string text : {"Durchgang %d von %e", "Passe %d de %e"}) {
        WriteFileBytes(app_ + "\\Lang\\English.ini", "[P]\r\n31921=" + text + "\r\n");
        CreateDirectoryA(folder.c_str(), nullptr);  // a session removes it
        for (int i = 0; i < 2; ++i) WriteFileBytes(folder + "\\" + std::to_string(i), "secret");
        core_.Session().NewSession();
        ASSERT_EQ(core_.Folders().Add(tidvex::text::Wide(folder)), 1);
        rec_.events.clear();
        ASSERT_TRUE(fraxil::test::RunSession(core_));
        std::vector<std::string> passes;
        for (const auto& e : rec_.Of(Ev::Message))
            if (e.text.find(": Write") != std::string::npos) passes.push_back(e.text.substr(0, e.text.find(':')));
        const std::string first = FillPlaceholders(text, {{'d', "1"}, {'e', "3"}});
        const std::string second = FillPlaceholders(text, {{'d', "2"}, {'e', "3"}});
        const std::string third = FillPlaceholders(text, {{'d', "3"}, {'e', "3"}});
        EXPECT_EQ(passes, (std::vector<std::string>{first, second, third, first, second, third}));
    }
}

TEST(Placeholders, AreFilledInOneScanAndNeverAsAFormat) {
    // A value that itself holds a marker is not filled again.
    EXPECT_EQ(FillPlaceholders("%s and %s, %u%% %x", {{'s', "A%uB"}, {'u', "7"}}), "A%uB and A%uB, 7%% %x");
    EXPECT_EQ(FillPlaceholders("Pass %d of %e", {{'d', "2"}, {'e', "3"}}), "Pass 2 of 3");
    EXPECT_EQ(FillPlaceholders("ends in %", {{'s', "x"}}), "ends in %");
    // The printf-style messages fill %s and %c the same way, and "%%" is one "%".
    EXPECT_EQ(FillFormatted("drive %c: and %c:, 100%%, %d", {{'c', "D"}}), "drive D: and D:, 100%, %d");
    EXPECT_EQ(AppendErrorCode("Error code 0x", 0x70), "Error code 0x 00000070");
    EXPECT_EQ(AppendErrorCode("x", 0x8007000E), "x 8007000E");
    EXPECT_EQ(FormatPatternHex(0x00), "00");
    EXPECT_EQ(FormatPatternHex(0x0A), "0A");
    EXPECT_EQ(FormatPatternHex(0xFF), "FF");
}

TEST_F(Messages, ALanguageTextWithFormatCharactersIsHarmless) {
    CreateDirectoryA((app_ + "\\Lang").c_str(), nullptr);
    WriteFileBytes(app_ + "\\Lang\\English.ini", "[P]\r\n31034=%n%n%s %x %p\r\n");
    core_.Settings().SetProfileName("P");
    EXPECT_EQ(FillPlaceholders(core_.Messages().LookupMessage(31034), {{'s', "C:\\a%s"}}), "%n%nC:\\a%s %x %p");
}

TEST_F(Messages, ByDefaultErrorsAndMessagesAreFiredAndOnlyWarningsLogged) {
    core_.Messages().ReportError(37018, "There is No Running Session to abort.");
    core_.Messages().ReportMessage("Start Files Shredding.");
    EXPECT_FALSE(PathExists(app_ + "\\log.txt"));
    core_.Messages().ReportWarning("Warning\nC:\\x\nis marked");

    ASSERT_EQ(rec_.events.size(), 2u);
    EXPECT_EQ(rec_.events[0].kind, Ev::Error);
    EXPECT_EQ(rec_.events[0].number, 37018);
    EXPECT_EQ(rec_.events[1].kind, Ev::Message);
    EXPECT_EQ(rec_.events[1].text, "Start Files Shredding.");
    // Text mode: every line break of the text is a line of the file.
    EXPECT_EQ(Log(), "Warning\r\nC:\\x\r\nis marked\r\n");
    EXPECT_EQ(core_.Messages().ErrorText(), "There is No Running Session to abort.");
    EXPECT_EQ(core_.Messages().ErrorNumber(), 37018);
    EXPECT_EQ(core_.Messages().MessageText(), "Warning\nC:\\x\nis marked");
}

TEST_F(Messages, WithTheLogOnReportsAreFiredAndLogged) {
    core_.Settings().SetFlag(Flag::EnableLogFile, 1);
    core_.Settings().SetLogFileName("ShredLog.txt");
    core_.Messages().ReportError(37018, core_.Messages().LookupMessage(37018));
    core_.Messages().ReportMessage("Files List is empty.");
    EXPECT_EQ(rec_.events.size(), 2u);
    EXPECT_EQ(ReadFileBytes(app_ + "\\ShredLog.txt"),
              "Error 37018:There is No Running Session to abort.\r\nFiles List is empty.\r\n");
    // A text that carries its own "\r\n" (the write failure) gets no extra carriage return.
    core_.Messages().ReportError(31047, "Write failed.\r\nSystem error code: 0x 00000070");
    EXPECT_EQ(ReadFileBytes(app_ + "\\ShredLog.txt"),
              "Error 37018:There is No Running Session to abort.\r\nFiles List is empty.\r\n"
              "Error 31047:Write failed.\r\nSystem error code: 0x 00000070\r\n");
}

TEST_F(Messages, DisableWarningLogsEverythingAndFiresNothing) {
    core_.Settings().SetFlag(Flag::DisableWarning, 1);
    core_.Messages().ReportError(37005, "File Not in List.");
    core_.Messages().ReportMessage("Start Folders Shredding.");
    core_.Messages().ReportWarning("w");
    EXPECT_TRUE(rec_.events.empty());
    EXPECT_EQ(Log(), "Error 37005:File Not in List.\r\nStart Folders Shredding.\r\nw\r\n");
    // Errors that are fired directly bypass the log and the switch.
    core_.Messages().FireErrorEvent(34009, "Hooking Disabled.!");
    ASSERT_EQ(rec_.events.size(), 1u);
    EXPECT_EQ(rec_.events[0].number, 34009);
    EXPECT_EQ(Log(), "Error 37005:File Not in List.\r\nStart Folders Shredding.\r\nw\r\n");
}

TEST_F(Messages, LogFileNameDefaultsAndAnUnwritableLogLosesTheLine) {
    core_.Settings().SetLogFileName("");
    EXPECT_EQ(core_.Messages().LogFilePath(), app_ + "\\log.txt");
    core_.Messages().ReportWarning("one");
    EXPECT_EQ(ReadFileBytes(app_ + "\\log.txt"), "one\r\n");

    core_.Settings().SetApplicationPath(app_ + "\\missing\\folder");
    core_.Messages().ReportWarning("lost");
    EXPECT_FALSE(PathExists(app_ + "\\missing"));
    EXPECT_TRUE(rec_.events.empty());
}

}  // namespace
