// Cleanings nobody starts by hand: every 15, 30, 60 or 300 minutes while the
// program runs, at Windows start (through the run-at-start-up value) and when
// Windows shuts down, followed by a forced power-off or restart.
#include "main/form.h"

#include "main/error_steps.h"
#include "main/options_page.h"
#include "main/run_time_report.h"

namespace tidvex::main {

namespace {

// Minutes of optTimeSchedule(0..3).
constexpr int kScheduleMinutes[] = {15, 30, 60, 300};
constexpr int kCleanerPage = 1;
constexpr int kPowerOff = 8;
constexpr int kRestart = 2;

bool Checked(const controls::CheckBox* box) { return box->Value() != 0; }

}  // namespace

void frmMain::MakeScheduleTab(controls::ControlFactory& factory) {
    made_.Make(factory, DesignRows(FormPart::ScheduleTab));
    TIDVEX_BIND(made_, Label26, barSched1, chkTimeSchedule, MyFrame1, optTimeSchedule, barSched2, chkSessionSchedule,
                MyFrame2, chkWhenWindowStarts, chkWhenWindowsShuts, optSessionSchedule, tmrShutDownClean);
    made_.Bind(tmrScheduleBeat, "tmrSchedule");
    tmrSchedule = std::make_unique<controls::ExtraTimer>(*tmrScheduleBeat);
    // Off until the schedule is applied: every 15 minutes by design.
    tmrSchedule->Interval(15);
    tmrSchedule->IntervalUnit(controls::kMinutes);

    chkTimeSchedule->OnClick = [this] { chkTimeSchedule_Click(); };
    ClickEach(optTimeSchedule, &frmMain::optTimeSchedule_Click);
    chkSessionSchedule->OnClick = [this] { chkSessionSchedule_Click(); };
    chkWhenWindowStarts->OnClick = [this] { chkWhenWindowStarts_Click(); };
    chkWhenWindowsShuts->OnClick = [this] { chkWhenWindowsShuts_Click(); };
    tmrShutDownClean->OnTimer = [this] { tmrShutDownClean_Timer(); };
    tmrSchedule->OnTimer = [this] { tmrSchedule_Timer(); };
    // After the interval's count, a cleaning that waits for a shredding.
    tmrScheduleBeat->OnTimer = [this, count = std::move(tmrScheduleBeat->OnTimer)] {
        if (count) count();
        if (ScheduledCleanWaiting && !IsShredding) tmrSchedule_Timer();
    };
}

void frmMain::ApplyTimeSchedule() {
    if (!Checked(chkTimeSchedule)) {
        MyFrame1->Active(false);
        tmrSchedule->Enabled(false);
        // A cleaning that waited for a shredding goes with the schedule.
        ScheduledCleanWaiting = false;
        return;
    }
    MyFrame1->Active(true);
    tmrSchedule->Enabled(true);
    // Should several be on, the last one wins, as the saved setting says.
    for (size_t i = 0; i < optTimeSchedule.size(); ++i)
        if (Checked(optTimeSchedule[i])) tmrSchedule->Interval(kScheduleMinutes[i]);
}

void frmMain::ApplyWhenWindowsShutDown() {
    const bool on = Checked(chkWhenWindowsShuts);
    for (auto* option : optSessionSchedule) option->Enabled(on);
    // The loader sets the boxes without their clicks: the two session boxes
    // follow "Session Clean" from here too.
    SessionBoxesUsable();
}

void frmMain::SessionBoxesUsable() {
    const bool on = Checked(chkSessionSchedule);
    chkWhenWindowStarts->Enabled(on);
    chkWhenWindowsShuts->Enabled(on);
}

void frmMain::chkTimeSchedule_Click() { ApplyTimeSchedule(); }

void frmMain::optTimeSchedule_Click(int Index) {
    tmrSchedule->Enabled(true);
    tmrSchedule->Interval(kScheduleMinutes[static_cast<size_t>(Index)]);
}

void frmMain::chkSessionSchedule_Click() {
    SessionBoxesUsable();
    if (Checked(chkSessionSchedule)) return;
    chkWhenWindowStarts->Value(0);
    chkWhenWindowsShuts->Value(0);
    // What the two boxes did goes with them: no cleaning at Windows start, no
    // shutdown options.
    ApplyWhenWindowsShutDown();
    WriteRunAtStartup(*this);
}

void frmMain::chkWhenWindowStarts_Click() { WriteRunAtStartup(*this); }

void frmMain::chkWhenWindowsShuts_Click() { ApplyWhenWindowsShutDown(); }

void frmMain::RunCleaning() {
    IgnoringErrors([&] { HideCleanSettings(); });
    IgnoringErrors([&] { cmdToolBar_Click(kCleanerPage); });
    IgnoringErrors([&] { cmdStartCleaning_Click(); });
}

void frmMain::tmrSchedule_Timer() {
    // A cleaning that runs (it yields to the timers) is left alone; a
    // shredding keeps its page and the toolbar locked until it ends.
    if (IsShredding) {
        ScheduledCleanWaiting = true;
        return;
    }
    ScheduledCleanWaiting = false;
    if (gIsCleaning) return;
    RunCleaning();
}

void frmMain::tmrShutDownClean_Timer() {
    tmrShutDownClean->Enabled(false);
    ShutDownClean();
}

void frmMain::ShutDownClean() {
    // From here on a failing step is passed over: the power-off or restart
    // still comes.
    IgnoringErrors([&] { Outside().WindowState(0); });
    IgnoringErrors([&] { Outside().Visible(true); });
    RunCleaning();
    int mode = 0;
    IgnoringErrors([&] {
        if (Checked(optSessionSchedule[0])) mode = kPowerOff;
        else if (Checked(optSessionSchedule[1])) mode = kRestart;
    });
    if (mode == 0) return;
    // The session's end takes the process with it: the shredder's worker is
    // waited for first.
    IgnoringErrors([&] { WaitForShredder(); });
    IgnoringErrors([&] { Outside().ExitWindows(mode); });
    // Still here, the session did not end: the program goes on, with a
    // shredder object again.
    if (!Shredder) EndingOnError(kCreatingShredder, [&] { Shredder = Outside().CreateShredder(*this); });
}

}  // namespace tidvex::main
