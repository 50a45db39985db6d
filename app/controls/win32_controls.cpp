#include "controls/win32_controls.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

namespace tidvex::controls::win32 {

namespace {

COLORREF Find(const std::map<std::string, COLORREF>& colors, const char* name, COLORREF fallback) {
    auto it = colors.find(name);
    return it == colors.end() ? fallback : it->second;
}

// A rectangle filled with a gradient between four corner colours.
void FourCornerGradient(HDC dc, const RECT& r, COLORREF topLeft, COLORREF topRight, COLORREF bottomLeft,
                        COLORREF bottomRight) {
    auto vertex = [](LONG x, LONG y, COLORREF c) {
        TRIVERTEX v{};
        v.x = x;
        v.y = y;
        v.Red = static_cast<COLOR16>(GetRValue(c) << 8);
        v.Green = static_cast<COLOR16>(GetGValue(c) << 8);
        v.Blue = static_cast<COLOR16>(GetBValue(c) << 8);
        return v;
    };
    TRIVERTEX v[4] = {vertex(r.left, r.top, topLeft), vertex(r.right, r.top, topRight),
                      vertex(r.left, r.bottom, bottomLeft), vertex(r.right, r.bottom, bottomRight)};
    GRADIENT_TRIANGLE t[2] = {{0, 1, 2}, {1, 3, 2}};
    GradientFill(dc, v, 4, t, 2, GRADIENT_FILL_TRIANGLE);
}

// What the parent paints behind a control of ours that has no back colour.
HBRUSH ParentBrush(HWND hwnd, HDC dc) {
    auto brush = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(hwnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
    return brush ? brush : GetSysColorBrush(COLOR_BTNFACE);
}

int MouseButton(UINT msg) {
    switch (msg) {
        case WM_LBUTTONUP:
        case WM_LBUTTONDOWN: return kLeftButton;
        case WM_RBUTTONUP:
        case WM_RBUTTONDOWN: return kRightButton;
        case WM_MBUTTONUP:
        case WM_MBUTTONDOWN: return kMiddleButton;
        default: return 0;
    }
}

const DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;

}  // namespace

// ---- Label ----

Win32Label::Win32Label(HWND parent, const std::string& caption, Bounds at, LabelStyle style)
    : Win32Control(style == LabelStyle::Banner     ? ControlKind::Banner
                   : style == LabelStyle::Gradient ? ControlKind::Label
                                                   : ControlKind::Other),
      style_(style),
      align_(style == LabelStyle::Plain ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER) {
    CreateOwn("TidvexLabel", caption, kChild, 0, parent, at.left, at.top, at.width, at.height);
}

void Win32Label::Caption(const std::string& text) {
    SetWindowTextA(hwnd(), text.c_str());
    Invalidate();
}

void Win32Label::SetColor(const std::string& property, COLORREF color) {
    colors_[property] = color;
    Invalidate();
}

bool Win32Label::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_PAINT: {
            PaintScope paint(hwnd());
            Paint(paint.dc());
            result = 0;
            return true;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wp));
            result = 0;
            return true;
        case WM_ERASEBKGND: result = 1; return true;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            Fire(OnMouseUp, MouseButton(msg));
            result = 0;
            return true;
        case WM_SETTEXT: Invalidate(); return false;
        default: return false;
    }
}

