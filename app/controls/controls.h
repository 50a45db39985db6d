// The kinds of control the main window is made of, as small interfaces. The
// window binds them to real child windows; tests, and code that runs before the
// window exists, use the in-memory ones of memory_controls.h. Handlers and
// services read and set controls only through these.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace tidvex::controls {

// Items in the order added, indexed from 0; ListIndex -1 when none is selected.
class ItemList {
public:
    virtual ~ItemList() = default;
    virtual void AddItem(const std::string& item) = 0;
    virtual int ListCount() const = 0;
    virtual std::string List(int index) const = 0;
    virtual void RemoveItem(int index) = 0;
    virtual void Clear() = 0;
    virtual int ListIndex() const = 0;
    virtual void ListIndex(int index) = 0;
};

// A list box; several items can be selected at once.
class ListBox : public ItemList {
public:
    virtual bool Selected(int index) const = 0;
    virtual void Selected(int index, bool on) = 0;
};

// A drop-down list; its text is the selected item's.
class ComboBox : public ItemList {
public:
    virtual std::string Text() const = 0;
};

// A check box or an option button: 0 off, non-zero on (the program writes -1
// for on). Setting the value from code never runs a click handler.
class CheckBox {
public:
    virtual ~CheckBox() = default;
    virtual int Value() const = 0;
    virtual void Value(int state) = 0;
    virtual bool Enabled() const = 0;
    virtual void Enabled(bool on) = 0;
};
using OptionButton = CheckBox;

class TextBox {
public:
    virtual ~TextBox() = default;
    virtual std::string Text() const = 0;
    virtual void Text(const std::string& text) = 0;
};

// What the window's design data says of one control: its name, its index in a
// control array (-1 for a single control), its caption as stored ("&&" shows
// as one "&"), its design-time value (check boxes and option buttons) and its
// design-time items (list and combo boxes).
struct ControlDesign {
    std::string name;
    int index = -1;
    std::string caption{};
    int value = 0;
    std::vector<std::string> items{};
};

// Makes the controls of a form from their design data: the window hands in one
// that creates real child windows, a test one that creates in-memory controls.
class ControlFactory {
public:
    virtual ~ControlFactory() = default;
    virtual std::unique_ptr<CheckBox> MakeCheckBox(const ControlDesign& design) = 0;
    virtual std::unique_ptr<OptionButton> MakeOptionButton(const ControlDesign& design) = 0;
    virtual std::unique_ptr<ListBox> MakeListBox(const ControlDesign& design) = 0;
    virtual std::unique_ptr<ComboBox> MakeComboBox(const ControlDesign& design) = 0;
    virtual std::unique_ptr<TextBox> MakeTextBox(const ControlDesign& design) = 0;
};

}  // namespace tidvex::controls
