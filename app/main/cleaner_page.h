// The Cleaner page's controls and state (cleaner_page.cpp), and the cleaning
// session as the page drives it.
#pragma once

#include "controls/controls.h"
#include "engine/clean_options.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

namespace tidvex::main {

// A cleaning runs (set and cleared by the Cleaner page's Start/Stop).
extern bool gIsCleaning;

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

// The boxes a cleaning reads (chkCleanSett, txtCustomExt) are the form's
// engine::CleaningForm members.
struct CleanerPage {
    // The running session; empty when none runs.
    std::shared_ptr<CleaningSession> cClean;
    // The item being cleaned, shown by tmrCleanItem.
    std::string PendingCleanItem;

    controls::Button* cmdStartCleaning = nullptr;
    controls::Label *lblChangeCleanSettings{}, *lblArrow{}, *lblArrowText{}, *lblCleanItem{}, *asxLabel3{};
    controls::ProgressBar* prgClean = nullptr;
    controls::ListBox* lstCompleteClean = nullptr;
    controls::CheckBox* chkCloseAfterClean = nullptr;
    // The clean-settings panel over the page.
    controls::Panel* frScanSettings = nullptr;
    controls::Label *Label1{}, *lblBack2Clean{};
    controls::CheckBox *chkInternet{}, *chkSystem{}, *chkRegistry{};
    std::array<controls::Button*, 6> cmdInclude{};
    controls::Label* gCSettingsTitle = nullptr;
    std::array<controls::TabStrip*, 6> tbCSettings{};
    controls::Button* cmdSaveCustomExt = nullptr;
    std::array<controls::Label*, 2> lblCustomExtNote{};
    controls::Label *lblHDCleaner{}, *lblGoToSettings{}, *lblIEDisabled{}, *lblFireFoxDisabled{},
                    *lblNetscapeDisabled{}, *lblOperaDisabled{}, *lblMSNDisable{}, *lblYahooDisanled{},
                    *lblICQDisabled{};
    controls::Timer *tmrCleanItem{}, *tmrArrow{};

protected:
    // Start refused while an earlier StartClean is still on the stack.
    bool startCleanRunning_ = false;
};

}  // namespace tidvex::main
