// The whole form made by each factory, the in-memory one and the real one (a
// hidden window under the null driver): the handlers the form connects fit
// their rows, and files dropped from the shell reach exactly the lists whose
// rows take drops.
#include "main/form.h"

#include "controls/win32_factory.h"
#include "controls/win32_window.h"
#include "harness/support.h"
#include "memory_controls.h"
#include "services/program.h"
#include "shell_drop.h"
#include "unscripted_calls.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tidvex::controls;
using tidvex::main::frmMain;
using Texts = std::vector<std::string>;
using Paths = std::vector<std::wstring>;

// A factory and what a user's drop on one of its lists is.
struct Kit {
    std::function<std::unique_ptr<ControlFactory>(HWND window)> factory;
    std::function<void(ListBox& list, const Paths& paths)> drop;
};

const Kit kMemory{[](HWND) { return std::make_unique<MemoryControlFactory>(); },
                  [](ListBox& list, const Paths& paths) { static_cast<MemoryListBox&>(list).UserDrop(paths); }};
const Kit kWin32{[](HWND window) { return std::make_unique<win32::Win32ControlFactory>(window); },
                 [](ListBox& list, const Paths& paths) {
                     tidvex::test::DropLikeTheShell(dynamic_cast<win32::Win32Window&>(list).hwnd(), paths);
                 }};

class FormControls : public ::testing::TestWithParam<const Kit*> {
protected:
    void SetUp() override {
        InitCommonControls();
        window_ = win32::CreateContainerWindow("Tidvex", WS_OVERLAPPEDWINDOW, 700, 640);
        factory_ = GetParam()->factory(window_);
        form_ = std::make_unique<frmMain>(*factory_, outside_);
    }
    void TearDown() override {
        form_.reset();
        DestroyWindow(window_);
    }
    void Drop(ListBox* list, const Paths& paths) { GetParam()->drop(*list, paths); }

    tidvex::services::ScopedAppPath program_{tidvex::test::ScratchFolder("program")};
    HWND window_ = nullptr;
    std::unique_ptr<ControlFactory> factory_;
    tidvex::test::UnscriptedCalls outside_;
    std::unique_ptr<frmMain> form_;
};

TEST_P(FormControls, EveryHandlerFitsItsRowsKindAndStyle) { EXPECT_EQ(form_->Made().Mismatches(), Texts{}); }

TEST_P(FormControls, FilesDroppedOnTheShredderListAreListed) {
    Drop(form_->lstFiles, {L"S:\\a.txt", L"S:\\folder"});
    Drop(form_->lstFiles, {L"S:\\a.txt"});
    Paths listed;
    for (int i = 0; i < form_->lstFiles->ListCount(); ++i) listed.push_back(form_->lstFiles->List(i));
    EXPECT_EQ(listed, (Paths{L"S:\\a.txt", L"S:\\folder"}));
}

TEST_P(FormControls, OnlyTheListsThatTakeFilesTakeADrop) {
    struct Case {
        ListBox* frmMain::*list;
        const char* name;
        bool takes;
    };
    const Case cases[] = {
        {&frmMain::lstFiles, "lstFiles", true},
        {&frmMain::lstSafeList, "lstSafeList", true},
        {&frmMain::lstBlackList, "lstBlackList", true},
        {&frmMain::lstDrives, "lstDrives", false},
        {&frmMain::lstCompleteClean, "lstCompleteClean", false},
        {&frmMain::lstPreventAccess, "lstPreventAccess", false},
        {&frmMain::lstAllCookies, "lstAllCookies", false},
        {&frmMain::lstSafeCookies, "lstSafeCookies", false},
    };
    for (const Case& c : cases) {
        ListBox* list = (*form_).*c.list;
        Paths got;
        list->OnDropFiles = [&got](const Paths& paths) { got = paths; };
        Drop(list, {L"S:\\dropped.txt"});
        EXPECT_EQ(got, c.takes ? Paths{L"S:\\dropped.txt"} : Paths{}) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Memory, FormControls, ::testing::Values(&kMemory));
INSTANTIATE_TEST_SUITE_P(Win32, FormControls, ::testing::Values(&kWin32));

}  // namespace
