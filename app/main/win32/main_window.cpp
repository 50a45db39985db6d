#include "main/win32/main_window.h"

#include "engine/library_cleaners.h"
#include "main/run_time_report.h"
#include "services/helpers.h"
#include "services/program.h"

#include <shellapi.h>

#include <cctype>

namespace tidvex::main::win32 {
namespace {

constexpr int kUnloadReasonUser = 0, kUnloadReasonSessionEnding = 2;

// The main window as the owner the message box is shown over.
class OwnerForm final : public controls::Form {
public:
    explicit OwnerForm(HWND hwnd) : hwnd_(hwnd) {}
    HWND hWnd() const override { return hwnd_; }
    std::string Caption() const override { return controls::win32::WindowText(hwnd_); }
    void Caption(const std::string& text) override { SetWindowTextA(hwnd_, text.c_str()); }
    int ScaleWidth() const override { return 0; }
    void BackColor(COLORREF) override {}
    void ShowModal(Form*) override {}
    void Close() override {}
    bool Shown() const override { return IsWindowVisible(hwnd_) != FALSE; }

private:
    HWND hwnd_;
};

}  // namespace

MainWindow::MainWindow(std::string commandLine) : commandLine_(std::move(commandLine)) {
    icon_ = controls::win32::ProgramIcon();
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    CreateOwn("TidvexMain", "Tidvex", style, WS_EX_CONTROLPARENT, nullptr, CW_USEDEFAULT, CW_USEDEFAULT, 640, 480);
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL,
                 reinterpret_cast<LPARAM>(controls::win32::ProgramIcon(GetSystemMetrics(SM_CXSMICON))));
    factory_ = std::make_unique<controls::win32::Win32ControlFactory>(hwnd());
    messageBox_ = std::make_unique<dialogs::MessageBoxWindow>();
    owner_ = std::make_unique<OwnerForm>(hwnd());
    form_ = std::make_unique<frmMain>(*factory_, *this);
    registryDialog_ =
        std::make_unique<dialogs::RegistryDialogWindow>(*form_->lstSafeList, *form_->lstBlackList, messageBox_->box());
    dialogs_ = std::make_unique<PlatformDialogs>(*owner_);
}

MainWindow::~MainWindow() {
    // The program's end, after its message loop, so never inside one of the
    // shredder's events: the object goes while the window and its form stand.
    form_->WaitForShredder();
    dialogs_.reset();
    registryDialog_.reset();
    form_.reset();
}

bool MainWindow::Load() {
    form_->Form_Load();
    loading_ = false;
    if (ended_) return false;
    if (showAfterLoad_) {
        ShowWindow(hwnd(), SW_SHOW);
        UpdateWindow(hwnd());
    }
    return true;
}

bool MainWindow::CreateInstanceMutex(const std::string& name) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name.c_str());
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    // Kept open for the process's life.
    mutex_ = mutex;
    return true;
}

std::unique_ptr<ShredderObject> MainWindow::CreateShredder(frmMain& form) { return MakeFraxilShredder(form); }

std::unique_ptr<OptimizerObject> MainWindow::CreateOptimizer() { return MakeQuenzaOptimizer(); }

std::shared_ptr<CleaningSession> MainWindow::NewCleanSession(const engine::CleaningForm& form) {
    return MakeCleanSession(form);
}

std::unique_ptr<services::IStartUp> MainWindow::NewStartUp() { return std::make_unique<services::StartUp>(); }

std::unique_ptr<services::clsUninstaller> MainWindow::NewUninstaller() {
    return std::make_unique<services::clsUninstaller>();
}

void MainWindow::ReportRunTimeError(const RunTimeError& error) {
    ShowMe(RunTimeReportText(error, "Apply"), false, "Ok", "", 1);
}

std::int32_t MainWindow::ShowMe(const std::string& text, bool is2Buttons, const std::string& button1,
                                const std::string& button2, std::int16_t icon) {
    // Owned by the window also while it is hidden (in the tray, at start-up),
    // so that once it shows, the box stays over it and it waits for the box.
    return messageBox_->box().ShowMe(owner_.get(), text, is2Buttons, button1, button2, icon);
}

