// The library's error log: written only while its settings say so, to the folder
// they name, one line per call.
#include "error_log.h"
#include "modreg.h"

#include "harness/support.h"
#include "reg_probe.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using namespace quenza;
using tidvex::test::MakeUnixHardLink;
using tidvex::test::MakeUnixSymlink;
using tidvex::test::PathExists;
using tidvex::test::PlantedLinks;
using tidvex::test::ReadFileBytes;
using tidvex::test::ScratchFolder;
using tidvex::test::WriteFileBytes;

const std::string kSettings = "Software\\Halvane\\Settings\\General Settings";

class ErrorLog : public testing::Test {
protected:
    void SetUp() override {
        RegDeleteKeyA(HKEY_CURRENT_USER, kSettings.c_str());
        folder_ = ScratchFolder(testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void SetLogs(const std::string& isSaveLogs, const std::optional<std::string>& folder) {
        SetKeyValue(HKEY_CURRENT_USER, kSettings, "Is Save Logs", isSaveLogs, 1);
        if (folder) SetKeyValue(HKEY_CURRENT_USER, kSettings, "Log Files Path", *folder, 1);
    }
    std::string Errors() const { return ReadFileBytes(folder_ + "\\Errors.txt").value_or("<none>"); }
    std::string Detections() const { return ReadFileBytes(folder_ + "\\Detections.txt").value_or("<none>"); }

    std::string folder_;
};

TEST(LogSwitch, ReadsTextAsABoolean) {
    struct Case {
        const char* text;
        std::optional<bool> value;
    } cases[] = {{"True", true}, {"true", true},  {" False ", false}, {"-1", true},          {"1", true},
                 {"0", false},   {"yes", std::nullopt}, {"", std::nullopt}, {"1x", std::nullopt}};
    for (const Case& c : cases) EXPECT_EQ(TextToBool(c.text), c.value) << '"' << c.text << '"';
}

TEST(ErrorLogLine, JoinsItsPiecesAndReversesTheTag) {
    std::string line = ErrorLogLine(53, "File not found", "", "DeleteErrorLog");
    const std::string head = "Error Number: 53, Description: File not found - , Function: goLrorrEeteleD : On : ";
    ASSERT_EQ(line.substr(0, head.size()), head);
    EXPECT_GT(line.size(), head.size() + 6) << "no date and time";
    line = ErrorLogLine(-5, "", "extra", "");
    EXPECT_EQ(line.substr(0, 55), "Error Number: -5, Description:  - extra, Function:  : O");
}

TEST_F(ErrorLog, WritesNothingWhileTheSwitchIsMissingOffOrNoBoolean) {
    const std::optional<std::string> switches[] = {std::nullopt, "False", "0", "maybe"};
    for (const std::optional<std::string>& value : switches) {
        RegDeleteKeyA(HKEY_CURRENT_USER, kSettings.c_str());
        if (value)
            SetLogs(*value, folder_);
        else
            SetKeyValue(HKEY_CURRENT_USER, kSettings, "Log Files Path", folder_, 1);
        WriteErrorLog(RunTimeError::Of(13), "Tag", "", "S:\\");
        LoggString("a line");
        EXPECT_FALSE(PathExists(folder_ + "\\Errors.txt")) << value.value_or("<missing>");
        EXPECT_FALSE(PathExists(folder_ + "\\Detections.txt")) << value.value_or("<missing>");
    }
    EXPECT_FALSE(PathExists("S:\\Errors.txt"));
}

TEST_F(ErrorLog, AppendsOneLinePerErrorToErrorsTxt) {
    SetLogs("True", folder_);
    WriteErrorLog(RunTimeError::Of(13), "SetKeyValue@modReg", "Unable to get a key value", "S:\\");
    WriteErrorLog(RunTimeError(0, "no error"), "Ignored", "", "S:\\");
    WriteErrorLog(RunTimeError::Of(53), "DeleteErrorLog", "", "S:\\");
    std::string text = Errors();
    ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    EXPECT_EQ(text.find("Error Number: 13, Description: Type mismatch - Unable to get a key value, Function: "
                        "geRdom@eulaVyeKteS : On : "),
              0u)
        << text;
    size_t second = text.find("\r\n") + 2;
    EXPECT_EQ(text.find("Error Number: 53, Description: File not found - , Function: goLrorrEeteleD : On : ", second),
              second)
        << text;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

TEST_F(ErrorLog, FallsBackToTheLibraryFolderForErrorsButNotForDetections) {
    SetLogs("-1", std::string());
    WriteErrorLog(RunTimeError::Of(5), "Tag", "", folder_);
    EXPECT_NE(Errors().find("Error Number: 5, Description: Invalid procedure call or argument - , Function: gaT"),
              std::string::npos);
    SetLogs("-1", folder_);
    LoggString("found: a trace");
    LoggString("found: another");
    EXPECT_EQ(Detections(), "found: a trace\r\nfound: another\r\n");
}

TEST_F(ErrorLog, DeleteErrorLogDeletesReadOnlyFilesAndLogsWhatFails) {
    SetLogs("True", folder_);
    const std::string file = folder_ + "\\old.log";
    WriteFileBytes(file, "old");
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY);
    ErrLogPath() = file;
    EXPECT_TRUE(DeleteErrorLog());
    EXPECT_FALSE(PathExists(file));
    EXPECT_FALSE(PathExists(folder_ + "\\Errors.txt"));

    EXPECT_FALSE(DeleteErrorLog());
    EXPECT_EQ(Errors().find("Error Number: 53, Description: File not found - , Function: goLrorrEeteleD : On : "), 0u)
        << Errors();
    ErrLogPath().clear();
}

// The log to delete, or the log folder's logs, planted as links: nothing is
// deleted or written through them, and a refused delete is logged as one that
// may not be done; a second name goes alone.
TEST_F(ErrorLog, NoLogIsDeletedOrWrittenThroughALink) {
    const std::string outside = ScratchFolder("quenza-links-outside");
    PlantedLinks links;
    if (!links.Plant(folder_, outside)) GTEST_SKIP() << "no Unix links can be made here";
    SetLogs("True", folder_);
    const auto& entries = links.Entries();
    for (size_t i = 0; i + 1 < entries.size(); ++i) {
        ErrLogPath() = entries[i];
        EXPECT_FALSE(DeleteErrorLog()) << entries[i];
    }
    ErrLogPath() = links.HardLink();
    EXPECT_TRUE(DeleteErrorLog());
    EXPECT_FALSE(PathExists(links.HardLink()));
    ErrLogPath().clear();
    links.Check();
    EXPECT_NE(Errors().find("Error Number: 70, Description: Permission denied"), std::string::npos) << Errors();

    // "Errors.txt" a link to another file, "Detections.txt" a second name of one.
    const std::string logs = ScratchFolder("quenza-link-logs");
    WriteFileBytes(outside + "\\errors-target.txt", "not a log");
    WriteFileBytes(outside + "\\detections-target.txt", "not a log either");
    ASSERT_TRUE(MakeUnixSymlink(outside + "\\errors-target.txt", logs + "\\Errors.txt"));
    ASSERT_TRUE(MakeUnixHardLink(outside + "\\detections-target.txt", logs + "\\Detections.txt"));
    SetLogs("True", logs);
    WriteErrorLog(RunTimeError::Of(53), "DeleteErrorLog", "", "S:\\");
    LoggString("a detection");
    EXPECT_EQ(ReadFileBytes(outside + "\\errors-target.txt"), "not a log");
    EXPECT_EQ(ReadFileBytes(outside + "\\detections-target.txt"), "not a log either");
}

TEST(ErrLogPath, IsHeldForEachThread) {
    ErrLogPath() = "S:\\main.log";
    std::string seen = "unset";
    std::thread([&] { seen = ErrLogPath(); }).join();
    EXPECT_EQ(seen, "");
    EXPECT_EQ(ErrLogPath(), "S:\\main.log");
    ErrLogPath().clear();
}

}  // namespace
