#include "controls/win32_tabs.h"

#include <commctrl.h>

namespace tidvex::controls::win32 {

// ---- Panel ----

Win32Panel::Win32Panel(HWND parent, const std::string& caption, Bounds at) : Win32Control(ControlKind::FramePanel) {
    CreateOwn("TidvexPanel", caption, kChildStyle | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent, at.left, at.top,
              at.width, at.height);
}

void Win32Panel::Active(bool on) {
    active_ = on;
    ApplyEnabled();
    Invalidate();
}

void Win32Panel::Color(COLORREF color) {
    accent_ = color;
    Invalidate();
}

void Win32Panel::SetColor(const std::string& property, COLORREF color) {
    colors_[property] = color;
    if (backBrush_) {
        DeleteObject(backBrush_);
        backBrush_ = nullptr;
    }
    RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

COLORREF Win32Panel::Colour(const char* name, COLORREF fallback) const { return FindColor(colors_, name, fallback); }

bool Win32Panel::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    const COLORREF back = active_ ? Colour("BackColor", GetSysColor(COLOR_BTNFACE))
                                  : Colour("BackColorDisabled", Colour("BackColor", GetSysColor(COLOR_BTNFACE)));
    switch (msg) {
        case WM_PRINTCLIENT:
        case WM_ERASEBKGND: {
            HDC dc = reinterpret_cast<HDC>(wp);
            RECT r;
            GetClientRect(hwnd(), &r);
            FillSolid(dc, r, back);
            FrameSolid(dc, r, Colour("BorderColor", GetSysColor(COLOR_BTNSHADOW)));
            InflateRect(&r, -1, -1);
            FrameSolid(dc, r, accent_);
            result = 1;
            return true;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            if (backBrush_) DeleteObject(backBrush_);
            backBrush_ = CreateSolidBrush(back);
            SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
            result = reinterpret_cast<LRESULT>(backBrush_);
            return true;
        }
        case WM_NCDESTROY:
            if (backBrush_) DeleteObject(backBrush_);
            backBrush_ = nullptr;
            return false;
        default: return false;
    }
}

// ---- TabStrip ----

Win32TabStrip::Win32TabStrip(HWND parent, const std::vector<std::string>& captions, Bounds at, bool tabRow)
    : Win32Control(ControlKind::TabStrip), tabRow_(tabRow) {
    CreateNative(WC_TABCONTROLA, "", kChildStyle | WS_CLIPCHILDREN | (tabRow ? WS_TABSTOP : 0), WS_EX_CONTROLPARENT,
                 parent, at.left, at.top, at.width, at.height);
    for (size_t i = 0; i < captions.size(); ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        std::string text = captions[i];
        item.pszText = text.data();
        SendMessageA(hwnd(), TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
        pages_.push_back(CreateWindowExA(WS_EX_CONTROLPARENT, ContainerClass(), captions[i].c_str(),
                                         WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0, hwnd(), nullptr,
                                         Instance(), nullptr));
    }
    PlacePages();
    ShowPage(Tab());
}

Win32TabStrip::~Win32TabStrip() {
    for (HWND page : pages_)
        if (IsWindow(page)) DestroyWindow(page);
}

int Win32TabStrip::Tabs() const { return static_cast<int>(SendMessageA(hwnd(), TCM_GETITEMCOUNT, 0, 0)); }

int Win32TabStrip::Tab() const { return static_cast<int>(SendMessageA(hwnd(), TCM_GETCURSEL, 0, 0)); }

void Win32TabStrip::Tab(int index) {
    if (index < 0 || index >= Tabs()) return;
    SendMessageA(hwnd(), TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
    ShowPage(index);
}

HWND Win32TabStrip::Page(int index) const {
    return index >= 0 && index < static_cast<int>(pages_.size()) ? pages_[static_cast<size_t>(index)] : nullptr;
}

void Win32TabStrip::Move(int left, int top, int width, int height) {
    Win32Control::Move(left, top, width, height);
    PlacePages();
}

void Win32TabStrip::PlacePages() {
    RECT r;
    GetClientRect(hwnd(), &r);
    if (tabRow_)
        SendMessageA(hwnd(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    else
        InflateRect(&r, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    for (HWND page : pages_) MoveWindow(page, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void Win32TabStrip::ShowPage(int index) {
    for (size_t i = 0; i < pages_.size(); ++i)
        ShowWindow(pages_[i], static_cast<int>(i) == index ? SW_SHOWNA : SW_HIDE);
}

void Win32TabStrip::SetColor(const std::string& property, COLORREF color) {
    if (property != "Appearance.BackColor") return;
    for (HWND page : pages_) SetContainerColor(page, color);
}

bool Win32TabStrip::OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != WM_NOTIFY) return Win32Control::OnReflect(msg, wp, lp, result);
    auto* header = reinterpret_cast<NMHDR*>(lp);
    switch (header->code) {
        case TCN_KEYDOWN: {
            // A key asks for the tab beside the current one.
            const WORD key = reinterpret_cast<NMTCKEYDOWN*>(lp)->wVKey;
            const int current = Tab();
            keyTarget_ = key == VK_LEFT ? current - 1 : key == VK_RIGHT ? current + 1 : key == VK_HOME ? 0
                       : key == VK_END  ? Tabs() - 1
                                        : -1;
            result = 0;
            return true;
        }
        case TCN_SELCHANGING: {
            const int target = clickTarget_ >= 0 ? clickTarget_ : keyTarget_;
            clickTarget_ = keyTarget_ = -1;
            bool cancel = false;
            if (target >= 0 && target < Tabs()) Fire(OnBeforeClick, target, cancel);
            result = cancel ? TRUE : FALSE;
            return true;
        }
        case TCN_SELCHANGE:
            ShowPage(Tab());
            result = 0;
            return true;
        default: return false;
    }
}

bool Win32TabStrip::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (!tabRow_) {
        // The pages cover all but the frame.
        switch (msg) {
            case WM_ERASEBKGND: result = 1; return true;
            case WM_PAINT:
            case WM_PRINTCLIENT: {
                RECT r;
                GetClientRect(hwnd(), &r);
                if (msg == WM_PAINT) {
                    PaintScope paint(hwnd());
                    DrawEdge(paint.dc(), &r, EDGE_RAISED, BF_RECT);
                } else {
                    DrawEdge(reinterpret_cast<HDC>(wp), &r, EDGE_RAISED, BF_RECT);
                }
                result = 0;
                return true;
            }
            default: break;
        }
    }
    if (msg == WM_LBUTTONDOWN) {
        TCHITTESTINFO hit{};
        hit.pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        clickTarget_ = static_cast<int>(SendMessageA(hwnd(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    }
    return false;
}
}  // namespace tidvex::controls::win32
