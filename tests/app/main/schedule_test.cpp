// The schedule with the interval timer's one-second clock ticked by hand, and
// the shutdown cleaning with its power call recorded.
#include "main/settings.h"

#include "page_fixture.h"
#include "services/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

using namespace tidvex::test;
using tidvex::main::frmMain;

constexpr int kSecondsPerMinute = 60;

class ScheduleTest : public PageTest {
protected:
    void Store(const std::string& name, const std::string& value) {
        ASSERT_TRUE(tidvex::services::CRegister().REGSaveSetting(
            tidvex::registry::kLocalMachine, std::string(tidvex::services::SettingsKey) + "\\Options", name, value));
    }
    // Lets the seconds pass on the schedule's clock and counts the cleanings started.
    int CleaningsIn(int seconds) {
        Clock(form().tmrScheduleBeat).Elapse(seconds);
        const Texts calls = TakeCalls();
        return static_cast<int>(std::count(calls.begin(), calls.end(), "StartClean"));
    }
    // A scheduled cleaning shows the Cleaner page without the clean-settings panel.
    void ExpectCleanerPage() {
        EXPECT_EQ(form().CurrentPageIndex, 1);
        EXPECT_FALSE(form().frScanSettings->Visible());
    }
};

TEST_F(ScheduleTest, EveryHourSavedOnCleansAfterAFullHourThenEveryHour) {
    Store("IsTimeSchedule", "-1");
    Store("iTimeSchedule", "2");
    tidvex::main::LoadScheduleSettings(form());
    EXPECT_TRUE(form().MyFrame1->Active());
    EXPECT_TRUE(form().tmrSchedule->Enabled());

    EXPECT_EQ(CleaningsIn(60 * kSecondsPerMinute - 1), 0);
    form().frScanSettings->Visible(true);
    EXPECT_EQ(CleaningsIn(1), 1);
    ExpectCleanerPage();
    EXPECT_EQ(CleaningsIn(60 * kSecondsPerMinute - 1), 0);
    EXPECT_EQ(CleaningsIn(1), 1);

    form().cmdToolBar_Click(5);
    Box(form().chkTimeSchedule).UserClick();
    EXPECT_FALSE(form().tmrSchedule->Enabled());
    EXPECT_FALSE(form().MyFrame1->Active());
    EXPECT_EQ(CleaningsIn(10 * 60 * kSecondsPerMinute), 0);
}

TEST_F(ScheduleTest, EachIntervalOptionGivesItsMinutes) {
    struct Case {
        int option;
        int minutes;
    };
    const Case cases[] = {{0, 15}, {1, 30}, {2, 60}, {3, 300}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option);
        frmMain& f = form();
        // The intervals can be chosen while "Time Clean" is on.
        f.cmdToolBar_Click(5);
        Box(f.chkTimeSchedule).UserClick();
        Box(f.optTimeSchedule[static_cast<size_t>(c.option)]).UserClick();
        EXPECT_TRUE(f.tmrSchedule->Enabled());
        EXPECT_EQ(f.tmrSchedule->Interval(), c.minutes);
        // From a clock at zero: the count is not reset by a change of interval.
        EXPECT_EQ(CleaningsIn(c.minutes * kSecondsPerMinute - 1 - static_cast<int>(f.tmrSchedule->TickCount())), 0);
        EXPECT_EQ(CleaningsIn(1), 1);
        EXPECT_EQ(CleaningsIn(c.minutes * kSecondsPerMinute), 1);
        f.cmdToolBar_Click(5);
        Box(f.chkTimeSchedule).UserClick();
    }
}

TEST_F(ScheduleTest, TheLastSelectedOptionWinsAndAnUncheckedBoxStopsTheTimer) {
    frmMain& f = form();
    struct Case {
        int timeClean;
        Texts options;  // values of the four options
        bool running;
        int minutes;
    };
    const Case cases[] = {
        {-1, {"-1", "0", "-1", "0"}, true, 60},
        {-1, {"0", "0", "0", "-1"}, true, 300},
        {-1, {"0", "0", "0", "0"}, true, 15},  // the design's interval stays
        {0, {"-1", "0", "0", "0"}, false, 15},
    };
    for (const auto& c : cases) {
        f.tmrSchedule->Interval(15);
        f.chkTimeSchedule->Value(c.timeClean);
        for (size_t i = 0; i < 4; ++i) f.optTimeSchedule[i]->Value(std::stoi(c.options[i]));
        f.ApplyTimeSchedule();
        EXPECT_EQ(f.tmrSchedule->Enabled(), c.running);
        EXPECT_EQ(f.MyFrame1->Active(), c.running);
        EXPECT_EQ(f.tmrSchedule->Interval(), c.minutes);
    }
}

