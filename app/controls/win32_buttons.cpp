#include "controls/win32_buttons.h"

#include "text/text.h"

#include <algorithm>

namespace tidvex::controls::win32 {

namespace {

// Where a check box's or option button's caption begins: after the 13-pixel
// box and its gap (measured: a caption of 76 pixels stays on one line from a
// client width of 92).
constexpr int kCheckCaptionLeft = 16;

}  // namespace

// ---- Button ----

Win32Button::Win32Button(HWND parent, const std::string& caption, Bounds at) : Win32Control(ControlKind::Other) {
    // The form, not the click, decides the selected state, which shows as a
    // pressed button.
    CreateNative("BUTTON", caption, kChildStyle | WS_TABSTOP | BS_OWNERDRAW, 0, parent, at.left, at.top, at.width,
                 at.height);
}

void Win32Button::Caption(const std::string& text) {
    SetWindowTextA(hwnd(), text.c_str());
    Invalidate();
}

void Win32Button::Selected(bool on) {
    selected_ = on;
    Invalidate();
}

void Win32Button::Icon(HICON icon) {
    icon_ = icon;
    // The style tells what the button shows, as an icon button's does.
    const LONG_PTR style = GetWindowLongPtrA(hwnd(), GWL_STYLE);
    SetWindowLongPtrA(hwnd(), GWL_STYLE, icon ? (style | BS_ICON) : (style & ~static_cast<LONG_PTR>(BS_ICON)));
    Invalidate();
}

bool Win32Button::TextLayout(CaptionLayout& layout) const {
    if (icon_) return false;
    GetClientRect(hwnd(), &layout.area);
    // Inside the raised edge.
    InflateRect(&layout.area, -GetSystemMetrics(SM_CXEDGE), -GetSystemMetrics(SM_CYEDGE));
    layout.flags = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
    layout.font = UiFont();
    return true;
}

void Win32Button::Draw(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    DrawFrameControl(dc, &r, DFC_BUTTON,
                     DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0) | (selected_ ? DFCS_CHECKED : 0));
    // What is pressed in moves by a pixel.
    const int shift = pressed || selected_ ? 1 : 0;
    if (icon_) {
        const int size = GetSystemMetrics(SM_CXICON);
        DrawIconEx(dc, (r.right - r.left - size) / 2 + shift, (r.bottom - r.top - size) / 2 + shift, icon_, size, size,
                   0, nullptr, DI_NORMAL);
    } else {
        CaptionLayout text;
        TextLayout(text);
        OffsetRect(&text.area, shift, shift);
        const std::string caption = Caption();
        SelectedObject font(dc, text.font, false);
        SetBkMode(dc, TRANSPARENT);
        if (disabled) {
            // Engraved: a light copy a pixel down and right under the grey text.
            RECT light = text.area;
            OffsetRect(&light, 1, 1);
            SetTextColor(dc, GetSysColor(COLOR_3DHILIGHT));
            DrawTextA(dc, caption.c_str(), -1, &light, text.flags);
        }
        SetTextColor(dc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        DrawTextA(dc, caption.c_str(), -1, &text.area, text.flags);
    }
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        RECT focus = r;
        InflateRect(&focus, -3, -3);
        DrawFocusRect(dc, &focus);
    }
}

bool Win32Button::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    switch (msg) {
        case BM_GETCHECK: result = selected_ ? BST_CHECKED : BST_UNCHECKED; return true;
        case BM_GETIMAGE: result = reinterpret_cast<LRESULT>(icon_); return true;
        default: return false;
    }
}

bool Win32Button::OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        // A disabled button is not pressed, whatever message reaches it.
        if (IsWindowEnabled(hwnd())) Fire(OnClick);
        result = 0;
        return true;
    }
    if (msg == WM_DRAWITEM) {
        Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
        result = TRUE;
        return true;
    }
    return Win32Control::OnReflect(msg, wp, lp, result);
}

// ---- CheckBox / OptionButton ----

Win32CheckBox::Win32CheckBox(HWND parent, const std::string& caption, Bounds at, Type type, int value)
    : Win32Control(type == Type::CheckBox ? ControlKind::CheckBox : ControlKind::Other), type_(type) {
    CreateNative("BUTTON", caption,
                 kChildStyle | WS_TABSTOP | (type == Type::CheckBox ? BS_CHECKBOX : BS_RADIOBUTTON) | BS_MULTILINE, 0,
                 parent, at.left, at.top, at.width, at.height);
    Value(value);
}

void Win32CheckBox::Value(int state) {
    value_ = state;
    SendMessageA(hwnd(), BM_SETCHECK, state ? BST_CHECKED : BST_UNCHECKED, 0);
}

