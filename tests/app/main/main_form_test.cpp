// The main window's form with in-memory controls and a scripted window: start-up,
// command line, second instance, close request, tray, minimise, navigation,
// timers and the Cleaner page. The settings live in the sandbox's registry.
#include "main/form.h"
#include "main/form_design.h"
#include "main/run_time_report.h"

#include "memory_controls.h"
#include "harness/support.h"
#include "scripted_window.h"
#include "services/program.h"
#include "services/settings_store.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tidvex::main;
using namespace tidvex::controls;
using tidvex::services::SettingsKey;
using Texts = std::vector<std::string>;
using tidvex::test::ScriptedSession;
using tidvex::test::ScriptedWindow;

class MainFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, SettingsKey);
        appPath_ = std::make_unique<tidvex::services::ScopedAppPath>(tidvex::test::ScratchFolder("mainform"));
        gIsCleaning = false;
        tidvex::services::gIsExiting = false;
        form_.reset();
        window_.Reset();
        form_ = std::make_unique<frmMain>(factory_, window_);
    }
    void TearDown() override { gIsCleaning = false; }

    frmMain& f() { return *form_; }
    void Load() { f().Form_Load(); }
    template <class T>
    static auto* Mem(T* control) {
        if constexpr (std::is_same_v<T, Button>) return static_cast<MemoryButton*>(control);
        else if constexpr (std::is_same_v<T, Label>) return static_cast<MemoryLabel*>(control);
        else if constexpr (std::is_same_v<T, Timer>) return static_cast<MemoryTimer*>(control);
        else if constexpr (std::is_same_v<T, TabStrip>) return static_cast<MemoryTabStrip*>(control);
        else if constexpr (std::is_same_v<T, Panel>) return static_cast<MemoryPanel*>(control);
        else if constexpr (std::is_same_v<T, ListBox>) return static_cast<MemoryListBox*>(control);
        else if constexpr (std::is_same_v<T, CheckBox>) return static_cast<MemoryCheckBox*>(control);
        else if constexpr (std::is_same_v<T, Grid>) return static_cast<MemoryGrid*>(control);
        else if constexpr (std::is_same_v<T, TrayIcon>) return static_cast<MemoryTrayIcon*>(control);
        else if constexpr (std::is_same_v<T, Balloon>) return static_cast<MemoryBalloon*>(control);
        else if constexpr (std::is_same_v<T, PopupMenu>) return static_cast<MemoryPopupMenu*>(control);
        else return control;
    }
    Texts Finished() { return Mem(f().lstCompleteClean)->Items(); }
    std::string StoredClean(const std::string& subkey, const std::string& name) {
        return tidvex::services::CRegister().REGGetSetting(tidvex::registry::kLocalMachine,
                                                           std::string(SettingsKey) + subkey, name, "<none>");
    }
    bool Marker(const char* name) {
        return tidvex::test::RegKeyExists(HKEY_LOCAL_MACHINE, std::string(SettingsKey) + "\\" + name);
    }

    std::unique_ptr<tidvex::services::ScopedAppPath> appPath_;
    MemoryControlFactory factory_;
    ScriptedWindow window_;
    std::unique_ptr<frmMain> form_;
};

// ---- Start-up ----

TEST_F(MainFormTest, StartUpRunsItsStepsInOrder) {
    Load();
    const auto& w = window_;
    EXPECT_EQ(w.At("mutex Marbletontidvex"), 0u);
    EXPECT_LT(w.At("mutex Marbletontidvex"), w.At("CreateShredder"));
    EXPECT_LT(w.At("CreateShredder"), w.At("CreateOptimizer"));
    EXPECT_LT(w.At("CreateOptimizer"), w.At("Size 9630x8650")) << "then the initialiser";
    EXPECT_LT(w.At("Size 9630x8650"), w.At("LoadOptimizerSettings")) << "then the settings";
    EXPECT_LT(w.At("LoadOptimizerSettings"), w.At("CommandLine")) << "the command line last";
    EXPECT_FALSE(w.Logged("EndProcess"));

    auto* splash = static_cast<MemorySplash*>(f().Splash);
    EXPECT_EQ(splash->picture, tidvex::services::AppFolder() + L"\\Splash.spl");
    EXPECT_EQ(splash->labels["lblVersion"], "Version 1.2.0.3");
    EXPECT_FALSE(splash->Shown()) << "closed at the end of start-up";
    EXPECT_EQ(f().lblVersion->Caption(), "1.2.0.3");
    EXPECT_EQ(f().Splash2->Value(), 1);
    EXPECT_EQ(f().CurrentPageIndex, 0) << "the Main page is shown";
    EXPECT_EQ(Mem(f().TrayIcon)->IconShown(), reinterpret_cast<HICON>(0x99));
    EXPECT_EQ(Mem(f().TrayIcon)->Owner(), reinterpret_cast<HWND>(0x1234));
    EXPECT_TRUE(f().TrayIcon->Attached());
    EXPECT_EQ(f().mnuTray->Caption(f().mnuClean), "Clean Now");
}

