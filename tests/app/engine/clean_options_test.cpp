// Copying the clean-settings boxes into the cleaning options.
#include "engine/clean_options.h"

#include "memory_form.h"

#include "harness/support.h"
#include "services/logger.h"
#include "services/program.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using namespace tidvex::engine;
using Field = std::function<bool&(CleaningOptionSet&)>;

CleaningOptionSet AllInstalled() {
    CleaningOptionSet o;
    o.installed = {true, true, true, true, true, true, true};
    return o;
}

class CleanOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        tidvex::services::gLogger().SetSwitch(&logSwitch_);
        CleaningOptions = AllInstalled();
    }
    void TearDown() override { tidvex::services::gLogger().SetSwitch(nullptr); }

    CleaningOptionSet Copied() {
        SetCleanSettings(form_.View());
        return CleaningOptions;
    }

    tidvex::services::ScopedAppPath appPath_{tidvex::test::ScratchFolder("options")};
    tidvex::controls::MemoryCheckBox logSwitch_{-1};
    test::MemoryCleaningForm form_;
};

TEST_F(CleanOptionsTest, EachBoxFeedsItsOwnOptionAndNothingElse) {
    struct Case {
        int box;
        Field option;
    };
    const Case cases[] = {
        {3, [](CleaningOptionSet& o) -> bool& { return o.browser.IECleanTypedUrl; }},
        {4, [](CleaningOptionSet& o) -> bool& { return o.browser.FFCleanHistory; }},
        {18, [](CleaningOptionSet& o) -> bool& { return o.chat.CleanYahooProfile; }},
        {26, [](CleaningOptionSet& o) -> bool& { return o.windows.CleanComDialogHistory; }},
        {32, [](CleaningOptionSet& o) -> bool& { return o.hd.CleanLogFiles; }},
        {41, [](CleaningOptionSet& o) -> bool& { return o.registry.IsCleanMRUWrodPad; }},
        {48, [](CleaningOptionSet& o) -> bool& { return o.office.CleanPhotoEditorMRU; }},
        {51, [](CleaningOptionSet& o) -> bool& { return o.registry.IsCleanBrokenFileType; }},
    };
    for (const auto& c : cases) {
        // Any non-zero value counts as checked.
        for (int value : {-1, 1}) {
            form_.Check({c.box}, value);
            CleaningOptionSet expected = AllInstalled();
            c.option(expected) = true;
            EXPECT_EQ(Copied(), expected) << "box " << c.box << " value " << value;
        }
    }
    // The hidden boxes never count.
    form_.Check({38, 42});
    EXPECT_EQ(Copied(), AllInstalled());
}

TEST_F(CleanOptionsTest, AProgramThatIsNotInstalledGetsNoOptions) {
    for (auto& box : form_.chkCleanSett) box.Value(-1);
    const CleaningOptionSet everything = Copied();
    CleaningOptions.installed.InternetExplorer = false;
    CleaningOptions.installed.Yahoo = false;
    CleaningOptionSet expected = everything;
    expected.installed = CleaningOptions.installed;
    for (bool* off : {&expected.browser.IECleanHistory, &expected.browser.IECleanCashe,
                      &expected.browser.IERemoveCookies, &expected.browser.IECleanTypedUrl,
                      &expected.chat.CleanYahooPage, &expected.chat.CleanYahooProfile}) {
        EXPECT_TRUE(*off);
        *off = false;
    }
    EXPECT_EQ(Copied(), expected);

    CleaningOptions = CleaningOptionSet{};
    const CleaningOptionSet nothingInstalled = Copied();
    EXPECT_EQ(nothingInstalled.browser, BrowserOptions{});
    EXPECT_EQ(nothingInstalled.chat, ChatOptions{});
    EXPECT_EQ(nothingInstalled.windows, everything.windows);
}

TEST_F(CleanOptionsTest, TheShredBoxAndTheCustomPattern) {
    form_.Check({});
    form_.chkSettings[1].Value(-1);
    CleaningOptionSet expected = AllInstalled();
    expected.browser.shred = expected.chat.shred = expected.windows.shred = expected.hd.shred = true;
    EXPECT_EQ(Copied(), expected);

    struct Case {
        int box60;
        const char* text;
        const char* pattern;
    };
    const Case cases[] = {{-1, ".bak*.old*", ".bak*.old*"}, {1, ".bak*", ".bak*"}, {-1, "", ""}, {0, ".bak*", ""}};
    for (const auto& c : cases) {
        form_.Check({60}, c.box60);
        form_.txtCustomExt.Text(c.text);
        EXPECT_EQ(Copied().hd.customPattern, c.pattern) << c.box60 << " " << c.text;
    }
}

TEST_F(CleanOptionsTest, AFailureIsLoggedAndLeavesTheLaterOptionsAsTheyWere) {
    form_.Check({44, 59});
    Copied();
    form_.Check({32, 60});
    CleaningForm broken = form_.View();
    broken.txtCustomExt = nullptr;
    SetCleanSettings(broken);
    // Copied up to the hard-disk cleaner's pattern; the registry and Office
    // options are those of the previous cleaning.
    EXPECT_TRUE(CleaningOptions.hd.CleanLogFiles);
    EXPECT_TRUE(CleaningOptions.registry.IsCleanBrokenApplicationPath);
    EXPECT_TRUE(CleaningOptions.office.CleanWordMRU);
    const auto log = tidvex::test::ReadFileBytes(tidvex::services::LogFilePath()).value_or("");
    EXPECT_NE(log.find("Error Number: 91, "), std::string::npos) << log;
    EXPECT_NE(log.find("Function: noisseSnaelCdom@sgnitteSnaelCteS : "), std::string::npos) << log;
}

}  // namespace
