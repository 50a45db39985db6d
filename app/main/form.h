// frmMain, the main window's form: its controls under the window's names, typed
// as the control interfaces, and nothing of Win32. The controls are made by the
// factory handed in (the window's makes child windows, a test's in-memory
// controls) from the design table; the form owns them.
//
// The form also holds what the window itself does for the form's procedures
// (WindowCalls). Members are added here as the window's pages are built.
#pragma once

#include "Fraxil.h"
#include "Quenza.h"

#include "com/com_types.h"
#include "controls/controls.h"
#include "controls/extra_timer.h"
#include "engine/clean_options.h"
#include "main/library_objects.h"
#include "errors/run_time_error.h"
#include "services/startup_manager.h"
#include "services/uninstaller.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tidvex::main {

// A cleaning runs (set and cleared by the Cleaner page's Start/Stop).
extern bool gIsCleaning;

// The one-time hints' marker keys under the settings key: only their presence
// counts. The clean settings were opened; the first minimise showed its balloon.
inline constexpr char kWarnMarker[] = "\\lblWarnMessage";
inline constexpr char kMinimizeMarker[] = "\\lblFirstMinimize";
bool MarkerExists(const char* marker);
void CreateMarker(const char* marker);

// What the settings loader asks of the window after it has set the boxes.
class WindowCalls {
public:
    virtual ~WindowCalls() = default;
    // The schedule timer on or off with the chosen interval.
    virtual void ApplyTimeSchedule() = 0;
    // The shutdown options enabled while "When Windows shuts down" is checked.
    virtual void ApplyWhenWindowsShutDown() = 0;
    // The optimizer page's boxes from the optimizer object.
    virtual void LoadOptimizerSettings() = 0;
};

// What the Tools page's handlers need of the window and the outside.
class ToolsCalls {
public:
    virtual ~ToolsCalls() = default;
    // The program's message box over the main window with one button.
    virtual std::int32_t ShowMe(const std::string& text, const std::string& button, std::int16_t icon) = 0;
    // The platform's message box with the exclamation icon and the program's title.
    virtual void MsgBoxExclamation(const std::string& text) = 0;
    // The save dialog owned by the main window: the chosen name, "Cancel" or empty.
    virtual std::string ShowSaveFile(std::string& filter, const std::string& title) = 0;
    // The program's run-time error report (the error stays live, nothing ends).
    virtual void ReportRunTimeError(const RunTimeError& error) = 0;
    // A new start-up manager and a new uninstaller object.
    virtual std::unique_ptr<services::IStartUp> NewStartUp() = 0;
    virtual std::unique_ptr<services::clsUninstaller> NewUninstaller() = 0;
};

// A cleaning session as the Cleaner page drives it: the program's is
// engine::clsCleanSession (MakeCleanSession); tests script their own.
class CleaningSession {
public:
    virtual ~CleaningSession() = default;
    virtual void isCleanBrowsers(bool on) = 0;
    virtual void isCleanChat(bool on) = 0;
    virtual void isCleanHD(bool on) = 0;
    virtual void isCleanWindows(bool on) = 0;
    virtual void isCleanOffice(bool on) = 0;
    virtual void isCleanRegistry(bool on) = 0;
    // Runs the whole cleaning; false when it failed (logged by the session).
    virtual bool StartClean() = 0;
    virtual void StopClean() = 0;

    std::function<void(std::string& sItem)> CleaningItem;
    std::function<void(std::string& sItem)> CompleteCleaningItem;
    std::function<void()> CleaningDone;
    std::function<void(double& Progress)> Progress;
};

// The program's cleaning session over the window's controls.
std::shared_ptr<CleaningSession> MakeCleanSession(const engine::CleaningForm& form);

