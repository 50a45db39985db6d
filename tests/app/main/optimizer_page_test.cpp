// The optimizer page with in-memory controls and a scripted optimizer object:
// the state read at start-up, Apply's calls and message, the box rules, the
// locked drives kept in the settings, sections and Cancel.
#include "library_page_fixture.h"

#include "controls/win32_window.h"

namespace tidvex::test {
namespace {

using controls::MemoryCheckBox;
using controls::MemoryComboBox;

constexpr char kSuccess[] = "Optimization settings have been applied successfully. Ok icon 2";

class OptimizerPageTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        for (const char* d : {"C: [system]", "D:", "E: [data]"}) List(f().lstPreventAccess).AddItem(d);
    }
    MemoryCheckBox& Box(int i) { return Mem<MemoryCheckBox>(f().chkOptimizer[static_cast<size_t>(i)]); }
    void Check(std::initializer_list<int> boxes) {
        for (int i = 0; i < 11; ++i) Box(i).Value(0);
        for (int i : boxes) Box(i).Value(-1);
    }
    // Apply's calls with every switch given as the box says.
    static Calls Applied(const std::string& on, const std::string& count, const std::string& drives) {
        auto flag = [&](size_t i) { return std::string(on[i] == '1' ? "True" : "False"); };
        return {"OPZBroadBand(" + flag(0) + ")",
                "OPZSimConnecions(" + flag(1) + " " + count + ")",
                "OPZAutoBootDisk(" + flag(2) + ")",
                "OPZHardDiskWhenIdle(" + flag(3) + ")",
                "OPZDisableLowDiskSpaceNote(" + flag(4) + ")",
                "OPZAddNewOption2CopyMove(" + flag(5) + ")",
                "OPZDisableSaveSettings(" + flag(6) + ")",
                "OPZRestoreOpenFolders(" + flag(7) + ")",
                "OPZDisableControlPanel(" + flag(8) + ")",
                "OPZDisableRecentDocHistory(" + flag(9) + ")",
                "OPZLockHardDrives(" + flag(10) + " " + drives + ")"};
    }
};

