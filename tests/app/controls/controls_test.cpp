// Each kind of control through its interface, on the in-memory double and on
// the real Win32 control (a hidden window under the null driver), both made by
// their factory from the same design rows, with the same cases. The user's
// actions are what each implementation receives from a user: a call on the
// double, window messages on the real control.
#include "memory_controls.h"
#include "controls/win32_buttons.h"
#include "controls/win32_grid.h"
#include "controls/win32_labels.h"
#include "controls/win32_lists.h"
#include "controls/win32_splash.h"
#include "controls/win32_tabs.h"
#include "controls/win32_timer.h"
#include "controls/win32_tray.h"
#include "controls/win32_factory.h"
#include "controls/xp_progress_bar.h"
#include "harness/support.h"
#include "shell_drop.h"
#include "services/helpers.h"

#include <shlobj.h>

#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace {

using namespace tidvex::controls;
using tidvex::controls::win32::Bounds;

// A design row of the given kind and style.
ControlDesign Row(ControlType kind, int style = 0, std::vector<std::string> items = {}, std::string caption = "box") {
    return {.name = "control", .kind = kind, .caption = std::move(caption), .items = std::move(items),
            .at = {150, 150, 3000, 2250}, .style = style};
}

// Makes controls from design rows, as a form's factory does, and plays the
// user on them.
class Kit {
public:
    virtual ~Kit() = default;
    virtual ControlFactory& Factory() = 0;

    virtual void CheckItem(ListBox& list, int index) = 0;
    virtual void Drop(ListBox& list, const std::vector<std::wstring>& paths) = 0;
    virtual void ChooseNext(ComboBox& combo) = 0;
    virtual void Click(CheckBox& box) = 0;
    virtual void Click(Button& button) = 0;
    virtual void MouseUp(Label& label, int button) = 0;
    virtual void ClickTab(TabStrip& strip, int index) = 0;
    virtual void CheckRow(Grid& grid, int row) = 0;
    virtual void EditAndEnd(Grid& grid, const std::wstring& text, bool commit) = 0;
    virtual int TopRow(Grid& grid) = 0;

    std::unique_ptr<ListBox> MakeListBox(int style = 0) { return Factory().MakeListBox(Row(ControlType::ListBox, style)); }
    std::unique_ptr<ComboBox> MakeComboBox() { return Factory().MakeComboBox(Row(ControlType::ComboBox)); }
    std::unique_ptr<CheckBox> MakeCheckBox(bool option) {
        return option ? Factory().MakeOptionButton(Row(ControlType::OptionButton))
                      : Factory().MakeCheckBox(Row(ControlType::CheckBox));
    }
    std::unique_ptr<TextBox> MakeTextBox() { return Factory().MakeTextBox(Row(ControlType::TextBox)); }
    std::unique_ptr<Label> MakeLabel(const std::string& caption) {
        return Factory().MakeLabel(Row(ControlType::Label, 0, {}, caption));
    }
    std::unique_ptr<Button> MakeButton(const std::string& caption) {
        return Factory().MakeButton(Row(ControlType::Button, 0, {}, caption));
    }
    std::unique_ptr<TabStrip> MakeTabStrip(int tabs) {
        std::vector<std::string> captions;
        for (int i = 0; i < tabs; ++i) captions.push_back("Tab " + std::to_string(i));
        return Factory().MakeTabStrip(Row(ControlType::TabStrip, 0, captions));
    }
    std::unique_ptr<Grid> MakeGrid() { return Factory().MakeGrid(Row(ControlType::Grid)); }
    std::unique_ptr<Panel> MakePanel() { return Factory().MakePanel(Row(ControlType::Panel)); }
};

class MemoryKit final : public Kit {
public:
    ControlFactory& Factory() override { return factory_; }

    void CheckItem(ListBox& list, int index) override { static_cast<MemoryListBox&>(list).UserCheck(index); }
    void Drop(ListBox& list, const std::vector<std::wstring>& paths) override {
        static_cast<MemoryListBox&>(list).UserDrop(paths);
    }
    void ChooseNext(ComboBox& combo) override {
        static_cast<MemoryComboBox&>(combo).UserChoose(combo.ListIndex() + 1);
    }
    void Click(CheckBox& box) override { static_cast<MemoryCheckBox&>(box).UserClick(); }
    void Click(Button& button) override { static_cast<MemoryButton&>(button).UserClick(); }
    void MouseUp(Label& label, int button) override { static_cast<MemoryLabel&>(label).UserMouseUp(button); }
    void ClickTab(TabStrip& strip, int index) override { static_cast<MemoryTabStrip&>(strip).UserClickTab(index); }
    void CheckRow(Grid& grid, int row) override { static_cast<MemoryGrid&>(grid).UserCheck(row); }
    void EditAndEnd(Grid& grid, const std::wstring& text, bool commit) override {
        grid.EditActiveCell();
        static_cast<MemoryGrid&>(grid).UserEndEdit(text, commit);
    }
    int TopRow(Grid& grid) override { return static_cast<MemoryGrid&>(grid).TopRow(); }

private:
    MemoryControlFactory factory_;
};