// What the main window's own window and the platform do for the form: the
// single-instance mutex, the library objects, the message box, the window's
// state, the shell. The real window implements it over Win32; tests script it.
class MainWindowCalls {
public:
    virtual ~MainWindowCalls() = default;
    // Creates the named mutex and keeps it for the process's life; false when
    // it already existed (another instance runs).
    virtual bool CreateInstanceMutex(const std::string& name) = 0;
    // The library objects; a class that cannot be created raises the run-time
    // error (429).
    virtual std::unique_ptr<ShredderObject> CreateShredder(frmMain& form) = 0;
    virtual std::unique_ptr<OptimizerObject> CreateOptimizer() = 0;
    virtual std::shared_ptr<CleaningSession> NewCleanSession(const engine::CleaningForm& form) = 0;
    // The program's own message box over the window; the pressed button's result.
    virtual std::int32_t ShowMe(const std::string& text, bool is2Buttons, const std::string& button1,
                                const std::string& button2, std::int16_t icon) = 0;
    // The whole command line after the program's name, as the platform gives it.
    virtual std::string CommandLine() = 0;
    // The program file's version: major, minor and revision.
    virtual void Version(int& major, int& minor, int& revision) = 0;
    // The platform's drive list ("c: [label]") and a root's drive type.
    virtual std::vector<std::string> Drives() = 0;
    virtual unsigned DriveType(const std::string& root) = 0;
    virtual HWND hWnd() = 0;
    virtual HICON WindowIcon() = 0;
    // The window's outer size in twips.
    virtual void Size(int widthTwips, int heightTwips) = 0;
    // Twips in the controls' units (pixels for the real window).
    virtual int Pixels(int twips) = 0;
    // The width of the window's inside, in the controls' units.
    virtual int ScaleWidth() = 0;
    virtual void BackColor(COLORREF color) = 0;
    virtual bool Visible() = 0;
    virtual void Visible(bool on) = 0;
    // 0 normal, 1 minimised, 2 maximised.
    virtual int WindowState() = 0;
    virtual void WindowState(int state) = 0;
    virtual void SetForeground() = 0;
    virtual POINT CursorPos() = 0;
    virtual void Repaint() = 0;
    // Asks the window to close (the close request runs, then the unload); a
    // posted one does so once the current handler has returned.
    virtual void Unload() = 0;
    virtual void PostUnload() = 0;
    // Ends the process (the message loop ends and the program returns).
    virtual void EndProcess() = 0;
    virtual void ShellOpen(const std::string& path) = 0;
};

// What the Options page and the schedule ask of the platform beyond the
// window's calls: the file and folder dialogs, the registry-key dialog and the
// end of the Windows session. The real window sets them; tests record them. An
// empty member does nothing (the dialogs then count as cancelled).
struct OptionsCalls {
    // The open-file dialog's result as the platform gives it ("Cancel" when cancelled).
    std::function<std::string(const std::string& title, const std::string& filter, bool multiSelect)> openFiles;
    // The folder picker's result (empty when cancelled).
    std::function<std::string(const std::string& title)> browseForFolder;
    // The registry-key dialog, modal over the main window, adding to the safe list or the black list.
    std::function<void(bool isSafeItem)> showRegistryDialog;
    // Ends the Windows session: 2 restart, 8 power-off, both forced.
    std::function<void(int mode)> exitWindows;
};

