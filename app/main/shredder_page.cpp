// The shredder page: three kinds of session (files and folders, the free space
// of drives, the Recycle Bin) run by the Fraxil shredder object on its worker
// thread, its progress shown in two bars, and after a files session one more
// pass of the program's own shredder over whatever of the list still exists.
#include "main/form.h"

#include "errors/run_time_error.h"
#include "fs/canonical.h"
#include "fs/paths.h"
#include "main/run_time_report.h"
#include "main/settings.h"
#include "pump/pump.h"
#include "services/helpers.h"
#include "services/lists.h"
#include "services/logger.h"
#include "services/program.h"
#include "shred/shredder.h"
#include "shred/system_folders.h"
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
constexpr std::int16_t kErrorIcon = 1;
// How many of the server's error texts the end of a shredding shows.
constexpr size_t kShownErrors = 5;

constexpr const char* kStartCaptions[] = {"Start Shredding Files/Folders", "Start Shredding Empty Space",
                                          "Start Shredding Recycle Bin"};

// Adds the path unless it is empty or already listed (exact text). The list
// holds the names as the file system names them, so that what is shredded is
// what was chosen and never a look-alike of it.
void AddUnlisted(controls::ListBox& list, const std::wstring& path) {
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
bool MayShred(const std::wstring& path) {
    const fs::CanonicalPath canonical = fs::Canonical(path);
    if (!canonical || canonical.IsRoot()) return false;
    for (const std::wstring& root : ShellRoots())
        if (fs::SamePath(canonical.path, root)) return false;
    return true;
}

DWORD AttributesOf(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

// The second pass keeps what the server's session skipped: the system's own
// folders below a listed folder, and so the folders above them.
shred::ShredOptions SecondPassOptions() {
    const shred::SystemFolderTexts system = shred::ReadSystemFolders();
    shred::ShredOptions options;
    options.keptFolders.assign(system.begin(), system.end());
    return options;
}

bool IsFolder(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

}  // namespace

void frmMain::MakeShredderPage(controls::ControlFactory& factory) {
    made_.Make(factory, DesignRows(FormPart::ShredderPage));
    TIDVEX_BIND(made_, cmdShredder, tbShredder, lstFiles, cmdAddFiles, cmdAddFolder, cmdRemoveShredItem,
                cmdRemoveAllShred, lstDrives, cmbShredMethod, chkShredShutdown, cmdStartShred, lblShredLabel,
                lblItemProgress, prgItemShred, lblTotalProgress, prgTotalShred, lblShredText);
    DressProgressBar(*prgItemShred);
    DressProgressBar(*prgTotalShred);

    ClickEach(cmdShredder, &frmMain::cmdShredder_Click);
    GuardTabs(*tbShredder, cmdShredder);
    lstFiles->OnDropFiles = [this](const std::vector<std::wstring>& paths) { lstFiles_OLEDragDrop(paths); };
    cmdAddFiles->OnClick = [this] { cmdAddFiles_Click(); };
    cmdAddFolder->OnClick = [this] { cmdAddFolder_Click(); };
    cmdRemoveShredItem->OnClick = [this] { cmdRemoveShredItem_Click(); };
    cmdRemoveAllShred->OnClick = [this] { cmdRemoveAllShred_Click(); };
    lstDrives->OnItemCheck = [this](int index) { lstDrives_ItemCheck(index); };
    cmbShredMethod->OnClick = [this] {
        EndingOnError("Choosing the wiping method", [this] { cmbShredMethod_Click(); });
    };
    cmdStartShred->OnClick = [this] { cmdStartShred_Click(); };
}

void frmMain::InitShredder() {
    // The object belongs to the running session until it ends.
    if (IsShredding) return;
    Shredder->Initialize();
    Shredder->NewSession();
    Shredder->ApplicationPath(services::AppFolder());
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
    EndingOnError("Setting up the shredder (Fraxil.Shredder)", [this] {
        InitShredder();
        UpdateStartShredButton();
    });
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
    const std::wstring chosen = Outside().OpenFiles("Please Select a file or group of files", kAllFilesFilter, true);
    if (chosen == L"Cancel") return;
    for (const auto& path : ChosenFiles(chosen)) AddUnlisted(*lstFiles, path);
    UpdateStartShredButton();
}

void frmMain::cmdAddFolder_Click() {
    const std::wstring folder = Outside().BrowseForFolder("Please Select a folder");
    // A drive root such as C:\ is never listed this way.
    if (folder.size() > 3) AddUnlisted(*lstFiles, folder);
    UpdateStartShredButton();
}

void frmMain::lstFiles_OLEDragDrop(const std::vector<std::wstring>& paths) {
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

// A text of the server on one line: its line breaks become one blank each,
// and none closes it.
std::string OneLine(const std::string& text) {
    std::string line;
    for (char c : text) {
        const bool lineBreak = c == '\n' || c == '\r';
        if (!lineBreak) line += c;
        else if (!line.empty() && line.back() != ' ') line += ' ';
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

}  // namespace

// While a shredding runs, no other page can be reached, the About link and
// the tray's "Clean Now" included.
void frmMain::SetShredBusyUI() {
    ShowShredding(true);
    DisableToolbar();
    mnuTray->Enabled(mnuClean, false);
}

void frmMain::SetShredIdleUI() {
    ShowShredding(false);
    EnableToolbar();
    mnuTray->Enabled(mnuClean, true);
}

void frmMain::ShowShredding(bool busy) {
    for (controls::Control* c : std::initializer_list<controls::Control*>{
             lblItemProgress, lblTotalProgress, prgItemShred, prgTotalShred, lblShredLabel})
        c->Visible(busy);
    cmbShredMethod->Enabled(!busy);
    for (auto* b : cmdShredder) b->Enabled(!busy);
}

void frmMain::cmdStartShred_Click() {
    if (IsShredding) {
        EndingOnError("Stopping the shredding", [this] { StopShredding(); });
        return;
    }
    bool started = false;
    try {
        started = StartShredding();
    } catch (...) {
        // The page is as it was before the press, then the program ends.
        ShreddingIdle();
        ReportFatalError("Starting a shredding");
        return;
    }
    if (started) {
        IsShredding = true;
    } else {
        ShreddingIdle();
    }
}

bool frmMain::StartShredding() {
    ++ShredRun;
    SetShredBusyUI();
    cmdStartShred->Caption(text::ReplaceNoCase(cmdStartShred->Caption(), "Start", "Stop"));
    switch (ShredMode) {
        case kFilesSession:
            InitShredder();
            Shredder->SessionType(kFilesSession);
            for (int i = 0; i < lstFiles->ListCount(); ++i) {
                const std::wstring path = lstFiles->List(i);
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
            break;
        case kFreeSpaceSession:
            InitShredder();
            Shredder->SessionType(kFreeSpaceSession);
            for (int i = 0; i < lstDrives->ListCount(); ++i) {
                const std::string drive = text::Narrow(lstDrives->List(i).substr(0, 2)) + "\\";
                if (lstDrives->Checked(i))
                    Shredder->AddDrive(drive);
                else
                    Shredder->RemoveDrive(drive);
            }
            Shredder->SessionType(kFreeSpaceSession);
            break;
        case kRecycleBinSession:
            InitShredder();
            Shredder->SessionType(kRecycleBinSession);
            break;
        default:
            return false;
    }
    tbShredder->Enabled(false);
    // What the server reported while the list was handed over (a drive that
    // was not listed) is no error of the shredding.
    ShredErrorCount = 0;
    ShredErrors.clear();
    // A refused start (a session of the object still runs) leaves nothing running.
    return Shredder->StartSession() != 0;
}

void frmMain::StopShredding() {
    // The session and a completion still at work end here.
    ++ShredRun;
    if (SecondPass) SecondPass->StopShred(true);
    cmdStartShred->Caption(text::ReplaceNoCase(cmdStartShred->Caption(), "Stop", "Start"));
    Shredder->AbortSession();
    SetShredIdleUI();
    tbShredder->Enabled(true);
    IsShredding = false;
}

void frmMain::ShreddingIdle() {
    IsShredding = false;
    tbShredder->Enabled(true);
    cmdStartShred->Caption(text::ReplaceNoCase(cmdStartShred->Caption(), "Stop", "Start"));
    SetShredIdleUI();
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

// The errors of a running session are told at its end; what the server
// says besides (an item already listed) has no place on the page.
void frmMain::Shredder_ErrorMessage(const std::string& strErrrorMessage, std::int32_t) {
    if (!IsShredding) return;
    ++ShredErrorCount;
    if (ShredErrors.size() < kShownErrors) ShredErrors.push_back(OneLine(strErrrorMessage));
}

void frmMain::Shredder_Message(const std::string&) {}

void frmMain::shredder_SessionCompleted() {
    EndingOnError("Completing the shredding", [this] { CompleteShredding(); });
}

void frmMain::CompleteShredding() {
    // A session the user stopped has ended as far as the page is concerned: a
    // completion that was already on its way neither shreds nor powers off.
    if (!IsShredding) return;
    // Stop (and a new Start after it) during the second pass ends this completion.
    const std::uint32_t run = ShredRun;
    if (Shredder->SessionType() == kFilesSession) {
        SecondPassOver(run);
        if (run != ShredRun) return;
    }
    ShreddingIdle();
    if (chkShredShutdown->Value() != 0) {
        // Nobody waits at the screen for a box: the power-off is what was asked.
        Outside().ExitWindows(kForcedPowerOff);
        return;
    }
    if (ShredErrorCount > 0) Outside().ShowMe(ShredErrorsText(), false, "Ok", "", kErrorIcon);
}

void frmMain::SecondPassOver(std::uint32_t run) {
    std::optional<shred::Shredder> again;
    // Stop reaches the pass through SecondPass while it works; a completion of
    // a later session, run inside this one's yields, has its own.
    struct Reachable {
        shred::Shredder*& slot;
        shred::Shredder* const outer;
        ~Reachable() { slot = outer; }
    } reachable{SecondPass, SecondPass};
    // The second pass yields to the window between writes; a Stop pressed then
    // ends it at once, and the page is idle already.
    for (int i = 0; i < lstFiles->ListCount() && run == ShredRun; ++i) {
        const std::wstring path = lstFiles->List(i);
        if (!MayShred(path)) continue;
        const DWORD attributes = AttributesOf(path);
        // What the server has destroyed is gone and skipped.
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;
        if (!again) SecondPass = &again.emplace(SecondPassOptions());
        if (IsFolder(attributes))
            again->FolderShred(path, false, "*", true, 0, 0);
        else
            again->FileShred(path);
    }
}

std::string frmMain::ShredErrorsText() const {
    std::string text = ShredErrorCount == 1 ? "The shredding ended with 1 error:"
                                            : "The shredding ended with " + std::to_string(ShredErrorCount) +
                                                  " errors:";
    text += "\r\n";
    for (const std::string& error : ShredErrors) text += "\r\n" + error;
    const int more = ShredErrorCount - static_cast<int>(ShredErrors.size());
    if (more > 0) text += "\r\n... and " + std::to_string(more) + " more.";
    return text;
}

}  // namespace tidvex::main
