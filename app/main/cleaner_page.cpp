// The Cleaner page: Start/Stop of a cleaning, the session's events shown as the
// current item, the finished items and the progress, the clean-settings panel
// with its scan areas, include buttons and custom extensions, and the hint
// arrow that points to it until it was opened.
#include "main/form.h"

#include "engine/clean_session.h"
#include "main/settings.h"
#include "services/logger.h"
#include "services/registry.h"
#include "services/settings_store.h"
#include "text/text.h"

#include <cmath>

namespace tidvex::main {

bool gIsCleaning = false;

namespace {

constexpr char kStart[] = "Start Cleaning";
constexpr char kStop[] = "Stop Cleaning";
constexpr char kReady[] = "Ready For Cleaning";
constexpr std::int16_t kIconNotice = 0, kIconError = 1;

// The program's session behind the page's interface.
class ProgramSession final : public CleaningSession {
public:
    explicit ProgramSession(const engine::CleaningForm& form) : session_(engine::clsCleanSession::Create(form)) {
        session_->CleaningItem = [this](std::string& s) { Raise(CleaningItem, s); };
        session_->CompleteCleaningItem = [this](std::string& s) { Raise(CompleteCleaningItem, s); };
        session_->Progress = [this](double& p) { Raise(Progress, p); };
        session_->CleaningDone = [this] {
            if (CleaningDone) CleaningDone();
        };
    }
    void isCleanBrowsers(bool on) override { session_->isCleanBrowsers(on); }
    void isCleanChat(bool on) override { session_->isCleanChat(on); }
    void isCleanHD(bool on) override { session_->isCleanHD(on); }
    void isCleanWindows(bool on) override { session_->isCleanWindows(on); }
    void isCleanOffice(bool on) override { session_->isCleanOffice(on); }
    void isCleanRegistry(bool on) override { session_->isCleanRegistry(on); }
    bool StartClean() override { return session_->StartClean(); }
    void StopClean() override { session_->StopClean(); }

private:
    template <class H, class A>
    static void Raise(const H& handler, A& arg) {
        if (handler) handler(arg);
    }
    std::shared_ptr<engine::clsCleanSession> session_;
};

bool Checked(const controls::CheckBox& box) { return box.Value() != 0; }

}  // namespace

std::shared_ptr<CleaningSession> MakeCleanSession(const engine::CleaningForm& form) {
    return std::make_shared<ProgramSession>(form);
}

void frmMain::MakeCleanerPage(controls::ControlFactory& factory) {
    made_.Make(factory, DesignRows(FormPart::CleanerPage));
    TIDVEX_BIND(made_, cmdStartCleaning, lblChangeCleanSettings, lblArrow, lblArrowText, lblCleanItem, prgClean,
                asxLabel3, lstCompleteClean, chkCloseAfterClean, frScanSettings, Label1, lblBack2Clean, chkInternet,
                chkSystem, chkRegistry, cmdInclude, gCSettingsTitle, tbCSettings, chkCleanSett, txtCustomExt,
                cmdSaveCustomExt, lblCustomExtNote, lblHDCleaner, lblGoToSettings, lblIEDisabled, lblFireFoxDisabled,
                lblNetscapeDisabled, lblOperaDisabled, lblMSNDisable, lblYahooDisanled, lblICQDisabled, tmrCleanItem,
                tmrArrow);
    DressProgressBar(*prgClean);

    cmdStartCleaning->OnClick = [this] { cmdStartCleaning_Click(); };
    lblChangeCleanSettings->OnMouseUp = [this](int b) { lblChangeCleanSettings_MouseUp(b); };
    lblBack2Clean->OnMouseUp = [this](int b) { lblBack2Clean_MouseUp(b); };
    chkInternet->OnClick = [this] { chkInternet_Click(); };
    chkSystem->OnClick = [this] { chkSystem_Click(); };
    chkRegistry->OnClick = [this] { chkRegistry_Click(); };
    ClickEach(chkCleanSett, &frmMain::chkCleanSett_Click);
    ClickEach(cmdInclude, &frmMain::cmdInclude_Click);
    cmdSaveCustomExt->OnClick = [this] { cmdSaveCustomExt_Click(); };
    // The link beside the hard-disk note leads to the drive to clean.
    lblGoToSettings->OnMouseUp = [this](int b) {
        if (b != controls::kLeftButton) return;
        cmdToolBar_Click(5);
        cmdOptions_Click(0);
    };
    tmrCleanItem->OnTimer = [this] { tmrCleanItem_Timer(); };
    tmrArrow->OnTimer = [this] { tmrArrow_Timer(); };
}

void frmMain::cmdStartCleaning_Click() {
    const std::string caption = cmdStartCleaning->Caption();
    const bool starting = caption == kStart;
    try {
        if (starting) StartCleaning();
        else if (caption == kStop) StopCleaning();
    } catch (...) {
        const RunTimeError error = CurrentError();
        Outside().ShowMe("Error occurred while scanning. Scanning aborted.\r\n" + error.Description(), false, "Ok",
                          "", kIconError);
        // A start that failed leaves nothing running: back to idle, so that
        // the user is not left with a "Stop Cleaning" that stops nothing.
        if (starting && !startCleanRunning_) CleaningIdle();
        EnableToolbar();
    }
}

void frmMain::StartCleaning() {
    // The earlier cleaning, stopped, is still unwinding inside its StartClean:
    // a second one must not run inside it.
    if (startCleanRunning_) return;
    DisableToolbar();
    gIsCleaning = true;
    SaveCleanSettings(*this);
    lblCleanItem->Caption("Starting...");
    PendingCleanItem = "Starting...";
    cmdStartCleaning->Caption(kStop);
    mnuTray->Caption(mnuClean, cmdStartCleaning->Caption());

    std::shared_ptr<CleaningSession> session = Outside().NewCleanSession(*this);
    cClean = session;
    // Events of a session the window has dropped go nowhere.
    CleaningSession* const raw = session.get();
    session->CleaningItem = [this, raw](std::string& s) {
        if (cClean.get() == raw) cClean_CleaningItem(s);
    };
    session->CompleteCleaningItem = [this, raw](std::string& s) {
        if (cClean.get() == raw) cClean_CompleteCleaningItem(s);
    };
    session->Progress = [this, raw](double& p) {
        if (cClean.get() == raw) cClean_Progress(p);
    };
    session->CleaningDone = [this, raw] {
        if (cClean.get() == raw) cClean_CleaningDone();
    };
    engine::SetCleanSettings(*this);
    lstCompleteClean->Clear();

    session->isCleanBrowsers(Checked(*chkInternet));
    session->isCleanChat(Checked(*chkInternet));
    session->isCleanHD(Checked(*chkSystem));
    session->isCleanWindows(Checked(*chkSystem));
    session->isCleanOffice(Checked(*chkSystem));
    session->isCleanRegistry(Checked(*chkRegistry));

    tmrCleanItem->Enabled(true);
    bool ran = false;
    startCleanRunning_ = true;
    try {
        ran = session->StartClean();
    } catch (...) {
        startCleanRunning_ = false;
        throw;
    }
    startCleanRunning_ = false;
    // A session that failed (it logged why) while the window still holds it
    // ends as a stop does.
    if (!ran && cClean == session) {
        lstCompleteClean->AddItem("Cleaning Aborted.");
        CleaningIdle();
    }
    EnableToolbar();
}

void frmMain::StopCleaning() {
    tmrCleanItem->Enabled(false);
    if (cClean) cClean->StopClean();
    prgClean->Value(0);
    lstCompleteClean->AddItem("Cleaning Aborted.");
    CleaningIdle();
}

void frmMain::CleaningIdle() {
    tmrCleanItem->Enabled(false);
    prgClean->Value(0);
    gIsCleaning = false;
    cmdStartCleaning->Caption(kStart);
    mnuTray->Caption(mnuClean, cmdStartCleaning->Caption());
    PendingCleanItem = kReady;
    lblCleanItem->Caption(kReady);
    cClean.reset();
    EnableToolbar();
}

void frmMain::cClean_CleaningItem(std::string& sItem) { PendingCleanItem = sItem; }

void frmMain::tmrCleanItem_Timer() {
    if (lblCleanItem->Caption() != PendingCleanItem) lblCleanItem->Caption(PendingCleanItem);
}

void frmMain::tmrArrow_Timer() { lblArrow->Visible(!lblArrow->Visible()); }

void frmMain::cClean_CompleteCleaningItem(std::string& sItem) {
    lstCompleteClean->AddItem(sItem);
    lstCompleteClean->ListIndex(lstCompleteClean->ListCount() - 1);
}

void frmMain::cClean_Progress(double& Progress) {
    prgClean->Value(static_cast<int>(std::floor(Progress)));
}

void frmMain::cClean_CleaningDone() {
    try {
        tmrCleanItem->Enabled(false);
        lstCompleteClean->AddItem("Cleaning Done.");
        cmdStartCleaning->Caption(kStart);
        mnuTray->Caption(mnuClean, cmdStartCleaning->Caption());
        lblCleanItem->Caption(kReady);
        PendingCleanItem = kReady;
        // The session is still inside its StartClean: it stays alive until
        // that returns.
        std::shared_ptr<CleaningSession> session = std::move(cClean);
        if (session) session->StopClean();
        gIsCleaning = false;
        lstCompleteClean->ListIndex(lstCompleteClean->ListCount() - 1);
        // The window closes once this handler and the session's call have
        // returned, never from inside the session's event.
        if (chkCloseAfterClean->Value() == -1) Outside().PostUnload();
        prgClean->Value(0);
        frPage[1]->Refresh();
    } catch (...) {
        services::gLogger().LoggError(CurrentError(), "cClean_CleaningDone");
    }
}

void frmMain::EnableToolbar() {
    for (auto* button : cmdToolBar) button->Enabled(true);
    // The shown page's button stays pressed in.
    if (CurrentPageIndex >= 0 && CurrentPageIndex < static_cast<int>(cmdToolBar.size()))
        cmdToolBar[static_cast<size_t>(CurrentPageIndex)]->Enabled(false);
    lblAbout->Enabled(true);
}

void frmMain::DisableToolbar() {
    for (auto* button : cmdToolBar) button->Enabled(false);
    lblAbout->Enabled(false);
}

void frmMain::lblChangeCleanSettings_MouseUp(int Button) {
    if (Button != controls::kLeftButton || gIsCleaning) return;
    controls::Panel& page = *frPage[1];
    frScanSettings->Move(0, 0, page.Width(), page.Height());
    chkCloseAfterClean->Visible(false);
    frScanSettings->Visible(true);
    frScanSettings->ZOrder();
    frScanSettings->Refresh();
    if (tmrArrow->Enabled()) {
        tmrArrow->Enabled(false);
        lblArrow->Visible(false);
        lblArrowText->Visible(false);
        CreateMarker(kWarnMarker);
    }
    const int groups[6] = {0, 0, 1, 1, 1, 2};
    const controls::CheckBox* areas[3] = {chkInternet, chkSystem, chkRegistry};
    for (size_t i = 0; i < cmdInclude.size(); ++i) {
        const controls::CheckBox& area = *areas[groups[i]];
        cmdInclude[i]->Enabled(Checked(area));
        cmdInclude[i]->Value(area.Value());
    }
    lblHDCleaner->Caption("The hard drive cleaner will scan drive " + cmbDrives->Text().substr(0, 1) +
                          ", if you want to select another drive, go to");
}

void frmMain::lblBack2Clean_MouseUp(int Button) {
    if (Button != controls::kLeftButton) return;
    HideCleanSettings();
}

void frmMain::HideCleanSettings() {
    frScanSettings->Visible(false);
    // The close-after-cleaning box, hidden while the panel was open, returns.
    chkCloseAfterClean->Visible(true);
}

namespace {

// A scan area's include buttons follow its box; then the first of them is pressed.
template <class Press>
void AreaClicked(const controls::CheckBox& area, const std::array<controls::Button*, 6>& include, int first, int last,
                 Press press) {
    for (int i = first; i <= last; ++i) {
        include[static_cast<size_t>(i)]->Enabled(Checked(area));
        include[static_cast<size_t>(i)]->Value(area.Value());
    }
    press(first);
}

}  // namespace

void frmMain::chkInternet_Click() { AreaClicked(*chkInternet, cmdInclude, 0, 1, [this](int i) { cmdInclude_Click(i); }); }
void frmMain::chkSystem_Click() { AreaClicked(*chkSystem, cmdInclude, 2, 4, [this](int i) { cmdInclude_Click(i); }); }
void frmMain::chkRegistry_Click() { AreaClicked(*chkRegistry, cmdInclude, 5, 5, [this](int i) { cmdInclude_Click(i); }); }

void frmMain::chkCleanSett_Click(int Index) {
    if (Index != 60) return;
    const bool on = Checked(*chkCleanSett[60]);
    txtCustomExt->Enabled(on);
    cmdSaveCustomExt->Enabled(on);
}

void frmMain::cmdInclude_Click(int Index) {
    if (Index < 0 || Index >= static_cast<int>(cmdInclude.size())) return;
    tbCSettings[static_cast<size_t>(Index)]->ZOrder();
    for (size_t i = 0; i < tbCSettings.size(); ++i) tbCSettings[i]->Visible(static_cast<int>(i) == Index);
    for (auto* button : cmdInclude) button->Selected(false);
    cmdInclude[static_cast<size_t>(Index)]->Selected(true);
    gCSettingsTitle->Caption(cmdInclude[static_cast<size_t>(Index)]->Caption());
}

void frmMain::cmdSaveCustomExt_Click() {
    const std::string text = text::Trim(txtCustomExt->Text());
    if (text.empty()) {
        txtCustomExt->Text("");
        return;
    }
    txtCustomExt->Text(text);
    if (text.find('*') == std::string::npos || text.find('.') == std::string::npos) {
        Outside().ShowMe("The custom extension is invalid, it must contains '.' and '*' ", false, "Ok", "", kIconNotice);
        txtCustomExt->SetFocus();
        return;
    }
    if (text.find_first_of(":|<>\"?/\\") != std::string::npos) {
        Outside().ShowMe(
            "The custom extension contains invalid character.\r\nThe Following charcters are not allowed: / \\ ? < > "
            "\" :",
            false, "Ok", "", kIconNotice);
        txtCustomExt->SetFocus();
        return;
    }
    services::CRegister settings;
    settings.REGSaveSetting(registry::kLocalMachine, std::string(services::SettingsKey) + services::kCleanSettingsSection,
                            "Custom Extension", text);
}

}  // namespace tidvex::main
