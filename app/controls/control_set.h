// The controls of a form made from its design rows: each row's control made by
// the row's kind, owned here, and found again under the row's name and index as
// the interface it is.
#pragma once

#include "controls/controls.h"

#include <array>
#include <map>
#include <stdexcept>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tidvex::controls {

using MadeControl = std::variant<Label*, Button*, CheckBox*, TextBox*, ListBox*, ComboBox*, Panel*, TabStrip*,
                                 Picture*, ProgressBar*, Grid*, Timer*, TrayIcon*, Balloon*, PopupMenu*, Splash*,
                                 PageEffect*>;

class ControlSet {
public:
    struct Entry {
        ControlDesign design;
        MadeControl control;
    };

    // Makes the rows' controls in the rows' order, so a parent comes before
    // what lies on it (a balloon after the tray icon it names).
    void Make(ControlFactory& factory, const std::vector<ControlDesign>& rows);

    // A row's control as T (an option button is a CheckBox). A row that was
    // not made, or is of another kind, is a programming error
    // (std::logic_error).
    template <class T>
    T* Get(std::string_view name, int index = -1) const {
        if (T* const* control = std::get_if<T*>(&Find(name, index).control)) return *control;
        throw WrongKind(name, index);
    }
    template <class T>
    void Bind(T*& member, std::string_view name, int index = -1) const {
        member = Get<T>(name, index);
    }
    // A control array: members 0 to N-1.
    template <class T, size_t N>
    void Bind(std::array<T*, N>& members, std::string_view name) const {
        for (size_t i = 0; i < N; ++i) members[i] = Get<T>(name, static_cast<int>(i));
    }
    // A control array of as many members as the design gives it.
    template <class T>
    void Bind(std::vector<T*>& members, std::string_view name) const {
        members.clear();
        for (int i = 0; Has(name, i); ++i) members.push_back(Get<T>(name, i));
    }

    bool Has(std::string_view name, int index = -1) const;
    const std::vector<Entry>& Entries() const { return entries_; }
    // Every made control the colour scheme paints, in the order made.
    std::vector<SchemeControl*> SchemeControls() const;
    // What the handlers connected now say against the rows' kind and style: a
    // drop handler needs a list that takes drops and such a list its handler,
    // an item-check handler needs a check-box list, a mouse handler on a label
    // needs a link and a link its handler. One line a misfit, empty when all fit.
    std::vector<std::string> Mismatches() const;

private:
    const Entry& Find(std::string_view name, int index) const;
    static std::logic_error WrongKind(std::string_view name, int index);

    std::vector<std::shared_ptr<void>> owned_;
    std::vector<Entry> entries_;
    std::map<std::string, size_t, std::less<>> byKey_;
};

// "frPage(1)", or the bare name of a single control: how rows name their parents.
std::string DesignKey(std::string_view name, int index = -1);

}  // namespace tidvex::controls

// Binds each member named to the control of the row of the same name, so that
// a member and its row cannot go by different names:
// TIDVEX_BIND(made_, lstFiles, cmdShredder) stands for
// made_.Bind(lstFiles, "lstFiles"); made_.Bind(cmdShredder, "cmdShredder");
#define TIDVEX_BIND(set, ...) __VA_OPT__(TIDVEX_BIND_EXPAND(TIDVEX_BIND_ONE(set, __VA_ARGS__)))
#define TIDVEX_BIND_ONE(set, member, ...) \
    (set).Bind(member, #member);          \
    __VA_OPT__(TIDVEX_BIND_AGAIN TIDVEX_BIND_PARENS(set, __VA_ARGS__))
#define TIDVEX_BIND_AGAIN() TIDVEX_BIND_ONE
#define TIDVEX_BIND_PARENS ()
#define TIDVEX_BIND_EXPAND(...) TIDVEX_BIND_EXPAND3(TIDVEX_BIND_EXPAND3(TIDVEX_BIND_EXPAND3(__VA_ARGS__)))
#define TIDVEX_BIND_EXPAND3(...) TIDVEX_BIND_EXPAND2(TIDVEX_BIND_EXPAND2(TIDVEX_BIND_EXPAND2(__VA_ARGS__)))
#define TIDVEX_BIND_EXPAND2(...) TIDVEX_BIND_EXPAND1(TIDVEX_BIND_EXPAND1(TIDVEX_BIND_EXPAND1(__VA_ARGS__)))
#define TIDVEX_BIND_EXPAND1(...) __VA_ARGS__