void Win32Label::Paint(HDC dc) {
    RECT r;
    GetClientRect(hwnd(), &r);
    RECT text = r;
    COLORREF textColor = Find(colors_, "ForeColor", GetSysColor(COLOR_BTNTEXT));
    switch (style_) {
        case LabelStyle::Plain:
            FillRect(dc, &r, ParentBrush(hwnd(), dc));
            break;
        case LabelStyle::Banner: {
            // A header band over a body, both gradients, in a border.
            RECT header = r;
            header.bottom = std::min<LONG>(r.bottom, r.top + std::max<LONG>(22, (r.bottom - r.top) * 3 / 5));
            FourCornerGradient(dc, header, Find(colors_, "HeaderColorTopLeft", RGB(73, 72, 183)),
                               Find(colors_, "HeaderColorTopRight", RGB(99, 98, 199)),
                               Find(colors_, "HeaderColorBottomLeft", RGB(43, 42, 153)),
                               Find(colors_, "HeaderColorBottomRight", RGB(43, 42, 153)));
            RECT body = r;
            body.top = header.bottom;
            const COLORREF back = Find(colors_, "BackColor", RGB(174, 174, 255));
            if (body.bottom > body.top)
                FourCornerGradient(dc, body, back, back, Find(colors_, "BodyColorBottomLeft", back),
                                   Find(colors_, "BodyColorBottomRight", back));
            FrameSolid(dc, r, Find(colors_, "BorderColor", RGB(43, 42, 153)));
            textColor = Find(colors_, "ForeColor", RGB(174, 174, 255));
            text = header;
            text.left += 8;
            break;
        }
        case LabelStyle::Bars: {
            const int rows = std::max<LONG>(1, (r.bottom - r.top) / 3);
            FourCornerGradient(dc, r, RGB(43, 42, 153), RGB(174, 174, 255), RGB(43, 42, 153), RGB(174, 174, 255));
            for (int y = r.top + rows; y < r.bottom; y += rows) {
                RECT line{r.left, y, r.right, y + 1};
                FillSolid(dc, line, RGB(255, 255, 255));
            }
            return;
        }
        case LabelStyle::Gradient: {
            const COLORREF start = Find(colors_, "StartColor", RGB(44, 44, 125));
            const COLORREF end = Find(colors_, "EndColor", RGB(255, 255, 255));
            FourCornerGradient(dc, r, start, end, start, end);
            textColor = Find(colors_, "TextColor", RGB(174, 174, 255));
            text.left += 6;
            break;
        }
    }
    SelectedObject font(dc, UiFont(), false);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(hwnd()) ? textColor : GetSysColor(COLOR_GRAYTEXT));
    const std::string caption = Caption();
    DrawTextA(dc, caption.c_str(), -1, &text, align_ | DT_NOPREFIX);
}

// ---- Picture ----

Win32Picture::Win32Picture(HWND parent, Bounds at) : Win32Control(ControlKind::Other) {
    CreateOwn("TidvexPicture", "", kChild, 0, parent, at.left, at.top, at.width, at.height);
}

Win32Picture::~Win32Picture() {
    if (bitmap_) DeleteObject(bitmap_);
}

void Win32Picture::Image(HICON icon) {
    icon_ = icon;
    Invalidate();
}

bool Win32Picture::LoadFile(const std::string& path) {
    HBITMAP loaded = LoadPictureFile(path);
    if (!loaded) return false;
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = loaded;
    Invalidate();
    return true;
}

bool Win32Picture::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_PAINT: {
            PaintScope paint(hwnd());
            RECT r;
            GetClientRect(hwnd(), &r);
            FillRect(paint.dc(), &r, ParentBrush(hwnd(), paint.dc()));
            if (bitmap_) {
                HDC memory = CreateCompatibleDC(paint.dc());
                HGDIOBJ old = SelectObject(memory, bitmap_);
                BITMAP bm{};
                GetObject(bitmap_, sizeof bm, &bm);
                StretchBlt(paint.dc(), 0, 0, r.right, r.bottom, memory, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
                SelectObject(memory, old);
                DeleteDC(memory);
            } else if (icon_) {
                DrawIconEx(paint.dc(), 0, 0, icon_, r.right, r.bottom, 0, nullptr, DI_NORMAL);
            }
            result = 0;
            return true;
        }
        case WM_ERASEBKGND: result = 1; return true;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            Fire(OnMouseDown, MouseButton(msg));
            result = 0;
            return true;
        default: return false;
    }
}

// ---- Button ----

