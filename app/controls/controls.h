// The kinds of control the main window is made of, as small interfaces. The
// window binds them to real child windows; tests, and code that runs before the
// window exists, use the in-memory ones of memory_controls.h. Handlers and
// services read and set controls only through these.
#pragma once

#include <string>

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

}  // namespace tidvex::controls
