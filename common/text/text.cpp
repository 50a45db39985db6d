#include "text/text.h"

#include <windows.h>

#include <cstdio>

namespace tidvex::text {

std::string Upper(std::string_view s) {
    std::string out(s);
    if (!out.empty()) CharUpperBuffA(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    if (!out.empty()) CharLowerBuffA(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

std::string Trim(std::string_view s) {
    const size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && Upper(a) == Upper(b); }

bool ContainsNoCase(std::string_view text, std::string_view part) {
    return Upper(text).find(Upper(part)) != std::string::npos;
}

std::string ReplaceNoCase(std::string_view text, std::string_view what, std::string_view with) {
    if (what.empty()) return std::string(text);
    const std::string upper = Upper(text);
    const std::string needle = Upper(what);
    std::string out;
    size_t from = 0;
    for (size_t at = upper.find(needle); at != std::string::npos; at = upper.find(needle, from)) {
        out.append(text.substr(from, at - from));
        out.append(with);
        from = at + needle.size();
    }
    out.append(text.substr(from));
    return out;
}

std::wstring Wide(std::string_view s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

std::string Narrow(std::wstring_view s) {
    if (s.empty()) return {};
    // Best fit would turn a look-alike into the character it resembles.
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), static_cast<int>(s.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::optional<std::string> NarrowExact(std::wstring_view s) {
    std::string out = Narrow(s);
    if (Wide(out) != s) return std::nullopt;
    return out;
}

std::string ForLog(std::wstring_view s) {
    if (auto exact = NarrowExact(s)) return *exact;
    std::string out;
    for (size_t i = 0; i < s.size();) {
        // A character beyond the first plane is a pair of UTF-16 units.
        const bool pair = IS_HIGH_SURROGATE(s[i]) && i + 1 < s.size() && IS_LOW_SURROGATE(s[i + 1]);
        const std::wstring_view one = s.substr(i, pair ? 2 : 1);
        if (auto exact = NarrowExact(one)) {
            out += *exact;
        } else {
            const unsigned code = pair ? 0x10000u + ((one[0] - 0xD800u) << 10) + (one[1] - 0xDC00u) : one[0];
            char mark[16];
            std::snprintf(mark, sizeof mark, "<U+%04X>", code);
            out += mark;
        }
        i += one.size();
    }
    return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool ContainsNoCase(std::wstring_view text, std::wstring_view part) {
    if (part.empty()) return true;
    for (size_t at = 0; at + part.size() <= text.size(); ++at)
        if (EqualsNoCase(text.substr(at, part.size()), part)) return true;
    return false;
}

std::vector<std::wstring> SplitNonEmpty(std::wstring_view text, wchar_t separator) {
    std::vector<std::wstring> pieces;
    size_t from = 0;
    while (from <= text.size()) {
        size_t to = text.find(separator, from);
        if (to == std::wstring_view::npos) to = text.size();
        if (to > from) pieces.emplace_back(text.substr(from, to - from));
        from = to + 1;
    }
    return pieces;
}

}  // namespace tidvex::text
