// The Office cleaner: most-recently-used lists of six Office applications, for
// the Office versions 11.0 down to 8.0, in the current user's registry.
#include "classes.h"

#include "registry_factory.h"

#include "text/text.h"

namespace velmora {

using tidvex::registry::kCurrentUser;

namespace {

const char* const kVersions[] = {"11.0", "10.0", "9.0", "8.0"};

std::string OfficeKey(const char* version, const char* ending) {
    return std::string("Software\\Microsoft\\Office\\") + version + ending;
}

constexpr StepInfo kSteps[] = {
    {"Cleaning MS Access MRU", false},       {"Cleaning MS Excel MRU", false},
    {"Cleaning MS Pwerpoint MRU", false},    {"Cleaning MS Photo Editor MRU", false},
    {"Cleaning MS Outlook MRU", false},      {"Cleaning MS Word MRU", false},
};
constexpr size_t kSwitchOfStep[] = {OfficCls::CleanAccessMRU,      OfficCls::CleanExcelMRU,
                                    OfficCls::CleanPowerPointMRU,  OfficCls::CleanPhotoEditorMRU,
                                    OfficCls::CleanOutlookMRU,     OfficCls::CleanWordMRU};

}  // namespace

std::span<const StepInfo> OfficCls::Steps() { return kSteps; }
size_t OfficCls::SwitchOfStep(size_t step) { return kSwitchOfStep[step]; }

OfficCls::OfficCls() { Reset(); }

STDMETHODIMP OfficCls::OfficeReset(VARIANT* result) {
    if (result) VariantInit(result);
    return Member([&] { Reset(); });
}

void OfficCls::RunStep(size_t step, bool) {
    switch (step) {
        case 0: CleanAccess(); break;
        case 1: DeleteExcelLists(); break;
        case 2: DeleteDataSettings("\\PowerPoint\\Data", true); break;
        case 3: DeleteDataSettings("\\PhotoEditor\\Data", false); break;
        case 4: DeleteDataSettings("\\Outlook\\Data", false); break;
        case 5: DeleteDataSettings("\\Word\\Data", false); break;
        default: break;
    }
}

// Every value of the Access settings whose name holds "MRU" in any letter case.
// This step absorbs its own failures: what cannot be listed or deleted stays.
void OfficCls::CleanAccess() {
    auto reg = StepRegistry(kMsgOfficeRegistry);
    reg.ClassKey(kCurrentUser);
    for (const char* version : kVersions) {
        try {
            reg.SectionKey(OfficeKey(version, "\\Access\\Settings"));
            std::vector<std::string> names;
            std::int32_t count = 0;
            reg.EnumerateValues(names, count);
            for (const std::string& name : names) {
                try {
                    if (!tidvex::text::ContainsNoCase(name, "MRU")) continue;
                    reg.ValueKey(name);
                    reg.DeleteValue();
                } catch (const std::exception&) {
                }
            }
        } catch (const std::exception&) {
        }
    }
}

void OfficCls::DeleteExcelLists() {
    auto reg = StepRegistry(kMsgOfficeRegistry);
    reg.ClassKey(kCurrentUser);
    for (const char* version : kVersions) {
        reg.SectionKey(OfficeKey(version, "\\Excel\\recent files"));
        reg.DeleteKey();
    }
}

void OfficCls::DeleteDataSettings(const char* application, bool powerPointList) {
    auto reg = StepRegistry(kMsgOfficeRegistry);
    reg.ClassKey(kCurrentUser);
    for (const char* version : kVersions) {
        reg.SectionKey(OfficeKey(version, application));
        reg.ValueKey("Settings");
        reg.DeleteValue();
        if (powerPointList && std::string_view(version) == "11.0") {
            reg.del_reg_sub("HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\11.0\\PowerPoint\\Recent File List");
        }
    }
}

}  // namespace velmora