// The user's actions are window messages; the user reaches only a control that
// is in sight and enabled, as the system gives a disabled or hidden window no
// mouse or keyboard input.
class Win32Kit final : public Kit {
public:
    Win32Kit() : host_(win32::CreateContainerWindow("controls test", WS_OVERLAPPEDWINDOW, 640, 480)), factory_(host_) {}
    ~Win32Kit() override { DestroyWindow(host_); }
    ControlFactory& Factory() override { return factory_; }

    template <class T>
    static HWND Of(T* control) {
        return dynamic_cast<win32::Win32Window&>(*control).hwnd();
    }
    static bool Reachable(HWND hwnd) {
        return (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_VISIBLE) && IsWindowEnabled(hwnd);
    }

    void CheckItem(ListBox& list, int index) override {
        HWND hwnd = Of(&list);
        if (!Reachable(hwnd)) return;
        RECT r{};
        SendMessageA(hwnd, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM(5, (r.top + r.bottom) / 2);
        SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(hwnd, WM_LBUTTONUP, 0, at);
    }
    void Drop(ListBox& list, const std::vector<std::wstring>& paths) override {
        tidvex::test::DropLikeTheShell(Of(&list), paths);
    }
    void ChooseNext(ComboBox& combo) override {
        if (Reachable(Of(&combo))) SendMessageA(Of(&combo), WM_KEYDOWN, VK_DOWN, 0);
    }
    void Click(CheckBox& box) override {
        if (Reachable(Of(&box))) SendMessageA(Of(&box), BM_CLICK, 0, 0);
    }
    void Click(Button& button) override {
        if (Reachable(Of(&button))) SendMessageA(Of(&button), BM_CLICK, 0, 0);
    }
    void MouseUp(Label& label, int button) override {
        if (!Reachable(Of(&label))) return;
        SendMessageA(Of(&label), button == kRightButton ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    }
    void ClickTab(TabStrip& strip, int index) override {
        HWND hwnd = Of(&strip);
        if (!Reachable(hwnd)) return;
        RECT r{};
        SendMessageA(hwnd, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(hwnd, WM_LBUTTONUP, 0, at);
    }
    void CheckRow(Grid& grid, int row) override {
        // What the list view does when the user clicks a row's check box.
        HWND hwnd = Of(&grid);
        const auto state = SendMessageA(hwnd, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
        LVITEMA item{};
        item.stateMask = LVIS_STATEIMAGEMASK;
        item.state = INDEXTOSTATEIMAGEMASK(((state & LVIS_STATEIMAGEMASK) >> 12) == 2 ? 1 : 2);
        SendMessageA(hwnd, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    }
    void EditAndEnd(Grid& grid, const std::wstring& text, bool commit) override {
        grid.EditActiveCell();
        HWND edit = reinterpret_cast<HWND>(SendMessageA(Of(&grid), LVM_GETEDITCONTROL, 0, 0));
        if (!edit) return;
        SetWindowTextW(edit, text.c_str());
        SendMessageA(edit, WM_KEYDOWN, commit ? VK_RETURN : VK_ESCAPE, 0);
    }
    int TopRow(Grid& grid) override { return static_cast<win32::Win32Grid&>(grid).TopRow(); }

private:
    HWND host_;
    win32::Win32ControlFactory factory_;
};

using KitFactory = std::function<std::unique_ptr<Kit>()>;

class Controls : public ::testing::TestWithParam<KitFactory> {
protected:
    void SetUp() override { kit = GetParam()(); }
    std::unique_ptr<Kit> kit;
};

std::vector<std::wstring> Items(const ItemList& list) {
    std::vector<std::wstring> items;
    for (int i = 0; i < list.ListCount(); ++i) items.push_back(list.List(i));
    return items;
}

TEST_P(Controls, ItemListsKeepTheSelectionOnTheSameItemWhenItemsGo) {
    auto list = kit->MakeListBox();
    for (auto s : {"a", "b", "c", "d"}) list->AddItem(s);
    struct Case {
        int select, remove, expected;
    } cases[] = {{2, 0, 1}, {2, 3, 2}, {2, 2, -1}, {-1, 1, -1}};
    for (auto c : cases) {
        list->Clear();
        for (auto s : {"a", "b", "c", "d"}) list->AddItem(s);
        list->ListIndex(c.select);
        list->RemoveItem(c.remove);
        EXPECT_EQ(list->ListIndex(), c.expected) << "select " << c.select << " remove " << c.remove;
        EXPECT_EQ(list->ListCount(), 3);
    }
    list->ListIndex(7);
    EXPECT_EQ(list->ListIndex(), -1);
    EXPECT_EQ(list->List(9), L"");
    list->RemoveItem(9);
    EXPECT_EQ(list->ListCount(), 3);
}

TEST_P(Controls, MultiSelectListsSelectItemsApart) {
    auto list = kit->MakeListBox(kMultiSelectList);
    for (auto s : {"a", "b", "c"}) list->AddItem(s);
    list->Selected(0, true);
    list->Selected(2, true);
    EXPECT_TRUE(list->Selected(0));
    EXPECT_FALSE(list->Selected(1));
    EXPECT_TRUE(list->Selected(2));
    list->Selected(0, false);
    EXPECT_FALSE(list->Selected(0));
    list->ListIndex(2);
    EXPECT_EQ(list->ListIndex(), 2);
}

TEST_P(Controls, CheckBoxListsTellOnlyTheUsersChecks) {
    auto list = kit->MakeListBox(kCheckBoxList);
    for (auto s : {"C:", "D:", "E:"}) list->AddItem(s);
    std::vector<int> told;
    list->OnItemCheck = [&](int i) { told.push_back(i); };
    list->Checked(0, true);
    EXPECT_TRUE(told.empty());
    kit->CheckItem(*list, 1);
    kit->CheckItem(*list, 0);
    EXPECT_EQ(told, (std::vector<int>{1, 0}));
    EXPECT_FALSE(list->Checked(0));
    EXPECT_TRUE(list->Checked(1));
    EXPECT_FALSE(list->Checked(2));
}

// Names outside the code page come and stay as they are, never as the
// look-alikes the code page would make of them.
TEST_P(Controls, DroppedFilesReachTheListInTheirOrderAndAsTheyAre) {
    std::vector<std::wstring> names{L"C:\\a.txt", L"C:\\folder"};
    for (const auto& outside : tidvex::test::kOutsideNames) names.push_back(std::wstring(L"C:\\t\\") + outside.name);
    auto list = kit->MakeListBox(kDropTargetList);
    std::vector<std::wstring> got;
    list->OnDropFiles = [&](const std::vector<std::wstring>& paths) { got = paths; };
    kit->Drop(*list, names);
    EXPECT_EQ(got, names);
    for (const auto& name : names) list->AddItem(name);
    EXPECT_EQ(Items(*list), names);
}

TEST_P(Controls, AListTakesOnlyTheDropsAndChecksItsStyleAllows) {
    struct Case {
        const char* what;
        int style;
        bool drops, checks;
    };
    const Case cases[] = {
        {"plain", 0, false, false},
        {"multi-select", kMultiSelectList, false, false},
        {"check boxes", kCheckBoxList, false, true},
        {"drop target", kDropTargetList, true, false},
        {"multi-select drop target", kMultiSelectList | kDropTargetList, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto list = kit->MakeListBox(c.style);
        list->AddItem("C:");
        int drops = 0, checks = 0;
        list->OnDropFiles = [&](const std::vector<std::wstring>&) { ++drops; };
        list->OnItemCheck = [&](int) { ++checks; };
        kit->Drop(*list, {L"C:\\a.txt"});
        kit->CheckItem(*list, 0);
        EXPECT_EQ(drops, c.drops ? 1 : 0);
        EXPECT_EQ(checks, c.checks ? 1 : 0);
        EXPECT_EQ(list->Checked(0), c.checks);
    }
}

// What the user does to a control that is disabled, or out of sight, reaches
// nothing: no handler runs and the value stays.
enum class Unusable { Button, CheckBox, OptionButton, Link, TabStrip, CheckList, DropTarget, ComboBox };

// Makes the control, takes it from the user (disabled or hidden), plays the
// user on it; true when no handler ran and the value stayed.
bool UserCannotReach(Kit& kit, Unusable what, bool hidden) {
    int calls = 0;
    auto count = [&calls](auto&&...) { ++calls; };
    auto takeAway = [hidden](Control& control) { hidden ? control.Visible(false) : control.Enabled(false); };
    bool stayed = true;
    switch (what) {
        case Unusable::Button: {
            auto button = kit.MakeButton("Start Cleaning");
            button->OnClick = count;
            takeAway(*button);
            kit.Click(*button);
            break;
        }
        case Unusable::CheckBox:
        case Unusable::OptionButton: {
            auto box = kit.MakeCheckBox(what == Unusable::OptionButton);
            box->OnClick = count;
            takeAway(*box);
            kit.Click(*box);
            stayed = box->Value() == 0;
            break;
        }
        case Unusable::Link: {
            auto label = kit.MakeLabel("Click Here");
            label->OnMouseUp = count;
            takeAway(*label);
            kit.MouseUp(*label, kLeftButton);
            break;
        }
        case Unusable::TabStrip: {
            auto strip = kit.MakeTabStrip(2);
            strip->OnBeforeClick = count;
            takeAway(*strip);
            kit.ClickTab(*strip, 1);
            stayed = strip->Tab() == 0;
            break;
        }
        case Unusable::CheckList:
        case Unusable::DropTarget: {
            auto list = kit.MakeListBox(what == Unusable::CheckList ? kCheckBoxList : kDropTargetList);
            list->AddItem("C:");
            list->OnItemCheck = count;
            list->OnDropFiles = count;
            takeAway(*list);
            kit.CheckItem(*list, 0);
            kit.Drop(*list, {L"C:\\a.txt"});
            stayed = !list->Checked(0);
            break;
        }
        case Unusable::ComboBox: {
            auto combo = kit.MakeComboBox();
            for (auto s : {"Quick Shred", "German: VSITR"}) combo->AddItem(s);
            combo->ListIndex(0);
            combo->OnClick = count;
            takeAway(*combo);
            kit.ChooseNext(*combo);
            stayed = combo->ListIndex() == 0;
            break;
        }
    }
    return calls == 0 && stayed;
}

TEST_P(Controls, ADisabledOrHiddenControlTakesNoUserAction) {
    for (Unusable what : {Unusable::Button, Unusable::CheckBox, Unusable::OptionButton, Unusable::Link,
                          Unusable::TabStrip, Unusable::CheckList, Unusable::DropTarget, Unusable::ComboBox})
        for (bool hidden : {false, true})
            EXPECT_TRUE(UserCannotReach(*kit, what, hidden))
                << "control " << static_cast<int>(what) << (hidden ? " hidden" : " disabled");
}

TEST_P(Controls, ComboBoxesTellTheUsersChoiceNotTheProgramsOne) {
    auto combo = kit->MakeComboBox();
    for (auto s : {"Quick Shred", "German: VSITR"}) combo->AddItem(s);
    int clicks = 0;
    combo->OnClick = [&] { ++clicks; };
    combo->ListIndex(0);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(combo->Text(), "Quick Shred");
    kit->ChooseNext(*combo);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(combo->ListIndex(), 1);
    EXPECT_EQ(combo->Text(), "German: VSITR");
    EXPECT_EQ(Items(*combo).size(), 2u);
}

TEST_P(Controls, ACheckBoxTurnsOverOnTheUsersClickOnly) {
    auto box = kit->MakeCheckBox(false);
    int clicks = 0;
    box->OnClick = [&] { ++clicks; };
    box->Value(1);
    EXPECT_EQ(box->Value(), 1);
    EXPECT_EQ(clicks, 0);
    struct Case {
        int before, after;
    } cases[] = {{0, -1}, {-1, 0}, {1, 0}};
    for (auto c : cases) {
        box->Value(c.before);
        kit->Click(*box);
        EXPECT_EQ(box->Value(), c.after) << c.before;
    }
    EXPECT_EQ(clicks, 3);
}

TEST_P(Controls, AnOptionButtonGoesOnAndItsGroupOff) {
    auto first = kit->MakeCheckBox(true);
    auto second = kit->MakeCheckBox(true);
    first->Value(-1);
    int clicks = 0;
    second->OnClick = [&] { ++clicks; };
    kit->Click(*second);
    EXPECT_EQ(second->Value(), -1);
    EXPECT_EQ(first->Value(), 0);
    kit->Click(*second);
    EXPECT_EQ(second->Value(), -1);
    EXPECT_EQ(clicks, 2);
}

TEST_P(Controls, ButtonsClickWhileEnabledAndHoldTheirSelectedState) {
    auto button = kit->MakeButton("Browsers");
    int clicks = 0;
    button->OnClick = [&] { ++clicks; };
    kit->Click(*button);
    button->Enabled(false);
    kit->Click(*button);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button->Enabled());
    button->Selected(true);
    EXPECT_TRUE(button->Selected());
    button->Selected(false);
    EXPECT_FALSE(button->Selected());
    button->Value(-1);
    EXPECT_EQ(button->Value(), -1);
    button->Caption("Chat");
    EXPECT_EQ(button->Caption(), "Chat");
}

TEST_P(Controls, LabelsReportTheMouseButtonReleased) {
    auto label = kit->MakeLabel("Click Here");
    std::vector<int> buttons;
    label->OnMouseUp = [&](int b) { buttons.push_back(b); };
    kit->MouseUp(*label, kLeftButton);
    kit->MouseUp(*label, kRightButton);
    EXPECT_EQ(buttons, (std::vector<int>{kLeftButton, kRightButton}));
    label->Caption("Ready For Cleaning");
    EXPECT_EQ(label->Caption(), "Ready For Cleaning");
}

TEST_P(Controls, TabStripsAskBeforeAClickChangesTheTab) {
    auto strip = kit->MakeTabStrip(3);
    std::vector<int> asked;
    bool refuse = true;
    strip->OnBeforeClick = [&](int tab, bool& cancel) {
        asked.push_back(tab);
        cancel = refuse;
    };
    kit->ClickTab(*strip, 2);
    EXPECT_EQ(strip->Tab(), 0);
    refuse = false;
    kit->ClickTab(*strip, 1);
    EXPECT_EQ(strip->Tab(), 1);
    strip->Tab(2);
    EXPECT_EQ(strip->Tab(), 2);
    EXPECT_EQ(asked, (std::vector<int>{2, 1}));
    strip->Tab(5);
    EXPECT_EQ(strip->Tab(), 2);
    EXPECT_EQ(strip->Tabs(), 3);
}

TEST_P(Controls, GridsHoldTheirDataAndTheUsersChecks) {
    auto grid = kit->MakeGrid();
    grid->DataSource({{L"1", L"-1", L"A"}, {L"2", L"0", L"B"}, {L"3", L"-1", L"C"}}, 3);
    grid->Layout(0, {"", 0, true});
    grid->Layout(1, {" ", 33, false, true});
    grid->Layout(2, {"Task Name", 120});
    EXPECT_EQ(grid->Rows(), 3);
    kit->CheckRow(*grid, 0);
    kit->CheckRow(*grid, 1);
    EXPECT_EQ(grid->Cell(0, 1), L"0");
    EXPECT_EQ(grid->Cell(1, 1), L"-1");
    EXPECT_EQ(grid->Cell(2, 1), L"-1");
    EXPECT_EQ(grid->Cell(2, 2), L"C");
    EXPECT_EQ(grid->Layout(2).header, "Task Name");
    grid->Unbind();
    EXPECT_EQ(grid->Rows(), 0);
    EXPECT_EQ(grid->ActiveRow(), -1);
}

// The cells hold names outside the code page exactly, an edited one too.
TEST_P(Controls, GridEditsCommitOrCancelAndAlwaysEnd) {
    const std::wstring gamma = L"Gamma Tool\u0142 \u65e5\u672c";
    auto grid = kit->MakeGrid();
    grid->DataSource({{L"Alpha \u0141\u00f3d\u017a", L"k1"}, {L"Beta", L"k2"}}, 2);
    grid->Layout(1, {"", 0, true});
    std::vector<std::wstring> events;
    bool refuse = false;
    grid->OnBeforeUpdate = [&](int row, int column, const std::wstring& text, bool& cancel) {
        events.push_back(L"update " + std::to_wstring(row) + L"," + std::to_wstring(column) + L" " + text);
        cancel = refuse;
    };
    grid->OnAfterEdit = [&](int row, int) { events.push_back(L"end " + std::to_wstring(row)); };
    grid->ActiveRow(1);
    kit->EditAndEnd(*grid, L"Locked", true);  // the column is locked: no edit at all
    EXPECT_TRUE(events.empty());
    grid->Layout(0, {"Application", 200, false, false, false});
    kit->EditAndEnd(*grid, gamma, true);
    refuse = true;
    kit->EditAndEnd(*grid, L"", true);
    kit->EditAndEnd(*grid, L"Delta", false);
    EXPECT_EQ(events,
              (std::vector<std::wstring>{L"update 1,0 " + gamma, L"end 1", L"update 1,0 ", L"end 1", L"end 1"}));
    EXPECT_EQ(grid->Cell(1, 0), gamma);
    EXPECT_EQ(grid->Cell(0, 0), L"Alpha \u0141\u00f3d\u017a");
}

TEST_P(Controls, GridsScrollOneRowAStep) {
    auto grid = kit->MakeGrid();
    std::vector<GridRow> rows;
    for (int i = 0; i < 40; ++i) rows.push_back({L"row " + std::to_wstring(i)});
    grid->DataSource(rows, 1);
    grid->ScrollRows(true);
    EXPECT_EQ(kit->TopRow(*grid), 0);
    grid->ScrollRows(false);
    grid->ScrollRows(false);
    EXPECT_EQ(kit->TopRow(*grid), 2);
    grid->ScrollRows(true);
    EXPECT_EQ(kit->TopRow(*grid), 1);
}

TEST_P(Controls, ControlsMoveShowAndEnable) {
    auto panel = kit->MakePanel();
    panel->Move(0, 117, 641, 460);
    panel->Left(15);
    EXPECT_EQ(panel->Left(), 15);
    EXPECT_EQ(panel->Top(), 117);
    EXPECT_EQ(panel->Width(), 641);
    EXPECT_EQ(panel->Height(), 460);
    panel->Visible(false);
    EXPECT_FALSE(panel->Visible());
    panel->Visible(true);
    EXPECT_TRUE(panel->Visible());
    panel->Active(false);
    EXPECT_FALSE(panel->Active());
    EXPECT_TRUE(panel->Enabled());
    EXPECT_NE(panel->hWnd(), 0);
    auto text = kit->MakeTextBox();
    text->Text("HKEY_CURRENT_USER\\Software");
    EXPECT_EQ(text->Text(), "HKEY_CURRENT_USER\\Software");
}

INSTANTIATE_TEST_SUITE_P(Memory, Controls, ::testing::Values(KitFactory([] { return std::make_unique<MemoryKit>(); })));
INSTANTIATE_TEST_SUITE_P(Win32, Controls, ::testing::Values(KitFactory([] { return std::make_unique<Win32Kit>(); })));

// ---- What only the real controls show ----

class RealControls : public ::testing::Test {
protected:
    RealControls() : host(win32::CreateContainerWindow("real controls", WS_OVERLAPPEDWINDOW, 640, 480)) {}
    ~RealControls() override { DestroyWindow(host); }
    HWND host;
};

// Every control is a child window whose text is its caption.
TEST_F(RealControls, CaptionsAreWindowTexts) {
    win32::Win32Button button(host, "Start Cleaning", Bounds{0, 0, 90, 26});
    win32::Win32Label label(host, "Ready For Cleaning", Bounds{0, 30, 200, 20});
    win32::Win32CheckBox box(host, "Include Internet Items", Bounds{0, 60, 200, 20});
    EXPECT_EQ(win32::WindowText(button.hwnd()), "Start Cleaning");
    EXPECT_EQ(win32::WindowText(label.hwnd()), "Ready For Cleaning");
    EXPECT_EQ(win32::WindowText(box.hwnd()), "Include Internet Items");
    EXPECT_EQ(GetParent(button.hwnd()), host);
}

TEST_F(RealControls, ZOrderBringsOneOfStackedControlsToTheFront) {
    win32::Win32Button a(host, "0", Bounds{10, 10, 40, 40}), b(host, "1", Bounds{10, 10, 40, 40});
    a.ZOrder();
    EXPECT_EQ(GetWindow(host, GW_CHILD), a.hwnd());
    b.ZOrder();
    EXPECT_EQ(GetWindow(host, GW_CHILD), b.hwnd());
}

TEST_F(RealControls, TheTabShownIsTheOnlyPageShown) {
    win32::Win32TabStrip strip(host, {"IE", "FireFox"}, Bounds{0, 0, 300, 200});
    EXPECT_TRUE(GetWindowLongPtrA(strip.Page(0), GWL_STYLE) & WS_VISIBLE);
    EXPECT_FALSE(GetWindowLongPtrA(strip.Page(1), GWL_STYLE) & WS_VISIBLE);
    strip.Tab(1);
    EXPECT_FALSE(GetWindowLongPtrA(strip.Page(0), GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongPtrA(strip.Page(1), GWL_STYLE) & WS_VISIBLE);
}

// A strip whose tabs buttons choose shows no row of tabs: its pages take all
// but its frame, and a click there reaches the page, not a tab.
TEST_F(RealControls, AStripWithoutItsRowOfTabsIsAFrameRoundItsPages) {
    const int edge = GetSystemMetrics(SM_CXEDGE);
    for (bool row : {true, false}) {
        win32::Win32TabStrip strip(host, {"Settings", "Safe List"}, Bounds{0, 0, 300, 200}, row);
        RECT page{};
        GetWindowRect(strip.Page(1), &page);
        MapWindowPoints(HWND_DESKTOP, strip.hwnd(), reinterpret_cast<POINT*>(&page), 2);
        if (row) {
            EXPECT_GT(page.top, 10) << "below the row of tabs";
        } else {
            EXPECT_EQ(page.left, edge);
            EXPECT_EQ(page.top, edge);
            EXPECT_EQ(page.right, 300 - edge);
            EXPECT_EQ(page.bottom, 200 - edge);
        }
        EXPECT_EQ(strip.Tabs(), 2) << "the tabs are there for whatever reads them";
        EXPECT_EQ((GetWindowLongPtrA(strip.hwnd(), GWL_STYLE) & WS_TABSTOP) != 0, row);
    }
}

// The buttons draw themselves and still tell the selected state and the icon
// as a push-like check box and an icon button do.
TEST_F(RealControls, AButtonTellsItsStateAndIconAsTheNativeOnesDo) {
    win32::Win32Button button(host, "Shredder", Bounds{0, 0, 90, 40});
    HICON icon = LoadIconA(nullptr, IDI_QUESTION);
    struct Step {
        bool selected;
        HICON icon;
        LRESULT check;
        bool iconStyle;
    };
    const Step steps[] = {{false, nullptr, BST_UNCHECKED, false}, {true, nullptr, BST_CHECKED, false},
                          {true, icon, BST_CHECKED, true}, {false, nullptr, BST_UNCHECKED, false}};
    for (const Step& s : steps) {
        button.Selected(s.selected);
        button.Icon(s.icon);
        EXPECT_EQ(SendMessageA(button.hwnd(), BM_GETCHECK, 0, 0), s.check);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(button.hwnd(), BM_GETIMAGE, IMAGE_ICON, 0)), s.icon);
        EXPECT_EQ((GetWindowLongPtrA(button.hwnd(), GWL_STYLE) & BS_ICON) != 0, s.iconStyle);
        win32::CaptionLayout layout;
        EXPECT_EQ(button.TextLayout(layout), s.icon == nullptr) << "an icon button has no caption to fit";
    }
    EXPECT_EQ(win32::WindowText(button.hwnd()), "Shredder");
}

TEST_F(RealControls, AHandlersErrorIsReportedAndStaysInTheWindowProcedure) {
    std::string reported;
    {
        tidvex::ScopedSeam<win32::ErrorReporter> reporter(win32::gErrorReporter,
                                                          [&](const std::string& text) { reported = text; });
        win32::Win32Button button(host, "Ok", Bounds{0, 0, 90, 26});
        button.OnClick = [] { throw std::runtime_error("File not found"); };
        SendMessageA(button.hwnd(), BM_CLICK, 0, 0);
    }
    EXPECT_EQ(reported, "File not found");
}

TEST_F(RealControls, TimersTickFromTheMessageLoopWhileEnabled) {
    win32::Win32Timer timer(20);
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.Enabled(true);
    MSG msg;
    for (DWORD end = GetTickCount() + 3000; ticks < 3 && GetTickCount() < end;)
        if (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    EXPECT_GE(ticks, 3);
    timer.Enabled(false);
    const int stopped = ticks;
    for (DWORD end = GetTickCount() + 200; GetTickCount() < end;)
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(ticks, stopped);
}

TEST_F(RealControls, ThePopupMenuTellsTheChosenItem) {
    win32::Win32PopupMenu menu;
    menu.AddItem("Open Tidvex");
    menu.AddSeparator();
    const int clean = menu.AddItem("Clean Now");
    menu.Caption(clean, "Stop Cleaning");
    EXPECT_EQ(menu.Caption(clean), "Stop Cleaning");
    int chosen = -1;
    menu.OnClick = [&](int index) { chosen = index; };
    // The user presses Down twice (past the separator) and Enter.
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageA(menu.Owner(), WM_KEYDOWN, key, 0);
    menu.Popup(100, 100);
    EXPECT_EQ(chosen, clean);

    // Greyed, the same keys choose nothing; Escape closes the menu.
    menu.Enabled(clean, false);
    EXPECT_FALSE(menu.Enabled(clean));
    EXPECT_TRUE(menu.Enabled(0));
    chosen = -1;
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN, VK_ESCAPE}) PostMessageA(menu.Owner(), WM_KEYDOWN, key, 0);
    menu.Popup(100, 100);
    EXPECT_EQ(chosen, -1);
}

TEST_F(RealControls, TheTrayIconPassesItsMouseMessagesOnAndAsksToReattach) {
    win32::Win32TrayIcon tray;
    std::vector<int> codes;
    int reattach = 0;
    tray.OnMouse = [&](int code) { codes.push_back(code); };
    tray.OnReattach = [&] { ++reattach; };
    // Under the null driver the shell takes no icon; the messages are the same.
    tray.Attach(host);
    SendMessageA(tray.hwnd(), win32::Win32TrayIcon::kCallbackMessage, 1, WM_LBUTTONDBLCLK);
    SendMessageA(tray.hwnd(), win32::Win32TrayIcon::kCallbackMessage, 1, WM_RBUTTONUP);
    SendMessageA(tray.hwnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_EQ(codes, (std::vector<int>{515, 517}));
    EXPECT_EQ(reattach, 1);
    int x = -1, y = -1;
    tray.Position(x, y);
    EXPECT_GE(x, 0);
    EXPECT_GE(y, 0);
}

TEST_F(RealControls, ABalloonClickComesAsALeftButtonRelease) {
    win32::Win32TrayIcon tray;
    win32::Win32Balloon balloon(tray);
    std::vector<int> codes;
    balloon.OnMouse = [&](int code) { codes.push_back(code); };
    SendMessageA(tray.hwnd(), win32::Win32TrayIcon::kCallbackMessage, 1, NIN_BALLOONUSERCLICK);
    EXPECT_EQ(codes, (std::vector<int>{514}));
}

// A 2 x 2 picture file in the bitmap format.
std::string TinyBitmap() {
    std::string bmp = {'B', 'M'};
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) bmp += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto put16 = [&](uint16_t v) {
        bmp += static_cast<char>(v & 0xFF);
        bmp += static_cast<char>(v >> 8);
    };
    put32(14 + 40 + 16);
    put32(0);
    put32(14 + 40);
    put32(40);
    put32(2);
    put32(2);
    put16(1);
    put16(24);
    for (int i = 0; i < 6; ++i) put32(0);
    bmp += std::string(16, '\x7F');  // two rows of two pixels, padded to 4 bytes
    return bmp;
}

TEST_F(RealControls, TheSplashShowsItsPictureWithTheVersionAndCloses) {
    const std::string file = "C:\\users\\Public\\Splash.spl";
    HANDLE f = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string bytes = TinyBitmap();
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    win32::Win32Splash splash;
    EXPECT_FALSE(splash.LoadPicture(L"C:\\users\\Public\\missing.spl"));
    EXPECT_TRUE(splash.LoadPicture(tidvex::text::Wide(file)));
    splash.LabelText("lblVersion", "Version 1.0.0.2");
    EXPECT_EQ(win32::WindowText(splash.Label()), "Version 1.0.0.2");
    splash.Show(0);
    EXPECT_TRUE(splash.Shown());
    splash.Close();
    splash.Close();
    EXPECT_FALSE(splash.Shown());
    DeleteFileA(file.c_str());
}

TEST_F(RealControls, ThePageEffectPlaysOnlyAfterStartUp) {
    win32::Win32Panel overlay(host, "", Bounds{0, 0, 100, 100});
    win32::Win32PageEffect effect;
    effect.Run(overlay.hWnd());
    EXPECT_EQ(effect.Runs(), 0);
    effect.Value(1);
    effect.Run(overlay.hWnd());
    effect.Run(0);
    EXPECT_EQ(effect.Runs(), 1);
    EXPECT_FALSE(overlay.Visible());
}

// ---- The colour scheme on the real controls ----

struct RealForm : tidvex::services::SchemeForm {
    void SetBackColor(COLORREF c) override { back = c; }
    std::vector<tidvex::services::SchemeControl*> Controls() override { return controls; }
    COLORREF back = 0;
    std::vector<tidvex::services::SchemeControl*> controls;
};

// The colour a control's parent is told for it (WM_CTLCOLOR...).
COLORREF AskedBackColor(HWND control, UINT message) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageA(GetParent(control), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
    const COLORREF c = GetBkColor(dc);
    DeleteDC(dc);
    return c;
}

COLORREF PaintedPixel(HWND control, int x, int y) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 400, 100);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    const COLORREF c = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return c;
}

// A disabled box on the window's lilac is written in a dimmed ink, not in
// the platform's embossed white.
TEST_F(RealControls, ADisabledBoxsCaptionCanBeReadOnTheWindowsColour) {
    const COLORREF lilac = RGB(133, 150, 255);
    win32::SetContainerColor(host, lilac);
    for (auto type : {win32::Win32CheckBox::Type::CheckBox, win32::Win32CheckBox::Type::OptionButton}) {
        win32::Win32CheckBox box(host, "When Windows starts", Bounds{0, 0, 200, 20}, type);
        box.Enabled(false);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 20);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        SendMessageA(box.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
        int white = 0, ink = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 20; x < 200; ++x) {
                const COLORREF c = GetPixel(dc, x, y);
                white += c == RGB(255, 255, 255);
                ink += c == RGB(66, 75, 127);
            }
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
        EXPECT_EQ(white, 0);
        EXPECT_GT(ink, 20) << "the caption in the ink halfway from black to the lilac";
    }
}