TEST_F(ScheduleTest, ATickDuringACleaningLeavesItAlone) {
    frmMain& f = form();
    Box(f.optTimeSchedule[0]).UserClick();
    tidvex::main::gIsCleaning = true;
    EXPECT_EQ(CleaningsIn(15 * kSecondsPerMinute), 0);
    EXPECT_EQ(f.CurrentPageIndex, -1) << "the page stays";
    tidvex::main::gIsCleaning = false;
    EXPECT_EQ(CleaningsIn(15 * kSecondsPerMinute), 1);
}

// A shredding keeps its page and the toolbar locked: a cleaning due meanwhile
// waits for its end, by Stop or by completion, and starts once.
TEST_F(ScheduleTest, ACleaningDueDuringAShreddingWaitsForItsEnd) {
    frmMain& f = form();
    f.Shredder = std::make_unique<ScriptedShredder>(window.libraryCalls);
    struct Case {
        const char* end;
        std::function<void()> act;
        int cleanings;
    };
    const Case cases[] = {
        {"Stop", [&f] { Press(f.cmdStartShred).UserClick(); }, 1},
        {"completion", [&f] { f.shredder_SessionCompleted(); }, 1},
        {"Time Clean off meanwhile, then on again",
         [&f] {
             // Set as the settings' load sets them: no page but the Shredder can be reached.
             Box(f.chkTimeSchedule).Value(0);
             f.chkTimeSchedule_Click();
             Press(f.cmdStartShred).UserClick();
             Box(f.chkTimeSchedule).Value(-1);
             f.chkTimeSchedule_Click();
         },
         0},
    };
    Box(f.optTimeSchedule[0]).UserClick();
    Box(f.chkTimeSchedule).Value(-1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.end);
        f.cmdToolBar_Click(2);
        Press(f.cmdShredder[2]).UserClick();
        Press(f.cmdStartShred).UserClick();
        ASSERT_TRUE(f.IsShredding);
        EXPECT_EQ(CleaningsIn(15 * kSecondsPerMinute - static_cast<int>(f.tmrSchedule->TickCount())), 0);
        EXPECT_EQ(CleaningsIn(20 * kSecondsPerMinute), 0) << "a second tick adds nothing";
        EXPECT_EQ(f.CurrentPageIndex, 2) << "the page stays";
        for (auto* button : f.cmdToolBar) EXPECT_FALSE(button->Enabled());
        c.act();
        EXPECT_EQ(CleaningsIn(1), c.cleanings) << "the next second";
        if (c.cleanings) ExpectCleanerPage();
        EXPECT_EQ(CleaningsIn(10 * kSecondsPerMinute - 2), 0) << "the count went on meanwhile";
    }
}

