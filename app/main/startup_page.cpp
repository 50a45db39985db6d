// The Tools page's start-up manager: the entries Windows starts at log-on in a
// grid with a check box each; Apply removes the ones the user unchecked.
#include "main/form.h"

#include "services/logger.h"
#include "text/text.h"

namespace tidvex::main {
namespace {

using services::kStartupCheckColumn;
using services::kStartupLocationColumn;
using services::kStartupNameColumn;
using services::kStartupPathColumn;

bool Unchecked(const std::wstring& check) { return check == L"0"; }

}  // namespace

void frmMain::MakeStartupTab(controls::ControlFactory& factory) {
    made_.Make(factory, DesignRows(FormPart::StartupTab));
    TIDVEX_BIND(made_, lblStartupHint, Grid, cmdApplyStartup);

    cmdApplyStartup->OnClick = [this] { cmdApplyStartup_Click(); };
}

void frmMain::CreateStartupManager() {
    StartUpManager = Outside().NewStartUp();
}

void frmMain::RefreshStartupList() {
    try {
        const auto manager = StartUpManager;
        if (!manager) return;
        StartupList = manager->GetStartupList();
        InitStartupGrid();
        // What each row was when loaded: Apply removes only rows the user unchecked since.
        startupChecksAtLoad_.clear();
        FirstUncheckedRow = -1;
        for (int i = 0; i < Grid->Rows(); ++i) {
            startupChecksAtLoad_.push_back(Grid->Cell(i, kStartupCheckColumn));
            if (FirstUncheckedRow < 0 && Unchecked(startupChecksAtLoad_.back()))
                FirstUncheckedRow = static_cast<std::int16_t>(i);
        }
    } catch (...) {
        // A list that cannot be read leaves the grid as it was bound.
    }
}

void frmMain::InitStartupGrid() {
    try {
        Grid->DataSource(StartupList, services::kStartupColumns);
        Grid->Layout(0, {"", 0, true, false, true});
        Grid->Layout(kStartupCheckColumn, {" ", Outside().Pixels(500), false, true, false});
        Grid->Layout(kStartupNameColumn, {"Task Name", Outside().Pixels(1900), false, false, true});
        Grid->Layout(kStartupLocationColumn, {"Task Location", Outside().Pixels(2200), false, false, true});
        Grid->Layout(kStartupPathColumn, {"Task Path", Outside().Pixels(3500), false, false, true});
        // White rows, the active row light blue with black text, the headers dark blue with white text.
        Grid->Colors({.back = RGB(255, 255, 255),
                      .text = RGB(0, 0, 0),
                      .activeBack = RGB(125, 152, 224),
                      .activeText = RGB(0, 0, 0),
                      .headerBack = RGB(75, 99, 150),
                      .headerText = RGB(255, 255, 255)});
    } catch (...) {
        services::gLogger().LoggError(CurrentError(), "InitStartupGrid");
    }
}

std::int32_t frmMain::GetStartupLocationIndex(const std::string& location) {
    const auto& texts = services::StartupLocationTexts();
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == location) return static_cast<std::int32_t>(i);
    return 0;
}

void frmMain::cmdApplyStartup_Click() {
    const auto manager = StartUpManager;
    if (!manager) return;
    cmdApplyStartup->Enabled(false);
    try {
        manager->BeginApply();
        std::wstring removed;
        for (int i = 0; i < Grid->Rows(); ++i) {
            const size_t at = static_cast<size_t>(i);
            const bool wasChecked = at < startupChecksAtLoad_.size() && !Unchecked(startupChecksAtLoad_[at]);
            if (!wasChecked || !Unchecked(Grid->Cell(i, kStartupCheckColumn))) continue;
            std::wstring name = Grid->Cell(i, kStartupNameColumn);
            std::wstring path = Grid->Cell(i, kStartupPathColumn);
            std::int32_t location = GetStartupLocationIndex(text::Narrow(Grid->Cell(i, kStartupLocationColumn)));
            removed += (removed.empty() ? L"" : L" , ") + name;
            manager->RemoveStartupItem(name, path, location);
        }
        Grid->Unbind();
        RefreshStartupList();
        if (!removed.empty())
            Outside().ShowMe(text::ForLog(removed) + " will not run again at windows startup.", false, "Ok", "", 2);
    } catch (...) {
        Outside().ReportRunTimeError(CurrentError());
        // The list shows again what is really left.
        Grid->Unbind();
        RefreshStartupList();
    }
    cmdApplyStartup->Enabled(true);
}

}  // namespace tidvex::main