TEST_F(RealControls, TheSchemeColourReachesTheRealControls) {
    win32::Win32TextBox text(host, "", Bounds{0, 0, 100, 22});
    win32::Win32ListBox list(host, Bounds{0, 30, 100, 60});
    win32::Win32ComboBox combo(host, Bounds{0, 100, 100, 22});
    win32::Win32Panel panel(host, "", Bounds{200, 0, 100, 100});
    win32::Win32Label gradient(host, "Complete Items", Bounds{0, 140, 200, 20}, LabelStyle::Gradient);
    win32::Win32Label banner(host, "Clean Settings", Bounds{0, 170, 200, 40}, LabelStyle::Banner);
    win32::Win32Label plain(host, "plain", Bounds{0, 220, 200, 20});
    win32::XP_ProgressBar bar(host, Bounds{0, 250, 200, 20});
    win32::Win32TabStrip tabs(host, {"MSN", "Yahoo"}, Bounds{300, 120, 200, 120});
    RealForm form;
    form.controls = {&text, &list, &combo, &panel, &gradient, &banner, &plain, &bar, &tabs};
    tidvex::services::ApplyColorScheme(form);
    EXPECT_EQ(form.back, RGB(174, 174, 255));
    EXPECT_EQ(AskedBackColor(text.hwnd(), WM_CTLCOLOREDIT), RGB(155, 155, 232));
    EXPECT_EQ(AskedBackColor(list.hwnd(), WM_CTLCOLORLISTBOX), RGB(198, 182, 255));
    EXPECT_EQ(AskedBackColor(combo.hwnd(), WM_CTLCOLORLISTBOX), RGB(73, 72, 183));
    EXPECT_EQ(PaintedPixel(panel.hwnd(), 50, 50), RGB(133, 150, 255));
    EXPECT_EQ(PaintedPixel(panel.hwnd(), 0, 0), RGB(61, 88, 215));
    EXPECT_EQ(PaintedPixel(gradient.hwnd(), 0, 10), RGB(44, 44, 125));
    EXPECT_EQ(PaintedPixel(banner.hwnd(), 0, 0), RGB(43, 42, 153));
    EXPECT_EQ(plain.Kind(), ControlKind::Other);
    EXPECT_EQ(bar.Color(), RGB(74, 74, 155));
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageA(tabs.Page(0), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(174, 174, 255));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

}  // namespace