TEST_F(MainFormTest, TheInitialiserPlacesThePagesAndTheSettingsTabs) {
    Load();
    for (auto* page : f().frPage) {
        EXPECT_EQ(page->Left(), 0);
        EXPECT_EQ(page->Top(), 1755);
        EXPECT_EQ(page->Width(), 9620);
        EXPECT_EQ(page->Height(), 8650 - 1755);
    }
    for (auto* strip : f().tbCSettings) {
        EXPECT_EQ(strip->Top(), 880);
        EXPECT_EQ(strip->Height(), 4400);
        EXPECT_EQ(strip->Left(), f().gCSettingsTitle->Left());
        EXPECT_EQ(strip->Width(), f().gCSettingsTitle->Width());
    }
    EXPECT_EQ(f().barSched1->Left(), 0);
    EXPECT_EQ(f().barSched2->Left(), 0);
    // The first sub-page of every group is pressed.
    EXPECT_TRUE(f().cmdShredder[0]->Selected());
    EXPECT_TRUE(f().cmdOptimizer[0]->Selected());
    EXPECT_TRUE(f().cmdTools[0]->Selected());
    EXPECT_TRUE(f().cmdOptions[0]->Selected());
}

TEST_F(MainFormTest, DriveListsTakeTheirDrivesByTheTypeOfTheRoot) {
    Load();
    EXPECT_EQ(window_.roots, (Texts{"a:\\", "c:\\", "d:\\", "x:\\"})) << "asked of the root, not of the label";
    EXPECT_EQ(Mem(f().lstDrives)->Items(), (Texts{"A:", "C: [SYSTEM]", "X:"})) << "no CD-ROM";
    EXPECT_EQ(Mem(f().lstPreventAccess)->Items(), (Texts{"A:", "C: [SYSTEM]", "X:"}));
    EXPECT_EQ(static_cast<MemoryComboBox*>(f().cmbDrives)->Items(), (Texts{"C: [SYSTEM]", "X:"}))
        << "fixed drives and drives without a root";
}

TEST_F(MainFormTest, TheHintShowsUntilTheSettingsWereOpened) {
    struct Case {
        bool marker;
        bool hint;
    };
    for (const Case c : {Case{false, true}, Case{true, false}}) {
        SetUp();
        if (c.marker) {
            HKEY key = nullptr;
            ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, (std::string(SettingsKey) + "\\lblWarnMessage").c_str(), &key), 0);
            RegCloseKey(key);
        }
        Load();
        EXPECT_EQ(f().tmrArrow->Enabled(), c.hint) << c.marker;
        EXPECT_EQ(f().lblArrow->Visible(), c.hint);
        EXPECT_EQ(f().lblArrowText->Visible(), c.hint);
    }
}

TEST_F(MainFormTest, OnlyTheExactCommandLinesAct) {
    struct Case {
        const char* line;
        bool hidden;
        bool cleaned;
    };
    const Case cases[] = {
        {"/tray", true, false},   {"/clean", false, true},  {"", false, false},       {"/TRAY", false, false},
        {"/Clean", false, false}, {"/tray /clean", false, false}, {" /tray", false, false}, {"/clean ", false, false},
        {"tray", false, false},
    };
    for (const Case& c : cases) {
        SetUp();
        window_.commandLine = c.line;
        Load();
        EXPECT_EQ(window_.Logged("hide"), c.hidden) << '"' << c.line << '"';
        EXPECT_EQ(window_.Logged("StartClean"), c.cleaned) << '"' << c.line << '"';
        if (c.cleaned) {
            EXPECT_LT(window_.At("StartClean returned"), window_.log.size());
            EXPECT_EQ(Finished(), Texts{"Cleaning Done."});
        }
    }
}

TEST_F(MainFormTest, ASecondInstanceShowsItsMessageAndEnds) {
    window_.otherInstance = true;
    Load();
    EXPECT_EQ(window_.messages, Texts{"Tidvex is already running, Please Check it in the system tray"});
    EXPECT_TRUE(window_.Logged("ShowMe Tidvex is already running, Please Check it in the system tray [Ok] icon 0"));
    EXPECT_TRUE(window_.Logged("EndProcess"));
    EXPECT_FALSE(window_.Logged("CreateShredder"));
    EXPECT_FALSE(window_.Logged("foreground")) << "the first instance is not activated";
    EXPECT_FALSE(window_.Logged("CommandLine"));
}

TEST_F(MainFormTest, AMissingLibraryEndsTheProgramWithTheReport) {
    std::vector<std::pair<int, std::string>> reports;
    tidvex::ScopedSeam<RunTimeReporter> reporter(
        gRunTimeReporter, [&](const tidvex::RunTimeError& e, const std::string& text) { reports.push_back({e.Number(), text}); });
    window_.shredderMissing = true;
    Load();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].first, 429);
    EXPECT_EQ(reports[0].second,
              "Run-time error '429':\r\n\r\nActiveX component can't create object\r\n\r\n"
              "Creating the shredder object (Fraxil.Shredder) failed.");
    EXPECT_TRUE(window_.Logged("EndProcess"));
    EXPECT_FALSE(window_.Logged("CreateOptimizer"));
    EXPECT_FALSE(window_.Logged("CommandLine"));
    EXPECT_FALSE(f().Splash->Shown());
}

TEST(RunTimeReport, NamesTheNumberTheDescriptionAndWhatFailed) {
    struct Case {
        tidvex::RunTimeError error;
        const char* what;
        const char* text;
    };
    const Case cases[] = {
        {tidvex::RunTimeError::Of(53), "Loading the splash picture Splash.spl",
         "Run-time error '53':\r\n\r\nFile not found\r\n\r\nLoading the splash picture Splash.spl failed."},
        {tidvex::RunTimeError(-2147221164, "Class not registered"), "Starting a shredding",
         "Run-time error '-2147221164':\r\n\r\nClass not registered\r\n\r\nStarting a shredding failed."},
        {tidvex::RunTimeError(5, "Invalid procedure call or argument"), "",
         "Run-time error '5':\r\n\r\nInvalid procedure call or argument"},
    };
    for (const Case& c : cases) EXPECT_EQ(RunTimeReportText(c.error, c.what), c.text);
}

