// frmRegistry ("Add Registry Key"): the user types or pastes a registry key path
// and the dialog adds it to the safe list or the black list of the options page.
#pragma once

#include "controls/controls.h"
#include "main/dialogs/message_box.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tidvex::dialogs {

// The texts of the dialog's labels, as they stand.
extern const char* const kRegistrySteps[4];

// True for "<hive>\<key>...": one of the registry class's four hive names
// (letter case ignored) followed by a non-empty key name. A bare hive
// ("HKEY_USERS\") is not a key that may be added: the black list would delete
// the whole hive.
bool IsAddableRegistryKey(const std::string& text);

// Adds an item of the given list-file type to the safe list (toSafe) or the
// black list: to the list box and to the list's file. An item that is already
// in either list is not added; the message then names the list that has it
// ("This item is already exist in the safe list." / "... black list."),
// this list first. An item that the code page of the list files cannot hold
// is not added either, and the message names it and says why. True when the
// item was added.
bool AddToSafeOrBlackList(const std::wstring& item, std::int32_t type, bool toSafe, controls::ListBox& lstSafeList,
                          controls::ListBox& lstBlackList, const std::function<void(const std::string&)>& message);

class frmRegistry : public controls::SchemeForm {
public:
    struct Parts {
        controls::Form& form;
        controls::Label& banner;
        controls::Label* labels[5];  // "Steps" and the four numbered steps
        controls::TextBox& txtRegItem;
        controls::Picture& picRegistry;
        controls::Button& cmdOk;
        controls::Button& cmdCancel;
    };
    struct Seams {
        // The options page's lists.
        controls::ListBox& lstSafeList;
        controls::ListBox& lstBlackList;
        frmMessageBox& messages;
        // Starts a program in a normal window; false when it could not be started.
        std::function<bool(const std::string& command)> startProgram;
    };
    frmRegistry(Parts parts, Seams seams);
    frmRegistry(const frmRegistry&) = delete;
    frmRegistry& operator=(const frmRegistry&) = delete;

    // True while the dialog adds to the safe list, false for the black list.
    bool isSafeItem = false;

    // Shows the dialog modally over the owner (the main window).
    void Show(controls::Form* owner);

    void cmdOk_Click();
    void cmdCancel_Click();
    void picRegistry_MouseDown(int button);
    // The second launcher of the registry editor: a failure to start it is ignored.
    void LaunchRegistryEditor();

    void SetBackColor(COLORREF color) override { parts_.form.BackColor(color); }
    std::vector<controls::SchemeControl*> Controls() override;

private:
    void Message(const std::string& text);

    Parts parts_;
    Seams seams_;
};

}  // namespace tidvex::dialogs
