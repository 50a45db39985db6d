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
#include "main/library_objects.h"

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

    // What the shredder and optimizer pages ask of the window.
    // The window's handle, the owner of the dialogs.
    virtual HWND hWnd() const = 0;
    // Shows page `index` of the toolbar (cmdToolBar_Click).
    virtual void ShowPage(int index) = 0;
    // The program's message box over the main window; the pressed button's result.
    virtual std::int32_t ShowMe(const std::string& text, bool is2Buttons, const std::string& button1,
                                const std::string& button2, std::int16_t icon) = 0;
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

    // ---- The window's frame: the toolbar, one button per page ----
    std::array<controls::Button*, 6> cmdToolBar{};

    // Cleaner page: the three scan areas.
    controls::CheckBox* chkInternet = nullptr;
    controls::CheckBox* chkSystem = nullptr;
    controls::CheckBox* chkRegistry = nullptr;

    // Options page.
    controls::ListBox* lstSafeList = nullptr;

    // Shredder page: the wiping method, by item index.
    controls::ComboBox* cmbShredMethod = nullptr;

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

    void MakeToolBar(controls::ControlFactory& factory);
    void MakeShredderPage(controls::ControlFactory& factory);
    void MakeOptimizerPage(controls::ControlFactory& factory);

    WindowCalls& window_;
    std::vector<std::shared_ptr<void>> controls_;
};

}  // namespace tidvex::main
