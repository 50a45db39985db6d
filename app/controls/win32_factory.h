// Makes a form's real controls from its design rows: each on the parent its
// row names (the form's window, a panel, a tab's page), at its design place
// converted from twips once, with its row's style.
#pragma once

#include "controls/controls.h"
#include "controls/win32_window.h"

#include <map>
#include <string>

namespace tidvex::controls::win32 {

class Win32ControlFactory final : public ControlFactory {
public:
    explicit Win32ControlFactory(HWND window) : window_(window) {}

    std::unique_ptr<CheckBox> MakeCheckBox(const ControlDesign& design) override;
    std::unique_ptr<OptionButton> MakeOptionButton(const ControlDesign& design) override;
    std::unique_ptr<ListBox> MakeListBox(const ControlDesign& design) override;
    std::unique_ptr<ComboBox> MakeComboBox(const ControlDesign& design) override;
    std::unique_ptr<TextBox> MakeTextBox(const ControlDesign& design) override;
    std::unique_ptr<Label> MakeLabel(const ControlDesign& design) override;
    std::unique_ptr<Button> MakeButton(const ControlDesign& design) override;
    std::unique_ptr<Panel> MakePanel(const ControlDesign& design) override;
    std::unique_ptr<TabStrip> MakeTabStrip(const ControlDesign& design) override;
    std::unique_ptr<Picture> MakePicture(const ControlDesign& design) override;
    std::unique_ptr<ProgressBar> MakeProgressBar(const ControlDesign& design) override;
    std::unique_ptr<Grid> MakeGrid(const ControlDesign& design) override;
    std::unique_ptr<Timer> MakeTimer(const ControlDesign& design) override;
    std::unique_ptr<TrayIcon> MakeTrayIcon(const ControlDesign& design) override;
    std::unique_ptr<Balloon> MakeBalloon(const ControlDesign& design,
                                                   TrayIcon& icon) override;
    std::unique_ptr<PopupMenu> MakePopupMenu(const ControlDesign& design) override;
    std::unique_ptr<Splash> MakeSplash(const ControlDesign& design) override;
    std::unique_ptr<PageEffect> MakePageEffect(const ControlDesign& design) override;

    // The window a design's parent names; the main window for "" and for a
    // parent not made yet.
    HWND Parent(const std::string& parent) const;

private:
    // Remembers a control that may hold others, under "name(index)" or "name".
    void Remember(const ControlDesign& design, HWND hwnd);

    HWND window_;
    std::map<std::string, HWND> parents_;
    std::map<std::string, TabStrip*> strips_;
};

}  // namespace tidvex::controls::win32