Win32Button::Win32Button(HWND parent, const std::string& caption, Bounds at) : Win32Control(ControlKind::Other) {
    // A push-like box shows the selected state as a pressed button; the form,
    // not the click, decides the state.
    CreateNative("BUTTON", caption, kChild | WS_TABSTOP | BS_CHECKBOX | BS_PUSHLIKE, 0, parent, at.left, at.top,
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
                 kChild | WS_TABSTOP | (type == Type::CheckBox ? BS_CHECKBOX : BS_RADIOBUTTON) | BS_MULTILINE, 0,
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
                 kChild | WS_TABSTOP | (multiLine ? ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL : ES_AUTOHSCROLL),
                 WS_EX_CLIENTEDGE, parent, at.left, at.top, at.width, at.height);
}

// ---- ListBox ----

Win32ListBox::Win32ListBox(HWND parent, Bounds at, Options options)
    : Win32Items(ControlKind::ListBox,
                 {LB_ADDSTRING, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT, LB_DELETESTRING, LB_RESETCONTENT}),
      options_(options) {
    DWORD style = kChild | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS;
    if (options.multiSelect) style |= LBS_EXTENDEDSEL;
    if (options.checkBoxes) style |= LBS_OWNERDRAWFIXED;
    CreateNative("LISTBOX", "", style, WS_EX_CLIENTEDGE | (options.dropTarget ? WS_EX_ACCEPTFILES : 0), parent, at.left,
                 at.top, at.width, at.height);
    if (options.checkBoxes) SendMessageA(hwnd(), LB_SETITEMHEIGHT, 0, 17);
    if (options.dropTarget) DragAcceptFiles(hwnd(), TRUE);
}

void Win32ListBox::Removed(int index) {
    if (index < 0 || listIndex_ == index) listIndex_ = -1;
    else if (listIndex_ > index) --listIndex_;
}

int Win32ListBox::ListIndex() const {
    if (options_.multiSelect) return listIndex_;
    return static_cast<int>(SendMessageA(hwnd(), LB_GETCURSEL, 0, 0));
}

