#include "controls/win32_tray.h"

namespace tidvex::controls::win32 {

// ---- PopupMenu ----

Win32PopupMenu::Win32PopupMenu() : menu_(CreatePopupMenu()) {
    owner_ = CreateWindowExA(WS_EX_TOOLWINDOW, ContainerClass(), "Tidvex menu", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             Instance(), nullptr);
}

Win32PopupMenu::~Win32PopupMenu() {
    DestroyMenu(menu_);
    DestroyWindow(owner_);
}

int Win32PopupMenu::AddItem(const std::string& caption) {
    AppendMenuA(menu_, MF_STRING, static_cast<UINT_PTR>(count_ + 1), caption.c_str());
    return count_++;
}

int Win32PopupMenu::AddSeparator() {
    AppendMenuA(menu_, MF_SEPARATOR, static_cast<UINT_PTR>(count_ + 1), nullptr);
    return count_++;
}

std::string Win32PopupMenu::Caption(int index) const {
    char text[256] = {};
    GetMenuStringA(menu_, static_cast<UINT>(index + 1), text, sizeof text, MF_BYCOMMAND);
    return text;
}

void Win32PopupMenu::Caption(int index, const std::string& caption) {
    ModifyMenuA(menu_, static_cast<UINT>(index + 1), MF_BYCOMMAND | MF_STRING, static_cast<UINT_PTR>(index + 1),
                caption.c_str());
}

bool Win32PopupMenu::Enabled(int index) const {
    const UINT state = GetMenuState(menu_, static_cast<UINT>(index + 1), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

void Win32PopupMenu::Enabled(int index, bool on) {
    EnableMenuItem(menu_, static_cast<UINT>(index + 1), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

void Win32PopupMenu::Popup(int x, int y) {
    // The owner comes to the foreground, or a menu from the tray would not close
    // when the user clicks elsewhere.
    SetForegroundWindow(owner_);
    const int chosen = static_cast<int>(
        TrackPopupMenu(menu_, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, x, y, 0, owner_, nullptr));
    PostMessageA(owner_, WM_NULL, 0, 0);
    if (chosen > 0) Fire(OnClick, chosen - 1);
}

// ---- TrayIcon and Balloon ----

Win32TrayIcon::Win32TrayIcon() : taskbarCreated_(RegisterWindowMessageA("TaskbarCreated")) {
    CreateOwn("TidvexTray", "Tidvex tray", WS_POPUP, WS_EX_TOOLWINDOW, nullptr, 0, 0, 0, 0);
}

Win32TrayIcon::~Win32TrayIcon() { Remove(); }

NOTIFYICONDATAA Win32TrayIcon::Data(UINT flags) const {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = hwnd();
    data.uID = 1;
    data.uFlags = flags;
    data.uCallbackMessage = kCallbackMessage;
    data.hIcon = icon_;
    lstrcpynA(data.szTip, tip_.c_str(), sizeof data.szTip);
    return data;
}

void Win32TrayIcon::Icon(HICON icon) {
    icon_ = icon;
    if (!attached_) return;
    NOTIFYICONDATAA data = Data(NIF_ICON);
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

void Win32TrayIcon::ToolTip(const std::string& text) {
    tip_ = text;
    if (!attached_) return;
    NOTIFYICONDATAA data = Data(NIF_TIP);
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

bool Win32TrayIcon::Attach(HWND owner) {
    owner_ = owner;
    NOTIFYICONDATAA data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    if (attached_) Shell_NotifyIconA(NIM_DELETE, &data);
    attached_ = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;
    return attached_;
}

void Win32TrayIcon::Remove() {
    if (!attached_) return;
    NOTIFYICONDATAA data = Data(0);
    Shell_NotifyIconA(NIM_DELETE, &data);
    attached_ = false;
}

void Win32TrayIcon::Position(int& x, int& y) const {
    // The shell may not tell where the icon is; then the last place the mouse
    // touched it, or the corner of the work area where the tray lies.
    NOTIFYICONIDENTIFIER id{};
    id.cbSize = sizeof id;
    id.hWnd = hwnd();
    id.uID = 1;
    RECT r{};
    if (attached_ && Shell_NotifyIconGetRect(&id, &r) == S_OK) {
        x = r.left;
        y = r.top;
        return;
    }
    if (lastMouse_.x >= 0) {
        x = lastMouse_.x;
        y = lastMouse_.y;
        return;
    }
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    x = work.right - 16;
    y = work.bottom - 16;
}

bool Win32TrayIcon::OnMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (msg == kCallbackMessage) {
        const UINT code = static_cast<UINT>(lp);
        if (code >= WM_MOUSEFIRST && code <= WM_MOUSELAST) {
            GetCursorPos(&lastMouse_);
            Fire(OnMouse, static_cast<int>(code));
        } else if (code >= NIN_BALLOONSHOW && code <= NIN_BALLOONUSERCLICK) {
            Fire(OnBalloon, code);
        }
        result = 0;
        return true;
    }
    if (msg == taskbarCreated_) {
        // The shell forgot every icon: ask to be attached again.
        attached_ = false;
        Fire(OnReattach);
        result = 0;
        return true;
    }
    return false;
}

bool Win32TrayIcon::ShowBalloon(const std::string& title, const std::string& text, int style) {
    if (!attached_) return false;
    NOTIFYICONDATAA data = Data(NIF_INFO);
    lstrcpynA(data.szInfoTitle, title.c_str(), sizeof data.szInfoTitle);
    lstrcpynA(data.szInfo, text.c_str(), sizeof data.szInfo);
    data.dwInfoFlags = static_cast<DWORD>(style);
    data.uTimeout = 10000;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

void Win32TrayIcon::HideBalloon() {
    if (!attached_) return;
    NOTIFYICONDATAA data = Data(NIF_INFO);
    Shell_NotifyIconA(NIM_MODIFY, &data);
}

Win32Balloon::Win32Balloon(Win32TrayIcon& icon) : icon_(icon) {
    icon_.OnBalloon = [this](UINT notification) {
        if (notification == NIN_BALLOONUSERCLICK) Fire(OnMouse, static_cast<int>(WM_LBUTTONUP));
        if (notification == NIN_BALLOONHIDE || notification == NIN_BALLOONTIMEOUT) shown_ = false;
    };
}

void Win32Balloon::Show(const std::string& title, const std::string& text, int style) {
    shown_ = icon_.ShowBalloon(title, text, style);
}

void Win32Balloon::Close() {
    if (shown_) icon_.HideBalloon();
    shown_ = false;
}
}  // namespace tidvex::controls::win32
