// The shredder page: three kinds of session (files and folders, the free space
// of drives, the Recycle Bin) run by the Fraxil shredder object on its worker
// thread, its progress shown in two bars, and after a files session one more
// pass of the program's own shredder over whatever of the list still exists.
#include "main/form.h"

#include "errors/run_time_error.h"
#include "fs/canonical.h"
#include "fs/paths.h"
#include "main/settings.h"
#include "pump/pump.h"
#include "services/helpers.h"
#include "services/lists.h"
#include "services/logger.h"
#include "services/program.h"
#include "shred/shredder.h"
#include "text/text.h"

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace tidvex::main {
namespace {

constexpr int kFilesSession = 0;
constexpr int kFreeSpaceSession = 1;
constexpr int kRecycleBinSession = 2;
constexpr std::int32_t kTrue = -1;
constexpr std::int32_t kForcedPowerOff = 8;

constexpr const char* kStartCaptions[] = {"Start Shredding Files/Folders", "Start Shredding Empty Space",
                                          "Start Shredding Recycle Bin"};

// Adds the path unless it is empty or already listed (exact text).
void AddUnlisted(controls::ListBox& list, const std::string& path) {
    if (!path.empty() && !services::IsItemInList(path, list)) list.AddItem(path);
}

// A shell folder in its canonical form; empty when there is none.
std::wstring ShellFolder(int csidl) {
    wchar_t buf[MAX_PATH + 1] = {};
    if (SHGetFolderPathW(nullptr, csidl, nullptr, 0, buf) != S_OK) return {};
    return fs::Canonical(std::wstring_view(buf)).path;
}

// The folders whose loss would break Windows or a user's whole profile.
std::vector<std::wstring> ShellRoots() {
    std::vector<std::wstring> roots;
    for (int csidl : {CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_PROFILE}) {
        std::wstring folder = ShellFolder(csidl);
        if (folder.empty()) continue;
        roots.push_back(folder);
        // The folder that holds every user's profile.
        if (csidl == CSIDL_PROFILE) {
            const size_t cut = folder.find_last_of(L'\\');
            if (cut != std::wstring::npos && cut > 2) roots.push_back(folder.substr(0, cut));
        }
    }
    return roots;
}

// A listed path the page hands to a shredder: a file or folder strictly below
// a drive or share root and none of the shell's own roots, in whatever
// spelling ("\\?\C:\", "C:\Windows\..", a short name). A drive root can be
// dropped on the list, but shredding it would take the whole drive. A device,
// an administrative share or a name no file has is never handed on.
bool MayShred(const std::string& path) {
    const fs::CanonicalPath canonical = fs::Canonical(path);
    if (!canonical || canonical.IsRoot()) return false;
    for (const std::wstring& root : ShellRoots())
        if (fs::SamePath(canonical.path, root)) return false;
    return true;
}

DWORD AttributesOf(const std::string& path) { return GetFileAttributesW(text::Wide(path).c_str()); }

bool IsFolder(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

}  // namespace

namespace {

// The shredding bars: the two-tone style with the percentage shown, in the
// design colour (the colour scheme sets its own later).
constexpr int kTwoToneStyle = 5;
constexpr COLORREF kBarColor = 0xC56A31;

}  // namespace

void frmMain::MakeShredderPage(controls::ControlFactory& factory) {
    made_.Make(factory, DesignRows(FormPart::ShredderPage));
    TIDVEX_BIND(made_, cmdShredder, tbShredder, lstFiles, cmdAddFiles, cmdAddFolder, cmdRemoveShredItem,
                cmdRemoveAllShred, lstDrives, cmbShredMethod, chkShredShutdown, cmdStartShred, lblShredLabel,
                lblItemProgress, prgItemShred, lblTotalProgress, prgTotalShred, lblShredText);
    for (auto* bar : {prgItemShred, prgTotalShred}) {
        bar->Scrolling(kTwoToneStyle);
        bar->ShowText(true);
        bar->Color(kBarColor);
    }

    ClickEach(cmdShredder, &frmMain::cmdShredder_Click);
    GuardTabs(*tbShredder, cmdShredder);
    lstFiles->OnDropFiles = [this](const std::vector<std::string>& paths) { lstFiles_OLEDragDrop(paths); };
    cmdAddFiles->OnClick = [this] { cmdAddFiles_Click(); };
    cmdAddFolder->OnClick = [this] { cmdAddFolder_Click(); };
    cmdRemoveShredItem->OnClick = [this] { cmdRemoveShredItem_Click(); };
    cmdRemoveAllShred->OnClick = [this] { cmdRemoveAllShred_Click(); };
    lstDrives->OnItemCheck = [this](int index) { lstDrives_ItemCheck(index); };
    cmbShredMethod->OnClick = [this] { cmbShredMethod_Click(); };
    cmdStartShred->OnClick = [this] { cmdStartShred_Click(); };
}

void frmMain::InitShredder() {
    // The object belongs to the running session until it ends.
    if (IsShredding) return;
    Shredder->Initialize();
    Shredder->NewSession();
    Shredder->ApplicationPath(services::AppPath());
    Shredder->Language("English.ini");
    Shredder->LogFileName("ShredLog.txt");
    Shredder->ProfileName("Tidvex Language Pack");
    Shredder->ShredderApplicationName("Tidvex");
    LoadShredderSettings(*this);
    cmbShredMethod_Click();
    Shredder->ShredMethod(ShredMethodSetting);
    IsShredding = false;
}

void frmMain::ShredderPageEntered() {
    InitShredder();
    UpdateStartShredButton();
}

void frmMain::cmdShredder_Click(int Index) {
    // The lists and the mode stay as they are under a running session.
    if (IsShredding) return;
    try {
        for (auto* b : cmdShredder) b->Selected(false);
        if (Index < 0 || Index >= static_cast<int>(cmdShredder.size())) throw RunTimeError::Of(kSubscriptOutOfRange);
        cmdShredder[static_cast<size_t>(Index)]->Selected(true);
        tbShredder->Tab(Index);
        tbShredder->Refresh();
        ShredMode = static_cast<std::int16_t>(Index);
        if (Index >= kFilesSession && Index <= kRecycleBinSession) {
            Shredder->NewSession();
            Shredder->SessionType(Index);
            cmdStartShred->Caption(kStartCaptions[Index]);
        }
        UpdateStartShredButton();
    } catch (...) {
        services::gLogger().LoggError(CurrentError(), "cmdShredder_Click");
    }
}

void frmMain::cmdAddFiles_Click() {
    const std::string chosen = Outside().OpenFiles("Please Select a file or group of files", kAllFilesFilter, true);
    if (chosen == "Cancel") return;
    for (const auto& path : ChosenFiles(chosen)) AddUnlisted(*lstFiles, path);
    UpdateStartShredButton();
}

void frmMain::cmdAddFolder_Click() {
    const std::string folder = Outside().BrowseForFolder("Please Select a folder");
    // A drive root such as C:\ is never listed this way.
    if (folder.size() > 3) AddUnlisted(*lstFiles, folder);
    UpdateStartShredButton();
}

void frmMain::lstFiles_OLEDragDrop(const std::vector<std::string>& paths) {
    for (const auto& path : paths) AddUnlisted(*lstFiles, path);
    UpdateStartShredButton();
}

void frmMain::cmdRemoveShredItem_Click() {
    const int selected = lstFiles->ListIndex();
    if (selected >= 0) lstFiles->RemoveItem(selected);
    UpdateStartShredButton();
}

void frmMain::cmdRemoveAllShred_Click() {
    lstFiles->Clear();
    UpdateStartShredButton();
}

void frmMain::lstDrives_ItemCheck(int) { UpdateStartShredButton(); }

void frmMain::cmbShredMethod_Click() {
    const int method = cmbShredMethod->ListIndex();
    if (method < 0) return;
    ShredMethodSetting = static_cast<std::int16_t>(method);
    Shredder->ShredMethod(ShredMethodSetting);
    SaveShredderSettings();
}

void frmMain::UpdateStartShredButton() {
    if (cmdShredder[0]->Selected()) {
        cmdStartShred->Enabled(lstFiles->ListCount() > 0);
    } else if (cmdShredder[1]->Selected()) {
        bool any = false;
        for (int i = 0; i < lstDrives->ListCount(); ++i) any = any || lstDrives->Checked(i);
        cmdStartShred->Enabled(any);
    } else if (cmdShredder[2]->Selected()) {
        cmdStartShred->Enabled(true);
    }
}

namespace {

void ShowShredding(frmMain& f, bool busy) {
    for (controls::Control* c : std::initializer_list<controls::Control*>{
             f.lblItemProgress, f.lblTotalProgress, f.prgItemShred, f.prgTotalShred, f.lblShredLabel})
        c->Visible(busy);
    f.cmbShredMethod->Enabled(!busy);
    for (auto* b : f.cmdShredder) b->Enabled(!busy);
    for (auto* b : f.cmdToolBar) b->Enabled(!busy);
}

}  // namespace

void frmMain::SetShredBusyUI() { ShowShredding(*this, true); }
void frmMain::SetShredIdleUI() { ShowShredding(*this, false); }

void frmMain::cmdStartShred_Click() {
    if (IsShredding) {
        cmdStartShred->Caption(text::ReplaceNoCase(cmdStartShred->Caption(), "Stop", "Start"));
        Shredder->AbortSession();
        SetShredIdleUI();
        tbShredder->Enabled(true);
        IsShredding = false;
        return;
    }
    SetShredBusyUI();
    cmdStartShred->Caption(text::ReplaceNoCase(cmdStartShred->Caption(), "Start", "Stop"));
    switch (ShredMode) {
        case kFilesSession:
            InitShredder();
            Shredder->SessionType(kFilesSession);
            for (int i = 0; i < lstFiles->ListCount(); ++i) {
                const std::string path = lstFiles->List(i);
                if (!MayShred(path)) continue;
                // A path that is gone reports every attribute bit: it goes as a folder.
                if (IsFolder(AttributesOf(path)))
                    Shredder->AddFolder(path);
                else
                    Shredder->AddFile(path);
            }
            Shredder->ShredSubFolder(kTrue);
            Shredder->RemoveSubFolder(kTrue);
            Shredder->ShredHiddenAndSystemFiles(kTrue);
            tbShredder->Enabled(false);
            Shredder->StartSession();
            break;
        case kFreeSpaceSession:
            InitShredder();
            Shredder->SessionType(kFreeSpaceSession);
            for (int i = 0; i < lstDrives->ListCount(); ++i) {
                const std::string drive = lstDrives->List(i).substr(0, 2) + "\\";
                if (lstDrives->Checked(i))
                    Shredder->AddDrive(drive);
                else
                    Shredder->RemoveDrive(drive);
            }
            Shredder->SessionType(kFreeSpaceSession);
            tbShredder->Enabled(false);
            Shredder->StartSession();
            break;
        case kRecycleBinSession:
            InitShredder();
            Shredder->SessionType(kRecycleBinSession);
            tbShredder->Enabled(false);
            Shredder->StartSession();
            break;
        default:
            break;
    }
    IsShredding = !IsShredding;
}

void frmMain::Shredder_CurrentItemShredded(const std::string&) { pump::DoEvents(); }

void frmMain::Shredder_CurrentProgress(std::int32_t nCurrentProgress) {
    prgItemShred->Value(nCurrentProgress);
    pump::DoEvents();
}

void frmMain::Shredder_CurrentTotalProgress(std::int32_t nCurrentTotalProgress) {
    prgTotalShred->Value(nCurrentTotalProgress);
    pump::DoEvents();
}

// Refusals and messages of the server have no place on the page.
void frmMain::Shredder_ErrorMessage(const std::string&, std::int32_t) {}
void frmMain::Shredder_Message(const std::string&) {}

void frmMain::shredder_SessionCompleted() {
    // A session the user stopped has ended as far as the page is concerned: a
    // completion that was already on its way neither shreds nor powers off.
    if (!IsShredding) return;
    if (Shredder->SessionType() == kFilesSession) {
        std::optional<shred::Shredder> again;
        // The second pass yields to the window between writes; a Stop pressed
        // then ends it after the current entry, and the page is idle already.
        for (int i = 0; i < lstFiles->ListCount() && IsShredding; ++i) {
            const std::string path = lstFiles->List(i);
            if (!MayShred(path)) continue;
            const DWORD attributes = AttributesOf(path);
            // What the server has destroyed is gone and skipped.
            if (attributes == INVALID_FILE_ATTRIBUTES) continue;
            if (!again) again.emplace();
            if (IsFolder(attributes))
                again->FolderShred(path, false, "*", true, 0, 0);
            else
                again->FileShred(path);
        }
        if (!IsShredding) return;
    }
    IsShredding = false;
    tbShredder->Enabled(true);
    cmdStartShred->Caption(text::ReplaceNoCase(cmdStartShred->Caption(), "Stop", "Start"));
    SetShredIdleUI();
    if (chkShredShutdown->Value() != 0) Outside().ExitWindows(kForcedPowerOff);
}

}  // namespace tidvex::main
