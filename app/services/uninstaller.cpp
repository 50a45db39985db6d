#include "services/uninstaller.h"

#include "errors/run_time_error.h"
#include "handles/handles.h"
#include "pump/pump.h"
#include "services/helpers.h"

#include <windows.h>

#include <new>
#include <vector>

namespace tidvex::services {
namespace {

using registry::kLocalMachine;

class Runner final : public ProgramRunner {
public:
    void RunAndWait(const std::string& command) override { ExecuteWait(command); }
    void Start(const std::string& command) override {
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        STARTUPINFOA si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            throw PlatformError(GetLastError());
        handles::KernelObject process(pi.hProcess), thread(pi.hThread);
    }
};

std::string EntryKey(const std::string& keyName) { return std::string(kUninstallKey) + "\\" + keyName; }

}  // namespace

ProgramRunner& RealProgramRunner() {
    static Runner runner;
    return runner;
}

clsUninstaller::clsUninstaller(ProgramRunner& runner, registry::RegistryApi& api) : runner_(runner), api_(api) {
    SetWindowsFolders();
}

CRegistry& clsUninstaller::Reg() {
    if (!reg_) reg_.emplace(api_);
    return *reg_;
}

std::optional<UninstallRecordset> clsUninstaller::FillUninstallList() {
    // Built apart from the kept list: the messages processed on the way may
    // run another fill of this object.
    UninstallRecordset list;
    try {
        list.reserve(64);
    } catch (const std::bad_alloc&) {
        if (FatalError) FatalError("Error 1001, Can not intialize Uninstaller, Process aborted");
        return std::nullopt;
    }
    CRegistry& reg = Reg();
    std::vector<std::string> names;
    std::int32_t count = 0;
    try {
        reg.classkey(kLocalMachine);
        reg.sectionkey(kUninstallKey);
        reg.EnumerateSections(names, count);
    } catch (...) {
        // Skipped like every other failing step: the list stays as far as it got.
    }
    std::int32_t id = 0;
    for (const auto& name : names) {
        try {
            reg.classkey(kLocalMachine);
            reg.sectionkey(EntryKey(name));
            reg.Default(registry::RegValue());
            reg.valuekey("UninstallString");
            const std::string command = reg.Value().Text();
            if (command.empty()) continue;
            reg.valuekey("DisplayName");
            const std::string display = reg.Value().Text();
            if (display.empty()) continue;
            reg.valuekey("DisplayIcon");
            list.push_back({id, display, command, reg.Value().Text(), name});
            pump::DoEvents();
            pump::DoEvents();
            ++id;
        } catch (...) {
        }
    }
    list_ = list;
    return list;
}

void clsUninstaller::UninstallItem(const std::string& sUninsPath, bool bWaitUntilFinish) {
    try {
        if (bWaitUntilFinish)
            runner_.RunAndWait(sUninsPath);
        else
            runner_.Start(sUninsPath);
    } catch (...) {
    }
}

void clsUninstaller::RenameEntry(const std::string& sKeyName, const std::string& sNewName) {
    CRegistry& reg = Reg();
    reg.classkey(kLocalMachine);
    reg.sectionkey(EntryKey(sKeyName));
    // Writing would make the key anew: an entry removed meanwhile is an error.
    if (sKeyName.empty() || !reg.KeyExists())
        throw RunTimeError(registry::kErrRegistry, "No uninstall entry '" + sKeyName + "'", CRegistry::Source());
    reg.valuekey("DisplayName");
    reg.ValueType(REG_SZ);
    reg.Value(registry::RegValue(sNewName));
}

void clsUninstaller::RemoveEntry(const std::string& sKeyName) {
    // An empty name would name the uninstall key itself.
    if (sKeyName.empty()) return;
    CRegistry& reg = Reg();
    reg.classkey(kLocalMachine);
    reg.sectionkey(EntryKey(sKeyName));
    reg.DeleteKey(false);
}

}  // namespace tidvex::services
