// The two dialogs as real windows: their controls laid out on a form of our
// own, handed to the dialogs' logic. No decisions here.
#pragma once

#include "controls/win32_buttons.h"
#include "controls/win32_labels.h"
#include "controls/win32_form.h"
#include "main/dialogs/message_box.h"
#include "main/dialogs/registry_dialog.h"

namespace tidvex::dialogs {

class MessageBoxWindow {
public:
    MessageBoxWindow();
    frmMessageBox& box() { return box_; }
    controls::win32::Win32Form& form() { return form_; }

private:
    controls::win32::Win32Form form_;
    controls::win32::Win32Label banner_, message_;
    controls::win32::Win32Button message0_, message1_;
    controls::win32::Win32Button icon0_, icon1_, icon2_, icon3_;
    frmMessageBox box_;
};

class RegistryDialogWindow {
public:
    // The lists are the options page's; messages go through the program's box.
    RegistryDialogWindow(controls::ListBox& lstSafeList, controls::ListBox& lstBlackList, frmMessageBox& messages);
    frmRegistry& dialog() { return dialog_; }
    controls::win32::Win32Form& form() { return form_; }

private:
    controls::win32::Win32Form form_;
    controls::win32::Win32Label banner_, steps_, step1_, step2_, step3_, step4_;
    controls::win32::Win32TextBox txtRegItem_;
    controls::win32::Win32Picture picRegistry_;
    controls::win32::Win32Button cmdOk_, cmdCancel_;
    frmRegistry dialog_;
};

// Starts a program found on the search path in a normal window.
bool StartProgram(const std::string& command);

}  // namespace tidvex::dialogs
