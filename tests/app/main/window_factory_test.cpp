// The real main window's controls made from the design table under the null
// driver: each lies on the parent its design names, at its design place, and a
// button pressed by its window message runs the form's handler.
#include "main/form_design.h"

#include "controls/win32_factory.h"
#include "controls/win32_tabs.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

namespace {

using namespace tidvex::controls;
using tidvex::main::Design;
using tidvex::controls::win32::Win32ControlFactory;

class WindowFactoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitCommonControls();
        window_ = win32::CreateContainerWindow("Tidvex", WS_OVERLAPPEDWINDOW, 700, 640);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override { DestroyWindow(window_); }
    HWND window_ = nullptr;
};

HWND Of(const void* control) { return dynamic_cast<const win32::Win32Window*>(static_cast<const Control*>(control))->hwnd(); }

TEST_F(WindowFactoryTest, EachControlLiesOnTheParentItsDesignNames) {
    Win32ControlFactory factory(window_);
    auto page = factory.MakePanel(Design("frPage", 1));
    auto panel = factory.MakePanel(Design("frScanSettings"));
    auto strip = factory.MakeTabStrip(Design("tbCSettings", 3));
    auto box = factory.MakeCheckBox(Design("chkCleanSett", 60));
    auto start = factory.MakeButton(Design("cmdStartCleaning"));
    auto toolbar = factory.MakeButton(Design("cmdToolBar", 1));
    auto link = factory.MakeLabel(Design("lblCleanerHere"));  // its page was not made: on the window

    struct Case {
        const char* name;
        HWND control;
        HWND parent;
    };
    const Case cases[] = {
        {"frPage(1)", Of(page.get()), window_},
        {"frScanSettings", Of(panel.get()), Of(page.get())},
        {"tbCSettings(3)", Of(strip.get()), Of(panel.get())},
        {"chkCleanSett(60)", Of(box.get()), static_cast<win32::Win32TabStrip*>(strip.get())->Page(0)},
        {"cmdStartCleaning", Of(start.get()), Of(page.get())},
        {"cmdToolBar(1)", Of(toolbar.get()), window_},
        {"lblCleanerHere", Of(link.get()), window_},
    };
    for (const Case& c : cases) EXPECT_EQ(GetParent(c.control), c.parent) << c.name;

    EXPECT_EQ(start->Left(), win32::TwipsToPixels(300));
    EXPECT_EQ(start->Width(), win32::TwipsToPixels(2200));
    EXPECT_EQ(start->Caption(), "Start Cleaning");
    EXPECT_EQ(box->Caption(), "Include Custom file extensions");
    EXPECT_EQ(strip->Tabs(), 1);
}

TEST_F(WindowFactoryTest, LabelsShowOneAmpersandAndAButtonRunsItsHandler) {
    Win32ControlFactory factory(window_);
    auto text = factory.MakeLabel(Design("lblMainText", 11));
    EXPECT_EQ(text->Caption(), "If you want to optimize your system & privacy...");

    auto button = factory.MakeButton(Design("cmdToolBar", 2));
    int pressed = 0;
    button->OnClick = [&] { ++pressed; };
    HWND hwnd = Of(button.get());
    SendMessageA(GetParent(hwnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), BN_CLICKED), reinterpret_cast<LPARAM>(hwnd));
    EXPECT_EQ(pressed, 1);
    EXPECT_EQ(button->Caption(), "Shredder");
}

}  // namespace
