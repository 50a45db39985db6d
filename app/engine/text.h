// Small text helpers of the cleaners.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace tidvex::engine {

// Without leading and trailing blanks and tabs.
inline std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

inline std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

}  // namespace tidvex::engine
