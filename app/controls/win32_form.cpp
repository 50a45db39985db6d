#include "controls/win32_form.h"

namespace tidvex::controls::win32 {

Win32Form::Win32Form(const std::string& caption, int width, int height) {
    RECT r{0, 0, width, height};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    CreateOwn("TidvexForm", caption, style, exStyle, nullptr, CW_USEDEFAULT, CW_USEDEFAULT, r.right - r.left,
              r.bottom - r.top);
}

Win32Form::~Win32Form() = default;

int Win32Form::ScaleWidth() const {
    RECT r{};
    GetClientRect(hwnd(), &r);
    return r.right - r.left;
}

void Win32Form::BackColor(COLORREF color) {
    SetContainerColor(hwnd(), color);
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Win32Form::ShowModal(Form* owner) {
    // One showing at a time. A closed showing whose loop has not unwound yet
    // (a box shown from a handler that ran inside it) does not count.
    if (Shown() || !hwnd()) return;
    HWND ownerWindow = owner ? owner->hWnd() : nullptr;
    SetWindowLongPtrA(hwnd(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(ownerWindow));
    // Over the middle of the owner where it shows, else of the screen (a
    // window in the tray or minimised has no place to centre on).
    const bool ownerShows = ownerWindow && IsWindowVisible(ownerWindow) && !IsIconic(ownerWindow);
    RECT area{}, self{};
    if (!ownerShows || !GetWindowRect(ownerWindow, &area) || IsRectEmpty(&area))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    GetWindowRect(hwnd(), &self);
    const int width = self.right - self.left, height = self.bottom - self.top;
    SetWindowPos(hwnd(), HWND_TOP, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE);
    const bool ownerWasEnabled = ownerWindow && IsWindowEnabled(ownerWindow);
    if (ownerWasEnabled) EnableWindow(ownerWindow, FALSE);
    modal_ = true;
    closed_ = false;
    ShowWindow(hwnd(), SW_SHOW);
    SetForegroundWindow(hwnd());
    RunUntilClosed();
    modal_ = false;
    closed_ = true;
    // The owner is enabled before the form goes, so that it is the one
    // activated, and is brought to the front as the active window.
    if (ownerWasEnabled) EnableWindow(ownerWindow, TRUE);
    ShowWindow(hwnd(), SW_HIDE);
    if (ownerWindow && IsWindowVisible(ownerWindow) && IsWindowEnabled(ownerWindow)) SetForegroundWindow(ownerWindow);
}

void Win32Form::WaitClosed() {
    if (Shown()) RunUntilClosed();
}

bool Win32Form::RunUntilClosed() {
    MSG msg;
    while (Shown()) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            // The program is ending: the main loop must still see its WM_QUIT.
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (!IsDialogMessageA(hwnd(), &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return true;
}

void Win32Form::Close() {
    closed_ = true;
    ShowWindow(hwnd(), SW_HIDE);
    PostMessageA(hwnd(), WM_NULL, 0, 0);
}

bool Win32Form::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_CLOSE:
            if (!OnQueryClose || !OnQueryClose()) Close();
            result = 0;
            return true;
        case WM_COMMAND:
            // Escape and Enter arrive from the dialog keys as IDCANCEL / IDOK:
            // a form of ours closes only through its own buttons.
            if (LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDOK) {
                result = 0;
                return true;
            }
            return false;
        default: return PaintContainerBack(hwnd(), msg, wp, result);
    }
}

}  // namespace tidvex::controls::win32