// ---- Close, unload, minimise, tray ----

TEST_F(MainFormTest, TheCloseRequestAsksStopsSavesAndMayBeCancelled) {
    struct Case {
        const char* name;
        bool cleaning;
        bool shredding;
        std::vector<int> answers;
        int reason;
        bool whenShuts;
        bool cancel;
        bool saved;
        bool exiting;
        bool shutdownTimer;
    };
    const Case cases[] = {
        {"idle", false, false, {}, 0, false, false, true, true, false},
        {"cleaning, No", true, false, {7}, 0, false, true, false, false, false},
        {"cleaning, Yes", true, false, {6}, 0, false, false, true, true, false},
        {"shredding, No", false, true, {7}, 0, false, true, false, false, false},
        {"shredding, Yes", false, true, {6}, 0, false, false, true, true, false},
        {"both, Yes then No", true, true, {6, 7}, 0, false, true, false, false, false},
        {"an answer other than No", true, false, {2}, 0, false, false, true, true, false},
        {"session ends, box checked", false, false, {}, 2, true, true, true, true, true},
        {"session ends, box unchecked", false, false, {}, 2, false, false, true, true, false},
        {"user closes, box checked", false, false, {}, 0, true, false, true, true, false},
    };
    for (const Case& c : cases) {
        SetUp();
        Load();
        f().chkInternet->Value(0);  // a change only a save stores
        f().chkWhenWindowsShuts->Value(c.whenShuts ? -1 : 0);
        if (c.cleaning) {
            window_.script = [&](ScriptedSession&) {};
            gIsCleaning = true;
            f().cmdStartCleaning->Caption("Stop Cleaning");
        }
        f().IsShredding = c.shredding;
        window_.answers = c.answers;
        window_.log.clear();
        bool cancel = false;
        f().Form_QueryUnload(cancel, c.reason);
        EXPECT_EQ(cancel, c.cancel) << c.name;
        EXPECT_EQ(StoredClean("\\Clean Settings", "Include Internet") == "0", c.saved) << c.name;
        EXPECT_EQ(tidvex::services::gIsExiting, c.exiting) << c.name;
        EXPECT_EQ(f().tmrShutDownClean->Enabled(), c.shutdownTimer) << c.name;
        if (c.shutdownTimer) {
            EXPECT_TRUE(window_.Logged("show")) << c.name;
        }
        if (c.cleaning) {
            EXPECT_TRUE(window_.Logged("ShowMe Cleaning process is running, Stop Cleaning and exit? [Yes/No] icon 3"));
        }
        if (c.cleaning && c.answers[0] != 7) {
            EXPECT_FALSE(gIsCleaning) << c.name << ": the cleaning was stopped";
        }
        if (c.cleaning && c.answers[0] == 7) {
            EXPECT_TRUE(gIsCleaning) << c.name << ": the cleaning goes on";
        }
        const bool askedShred = window_.Logged("ShowMe Shredding process is running, Stop Shredding and exit? [Yes/No] icon 3");
        EXPECT_EQ(askedShred, c.shredding && (!c.cleaning || c.answers[0] != 7)) << c.name;
    }
}

TEST_F(MainFormTest, UnloadRemovesTheTrayIconAndEnds) {
    Load();
    f().Form_Unload();
    EXPECT_FALSE(f().TrayIcon->Attached());
    EXPECT_TRUE(window_.Logged("EndProcess"));
}

// A worker of the shredder may still be removing its fill: while its object
// goes, the window answers its messages but takes no input, and the schedule
// starts nothing.
TEST_F(MainFormTest, LettingTheShredderGoStartsNothingMeanwhile) {
    Load();
    f().chkTimeSchedule->Value(-1);
    f().ApplyTimeSchedule();
    bool scheduleOn = true;
    static_cast<tidvex::test::ScriptedShredder&>(*f().Shredder).released = [&] {
        window_.Log("released");
        scheduleOn = f().tmrSchedule->Enabled();
    };
    window_.log.clear();
    f().WaitForShredder();
    EXPECT_EQ(window_.log, (Texts{"disable", "released", "enable"}));
    EXPECT_FALSE(scheduleOn);
    EXPECT_TRUE(f().tmrSchedule->Enabled()) << "the schedule goes on";
    EXPECT_EQ(f().Shredder, nullptr);
}

TEST_F(MainFormTest, TheFirstMinimiseShowsTheBalloonOnceAcrossRuns) {
    Load();
    Mem(f().TrayIcon)->Place(1200, 980);
    window_.state = 1;
    f().Form_Resize();
    auto* balloon = Mem(f().ToolTip);
    EXPECT_TRUE(balloon->Shown());
    EXPECT_EQ(balloon->title, "Tidvex");
    EXPECT_EQ(balloon->text, "Tidvex is minimized here!");
    EXPECT_EQ(balloon->style, 1);
    EXPECT_EQ(balloon->x, 1200);
    EXPECT_EQ(balloon->y, 980);
    EXPECT_TRUE(Marker("lblFirstMinimize"));
    EXPECT_TRUE(window_.Logged("hide"));
    EXPECT_EQ(f().topGrad->Width(), 9500);

    balloon->UserMouse(514);
    EXPECT_FALSE(balloon->Shown()) << "a click closes it";
    window_.log.clear();
    f().Form_Resize();
    EXPECT_FALSE(balloon->Shown()) << "a later minimise only hides";
    EXPECT_TRUE(window_.Logged("hide"));

    // A later run finds the marker.
    form_ = std::make_unique<frmMain>(factory_, window_);
    Load();
    window_.state = 1;
    f().Form_Resize();
    EXPECT_FALSE(Mem(f().ToolTip)->Shown());
    window_.state = 0;
    window_.log.clear();
    f().Form_Resize();
    EXPECT_FALSE(window_.Logged("hide")) << "a resize that is no minimise keeps the window";
}

