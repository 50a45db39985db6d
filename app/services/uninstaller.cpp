#include "services/uninstaller.h"

#include "errors/run_time_error.h"
#include "handles/handles.h"
#include "pump/pump.h"
#include "services/helpers.h"
#include "text/text.h"

#include <windows.h>

#include <new>
#include <vector>

namespace tidvex::services {
namespace {

using registry::kLocalMachine;

class Runner final : public ProgramRunner {
public:
    void RunAndWait(const std::wstring& command) override { ExecuteWait(command); }
    void Start(const std::wstring& command) override {
        std::vector<wchar_t> line(command.begin(), command.end());
        line.push_back(L'\0');
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            throw PlatformError(GetLastError());
        handles::KernelObject process(pi.hProcess), thread(pi.hThread);
    }
};

std::wstring EntryKey(const std::wstring& keyName) { return text::Wide(kUninstallKey) + L"\\" + keyName; }

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
    std::vector<std::wstring> names;
    try {
        names = reg.SectionsW(kLocalMachine, text::Wide(kUninstallKey));
    } catch (...) {
        // Skipped like every other failing step: the list stays as far as it got.
    }
    std::int32_t id = 0;
    for (const auto& name : names) {
        try {
            const std::wstring key = EntryKey(name);
            auto read = [&](const wchar_t* value) { return reg.TextW(kLocalMachine, key, value).value_or(L""); };
            const std::wstring command = read(L"UninstallString");
            if (command.empty()) continue;
            const std::wstring display = read(L"DisplayName");
            if (display.empty()) continue;
            list.push_back({id, display, command, read(L"DisplayIcon"), name});
            pump::DoEvents();
            pump::DoEvents();
            ++id;
        } catch (...) {
        }
    }
    list_ = list;
    return list;
}

void clsUninstaller::UninstallItem(const std::wstring& sUninsPath, bool bWaitUntilFinish) {
    try {
        if (bWaitUntilFinish)
            runner_.RunAndWait(sUninsPath);
        else
            runner_.Start(sUninsPath);
    } catch (...) {
    }
}

void clsUninstaller::RenameEntry(const std::wstring& sKeyName, const std::wstring& sNewName) {
    // The name goes into the key that exists: an entry removed meanwhile is an
    // error, never made anew.
    if (sKeyName.empty() || !Reg().SetTextW(kLocalMachine, EntryKey(sKeyName), L"DisplayName", sNewName))
        throw RunTimeError(registry::kErrRegistry, "Failed to rename the uninstall entry '" + text::ForLog(sKeyName) + "'",
                           CRegistry::Source());
}

void clsUninstaller::RemoveEntry(const std::wstring& sKeyName) {
    // An empty name would name the uninstall key itself.
    if (sKeyName.empty()) return;
    Reg().DeleteKeyW(kLocalMachine, EntryKey(sKeyName));
}

}  // namespace tidvex::services