TEST_F(OptimizerPageTest, TheReadersFillTheBoxesOnce) {
    struct Case {
        const char* what;
        std::vector<bool> state;
        std::int16_t count;
        int box1;
        std::string shown;
    };
    const Case cases[] = {
        {"nothing set", std::vector<bool>(11, false), -1, 0, "2"},
        {"eight connections", {true, false, true, false, true, false, true, false, true, false, true}, 8, -1, "8"},
        {"every tweak", std::vector<bool>(11, true), 16, -1, "16"},
        {"a count of 40", std::vector<bool>(11, false), 40, -1, "16"},
        {"a count of 0", std::vector<bool>(11, false), 0, -1, "1"},
        {"a count of -7", std::vector<bool>(11, false), -7, -1, "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        optimizer_->state = c.state;
        optimizer_->count = c.count;
        f().LoadOptimizerSettings();
        for (int i = 0; i < 11; ++i) {
            if (i == 1) continue;
            EXPECT_EQ(Box(i).Value(), c.state[static_cast<size_t>(i)] ? -1 : 0) << i;
        }
        EXPECT_EQ(Box(1).Value(), c.box1);
        EXPECT_EQ(f().cmbConnections->Text(), c.shown);
        EXPECT_EQ(f().lstPreventAccess->Enabled(), c.state[10]);
        EXPECT_EQ(Box(7).Enabled(), !c.state[6]) << "box 6 checked rules box 7 from the start";
        EXPECT_TRUE(calls_.empty()) << "nothing is written";
    }
}

TEST_F(OptimizerPageTest, ApplyCallsEverySetterInOrderAndSavesTheDrives) {
    struct Case {
        const char* what;
        std::initializer_list<int> boxes;
        std::vector<int> drives;
        const char* count;
        std::string on;
        std::string text;
    };
    const Case cases[] = {
        {"nothing checked", {}, {}, "2", "00000000000", "|"},
        {"box 10 off, drives checked", {0, 3}, {0, 2}, "5", "10010000000", "|"},
        {"drives C and E locked", {1, 10}, {0, 2}, "12", "01000000001", "|C|E|"},
        {"box 10 on, no drive", {10}, {}, "1", "00000000001", "|"},
        {"everything", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {1}, "16", "11111111111", "|D|"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        calls_.clear();
        window_.shown.clear();
        Check(c.boxes);
        for (int i = 0; i < 3; ++i) f().lstPreventAccess->Checked(i, false);
        for (int d : c.drives) f().lstPreventAccess->Checked(d, true);
        f().cmbConnections->ListIndex(std::stoi(c.count) - 1);
        Button(f().cmdOptimizeApply).UserClick();
        EXPECT_EQ(calls_, Applied(c.on, c.count, c.text));
        EXPECT_EQ(Stored(services::kOptimizerSection, "LockedDrives"), c.text);
        EXPECT_EQ(window_.shown, Calls{kSuccess});
    }
}

TEST_F(OptimizerPageTest, AFailingSetterIsReportedAndNoSuccessShown) {
    for (const char* failing : {"OPZBroadBand", "OPZRestoreOpenFolders", "OPZLockHardDrives"}) {
        SCOPED_TRACE(failing);
        optimizer_->failing = failing;
        window_.shown.clear();
        Reports reported;
        f().cmbConnections->ListIndex(3);
        controls::win32::Fire(f().cmdOptimizeApply->OnClick);
        EXPECT_EQ(reported.fatal, std::vector<std::string>{"Run-time error '-2147023174':\r\n\r\n"
                                                           "The RPC server is unavailable\r\n\r\nApply All failed."});
        EXPECT_TRUE(reported.bare.empty());
        EXPECT_TRUE(window_.shown.empty());
    }
}

TEST_F(OptimizerPageTest, ACountThatIsNoNumberWritesNothing) {
    Reports reported;
    f().cmbConnections->ListIndex(-1);
    controls::win32::Fire(f().cmdOptimizeApply->OnClick);
    EXPECT_EQ(reported.fatal,
              std::vector<std::string>{"Run-time error '13':\r\n\r\nType mismatch\r\n\r\nApply All failed."});
    EXPECT_TRUE(reported.bare.empty());
    EXPECT_TRUE(calls_.empty());
    EXPECT_TRUE(window_.shown.empty());
    EXPECT_EQ(Stored(services::kOptimizerSection, "LockedDrives"), "<none>");
}

TEST_F(OptimizerPageTest, SavedDrivesAreCheckedOnEntryAndNothingIsUnchecked) {
    struct Case {
        const char* stored;
        std::vector<bool> before;
        std::vector<bool> after;
    };
    const Case cases[] = {
        {nullptr, {false, true, false}, {false, true, false}},
        {"|C|E|", {false, false, false}, {true, false, true}},
        {"|", {false, false, false}, {false, false, false}},
        {"|c|DE|", {false, false, false}, {false, false, false}},
        {"D", {true, false, false}, {true, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "nothing stored");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, services::SettingsKey);
        if (c.stored) Store(services::kOptimizerSection, "LockedDrives", c.stored);
        for (int i = 0; i < 3; ++i) f().lstPreventAccess->Checked(i, c.before[static_cast<size_t>(i)]);
        f().LoadLockedDrives();
        for (int i = 0; i < 3; ++i) EXPECT_EQ(f().lstPreventAccess->Checked(i), c.after[static_cast<size_t>(i)]) << i;
    }
}

TEST_F(OptimizerPageTest, BoxesSixAndTenRuleOthers) {
    struct Step {
        int box;
        bool restoreEnabled;
        bool drivesEnabled;
    };
    Check({});
    f().lstPreventAccess->Enabled(false);
    for (const Step& s : {Step{6, false, false}, Step{10, false, true}, Step{6, true, true}, Step{10, true, false},
                          Step{3, true, false}}) {
        Box(s.box).UserClick();
        EXPECT_EQ(f().chkOptimizer[7]->Enabled(), s.restoreEnabled) << s.box;
        EXPECT_EQ(f().lstPreventAccess->Enabled(), s.drivesEnabled) << s.box;
    }
}

TEST_F(OptimizerPageTest, SectionButtonsShowTheirTab) {
    for (int i : {2, 0, 3, 1}) {
        Button(f().cmdOptimizer[static_cast<size_t>(i)]).UserClick();
        EXPECT_EQ(f().tbOptimizer->Tab(), i);
        for (int j = 0; j < 4; ++j) EXPECT_EQ(f().cmdOptimizer[static_cast<size_t>(j)]->Selected(), i == j);
    }
    f().cmdOptimizer_Click(7);
    EXPECT_EQ(f().tbOptimizer->Tab(), 1) << "an unknown section changes nothing";
    EXPECT_TRUE(f().cmdOptimizer[1]->Selected());
}

TEST_F(OptimizerPageTest, CancelShowsTheMainPageAndApplyLaterSendsTheBoxesAsLeft) {
    f().cmbConnections->ListIndex(1);
    Check({2, 5});
    f().cmdToolBar_Click(3);
    Button(f().cmdOptimizeCancel).UserClick();
    EXPECT_EQ(f().CurrentPageIndex, 0);
    EXPECT_TRUE(f().cmdToolBar[0]->Selected());
    EXPECT_EQ(Box(2).Value(), -1);
    f().cmdToolBar_Click(3);
    calls_.clear();
    Button(f().cmdOptimizeApply).UserClick();
    EXPECT_EQ(calls_, Applied("00100100000", "2", "|"));
}

TEST_F(OptimizerPageTest, TheDesignHoldsTheElevenBoxesAndSixteenCounts) {
    EXPECT_EQ(f().chkOptimizer[1]->Caption(), "Increase the number of simultaneous connections ");
    EXPECT_EQ(f().chkOptimizer[3]->Caption(), "Optimize hard disk when idle (Drive Defragmentation)  [XP]*");
    const auto& counts = Mem<MemoryComboBox>(f().cmbConnections).Items();
    ASSERT_EQ(counts.size(), 16u);
    EXPECT_EQ(counts.front(), "1");
    EXPECT_EQ(counts.back(), "16");
    EXPECT_EQ(f().tbOptimizer->Tabs(), 4);
}

}  // namespace
}  // namespace tidvex::test
