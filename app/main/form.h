// frmMain, the main window's form: its controls under the window's names, typed
// as the control interfaces, and nothing of Win32. Each page keeps its controls
// and state in a struct of its own (cleaner_page.h, shredder_page.h ...) that
// the form derives from, so every name stays the window's; the page's file
// makes its part of the window from the design table, connects its handlers
// right after, and holds the handlers declared below under its heading.
//
// Everything beyond the controls (the process, the library objects, the
// window, the dialogs, the shell) goes through the one OutsideCalls handed in.
#pragma once

#include "Fraxil.h"
#include "Quenza.h"

#include "controls/control_set.h"
#include "controls/controls.h"
#include "engine/clean_options.h"
#include "main/cleaner_page.h"
#include "main/form_design.h"
#include "main/library_objects.h"
#include "main/main_window.h"
#include "main/navigation.h"
#include "main/optimizer_page.h"
#include "main/options_page.h"
#include "main/outside_calls.h"
#include "main/schedule.h"
#include "main/shredder_page.h"
#include "main/startup_page.h"
#include "main/uninstaller_page.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace tidvex::main {

// The one-time hints' marker keys under the settings key: only their presence
// counts. The clean settings were opened; the first minimise showed its balloon.
inline constexpr char kWarnMarker[] = "\\lblWarnMessage";
inline constexpr char kMinimizeMarker[] = "\\lblFirstMinimize";
bool MarkerExists(const char* marker);
void CreateMarker(const char* marker);

