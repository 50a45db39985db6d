#include "controls/win32_labels.h"

namespace tidvex::controls::win32 {

namespace {

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

constexpr COLORREF kLinkColor = RGB(0, 0, 192);

}  // namespace

// ---- Label ----

Win32Label::Win32Label(HWND parent, const std::string& caption, Bounds at, LabelStyle style)
    : Win32Control(style == LabelStyle::Banner     ? ControlKind::Banner
                   : style == LabelStyle::Gradient ? ControlKind::Label
                                                   : ControlKind::Other),
      style_(style),
      align_(style == LabelStyle::Plain || style == LabelStyle::Link ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER) {
    CreateOwn("TidvexLabel", caption, kChildStyle, 0, parent, at.left, at.top, at.width, at.height);
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
    if (FireMouseButton(OnMouseUp, msg, true, result)) return true;
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
        case WM_SETTEXT: Invalidate(); return false;
        default: return false;
    }
}

void Win32Label::Paint(HDC dc) {
    RECT r;
    GetClientRect(hwnd(), &r);
    COLORREF textColor =
        FindColor(colors_, "ForeColor", style_ == LabelStyle::Link ? kLinkColor : GetSysColor(COLOR_BTNTEXT));
    switch (style_) {
        case LabelStyle::Plain:
        case LabelStyle::Link:
            FillRect(dc, &r, ParentBrush(hwnd(), dc));
            break;
        case LabelStyle::Banner: {
            // A header band over a body, both gradients, in a border.
            const RECT header = Header(r);
            FourCornerGradient(dc, header, FindColor(colors_, "HeaderColorTopLeft", RGB(73, 72, 183)),
                               FindColor(colors_, "HeaderColorTopRight", RGB(99, 98, 199)),
                               FindColor(colors_, "HeaderColorBottomLeft", RGB(43, 42, 153)),
                               FindColor(colors_, "HeaderColorBottomRight", RGB(43, 42, 153)));
            RECT body = r;
            body.top = header.bottom;
            const COLORREF back = FindColor(colors_, "BackColor", RGB(174, 174, 255));
            if (body.bottom > body.top)
                FourCornerGradient(dc, body, back, back, FindColor(colors_, "BodyColorBottomLeft", back),
                                   FindColor(colors_, "BodyColorBottomRight", back));
            FrameSolid(dc, r, FindColor(colors_, "BorderColor", RGB(43, 42, 153)));
            textColor = FindColor(colors_, "ForeColor", RGB(174, 174, 255));
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
            const COLORREF start = FindColor(colors_, "StartColor", RGB(44, 44, 125));
            const COLORREF end = FindColor(colors_, "EndColor", RGB(255, 255, 255));
            FourCornerGradient(dc, r, start, end, start, end);
            textColor = FindColor(colors_, "TextColor", RGB(174, 174, 255));
            break;
        }
    }
    CaptionLayout text;
    TextLayout(text);
    SelectedObject font(dc, text.font, false);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, IsWindowEnabled(hwnd()) ? textColor : GetSysColor(COLOR_GRAYTEXT));
    const std::string caption = Caption();
    DrawTextA(dc, caption.c_str(), -1, &text.area, text.flags);
}

RECT Win32Label::Header(const RECT& client) const {
    RECT header = client;
    header.bottom = std::min<LONG>(client.bottom, client.top + std::max<LONG>(22, (client.bottom - client.top) * 3 / 5));
    return header;
}

bool Win32Label::TextLayout(CaptionLayout& layout) const {
    if (style_ == LabelStyle::Bars) return false;
    GetClientRect(hwnd(), &layout.area);
    // A banner writes in its header band, a gradient label after a small indent.
    if (style_ == LabelStyle::Banner) {
        layout.area = Header(layout.area);
        layout.area.left += 8;
    } else if (style_ == LabelStyle::Gradient) {
        layout.area.left += 6;
    }
    layout.flags = align_ | DT_NOPREFIX;
    layout.font = UiFont();
    return true;
}

// ---- Picture ----

Win32Picture::Win32Picture(HWND parent, Bounds at) : Win32Control(ControlKind::Other) {
    CreateOwn("TidvexPicture", "", kChildStyle, 0, parent, at.left, at.top, at.width, at.height);
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
    if (FireMouseButton(OnMouseDown, msg, false, result)) return true;
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
        default: return false;
    }
}
}  // namespace tidvex::controls::win32
