// frmMain, the main window's form: its controls under the window's names, typed
// as the control interfaces, and nothing of Win32. The controls are made by the
// factory handed in (the window's makes child windows, a test's in-memory
// controls) from the design table; the form owns them.
//
// The form also holds what the window itself does for the form's procedures
// (WindowCalls). Members are added here as the window's pages are built.
#pragma once

#include "controls/controls.h"
#include "controls/extra_timer.h"
#include "engine/clean_options.h"

#include <array>
#include <cstdint>
#include <functional>
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

// The controls a cleaning reads (chkCleanSett, chkSettings, txtCustomExt,
// cmbDrives, lstBlackList) come from engine::CleaningForm under the same names.
// Options page and schedule: what they ask of the world outside the form. The
// window sets them; tests put recorders and scripted answers in. An empty member
// does nothing (showMe then answers "Ok", the dialogs "Cancel").
struct OptionsCalls {
    // The program's message box over the main window: the pressed button's result code.
    std::function<int(const std::string& text, bool is2Buttons, const std::string& button1,
                      const std::string& button2, int icon)>
        showMe;
    // The open-file dialog's result as the platform gives it ("Cancel" when cancelled).
    std::function<std::string(const std::string& title, const std::string& filter, bool multiSelect)> openFiles;
    // The folder picker's result (empty when cancelled).
    std::function<std::string(const std::string& title)> browseForFolder;
    // The registry-key dialog, modal over the main window, adding to the safe list or the black list.
    std::function<void(bool isSafeItem)> showRegistryDialog;
    // Opens a file or address with the shell verb "Open" in a normal window.
    std::function<void(const std::string& target)> shellOpen;
    // Ends the Windows session: 2 restart, 8 power-off, both forced.
    std::function<void(int mode)> exitWindows;
    // The other pages' operations the schedule and the links use.
    std::function<bool()> isCleaning;             // a cleaning runs
    std::function<void()> startCleaning;          // the cleaner page's Start/Stop
    std::function<void(int page)> showPage;       // a toolbar page
    std::function<void()> hideScanSettings;       // the clean-settings panel hidden
    std::function<void()> showWindow;             // window state normal and visible
};

// The platform's calls for OptionsCalls' shellOpen and exitWindows.
void PlatformShellOpen(const std::string& target);
void PlatformExitWindows(int mode);

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

    // ---- Options page ----
    OptionsCalls optionsCalls;
    std::array<controls::Button*, 6> cmdOptions{};
    controls::TabStrip* tbOptions = nullptr;
    controls::Label* gOptionsTitle = nullptr;
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
    controls::Label* barSched1 = nullptr;
    controls::Label* barSched2 = nullptr;
    controls::Label* lblVersion = nullptr;
    controls::Label* lblWebSite = nullptr;
    controls::Picture* picLogo = nullptr;
    // The links of the window's top.
    controls::Label* lblHelp = nullptr;
    controls::Label* lblUpdate = nullptr;
    controls::Label* lblAbout = nullptr;
    // The schedule's interval timer over its one-second timer.
    controls::Timer* tmrScheduleClock = nullptr;
    std::unique_ptr<controls::ExtraTimer> tmrSchedule;

    void cmdOptions_Click(int Index);
    void tbOptions_BeforeClick(int newTab, bool& Cancel);
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
    void lblGoToSettings_MouseUp(int Button);

    // ---- Schedule (Options page, Schedule tab) ----
    void ApplyTimeSchedule();
    void ApplyWhenWindowsShutDown();
    void chkTimeSchedule_Click();
    void optTimeSchedule_Click(int Index);
    void chkSessionSchedule_Click();
    void chkWhenWindowStarts_Click();
    void chkWhenWindowsShuts_Click();
    void tmrSchedule_Timer();
    // The close request's part for a Windows session that is ending (reason 2):
    // true when the close is to be cancelled for the shutdown cleaning.
    bool HoldBackForShutdownClean(int UnloadMode);
    void tmrShutDownClean_Timer();

    // ---- Main window: the timer of the shutdown cleaning ----
    controls::Timer* tmrShutDownClean = nullptr;

private:
    void WireOptionsPage();
    void WireSchedule();
    int Say(const std::string& text);
    void AddToList(const std::string& path, std::int32_t type, bool toSafe);
    void AddFiles(bool toSafe);
    void AddFolder(bool toSafe);
    void AddDropped(const std::vector<std::string>& paths, bool toSafe);
    void AddRegistryKey(bool toSafe);
    void Open(const std::string& target);
    void ShowOptionsTab(int tab);
    void Cleaning();
    void SessionBoxesUsable();
    template <class T>
    T* Keep(std::unique_ptr<T> control);

    WindowCalls& window_;
    std::vector<std::shared_ptr<void>> controls_;
};

}  // namespace tidvex::main