TEST_F(MainFormTest, TrayNotificationsAndMenu) {
    Load();
    auto* tray = Mem(f().TrayIcon);
    auto* menu = Mem(f().mnuTray);
    struct Case {
        int message;
        Texts logged;
    };
    const Case cases[] = {
        {517, {"foreground"}}, {515, {"state 0", "show"}}, {513, {}}, {514, {}}, {516, {}},
    };
    for (const Case& c : cases) {
        window_.log.clear();
        const size_t popups = menu->Popups().size();
        tray->UserMouse(c.message);
        EXPECT_EQ(window_.log, c.logged) << c.message;
        EXPECT_EQ(menu->Popups().size(), popups + (c.message == 517 ? 1 : 0)) << c.message;
    }
    EXPECT_EQ(menu->Popups().back().x, 700);
    EXPECT_EQ(menu->Popups().back().y, 500);

    const Texts items{"Open Tidvex", "-", "Clean Now", "-", "Help", "Exit Tidvex"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(menu->Caption(i), items[static_cast<size_t>(i)]);

    struct Item {
        int index;
        Texts logged;
    };
    const Item chosen[] = {
        {0, {"state 0", "show"}},
        {4, {"open " + tidvex::services::AppPath() + "\\Help.chm"}},
        {5, {"show", "Unload"}},
    };
    for (const Item& c : chosen) {
        window_.log.clear();
        menu->WillChoose(c.index);
        tray->UserMouse(517);
        window_.log.erase(window_.log.begin());  // the foreground
        EXPECT_EQ(window_.log, c.logged) << c.index;
    }

    // "Clean Now" shows the Cleaner page, cleans, and takes the button's caption.
    window_.script = [this](ScriptedSession&) {
        EXPECT_EQ(f().CurrentPageIndex, 1);
        EXPECT_EQ(f().mnuTray->Caption(f().mnuClean), "Stop Cleaning");
    };
    menu->WillChoose(2);
    tray->UserMouse(517);
    EXPECT_TRUE(window_.Logged("StartClean"));
    EXPECT_EQ(menu->Caption(2), "Start Cleaning");

    // Attached again when the task bar comes back.
    f().TrayIcon->Remove();
    tray->OnReattach();
    EXPECT_TRUE(f().TrayIcon->Attached());
}

// ---- Navigation ----

TEST_F(MainFormTest, ThePageSwitchRules) {
    Load();
    // After start-up: Main is shown, every other page inactive.
    for (int i = 0; i < 6; ++i) EXPECT_EQ(f().frPage[static_cast<size_t>(i)]->Active(), i == 0) << i;
    auto* effect = static_cast<MemoryPageEffect*>(f().Splash2);
    const size_t played = effect->played.size();

    for (int page : {1, 3, 5, 2, 0, 4}) {
        f().tmrRefresh->Enabled(false);
        f().lblCleanItem->Visible(true);
        Mem(f().cmdToolBar[static_cast<size_t>(page)])->UserClick();
        EXPECT_EQ(f().CurrentPageIndex, page);
        for (int i = 0; i < 6; ++i) {
            const bool shown = i == page;
            EXPECT_EQ(f().cmdToolBar[static_cast<size_t>(i)]->Selected(), shown) << page << " " << i;
            EXPECT_EQ(f().cmdToolBar[static_cast<size_t>(i)]->Enabled(), !shown) << page << " " << i;
            EXPECT_EQ(f().frPage[static_cast<size_t>(i)]->Active(), shown) << page << " " << i;
            EXPECT_EQ(f().frPage[static_cast<size_t>(i)]->Visible(), shown) << page << " " << i;
        }
        EXPECT_TRUE(f().tmrRefresh->Enabled());
        EXPECT_EQ(f().lblCleanItem->Visible(), page == 1) << "the current item shows on the Cleaner page alone";
    }
    EXPECT_EQ(effect->played.size(), played + 6);
    EXPECT_EQ(effect->played.back(), f().frPage[6]->hWnd()) << "over the overlay panel";

    // The shown page again: nothing changes.
    f().tmrRefresh->Enabled(false);
    f().cmdToolBar_Click(4);
    EXPECT_FALSE(f().tmrRefresh->Enabled());

    // During a cleaning the toolbar does nothing.
    gIsCleaning = true;
    f().cmdToolBar_Click(1);
    EXPECT_EQ(f().CurrentPageIndex, 4);
    gIsCleaning = false;

    // The Cleaner page closes the clean-settings panel.
    f().frScanSettings->Visible(true);
    f().cmdToolBar_Click(1);
    EXPECT_FALSE(f().frScanSettings->Visible());
}

TEST_F(MainFormTest, TheTabsChangeOnlyThroughTheirButtons) {
    Load();
    struct Group {
        const char* name;
        TabStrip* strip;
        std::function<void(int)> press;
        int tabs;
    };
    const Group groups[] = {
        {"shredder", f().tbShredder, [this](int i) { f().cmdShredder_Click(i); }, 3},
        {"optimizer", f().tbOptimizer, [this](int i) { f().cmdOptimizer_Click(i); }, 4},
        {"tools", f().tbTools, [this](int i) { f().cmdTools_Click(i); }, 2},
        {"options", f().tbOptions, [this](int i) { f().cmdOptions_Click(i); }, 6},
    };
    for (const Group& g : groups) {
        auto* strip = Mem(g.strip);
        for (int tab = 1; tab < g.tabs; ++tab) {
            strip->UserClickTab(tab);
            EXPECT_EQ(strip->Tab(), 0) << g.name << ": a click on tab " << tab;
        }
        g.press(g.tabs - 1);
        EXPECT_EQ(strip->Tab(), g.tabs - 1) << g.name;
        strip->UserClickTab(0);
        EXPECT_EQ(strip->Tab(), g.tabs - 1) << g.name;
    }
}

TEST_F(MainFormTest, TheMainPageLinks) {
    Load();
    struct Case {
        const char* name;
        Label* link;
        int page;
        std::function<bool()> subPage;
    };
    const Case cases[] = {
        {"cleaner", f().lblCleanerHere, 1, [] { return true; }},
        {"optimizer", f().lblOptimizeHere, 3, [] { return true; }},
        {"shred files", f().lblShredFilesHere, 2, [this] { return f().cmdShredder[0]->Selected(); }},
        {"shred space", f().lblShredSpaceHere, 2, [this] { return f().cmdShredder[1]->Selected(); }},
        {"shred bin", f().lblShredRecycleHere, 2, [this] { return f().cmdShredder[2]->Selected(); }},
        {"start-up", f().lblStartupHere, 4, [this] { return f().tbTools->Tab() == 0 && f().cmdTools[0]->Selected(); }},
        {"uninstall", f().lblUninstalHere, 4, [this] { return f().tbTools->Tab() == 1 && f().cmdTools[1]->Selected(); }},
    };
    for (const Case& c : cases) {
        f().cmdToolBar_Click(0);
        Mem(c.link)->UserMouseUp(kRightButton);
        EXPECT_EQ(f().CurrentPageIndex, 0) << c.name << ": the right button does nothing";
        Mem(c.link)->UserMouseUp(kLeftButton);
        EXPECT_EQ(f().CurrentPageIndex, c.page) << c.name;
        EXPECT_TRUE(c.subPage()) << c.name;
        EXPECT_EQ(c.link->Caption(), "Click Here");
    }
}

TEST_F(MainFormTest, ScrollingActsOnTheFocusedGrid) {
    Load();
    auto* grid = Mem(f().Grid);
    auto* grid2 = Mem(f().Grid2);
    grid->DataSource({{L"a"}, {L"b"}, {L"c"}}, 1);
    grid2->DataSource({{L"a"}, {L"b"}, {L"c"}}, 1);
    f().ScrollDown();
    EXPECT_EQ(grid->TopRow() + grid2->TopRow(), 0) << "no grid has the focus";
    grid->SetFocus();
    f().ScrollDown();
    f().ScrollDown();
    f().ScrollUp();
    EXPECT_EQ(grid->TopRow(), 1);
    grid->LoseFocus();
    grid2->SetFocus();
    f().ScrollDown();
    EXPECT_EQ(grid2->TopRow(), 1);
    EXPECT_EQ(grid->TopRow(), 1);
}

TEST_F(MainFormTest, TheTimers) {
    struct Case {
        Timer* timer;
        int interval;
    };
    const Case cases[] = {
        {f().tmrCleanItem, 330}, {f().tmrArrow, 300}, {f().tmrRefresh, 1000}, {f().tmrShutDownClean, 1500},
        {f().tmrRefreshOptions, 1500},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.timer->Interval(), c.interval);
        EXPECT_FALSE(c.timer->Enabled()) << "off at load";
    }
    Load();
    // The arrow blinks.
    ASSERT_TRUE(f().tmrArrow->Enabled());
    const bool shown = f().lblArrow->Visible();
    Mem(f().tmrArrow)->Elapse();
    EXPECT_NE(f().lblArrow->Visible(), shown);
    Mem(f().tmrArrow)->Elapse();
    EXPECT_EQ(f().lblArrow->Visible(), shown);

    // The refresh is one-shot: the shown page is repainted and turns white.
    f().cmdToolBar_Click(2);
    auto* page = Mem(f().frPage[2]);
    page->Color(RGB(1, 2, 3));
    const int refreshes = page->Refreshes();
    Mem(f().tmrRefresh)->Elapse(3);
    EXPECT_EQ(page->Refreshes(), refreshes + 1);
    EXPECT_EQ(page->AccentColor(), RGB(255, 255, 255));
    EXPECT_FALSE(f().tmrRefresh->Enabled());

    // The shutdown cleaning's timer is one-shot too.
    f().tmrShutDownClean->Enabled(true);
    Mem(f().tmrShutDownClean)->Elapse(2);
    EXPECT_FALSE(f().tmrShutDownClean->Enabled());
}

