// XP_ProgressBar: the program's own progress bar. It paints itself with GDI
// into an off-screen bitmap and copies it to its window in one blit, in one of
// ten styles (Scrolling 0 to 9), with an optional percentage text.
#pragma once

#include "controls/progress_scale.h"
#include "controls/property_bag.h"
#include "controls/win32_window.h"

namespace tidvex::controls::win32 {

enum ScrollingStyle {
    kXpBlocks = 0,
    kXpSmooth = 1,
    kXpSearching = 2,
    kFlat = 3,
    kEtchedGradient = 4,
    kTwoToneGradient = 5,
    kDark = 6,
    kHatched = 7,
    kPatterned = 8,
    kSilverGradient = 9
};

class XP_ProgressBar final : public Win32Control<ProgressBar> {
public:
    XP_ProgressBar(HWND parent, Bounds at);
    ~XP_ProgressBar() override;

    // Tint of a colour by an amount 0 (the colour) to 255 (white); blend of two
    // colours with the weight of the first.
    static COLORREF Tint(COLORREF color, int amount);
    static COLORREF Blend(COLORREF first, COLORREF second, int weight);

    void DrawProgressBar();
    // A one-pixel line from (X, Y) to the end point (Width, Height).
    void DrawLine(int X, int Y, int Width, int Height, HDC cHdc, COLORREF Color);
    // A linear gradient over (X, Y)-(X2, Y2), one line per pixel: horizontal
    // lines from Y to Y2, or with flag vertical lines from X to X2.
    void DrawGradient(COLORREF lEndColor, COLORREF lStartcolor, int X, int Y, int X2, int Y2, HDC hdc, bool flag);
    // Copies the off-screen bitmap; a width or height of 0 or less is the bitmap's own.
    void pDraw(HDC hdc, int xSrc = 0, int ySrc = 0, int WidthSrc = 0, int HeightSrc = 0, int xDst = 0, int yDst = 0);

    void BrushStyle(int style) { brushStyle_ = style; }
    COLORREF Color() const override { return color_; }
    void Color(COLORREF color) override;
    const FontSpec& Font() const override { return font_; }
    void Font(const FontSpec& font) override;
    HDC hdc() const { return hdc_; }
    // Draws through this context: a bitmap of the control's size becomes the
    // off-screen context (without one, drawing goes straight to hdc).
    void hdc(HDC dc);
    // The pattern of style 8, from a picture file; the empty text removes it.
    bool Image(const std::string& path);
    int Min() const override { return scale_.Min(); }
    void Min(int value) override { scale_.Min(value); }
    int Max() const override { return scale_.Max(); }
    void Max(int value) override { scale_.Max(value); }
    int Orientation() const override { return orientation_; }
    void Orientation(int orientation) override;
    int Scrolling() const override { return scrolling_; }
    void Scrolling(int style) override;
    bool ShowText() const override { return showText_; }
    void ShowText(bool on) override;
    int Value() const override { return scale_.Value(); }
    void Value(int value) override;
    std::int32_t Percent() const { return scale_.Percent(); }

    void ReadProperties(const PropertyBag& bag);
    void WriteProperties(PropertyBag& bag) const;

    void SetColor(const std::string& property, COLORREF color) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void ReleaseOffscreen();
    void DrawXp(HDC dc, const RECT& r, int style);
    void DrawText(HDC dc, const RECT& r, int style, int fillEnd);
    // The percentage text ("45 %"), or the word of the searching style.
    std::string Text(int style) const;

    ProgressScale scale_;
    COLORREF color_;
    FontSpec font_;
    HFONT hfont_ = nullptr;
    int brushStyle_ = HS_CROSS;
    std::string imagePath_;
    HBITMAP image_ = nullptr;
    int orientation_ = 0;
    int scrolling_ = 0;
    bool showText_ = false;
    std::string windowText_;
    HDC hdc_ = nullptr;
    HDC offscreen_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
};

}  // namespace tidvex::controls::win32
