#include "settings.h"

#include "algorithms.h"

#include <windows.h>

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

std::wstring ShredderSettings::CommandLineString() const {
    std::lock_guard lock(mu_);
    return commandLine_;
}

void ShredderSettings::SetCommandLineString(std::wstring_view text) {
    // The text ends at its first zero, as the buffer would end it.
    text = text.substr(0, text.find(L'\0'));
    size_t bytes = 0, keep = 0;
    while (keep < text.size()) {
        // A surrogate pair is one character.
        const size_t units = IS_HIGH_SURROGATE(text[keep]) && keep + 1 < text.size() ? 2 : 1;
        const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data() + keep, static_cast<int>(units),
                                          nullptr, 0, nullptr, nullptr);
        if (bytes + static_cast<size_t>(n) > kCommandLineSize - 1) break;
        bytes += static_cast<size_t>(n);
        keep += units;
    }
    std::lock_guard lock(mu_);
    commandLine_.assign(text.substr(0, keep));
    commandLineCut_ = keep > 0 && keep < text.size() && text[keep] != L' ' && text[keep - 1] != L' ';
}

}  // namespace fraxil