// ---- Cleaner page ----

TEST_F(MainFormTest, StartRunsACleaningAndCleaningDoneEndsIt) {
    Load();
    f().cmdToolBar_Click(1);
    f().chkSystem->Value(0);
    window_.script = [this](ScriptedSession& s) {
        s.during = [this](ScriptedSession& s) {
            EXPECT_TRUE(gIsCleaning);
            EXPECT_EQ(f().cmdStartCleaning->Caption(), "Stop Cleaning");
            EXPECT_EQ(f().mnuTray->Caption(f().mnuClean), "Stop Cleaning");
            EXPECT_EQ(f().lblCleanItem->Caption(), "Starting...");
            EXPECT_TRUE(f().tmrCleanItem->Enabled());
            for (auto* b : f().cmdToolBar) EXPECT_FALSE(b->Enabled());
            EXPECT_FALSE(f().lblAbout->Enabled());
            s.Item("Registry");
            s.Complete("Broken registry entries");
            s.Percent(99.9);
            EXPECT_EQ(f().prgClean->Value(), 99);
            s.Complete("Temporary files");
            s.Done();
            s.Complete("after the end");  // dropped: the window let the session go
        };
    };
    f().cmdStartCleaning_Click();
    ASSERT_EQ(window_.sessions.size(), 1u);
    EXPECT_EQ(window_.sessions[0]->switches, "browsers=1 chat=1 hd=0 windows=0 office=0 registry=1 ");
    EXPECT_EQ(Finished(), (Texts{"Broken registry entries", "Temporary files", "Cleaning Done."}));
    EXPECT_EQ(f().lstCompleteClean->ListIndex(), 2) << "the last entry selected";
    EXPECT_EQ(f().cmdStartCleaning->Caption(), "Start Cleaning");
    EXPECT_EQ(f().mnuTray->Caption(f().mnuClean), "Start Cleaning");
    EXPECT_EQ(f().lblCleanItem->Caption(), "Ready For Cleaning");
    EXPECT_EQ(f().PendingCleanItem, "Ready For Cleaning");
    EXPECT_FALSE(gIsCleaning);
    EXPECT_FALSE(f().tmrCleanItem->Enabled());
    EXPECT_EQ(f().prgClean->Value(), 0);
    EXPECT_EQ(f().cClean, nullptr);
    EXPECT_EQ(window_.Count("StopClean"), 1) << "CleaningDone stops the session";
    EXPECT_FALSE(window_.Logged("PostUnload"));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(f().cmdToolBar[static_cast<size_t>(i)]->Enabled(), i != 1);
    EXPECT_EQ(StoredClean("\\Clean System", "Include System"), "0") << "the clean settings were saved first";
}

