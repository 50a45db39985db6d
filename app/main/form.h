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

#include <array>
#include <memory>
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

private:
    template <class T>
    T* Keep(std::unique_ptr<T> control);

    WindowCalls& window_;
    std::vector<std::shared_ptr<void>> controls_;
};

}  // namespace tidvex::main