void MainWindow::Version(int& major, int& minor, int& revision) {
    major = minor = revision = 0;
    // This program's own file: by a look-alike of its name, another copy's.
    const std::wstring path = services::ProgramFile();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (!size) return;
    std::string data(size, '\0');
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data()) ||
        !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length) || !info)
        return;
    major = HIWORD(info->dwFileVersionMS);
    minor = LOWORD(info->dwFileVersionMS);
    revision = LOWORD(info->dwFileVersionLS);
}

std::vector<std::string> MainWindow::Drives() {
    // As a drive list shows them: "c: [label]", the label only where the
    // volume answers without asking for a disk.
    std::vector<std::string> drives;
    const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    char roots[512] = {};
    const DWORD length = GetLogicalDriveStringsA(sizeof roots - 1, roots);
    for (const char* root = roots; length && *root; root += lstrlenA(root) + 1) {
        std::string entry = std::string(1, static_cast<char>(std::tolower(static_cast<unsigned char>(root[0])))) + ":";
        const UINT type = GetDriveTypeA(root);
        char label[MAX_PATH + 1] = {};
        if ((type == DRIVE_FIXED || type == DRIVE_RAMDISK) &&
            GetVolumeInformationA(root, label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0) && *label)
            entry += " [" + std::string(label) + "]";
        drives.push_back(entry);
    }
    SetErrorMode(oldMode);
    return drives;
}

void MainWindow::Size(int widthTwips, int heightTwips) {
    // The inside takes the size, so the pages below the toolbar show whole
    // whatever the frame and caption measure.
    RECT r{0, 0, Pixels(widthTwips), Pixels(heightTwips)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrA(hwnd(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrA(hwnd(), GWL_EXSTYLE)));
    SetWindowPos(hwnd(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
}

int MainWindow::ScaleWidth() {
    RECT r{};
    GetClientRect(hwnd(), &r);
    return r.right - r.left;
}

void MainWindow::BackColor(COLORREF color) { controls::win32::SetContainerColor(hwnd(), color); }

void MainWindow::Visible(bool on) {
    if (loading_) {
        showAfterLoad_ = on;
        if (!on) return;
    }
    ShowWindow(hwnd(), on ? SW_SHOW : SW_HIDE);
}

int MainWindow::WindowState() {
    if (IsIconic(hwnd())) return 1;
    if (IsZoomed(hwnd())) return 2;
    return 0;
}

void MainWindow::WindowState(int state) {
    ShowWindow(hwnd(), state == 1 ? SW_MINIMIZE : state == 2 ? SW_MAXIMIZE : SW_RESTORE);
}

POINT MainWindow::CursorPos() {
    POINT at{};
    GetCursorPos(&at);
    return at;
}

void MainWindow::Unload() { RequestClose(kUnloadReasonUser); }

void MainWindow::EndProcess() {
    ended_ = true;
    if (!loading_) PostQuitMessage(0);
}

void MainWindow::ShellOpen(const std::wstring& path) {
    ShellExecuteW(hwnd(), L"Open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void MainWindow::ShowRegistryDialog(bool isSafeItem) {
    registryDialog_->dialog().isSafeItem = isSafeItem;
    registryDialog_->dialog().Show(owner_.get());
}

void MainWindow::ExitWindows(int mode) { services::ExitWindows(mode); }

bool MainWindow::RequestClose(int reason) {
    if (ended_) return true;
    bool cancel = false;
    form_->Form_QueryUnload(cancel, reason);
    if (cancel) return false;
    form_->Form_Unload();
    return true;
}

bool MainWindow::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_CLOSE:
            RequestClose(kUnloadReasonUser);
            result = 0;
            return true;
        case kUnloadMessage:
            RequestClose(kUnloadReasonUser);
            result = 0;
            return true;
        case WM_QUERYENDSESSION:
            // The session may end only when the window unloads.
            result = RequestClose(kUnloadReasonSessionEnding) ? TRUE : FALSE;
            return true;
        case WM_SIZE:
            if (!loading_ || wp == SIZE_MINIMIZED) form_->Form_Resize();
            return false;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE && !loading_) form_->Form_LostFocus();
            return false;
        default: return controls::win32::PaintContainerBack(hwnd(), msg, wp, result);
    }
}

}  // namespace tidvex::main::win32
