#include "settings.h"

#include "algorithms.h"

#include <algorithm>

namespace fraxil {

std::string ShredderSettings::Get(const std::string& field) const {
    std::lock_guard lock(mu_);
    return field;
}

void ShredderSettings::Set(std::string& field, std::string value) {
    std::lock_guard lock(mu_);
    field = std::move(value);
}

void ShredderSettings::ApplyDefaults() {
    {
        std::lock_guard lock(mu_);
        language_ = "English";
        logFileName_ = "log.txt";
    }
    shredMethod_ = 0;
    for (auto& f : flags_) f = 0;
    SetFlag(Flag::EnableRestorePoints, 1);
    SetFlag(Flag::EnableContextMenu, 1);
    SetFlag(Flag::ShredHiddenAndSystemFiles, 1);
    sessionType_ = 0;
}

bool ShredderSettings::SetShredMethod(long index) {
    if (index < 0 || index >= kAlgorithmCount) return false;
    shredMethod_ = static_cast<short>(index);
    return true;
}

std::string ShredderSettings::CommandLineString() const {
    std::lock_guard lock(mu_);
    return std::string(commandLine_.data());
}

void ShredderSettings::SetCommandLineString(const std::string& text) {
    std::lock_guard lock(mu_);
    std::fill(commandLine_.begin(), commandLine_.end(), '\0');
    std::copy_n(text.begin(), std::min(text.size(), kCommandLineSize - 1), commandLine_.begin());
}

}  // namespace fraxil
