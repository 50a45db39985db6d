// The main window's life: its frame (the banner, the toolbar, the page panels,
// the tray icon with its menu, the splash), start-up with its single-instance
// check, the form initialiser, the close request, unload and minimising to the
// tray.
#include "main/form.h"

#include "main/error_steps.h"
#include "main/run_time_report.h"
#include "main/settings.h"
#include "services/helpers.h"
#include "services/program.h"
#include "services/registry.h"
#include "services/settings_store.h"

#include <cctype>

namespace tidvex::main {
namespace {

constexpr char kMutexName[] = "Marbletontidvex";
constexpr int kWindowWidth = 9630, kWindowHeight = 8650;
constexpr int kPagesTop = 1755;
constexpr int kSettingsTabsTop = 880, kSettingsTabsHeight = 4400;
constexpr unsigned kDriveNoRoot = 1, kDriveFixed = 3, kDriveCdRom = 5;
constexpr int kLeftDoubleClick = 515, kRightButtonUp = 517, kLeftButtonUp = 514;
constexpr int kSessionEnding = 2;

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The version as major.minor.0.revision.
std::string VersionText(OutsideCalls& platform) {
    int major = 0, minor = 0, revision = 0;
    platform.Version(major, minor, revision);
    return std::to_string(major) + "." + std::to_string(minor) + ".0." + std::to_string(revision);
}

}  // namespace

void frmMain::MakeFrame(controls::ControlFactory& factory) {
    made_.Make(factory, DesignRows(FormPart::Frame));
    TIDVEX_BIND(made_, topGrad, cmdToolBar, lblAbout, frPage, TrayIcon, ToolTip, mnuTray, Splash, Splash2, tmrRefresh);

    ClickEach(cmdToolBar, &frmMain::cmdToolBar_Click);
    lblAbout->OnMouseUp = [this](int button) { lblAbout_MouseUp(button); };
    TrayIcon->OnMouse = [this](int message) { TrayIcon_MouseUp(message); };
    TrayIcon->OnReattach = [this] { TrayIcon_Reattach(); };
    ToolTip->OnMouse = [this](int message) { ToolTip_MouseUp(message); };
    mnuTray->OnClick = [this](int item) {
        switch (item) {
            case mnuMaximize: mnuMaximize_Click(); break;
            case mnuClean: mnuClean_Click(); break;
            case mnuHelp: mnuHelp_Click(); break;
            case mnuExit: mnuExit_Click(); break;
            default: break;
        }
    };
    tmrRefresh->OnTimer = [this] { tmrRefresh_Timer(); };
}

void frmMain::Form_Load() {
    OutsideCalls& window = Outside();
    try {
        LoadingStep = "Checking for a running Tidvex";
        if (!window.CreateInstanceMutex(kMutexName)) {
            window.ShowMe("Tidvex is already running, Please Check it in the system tray", false, "Ok", "", 0);
            window.EndProcess();
            return;
        }
        LoadingStep = "Loading the splash picture Splash.spl";
        if (!Splash->LoadPicture(services::AppFolder() + L"\\Splash.spl")) throw RunTimeError::Of(kFileNotFound);
        Splash->LabelText("lblVersion", "Version " + VersionText(window));
        Splash->Show(0);
        CurrentPageIndex = -1;
        LoadingStep = kCreatingShredder;
        Shredder = window.CreateShredder(*this);
        LoadingStep = "Creating the optimizer object (Quenza.Optimizer)";
        Optimizer = window.CreateOptimizer();
        Form_Initialize();
        LoadingStep = "Loading the settings";
        if (!MarkerExists(kWarnMarker)) {
            tmrArrow->Enabled(true);
            lblArrow->Visible(true);
            lblArrowText->Visible(true);
        }
        if (!MarkerExists(kMinimizeMarker)) IsFirstMinimize = true;
        LoadSettings(*this);
        // The custom extension can be edited only while its box is checked.
        chkCleanSett_Click(60);
        Splash->Close();
        LoadingStep.clear();
    } catch (...) {
        Splash->Close();
        ReportFatalError(LoadingStep);
        window.EndProcess();
        return;
    }
    const std::string command = window.CommandLine();
    if (command == "/tray") window.Visible(false);
    else if (command == "/clean") cmdStartCleaning_Click();
    Splash2->Value(1);
}

void frmMain::Form_Initialize() {
    OutsideCalls& window = Outside();
    LoadingStep = "Setting up the window";
    TrayIcon_Reattach();
    lblVersion->Caption(VersionText(window));

    window.Size(kWindowWidth, kWindowHeight);
    for (auto* page : frPage)
        page->Move(0, window.Pixels(kPagesTop), window.Pixels(kWindowWidth - 10),
                   window.Pixels(kWindowHeight - kPagesTop));
    for (auto* strip : tbCSettings)
        strip->Move(gCSettingsTitle->Left(), window.Pixels(kSettingsTabsTop), gCSettingsTitle->Width(),
                    window.Pixels(kSettingsTabsHeight));

    // The type of each drive is asked of its root ("C:\"), not of the list's
    // text with its label.
    const std::vector<std::string> drives = window.Drives();
    std::vector<unsigned> types;
    for (const auto& entry : drives) types.push_back(window.DriveType(entry.substr(0, 2) + "\\"));
    for (size_t i = 0; i < drives.size(); ++i)
        if (types[i] != kDriveCdRom) lstDrives->AddItem(Upper(drives[i]));
    for (size_t i = 0; i < drives.size(); ++i)
        if (types[i] != kDriveCdRom) lstPreventAccess->AddItem(Upper(drives[i]));
    for (size_t i = 0; i < drives.size(); ++i)
        if (types[i] == kDriveFixed || types[i] == kDriveNoRoot) cmbDrives->AddItem(Upper(drives[i]));

    barSched1->Left(0);
    barSched2->Left(0);

    cmdToolBar_Click(0);
    cmdShredder_Click(0);
    cmdOptimizer_Click(0);
    cmdTools_Click(0);
    cmdOptions_Click(0);
    services::ApplyColorScheme(*this);

    LoadingStep = "Detecting the installed browsers and messengers (Velmora)";
    engine::DetectInstalledApps();
    const engine::InstalledApps& installed = engine::CleaningOptions.installed;
    const std::pair<bool, controls::Label*> notes[] = {
        {installed.InternetExplorer, lblIEDisabled}, {installed.FireFox, lblFireFoxDisabled},
        {installed.NetScape, lblNetscapeDisabled},   {installed.Opera, lblOperaDisabled},
        {installed.MSN, lblMSNDisable},              {installed.Yahoo, lblYahooDisanled},
        {installed.ICQ, lblICQDisabled},
    };
    for (const auto& [present, note] : notes) {
        if (present) continue;
        note->Visible(true);
        note->ZOrder();
        note->Refresh();
    }
}

void frmMain::Form_QueryUnload(bool& Cancel, int UnloadMode) {
    OutsideCalls& window = Outside();
    if (gIsCleaning) {
        if (window.ShowMe("Cleaning process is running, Stop Cleaning and exit?", true, "Yes", "No", 3) == 7) {
            Cancel = true;
            return;
        }
        cmdStartCleaning_Click();
    }
    if (IsShredding) {
        if (window.ShowMe("Shredding process is running, Stop Shredding and exit?", true, "Yes", "No", 3) == 7) {
            Cancel = true;
            return;
        }
        cmdStartShred_Click();
    }
    SaveSettings(*this);
    if (UnloadMode == kSessionEnding && chkWhenWindowsShuts->Value() != 0) {
        // The cleaning at shutdown follows from the timer; the program stays.
        Cancel = true;
        window.Visible(true);
        tmrShutDownClean->Enabled(true);
    }
    // Also when the shutdown cleaning holds the close: the session is ending,
    // and nothing is to wait for an uninstaller meanwhile.
    services::gIsExiting = true;
}

void frmMain::Form_Unload() {
    TrayIcon->Remove();
    Outside().EndProcess();
}

void frmMain::WaitForShredder() {
    // Nothing new starts while it waits: no input, no scheduled cleaning.
    const bool scheduled = tmrSchedule->Enabled();
    tmrSchedule->Enabled(false);
    Outside().Enabled(false);
    Shredder.reset();
    Outside().Enabled(true);
    tmrSchedule->Enabled(scheduled);
}

void frmMain::Form_Resize() {
    OutsideCalls& window = Outside();
    topGrad->Width(window.ScaleWidth());
    if (window.WindowState() != 1) return;
    if (IsFirstMinimize) {
        IsFirstMinimize = false;
        int x = 0, y = 0;
        TrayIcon->Position(x, y);
        ToolTip->Move(x, y);
        ToolTip->Show("Tidvex", "Tidvex is minimized here!", 1);
        CreateMarker(kMinimizeMarker);
    }
    window.Visible(false);
}

void frmMain::Form_LostFocus() { Outside().Repaint(); }

void frmMain::TrayIcon_MouseUp(int message) {
    OutsideCalls& window = Outside();
    if (message == kRightButtonUp) {
        IgnoringErrors([&] { window.SetForeground(); });
        IgnoringErrors([&] {
            const POINT at = window.CursorPos();
            mnuTray->Popup(at.x, at.y);
        });
    } else if (message == kLeftDoubleClick) {
        IgnoringErrors([&] { window.WindowState(0); });
        IgnoringErrors([&] { window.Visible(true); });
    }
}

void frmMain::TrayIcon_Reattach() {
    TrayIcon->Icon(Outside().WindowIcon());
    TrayIcon->ToolTip("Tidvex");
    TrayIcon->Attach(Outside().hWnd());
}

void frmMain::ToolTip_MouseUp(int message) {
    if (message == kLeftButtonUp) ToolTip->Close();
}

void frmMain::mnuMaximize_Click() {
    IgnoringErrors([&] { Outside().WindowState(0); });
    IgnoringErrors([&] { Outside().Visible(true); });
}

void frmMain::mnuClean_Click() {
    // A shredding keeps its page: the item is greyed meanwhile, and a click
    // that comes all the same starts nothing. Nothing waits for the shredding's
    // end either: "now" was asked, and a cleaning hours later is not that.
    if (IsShredding) return;
    cmdToolBar_Click(1);
    cmdStartCleaning_Click();
    mnuTray->Caption(mnuClean, cmdStartCleaning->Caption());
}

void frmMain::mnuHelp_Click() { Outside().ShellOpen(services::AppFolder() + L"\\Help.chm"); }

void frmMain::mnuExit_Click() {
    Outside().Visible(true);
    Outside().Unload();
}

}  // namespace tidvex::main
