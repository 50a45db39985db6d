// What the colour scheme needs of a window and its controls: each control says
// what kind of control it is and takes colour properties by name.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tidvex::controls {

// What a control is for the scheme; Other controls are left alone.
enum class ControlKind {
    Banner,
    FramePanel,
    TextBox,
    ComboBox,
    Label,
    CheckBox,
    ListBox,
    ProgressBar,
    TabStrip,
    Other
};

class SchemeControl {
public:
    virtual ~SchemeControl() = default;
    virtual ControlKind Kind() const = 0;
    // Sets a colour property by name ("BackColor", "HeaderColorTopLeft"; the tab
    // strip's "Appearance.BackColor" is the back colour of its Appearance object).
    // A name the control does not have is ignored.
    virtual void SetColor(const std::string& property, COLORREF color) = 0;
};

class SchemeForm {
public:
    virtual ~SchemeForm() = default;
    virtual void SetBackColor(COLORREF color) = 0;
    virtual std::vector<SchemeControl*> Controls() = 0;
};

}  // namespace tidvex::controls
