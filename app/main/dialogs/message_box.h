// frmMessageBox: the program's own message box. Every question and notice of
// the window goes through ShowMe with the caller's button captions; the answer
// is the platform's usual result code of the pressed button.
#pragma once

#include "controls/controls.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tidvex::dialogs {

enum MessageBoxResult : std::int32_t { kResultOk = 1, kResultCancel = 2, kResultYes = 6, kResultNo = 7 };
// 0 a notice, 1 an error, 2 a success, 3 a question.
enum MessageBoxIcon : std::int16_t { kIconNotice = 0, kIconError = 1, kIconSuccess = 2, kIconQuestion = 3 };

// "ok" 1, "cancel" 2, "yes" 6, "no" 7, compared lower-cased; 0 for any other caption.
std::int32_t ResultOfCaption(const std::string& caption);

// Takes away the Close command (and the separator above it) from the window's
// system menu, which also removes the Close box; Disable false gives the window
// its default system menu back.
void DisableClose(const controls::Form& frm, bool Disable = false);

class frmMessageBox : public controls::SchemeForm {
public:
    struct Parts {
        controls::Form& form;
        controls::Label& banner;
        controls::Label& lblMessage;
        controls::Button* cmdMessage[2];
        controls::Button* cmdIcon[4];
    };
    explicit frmMessageBox(Parts parts);
    frmMessageBox(const frmMessageBox&) = delete;
    frmMessageBox& operator=(const frmMessageBox&) = delete;

    // Shows sText with one button (centred) or two (then the user has to answer
    // with a button: the Close box is removed and a close is refused), and
    // returns the result of the pressed button. A box closed without a button,
    // or a button whose caption is none of the four words, gives the second
    // caption's code, or "cancel" when it has none. One box at a time: a call
    // while a box is open waits until that one is answered, and returns that
    // code at once, showing nothing, when the program ends first.
    std::int32_t ShowMe(controls::Form* OwnerForm, const std::string& sText, bool is2Buttons,
                        const std::string& sButton1Caption, const std::string& sButton2Caption, std::int16_t Icon);

    void SetBackColor(COLORREF color) override { parts_.form.BackColor(color); }
    std::vector<controls::SchemeControl*> Controls() override;

    controls::Form& form() { return parts_.form; }

private:
    void cmdMessage_Click(int index);

    Parts parts_;
    int designLeft_[2];
    bool twoButtons_ = false;
    // Where the pressed button's code goes: the answer of the box showing.
    std::int32_t* answer_ = nullptr;
};

}  // namespace tidvex::dialogs
