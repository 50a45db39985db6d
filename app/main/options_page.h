// The Options page's controls (options_page.cpp), and what the page and the
// schedule share: the run-at-start-up value and the paths the safe and black
// lists take. The boxes a cleaning reads (chkSettings, cmbDrives, lstBlackList)
// are the form's engine::CleaningForm members.
#pragma once

#include "controls/controls.h"
#include "services/registry.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace tidvex::main {

class frmMain;

struct OptionsPage {
    std::array<controls::Button*, 6> cmdOptions{};
    controls::Label *gOptionsTitle{}, *lblHelp{}, *lblUpdate{};
    controls::TabStrip* tbOptions = nullptr;
    // Settings tab.
    controls::Label* Label55 = nullptr;
    // Safe List tab.
    controls::Label *Label21{}, *Label46{};
    controls::ListBox* lstSafeList = nullptr;
    controls::Button *cmdAddSafeFile{}, *cmdAddSafeFolder{}, *cmdAddSafeRegKey{}, *cmdRemoveSafeItem{};
    // Black list tab.
    controls::Label* Label22 = nullptr;
    controls::Button *cmdAddBlackFile{}, *cmdAddBlackFolder{}, *cmdAddBlackRegistry{}, *cmdRemoveBlackItem{};
    // Safe Cookies tab.
    controls::Label *Label23{}, *Label24{}, *Label25{};
    controls::ListBox *lstAllCookies{}, *lstSafeCookies{};
    controls::CheckBox *chkSelectAllCookies{}, *chkSelectAllSafeCookies{};
    controls::Button *cmdAddSafeCookie{}, *cmdRemoveSafeCookie{};
    // About tab: the logo, the product line, "Version" and what Tidvex is for.
    controls::Picture* picLogo = nullptr;
    std::vector<controls::Label*> lblAboutText;
    controls::Label *lblVersion{}, *lblWebSite{};
    controls::Timer* tmrRefreshOptions = nullptr;
};

// The value "Tidvex" under HKEY_LOCAL_MACHINE's Run key, which starts the
// program with Windows.
services::CRegistry RunAtStartupValue();
// The Run value's data: the program's quoted path, a blank and the option.
std::string RunAtStartupCommand(const std::string& option);
// The value "Tidvex" under HKEY_LOCAL_MACHINE's Run key: " /clean" while "When
// Windows starts" is checked, else " /tray" while "Launch Tidvex at windows
// startup" is, else no value. A failed write raises the registry's error.
void WriteRunAtStartup(const frmMain& form);

// The files chosen in the open-file dialog from its NUL-separated result: one
// full path, or a folder followed by names, each in the form the lists take
// (ListablePath); a drive root and what the lists cannot take are left out. The
// Shredder page's list takes them too.
std::vector<std::wstring> ChosenFiles(const std::wstring& dialogResult);
// The form a path takes in the safe and black lists: its canonical form
// (fs/canonical.h), so that the cleaners meet the entry as they meet the path.
// Nothing for nothing, a drive root (it would cover a whole drive), a device,
// an administrative share and a name no file has. Whether the list files can
// hold it is the lists' own question.
std::optional<std::wstring> ListablePath(const std::wstring& path);

// "All Files(*.*)" with the pattern "*.*", as the open-file dialog takes a filter.
extern const std::string kAllFilesFilter;

}  // namespace tidvex::main
