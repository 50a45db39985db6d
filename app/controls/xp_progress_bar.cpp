#include "controls/xp_progress_bar.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

namespace tidvex::controls::win32 {

namespace {

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kSilver = 0xC0C0C0;
const COLORREF kOutline = RGB(104, 104, 104);

// left + part of the width, to the nearest pixel.
int Along(const RECT& r, double part) {
    return r.left + static_cast<int>(RoundHalfEven(part * (r.right - r.left)));
}

}  // namespace

XP_ProgressBar::XP_ProgressBar(HWND parent, Bounds at)
    : Win32Control(ControlKind::ProgressBar), color_(TranslateColor(kHighlightColor)) {
    // An own device context, kept for the control's life like the one it draws through.
    CreateOwn("XP_ProgressBar", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, parent, at.left, at.top, at.width,
              at.height, CS_OWNDC);
    Font(font_);
    if (hwnd()) hdc(GetDC(hwnd()));
    DrawProgressBar();
}

XP_ProgressBar::~XP_ProgressBar() {
    ReleaseOffscreen();
    if (hfont_) DeleteObject(hfont_);
    if (image_) DeleteObject(image_);
}

COLORREF XP_ProgressBar::Tint(COLORREF color, int amount) {
    auto channel = [amount](int c) { return std::min(255, c * (255 - amount) / 255 + amount); };
    return RGB(channel(GetRValue(color)), channel(GetGValue(color)), channel(GetBValue(color)));
}

COLORREF XP_ProgressBar::Blend(COLORREF first, COLORREF second, int weight) {
    auto channel = [weight](int a, int b) {
        return static_cast<int>(RoundHalfEven(a * weight / 255.0 + b * (255 - weight) / 255.0));
    };
    return RGB(channel(GetRValue(first), GetRValue(second)), channel(GetGValue(first), GetGValue(second)),
               channel(GetBValue(first), GetBValue(second)));
}

void XP_ProgressBar::ReleaseOffscreen() {
    if (offscreen_) {
        SelectObject(offscreen_, oldBitmap_);
        DeleteDC(offscreen_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    offscreen_ = nullptr;
    bitmap_ = nullptr;
    oldBitmap_ = nullptr;
}

void XP_ProgressBar::hdc(HDC dc) {
    hdc_ = dc;
    ReleaseOffscreen();
    RECT r{};
    GetClientRect(hwnd(), &r);
    if (r.right <= 0 || r.bottom <= 0) return;
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    if (!display) return;
    offscreen_ = CreateCompatibleDC(display);
    bitmap_ = offscreen_ ? CreateCompatibleBitmap(display, r.right, r.bottom) : nullptr;
    DeleteDC(display);
    if (!bitmap_) {
        ReleaseOffscreen();
        return;
    }
    oldBitmap_ = SelectObject(offscreen_, bitmap_);
}

void XP_ProgressBar::Font(const FontSpec& font) {
    font_ = font;
    if (hfont_) DeleteObject(hfont_);
    LOGFONTA lf{};
    HDC screen = GetDC(nullptr);
    lf.lfHeight = -MulDiv(font.size, screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96, 72);
    if (screen) ReleaseDC(nullptr, screen);
    lf.lfWeight = font.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, font.name.c_str(), LF_FACESIZE);
    hfont_ = CreateFontIndirectA(&lf);
    DrawProgressBar();
}

bool XP_ProgressBar::Image(const std::string& path) {
    HBITMAP loaded = path.empty() ? nullptr : LoadPictureFile(path);
    if (!path.empty() && !loaded) return false;
    if (image_) DeleteObject(image_);
    image_ = loaded;
    imagePath_ = path;
    DrawProgressBar();
    return true;
}

void XP_ProgressBar::Color(COLORREF color) {
    color_ = TranslateColor(color);
    DrawProgressBar();
}

void XP_ProgressBar::SetColor(const std::string& property, COLORREF color) {
    if (property == "Color") Color(color);
}

void XP_ProgressBar::Orientation(int orientation) {
    orientation_ = orientation;
    DrawProgressBar();
}

void XP_ProgressBar::Scrolling(int style) {
    scrolling_ = style;
    DrawProgressBar();
}

void XP_ProgressBar::ShowText(bool on) {
    showText_ = on;
    DrawProgressBar();
}

void XP_ProgressBar::Value(int value) {
    scale_.Value(value);
    DrawProgressBar();
}

void XP_ProgressBar::DrawLine(int X, int Y, int Width, int Height, HDC cHdc, COLORREF Color) {
    SelectedObject pen(cHdc, CreatePen(PS_SOLID, 1, Color));
    MoveToEx(cHdc, X, Y, nullptr);
    LineTo(cHdc, Width, Height);
}

void XP_ProgressBar::DrawGradient(COLORREF lEndColor, COLORREF lStartcolor, int X, int Y, int X2, int Y2, HDC hdc,
                                  bool flag) {
    const int lines = flag ? X2 - X : Y2 - Y;
    if (lines <= 0 || (flag ? Y2 <= Y : X2 <= X)) return;
    const double stepR = (double(GetRValue(lEndColor)) - GetRValue(lStartcolor)) / lines;
    const double stepG = (double(GetGValue(lEndColor)) - GetGValue(lStartcolor)) / lines;
    const double stepB = (double(GetBValue(lEndColor)) - GetBValue(lStartcolor)) / lines;
    for (int i = 0; i < lines; ++i) {
        auto channel = [i](BYTE start, double step) {
            return static_cast<BYTE>(std::clamp(static_cast<int>(start + step * i), 0, 255));
        };
        const COLORREF c = RGB(channel(GetRValue(lStartcolor), stepR), channel(GetGValue(lStartcolor), stepG),
                               channel(GetBValue(lStartcolor), stepB));
        if (flag) DrawLine(X + i, Y, X + i, Y2, hdc, c);
        else DrawLine(X, Y + i, X2, Y + i, hdc, c);
    }
}

void XP_ProgressBar::pDraw(HDC hdc, int xSrc, int ySrc, int WidthSrc, int HeightSrc, int xDst, int yDst) {
    if (!offscreen_ || !hdc) return;
    BITMAP bm{};
    GetObject(bitmap_, sizeof bm, &bm);
    if (WidthSrc <= 0) WidthSrc = bm.bmWidth;
    if (HeightSrc <= 0) HeightSrc = bm.bmHeight;
    BitBlt(hdc, xDst, yDst, WidthSrc, HeightSrc, offscreen_, xSrc, ySrc, SRCCOPY);
}

void XP_ProgressBar::DrawProgressBar() {
    scale_.ClampForDrawing();
    HDC dc = offscreen_ ? offscreen_ : hdc_;
    if (!dc || !hwnd()) return;
    RECT r{};
    GetClientRect(hwnd(), &r);
    const int style = scrolling_ >= 0 && scrolling_ <= 9 ? scrolling_ : kXpSmooth;
    // What the bar says is its window text too, for the tools that read a window.
    if (std::string text = Text(style); text != windowText_) {
        windowText_ = std::move(text);
        SetWindowTextA(hwnd(), windowText_.c_str());
    }
    const double P = scale_.Percent();
    FillSolid(dc, r, style == kDark ? kBlack : kWhite);
    int textFill = r.left;  // where the fill ends, for the text of styles 6 and 9
    switch (style) {
        case kXpBlocks:
        case kXpSmooth:
        case kXpSearching: DrawXp(dc, r, style); break;
        case kFlat:
            FrameSolid(dc, r, Tint(color_, 100));
            FillSolid(dc, {1, 1, Along(r, P / 100), r.bottom - 1}, Tint(color_, 180));
            break;
        case kEtchedGradient:
            DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
            DrawGradient(Tint(color_, 200), Tint(color_, 140), 2, 2, Along(r, P / 100), r.bottom - 3, dc, false);
            break;
        case kTwoToneGradient: {
            FrameSolid(dc, r, Tint(color_, 10));
            const int end = Along(r, P / 101);
            DrawGradient(Tint(color_, 100), color_, 2, 2, r.right - 2, r.bottom - 5, dc, false);
            DrawGradient(color_, Tint(color_, 250), 3, 3, end, r.bottom - 6, dc, false);
            DrawLine(end, 2, end, r.bottom - 2, dc, Tint(color_, 25));
            break;
        }
        case kDark: {
            FrameSolid(dc, r, Blend(color_, kWhite, 200));
            textFill = Along(r, P / 100);
            DrawGradient(Tint(color_, 10), Blend(color_, kBlack, 100), 2, 2, textFill, r.bottom - 2, dc, true);
            break;
        }
        case kHatched: {
            DrawEdge(dc, &r, EDGE_BUMP, BF_RECT);
            if (brushStyle_ >= HS_HORIZONTAL && brushStyle_ <= HS_DIAGCROSS) {
                HBRUSH hatch = CreateHatchBrush(brushStyle_, color_);
                SetBkMode(dc, OPAQUE);
                SetBkColor(dc, Tint(color_, 140));
                RECT fill{2, 2, Along(r, P / 101), r.bottom - 2};
                if (fill.right > fill.left) FillRect(dc, &fill, hatch);
                DeleteObject(hatch);
            }
            break;
        }
        case kPatterned:
            DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
            if (image_) {
                SelectedObject pattern(dc, CreatePatternBrush(image_));
                const int width = Along(r, P / 101);
                if (width > 0) PatBlt(dc, 2, 2, width, r.bottom - 4, PATCOPY);
            }
            break;
        case kSilverGradient: {
            FillSolid(dc, {1, 1, r.right - 1, r.bottom - 1}, kWhite);
            FrameSolid(dc, r, kSilver);
            textFill = Along(r, P / 100);
            DrawGradient(color_, Tint(color_, 180), 2, 2, std::min<int>(textFill, r.right - 2), r.bottom - 2, dc,
                         false);
            break;
        }
        default: break;
    }
    if (showText_) DrawText(dc, r, style, textFill);
    if (offscreen_) pDraw(hdc_);
}

void XP_ProgressBar::DrawXp(HDC dc, const RECT& r, int style) {
    const int block = style == kXpBlocks ? 6 : 0;
    const int step = block + 2;
    const double percent = scale_.Percent();
    const double fraction = percent < 0 ? 0 : percent / 98;
    const COLORREF edge = Tint(color_, 150);
    if (orientation_ == 0) {
        const int innerLeft = r.left + 3, innerRight = r.right - 3;
        const double end = std::min<double>(r.left + fraction * (r.right - r.left), innerRight);
        const int steps = std::max(0, static_cast<int>(std::floor((end - innerLeft) / step)));
        const int fillEnd = innerLeft + steps * step;
        const int top = r.top + 3, bottom = r.bottom - 2, middle = (top + bottom) / 2;
        DrawGradient(color_, edge, innerLeft, top, fillEnd, middle, dc, false);
        DrawGradient(edge, color_, innerLeft, middle, fillEnd, bottom, dc, false);
        if (style == kXpBlocks)
            for (int x = innerLeft + 6; x <= fillEnd; x += 8)
                FillSolid(dc, {x + 1, r.top, x + 3, r.bottom}, kWhite);
    } else {
        const int innerTop = r.top + 3, innerBottom = r.bottom - 3;
        const double top = std::max<double>(r.top + (1 - fraction) * (r.bottom - r.top), innerTop);
        const int steps = std::max(0, static_cast<int>(std::floor((innerBottom - top) / step)));
        const int fillTop = innerBottom - steps * step;
        const int left = r.left + 3, right = r.right - 2, middle = (left + right) / 2;
        DrawGradient(color_, edge, left, fillTop, middle, innerBottom, dc, true);
        DrawGradient(edge, color_, middle, fillTop, right, innerBottom, dc, true);
        if (style == kXpBlocks)
            for (int y = innerBottom - 6; y >= fillTop; y -= 8)
                FillSolid(dc, {r.left, y - 2, r.right, y}, kWhite);
    }
    // The frame, with corners that look rounded.
    DrawLine(2, 1, r.right - 2, 1, dc, 0xBEBEBE);
    DrawLine(1, 2, 1, r.bottom - 2, dc, 0xBEBEBE);
    DrawLine(2, 2, r.right - 2, 2, dc, 0xEFEFEF);
    DrawLine(2, 2, 2, r.bottom - 2, dc, 0xEFEFEF);
    DrawLine(r.right - 2, 2, r.right - 2, r.bottom - 2, dc, 0xEFEFEF);
    DrawLine(2, r.bottom - 2, r.right - 2, r.bottom - 2, dc, 0xEFEFEF);
    FrameSolid(dc, r, kOutline);
    SetPixelV(dc, r.left, r.top, kWhite);
    SetPixelV(dc, r.right - 1, r.top, kWhite);
    SetPixelV(dc, r.left, r.bottom - 1, kWhite);
    SetPixelV(dc, r.right - 1, r.bottom - 1, kWhite);
}

std::string XP_ProgressBar::Text(int style) const {
    return style == kXpSearching ? "Searching.." : std::to_string(scale_.Percent()) + " %";
}

void XP_ProgressBar::DrawText(HDC dc, const RECT& r, int style, int fillEnd) {
    const std::string text = Text(style);
    SelectedObject font(dc, hfont_, false);
    SetBkMode(dc, TRANSPARENT);
    RECT size{0, 0, 0, 0};
    ::DrawTextA(dc, text.c_str(), -1, &size, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    RECT at = r;
    at.left = r.left + (r.right - r.left - size.right) / 2;
    at.top = r.top + (r.bottom - r.top - size.bottom) / 2;
    at.right = at.left + size.right;
    at.bottom = at.top + size.bottom;
    const UINT flags = DT_SINGLELINE | DT_NOPREFIX;
    const bool twoColour = style == kDark || style == kSilverGradient;
    if (!twoColour || fillEnd <= at.left) {
        SetTextColor(dc, style == kDark ? kSilver : kBlack);
        ::DrawTextA(dc, text.c_str(), -1, &at, flags);
        return;
    }
    // Where the fill has reached the text, the text takes the bar's light colour;
    // beside the fill it keeps the plain colour.
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, fillEnd, r.bottom);
    SetTextColor(dc, kWhite);
    ::DrawTextA(dc, text.c_str(), -1, &at, flags);
    RestoreDC(dc, saved);
    const int saved2 = SaveDC(dc);
    ExcludeClipRect(dc, r.left, r.top, fillEnd, r.bottom);
    SetTextColor(dc, style == kDark ? kSilver : kBlack);
    ::DrawTextA(dc, text.c_str(), -1, &at, flags);
    RestoreDC(dc, saved2);
}

bool XP_ProgressBar::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_PAINT: {
            PaintScope paint(hwnd());
            DrawProgressBar();
            result = 0;
            return true;
        }
        case WM_ERASEBKGND: result = 1; return true;
        case WM_SIZE:
            hdc(hdc_);
            DrawProgressBar();
            result = 0;
            return true;
        default: return false;
    }
}

