#include "main/form.h"

#include "main/form_design.h"
#include "services/logger.h"

#include <initializer_list>

namespace tidvex::main {

template <class T>
T* frmMain::Keep(std::unique_ptr<T> control) {
    T* raw = control.get();
    controls_.push_back(std::shared_ptr<T>(std::move(control)));
    return raw;
}

frmMain::frmMain(controls::ControlFactory& factory, WindowCalls& window) : window_(window) {
    auto check = [&](const char* name, int index = -1) { return Keep(factory.MakeCheckBox(Design(name, index))); };
    auto option = [&](const char* name, int index) { return Keep(factory.MakeOptionButton(Design(name, index))); };

    for (int i = 0; i < engine::kCleanSettCount; ++i) chkCleanSett[static_cast<size_t>(i)] = check("chkCleanSett", i);
    chkInternet = check("chkInternet");
    chkSystem = check("chkSystem");
    chkRegistry = check("chkRegistry");
    txtCustomExt = Keep(factory.MakeTextBox(Design("txtCustomExt")));

    for (int i = 0; i < static_cast<int>(chkSettings.size()); ++i) chkSettings[static_cast<size_t>(i)] = check("chkSettings", i);
    cmbDrives = Keep(factory.MakeComboBox(Design("cmbDrives")));
    lstSafeList = Keep(factory.MakeListBox(Design("lstSafeList")));
    lstBlackList = Keep(factory.MakeListBox(Design("lstBlackList")));
    cmbShredMethod = Keep(factory.MakeComboBox(Design("cmbShredMethod")));

    chkTimeSchedule = check("chkTimeSchedule");
    for (int i = 0; i < static_cast<int>(optTimeSchedule.size()); ++i)
        optTimeSchedule[static_cast<size_t>(i)] = option("optTimeSchedule", i);
    chkSessionSchedule = check("chkSessionSchedule");
    chkWhenWindowStarts = check("chkWhenWindowStarts");
    chkWhenWindowsShuts = check("chkWhenWindowsShuts");
    for (int i = 0; i < static_cast<int>(optSessionSchedule.size()); ++i)
        optSessionSchedule[static_cast<size_t>(i)] = option("optSessionSchedule", i);

    MakeToolBar(factory);
    MakeShredderPage(factory);
    MakeOptimizerPage(factory);

    // The event log writes while "Log errors and events to text file" is checked.
    services::gLogger().SetSwitch(chkSettings[2]);
}

frmMain::~frmMain() { services::gLogger().SetSwitch(nullptr); }

namespace {

// How many rows of one control array the design table holds.
int DesignCount(const char* name) {
    int count = 0;
    for (const auto& control : FormDesign()) count += control.name == name;
    return count;
}

// The shredding bars: the two-tone style with the percentage shown, in the
// design colour (the colour scheme sets its own later).
constexpr int kTwoToneStyle = 5;
constexpr COLORREF kBarColor = 0xC56A31;

}  // namespace

void frmMain::MakeToolBar(controls::ControlFactory& factory) {
    for (int i = 0; i < static_cast<int>(cmdToolBar.size()); ++i)
        cmdToolBar[static_cast<size_t>(i)] = Keep(factory.MakeButton(Design("cmdToolBar", i)));
}

void frmMain::MakeShredderPage(controls::ControlFactory& factory) {
    auto button = [&](const char* name, int index = -1) { return Keep(factory.MakeButton(Design(name, index))); };
    auto label = [&](const char* name, int index = -1) { return Keep(factory.MakeLabel(Design(name, index))); };
    auto bar = [&](const char* name) {
        auto* b = Keep(factory.MakeProgressBar(Design(name)));
        b->Scrolling(kTwoToneStyle);
        b->ShowText(true);
        b->Color(kBarColor);
        return b;
    };

    for (int i = 0; i < static_cast<int>(cmdShredder.size()); ++i) {
        cmdShredder[static_cast<size_t>(i)] = button("cmdShredder", i);
        cmdShredder[static_cast<size_t>(i)]->OnClick = [this, i] { cmdShredder_Click(i); };
    }
    tbShredder = Keep(factory.MakeTabStrip(Design("tbShredder")));
    lstFiles = Keep(factory.MakeListBox(Design("lstFiles")));
    lstFiles->OnDropFiles = [this](const std::vector<std::string>& paths) { lstFiles_OLEDragDrop(paths); };
    cmdAddFiles = button("cmdAddFiles");
    cmdAddFiles->OnClick = [this] { cmdAddFiles_Click(); };
    cmdAddFolder = button("cmdAddFolder");
    cmdAddFolder->OnClick = [this] { cmdAddFolder_Click(); };
    cmdRemoveShredItem = button("cmdRemoveShredItem");
    cmdRemoveShredItem->OnClick = [this] { cmdRemoveShredItem_Click(); };
    cmdRemoveAllShred = button("cmdRemoveAllShred");
    cmdRemoveAllShred->OnClick = [this] { cmdRemoveAllShred_Click(); };
    lstDrives = Keep(factory.MakeListBox(Design("lstDrives")));
    lstDrives->OnItemCheck = [this](int index) { lstDrives_ItemCheck(index); };
    cmbShredMethod->OnClick = [this] { cmbShredMethod_Click(); };
    cmdStartShred = button("cmdStartShred");
    cmdStartShred->OnClick = [this] { cmdStartShred_Click(); };
    chkShredShutdown = Keep(factory.MakeCheckBox(Design("chkShredShutdown")));
    prgItemShred = bar("prgItemShred");
    prgTotalShred = bar("prgTotalShred");
    lblItemProgress = label("lblItemProgress");
    lblTotalProgress = label("lblTotalProgress");
    lblShredLabel = label("lblShredLabel");
    for (int i = 0; i < DesignCount("lblShredText"); ++i) lblShredText.push_back(label("lblShredText", i));
    // No shredding runs yet.
    for (controls::Control* c : std::initializer_list<controls::Control*>{
             lblItemProgress, lblTotalProgress, lblShredLabel, prgItemShred, prgTotalShred})
        c->Visible(false);
}

void frmMain::MakeOptimizerPage(controls::ControlFactory& factory) {
    for (int i = 0; i < static_cast<int>(cmdOptimizer.size()); ++i) {
        cmdOptimizer[static_cast<size_t>(i)] = Keep(factory.MakeButton(Design("cmdOptimizer", i)));
        cmdOptimizer[static_cast<size_t>(i)]->OnClick = [this, i] { cmdOptimizer_Click(i); };
    }
    tbOptimizer = Keep(factory.MakeTabStrip(Design("tbOptimizer")));
    for (int i = 0; i < static_cast<int>(chkOptimizer.size()); ++i) {
        chkOptimizer[static_cast<size_t>(i)] = Keep(factory.MakeCheckBox(Design("chkOptimizer", i)));
        chkOptimizer[static_cast<size_t>(i)]->OnClick = [this, i] { chkOptimizer_Click(i); };
    }
    cmbConnections = Keep(factory.MakeComboBox(Design("cmbConnections")));
    lstPreventAccess = Keep(factory.MakeListBox(Design("lstPreventAccess")));
    cmdOptimizeApply = Keep(factory.MakeButton(Design("cmdOptimizeApply")));
    cmdOptimizeApply->OnClick = [this] { cmdOptimizeApply_Click(); };
    cmdOptimizeCancel = Keep(factory.MakeButton(Design("cmdOptimizeCancel")));
    cmdOptimizeCancel->OnClick = [this] { cmdOptimizeCancel_Click(); };
    for (int i = 0; i < DesignCount("lblOptimizerText"); ++i)
        lblOptimizerText.push_back(Keep(factory.MakeLabel(Design("lblOptimizerText", i))));
}

}  // namespace tidvex::main