// A shredding keeps its page and lets no cleaning start, whatever asks: the
// tray's "Clean Now" is greyed and refused, and neither a page of the toolbar
// nor the About link is shown. Once the shredding has ended, "Clean Now" cleans.
TEST_F(ScheduleTest, NothingLeavesTheShredderPageWhileAShreddingRuns) {
    frmMain& f = form();
    f.Shredder = std::make_unique<ScriptedShredder>(window.libraryCalls);
    auto& menu = *static_cast<tidvex::controls::MemoryPopupMenu*>(f.mnuTray);
    auto& tray = *static_cast<tidvex::controls::MemoryTrayIcon*>(f.TrayIcon);
    auto cleanNow = [&] {
        menu.WillChoose(f.mnuClean);
        tray.UserMouse(517);
    };
    struct Case {
        const char* what;
        std::function<void()> act;
    };
    const Case cases[] = {
        {"Clean Now from the tray", cleanNow},
        {"Clean Now chosen all the same", [&f] { f.mnuClean_Click(); }},
        {"the About link", [&f] { f.lblAbout_MouseUp(tidvex::controls::kLeftButton); }},
        {"each page of the toolbar",
         [&f] {
             for (int i = 0; i < static_cast<int>(f.cmdToolBar.size()); ++i) f.cmdToolBar_Click(i);
         }},
    };
    f.cmdToolBar_Click(2);
    Press(f.cmdShredder[2]).UserClick();
    EXPECT_TRUE(f.mnuTray->Enabled(f.mnuClean));
    Press(f.cmdStartShred).UserClick();
    ASSERT_TRUE(f.IsShredding);
    EXPECT_FALSE(f.mnuTray->Enabled(f.mnuClean));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        c.act();
        EXPECT_FALSE(tidvex::main::gIsCleaning);
        EXPECT_FALSE(window.Logged("StartClean"));
        EXPECT_EQ(f.CurrentPageIndex, 2) << "the page stays";
        EXPECT_TRUE(f.frPage[2]->Visible());
        for (auto* button : f.cmdToolBar) EXPECT_FALSE(button->Enabled());
        EXPECT_TRUE(f.IsShredding);
    }

    Press(f.cmdStartShred).UserClick();
    EXPECT_TRUE(f.mnuTray->Enabled(f.mnuClean));
    cleanNow();
    EXPECT_TRUE(window.Logged("StartClean"));
    ExpectCleanerPage();
}

// The cleaning yields to the timers while it runs: ticks meanwhile start nothing.
TEST_F(ScheduleTest, ACleaningLongerThanTheIntervalIsNotInterrupted) {
    frmMain& f = form();
    // The session lets 40 minutes pass on the clock while it cleans.
    window.script = [&f](ScriptedSession& session) {
        session.during = [&f](ScriptedSession&) { Clock(f.tmrScheduleBeat).Elapse(40 * kSecondsPerMinute); };
    };
    Box(f.optTimeSchedule[0]).UserClick();
    EXPECT_EQ(CleaningsIn(15 * kSecondsPerMinute), 1);
    // The count went on during the cleaning: the next comes 5 minutes after it.
    window.script = nullptr;
    EXPECT_EQ(CleaningsIn(5 * kSecondsPerMinute - 1), 0);
    EXPECT_EQ(CleaningsIn(1), 1);
}

TEST_F(ScheduleTest, AfterLoadingTheSessionBoxesAreUsableOnlyUnderSessionClean) {
    struct Case {
        const char* session;
        const char* shuts;
        bool boxes, options;
    };
    const Case cases[] = {{"-1", "-1", true, true}, {"-1", "0", true, false}, {"0", "0", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.session) + " " + c.shuts);
        Store("IsSessinoSchedule", c.session);
        Store("isWhenWindowsShuts", c.shuts);
        tidvex::main::LoadScheduleSettings(form());
        EXPECT_EQ(form().chkWhenWindowStarts->Enabled(), c.boxes);
        EXPECT_EQ(form().chkWhenWindowsShuts->Enabled(), c.boxes);
        EXPECT_EQ(form().optSessionSchedule[1]->Enabled(), c.options);
    }
}

TEST_F(ScheduleTest, UncheckingSessionCleanUnchecksAndDisablesBothBoxesAndTheirEffects) {
    frmMain& f = form();
    struct Case {
        int launch;
        std::string runValue;
    };
    const Case cases[] = {{-1, "/tray"}, {0, "<none>"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.launch);
        f.chkSettings[0]->Value(c.launch);
        Box(f.chkSessionSchedule).UserClick();
        EXPECT_TRUE(f.chkWhenWindowStarts->Enabled() && f.chkWhenWindowsShuts->Enabled());
        Box(f.chkWhenWindowStarts).UserClick();
        Box(f.chkWhenWindowsShuts).UserClick();
        EXPECT_TRUE(f.optSessionSchedule[0]->Enabled() && f.optSessionSchedule[1]->Enabled());
        EXPECT_NE(RunValue().find("/clean"), std::string::npos);

        Box(f.chkSessionSchedule).UserClick();
        for (auto* box : {f.chkWhenWindowStarts, f.chkWhenWindowsShuts}) {
            EXPECT_EQ(box->Value(), 0);
            EXPECT_FALSE(box->Enabled());
        }
        EXPECT_FALSE(f.optSessionSchedule[0]->Enabled() || f.optSessionSchedule[1]->Enabled());
        const std::string value = RunValue();
        EXPECT_EQ(value.substr(value.size() - c.runValue.size()), c.runValue) << value;
        bool cancel = false;
        f.Form_QueryUnload(cancel, 2);
        EXPECT_FALSE(cancel) << "no shutdown cleaning";
    }
}

