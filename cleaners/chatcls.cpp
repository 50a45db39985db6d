// The messenger cleaner: its run frame, switches, reset and installed-messenger
// probes. The cleaning steps themselves come with the messenger cleaning work.
#include "classes.h"

#include "registry_factory.h"

#include "text/text.h"

namespace velmora {

using tidvex::registry::kCurrentUser;
using tidvex::registry::kLocalMachine;

namespace {

// Step 0 writes the emoticons setting on every run and has no caption.
constexpr StepInfo kSteps[] = {
    {nullptr, true},
    {"Cleaning MSN received files", false},
    {"Cleaning Yahoo pager settings", false},
    {"Cleaning Yahoo profiles", false},
    {"Cleaning ICQ Bookmarks", false},
    {"Cleaning ICQ Chats", false},
    {"Cleaning ICQ Browser Cache", false},
    {"Cleaning ICQ Received files", false},
};

bool MessengerInstalled(const std::string& messenger) {
    std::string name = tidvex::text::Lower(messenger);
    if (name == "msn") return RegistryKeyExists(kCurrentUser, "Software\\Microsoft\\MSNMessenger");
    if (name == "icq") {
        return RegistryKeyExists(kCurrentUser, "SOFTWARE\\Mirabilis\\ICQ") ||
               RegistryKeyExists(kLocalMachine, "SOFTWARE\\Mirabilis\\ICQ");
    }
    if (name == "yahoo") {
        return RegistryKeyExists(kCurrentUser, "SOFTWARE\\Yahoo\\pager") ||
               RegistryKeyExists(kLocalMachine, "SOFTWARE\\Yahoo\\pager");
    }
    return false;
}

}  // namespace

std::span<const StepInfo> ChatCls::Steps() { return kSteps; }

void ChatCls::RunStep(size_t, bool) {}

// Stored nowhere: no step depends on it.
STDMETHODIMP ChatCls::get_CleanMSNAccount(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_ChatCls), value, [] { return false; });
}
STDMETHODIMP ChatCls::put_CleanMSNAccount(VARIANT_BOOL) {
    return Member([] {});
}

// The emoticons setting keeps its value.
STDMETHODIMP ChatCls::ChatReset() {
    return Member([&] { Reset(CleanMSNRecived, CleanICQReceivedFile + 1); });
}

STDMETHODIMP ChatCls::get_YahooExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_ChatCls), value, [] { return MessengerInstalled("yahoo"); });
}
STDMETHODIMP ChatCls::get_ICQExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_ChatCls), value, [] { return MessengerInstalled("icq"); });
}
STDMETHODIMP ChatCls::get_MSNExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_ChatCls), value, [] { return MessengerInstalled("msn"); });
}

}  // namespace velmora
