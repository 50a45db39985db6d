#include "services/program.h"

#include "errors/run_time_error.h"
#include "text/text.h"

#include <windows.h>

namespace tidvex::services {
namespace {

std::wstring WithoutClosingSeparators(std::wstring folder) {
    while (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
    return folder;
}

}  // namespace

bool gIsExiting = false;
Seam<std::wstring> gAppPathOverride;

ScopedAppPath::ScopedAppPath(const std::string& folder) : ScopedAppPath(text::Wide(folder)) {}
ScopedAppPath::ScopedAppPath(const std::wstring& folder)
    : ScopedSeam(gAppPathOverride, WithoutClosingSeparators(folder)) {}

std::wstring ProgramFile() {
    // The buffer grows until the whole path fits: a deep folder is cut short
    // by a fixed one, and the cut path names another folder.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring AppFolder() {
    if (const std::wstring& folder = gAppPathOverride.Get(); !folder.empty()) return folder;
    const std::wstring file = ProgramFile();
    const auto slash = file.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : file.substr(0, slash);
}

std::string AppPath() {
    const std::wstring folder = AppFolder();
    if (std::optional<std::string> exact = text::NarrowExact(folder)) return *exact;
    throw RunTimeError(kPathNotFound, "The program folder " + text::Narrow(folder) +
                                          " has a name the system code page cannot hold");
}

}  // namespace tidvex::services
