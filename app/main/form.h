// frmMain, the main window's form: its controls under the window's names, typed
// as the control interfaces, and nothing of Win32. The controls are made by the
// factory handed in (the window's makes child windows, a test's in-memory
// controls) from the design table; the form owns them.
//
// The form also holds what the window itself does for the form's procedures
// (WindowCalls). Members are added here as the window's pages are built.
#pragma once

#include "controls/controls.h"
#include "engine/clean_options.h"
#include "errors/run_time_error.h"
#include "services/startup_manager.h"
#include "services/uninstaller.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tidvex::main {

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

// The controls a cleaning reads (chkCleanSett, chkSettings, txtCustomExt,
// cmbDrives, lstBlackList) come from engine::CleaningForm under the same names.
class frmMain : public engine::CleaningForm {
public:
    // Makes every control; the event log's switch becomes chkSettings(2).
    frmMain(controls::ControlFactory& factory, WindowCalls& window);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    WindowCalls& Window() const { return window_; }

    // Cleaner page: the three scan areas.
    controls::CheckBox* chkInternet = nullptr;
    controls::CheckBox* chkSystem = nullptr;
    controls::CheckBox* chkRegistry = nullptr;

    // Options page.
    controls::ListBox* lstSafeList = nullptr;

    // Shredder page: the wiping method, by item index.
    controls::ComboBox* cmbShredMethod = nullptr;

    // Options page, Schedule tab.
    controls::CheckBox* chkTimeSchedule = nullptr;
    std::array<controls::OptionButton*, 4> optTimeSchedule{};
    controls::CheckBox* chkSessionSchedule = nullptr;
    controls::CheckBox* chkWhenWindowStarts = nullptr;
    controls::CheckBox* chkWhenWindowsShuts = nullptr;
    std::array<controls::OptionButton*, 2> optSessionSchedule{};

    // Tools page: tab 0 the start-up manager, tab 1 the uninstaller.
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

private:
    template <class T>
    T* Keep(std::unique_ptr<T> control);
    // Tools page.
    void MakeToolsPage(controls::ControlFactory& factory);
    bool UninstallRowChosen(int& row);
    ToolsCalls* tools_ = nullptr;
    // The check values of the start-up list as it was loaded.
    std::vector<std::string> startupChecksAtLoad_;

    WindowCalls& window_;
    std::vector<std::shared_ptr<void>> controls_;
};

}  // namespace tidvex::main