// The window's calls of a form that has no window (the settings alone): no
// other instance, no library objects, every question answered "Yes".
class NoWindowCalls : public MainWindowCalls {
public:
    bool CreateInstanceMutex(const std::string&) override { return true; }
    std::unique_ptr<ShredderObject> CreateShredder(frmMain&) override { return nullptr; }
    std::unique_ptr<OptimizerObject> CreateOptimizer() override { return nullptr; }
    std::shared_ptr<CleaningSession> NewCleanSession(const engine::CleaningForm& form) override {
        return MakeCleanSession(form);
    }
    std::int32_t ShowMe(const std::string&, bool, const std::string&, const std::string&, std::int16_t) override {
        return 6;
    }
    std::string CommandLine() override { return {}; }
    void Version(int& major, int& minor, int& revision) override { major = minor = revision = 0; }
    std::vector<std::string> Drives() override { return {}; }
    unsigned DriveType(const std::string&) override { return 0; }
    HWND hWnd() override { return nullptr; }
    HICON WindowIcon() override { return nullptr; }
    void Size(int, int) override {}
    int Pixels(int twips) override { return twips; }
    int ScaleWidth() override { return 0; }
    void BackColor(COLORREF) override {}
    bool Visible() override { return false; }
    void Visible(bool) override {}
    int WindowState() override { return 0; }
    void WindowState(int) override {}
    void SetForeground() override {}
    POINT CursorPos() override { return {}; }
    void Repaint() override {}
    void Unload() override {}
    void PostUnload() override {}
    void EndProcess() override {}
    void ShellOpen(const std::string&) override {}
};

// The controls a cleaning reads (chkCleanSett, chkSettings, txtCustomExt,
// cmbDrives, lstBlackList) come from engine::CleaningForm under the same names.
class frmMain : public engine::CleaningForm, public controls::SchemeForm {
public:
    // Makes every control; the event log's switch becomes chkSettings(2).
    // Without `platform` the window's own calls do nothing (the settings alone).
    frmMain(controls::ControlFactory& factory, WindowCalls& window, MainWindowCalls* platform = nullptr);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    WindowCalls& Window() const { return window_; }
    MainWindowCalls& Platform() const { return *platform_; }

    // The colour scheme over the window and every control.
    void SetBackColor(COLORREF color) override { platform_->BackColor(color); }
    std::vector<controls::SchemeControl*> Controls() override { return scheme_; }

    // ---- The window: start-up, tray and close (main_window.cpp) ----

    // Start-up: everything from the mutex to the command line. A failure on the
    // way ends the program with the run-time error report (ReportFatalError).
    void Form_Load();
    void Form_Initialize();
    // reason 2: the Windows session is ending.
    void Form_QueryUnload(bool& Cancel, int UnloadMode);
    void Form_Unload();
    void Form_Resize();
    void Form_LostFocus();
    void TrayIcon_MouseUp(int message);
    void TrayIcon_Reattach();
    void ToolTip_MouseUp(int message);
    void mnuMaximize_Click();
    void mnuClean_Click();
    void mnuHelp_Click();
    void mnuExit_Click();

    std::int16_t CurrentPageIndex = -1;
    bool IsFirstMinimize = false;
    // What start-up step runs, named in the report when it fails.
    std::string LoadingStep;

    controls::Label* topGrad = nullptr;
    controls::Label* lblAbout = nullptr;
    std::array<controls::Button*, 6> cmdToolBar{};
    // Pages 0-5 and the overlay of the page-switch effect.
    std::array<controls::Panel*, 7> frPage{};
    controls::TrayIcon* TrayIcon = nullptr;
    controls::Balloon* ToolTip = nullptr;
    controls::PopupMenu* mnuTray = nullptr;
    controls::Splash* Splash = nullptr;
    controls::PageEffect* Splash2 = nullptr;
    controls::Timer* tmrCleanItem = nullptr;
    controls::Timer* tmrArrow = nullptr;
    controls::Timer* tmrRefresh = nullptr;
    controls::Timer* tmrShutDownClean = nullptr;
    controls::Timer* tmrRefreshOptions = nullptr;
    // The schedule's interval timer over its one-second beat.
    controls::Timer* tmrScheduleBeat = nullptr;
    std::unique_ptr<controls::ExtraTimer> tmrSchedule;
    // The tray menu's items.
    static constexpr int mnuMaximize = 0, mnuClean = 2, mnuHelp = 4, mnuExit = 5;

    // ---- Navigation (navigation.cpp) ----

