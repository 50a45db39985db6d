#include "services/program.h"

#include <windows.h>

namespace tidvex::services {
namespace {

std::string& AppPathOverride() {
    static std::string folder;
    return folder;
}

}  // namespace

bool gIsExiting = false;

std::string AppPath() {
    if (!AppPathOverride().empty()) return AppPathOverride();
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    auto slash = folder.find_last_of('\\');
    return slash == std::string::npos ? std::string() : folder.substr(0, slash);
}

void SetAppPath(const std::string& folder) {
    std::string f = folder;
    while (f.size() > 3 && f.back() == '\\') f.pop_back();
    AppPathOverride() = f;
}

}  // namespace tidvex::services