TEST_F(ScheduleTest, TheShutdownOptionsAreUsableOnlyWhileWindowsShutdownIsChecked) {
    frmMain& f = form();
    for (int shuts : {-1, 0, 1}) {
        f.chkWhenWindowsShuts->Value(shuts);
        f.ApplyWhenWindowsShutDown();
        for (auto* option : f.optSessionSchedule) EXPECT_EQ(option->Enabled(), shuts != 0) << shuts;
    }
}

// The close request with a reason, then the shutdown timer's tick.
TEST_F(ScheduleTest, AWindowsShutdownCleansThenPowersOffOrRestarts) {
    struct Case {
        const char* name;
        int reason;
        int shuts;
        int option;  // the session option selected, -1 none
        bool cleaningFails;
        bool heldBack;
        Texts afterTick;
    };
    // The session's end takes the process: the shredder object goes first, and
    // should the program still run, it has one again.
    const Texts cleaned = {"state 0", "show", "StartClean"};
    auto with = [&cleaned](const char* last) {
        Texts t = cleaned;
        if (last) t.insert(t.end(), {"released", last, "CreateShredder"});
        return t;
    };
    const Case cases[] = {
        {"shut down", 2, -1, 0, false, true, with("exit 8")},
        {"restart", 2, -1, 1, false, true, with("exit 2")},
        {"neither option", 2, -1, -1, false, true, with(nullptr)},
        {"a failing cleaning still restarts", 2, -1, 1, true, true, with("exit 2")},
        {"box unchecked", 2, 0, 0, false, false, {}},
        {"closed by the user", 0, -1, 0, false, false, {}},
        {"closed by the tray menu", 1, -1, 1, false, false, {}},
    };
    // What the shutdown cleaning does, in order.
    auto steps = [](const Texts& log) {
        Texts kept;
        for (const auto& call : log)
            if (call == "state 0" || call == "show" || call == "StartClean" || call.rfind("exit", 0) == 0 ||
                call == "released" || call == "CreateShredder")
                kept.push_back(call);
        return kept;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frmMain& f = form();
        f.cmdToolBar_Click(0);
        f.chkWhenWindowsShuts->Value(c.shuts);
        for (int i = 0; i < 2; ++i) f.optSessionSchedule[static_cast<size_t>(i)]->Value(i == c.option ? -1 : 0);
        window.script = [&c](ScriptedSession& session) { session.throws = c.cleaningFails; };
        auto shredder = std::make_unique<ScriptedShredder>(window.libraryCalls);
        shredder->released = [this] { window.Log("released"); };
        f.Shredder = std::move(shredder);
        TakeCalls();

        bool cancel = false;
        f.Form_QueryUnload(cancel, c.reason);
        EXPECT_EQ(cancel, c.heldBack);
        EXPECT_EQ(f.tmrShutDownClean->Enabled(), c.heldBack);
        EXPECT_EQ(steps(TakeCalls()), c.heldBack ? Texts{"show"} : Texts{});
        EXPECT_EQ(f.tmrShutDownClean->Interval(), 1500);

        Clock(f.tmrShutDownClean).Elapse(3);
        const Texts log = TakeCalls();
        EXPECT_EQ(steps(log), c.afterTick) << "one tick only";
        if (c.heldBack) ExpectCleanerPage();
        if (c.cleaningFails) {
            EXPECT_NE(std::find(log.begin(), log.end(),
                                "ShowMe Error occurred while scanning. Scanning aborted.\r\nObject variable or With "
                                "block variable not set [Ok] icon 1"),
                      log.end());
        }
        EXPECT_FALSE(f.tmrShutDownClean->Enabled());
    }
}

}  // namespace
