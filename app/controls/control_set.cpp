#include "controls/control_set.h"

#include "text/text.h"

#include <type_traits>

namespace tidvex::controls {

void ItemList::AddItem(const std::string& item) { AddItem(text::Wide(item)); }

namespace {

template <class T>
MadeControl Keep(std::vector<std::shared_ptr<void>>& owned, std::unique_ptr<T> control) {
    T* raw = control.get();
    owned.push_back(std::shared_ptr<T>(std::move(control)));
    return raw;
}

}  // namespace

std::string DesignKey(std::string_view name, int index) {
    std::string key(name);
    if (index >= 0) key += "(" + std::to_string(index) + ")";
    return key;
}

void ControlSet::Make(ControlFactory& factory, const std::vector<ControlDesign>& rows) {
    for (const ControlDesign& row : rows) {
        MadeControl made;
        switch (row.kind) {
            case ControlType::Label: made = Keep(owned_, factory.MakeLabel(row)); break;
            case ControlType::Button: made = Keep(owned_, factory.MakeButton(row)); break;
            case ControlType::CheckBox: made = Keep(owned_, factory.MakeCheckBox(row)); break;
            case ControlType::OptionButton: made = Keep(owned_, factory.MakeOptionButton(row)); break;
            case ControlType::TextBox: made = Keep(owned_, factory.MakeTextBox(row)); break;
            case ControlType::ListBox: made = Keep(owned_, factory.MakeListBox(row)); break;
            case ControlType::ComboBox: made = Keep(owned_, factory.MakeComboBox(row)); break;
            case ControlType::Panel: made = Keep(owned_, factory.MakePanel(row)); break;
            case ControlType::TabStrip: made = Keep(owned_, factory.MakeTabStrip(row)); break;
            case ControlType::Picture: made = Keep(owned_, factory.MakePicture(row)); break;
            case ControlType::ProgressBar: made = Keep(owned_, factory.MakeProgressBar(row)); break;
            case ControlType::Grid: made = Keep(owned_, factory.MakeGrid(row)); break;
            case ControlType::Timer: made = Keep(owned_, factory.MakeTimer(row)); break;
            case ControlType::TrayIcon: made = Keep(owned_, factory.MakeTrayIcon(row)); break;
            case ControlType::Balloon: made = Keep(owned_, factory.MakeBalloon(row, *Get<TrayIcon>(row.parent))); break;
            case ControlType::PopupMenu: made = Keep(owned_, factory.MakePopupMenu(row)); break;
            case ControlType::Splash: made = Keep(owned_, factory.MakeSplash(row)); break;
            case ControlType::PageEffect: made = Keep(owned_, factory.MakePageEffect(row)); break;
        }
        if (!row.visible)
            std::visit(
                [](auto* control) {
                    if constexpr (std::is_base_of_v<Control, std::remove_pointer_t<decltype(control)>>)
                        control->Visible(false);
                },
                made);
        byKey_[DesignKey(row.name, row.index)] = entries_.size();
        entries_.push_back({row, made});
    }
}

bool ControlSet::Has(std::string_view name, int index) const { return byKey_.count(DesignKey(name, index)) != 0; }

const ControlSet::Entry& ControlSet::Find(std::string_view name, int index) const {
    auto found = byKey_.find(DesignKey(name, index));
    if (found == byKey_.end()) throw std::logic_error("No control " + DesignKey(name, index) + " was made");
    return entries_[found->second];
}

std::logic_error ControlSet::WrongKind(std::string_view name, int index) {
    return std::logic_error("The control " + DesignKey(name, index) + " is of another kind");
}

std::vector<SchemeControl*> ControlSet::SchemeControls() const {
    std::vector<SchemeControl*> painted;
    for (const Entry& entry : entries_)
        std::visit(
            [&painted](auto* control) {
                if constexpr (std::is_base_of_v<SchemeControl, std::remove_pointer_t<decltype(control)>>)
                    painted.push_back(control);
            },
            entry.control);
    return painted;
}

std::vector<std::string> ControlSet::Mismatches() const {
    std::vector<std::string> misfits;
    // `both`: the style wants its handler too (a list whose checks nothing
    // follows is fine; a drop target that drops nowhere, or a link that leads
    // nowhere, is not).
    auto expect = [&misfits](const ControlDesign& row, bool handled, bool styled, const char* what, bool both = true) {
        if (handled == styled || (!both && !handled)) return;
        misfits.push_back(DesignKey(row.name, row.index) + (handled ? ": a " : ": no ") + what +
                          (handled ? " handler without the style" : " handler for the style"));
    };
    for (const Entry& entry : entries_) {
        const ControlDesign& row = entry.design;
        if (ListBox* const* list = std::get_if<ListBox*>(&entry.control)) {
            expect(row, static_cast<bool>((*list)->OnDropFiles), (row.style & kDropTargetList) != 0, "drop");
            expect(row, static_cast<bool>((*list)->OnItemCheck), (row.style & kCheckBoxList) != 0, "item-check", false);
        } else if (Label* const* label = std::get_if<Label*>(&entry.control)) {
            expect(row, static_cast<bool>((*label)->OnMouseUp), row.style == kLink, "link");
        }
    }
    return misfits;
}

}  // namespace tidvex::controls
