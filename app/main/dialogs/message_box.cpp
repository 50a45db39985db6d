#include "main/dialogs/message_box.h"

#include "services/helpers.h"
#include "text/text.h"

namespace tidvex::dialogs {

std::int32_t ResultOfCaption(const std::string& caption) {
    const std::string lower = text::Lower(caption);
    if (lower == "ok") return kResultOk;
    if (lower == "cancel") return kResultCancel;
    if (lower == "yes") return kResultYes;
    if (lower == "no") return kResultNo;
    return 0;
}

void DisableClose(const controls::Form& frm, bool Disable) {
    HWND hwnd = frm.hWnd();
    if (!hwnd) return;
    if (Disable) {
        // The Close command, then the item above it (the separator). On Windows
        // they are the menu's last two items; Wine puts "About Wine" after them.
        HMENU menu = GetSystemMenu(hwnd, FALSE);
        const int count = menu ? GetMenuItemCount(menu) : 0;
        int close = count - 1;
        for (int i = 0; i < count; ++i)
            if (GetMenuItemID(menu, i) == SC_CLOSE) close = i;
        if (close >= 0) RemoveMenu(menu, static_cast<UINT>(close), MF_BYPOSITION | MF_REMOVE);
        if (close >= 1) RemoveMenu(menu, static_cast<UINT>(close - 1), MF_BYPOSITION | MF_REMOVE);
    } else {
        GetSystemMenu(hwnd, TRUE);
    }
    DrawMenuBar(hwnd);
}

frmMessageBox::frmMessageBox(Parts parts) : parts_(parts) {
    designLeft_[0] = parts_.cmdMessage[0]->Left();
    designLeft_[1] = parts_.cmdMessage[1]->Left();
    parts_.form.Caption("Tidvex");
    for (int i = 0; i < 2; ++i) parts_.cmdMessage[i]->OnClick = [this, i] { cmdMessage_Click(i); };
    parts_.form.OnQueryClose = [this] { return twoButtons_; };
}

std::vector<controls::SchemeControl*> frmMessageBox::Controls() {
    std::vector<controls::SchemeControl*> all{&parts_.banner, &parts_.lblMessage, parts_.cmdMessage[0],
                                              parts_.cmdMessage[1]};
    for (auto* icon : parts_.cmdIcon) all.push_back(icon);
    return all;
}

std::int32_t frmMessageBox::ShowMe(controls::Form* OwnerForm, const std::string& sText, bool is2Buttons,
                                   const std::string& sButton1Caption, const std::string& sButton2Caption,
                                   std::int16_t Icon) {
    // The box open keeps its text and buttons until it is answered.
    parts_.form.WaitClosed();
    const std::int32_t second = ResultOfCaption(sButton2Caption);
    std::int32_t answer = second ? second : kResultCancel;
    if (parts_.form.Shown()) return answer;
    // Each showing starts from the design, as a newly loaded form would.
    services::ApplyColorScheme(*this);
    parts_.lblMessage.Caption(sText);
    twoButtons_ = is2Buttons;
    auto& first = *parts_.cmdMessage[0];
    auto& other = *parts_.cmdMessage[1];
    if (is2Buttons) {
        DisableClose(parts_.form, true);
        first.Left(designLeft_[0]);
        other.Left(designLeft_[1]);
        other.Visible(true);
    } else {
        DisableClose(parts_.form, false);
        other.Visible(false);
        first.Left(parts_.form.ScaleWidth() / 2 - first.Width() / 2);
    }
    first.Caption(sButton1Caption);
    other.Caption(sButton2Caption);
    if (Icon >= 0 && Icon < 4) parts_.cmdIcon[Icon]->ZOrder();
    answer_ = &answer;
    parts_.form.ShowModal(OwnerForm);
    answer_ = nullptr;
    twoButtons_ = false;
    return answer;
}

void frmMessageBox::cmdMessage_Click(int index) {
    const std::int32_t code = ResultOfCaption(parts_.cmdMessage[index]->Caption());
    if (code && answer_) *answer_ = code;
    parts_.form.Close();
}

}  // namespace tidvex::dialogs