    void cmdToolBar_Click(int Index);
    void cmdTools_Click(int Index);
    void lblCleanerHere_MouseUp(int Button);
    void lblOptimizeHere_MouseUp(int Button);
    void lblShredFilesHere_MouseUp(int Button);
    void lblShredSpaceHere_MouseUp(int Button);
    void lblShredRecycleHere_MouseUp(int Button);
    void lblStartupHere_MouseUp(int Button);
    void lblUninstalHere_MouseUp(int Button);
    void ScrollUp();
    void ScrollDown();
    void tmrArrow_Timer();
    void tmrRefresh_Timer();
    void tmrShutDownClean_Timer();
    void tmrRefreshOptions_Timer();
    // The schedule's cleanings (Options page, Schedule tab).
    void tmrSchedule_Timer();
    void ShutDownClean();

    // Main page.
    std::vector<controls::Label*> lblMainText;
    controls::Label* lblCleanerHere = nullptr;
    controls::Label* lblShredFilesHere = nullptr;
    controls::Label* lblShredSpaceHere = nullptr;
    controls::Label* lblShredRecycleHere = nullptr;
    controls::Label* lblOptimizeHere = nullptr;
    controls::Label* lblStartupHere = nullptr;
    controls::Label* lblUninstalHere = nullptr;

    // ---- Cleaner page (cleaner_page.cpp) ----

    void cmdStartCleaning_Click();
    void cClean_CleaningItem(std::string& sItem);
    void cClean_CompleteCleaningItem(std::string& sItem);
    void cClean_Progress(double& Progress);
    void cClean_CleaningDone();
    void tmrCleanItem_Timer();
    void EnableToolbar();
    void DisableToolbar();
    void lblChangeCleanSettings_MouseUp(int Button);
    void lblBack2Clean_MouseUp(int Button);
    void chkInternet_Click();
    void chkSystem_Click();
    void chkRegistry_Click();
    void chkCleanSett_Click(int Index);
    void cmdInclude_Click(int Index);
    void cmdSaveCustomExt_Click();

    std::shared_ptr<CleaningSession> cClean;
    std::string PendingCleanItem;

    controls::Button* cmdStartCleaning = nullptr;
    controls::Label* lblCleanItem = nullptr;
    controls::ProgressBar* prgClean = nullptr;
    controls::Label* asxLabel3 = nullptr;
    controls::ListBox* lstCompleteClean = nullptr;
    controls::CheckBox* chkCloseAfterClean = nullptr;
    controls::Label* lblChangeCleanSettings = nullptr;
    controls::Label* lblArrow = nullptr;
    controls::Label* lblArrowText = nullptr;
    controls::Panel* frScanSettings = nullptr;
    controls::Label* Label1 = nullptr;
    controls::Label* lblBack2Clean = nullptr;
    controls::CheckBox* chkInternet = nullptr;
    controls::CheckBox* chkSystem = nullptr;
    controls::CheckBox* chkRegistry = nullptr;
    std::array<controls::Button*, 6> cmdInclude{};
    controls::Label* gCSettingsTitle = nullptr;
    std::array<controls::TabStrip*, 6> tbCSettings{};
    controls::Button* cmdSaveCustomExt = nullptr;
    std::array<controls::Label*, 2> lblCustomExtNote{};
    controls::Label* lblHDCleaner = nullptr;
    controls::Label* lblGoToSettings = nullptr;
    controls::Label* lblIEDisabled = nullptr;
    controls::Label* lblFireFoxDisabled = nullptr;
    controls::Label* lblNetscapeDisabled = nullptr;
    controls::Label* lblOperaDisabled = nullptr;
    controls::Label* lblMSNDisable = nullptr;
    controls::Label* lblYahooDisanled = nullptr;
    controls::Label* lblICQDisabled = nullptr;

