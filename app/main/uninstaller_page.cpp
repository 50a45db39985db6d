// The Tools page's uninstaller: the installed programs in a grid that shows
// their names; run an uninstaller and wait for it, remove or rename an entry,
// save the names to a text file.
#include "main/form.h"

#include "fs/whole_file.h"
#include "services/helpers.h"
#include "services/logger.h"
#include "text/text.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tidvex::main {
namespace {

// Columns of the uninstall grid: the record's fields in order.
constexpr int kUninsNameColumn = 1;
constexpr int kUninsPathColumn = 2;
constexpr int kUninsKeyColumn = 4;
constexpr int kUninsColumns = 5;

constexpr COLORREF kActiveBack = RGB(122, 150, 223);
constexpr COLORREF kHeaderBack = RGB(75, 99, 150);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

controls::GridColumn NameColumn(int width, bool editable) { return {" Application", width, false, false, !editable}; }

// The grid's colours: the active row in the page's blue, or white with black
// text while its name is being edited; the header dark blue with white text.
controls::GridColors UninstallColors(bool editing) {
    return {kWhite, kBlack, editing ? kWhite : kActiveBack, editing ? kBlack : kWhite, kHeaderBack, kWhite};
}

// The name the list is saved under: ".txt" added unless it ends so (in any
// letter case).
std::wstring TextFileName(std::wstring chosen) {
    if (chosen.size() < 4 || !text::EqualsNoCase(std::wstring_view(chosen).substr(chosen.size() - 4), L".txt"))
        chosen += L".txt";
    return chosen;
}

// The saved list: code-page text as ever while every name fits the code page;
// otherwise UTF-16 text (with its byte-order mark), so that no name is
// written as a look-alike.
std::string ListFileContent(const std::vector<std::wstring>& names) {
    std::wstring lines;
    for (const auto& name : names) lines += name + L"\r\n";
    if (auto narrow = text::NarrowExact(lines)) return *narrow;
    std::string content("\xFF\xFE", 2);
    content.append(reinterpret_cast<const char*>(lines.data()), lines.size() * sizeof(wchar_t));
    return content;
}

}  // namespace

void frmMain::MakeUninstallTab(controls::ControlFactory& factory) {
    made_.Make(factory, DesignRows(FormPart::UninstallTab));
    TIDVEX_BIND(made_, Grid2, cmdUninstall, cmdRemoveEntry, cmdRenameEntry, cmdSaveUins2txt);

    cmdUninstall->OnClick = [this] { cmdUninstall_Click(); };
    cmdRemoveEntry->OnClick = [this] { cmdRemoveEntry_Click(); };
    cmdRenameEntry->OnClick = [this] { cmdRenameEntry_Click(); };
    cmdSaveUins2txt->OnClick = [this] { cmdSaveUins2txt_Click(); };
    Grid2->OnBeforeUpdate = [this](int row, int column, const std::wstring& text, bool& cancel) {
        Grid2_BeforeUpdate(row, column, text, cancel);
    };
    Grid2->OnAfterEdit = [this](int, int) { Grid2_AfterEdit(); };
}

void frmMain::CreateUninstaller() {
    Uninstaller = Outside().NewUninstaller();
}

void frmMain::RefreshUninstallList() {
    try {
        const auto uninstaller = Uninstaller;
        if (!uninstaller) return;
        auto list = uninstaller->FillUninstallList();
        UninstallList = list ? std::move(*list) : services::UninstallRecordset();
        InitUninstallGrid();
    } catch (...) {
    }
}

void frmMain::InitUninstallGrid() {
    try {
        std::vector<controls::GridRow> rows;
        rows.reserve(UninstallList.size());
        for (const auto& r : UninstallList)
            rows.push_back({std::to_wstring(r.ID), r.Name, r.UninsPath, r.iconPath, r.KeyName});
        Grid2->DataSource(rows, kUninsColumns);
        for (int c = 0; c < kUninsColumns; ++c) Grid2->Layout(c, {"", 0, true, false, true});
        Grid2->Layout(kUninsNameColumn, NameColumn(Outside().Pixels(8000), false));
        Grid2->Colors(UninstallColors(false));
    } catch (...) {
        services::gLogger().LoggError(CurrentError(), "InitUninstallGrid");
    }
}

bool frmMain::UninstallRowChosen(int& row) {
    row = Grid2->ActiveRow();
    if (row >= 0) return true;
    Outside().MsgBoxExclamation("No Application selected, please select an application first");
    return false;
}

void frmMain::cmdUninstall_Click() {
    int row = -1;
    const auto uninstaller = Uninstaller;
    if (!uninstaller || !UninstallRowChosen(row)) return;
    uninstaller->UninstallItem(Grid2->Cell(row, kUninsPathColumn), true);
    Grid2->Unbind();
    RefreshUninstallList();
}

void frmMain::cmdRemoveEntry_Click() {
    int row = -1;
    const auto uninstaller = Uninstaller;
    if (!uninstaller || !UninstallRowChosen(row)) return;
    uninstaller->RemoveEntry(Grid2->Cell(row, kUninsKeyColumn));
    RefreshUninstallList();
}

void frmMain::cmdRenameEntry_Click() {
    int row = -1;
    if (!UninstallRowChosen(row)) return;
    Grid2->Layout(kUninsNameColumn, NameColumn(Outside().Pixels(8000), true));
    Grid2->Colors(UninstallColors(true));
    Grid2->Refresh();
    Grid2->EditActiveCell();
}

void frmMain::Grid2_BeforeUpdate(int row, int, const std::wstring& newText, bool& cancel) {
    Grid2_AfterEdit();
    if (newText.empty()) {
        Outside().ShowMe("Name can not be empty.", false, "Ok", "", 1);
        cancel = true;
        return;
    }
    try {
        if (!Uninstaller) throw RunTimeError::Of(kObjectNotSet);
        Uninstaller->RenameEntry(Grid2->Cell(row, kUninsKeyColumn), newText);
        const size_t at = static_cast<size_t>(row);
        if (at < UninstallList.size()) UninstallList[at].Name = newText;
    } catch (...) {
        Outside().ShowMe("Error occured while renaming.", false, "Ok", "", 1);
        cancel = true;
    }
}

void frmMain::Grid2_AfterEdit() {
    Grid2->Layout(kUninsNameColumn, NameColumn(Outside().Pixels(8000), false));
    Grid2->Colors(UninstallColors(false));
    Grid2->Refresh();
}

void frmMain::cmdSaveUins2txt_Click() {
    try {
        // The filter's pairs end in NUL; the dialog needs the last one.
        const std::wstring filter(L"Text Files(*.txt)\0*.txt\0", 24);
        std::wstring chosen = Outside().SaveFile(filter, L"Save As");
        chosen.resize(std::min(chosen.size(), chosen.find(L'\0')));
        if (chosen == L"Cancel" || chosen.empty()) return;
        std::vector<std::wstring> names;
        for (int i = 0; i < Grid2->Rows(); ++i) names.push_back(Grid2->Cell(i, kUninsNameColumn));
        // Exactly the file chosen; one already there is replaced only by a
        // complete new one, and a link of that name is replaced, never written through.
        fs::ReplaceFileContent(TextFileName(chosen), ListFileContent(names));
    } catch (...) {
        services::gLogger().LoggError(CurrentError(), "cmdSaveUins2txt_Click");
    }
}

}  // namespace tidvex::main
