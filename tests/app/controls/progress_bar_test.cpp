// The drawn progress bar, read back pixel by pixel from a memory device context.
#include "memory_controls.h"
#include "controls/win32_form.h"
#include "controls/xp_progress_bar.h"

#include <gtest/gtest.h>

namespace {

using namespace tidvex::controls;
using namespace tidvex::controls::win32;
using win32::Bounds;
using win32::XP_ProgressBar;

const COLORREF kBar = RGB(49, 106, 197);
const COLORREF kWhite = RGB(255, 255, 255);

// A 24-bit memory picture of the bar.
class Picture {
public:
    Picture(XP_ProgressBar& bar, int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 24;
        dc_ = CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        bar.pDraw(dc_);
    }
    ~Picture() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }
    bool operator==(const Picture& other) const {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                if (At(x, y) != other.At(x, y)) return false;
        return true;
    }
    // The last column of the row that has the colour, -1 when none.
    int LastColumnOf(COLORREF color, int row) const {
        for (int x = width_ - 1; x >= 0; --x)
            if (At(x, row) == color) return x;
        return -1;
    }
    HDC dc() const { return dc_; }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

class ProgressBarTest : public ::testing::Test {
protected:
    ProgressBarTest() : host(win32::CreateContainerWindow("bars", WS_OVERLAPPEDWINDOW, 400, 400)) {}
    ~ProgressBarTest() override { DestroyWindow(host); }
    std::unique_ptr<XP_ProgressBar> Bar(int style, int width = 200, int height = 20) {
        auto bar = std::make_unique<XP_ProgressBar>(host, Bounds{0, 0, width, height});
        bar->Color(kBar);
        bar->Scrolling(style);
        return bar;
    }
    HWND host;
};

TEST_F(ProgressBarTest, XpBlocksEndOnABlockBoundary) {
    // Blocks of 6 and gaps of 2 from the inner left (column 3): the fill shows
    // up to two columns before a multiple of 8 from there.
    struct Case {
        int value, lastBlockColumn;
    } cases[] = {{50, 97}, {25, 49}, {100, 193}, {1, -1}, {0, -1}};
    for (auto c : cases) {
        auto bar = Bar(kXpBlocks);
        bar->Value(c.value);
        Picture picture(*bar, 200, 20);
        EXPECT_EQ(picture.LastColumnOf(kBar, 10), c.lastBlockColumn) << c.value << " %";
        if (c.lastBlockColumn > 0) {
            EXPECT_EQ(picture.At(c.lastBlockColumn + 1, 10), kWhite);
            EXPECT_EQ(picture.At(c.lastBlockColumn - 6, 10), kWhite) << "the gap before the last block";
        }
    }
}

TEST_F(ProgressBarTest, VerticalXpBarsFillFromTheBottomInBlocks) {
    auto bar = Bar(kXpBlocks, 20, 200);
    bar->Orientation(1);
    bar->Value(50);
    Picture picture(*bar, 20, 200);
    // Inner bottom 197; the fill top is 12 steps of 8 above it, the top strip white.
    EXPECT_EQ(picture.At(10, 103), kBar);
    EXPECT_EQ(picture.At(10, 102), kWhite);
    EXPECT_EQ(picture.At(10, 60), kWhite);
    EXPECT_EQ(picture.At(10, 180), kBar);
}

TEST_F(ProgressBarTest, ValuesRoundToEvenPercentagesAndReadBack) {
    struct Case {
        int min, max, value, percent, readBack;
    } cases[] = {
        {0, 100, 45, 45, 45}, {0, 200, 1, 0, 0},        {0, 200, 3, 2, 4},        {0, 200, 5, 2, 4},
        {0, 8, 1, 12, 1},     {0, 100, 150, 100, 100},  {0, 100, -20, -20, -20},  {50, 150, 100, 50, 100},
    };
    for (auto c : cases) {
        auto bar = Bar(kTwoToneGradient);
        bar->Min(c.min);
        bar->Max(c.max);
        bar->Value(c.value);
        EXPECT_EQ(bar->Percent(), c.percent) << c.value << " of " << c.max;
        EXPECT_EQ(bar->Value(), c.readBack) << c.value << " of " << c.max;
        // What it says can be read from its window, as every control's caption.
        EXPECT_EQ(win32::WindowText(bar->hwnd()), std::to_string(c.percent) + " %");
        MemoryProgressBar memory;
        memory.Min(c.min);
        memory.Max(c.max);
        memory.Value(c.value);
        EXPECT_EQ(memory.Value(), c.readBack) << "memory " << c.value << " of " << c.max;
    }
}

TEST_F(ProgressBarTest, AboveTheTopDrawsAsFullAndMaxZeroIsRefused) {
    auto full = Bar(kXpSmooth), over = Bar(kXpSmooth);
    full->Value(100);
    over->Value(150);
    EXPECT_TRUE(Picture(*full, 200, 20) == Picture(*over, 200, 20));
    over->Max(0);
    EXPECT_EQ(over->Max(), 100);
    over->Value(40);
    EXPECT_EQ(over->Value(), 40);
}

TEST_F(ProgressBarTest, TheSearchingStyleShowsItsWordWhateverTheValue) {
    auto plain = Bar(kXpSearching), shown = Bar(kXpSearching);
    shown->ShowText(true);
    Picture blank(*plain, 200, 20), withText(*shown, 200, 20);
    // The same bar with "Searching.." drawn centred in the bar's font.
    HDC dc = blank.dc();
    LOGFONTA lf{};
    lf.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(lf.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    RECT size{};
    DrawTextA(dc, "Searching..", -1, &size, DT_CALCRECT | DT_SINGLELINE);
    RECT at{(200 - size.right) / 2, (20 - size.bottom) / 2, 0, 0};
    at.right = at.left + size.right;
    at.bottom = at.top + size.bottom;
    DrawTextA(dc, "Searching..", -1, &at, DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteObject(font);
    EXPECT_TRUE(blank == withText);
    shown->Value(80);
    plain->Value(80);
    EXPECT_FALSE(Picture(*plain, 200, 20) == Picture(*shown, 200, 20));
}

TEST_F(ProgressBarTest, ASystemColourIsDrawnAsItsCurrentValue) {
    for (int style : {kXpBlocks, kFlat, kTwoToneGradient, kDark, kSilverGradient}) {
        auto system = Bar(style), direct = Bar(style);
        system->Color(0x8000000Du);
        direct->Color(GetSysColor(COLOR_HIGHLIGHT));
        system->Value(60);
        direct->Value(60);
        EXPECT_EQ(system->Color(), GetSysColor(COLOR_HIGHLIGHT));
        EXPECT_TRUE(Picture(*system, 200, 20) == Picture(*direct, 200, 20)) << "style " << style;
    }
}

TEST_F(ProgressBarTest, EveryStyleDrawsItsFillAndOutOfRangeStylesDrawSmooth) {
    for (int style = 0; style <= 9; ++style) {
        auto empty = Bar(style), half = Bar(style);
        half->Value(50);
        if (style != kPatterned) {
            EXPECT_FALSE(Picture(*empty, 200, 20) == Picture(*half, 200, 20)) << style;
        }
    }
    auto smooth = Bar(kXpSmooth), odd = Bar(12);
    smooth->Value(30);
    odd->Value(30);
    EXPECT_TRUE(Picture(*smooth, 200, 20) == Picture(*odd, 200, 20));
}

TEST_F(ProgressBarTest, ThousandsOfUpdatesLeaveNoDrawingObjectsBehind) {
    // Every paint makes a pen per line, brushes and a font selection; kept ones
    // would use up the process's drawing objects (about 65,000 under Wine) within
    // these updates, and the last picture would come out wrong.
    for (int style : {kDark, kTwoToneGradient, kHatched, kXpBlocks}) {
        auto bar = Bar(style);
        bar->ShowText(true);
        bar->Value(60);
        Picture before(*bar, 200, 20);
        for (int i = 0; i < 1500; ++i) bar->Value(i % 101);
        bar->Value(60);
        EXPECT_TRUE(before == Picture(*bar, 200, 20)) << "style " << style;
    }
}

TEST_F(ProgressBarTest, SavedPropertiesKeepDefaultsOutAndTheColourTranslated) {
    auto bar = Bar(kXpBlocks);
    bar->Scrolling(kXpBlocks);
    PropertyBag bag;
    bar->Color(0x8000000Du);
    bar->WriteProperties(bag);
    EXPECT_EQ(bag.Count(), 1u);  // only the colour, as RGB
    EXPECT_EQ(bag.ReadProperty<std::int64_t>("Color", 0), static_cast<std::int64_t>(GetSysColor(COLOR_HIGHLIGHT)));
    bar->Scrolling(kTwoToneGradient);
    bar->ShowText(true);
    bar->Font({"Arial", 8, false});
    bar->Value(45);
    bar->WriteProperties(bag);
    auto loaded = Bar(kXpBlocks);
    loaded->ReadProperties(bag);
    EXPECT_EQ(loaded->Scrolling(), kTwoToneGradient);
    EXPECT_TRUE(loaded->ShowText());
    EXPECT_EQ(loaded->Font().name, "Arial");
    EXPECT_EQ(loaded->Value(), 45);
    EXPECT_TRUE(Picture(*bar, 200, 20) == Picture(*loaded, 200, 20));
}

}  // namespace
