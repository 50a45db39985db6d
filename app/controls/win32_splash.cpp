#include "controls/win32_splash.h"

namespace tidvex::controls::win32 {

// ---- Splash ----

Win32Splash::Win32Splash() {
    CreateOwn("TidvexSplash", "Tidvex", WS_POPUP | WS_BORDER, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, nullptr, 0, 0, 400,
              260);
    label_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_RIGHT, 0, 0, 0, 0, hwnd(), nullptr,
                             Instance(), nullptr);
    SetWindowTextA(label_, "");
    SendMessageA(label_, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()), FALSE);
    SetWindowLongPtrA(label_, GWLP_ID, 1);
}

Win32Splash::~Win32Splash() {
    if (picture_) DeleteObject(picture_);
}

bool Win32Splash::LoadPicture(const std::wstring& path) {
    HBITMAP loaded = LoadPictureFile(path);
    if (!loaded) return false;
    if (picture_) DeleteObject(picture_);
    picture_ = loaded;
    BITMAP bm{};
    GetObject(picture_, sizeof bm, &bm);
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    const int x = work.left + (work.right - work.left - bm.bmWidth) / 2;
    const int y = work.top + (work.bottom - work.top - bm.bmHeight) / 2;
    MoveWindow(hwnd(), x, y, bm.bmWidth + 2, bm.bmHeight + 2, TRUE);
    MoveWindow(label_, 8, bm.bmHeight - 24, bm.bmWidth - 16, 18, TRUE);
    return true;
}

void Win32Splash::LabelText(const std::string& label, const std::string& text) {
    if (label == "lblVersion") SetWindowTextA(label_, text.c_str());
}

void Win32Splash::Show(int) {
    if (!hwnd()) return;
    ShowWindow(hwnd(), SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd());
}

void Win32Splash::Close() {
    if (hwnd()) ShowWindow(hwnd(), SW_HIDE);
}

bool Win32Splash::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_ERASEBKGND: {
            HDC dc = reinterpret_cast<HDC>(wp);
            RECT r;
            GetClientRect(hwnd(), &r);
            if (picture_) {
                HDC memory = CreateCompatibleDC(dc);
                HGDIOBJ old = SelectObject(memory, picture_);
                BitBlt(dc, 0, 0, r.right, r.bottom, memory, 0, 0, SRCCOPY);
                SelectObject(memory, old);
                DeleteDC(memory);
            } else {
                FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
            }
            result = 1;
            return true;
        }
        case WM_CTLCOLORSTATIC:
            SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
            SetTextColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 255));
            result = reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
            return true;
        default: return false;
    }
}

// ---- PageEffect ----

void Win32PageEffect::Run(std::intptr_t handle) {
    HWND overlay = reinterpret_cast<HWND>(handle);
    if (value_ != 1 || !IsWindow(overlay)) return;
    ++runs_;
    SetWindowPos(overlay, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    UpdateWindow(overlay);
    if (!AnimateWindow(overlay, 150, AW_HIDE | AW_SLIDE | AW_HOR_POSITIVE)) ShowWindow(overlay, SW_HIDE);
}
}  // namespace tidvex::controls::win32
