// Makes the main window's real controls from the design table: each on the
// parent its design names (the window, a panel, a tab's page), at its design
// place converted from twips once.
#pragma once

#include "controls/controls.h"
#include "controls/win32_window.h"

#include <map>
#include <string>

namespace tidvex::main::win32 {

class Win32ControlFactory final : public controls::ControlFactory {
public:
    explicit Win32ControlFactory(HWND window) : window_(window) {}

    std::unique_ptr<controls::CheckBox> MakeCheckBox(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::OptionButton> MakeOptionButton(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::ListBox> MakeListBox(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::ComboBox> MakeComboBox(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::TextBox> MakeTextBox(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::Label> MakeLabel(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::Button> MakeButton(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::Panel> MakePanel(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::TabStrip> MakeTabStrip(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::Picture> MakePicture(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::ProgressBar> MakeProgressBar(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::Grid> MakeGrid(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::Timer> MakeTimer(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::TrayIcon> MakeTrayIcon(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::Balloon> MakeBalloon(const controls::ControlDesign& design,
                                                   controls::TrayIcon& icon) override;
    std::unique_ptr<controls::PopupMenu> MakePopupMenu(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::Splash> MakeSplash(const controls::ControlDesign& design) override;
    std::unique_ptr<controls::PageEffect> MakePageEffect(const controls::ControlDesign& design) override;

    // The window a design's parent names; the main window for "" and for a
    // parent not made yet.
    HWND Parent(const std::string& parent) const;

private:
    // Remembers a control that may hold others, under "name(index)" or "name".
    void Remember(const controls::ControlDesign& design, HWND hwnd);

    HWND window_;
    std::map<std::string, HWND> parents_;
    std::map<std::string, class controls::TabStrip*> strips_;
};

}  // namespace tidvex::main::win32
