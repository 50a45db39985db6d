// The browser cleaner: its run frame, switches, reset and installed-browser
// probes. The cleaning steps themselves come with the browser cleaning work.
#include "classes.h"

#include "registry_factory.h"

#include "text/text.h"

namespace velmora {

using tidvex::registry::kCurrentUser;
using tidvex::registry::kLocalMachine;

namespace {

// Run order; the two-way steps raise no caption and run on every run.
constexpr StepInfo kSteps[] = {
    {"Cleaning IE Typed URLs", false},        {"Cleaning IE History", false},
    {"Cleaning IE Download Directory", false}, {nullptr, true},
    {"Cleaning IE Cookies", false},            {nullptr, true},
    {nullptr, true},                           {nullptr, true},
    {"Cleaning IE Cahce", false},              {"Cleaning FireFox Cache", false},
    {"Cleaning FireFox History", false},       {"Cleaning FireFox Book Marks", false},
    {"Cleaning FireFox Cookies", false},       {"Cleaning Opera Cache", false},
    {"Cleaning Opera History", false},         {"Cleaning Opera Cookies", false},
    {"Cleaning Netscape History", false},      {"Cleaning Netscape Cache", false},
    {nullptr, false},                          {"Cleaning Netscape Cookies", false},
    {"Cleaning Netscape Mail Trash", false},
};
constexpr size_t kSwitchOfStep[] = {
    BrowsCls::IECleanTypedUrl, BrowsCls::IECleanHistory,   BrowsCls::IECleanDownloadDir, BrowsCls::IEAutoComplete,
    BrowsCls::IERemoveCookies, BrowsCls::IETypedUrlP,      BrowsCls::IEFavorite,         BrowsCls::IEPassWord,
    BrowsCls::IECleanCashe,    BrowsCls::FFCleanCash,      BrowsCls::FFCleanHistory,     BrowsCls::FFCleanBookMark,
    BrowsCls::FFRemoveCookies, BrowsCls::OPCleanCash,      BrowsCls::OPCleanHistory,     BrowsCls::OPCleanCookie,
    BrowsCls::NSCleanHistory,  BrowsCls::NSCleanCash,      BrowsCls::NSCleanAutoComplete, BrowsCls::NSCleanCookies,
    BrowsCls::NSCleanMail,
};
static_assert(std::size(kSteps) == std::size(kSwitchOfStep));

// Whether a browser is installed, by the registry key it leaves.
bool BrowserInstalled(const std::string& browser) {
    constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    std::string name = tidvex::text::Lower(browser);
    if (name == "ie") return RegistryKeyExists(kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer");
    if (name == "netscape") {
        bool netscp = RegistryKeyExists(kLocalMachine, std::string(kAppPaths) + "Netscp.exe");
        bool netscape = RegistryKeyExists(kLocalMachine, std::string(kAppPaths) + "Netscape.exe");
        return netscp || netscape;
    }
    if (name == "opera") return RegistryKeyExists(kCurrentUser, "Software\\Opera Software");
    if (name == "aol") return RegistryKeyExists(kLocalMachine, std::string(kAppPaths) + "Aol.exe");
    if (name == "firefox") return RegistryKeyExists(kLocalMachine, std::string(kAppPaths) + "firefox.exe");
    return false;
}

}  // namespace

std::span<const StepInfo> BrowsCls::Steps() { return kSteps; }
size_t BrowsCls::SwitchOfStep(size_t step) { return kSwitchOfStep[step]; }

BrowsCls::BrowsCls() { Reset(); }

void BrowsCls::RunStep(size_t, bool) {}

STDMETHODIMP BrowsCls::BrowsReset(VARIANT* result) {
    if (result) VariantInit(result);
    return Member([&] { Reset(); });
}

STDMETHODIMP BrowsCls::get_cache_list(BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return Member([] { return E_NOTIMPL; });
}

STDMETHODIMP BrowsCls::get_IEExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_BrowsCls), value, [] { return BrowserInstalled("ie"); });
}
STDMETHODIMP BrowsCls::get_NetScapeExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_BrowsCls), value, [] { return BrowserInstalled("netscape"); });
}
STDMETHODIMP BrowsCls::get_OperaExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_BrowsCls), value, [] { return BrowserInstalled("opera"); });
}
STDMETHODIMP BrowsCls::get_FireFoxExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_BrowsCls), value, [] { return BrowserInstalled("firefox"); });
}

}  // namespace velmora
