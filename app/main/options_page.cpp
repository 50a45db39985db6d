// The Options page: its six sub-pages, the safe, black and cookie lists, the
// run-at-start-up value and the links to the help file and the maker's pages.
// The Schedule tab is schedule.cpp's.
#include "main/form.h"

#include "main/dialogs/registry_dialog.h"
#include "main/error_steps.h"
#include "main/form_design.h"
#include "main/options_page.h"
#include "services/helpers.h"
#include "services/lists.h"
#include "services/logger.h"
#include "services/program.h"
#include "services/registry.h"

#include "fs/canonical.h"
#include "text/text.h"

#include <windows.h>

namespace tidvex::main {

namespace {

using services::kBlackList;
using services::kCookieList;
using services::kSafeList;

constexpr int kStringValue = 1;  // REG_SZ
constexpr char kFilesTitle[] = "Please Select a file or group of files";
constexpr char kFolderTitle[] = "Please Select a folder";
constexpr char kCancelled[] = "Cancel";
constexpr int kOptionsPage = 5;
constexpr int kCookiesTab = 3;
constexpr int kAboutTab = 5;
// The version and product word the update page is asked about.
constexpr char kUpdateQuery[] = "updates.html?V=1.0.0.0&N=Tidvex";

// The running program's file name without ".exe".
std::wstring ExeName() {
    std::wstring name = services::ProgramFile();
    if (auto slash = name.find_last_of(L'\\'); slash != std::wstring::npos) name.erase(0, slash + 1);
    if (auto dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.erase(dot);
    return name;
}

// Every entry of the list box selected (on) or none.
void SelectAll(controls::ListBox& list, bool on) {
    for (int i = 0; i < list.ListCount(); ++i) list.Selected(i, on);
}

// Removes the selected entries from the box and from the list's file, last first.
void RemoveSelected(controls::ListBox& list, std::int32_t kind) {
    for (int i = list.ListCount() - 1; i >= 0; --i) {
        if (!list.Selected(i)) continue;
        // Every entry came in from the code page exactly, or it is in no file.
        if (const auto stored = text::NarrowExact(list.List(i))) services::RemoveItemFromList(*stored, kind);
        list.RemoveItem(i);
    }
}

}  // namespace

std::string RunAtStartupCommand(const std::string& option) {
    // The value is code-page text, and a look-alike of the program's name
    // would start another program: such a name is refused.
    const std::optional<std::string> name = text::NarrowExact(ExeName());
    if (!name) throw RunTimeError(kFileNotFound, "The program's file name cannot be written in the code page");
    // Quoted: a program folder with blanks would otherwise start another program.
    return "\"" + services::AppPath() + "\\" + *name + ".exe\" " + option;
}

services::CRegistry RunAtStartupValue() {
    services::CRegistry reg;
    reg.classkey(registry::kLocalMachine);
    reg.sectionkey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
    reg.valuekey("Tidvex");
    return reg;
}

void WriteRunAtStartup(const frmMain& form) {
    services::CRegistry reg = RunAtStartupValue();
    reg.ValueType(kStringValue);
    if (form.chkWhenWindowStarts->Value() != 0) reg.Value(RunAtStartupCommand("/clean"));
    else if (form.chkSettings[0]->Value() != 0) reg.Value(RunAtStartupCommand("/tray"));
    else reg.DeleteValue();
}

std::vector<std::wstring> ChosenFiles(const std::wstring& dialogResult) {
    const std::vector<std::wstring> parts = text::SplitNonEmpty(dialogResult, L'\0');
    std::vector<std::wstring> files;
    auto keep = [&files](const std::wstring& path) {
        if (auto listed = ListablePath(path)) files.push_back(*listed);
    };
    // One file chosen: the dialog gives its full path alone.
    if (parts.size() == 1) keep(parts.front());
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::wstring& folder = parts.front();
        keep(folder.back() == L'\\' ? folder + parts[i] : folder + L"\\" + parts[i]);
    }
    return files;
}

std::optional<std::wstring> ListablePath(const std::wstring& path) {
    const fs::CanonicalPath canonical = fs::Canonical(path);
    if (!canonical || canonical.IsRoot()) return std::nullopt;
    return canonical.path;
}

namespace {

// A path the lists cannot take is logged as any refused folder is.
std::optional<std::wstring> ListableOrLogged(const std::wstring& path) {
    std::optional<std::wstring> listed = ListablePath(path);
    if (!listed && !path.empty()) {
        const fs::CanonicalPath canonical = fs::Canonical(path);
        const char* why = !canonical ? fs::RefusalText(canonical.refusal) : "a whole drive";
        services::gLogger().LoggString("Not listed: \"" + text::Narrow(path) + "\": " + why);
    }
    return listed;
}

}  // namespace

const std::string kAllFilesFilter("All Files(*.*)\0*.*\0", 19);

void frmMain::Say(const std::string& text) { Outside().ShowMe(text, false, "Ok", "", dialogs::kIconNotice); }

void frmMain::MakeOptionsPage(controls::ControlFactory& factory) {
    made_.Make(factory, DesignRows(FormPart::OptionsPage));
    TIDVEX_BIND(made_, cmdOptions, gOptionsTitle, tbOptions, lblHelp, lblUpdate, chkSettings, Label55, cmbDrives,
                Label21, Label46, lstSafeList, Label22, lstBlackList, cmdAddSafeFile, cmdAddSafeFolder,
                cmdAddSafeRegKey, cmdRemoveSafeItem, cmdAddBlackFile, cmdAddBlackFolder, cmdAddBlackRegistry,
                cmdRemoveBlackItem, Label23, Label24, lstAllCookies, chkSelectAllCookies, cmdAddSafeCookie, Label25,
                lstSafeCookies, chkSelectAllSafeCookies, cmdRemoveSafeCookie, picLogo, lblAboutText, lblVersion,
                lblWebSite, tmrRefreshOptions);

    ClickEach(cmdOptions, &frmMain::cmdOptions_Click);
    GuardTabs(*tbOptions, cmdOptions);
    lblHelp->OnMouseUp = [this](int button) { lblHelp_MouseUp(button); };
    lblUpdate->OnMouseUp = [this](int button) { lblUpdate_MouseUp(button); };
    ClickEach(chkSettings, &frmMain::chkSettings_Click);
    cmdAddSafeFile->OnClick = [this] { cmdAddSafeFile_Click(); };
    cmdAddSafeFolder->OnClick = [this] { cmdAddSafeFolder_Click(); };
    cmdAddSafeRegKey->OnClick = [this] { cmdAddSafeRegKey_Click(); };
    cmdRemoveSafeItem->OnClick = [this] { cmdRemoveSafeItem_Click(); };
    lstSafeList->OnDropFiles = [this](const std::vector<std::wstring>& paths) { lstSafeList_OLEDragDrop(paths); };
    cmdAddBlackFile->OnClick = [this] { cmdAddBlackFile_Click(); };
    cmdAddBlackFolder->OnClick = [this] { cmdAddBlackFolder_Click(); };
    cmdAddBlackRegistry->OnClick = [this] { cmdAddBlackRegistry_Click(); };
    cmdRemoveBlackItem->OnClick = [this] { cmdRemoveBlackItem_Click(); };
    lstBlackList->OnDropFiles = [this](const std::vector<std::wstring>& paths) { lstBlackList_OLEDragDrop(paths); };
    cmdAddSafeCookie->OnClick = [this] { cmdAddSafeCookie_Click(); };
    cmdRemoveSafeCookie->OnClick = [this] { cmdRemoveSafeCookie_Click(); };
    chkSelectAllCookies->OnClick = [this] { chkSelectAllCookies_Click(); };
    chkSelectAllSafeCookies->OnClick = [this] { chkSelectAllSafeCookies_Click(); };
    picLogo->OnMouseDown = [this](int button) { picLogo_MouseDown(button); };
    lblWebSite->OnMouseUp = [this](int button) { lblWebSite_MouseUp(button); };
    tmrRefreshOptions->OnTimer = [this] { tmrRefreshOptions_Timer(); };
}

void frmMain::cmdOptions_Click(int Index) {
    if (Index < 0 || Index >= static_cast<int>(cmdOptions.size())) return;
    IgnoringErrors([&] { gOptionsTitle->Caption(cmdOptions[static_cast<size_t>(Index)]->Caption()); });
    if (Index == kCookiesTab) {
        // Both lists afresh: what is on the machine, what is kept.
        IgnoringErrors([&] { lstAllCookies->Clear(); });
        IgnoringErrors([&] { services::LoadCookies2List(*lstAllCookies); });
        IgnoringErrors([&] { lstSafeCookies->Clear(); });
        IgnoringErrors([&] { services::LoadFile2List(kCookieList, *lstSafeCookies); });
    }
    IgnoringErrors([&] { chkSelectAllCookies->Value(0); });
    IgnoringErrors([&] { chkSelectAllSafeCookies->Value(0); });
    IgnoringErrors([&] { SelectSubPage(cmdOptions, *tbOptions, Index); });
}

void frmMain::chkSettings_Click(int Index) {
    if (Index != 0) return;
    try {
        WriteRunAtStartup(*this);
    } catch (...) {
        services::gLogger().LoggError(CurrentError(), "chkSettings_Click");
    }
}

void frmMain::AddToList(const std::wstring& path, std::int32_t type, bool toSafe) {
    dialogs::AddToSafeOrBlackList(path, type, toSafe, *lstSafeList, *lstBlackList,
                                  [this](const std::string& message) { Say(message); });
}

void frmMain::AddFiles(bool toSafe) {
    const std::wstring result = Outside().OpenFiles(kFilesTitle, kAllFilesFilter, true);
    if (result == text::Wide(kCancelled)) return;
    for (const auto& file : ChosenFiles(result)) AddToList(file, services::kFileItem, toSafe);
}

void frmMain::AddFolder(bool toSafe) {
    // A drive root would cover the whole drive.
    const std::optional<std::wstring> folder = ListableOrLogged(Outside().BrowseForFolder(kFolderTitle));
    if (!folder) return;
    AddToList(*folder, services::kFolderItem, toSafe);
}

void frmMain::AddDropped(const std::vector<std::wstring>& paths, bool toSafe) {
    for (const auto& dropped : paths) {
        const std::optional<std::wstring> path = ListableOrLogged(dropped);
        if (!path) continue;
        const DWORD attributes = GetFileAttributesW(path->c_str());
        const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        AddToList(*path, folder ? services::kFolderItem : services::kFileItem, toSafe);
    }
}

void frmMain::AddRegistryKey(bool toSafe) {
    Outside().ShowRegistryDialog(toSafe);
}

void frmMain::cmdAddSafeFile_Click() { AddFiles(true); }
void frmMain::cmdAddSafeFolder_Click() { AddFolder(true); }
void frmMain::cmdAddSafeRegKey_Click() { AddRegistryKey(true); }
void frmMain::cmdRemoveSafeItem_Click() { RemoveSelected(*lstSafeList, kSafeList); }
void frmMain::lstSafeList_OLEDragDrop(const std::vector<std::wstring>& paths) { AddDropped(paths, true); }
void frmMain::cmdAddBlackFile_Click() { AddFiles(false); }
void frmMain::cmdAddBlackFolder_Click() { AddFolder(false); }
void frmMain::cmdAddBlackRegistry_Click() { AddRegistryKey(false); }
void frmMain::cmdRemoveBlackItem_Click() { RemoveSelected(*lstBlackList, kBlackList); }
void frmMain::lstBlackList_OLEDragDrop(const std::vector<std::wstring>& paths) { AddDropped(paths, false); }

void frmMain::cmdAddSafeCookie_Click() {
    for (int i = 0; i < lstAllCookies->ListCount(); ++i) {
        const std::wstring site = lstAllCookies->List(i);
        if (!lstAllCookies->Selected(i) || services::IsItemInList(site, *lstSafeCookies)) continue;
        // The sites come from the cookie index in the code page.
        const std::optional<std::string> stored = text::NarrowExact(site);
        if (!stored) continue;
        services::AddiTem2File(services::kCookieSiteItem, *stored, kCookieList);
        lstSafeCookies->AddItem(site);
    }
}

void frmMain::cmdRemoveSafeCookie_Click() { RemoveSelected(*lstSafeCookies, kCookieList); }
void frmMain::chkSelectAllCookies_Click() { SelectAll(*lstAllCookies, chkSelectAllCookies->Value() != 0); }
void frmMain::chkSelectAllSafeCookies_Click() { SelectAll(*lstSafeCookies, chkSelectAllSafeCookies->Value() != 0); }

void frmMain::lblHelp_MouseUp(int Button) {
    // The tray menu's Help opens the same file.
    if (Button == controls::kLeftButton) mnuHelp_Click();
}

void frmMain::lblUpdate_MouseUp(int Button) {
    if (Button == controls::kLeftButton) Outside().ShellOpen(text::Wide(std::string(kHomePage) + kUpdateQuery));
}

void frmMain::lblWebSite_MouseUp(int Button) {
    if (Button == controls::kLeftButton) Outside().ShellOpen(text::Wide(kHomePage));
}

void frmMain::picLogo_MouseDown(int Button) {
    if (Button == controls::kLeftButton) Outside().ShellOpen(text::Wide(kHomePage));
}

void frmMain::lblAbout_MouseUp(int Button) {
    if (Button != controls::kLeftButton || gIsCleaning) return;
    cmdToolBar_Click(kOptionsPage);
    cmdOptions_Click(kAboutTab);
}

// The timer of the options is never switched on.
void frmMain::tmrRefreshOptions_Timer() {}

}  // namespace tidvex::main