TEST_F(MainFormTest, StopAbortsAtOnceAndNoCleaningDoneFollows) {
    Load();
    window_.script = [this](ScriptedSession& s) {
        s.during = [this](ScriptedSession& s) {
            s.Complete("Broken registry entries");
            f().cmdStartCleaning_Click();  // the user's Stop
            EXPECT_EQ(f().cmdStartCleaning->Caption(), "Start Cleaning");
            EXPECT_FALSE(gIsCleaning);
            // Start again while the first StartClean is still unwinding.
            f().cmdStartCleaning_Click();
            EXPECT_EQ(window_.sessions.size(), 1u) << "no cleaning inside the first";
            s.Complete("late item");
            s.Done();
        };
    };
    f().cmdStartCleaning_Click();
    EXPECT_EQ(Finished(), (Texts{"Broken registry entries", "Cleaning Aborted."}));
    EXPECT_EQ(f().lblCleanItem->Caption(), "Ready For Cleaning");
    EXPECT_EQ(window_.Count("StartClean"), 1);
    // Once the first call has returned, Start works again.
    window_.script = nullptr;
    f().cmdStartCleaning_Click();
    EXPECT_EQ(window_.Count("StartClean"), 2);
}

TEST_F(MainFormTest, AFailedStartReturnsToIdle) {
    struct Case {
        const char* name;
        bool sessionFails, throws, returnsFalse;
        const char* message;
        Texts finished;
    };
    const Case cases[] = {
        {"no session", true, false, false,
         "Error occurred while scanning. Scanning aborted.\r\nActiveX component can't create object", {}},
        {"StartClean raises", false, true, false,
         "Error occurred while scanning. Scanning aborted.\r\nObject variable or With block variable not set", {}},
        {"StartClean fails", false, false, true, nullptr, {"Cleaning Aborted."}},
    };
    for (const Case& c : cases) {
        SetUp();
        Load();
        window_.sessionFails = c.sessionFails;
        window_.script = [&c](ScriptedSession& s) {
            s.throws = c.throws;
            s.result = !c.returnsFalse;
        };
        f().cmdStartCleaning_Click();
        EXPECT_EQ(window_.messages, c.message ? Texts{c.message} : Texts{}) << c.name;
        if (c.message) {
            EXPECT_TRUE(window_.Logged("ShowMe " + std::string(c.message) + " [Ok] icon 1")) << c.name;
        }
        EXPECT_EQ(Finished(), c.finished) << c.name;
        EXPECT_EQ(f().cmdStartCleaning->Caption(), "Start Cleaning") << c.name;
        EXPECT_FALSE(gIsCleaning) << c.name;
        EXPECT_FALSE(f().tmrCleanItem->Enabled()) << c.name;
        EXPECT_EQ(f().cClean, nullptr) << c.name;
        for (int i = 0; i < 6; ++i) EXPECT_EQ(f().cmdToolBar[static_cast<size_t>(i)]->Enabled(), i != 0) << c.name;
    }
}