void Win32ListBox::ListIndex(int index) {
    if (!Valid(index)) index = -1;
    if (options_.multiSelect) {
        listIndex_ = index;
        if (index >= 0) {
            SendMessageA(hwnd(), LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
            SendMessageA(hwnd(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
        }
        return;
    }
    SendMessageA(hwnd(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool Win32ListBox::Selected(int index) const {
    if (!Valid(index)) return false;
    if (!options_.multiSelect) return ListIndex() == index;
    return SendMessageA(hwnd(), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void Win32ListBox::Selected(int index, bool on) {
    if (!Valid(index)) return;
    if (options_.multiSelect) SendMessageA(hwnd(), LB_SETSEL, on, index);
    else if (on) ListIndex(index);
    else if (ListIndex() == index) ListIndex(-1);
}

bool Win32ListBox::Checked(int index) const {
    return Valid(index) && SendMessageA(hwnd(), LB_GETITEMDATA, static_cast<WPARAM>(index), 0) != 0;
}

void Win32ListBox::Checked(int index, bool on) {
    if (!Valid(index)) return;
    SendMessageA(hwnd(), LB_SETITEMDATA, static_cast<WPARAM>(index), on ? 1 : 0);
    RECT r;
    if (SendMessageA(hwnd(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r)) != LB_ERR)
        InvalidateRect(hwnd(), &r, TRUE);
}

void Win32ListBox::ToggleCheck(int index) {
    if (!Valid(index) || !IsWindowEnabled(hwnd())) return;
    Checked(index, !Checked(index));
    Fire(OnItemCheck, index);
}

bool Win32ListBox::OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == LBN_SELCHANGE && options_.multiSelect) {
        listIndex_ = static_cast<int>(SendMessageA(hwnd(), LB_GETCARETINDEX, 0, 0));
        return false;
    }
    if (msg == WM_DRAWITEM) {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (item->itemID == static_cast<UINT>(-1)) return true;
        const int index = static_cast<int>(item->itemID);
        const bool selected = item->itemState & ODS_SELECTED;
        RECT r = item->rcItem;
        HBRUSH back = hasBack_ && !selected ? brush_ : GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
        FillRect(item->hDC, &r, back);
        RECT box{r.left + 2, r.top + 2, r.left + 15, r.top + 15};
        DrawFrameControl(item->hDC, &box, DFC_BUTTON, DFCS_BUTTONCHECK | (Checked(index) ? DFCS_CHECKED : 0));
        RECT text = r;
        text.left += 19;
        SetBkMode(item->hDC, TRANSPARENT);
        SetTextColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        const std::string caption = List(index);
        DrawTextA(item->hDC, caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &r);
        result = TRUE;
        return true;
    }
    return Win32Items::OnReflect(msg, wp, lp, result);
}

bool Win32ListBox::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_LBUTTONDOWN: {
            if (!options_.checkBoxes) return false;
            const auto hit = SendMessageA(hwnd(), LB_ITEMFROMPOINT, 0, lp);
            const int x = static_cast<short>(LOWORD(lp));
            if (HIWORD(hit) == 0 && x < 17) {
                result = Default(msg, wp, lp);
                ToggleCheck(static_cast<int>(LOWORD(hit)));
                return true;
            }
            return false;
        }
        case WM_CHAR:
            if (!options_.checkBoxes || wp != ' ') return false;
            ToggleCheck(static_cast<int>(SendMessageA(hwnd(), LB_GETCARETINDEX, 0, 0)));
            result = 0;
            return true;
        case WM_DROPFILES: {
            auto drop = reinterpret_cast<HDROP>(wp);
            std::vector<std::string> paths;
            const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
            for (UINT i = 0; i < count; ++i) {
                const UINT length = DragQueryFileA(drop, i, nullptr, 0);
                std::string path(length + 1, '\0');
                DragQueryFileA(drop, i, path.data(), length + 1);
                path.resize(length);
                paths.push_back(path);
            }
            DragFinish(drop);
            Fire(OnDropFiles, paths);
            result = 0;
            return true;
        }
        default: return false;
    }
}

// ---- ComboBox ----

Win32ComboBox::Win32ComboBox(HWND parent, Bounds at)
    : Win32Items(ControlKind::ComboBox,
                 {CB_ADDSTRING, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT, CB_DELETESTRING, CB_RESETCONTENT}) {
    // The height is that of the dropped list.
    CreateNative("COMBOBOX", "", kChild | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, parent,
                 at.left, at.top, at.width, std::max(at.height, 200));
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(hwnd(), &info) && info.hwndList) SetPropA(info.hwndList, "TidvexControl", static_cast<Win32Window*>(this));
}

int Win32ComboBox::ListIndex() const { return static_cast<int>(SendMessageA(hwnd(), CB_GETCURSEL, 0, 0)); }

void Win32ComboBox::ListIndex(int index) {
    SendMessageA(hwnd(), CB_SETCURSEL, static_cast<WPARAM>(index >= 0 && index < ListCount() ? index : -1), 0);
}

bool Win32ComboBox::OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == CBN_SELCHANGE) {
        Fire(OnClick);
        result = 0;
        return true;
    }
    return Win32Items::OnReflect(msg, wp, lp, result);
}

// ---- Panel ----

Win32Panel::Win32Panel(HWND parent, const std::string& caption, Bounds at) : Win32Control(ControlKind::FramePanel) {
    CreateOwn("TidvexPanel", caption, kChild | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, parent, at.left, at.top,
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

COLORREF Win32Panel::Colour(const char* name, COLORREF fallback) const { return Find(colors_, name, fallback); }

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

Win32TabStrip::Win32TabStrip(HWND parent, const std::vector<std::string>& captions, Bounds at)
    : Win32Control(ControlKind::TabStrip) {
    CreateNative(WC_TABCONTROLA, "", kChild | WS_CLIPCHILDREN | WS_TABSTOP, WS_EX_CONTROLPARENT, parent, at.left,
                 at.top, at.width, at.height);
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
    SendMessageA(hwnd(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
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

bool Win32TabStrip::OnMessage(UINT msg, WPARAM, LPARAM lp, LRESULT&) {
    if (msg == WM_LBUTTONDOWN) {
        TCHITTESTINFO hit{};
        hit.pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        clickTarget_ = static_cast<int>(SendMessageA(hwnd(), TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    }
    return false;
}

// ---- Grid ----

Win32Grid::Win32Grid(HWND parent, Bounds at) : Win32Control(ControlKind::Other) {
    CreateNative(WC_LISTVIEWA, "",
                 kChild | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_EDITLABELS,
                 WS_EX_CLIENTEDGE, parent, at.left, at.top, at.width, at.height);
    SendMessageA(hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
}

void Win32Grid::DataSource(const std::vector<GridRow>& rows, int columns) {
    columns = std::max(columns, 0);
    rows_ = rows;
    for (auto& row : rows_) row.resize(static_cast<size_t>(columns));
    layout_.assign(static_cast<size_t>(columns), GridColumn{});
    Rebuild();
    ActiveRow(rows_.empty() ? -1 : 0);
}

GridColumn Win32Grid::Layout(int column) const {
    return ValidColumn(column) ? layout_[static_cast<size_t>(column)] : GridColumn{};
}

void Win32Grid::Layout(int column, const GridColumn& layout) {
    if (!ValidColumn(column)) return;
    GridColumn& old = layout_[static_cast<size_t>(column)];
    const bool shape = old.hidden != layout.hidden || old.checkBox != layout.checkBox;
    old = layout;
    if (shape) {
        Rebuild();
        return;
    }
    // Header and width change in place (an edit in progress is not disturbed).
    auto at = std::find(shown_.begin(), shown_.end(), column);
    if (at == shown_.end()) return;
    LVCOLUMNA lvc{};
    lvc.mask = LVCF_TEXT | LVCF_WIDTH;
    std::string header = layout.header;
    lvc.pszText = header.data();
    lvc.cx = layout.width;
    SendMessageA(hwnd(), LVM_SETCOLUMNA, static_cast<WPARAM>(at - shown_.begin()), reinterpret_cast<LPARAM>(&lvc));
}

void Win32Grid::Rebuild() {
    filling_ = true;
    SendMessageA(hwnd(), WM_SETREDRAW, FALSE, 0);
    SendMessageA(hwnd(), LVM_DELETEALLITEMS, 0, 0);
    while (SendMessageA(hwnd(), LVM_DELETECOLUMN, 0, 0)) {
    }
    shown_.clear();
    for (int c = 0; c < Columns(); ++c)
        if (!layout_[static_cast<size_t>(c)].hidden) shown_.push_back(c);
    checkBoxes_ = !shown_.empty() && layout_[static_cast<size_t>(shown_.front())].checkBox;
    SendMessageA(hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, checkBoxes_ ? LVS_EX_CHECKBOXES : 0);
    for (size_t i = 0; i < shown_.size(); ++i) {
        const GridColumn& layout = layout_[static_cast<size_t>(shown_[i])];
        LVCOLUMNA lvc{};
        lvc.mask = LVCF_TEXT | LVCF_WIDTH;
        std::string header = layout.header;
        lvc.pszText = header.data();
        lvc.cx = layout.width;
        SendMessageA(hwnd(), LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&lvc));
    }
    if (!shown_.empty()) {
        for (int r = 0; r < Rows(); ++r) {
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = r;
            std::string empty;
            item.pszText = empty.data();
            SendMessageA(hwnd(), LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
            for (int c : shown_) ShowCell(r, c);
        }
    }
    SendMessageA(hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd(), nullptr, TRUE);
    filling_ = false;
}

void Win32Grid::ShowCell(int row, int column) {
    auto at = std::find(shown_.begin(), shown_.end(), column);
    if (at == shown_.end()) return;
    const std::string& value = rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
    const bool filling = filling_;
    filling_ = true;
    if (at == shown_.begin() && checkBoxes_) {
        LVITEMA item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(value == "0" || value.empty() ? 1 : 2);
        SendMessageA(hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    } else {
        LVITEMA item{};
        item.iSubItem = static_cast<int>(at - shown_.begin());
        std::string text = value;
        item.pszText = text.data();
        SendMessageA(hwnd(), LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    filling_ = filling;
}

std::string Win32Grid::Cell(int row, int column) const {
    return ValidRow(row) && ValidColumn(column) ? rows_[static_cast<size_t>(row)][static_cast<size_t>(column)]
                                                : std::string();
}

void Win32Grid::Cell(int row, int column, const std::string& text) {
    if (!ValidRow(row) || !ValidColumn(column)) return;
    rows_[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
    ShowCell(row, column);
}

int Win32Grid::ActiveRow() const {
    return static_cast<int>(SendMessageA(hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void Win32Grid::ActiveRow(int row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageA(hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (!ValidRow(row)) return;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    SendMessageA(hwnd(), LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

void Win32Grid::EditActiveCell() {
    const int row = ActiveRow();
    const int column = FirstShown();
    if (row < 0 || column < 0) return;
    const GridColumn& layout = layout_[static_cast<size_t>(column)];
    if (layout.locked || layout.checkBox) return;
    ::SetFocus(hwnd());
    SendMessageA(hwnd(), LVM_EDITLABELA, static_cast<WPARAM>(row), 0);
    WatchEscape();
}

int Win32Grid::TopRow() const { return static_cast<int>(SendMessageA(hwnd(), LVM_GETTOPINDEX, 0, 0)); }

void Win32Grid::ScrollRows(bool up) {
    RECT r{};
    r.left = LVIR_BOUNDS;
    const int height =
        SendMessageA(hwnd(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r)) ? std::max<int>(1, r.bottom - r.top) : 16;
    SendMessageA(hwnd(), LVM_SCROLL, 0, up ? -height : height);
}

void Win32Grid::Colors(const GridColors& colors) {
    colors_ = colors;
    SendMessageA(hwnd(), LVM_SETBKCOLOR, 0, colors.back);
    SendMessageA(hwnd(), LVM_SETTEXTBKCOLOR, 0, colors.back);
    SendMessageA(hwnd(), LVM_SETTEXTCOLOR, 0, colors.text);
    Invalidate();
}

bool Win32Grid::OnReflect(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != WM_NOTIFY) return Win32Control::OnReflect(msg, wp, lp, result);
    auto* header = reinterpret_cast<NMHDR*>(lp);
    switch (header->code) {
        case LVN_ITEMCHANGED: {
            auto* change = reinterpret_cast<NMLISTVIEW*>(lp);
            if (filling_ || !checkBoxes_ || !(change->uChanged & LVIF_STATE) || !ValidRow(change->iItem)) return false;
            if ((change->uNewState & LVIS_STATEIMAGEMASK) == (change->uOldState & LVIS_STATEIMAGEMASK)) return false;
            const bool on = (change->uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
            rows_[static_cast<size_t>(change->iItem)][static_cast<size_t>(FirstShown())] = on ? "-1" : "0";
            result = 0;
            return true;
        }
        case LVN_BEGINLABELEDITA:
        case LVN_BEGINLABELEDITW: {
            const int column = FirstShown();
            const bool allowed = column >= 0 && !layout_[static_cast<size_t>(column)].locked && !checkBoxes_;
            if (allowed) WatchEscape();
            result = allowed ? FALSE : TRUE;
            return true;
        }
        case LVN_ENDLABELEDITA: {
            auto* info = reinterpret_cast<NMLVDISPINFOA*>(lp);
            const int row = info->item.iItem, column = FirstShown();
            bool accept = false;
            // The list view gives no text both for Escape and for an emptied
            // cell; only Escape cancels the edit.
            if ((info->item.pszText || !escaped_) && ValidRow(row) && column >= 0) {
                bool cancel = false;
                const std::string text = info->item.pszText ? info->item.pszText : "";
                Fire(OnBeforeUpdate, row, column, text, cancel);
                if (!cancel) {
                    rows_[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
                    accept = true;
                }
            }
            Fire(OnAfterEdit, row, column);
            result = accept ? TRUE : FALSE;
            return true;
        }
        case NM_CUSTOMDRAW: {
            auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lp);
            if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
                result = CDRF_NOTIFYITEMDRAW;
                return true;
            }
            if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                const int row = static_cast<int>(draw->nmcd.dwItemSpec);
                const bool active = row == ActiveRow();
                draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
                draw->clrTextBk = active ? colors_.activeBack : colors_.back;
                draw->clrText = active ? colors_.activeText : colors_.text;
                result = CDRF_NEWFONT;
                return true;
            }
            return false;
        }
        default: return false;
    }
}

namespace {

const char kEditOwnerProp[] = "TidvexGridEdit";
const char kEditProcProp[] = "TidvexGridEditProc";

}  // namespace

// The edit control of a cell tells the grid when the user pressed Escape.
void Win32Grid::WatchEscape() {
    escaped_ = false;
    HWND edit = reinterpret_cast<HWND>(SendMessageA(hwnd(), LVM_GETEDITCONTROL, 0, 0));
    if (!edit || GetPropA(edit, kEditOwnerProp)) return;
    SetPropA(edit, kEditOwnerProp, this);
    SetPropA(edit, kEditProcProp,
             reinterpret_cast<HANDLE>(SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(EditProc))));
}

LRESULT CALLBACK Win32Grid::EditProc(HWND edit, UINT msg, WPARAM wp, LPARAM lp) {
    auto* grid = static_cast<Win32Grid*>(GetPropA(edit, kEditOwnerProp));
    auto original = reinterpret_cast<WNDPROC>(GetPropA(edit, kEditProcProp));
    if (grid && ((msg == WM_KEYDOWN && wp == VK_ESCAPE) || (msg == WM_CHAR && wp == 27))) grid->escaped_ = true;
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(edit, kEditOwnerProp);
        RemovePropA(edit, kEditProcProp);
    }
    return original ? CallWindowProcA(original, edit, msg, wp, lp) : DefWindowProcA(edit, msg, wp, lp);
}

// ---- Timer ----

namespace {

const char kTimerSinkClass[] = "TidvexTimerSink";

std::map<UINT_PTR, Win32Timer*>& Timers() {
    static std::map<UINT_PTR, Win32Timer*> timers;
    return timers;
}

UINT_PTR NextTimerId() {
    static UINT_PTR id = 0x7100;
    return ++id;
}

}  // namespace

static LRESULT CALLBACK TimerSinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        auto it = Timers().find(wp);
        if (it != Timers().end()) Fire(it->second->OnTimer);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

namespace {

// The hidden window of the thread that receives the timers' ticks.
HWND TimerSink(bool create) {
    HWND sink = FindWindowExA(HWND_MESSAGE, nullptr, kTimerSinkClass, nullptr);
    DWORD pid = 0;
    while (sink && GetWindowThreadProcessId(sink, &pid) != GetCurrentThreadId())
        sink = FindWindowExA(HWND_MESSAGE, sink, kTimerSinkClass, nullptr);
    if (sink || !create) return sink;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = Instance();
    wc.lpszClassName = kTimerSinkClass;
    wc.lpfnWndProc = TimerSinkProc;
    RegisterClassExA(&wc);
    return CreateWindowExA(0, kTimerSinkClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Instance(), nullptr);
}

}  // namespace

Win32Timer::Win32Timer(int interval) : interval_(interval), id_(NextTimerId()) { Timers()[id_] = this; }

Win32Timer::~Win32Timer() {
    Timers().erase(id_);
    if (HWND sink = TimerSink(false)) KillTimer(sink, id_);
}

void Win32Timer::Interval(int ms) {
    interval_ = ms;
    Restart();
}

void Win32Timer::Enabled(bool on) {
    enabled_ = on;
    Restart();
}

void Win32Timer::Restart() {
    HWND sink = TimerSink(true);
    KillTimer(sink, id_);
    if (enabled_ && interval_ > 0) SetTimer(sink, id_, static_cast<UINT>(interval_), nullptr);
}

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

bool Win32Splash::LoadPicture(const std::string& path) {
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
