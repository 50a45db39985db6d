#include "controls/win32_buttons.h"

namespace tidvex::controls::win32 {

// ---- Button ----

Win32Button::Win32Button(HWND parent, const std::string& caption, Bounds at) : Win32Control(ControlKind::Other) {
    // A push-like box shows the selected state as a pressed button; the form,
    // not the click, decides the state.
    CreateNative("BUTTON", caption, kChildStyle | WS_TABSTOP | BS_CHECKBOX | BS_PUSHLIKE, 0, parent, at.left, at.top,
                 at.width, at.height);
}

bool Win32Button::Selected() const { return SendMessageA(hwnd(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Win32Button::Selected(bool on) { SendMessageA(hwnd(), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

void Win32Button::Icon(HICON icon) {
    LONG_PTR style = GetWindowLongPtrA(hwnd(), GWL_STYLE);
    SetWindowLongPtrA(hwnd(), GWL_STYLE, icon ? (style | BS_ICON) : (style & ~static_cast<LONG_PTR>(BS_ICON)));
    SendMessageA(hwnd(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    Invalidate();
}

bool Win32Button::OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        // A disabled button is not pressed, whatever message reaches it.
        if (IsWindowEnabled(hwnd())) Fire(OnClick);
        result = 0;
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
    if (msg != WM_PAINT || !hasBorder_) return false;
    result = Default(msg, wp, lp);
    // The outer border of the box itself.
    HDC dc = GetDC(hwnd());
    RECT r;
    GetClientRect(hwnd(), &r);
    const int box = 13;
    RECT square{0, (r.bottom - box) / 2 - 1, box + 2, (r.bottom - box) / 2 + box + 1};
    FrameSolid(dc, square, border_);
    ReleaseDC(hwnd(), dc);
    return true;
}

// ---- TextBox ----

Win32TextBox::Win32TextBox(HWND parent, const std::string& text, Bounds at, bool multiLine)
    : Win32Control(ControlKind::TextBox) {
    CreateNative("EDIT", text,
                 kChildStyle | WS_TABSTOP | (multiLine ? ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL : ES_AUTOHSCROLL),
                 WS_EX_CLIENTEDGE, parent, at.left, at.top, at.width, at.height);
}
}  // namespace tidvex::controls::win32
