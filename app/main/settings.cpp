#include "main/settings.h"

#include "main/options_page.h"
#include "services/helpers.h"
#include "services/lists.h"
#include "services/logger.h"
#include "services/registry.h"
#include "services/settings_store.h"
#include "text/text.h"

#include <charconv>
#include <optional>
#include <string>

namespace tidvex::main {

std::int16_t ShredMethodSetting = 0;

namespace {

using controls::CheckBox;
using controls::OptionButton;
using registry::kLocalMachine;
using services::CRegister;

constexpr int kWipingMethods = 5;

std::string Section(const char* subkey) { return std::string(services::SettingsKey) + subkey; }

// A whole decimal number, blanks around it allowed; nothing for any other text.
std::optional<int> WholeNumber(const std::string& text) {
    const std::string number = text::Trim(text);
    const char* begin = number.data();
    const char* end = number.data() + number.size();
    if (begin != end && *begin == '+') ++begin;
    int value = 0;
    auto [stop, error] = std::from_chars(begin, end, value);
    if (begin == end || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

// A check box's stored state: its number, and for any text that is not a
// number "checked" (only a zero is unchecked).
int BoxState(const std::string& text) { return WholeNumber(text).value_or(-1); }

// An index among `count` items; the default for anything else.
int IndexOr(const std::string& text, int count, int fallback) {
    auto n = WholeNumber(text);
    return n && *n >= 0 && *n < count ? *n : fallback;
}

std::string Number(int n) { return std::to_string(n); }

// Selects one option button of a group and clears the others.
template <size_t N>
void Select(const std::array<OptionButton*, N>& group, int index) {
    for (size_t i = 0; i < N; ++i) group[i]->Value(static_cast<int>(i) == index ? -1 : 0);
}

class Store {
public:
    std::string Get(const char* subkey, const std::string& name, const std::string& fallback) {
        return reg_.REGGetSetting(kLocalMachine, Section(subkey), name, fallback);
    }
    void Put(const char* subkey, const std::string& name, const std::string& value) {
        // A failed write is not reported.
        reg_.REGSaveSetting(kLocalMachine, Section(subkey), name, value);
    }
    void LoadBox(const char* subkey, const std::string& name, const std::string& fallback, CheckBox& box) {
        box.Value(BoxState(Get(subkey, name, fallback)));
    }
    void SaveBox(const char* subkey, const std::string& name, const CheckBox& box) {
        Put(subkey, name, Number(box.Value()));
    }

private:
    CRegister reg_;
};

}  // namespace

void LoadSettings(frmMain& form) {
    LoadShredderSettings(form);
    services::LoadFile2List(services::kSafeList, *form.lstSafeList);
    services::LoadFile2List(services::kBlackList, *form.lstBlackList);
    LoadCleanSettings(form);
    // A form without its optimizer object (the settings alone) has no tweaks to show.
    if (form.Optimizer) form.LoadOptimizerSettings();
    LoadScheduleSettings(form);
    LoadOptions(form);
}

void SaveSettings(frmMain& form) {
    SaveShredderSettings();
    SaveCleanSettings(form);
    SaveScheduleSettings(form);
    SaveOptions(form);
}

void LoadShredderSettings(frmMain& form) {
    Store store;
    const int method = IndexOr(store.Get(services::kShredderSection, "ShredMethod", "0"), kWipingMethods, 0);
    ShredMethodSetting = static_cast<std::int16_t>(method);
    form.cmbShredMethod->ListIndex(method);
}

void SaveShredderSettings() {
    Store store;
    store.Put(services::kShredderSection, "ShredMethod", Number(ShredMethodSetting));
}

void LoadCleanSettings(frmMain& form) {
    Store store;
    for (int i = 0; i < engine::kCleanSettCount; ++i) {
        CheckBox& box = *form.chkCleanSett[static_cast<size_t>(i)];
        store.LoadBox(services::kCleanSettingsSection, Number(i), Number(box.Value()), box);
    }
    store.LoadBox(services::kCleanSettingsSection, "Include Internet", "1", *form.chkInternet);
    form.txtCustomExt->Text(store.Get(services::kCleanSettingsSection, "Custom Extension", ""));
    store.LoadBox(services::kCleanSystemSection, "Include System", "1", *form.chkSystem);
    store.LoadBox(services::kCleanRegistrySection, "Include Registry", "1", *form.chkRegistry);
}

void SaveCleanSettings(frmMain& form) {
    Store store;
    for (int i = 0; i < engine::kCleanSettCount; ++i)
        store.SaveBox(services::kCleanSettingsSection, Number(i), *form.chkCleanSett[static_cast<size_t>(i)]);
    store.SaveBox(services::kCleanSettingsSection, "Include Internet", *form.chkInternet);
    store.SaveBox(services::kCleanSystemSection, "Include System", *form.chkSystem);
    store.SaveBox(services::kCleanRegistrySection, "Include Registry", *form.chkRegistry);
}

void LoadScheduleSettings(frmMain& form) {
    Store store;
    const char* options = services::kOptionsSection;
    store.LoadBox(options, "IsTimeSchedule", "0", *form.chkTimeSchedule);
    Select(form.optTimeSchedule,
           IndexOr(store.Get(options, "iTimeSchedule", "2"), static_cast<int>(form.optTimeSchedule.size()), 2));
    form.ApplyTimeSchedule();
    store.LoadBox(options, "IsSessinoSchedule", "0", *form.chkSessionSchedule);
    store.LoadBox(options, "isWhenWindowsStarts", "0", *form.chkWhenWindowStarts);
    store.LoadBox(options, "isWhenWindowsShuts", "0", *form.chkWhenWindowsShuts);
    Select(form.optSessionSchedule,
           IndexOr(store.Get(options, "iSessionType", "0"), static_cast<int>(form.optSessionSchedule.size()), 0));
    form.ApplyWhenWindowsShutDown();
}

void SaveScheduleSettings(frmMain& form) {
    Store store;
    const char* options = services::kOptionsSection;
    store.SaveBox(options, "IsTimeSchedule", *form.chkTimeSchedule);
    store.SaveBox(options, "IsSessinoSchedule", *form.chkSessionSchedule);
    // The interval that is in force: the last selected option, as the timer takes it.
    int selected = -1;
    for (size_t i = 0; i < form.optTimeSchedule.size(); ++i)
        if (form.optTimeSchedule[i]->Value() != 0) selected = static_cast<int>(i);
    if (selected >= 0) store.Put(options, "iTimeSchedule", Number(selected));
    store.SaveBox(options, "isWhenWindowsStarts", *form.chkWhenWindowStarts);
    store.SaveBox(options, "isWhenWindowsShuts", *form.chkWhenWindowsShuts);
    store.Put(options, "iSessionType", form.optSessionSchedule[0]->Value() != 0 ? "0" : "1");
}

void LoadOptions(frmMain& form) {
    Store store;
    const char* options = services::kOptionsSection;
    if (!RunAtStartupValue().Value().Text().empty()) form.chkSettings[0]->Value(-1);

    const int windowsDrive = GetWindowsDriveIndex(form);
    form.cmbDrives->ListIndex(
        IndexOr(store.Get(options, "Drive2Clean", Number(windowsDrive)), form.cmbDrives->ListCount(), windowsDrive));
    store.LoadBox(options, "IsUseShredder", "0", *form.chkSettings[1]);
    store.LoadBox(options, "LogErrors", "-1", *form.chkSettings[2]);
}

void SaveOptions(frmMain& form) {
    Store store;
    const char* options = services::kOptionsSection;
    store.Put(options, "Drive2Clean", Number(form.cmbDrives->ListIndex()));
    store.SaveBox(options, "IsUseShredder", *form.chkSettings[1]);
    store.SaveBox(options, "LogErrors", *form.chkSettings[2]);
}

int GetWindowsDriveIndex(const frmMain& form) {
    try {
        const std::string windows = services::GetWindowsFolder().substr(0, 2);
        for (int i = 0; i < form.cmbDrives->ListCount(); ++i) {
            if (text::EqualsNoCase(windows, text::Narrow(form.cmbDrives->List(i).substr(0, 2)))) return i;
        }
        return 0;
    } catch (...) {
        services::gLogger().LoggError(CurrentError(), "GetWindowsDriveIndex");
        return 0;
    }
}

}  // namespace tidvex::main