void XP_ProgressBar::ReadProperties(const PropertyBag& bag) {
    font_ = bag.ReadProperty("Font", FontSpec{});
    brushStyle_ = bag.ReadProperty("BrushStyle", 4);
    color_ = TranslateColor(bag.ReadProperty<std::int64_t>("Color", kHighlightColor) & 0xFFFFFFFF);
    const std::string image = bag.ReadProperty("Image", std::string());
    if (!image.empty()) Image(image);
    scale_.Max(bag.ReadProperty("Max", 100));
    scale_.Min(bag.ReadProperty("Min", 0));
    orientation_ = bag.ReadProperty("Orientation", 0);
    scrolling_ = bag.ReadProperty("Scrolling", 0);
    showText_ = bag.ReadProperty("ShowText", false);
    Font(font_);
    Value(bag.ReadProperty("Value", 0));
}

void XP_ProgressBar::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty("Font", font_, FontSpec{});
    bag.WriteProperty("BrushStyle", brushStyle_, 4);
    bag.WriteProperty<std::int64_t>("Color", color_, kHighlightColor);
    bag.WriteProperty("Image", imagePath_, std::string());
    bag.WriteProperty("Max", Max(), 100);
    bag.WriteProperty("Min", Min(), 0);
    bag.WriteProperty("Orientation", orientation_, 0);
    bag.WriteProperty("Scrolling", scrolling_, 0);
    bag.WriteProperty("ShowText", showText_, false);
    bag.WriteProperty("Value", Value(), 0);
}

}  // namespace tidvex::controls::win32