TEST_F(MainFormTest, CloseAfterCleaningIsPostedAfterTheHandler) {
    Load();
    f().chkCloseAfterClean->Value(-1);
    window_.script = [this](ScriptedSession& s) {
        s.during = [this](ScriptedSession& s) {
            s.Done();
            EXPECT_FALSE(window_.Logged("Unload")) << "never from inside the session's event";
        };
    };
    f().cmdStartCleaning_Click();
    EXPECT_TRUE(window_.Logged("PostUnload"));
    EXPECT_LT(window_.At("PostUnload"), window_.At("StartClean returned"));
}

TEST_F(MainFormTest, TheItemLabelChangesAtMostOncePerTick) {
    Load();
    window_.script = [this](ScriptedSession& s) {
        s.during = [this](ScriptedSession& s) {
            auto* timer = Mem(f().tmrCleanItem);
            s.Item("one");
            s.Item("two");
            EXPECT_EQ(f().lblCleanItem->Caption(), "Starting...") << "only the tick shows it";
            timer->Elapse();
            EXPECT_EQ(f().lblCleanItem->Caption(), "two");
            s.Item("three");
            s.Item("four");
            timer->Elapse();
            EXPECT_EQ(f().lblCleanItem->Caption(), "four");
            timer->Elapse();
            EXPECT_EQ(f().lblCleanItem->Caption(), "four");
        };
    };
    f().cmdStartCleaning_Click();
}

TEST_F(MainFormTest, TheCleanSettingsPanel) {
    Load();
    f().cmdToolBar_Click(1);
    f().cmbDrives->ListIndex(1);  // "X:"
    f().chkRegistry->Value(0);

    gIsCleaning = true;
    Mem(f().lblChangeCleanSettings)->UserMouseUp(kLeftButton);
    EXPECT_FALSE(f().frScanSettings->Visible()) << "not during a cleaning";
    gIsCleaning = false;
    Mem(f().lblChangeCleanSettings)->UserMouseUp(kRightButton);
    EXPECT_FALSE(f().frScanSettings->Visible()) << "left button only";

    Mem(f().lblChangeCleanSettings)->UserMouseUp(kLeftButton);
    EXPECT_TRUE(f().frScanSettings->Visible());
    EXPECT_EQ(f().frScanSettings->Width(), f().frPage[1]->Width());
    EXPECT_EQ(f().frScanSettings->Height(), f().frPage[1]->Height());
    EXPECT_FALSE(f().chkCloseAfterClean->Visible());
    EXPECT_FALSE(f().tmrArrow->Enabled());
    EXPECT_FALSE(f().lblArrow->Visible());
    EXPECT_FALSE(f().lblArrowText->Visible());
    EXPECT_TRUE(Marker("lblWarnMessage"));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(f().cmdInclude[static_cast<size_t>(i)]->Enabled(), i != 5) << i;
        const CheckBox* area = i < 2 ? f().chkInternet : i < 5 ? f().chkSystem : f().chkRegistry;
        EXPECT_EQ(f().cmdInclude[static_cast<size_t>(i)]->Value(), area->Value()) << i;
    }
    EXPECT_EQ(f().lblHDCleaner->Caption(),
              "The hard drive cleaner will scan drive X, if you want to select another drive, go to");

    Mem(f().lblBack2Clean)->UserMouseUp(kLeftButton);
    EXPECT_FALSE(f().frScanSettings->Visible());
}

TEST_F(MainFormTest, ScanAreasDriveTheirIncludeButtons) {
    Load();
    f().cmdToolBar_Click(1);
    struct Case {
        const char* name;
        CheckBox* area;
        int first, last;
    };
    const Case cases[] = {
        {"internet", f().chkInternet, 0, 1},
        {"system", f().chkSystem, 2, 4},
        {"registry", f().chkRegistry, 5, 5},
    };
    const Texts titles{"Browsers", "Chat", "Windows", "Hard Drive", "MRU", "Registry"};
    for (const Case& c : cases) {
        for (int round = 0; round < 2; ++round) {
            Mem(c.area)->UserClick();
            const bool on = c.area->Value() != 0;
            for (int i = c.first; i <= c.last; ++i) {
                EXPECT_EQ(f().cmdInclude[static_cast<size_t>(i)]->Enabled(), on) << c.name << i;
                EXPECT_EQ(f().cmdInclude[static_cast<size_t>(i)]->Value(), c.area->Value()) << c.name << i;
            }
            for (int i = 0; i < 6; ++i) {
                EXPECT_EQ(f().cmdInclude[static_cast<size_t>(i)]->Selected(), i == c.first) << c.name << i;
                EXPECT_EQ(f().tbCSettings[static_cast<size_t>(i)]->Visible(), i == c.first) << c.name << i;
            }
            EXPECT_EQ(f().gCSettingsTitle->Caption(), titles[static_cast<size_t>(c.first)]);
            long front = 0;
            for (auto* strip : f().tbCSettings) front = std::max(front, Mem(strip)->FrontStamp());
            EXPECT_EQ(Mem(f().tbCSettings[static_cast<size_t>(c.first)])->FrontStamp(), front) << c.name;
        }
    }
    // Another include button brings its own tab strip in front.
    Mem(f().cmdInclude[3])->UserClick();
    EXPECT_EQ(f().gCSettingsTitle->Caption(), "Hard Drive");
    EXPECT_TRUE(f().tbCSettings[3]->Visible());
}

