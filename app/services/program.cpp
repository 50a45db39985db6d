#include "services/program.h"

#include <windows.h>

namespace tidvex::services {
namespace {

std::string WithoutClosingSeparators(std::string folder) {
    while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
    return folder;
}

}  // namespace

bool gIsExiting = false;
Seam<std::string> gAppPathOverride;

ScopedAppPath::ScopedAppPath(const std::string& folder)
    : ScopedSeam(gAppPathOverride, WithoutClosingSeparators(folder)) {}

std::string AppPath() {
    if (const std::string& folder = gAppPathOverride.Get(); !folder.empty()) return folder;
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    auto slash = folder.find_last_of('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

}  // namespace tidvex::services