    // ---- Shredder page ----
    std::array<controls::Button*, 3> cmdShredder{};
    controls::TabStrip* tbShredder = nullptr;
    controls::ListBox* lstFiles = nullptr;
    controls::Button* cmdAddFiles = nullptr;
    controls::Button* cmdAddFolder = nullptr;
    controls::Button* cmdRemoveShredItem = nullptr;
    controls::Button* cmdRemoveAllShred = nullptr;
    controls::ListBox* lstDrives = nullptr;
    controls::Button* cmdStartShred = nullptr;
    controls::CheckBox* chkShredShutdown = nullptr;
    controls::ProgressBar* prgItemShred = nullptr;
    controls::ProgressBar* prgTotalShred = nullptr;
    controls::Label* lblItemProgress = nullptr;
    controls::Label* lblTotalProgress = nullptr;
    controls::Label* lblShredLabel = nullptr;
    // The page's fixed texts.
    std::vector<controls::Label*> lblShredText;

    // The shredder object, for the program's life; its events come to the
    // Shredder_... handlers below.
    std::unique_ptr<ShredderObject> Shredder;
    // A ShredSessionType: 0 files and folders, 1 free space of drives, 2 Recycle Bin.
    std::int16_t ShredMode = 0;
    bool IsShredding = false;

    void InitShredder();
    // Entering the page: the object configured, then the Start button.
    void ShredderPageEntered();
    void cmdShredder_Click(int Index);
    void cmdStartShred_Click();
    void cmdAddFiles_Click();
    void cmdAddFolder_Click();
    void lstFiles_OLEDragDrop(const std::vector<std::string>& paths);
    void cmdRemoveShredItem_Click();
    void cmdRemoveAllShred_Click();
    void lstDrives_ItemCheck(int index);
    void cmbShredMethod_Click();
    void UpdateStartShredButton();
    void SetShredBusyUI();
    void SetShredIdleUI();
    void Shredder_CurrentItemShredded(const std::string& strCurrentItemShredded);
    void Shredder_CurrentProgress(std::int32_t nCurrentProgress);
    void Shredder_CurrentTotalProgress(std::int32_t nCurrentTotalProgress);
    void Shredder_ErrorMessage(const std::string& strErrrorMessage, std::int32_t nErrorNumber);
    void Shredder_Message(const std::string& strMessage);
    void shredder_SessionCompleted();

    // ---- Optimizer page ----
    std::array<controls::Button*, 4> cmdOptimizer{};
    controls::TabStrip* tbOptimizer = nullptr;
    std::array<controls::CheckBox*, 11> chkOptimizer{};
    controls::ComboBox* cmbConnections = nullptr;
    controls::ListBox* lstPreventAccess = nullptr;
    controls::Button* cmdOptimizeApply = nullptr;
    controls::Button* cmdOptimizeCancel = nullptr;
    // The page's fixed texts.
    std::vector<controls::Label*> lblOptimizerText;

    // The optimizer object, for the program's life.
    std::unique_ptr<OptimizerObject> Optimizer;

    void cmdOptimizeApply_Click();
    void cmdOptimizeCancel_Click();
    void cmdOptimizer_Click(int Index);
    void chkOptimizer_Click(int Index);
    void SaveLockedDrives(const std::string& sLockedDrives);
    void LoadLockedDrives();
    void LoadOptimizerSettings();
    // "|" and each checked drive's letter followed by "|".
    std::string LockedDrivesText() const;

