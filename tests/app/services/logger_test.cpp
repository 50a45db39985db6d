// The event log's line, its switch, and deleting the log.
#include "services/logger.h"
#include "services/program.h"

#include "fs/fso.h"
#include "harness/support.h"
#include "services_fixture.h"
#include "registry/registry.h"

#include <gtest/gtest.h>

#include <new>
#include <regex>
#include <string>

namespace {

using namespace tidvex::services;
using tidvex::test::ReadFileBytes;
using tidvex::test::ScratchFolder;

using LoggerTest = ServicesTest;

TEST_F(LoggerTest, WritesOneLineWithTheTagReversed) {
    gLogger().LoggError({53, "File not found"}, "StartClean@clsCleanSession");
    std::smatch m;
    const std::string log = Log();
    ASSERT_TRUE(std::regex_match(log, m,
                                 std::regex("Error Number: 53, Description: File not found - , Function: "
                                            "noisseSnaelCslc@naelCtratS : On : (.+)\r\n")))
        << log;
    // A local date and time: digits of a date, then a time with seconds.
    EXPECT_TRUE(std::regex_search(m[1].str(), std::regex("\\d+.\\d+.\\d+ .*\\d+:\\d\\d:\\d\\d"))) << m[1];
}

TEST_F(LoggerTest, EmptyPiecesAndExtraTextKeepTheSeparators) {
    gLogger().LoggError({-5, ""}, "", "");
    gLogger().LoggError({7, "Out of memory"}, "ExitWindows", "extra");
    const std::string log = Log();
    EXPECT_EQ(log.find("Error Number: -5, Description:  - , Function:  : On : "), 0u) << log;
    EXPECT_NE(log.find("\r\nError Number: 7, Description: Out of memory - extra, Function: swodniWtixE : On : "),
              std::string::npos)
        << log;
}

TEST_F(LoggerTest, NothingForErrorZeroOrWhileTheSwitchIsOff) {
    gLogger().LoggError({0, "no error"}, "X");
    EXPECT_FALSE(tidvex::test::PathExists(LogFilePath()));
    logSwitch_.Value(0);
    gLogger().LoggError({53, "File not found"}, "X");
    gLogger().LoggString("plain");
    EXPECT_FALSE(tidvex::test::PathExists(LogFilePath()));
    gLogger().SetSwitch(nullptr);  // no options page yet: off
    gLogger().LoggError({53, "File not found"}, "X");
    EXPECT_FALSE(tidvex::test::PathExists(LogFilePath()));
}

TEST_F(LoggerTest, LinesAreOnlyAppended) {
    gLogger().LoggError({5, "a"}, "One");
    gLogger().LoggError({5, "a"}, "One");
    gLogger().LoggString("a plain line");
    const std::string line = "Error Number: 5, Description: a - , Function: enO : On : [^\r\n]+\r\n";
    EXPECT_TRUE(std::regex_match(Log(), std::regex("(" + line + "){2}a plain line\r\n"))) << Log();
}

TEST_F(LoggerTest, AWriteFailureIsSwallowed) {
    ScopedAppPath elsewhere("S:\\no\\such\\folder");
    gLogger().LoggError({53, "File not found"}, "X");  // no exception, no file
    EXPECT_FALSE(tidvex::test::PathExists("S:\\no"));
}

TEST_F(LoggerTest, DeleteErrorLogRemovesAReadOnlyLogAndLogsItsOwnFailure) {
    gLogger().LoggString("x");
    SetFileAttributesW(LogFilePath().c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(gLogger().DeleteErrorLog());
    EXPECT_FALSE(tidvex::test::PathExists(LogFilePath()));

    EXPECT_FALSE(gLogger().DeleteErrorLog());
    EXPECT_EQ(Log().find("Error Number: 53, Description: File not found - , Function: goLrorrEeteleD : On : "), 0u)
        << Log();
}

TEST(CurrentError, KeepsTheNumbersOfTheProgramsOwnFailures) {
    auto of = [](auto&& thrower) {
        try {
            thrower();
        } catch (...) {
            return tidvex::CurrentError();
        }
        return tidvex::RunTimeError(0, "");
    };
    auto e = of([] { throw tidvex::RunTimeError(26001, "registry text", "src"); });
    EXPECT_EQ(e.Number(), 26001);
    EXPECT_EQ(e.Description(), "registry text");
    EXPECT_EQ(e.Source(), "src");
    e = of([] { throw tidvex::fs::MakeFsError(tidvex::fs::kFileNotFound); });
    EXPECT_EQ(e.Number(), 53);
    EXPECT_EQ(e.Description(), "File not found");
    e = of([] { throw tidvex::RunTimeError(-2147024894, "platform"); });
    EXPECT_EQ(e.Number(), -2147024894);
    e = of([] { throw std::runtime_error("odd"); });
    EXPECT_EQ(e.Number(), 5);
    EXPECT_EQ(e.Description(), "odd");
    e = of([] { throw std::bad_alloc(); });
    EXPECT_EQ(e.Number(), 7);
    EXPECT_EQ(e.Description(), "Out of memory");
    e = of([] { throw 42; });
    EXPECT_EQ(e.Number(), 5);
    EXPECT_EQ(e.Description(), "Invalid procedure call or argument");
    EXPECT_EQ(tidvex::PlatformError(ERROR_FILE_NOT_FOUND).Number(), 2);
}

}  // namespace