void Win32CheckBox::SetColor(const std::string& property, COLORREF color) {
    if (property == "OuterBorderColor") {
        border_ = color;
        hasBorder_ = true;
        Invalidate();
        return;
    }
    Win32Control::SetColor(property, color);
}

bool Win32CheckBox::OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED && IsWindowEnabled(hwnd())) {
        if (type_ == Type::CheckBox) {
            Value(value_ ? 0 : -1);
        } else {
            // The other option buttons of the same parent go off.
            for (HWND sibling = GetWindow(GetParent(hwnd()), GW_CHILD); sibling;
                 sibling = GetWindow(sibling, GW_HWNDNEXT)) {
                auto* other = dynamic_cast<Win32CheckBox*>(FromHandle(sibling));
                if (other && other != this && other->type_ == Type::OptionButton) other->Value(0);
            }
            Value(-1);
        }
        Fire(OnClick);
        result = 0;
        return true;
    }
    return Win32Control::OnReflect(msg, wp, lp, result);
}

bool Win32CheckBox::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    const bool dimmed = !IsWindowEnabled(hwnd());
    if ((msg != WM_PAINT && msg != WM_PRINTCLIENT) || (!hasBorder_ && !dimmed)) return false;
    result = Default(msg, wp, lp);
    HDC dc = msg == WM_PRINTCLIENT ? reinterpret_cast<HDC>(wp) : GetDC(hwnd());
    if (hasBorder_) {
        // The outer border of the box itself.
        RECT r;
        GetClientRect(hwnd(), &r);
        const int box = 13;
        RECT square{0, (r.bottom - box) / 2 - 1, box + 2, (r.bottom - box) / 2 + box + 1};
        FrameSolid(dc, square, border_);
    }
    if (dimmed) DrawDimmedCaption(dc);
    if (msg == WM_PAINT) ReleaseDC(hwnd(), dc);
    return true;
}

void Win32CheckBox::DrawDimmedCaption(HDC dc) const {
    CaptionLayout text;
    TextLayout(text);
    HBRUSH back = ParentBrush(hwnd(), dc);
    FillRect(dc, &text.area, back);
    LOGBRUSH ground{};
    GetObject(back, sizeof ground, &ground);
    // Halfway from the ink of an enabled caption to the background.
    const COLORREF ink = hasFore_ ? fore_ : GetSysColor(COLOR_BTNTEXT);
    auto half = [](BYTE a, BYTE b) { return static_cast<BYTE>((a + b) / 2); };
    SetTextColor(dc, RGB(half(GetRValue(ink), GetRValue(ground.lbColor)), half(GetGValue(ink), GetGValue(ground.lbColor)),
                         half(GetBValue(ink), GetBValue(ground.lbColor))));
    SetBkMode(dc, TRANSPARENT);
    SelectedObject font(dc, text.font, false);
    const std::string caption = Caption();
    // The lines centred in the height, as the platform places them.
    RECT lines = text.area;
    DrawTextA(dc, caption.c_str(), -1, &lines, text.flags | DT_CALCRECT);
    RECT at = text.area;
    at.top += std::max<LONG>(0, (text.area.bottom - text.area.top - (lines.bottom - lines.top) + 1) / 2);
    DrawTextA(dc, caption.c_str(), -1, &at, text.flags);
}

bool Win32CheckBox::TextLayout(CaptionLayout& layout) const {
    GetClientRect(hwnd(), &layout.area);
    // Measured: the platform wraps the caption at the client's width less the
    // box and its gap, and centres the lines in the client's height.
    layout.area.left += kCheckCaptionLeft;
    layout.flags = DT_WORDBREAK;
    layout.font = UiFont();
    return true;
}

// ---- TextBox ----

Win32TextBox::Win32TextBox(HWND parent, const std::string& text, Bounds at, bool multiLine)
    : Win32Control(ControlKind::TextBox) {
    CreateNativeWide(L"EDIT",
                     kChildStyle | WS_TABSTOP | (multiLine ? ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL : ES_AUTOHSCROLL),
                     WS_EX_CLIENTEDGE, parent, at.left, at.top, at.width, at.height);
    Text(text);
}

std::string Win32TextBox::Text() const { return text::Narrow(WideText()); }

void Win32TextBox::Text(const std::string& text) { SetWindowTextW(hwnd(), text::Wide(text).c_str()); }

std::wstring Win32TextBox::WideText() const {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd())) + 1, L'\0');
    text.resize(static_cast<size_t>(std::max(GetWindowTextW(hwnd(), text.data(), static_cast<int>(text.size())), 0)));
    return text;
}
}  // namespace tidvex::controls::win32