    // ---- Tools page: tab 0 the start-up manager, tab 1 the uninstaller ----
    std::array<controls::Button*, 2> cmdTools{};
    controls::TabStrip* tbTools = nullptr;
    controls::Grid* Grid = nullptr;
    controls::Button* cmdApplyStartup = nullptr;
    controls::Label* lblStartupHint = nullptr;
    controls::Grid* Grid2 = nullptr;
    controls::Button* cmdUninstall = nullptr;
    controls::Button* cmdRemoveEntry = nullptr;
    controls::Button* cmdRenameEntry = nullptr;
    controls::Button* cmdSaveUins2txt = nullptr;
    // The objects and lists of the Tools page: new objects on every entry. A
    // handler keeps the object it works with alive, as the page may be entered
    // again while it waits.
    std::shared_ptr<services::IStartUp> StartUpManager;
    std::vector<controls::GridRow> StartupList;
    std::int16_t FirstUncheckedRow = -1;
    std::shared_ptr<services::clsUninstaller> Uninstaller;
    services::UninstallRecordset UninstallList;
    void SetToolsCalls(ToolsCalls& calls) { tools_ = &calls; }
    // A new start-up manager and a new uninstaller, then their lists.
    void CreateStartupManager();
    void LoadStartupEntries() { RefreshStartupList(); }
    void CreateUninstaller();
    void LoadInstalledPrograms() { RefreshUninstallList(); }
    void RefreshStartupList();
    void InitStartupGrid();
    void cmdApplyStartup_Click();
    // The StartupLocation of a location text; 0 for any other text.
    static std::int32_t GetStartupLocationIndex(const std::string& location);
    void RefreshUninstallList();
    void InitUninstallGrid();
    void cmdUninstall_Click();
    void cmdRemoveEntry_Click();
    void cmdRenameEntry_Click();
    void Grid2_BeforeUpdate(int row, int column, const std::string& newText, bool& cancel);
    void Grid2_AfterEdit();
    void cmdSaveUins2txt_Click();

    // ---- Options page (options_page.cpp, schedule.cpp) ----
    OptionsCalls optionsCalls;
    std::array<controls::Button*, 6> cmdOptions{};
    controls::TabStrip* tbOptions = nullptr;
    controls::Label* gOptionsTitle = nullptr;
    controls::Label* lblVersion = nullptr;
    controls::Label* barSched1 = nullptr;
    controls::Label* barSched2 = nullptr;
    controls::ListBox* lstSafeList = nullptr;
    controls::Label* Label55 = nullptr;
    controls::Label* Label21 = nullptr;
    controls::Label* Label46 = nullptr;
    controls::Button* cmdAddSafeFile = nullptr;
    controls::Button* cmdAddSafeFolder = nullptr;
    controls::Button* cmdAddSafeRegKey = nullptr;
    controls::Button* cmdRemoveSafeItem = nullptr;
    controls::Label* Label22 = nullptr;
    controls::Button* cmdAddBlackFile = nullptr;
    controls::Button* cmdAddBlackFolder = nullptr;
    controls::Button* cmdAddBlackRegistry = nullptr;
    controls::Button* cmdRemoveBlackItem = nullptr;
    controls::Label* Label23 = nullptr;
    controls::Label* Label24 = nullptr;
    controls::ListBox* lstAllCookies = nullptr;
    controls::CheckBox* chkSelectAllCookies = nullptr;
    controls::Button* cmdAddSafeCookie = nullptr;
    controls::Label* Label25 = nullptr;
    controls::ListBox* lstSafeCookies = nullptr;
    controls::CheckBox* chkSelectAllSafeCookies = nullptr;
    controls::Button* cmdRemoveSafeCookie = nullptr;
    controls::Label* Label26 = nullptr;
    controls::Panel* MyFrame1 = nullptr;
    controls::Panel* MyFrame2 = nullptr;
    // About tab: the product line, "Version" and what Tidvex is for.
    std::vector<controls::Label*> lblAboutText;
    controls::Label* lblWebSite = nullptr;
    controls::Picture* picLogo = nullptr;
    controls::Label* lblHelp = nullptr;
    controls::Label* lblUpdate = nullptr;

