// How the real main window looks and answers under the null driver, pressed
// by window messages: its progress bars as designed, a control drawn again when
// it is enabled or disabled, the controls of a disabled frame or page disabled
// with it, and the Cleaner page's own box back whichever way the clean
// settings were left.
#include "main/win32/main_window.h"

#include "controls/xp_progress_bar.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

namespace {

using tidvex::main::frmMain;
using tidvex::main::win32::MainWindow;

HWND Of(const tidvex::controls::Control* control) {
    return dynamic_cast<const tidvex::controls::win32::Win32Window&>(*control).hwnd();
}

void Click(const tidvex::controls::Control* control) { SendMessageA(Of(control), BM_CLICK, 0, 0); }
void LeftUp(const tidvex::controls::Control* control) {
    SendMessageA(Of(control), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(Of(control), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

class WindowLook : public ::testing::Test {
protected:
    WindowLook() {
        InitCommonControls();
        window_ = std::make_unique<MainWindow>("");
    }
    frmMain& f() { return window_->form(); }

    std::unique_ptr<MainWindow> window_;
};

TEST_F(WindowLook, TheThreeProgressBarsAreTwoToneWithTheirPercentageInArial) {
    const std::pair<const char*, tidvex::controls::ProgressBar*> bars[] = {
        {"prgClean", f().prgClean}, {"prgItemShred", f().prgItemShred}, {"prgTotalShred", f().prgTotalShred}};
    for (const auto& [name, bar] : bars) {
        auto& drawn = dynamic_cast<tidvex::controls::win32::XP_ProgressBar&>(*bar);
        EXPECT_EQ(drawn.Scrolling(), 5) << name;
        EXPECT_TRUE(drawn.ShowText()) << name;
        EXPECT_EQ(drawn.Font().name, "Arial") << name;
        EXPECT_EQ(drawn.Color(), 0xC56A31u) << name;
    }
}

// A link drawn grey while disabled is drawn again in its link colour once it
// works again, and the other way round.
TEST_F(WindowLook, AControlIsDrawnAgainWhenItIsEnabledOrDisabled) {
    ShowWindow(window_->hWnd(), SW_SHOW);
    HWND about = Of(f().lblAbout);
    for (bool enabled : {false, true}) {
        RedrawWindow(window_->hWnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        ASSERT_FALSE(GetUpdateRect(about, nullptr, FALSE));
        enabled ? f().EnableToolbar() : f().DisableToolbar();
        EXPECT_TRUE(GetUpdateRect(about, nullptr, FALSE)) << (enabled ? "enabled" : "disabled");
    }
}

// "Time Clean" off: its four intervals look disabled and take no click; a box
// disabled on its own stays so while its page comes and goes.
TEST_F(WindowLook, TheControlsOfADisabledFrameOrPageAreDisabledWithIt) {
    Click(f().cmdToolBar[5]);
    Click(f().cmdOptions[4]);
    Click(f().chkTimeSchedule);
    ASSERT_NE(f().chkTimeSchedule->Value(), 0);
    for (auto* interval : f().optTimeSchedule) EXPECT_TRUE(IsWindowEnabled(Of(interval)));

    Click(f().chkTimeSchedule);
    ASSERT_EQ(f().chkTimeSchedule->Value(), 0);
    for (auto* interval : f().optTimeSchedule) EXPECT_FALSE(IsWindowEnabled(Of(interval)));
    Click(f().optTimeSchedule[0]);
    EXPECT_EQ(f().optTimeSchedule[0]->Value(), 0) << "a click on an interval of the disabled frame";
    EXPECT_FALSE(f().tmrSchedule->Enabled());

    Click(f().chkSessionSchedule);
    Click(f().chkSessionSchedule);  // on, then off: both session boxes disabled
    ASSERT_FALSE(f().chkWhenWindowStarts->Enabled());
    Click(f().cmdToolBar[0]);
    EXPECT_FALSE(IsWindowEnabled(Of(f().chkSessionSchedule))) << "a page that is not shown";
    Click(f().cmdToolBar[5]);
    EXPECT_TRUE(IsWindowEnabled(Of(f().chkSessionSchedule)));
    EXPECT_FALSE(IsWindowEnabled(Of(f().chkWhenWindowStarts)));
    EXPECT_FALSE(IsWindowEnabled(Of(f().optTimeSchedule[3])));
    Click(f().chkTimeSchedule);
    EXPECT_TRUE(IsWindowEnabled(Of(f().optTimeSchedule[3])));
}

TEST_F(WindowLook, CloseAfterCleaningIsBackWhicheverWayTheCleanSettingsWereLeft) {
    HWND box = Of(f().chkCloseAfterClean);
    struct Way {
        const char* name;
        std::function<void()> leave;
    };
    const Way ways[] = {
        {"Back to Clean Page", [&] { LeftUp(f().lblBack2Clean); }},
        {"a toolbar button, then Cleaner", [&] {
             Click(f().cmdToolBar[0]);
             Click(f().cmdToolBar[1]);
         }},
    };
    Click(f().cmdToolBar[1]);
    for (const Way& way : ways) {
        LeftUp(f().lblChangeCleanSettings);
        ASSERT_FALSE(GetWindowLongPtrA(box, GWL_STYLE) & WS_VISIBLE) << way.name;
        way.leave();
        EXPECT_TRUE(GetWindowLongPtrA(box, GWL_STYLE) & WS_VISIBLE) << way.name;
        EXPECT_FALSE(f().frScanSettings->Visible()) << way.name;
    }
}

}  // namespace