// The controls a cleaning reads (chkCleanSett, chkSettings, txtCustomExt,
// cmbDrives, lstBlackList) come from engine::CleaningForm under the same names.
class frmMain : public engine::CleaningForm,
                public controls::SchemeForm,
                public WindowFrame,
                public MainPage,
                public CleanerPage,
                public ShredderPage,
                public OptimizerPage,
                public ToolsPage,
                public StartupTab,
                public UninstallTab,
                public OptionsPage,
                public ScheduleTab {
public:
    // Makes every control; the event log's switch becomes chkSettings(2).
    frmMain(controls::ControlFactory& factory, OutsideCalls& outside);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    OutsideCalls& Outside() const { return outside_; }

    // The colour scheme over the window and every control.
    void SetBackColor(COLORREF color) override { outside_.BackColor(color); }
    std::vector<controls::SchemeControl*> Controls() override { return made_.SchemeControls(); }
    // Every control made, with its design row.
    const controls::ControlSet& Made() const { return made_; }

    // ---- The window: start-up, tray and close (main_window.cpp) ----

    // Start-up: everything from the mutex to the command line. A failure on the
    // way ends the program with the run-time error report (ReportFatalError).
    void Form_Load();
    void Form_Initialize();
    // reason 2: the Windows session is ending.
    void Form_QueryUnload(bool& Cancel, int UnloadMode);
    void Form_Unload();
    // Lets the shredder object go before the process ends: a worker of it may
    // still be removing what it wrote (a free-space fill after Stop), and the
    // release waits for it while the window answers its messages, taking no
    // input and starting no scheduled cleaning meanwhile.
    void WaitForShredder();
    void Form_Resize();
    void Form_LostFocus();
    void TrayIcon_MouseUp(int message);
    void TrayIcon_Reattach();
    void ToolTip_MouseUp(int message);
    void mnuMaximize_Click();
    void mnuClean_Click();
    void mnuHelp_Click();
    void mnuExit_Click();

    // ---- Navigation, the Main page and the Tools page's sub-pages (navigation.cpp) ----

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
    void tmrRefresh_Timer();

    // ---- Cleaner page (cleaner_page.cpp) ----

    void cmdStartCleaning_Click();
    void cClean_CleaningItem(std::string& sItem);
    void cClean_CompleteCleaningItem(std::string& sItem);
    void cClean_Progress(double& Progress);
    void cClean_CleaningDone();
    void tmrCleanItem_Timer();
    void tmrArrow_Timer();
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

    // ---- Shredder page (shredder_page.cpp) ----

    void InitShredder();
    // Entering the page: the object configured, then the Start button.
    void ShredderPageEntered();
    void cmdShredder_Click(int Index);
    void cmdStartShred_Click();
    void cmdAddFiles_Click();
    void cmdAddFolder_Click();
    void lstFiles_OLEDragDrop(const std::vector<std::wstring>& paths);
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

    // ---- Optimizer page (optimizer_page.cpp) ----

    void cmdOptimizeApply_Click();
    void cmdOptimizeCancel_Click();
    void cmdOptimizer_Click(int Index);
    void chkOptimizer_Click(int Index);
    void SaveLockedDrives(const std::string& sLockedDrives);
    void LoadLockedDrives();
    void LoadOptimizerSettings();
    // "|" and each checked drive's letter followed by "|".
    std::string LockedDrivesText() const;

    // ---- Tools page, start-up manager tab (startup_page.cpp) ----

    // A new start-up manager, then its list.
    void CreateStartupManager();
    void LoadStartupEntries() { RefreshStartupList(); }
    void RefreshStartupList();
    void InitStartupGrid();
    void cmdApplyStartup_Click();
    // The StartupLocation of a location text; 0 for any other text.
    static std::int32_t GetStartupLocationIndex(const std::string& location);

    // ---- Tools page, uninstaller tab (uninstaller_page.cpp) ----

    // A new uninstaller, then its list.
    void CreateUninstaller();
    void LoadInstalledPrograms() { RefreshUninstallList(); }
    void RefreshUninstallList();
    void InitUninstallGrid();
    void cmdUninstall_Click();
    void cmdRemoveEntry_Click();
    void cmdRenameEntry_Click();
    void Grid2_BeforeUpdate(int row, int column, const std::wstring& newText, bool& cancel);
    void Grid2_AfterEdit();
    void cmdSaveUins2txt_Click();

    // ---- Options page (options_page.cpp) ----

    void cmdOptions_Click(int Index);
    void chkSettings_Click(int Index);
    void cmdAddSafeFile_Click();
    void cmdAddSafeFolder_Click();
    void cmdAddSafeRegKey_Click();
    void cmdRemoveSafeItem_Click();
    void lstSafeList_OLEDragDrop(const std::vector<std::wstring>& paths);
    void cmdAddBlackFile_Click();
    void cmdAddBlackFolder_Click();
    void cmdAddBlackRegistry_Click();
    void cmdRemoveBlackItem_Click();
    void lstBlackList_OLEDragDrop(const std::vector<std::wstring>& paths);
    void cmdAddSafeCookie_Click();
    void cmdRemoveSafeCookie_Click();
    void chkSelectAllCookies_Click();
    void chkSelectAllSafeCookies_Click();
    void lblHelp_MouseUp(int Button);
    void lblUpdate_MouseUp(int Button);
    void lblWebSite_MouseUp(int Button);
    void picLogo_MouseDown(int Button);
    void lblAbout_MouseUp(int Button);
    void tmrRefreshOptions_Timer();

    // ---- Options page, Schedule tab (schedule.cpp) ----

    void ApplyTimeSchedule();
    void ApplyWhenWindowsShutDown();
    void chkTimeSchedule_Click();
    void optTimeSchedule_Click(int Index);
    void chkSessionSchedule_Click();
    void chkWhenWindowStarts_Click();
    void chkWhenWindowsShuts_Click();
    void tmrSchedule_Timer();
    void tmrShutDownClean_Timer();
    void ShutDownClean();

private:
    // Each part's controls made from its design rows, bound to their members,
    // and their handlers connected.
    void MakeFrame(controls::ControlFactory& factory);
    void MakeMainPage(controls::ControlFactory& factory);
    void MakeCleanerPage(controls::ControlFactory& factory);
    void MakeShredderPage(controls::ControlFactory& factory);
    void MakeOptimizerPage(controls::ControlFactory& factory);
    void MakeToolsPage(controls::ControlFactory& factory);
    void MakeStartupTab(controls::ControlFactory& factory);
    void MakeUninstallTab(controls::ControlFactory& factory);
    void MakeOptionsPage(controls::ControlFactory& factory);
    void MakeScheduleTab(controls::ControlFactory& factory);

    // The window's three progress bars look alike: the two-tone style with the
    // percentage shown, in Arial and the design colour (the colour scheme sets
    // its own later).
    static void DressProgressBar(controls::ProgressBar& bar);
    // Only a group's sub-page buttons change its tabs: a click on a tab is
    // refused unless its button is the selected one.
    template <size_t N>
    static void GuardTabs(controls::TabStrip& strip, const std::array<controls::Button*, N>& buttons) {
        strip.OnBeforeClick = [&buttons](int newTab, bool& cancel) {
            cancel = newTab < 0 || newTab >= static_cast<int>(N) || !buttons[static_cast<size_t>(newTab)]->Selected();
        };
    }
    // Each member of a control array runs the handler with its index.
    template <class Array>
    void ClickEach(Array& controls, void (frmMain::*handler)(int)) {
        for (size_t i = 0; i < controls.size(); ++i)
            controls[i]->OnClick = [this, handler, i] { (this->*handler)(static_cast<int>(i)); };
    }
    // A group's sub-page: button Index selected, tab Index of the strip shown.
    template <size_t N>
    void SelectSubPage(const std::array<controls::Button*, N>& buttons, controls::TabStrip& strip, int Index);

    // Shredder page.
    // The Start half of Start/Stop: the page busy and the session handed to
    // the object; false when nothing was started.
    bool StartShredding();
    void StopShredding();
    // Back to idle: flag, tab strip, caption, controls and toolbar.
    void ShreddingIdle();
    // The five progress controls shown, the combo and the mode buttons locked.
    void ShowShredding(bool busy);
    void CompleteShredding();
    // The program's own shredder over what of the list still exists, while
    // the session numbered `run` is the current one.
    void SecondPassOver(std::uint32_t run);
    // The errors the server reported: how many, then the first few.
    std::string ShredErrorsText() const;
    // Cleaner page.
    // The Start half of Start/Stop; false when the session failed.
    void StartCleaning();
    void StopCleaning();
    // Back to idle: caption, flag, timer, label and toolbar.
    void CleaningIdle();
    // The clean-settings panel closed, however it is left: the page's own
    // controls are in sight again.
    void HideCleanSettings();
    // Uninstaller tab.
    bool UninstallRowChosen(int& row);
    // Options page.
    void Say(const std::string& text);
    void AddToList(const std::wstring& path, std::int32_t type, bool toSafe);
    void AddFiles(bool toSafe);
    void AddFolder(bool toSafe);
    void AddDropped(const std::vector<std::wstring>& paths, bool toSafe);
    void AddRegistryKey(bool toSafe);
    // Schedule tab: the scheduled and the shutdown cleaning (the Cleaner page,
    // then Start) and the two session boxes.
    void RunCleaning();
    void SessionBoxesUsable();

    OutsideCalls& outside_;
    controls::ControlSet made_;
};

}  // namespace tidvex::main
