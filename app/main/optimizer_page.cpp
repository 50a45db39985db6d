// The optimizer page: eleven tweaks of the Quenza optimizer object as check
// boxes, read once at start-up and all written at every "Apply All", and the
// drives to lock, which the settings keep.
#include "main/form.h"

#include "errors/run_time_error.h"
#include "main/run_time_report.h"
#include "registry/registry.h"
#include "services/settings_store.h"
#include "text/text.h"

#include <algorithm>
#include <charconv>
#include <string>

namespace tidvex::main {
namespace {

using Setter = void (OptimizerObject::*)(bool);
using Reader = bool (OptimizerObject::*)();

// The setter and the reader of boxes 0 to 9 by index; box 1 (with the
// connection count) has calls of its own, and so has box 10 (with the drives).
struct Switch {
    Setter set;
    Reader read;
};
constexpr Switch kSwitches[] = {
    {&OptimizerObject::OPZBroadBand, &OptimizerObject::IsBroadBand},
    {nullptr, nullptr},
    {&OptimizerObject::OPZAutoBootDisk, &OptimizerObject::IsAutoBootDisk},
    {&OptimizerObject::OPZHardDiskWhenIdle, &OptimizerObject::IsHardDiskWhenIdle},
    {&OptimizerObject::OPZDisableLowDiskSpaceNote, &OptimizerObject::IsDisableLowDiskSpaceNote},
    {&OptimizerObject::OPZAddNewOption2CopyMove, &OptimizerObject::IsAddNewOption2CopyMove},
    {&OptimizerObject::OPZDisableSaveSettings, &OptimizerObject::IsDisableSaveSettings},
    {&OptimizerObject::OPZRestoreOpenFolders, &OptimizerObject::IsRestoreOpenFolders},
    {&OptimizerObject::OPZDisableControlPanel, &OptimizerObject::IsDisableControlPanel},
    {&OptimizerObject::OPZDisableRecentDocHistory, &OptimizerObject::IsDisableRecentDocHistory},
};

constexpr int kSimConnections = 1;
constexpr int kDisableSaveSettings = 6;
constexpr int kRestoreOpenFolders = 7;
constexpr int kLockDrives = 10;
constexpr std::int16_t kNotSet = -1;
constexpr std::int16_t kDefaultConnections = 2;
constexpr std::int16_t kFewestConnections = 1;
constexpr std::int16_t kMostConnections = 16;
constexpr int kNoticeIcon = 2;

int Box(bool on) { return on ? -1 : 0; }

// The count the combo shows, as a 16-bit number: blanks around it allowed, any
// other text is 13 "Type mismatch" and a number beyond 16 bits 6 "Overflow".
std::int16_t ConnectionCount(const std::string& shown) {
    const std::string number = text::Trim(shown);
    const char* begin = number.data();
    const char* end = begin + number.size();
    if (begin != end && *begin == '+') ++begin;
    long value = 0;
    auto [stop, error] = std::from_chars(begin, end, value);
    if (begin == end || stop != end || error == std::errc::invalid_argument)
        throw RunTimeError::Of(kTypeMismatch, "cmdOptimizeApply_Click");
    if (error != std::errc() || value < -32768 || value > 32767)
        throw RunTimeError::Of(kOverflow, "cmdOptimizeApply_Click");
    return static_cast<std::int16_t>(value);
}

std::string OptimizerSection() { return std::string(services::SettingsKey) + services::kOptimizerSection; }

}  // namespace

void frmMain::MakeOptimizerPage(controls::ControlFactory& factory) {
    made_.Make(factory, DesignRows(FormPart::OptimizerPage));
    TIDVEX_BIND(made_, cmdOptimizer, tbOptimizer, chkOptimizer, cmbConnections, lblOptimizerText, lstPreventAccess,
                cmdOptimizeApply, cmdOptimizeCancel);

    ClickEach(cmdOptimizer, &frmMain::cmdOptimizer_Click);
    GuardTabs(*tbOptimizer, cmdOptimizer);
    ClickEach(chkOptimizer, &frmMain::chkOptimizer_Click);
    cmdOptimizeApply->OnClick = [this] { cmdOptimizeApply_Click(); };
    cmdOptimizeCancel->OnClick = [this] { cmdOptimizeCancel_Click(); };
}

std::string frmMain::LockedDrivesText() const {
    std::string text = "|";
    for (int i = 0; i < lstPreventAccess->ListCount(); ++i) {
        const std::string entry = text::Narrow(lstPreventAccess->List(i));
        if (lstPreventAccess->Checked(i) && !entry.empty()) text += entry.substr(0, 1) + "|";
    }
    return text;
}

void frmMain::cmdOptimizeApply_Click() {
    EndingOnError("Apply All", [this] {
        auto on = [this](int box) { return chkOptimizer[static_cast<size_t>(box)]->Value() != 0; };
        // A count that is no number stops Apply before any tweak is written.
        const std::int16_t count = ConnectionCount(cmbConnections->Text());
        for (int box = 0; box < kLockDrives; ++box) {
            if (box == kSimConnections)
                Optimizer->OPZSimConnecions(on(box), count);
            else
                (Optimizer.get()->*kSwitches[box].set)(on(box));
        }
        std::string drives = "|";
        if (on(kLockDrives)) drives = LockedDrivesText();
        Optimizer->OPZLockHardDrives(on(kLockDrives), drives);
        SaveLockedDrives(drives);
        Outside().ShowMe("Optimization settings have been applied successfully.", false, "Ok", "", kNoticeIcon);
    });
}

void frmMain::cmdOptimizeCancel_Click() { cmdToolBar_Click(0); }

void frmMain::cmdOptimizer_Click(int Index) {
    SelectSubPage(cmdOptimizer, *tbOptimizer, Index);
}

void frmMain::chkOptimizer_Click(int Index) {
    auto on = [this](int box) { return chkOptimizer[static_cast<size_t>(box)]->Value() != 0; };
    if (Index == kLockDrives) lstPreventAccess->Enabled(on(kLockDrives));
    if (Index == kDisableSaveSettings) chkOptimizer[kRestoreOpenFolders]->Enabled(!on(kDisableSaveSettings));
}

void frmMain::SaveLockedDrives(const std::string& sLockedDrives) {
    services::CRegister().REGSaveSetting(registry::kLocalMachine, OptimizerSection(), "LockedDrives", sLockedDrives);
}

void frmMain::LoadLockedDrives() {
    try {
        const std::string stored =
            services::CRegister().REGGetSetting(registry::kLocalMachine, OptimizerSection(), "LockedDrives", "");
        if (stored.empty()) return;
        // The parts between the bars, compared exactly; empty parts match nothing.
        const std::string parts = "|" + stored + "|";
        for (int i = 0; i < lstPreventAccess->ListCount(); ++i) {
            const std::string first = text::Narrow(lstPreventAccess->List(i).substr(0, 1));
            if (!first.empty() && parts.find("|" + first + "|") != std::string::npos) lstPreventAccess->Checked(i, true);
        }
    } catch (...) {
        // The drives stay as they are.
    }
}

void frmMain::LoadOptimizerSettings() {
    auto set = [this](int box, bool state) { chkOptimizer[static_cast<size_t>(box)]->Value(Box(state)); };
    set(0, Optimizer->IsBroadBand());
    const std::int16_t count = Optimizer->GetSimConnecions();
    if (count == kNotSet) {
        set(kSimConnections, false);
        cmbConnections->ListIndex(kDefaultConnections - 1);
    } else {
        set(kSimConnections, true);
        // A count beyond the combo's items shows as the nearest one.
        cmbConnections->ListIndex(std::clamp(count, kFewestConnections, kMostConnections) - 1);
    }
    for (int box = kSimConnections + 1; box < kLockDrives; ++box) set(box, (Optimizer.get()->*kSwitches[box].read)());
    set(kLockDrives, Optimizer->IsLockHardDrives());
    // The boxes that rule others rule them from the start, as a click would.
    lstPreventAccess->Enabled(chkOptimizer[kLockDrives]->Value() != 0);
    chkOptimizer[kRestoreOpenFolders]->Enabled(chkOptimizer[kDisableSaveSettings]->Value() == 0);
}

}  // namespace tidvex::main
