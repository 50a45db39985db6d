#include "controls/win32_factory.h"

#include "controls/control_set.h"
#include "controls/win32_buttons.h"
#include "controls/win32_grid.h"
#include "controls/win32_labels.h"
#include "controls/win32_lists.h"
#include "controls/win32_splash.h"
#include "controls/win32_tabs.h"
#include "controls/win32_timer.h"
#include "controls/win32_tray.h"
#include "controls/xp_progress_bar.h"

namespace tidvex::controls::win32 {
namespace {

Bounds At(const ControlDesign& d) {
    return {TwipsToPixels(d.at.left), TwipsToPixels(d.at.top), TwipsToPixels(d.at.width), TwipsToPixels(d.at.height)};
}

std::string Key(const ControlDesign& d) { return DesignKey(d.name, d.index); }

// "&&" in a label's caption is one "&" (labels draw their text as it is).
std::string LabelText(std::string text) {
    for (size_t at = text.find("&&"); at != std::string::npos; at = text.find("&&", at + 1)) text.erase(at, 1);
    return text;
}

}  // namespace

HWND Win32ControlFactory::Parent(const std::string& parent) const {
    const size_t hash = parent.find('#');
    if (hash != std::string::npos) {
        auto strip = strips_.find(parent.substr(0, hash));
        if (strip != strips_.end()) {
            auto* tabs = static_cast<Win32TabStrip*>(strip->second);
            if (HWND page = tabs->Page(std::stoi(parent.substr(hash + 1)))) return page;
        }
        return window_;
    }
    auto found = parents_.find(parent);
    return found != parents_.end() ? found->second : window_;
}

void Win32ControlFactory::Remember(const ControlDesign& design, HWND hwnd) { parents_[Key(design)] = hwnd; }

std::unique_ptr<CheckBox> Win32ControlFactory::MakeCheckBox(const ControlDesign& d) {
    return std::make_unique<Win32CheckBox>(Parent(d.parent), d.caption, At(d), Win32CheckBox::Type::CheckBox, d.value);
}

std::unique_ptr<OptionButton> Win32ControlFactory::MakeOptionButton(const ControlDesign& d) {
    return std::make_unique<Win32CheckBox>(Parent(d.parent), d.caption, At(d), Win32CheckBox::Type::OptionButton,
                                           d.value);
}

std::unique_ptr<ListBox> Win32ControlFactory::MakeListBox(const ControlDesign& d) {
    Win32ListBox::Options options;
    options.multiSelect = (d.style & kMultiSelectList) != 0;
    options.checkBoxes = (d.style & kCheckBoxList) != 0;
    options.dropTarget = (d.style & kDropTargetList) != 0;
    auto list = std::make_unique<Win32ListBox>(Parent(d.parent), At(d), options);
    for (const auto& item : d.items) list->AddItem(item);
    return list;
}

std::unique_ptr<ComboBox> Win32ControlFactory::MakeComboBox(const ControlDesign& d) {
    auto combo = std::make_unique<Win32ComboBox>(Parent(d.parent), At(d));
    for (const auto& item : d.items) combo->AddItem(item);
    return combo;
}

std::unique_ptr<TextBox> Win32ControlFactory::MakeTextBox(const ControlDesign& d) {
    return std::make_unique<Win32TextBox>(Parent(d.parent), d.caption, At(d));
}

std::unique_ptr<Label> Win32ControlFactory::MakeLabel(const ControlDesign& d) {
    return std::make_unique<Win32Label>(Parent(d.parent), LabelText(d.caption), At(d), static_cast<LabelStyle>(d.style));
}

std::unique_ptr<Picture> Win32ControlFactory::MakePicture(const ControlDesign& d) {
    // The window's one picture is the About page's logo: the program's icon.
    auto picture = std::make_unique<Win32Picture>(Parent(d.parent), At(d));
    picture->Image(ProgramIcon(At(d).width));
    return picture;
}

std::unique_ptr<Button> Win32ControlFactory::MakeButton(const ControlDesign& d) {
    return std::make_unique<Win32Button>(Parent(d.parent), d.caption, At(d));
}

std::unique_ptr<Panel> Win32ControlFactory::MakePanel(const ControlDesign& d) {
    auto panel = std::make_unique<Win32Panel>(Parent(d.parent), d.caption, At(d));
    Remember(d, panel->hwnd());
    return panel;
}

std::unique_ptr<TabStrip> Win32ControlFactory::MakeTabStrip(const ControlDesign& d) {
    auto strip = std::make_unique<Win32TabStrip>(Parent(d.parent), d.items, At(d), !(d.style & kNoTabRow));
    strips_[Key(d)] = strip.get();
    return strip;
}

std::unique_ptr<ProgressBar> Win32ControlFactory::MakeProgressBar(const ControlDesign& d) {
    return std::make_unique<XP_ProgressBar>(Parent(d.parent), At(d));
}

std::unique_ptr<Grid> Win32ControlFactory::MakeGrid(const ControlDesign& d) {
    return std::make_unique<Win32Grid>(Parent(d.parent), At(d));
}

std::unique_ptr<Timer> Win32ControlFactory::MakeTimer(const ControlDesign& d) {
    return std::make_unique<Win32Timer>(d.value);
}

std::unique_ptr<TrayIcon> Win32ControlFactory::MakeTrayIcon(const ControlDesign&) {
    return std::make_unique<Win32TrayIcon>();
}

std::unique_ptr<Balloon> Win32ControlFactory::MakeBalloon(const ControlDesign&, TrayIcon& icon) {
    return std::make_unique<Win32Balloon>(static_cast<Win32TrayIcon&>(icon));
}

std::unique_ptr<PopupMenu> Win32ControlFactory::MakePopupMenu(const ControlDesign& d) {
    auto menu = std::make_unique<Win32PopupMenu>();
    for (const auto& item : d.items) item == "-" ? menu->AddSeparator() : menu->AddItem(item);
    return menu;
}

std::unique_ptr<Splash> Win32ControlFactory::MakeSplash(const ControlDesign&) {
    return std::make_unique<Win32Splash>();
}

std::unique_ptr<PageEffect> Win32ControlFactory::MakePageEffect(const ControlDesign&) {
    return std::make_unique<Win32PageEffect>();
}

}  // namespace tidvex::controls::win32