TEST_F(MainFormTest, TheCustomExtensionBoxAndItsRules) {
    Load();
    f().cmdToolBar_Click(1);
    EXPECT_FALSE(f().txtCustomExt->Enabled()) << "box 60 is off by design";
    EXPECT_FALSE(f().cmdSaveCustomExt->Enabled());
    Mem(f().chkCleanSett[60])->UserClick();
    EXPECT_TRUE(f().txtCustomExt->Enabled());
    EXPECT_TRUE(f().cmdSaveCustomExt->Enabled());
    Mem(f().chkCleanSett[60])->UserClick();
    EXPECT_FALSE(f().txtCustomExt->Enabled());
    EXPECT_FALSE(f().cmdSaveCustomExt->Enabled());

    const std::string invalid = "The custom extension is invalid, it must contains '.' and '*' ";
    const std::string forbidden =
        "The custom extension contains invalid character.\r\nThe Following charcters are not allowed: / \\ ? < > \" :";
    struct Case {
        const char* text;
        std::string message;  // empty: no message
        const char* saved;     // nullptr: nothing saved
        const char* shown;
    };
    const Case cases[] = {
        {"   ", "", nullptr, ""},
        {"bmp", invalid, nullptr, "bmp"},
        {".bmp", invalid, nullptr, ".bmp"},
        {"bmp*js*", invalid, nullptr, "bmp*js*"},
        {".b|p*", forbidden, nullptr, ".b|p*"},
        {".b:p*", forbidden, nullptr, ".b:p*"},
        {".b<p*", forbidden, nullptr, ".b<p*"},
        {".b>p*", forbidden, nullptr, ".b>p*"},
        {".b\"p*", forbidden, nullptr, ".b\"p*"},
        {".b?p*", forbidden, nullptr, ".b?p*"},
        {".b/p*", forbidden, nullptr, ".b/p*"},
        {".b\\p*", forbidden, nullptr, ".b\\p*"},
        {".bmp*.js*", "", ".bmp*.js*", ".bmp*.js*"},
        {"  .tmp*  ", "", ".tmp*", ".tmp*"},
    };
    for (const Case& c : cases) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, SettingsKey);
        window_.messages.clear();
        auto* text = static_cast<MemoryTextBox*>(f().txtCustomExt);
        text->LoseFocus();
        text->Text(c.text);
        f().cmdSaveCustomExt_Click();
        EXPECT_EQ(window_.messages, c.message.empty() ? Texts{} : Texts{c.message}) << c.text;
        EXPECT_EQ(StoredClean("\\Clean Settings", "Custom Extension"), c.saved ? c.saved : "<none>") << c.text;
        EXPECT_EQ(text->Text(), c.shown) << c.text;
        EXPECT_EQ(text->HasFocus(), !c.message.empty()) << c.text << ": the focus goes back to the box";
    }
}

TEST_F(MainFormTest, TheDesignTableHoldsTheWindowsNames) {
    EXPECT_EQ(DesignCount("chkCleanSett"), 61);
    EXPECT_EQ(DesignCount("frPage"), 7);
    EXPECT_EQ(DesignCount("cmdToolBar"), 6);
    EXPECT_EQ(DesignCount("cmdInclude"), 6);
    EXPECT_EQ(DesignCount("tbCSettings"), 6);
    // Every clean-settings box lies on a tab of its strip.
    for (int i = 0; i < 61; ++i) EXPECT_EQ(Design("chkCleanSett", i).parent.rfind("tbCSettings(", 0), 0u) << i;
    EXPECT_EQ(Design("chkCleanSett", 37).caption, "Search MRU");
    EXPECT_EQ(Design("chkCleanSett", 60).parent, "tbCSettings(3)#0");
    EXPECT_EQ(Design("tbCSettings", 0).items, (Texts{"IE", "FireFox", "Netscape", "Opera"}));
    EXPECT_EQ(f().cmdStartCleaning->Caption(), "Start Cleaning");
    EXPECT_EQ(f().lblCleanItem->Caption(), "Ready For Cleaning");
    EXPECT_EQ(f().lblIEDisabled->Caption(), "Internet Explorer is not installed in your system");
    EXPECT_FALSE(f().frScanSettings->Visible());
}

// Where buttons choose the tab, the strip shows no tabs of its own and its tabs
// carry the buttons' captions for whatever reads them; the strips whose tabs
// the user clicks show their names.
TEST(FormDesignTabs, EveryTabSaysWhatItIsOrIsNotShown) {
    struct Group {
        const char* strip;
        const char* buttons;  // "" where the user clicks the tabs
        int index;
    };
    const Group groups[] = {{"tbShredder", "cmdShredder", -1}, {"tbOptimizer", "cmdOptimizer", -1},
                            {"tbTools", "cmdTools", -1},       {"tbOptions", "cmdOptions", -1},
                            {"tbCSettings", "", 0},            {"tbCSettings", "", 5}};
    for (const Group& g : groups) {
        const ControlDesign& strip = Design(g.strip, g.index);
        SCOPED_TRACE(DesignKey(g.strip, g.index));
        EXPECT_EQ((strip.style & kNoTabRow) != 0, *g.buttons != 0);
        if (*g.buttons) {
            ASSERT_EQ(static_cast<int>(strip.items.size()), DesignCount(g.buttons));
        }
        for (size_t i = 0; i < strip.items.size(); ++i) {
            if (*g.buttons) {
                EXPECT_EQ(strip.items[i], Design(g.buttons, static_cast<int>(i)).caption) << i;
            }
            EXPECT_FALSE(strip.items[i].empty()) << i;
            EXPECT_NE(strip.items[i], std::to_string(i)) << i;
        }
    }
}

}  // namespace
