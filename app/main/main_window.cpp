// The main window's life: start-up with its single-instance check, the form
// initialiser, the close request, unload, minimising to the tray and the tray
// icon with its menu.
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
std::string VersionText(MainWindowCalls& platform) {
    int major = 0, minor = 0, revision = 0;
    platform.Version(major, minor, revision);
    return std::to_string(major) + "." + std::to_string(minor) + ".0." + std::to_string(revision);
}

}  // namespace

void frmMain::WireFrame() {
    for (int i = 0; i < 6; ++i) cmdToolBar[static_cast<size_t>(i)]->OnClick = [this, i] { cmdToolBar_Click(i); };
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
    tmrCleanItem->OnTimer = [this] { tmrCleanItem_Timer(); };
    tmrArrow->OnTimer = [this] { tmrArrow_Timer(); };
    tmrRefresh->OnTimer = [this] { tmrRefresh_Timer(); };
    tmrShutDownClean->OnTimer = [this] { tmrShutDownClean_Timer(); };
    tmrRefreshOptions->OnTimer = [this] { tmrRefreshOptions_Timer(); };
    tmrSchedule->OnTimer = [this] { tmrSchedule_Timer(); };

    lblCleanerHere->OnMouseUp = [this](int b) { lblCleanerHere_MouseUp(b); };
    lblOptimizeHere->OnMouseUp = [this](int b) { lblOptimizeHere_MouseUp(b); };
    lblShredFilesHere->OnMouseUp = [this](int b) { lblShredFilesHere_MouseUp(b); };
    lblShredSpaceHere->OnMouseUp = [this](int b) { lblShredSpaceHere_MouseUp(b); };
    lblShredRecycleHere->OnMouseUp = [this](int b) { lblShredRecycleHere_MouseUp(b); };
    lblStartupHere->OnMouseUp = [this](int b) { lblStartupHere_MouseUp(b); };
    lblUninstalHere->OnMouseUp = [this](int b) { lblUninstalHere_MouseUp(b); };

    for (int i = 0; i < 2; ++i) cmdTools[static_cast<size_t>(i)]->OnClick = [this, i] { cmdTools_Click(i); };
    for (int i = 0; i < 6; ++i) cmdOptions[static_cast<size_t>(i)]->OnClick = [this, i] { cmdOptions_Click(i); };
    // Only the sub-page buttons change these tabs: a click on a tab is refused
    // unless its button is the selected one.
    auto guard = [](const auto& buttons) {
        return [&buttons](int newTab, bool& cancel) {
            cancel = newTab < 0 || newTab >= static_cast<int>(buttons.size()) ||
                     !buttons[static_cast<size_t>(newTab)]->Selected();
        };
    };
    tbShredder->OnBeforeClick = guard(cmdShredder);
    tbOptimizer->OnBeforeClick = guard(cmdOptimizer);
    tbTools->OnBeforeClick = guard(cmdTools);
    tbOptions->OnBeforeClick = guard(cmdOptions);
}

void frmMain::Form_Load() {
    MainWindowCalls& window = Platform();
    try {
        LoadingStep = "Checking for a running Tidvex";
        if (!window.CreateInstanceMutex(kMutexName)) {
            window.ShowMe("Tidvex is already running, Please Check it in the system tray", false, "Ok", "", 0);
            window.EndProcess();
            return;
        }
        LoadingStep = "Loading the splash picture Splash.spl";
        if (!Splash->LoadPicture(services::AppPath() + "\\Splash.spl")) throw RunTimeError::Of(kFileNotFound);
        Splash->LabelText("lblVersion", "Version " + VersionText(window));
        Splash->Show(0);
        CurrentPageIndex = -1;
        LoadingStep = "Creating the shredder object (Fraxil.Shredder)";
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
    MainWindowCalls& window = Platform();
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
    MainWindowCalls& window = Platform();
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
        return;
    }
    services::gIsExiting = true;
}

void frmMain::Form_Unload() {
    TrayIcon->Remove();
    Platform().EndProcess();
}

void frmMain::Form_Resize() {
    MainWindowCalls& window = Platform();
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

void frmMain::Form_LostFocus() { Platform().Repaint(); }

void frmMain::TrayIcon_MouseUp(int message) {
    MainWindowCalls& window = Platform();
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
    TrayIcon->Icon(Platform().WindowIcon());
    TrayIcon->ToolTip("Tidvex");
    TrayIcon->Attach(Platform().hWnd());
}

void frmMain::ToolTip_MouseUp(int message) {
    if (message == kLeftButtonUp) ToolTip->Close();
}

void frmMain::mnuMaximize_Click() {
    IgnoringErrors([&] { Platform().WindowState(0); });
    IgnoringErrors([&] { Platform().Visible(true); });
}

void frmMain::mnuClean_Click() {
    cmdToolBar_Click(1);
    cmdStartCleaning_Click();
    mnuTray->Caption(mnuClean, cmdStartCleaning->Caption());
}

void frmMain::mnuHelp_Click() { Platform().ShellOpen(services::AppPath() + "\\Help.chm"); }

void frmMain::mnuExit_Click() {
    Platform().Visible(true);
    Platform().Unload();
}

}  // namespace tidvex::main
