#include "main/tools_calls.h"

#include "services/helpers.h"

namespace tidvex::main {

void PlatformToolsCalls::MsgBoxExclamation(const std::string& text) {
    MessageBoxA(owner_(), text.c_str(), "Tidvex", MB_OK | MB_ICONEXCLAMATION);
}

std::string PlatformToolsCalls::ShowSaveFile(std::string& filter, const std::string& title) {
    return services::ShowSaveFile(owner_(), filter, title);
}

std::unique_ptr<services::IStartUp> PlatformToolsCalls::NewStartUp() { return std::make_unique<services::StartUp>(); }

std::unique_ptr<services::clsUninstaller> PlatformToolsCalls::NewUninstaller() {
    return std::make_unique<services::clsUninstaller>();
}

}  // namespace tidvex::main