    void cmdOptions_Click(int Index);
    void chkSettings_Click(int Index);
    void cmdAddSafeFile_Click();
    void cmdAddSafeFolder_Click();
    void cmdAddSafeRegKey_Click();
    void cmdRemoveSafeItem_Click();
    void lstSafeList_OLEDragDrop(const std::vector<std::string>& paths);
    void cmdAddBlackFile_Click();
    void cmdAddBlackFolder_Click();
    void cmdAddBlackRegistry_Click();
    void cmdRemoveBlackItem_Click();
    void lstBlackList_OLEDragDrop(const std::vector<std::string>& paths);
    void cmdAddSafeCookie_Click();
    void cmdRemoveSafeCookie_Click();
    void chkSelectAllCookies_Click();
    void chkSelectAllSafeCookies_Click();
    void lblHelp_MouseUp(int Button);
    void lblUpdate_MouseUp(int Button);
    void lblWebSite_MouseUp(int Button);
    void picLogo_MouseDown(int Button);
    void lblAbout_MouseUp(int Button);

    // Schedule tab.
    void ApplyTimeSchedule();
    void ApplyWhenWindowsShutDown();
    void chkTimeSchedule_Click();
    void optTimeSchedule_Click(int Index);
    void chkSessionSchedule_Click();
    void chkWhenWindowStarts_Click();
    void chkWhenWindowsShuts_Click();

    // Shredder page: the wiping method, by item index.
    controls::ComboBox* cmbShredMethod = nullptr;

    // Options page, Schedule tab.
    controls::CheckBox* chkTimeSchedule = nullptr;
    std::array<controls::OptionButton*, 4> optTimeSchedule{};
    controls::CheckBox* chkSessionSchedule = nullptr;
    controls::CheckBox* chkWhenWindowStarts = nullptr;
    controls::CheckBox* chkWhenWindowsShuts = nullptr;
    std::array<controls::OptionButton*, 2> optSessionSchedule{};

private:
    template <class T>
    T* Keep(std::unique_ptr<T> control);
    // Tools page.
    void WireToolsPage();
    bool UninstallRowChosen(int& row);
    ToolsCalls* tools_ = nullptr;
    std::unique_ptr<ToolsCalls> ownTools_;
    // The check values of the start-up list as it was loaded.
    std::vector<std::string> startupChecksAtLoad_;
    void MakeFrame(controls::ControlFactory& factory);
    void MakeMainPage(controls::ControlFactory& factory);
    void MakeCleanerPage(controls::ControlFactory& factory);
    void MakeOtherPages(controls::ControlFactory& factory);
    void MakeOptionsPage(controls::ControlFactory& factory);
    void MakeShredderPage(controls::ControlFactory& factory);
    void MakeOptimizerPage(controls::ControlFactory& factory);
    // The notifications of the controls to their handlers.
    void WireFrame();
    void WireCleanerPage();
    void WireOptionsPage();
    void WireSchedule();
    void Say(const std::string& text);
    void AddToList(const std::string& path, std::int32_t type, bool toSafe);
    void AddFiles(bool toSafe);
    void AddFolder(bool toSafe);
    void AddDropped(const std::vector<std::string>& paths, bool toSafe);
    void AddRegistryKey(bool toSafe);
    // The scheduled and the shutdown cleaning: the Cleaner page, then Start.
    void RunCleaning();
    void SessionBoxesUsable();
    // The Start half of Start/Stop; false when the session failed.
    void StartCleaning();
    void StopCleaning();
    // Back to idle: caption, flag, timer, label and toolbar.
    void CleaningIdle();
    // A group's sub-page: button Index selected, tab Index of the strip shown.
    template <size_t N>
    void SelectSubPage(const std::array<controls::Button*, N>& buttons, controls::TabStrip& strip, int Index);

    WindowCalls& window_;
    std::vector<controls::SchemeControl*> scheme_;
    std::unique_ptr<MainWindowCalls> ownPlatform_;
    MainWindowCalls* platform_;
    // Start refused while an earlier StartClean is still on the stack.
    bool startCleanRunning_ = false;
    std::vector<std::shared_ptr<void>> controls_;
};

}  // namespace tidvex::main
