#include "main/dialogs/registry_dialog.h"

#include "errors/run_time_error.h"
#include "registry/registry.h"
#include "services/helpers.h"
#include "services/lists.h"
#include "text/text.h"

namespace tidvex::dialogs {

namespace {

const char kRegistryEditor[] = "regedit";
const char kRootKeyMessage[] = "This is a root key or invalid key, Root keys can not be added";
const char kInSafeList[] = "This item is already exist in the safe list.";
const char kInBlackList[] = "This item is already exist in the black list.";

}  // namespace

const char* const kRegistrySteps[4] = {
    "1- Click the image to the right to Launch Registry     Editor",
    "2- Right click on the key that you want to include    and Select \"Copy Key Name\"",
    "3- Paste the value here:",
    "4- Click Ok",
};

bool AddToSafeOrBlackList(const std::wstring& item, std::int32_t type, bool toSafe, controls::ListBox& lstSafeList,
                          controls::ListBox& lstBlackList, const std::function<void(const std::string&)>& message) {
    controls::ListBox& own = toSafe ? lstSafeList : lstBlackList;
    controls::ListBox& other = toSafe ? lstBlackList : lstSafeList;
    // The list files hold code-page text. A name that does not come back from
    // it unchanged would be stored as a look-alike ("a" for an "a" with a
    // macron, "..\" for full-width dots and backslash): another item, which the
    // next cleaning would delete, or keep in place of this one.
    const std::optional<std::string> stored = text::NarrowExact(item);
    if (!stored) {
        message("\"" + text::Narrow(item) + "\" cannot be added to the " + (toSafe ? "safe list" : "black list") +
                ": the list file cannot hold the characters of its name shown as \"?\".");
        return false;
    }
    if (services::IsItemInList(item, own)) {
        message(toSafe ? kInSafeList : kInBlackList);
        return false;
    }
    if (services::IsItemInList(item, other)) {
        message(toSafe ? kInBlackList : kInSafeList);
        return false;
    }
    own.AddItem(item);
    services::AddiTem2File(type, *stored, toSafe ? services::kSafeList : services::kBlackList);
    return true;
}

bool IsAddableRegistryKey(const std::string& text) {
    const size_t slash = text.find('\\');
    if (slash == std::string::npos || !registry::HiveFromName(text.substr(0, slash))) return false;
    const std::string rest = text.substr(slash + 1);
    return !rest.empty() && rest.front() != '\\';
}

frmRegistry::frmRegistry(Parts parts, Seams seams) : parts_(parts), seams_(std::move(seams)) {
    parts_.form.Caption("Add Registry Key");
    parts_.labels[0]->Caption("Steps");
    for (int i = 0; i < 4; ++i) parts_.labels[i + 1]->Caption(kRegistrySteps[i]);
    parts_.cmdOk.Caption("Ok");
    parts_.cmdCancel.Caption("Cancel");
    parts_.cmdOk.OnClick = [this] { cmdOk_Click(); };
    parts_.cmdCancel.OnClick = [this] { cmdCancel_Click(); };
    parts_.picRegistry.OnMouseDown = [this](int button) { picRegistry_MouseDown(button); };
    parts_.labels[1]->OnMouseUp = [this](int button) {
        if (button == controls::kLeftButton) LaunchRegistryEditor();
    };
}

std::vector<controls::SchemeControl*> frmRegistry::Controls() {
    std::vector<controls::SchemeControl*> all{&parts_.banner,      &parts_.txtRegItem, &parts_.picRegistry,
                                              &parts_.cmdOk,       &parts_.cmdCancel};
    for (auto* label : parts_.labels) all.push_back(label);
    return all;
}

void frmRegistry::Show(controls::Form* owner) {
    services::ApplyColorScheme(*this);
    parts_.txtRegItem.Text("");
    parts_.form.ShowModal(owner);
}

void frmRegistry::Message(const std::string& text) {
    seams_.messages.ShowMe(&parts_.form, text, false, "Ok", "", kIconNotice);
}

void frmRegistry::cmdOk_Click() {
    // As typed: the list decides whether its file can hold it.
    const std::wstring typed = parts_.txtRegItem.WideText();
    const std::string text = tidvex::text::Narrow(typed);
    if (text.empty()) return;
    if (tidvex::text::Lower(text.substr(0, 5)) != "hkey_" || !IsAddableRegistryKey(text)) {
        Message(kRootKeyMessage);
        return;
    }
    if (text.size() <= 10) {
        parts_.form.Close();
        return;
    }
    if (!AddToSafeOrBlackList(typed, services::kRegistryKeyItem, isSafeItem, seams_.lstSafeList, seams_.lstBlackList,
                              [this](const std::string& message) { Message(message); }))
        return;
    parts_.form.Close();
}

void frmRegistry::cmdCancel_Click() { parts_.form.Close(); }

void frmRegistry::picRegistry_MouseDown(int button) {
    if (button != controls::kLeftButton) return;
    if (!seams_.startProgram || !seams_.startProgram(kRegistryEditor))
        throw RunTimeError::Of(kFileNotFound);
}

void frmRegistry::LaunchRegistryEditor() {
    if (seams_.startProgram) seams_.startProgram(kRegistryEditor);
}

}  // namespace tidvex::dialogs
