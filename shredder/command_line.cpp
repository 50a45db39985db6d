#include "command_line.h"

#include "fs/canonical.h"
#include "text/text.h"

#include <algorithm>
#include <cwchar>

namespace fraxil {

CommandSource SourceOf(std::wstring_view text) {
    if (text.rfind(L"1?", 0) == 0) return CommandSource::Text;
    if (text.rfind(L"2?", 0) == 0) return CommandSource::WorkList;
    return CommandSource::None;
}

std::vector<std::wstring> SplitCommandText(std::wstring_view text, bool cutInsideItem) {
    std::vector<std::wstring> items;
    if (text.find(L'"') != std::wstring_view::npos) {
        for (size_t open = text.find(L'"'); open != std::wstring_view::npos;) {
            size_t close = text.find(L'"', open + 1);
            if (close == std::wstring_view::npos) break;  // an unpaired quote encloses nothing
            if (close > open + 1) items.emplace_back(text.substr(open + 1, close - open - 1));
            open = text.find(L'"', close + 1);
        }
        return items;
    }
    if (text.rfind(L"1?", 0) == 0) text.remove_prefix(2);
    size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && text[at] == L' ') ++at;
        if (at >= text.size()) break;
        size_t end = text.find(L' ', at);
        if (end == std::wstring_view::npos) {
            if (cutInsideItem) break;  // only the beginning of an item: it names something else
            end = text.size();
        }
        std::wstring_view token = text.substr(at, end - at);
        if (token.front() == L'0') break;
        items.emplace_back(token);
        at = end;
    }
    return items;
}

bool IsFullPathOrKeyword(std::wstring_view item) {
    if (item == L"recycle" || item == L"restorepoints") return true;
    const tidvex::fs::PathRefusal refusal = tidvex::fs::Canonical(item).refusal;
    return refusal != tidvex::fs::PathRefusal::Relative && refusal != tidvex::fs::PathRefusal::NoPath;
}

namespace {

// The token that ended an unquoted list ("0", or a piece of a path such as
// "0ld.txt"), or nothing when the list ran to the end of the text.
std::wstring_view EndingToken(std::wstring_view text) {
    if (text.rfind(L"1?", 0) == 0) text.remove_prefix(2);
    for (size_t at = text.find_first_not_of(L' '); at != std::wstring_view::npos;
         at = text.find_first_not_of(L' ', at)) {
        const size_t end = std::min(text.find(L' ', at), text.size());
        if (text[at] == L'0') return text.substr(at, end - at);
        at = end;
    }
    return {};
}

}  // namespace

bool SplitBrokeAPath(std::wstring_view text, const std::vector<std::wstring>& tokens) {
    if (text.find(L'"') != std::wstring_view::npos) return false;
    // Only a number ends a list; "C:\My 0ld.txt" is one name, not "C:\My".
    const std::wstring_view ending = EndingToken(text);
    if (ending.find_first_not_of(L"0123456789") != std::wstring_view::npos) return true;
    return std::any_of(tokens.begin(), tokens.end(), [](const std::wstring& token) {
        return !token.empty() && token.front() != L'/' && !IsFullPathOrKeyword(token);
    });
}

std::wstring WholeItemText(std::wstring_view text) {
    if (text.rfind(L"1?", 0) == 0) text.remove_prefix(2);
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    return std::wstring(text.substr(first, text.find_last_not_of(L' ') - first + 1));
}

std::vector<std::wstring> SplitWorkList(std::string_view bytes) {
    std::vector<std::wstring> items;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(at, end - at);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
        if (!line.empty()) items.push_back(tidvex::text::Wide(line));
        at = end + 1;
    }
    return items;
}

CommandItems SortCommandItems(const std::vector<std::wstring>& tokens) {
    CommandItems sorted;
    for (const std::wstring& token : tokens) {
        if (token.empty()) continue;
        if (token.front() != L'/') {
            sorted.items.push_back(token);
            continue;
        }
        // The number after the option's first two characters, as atoi reads it.
        const long n = token.size() > 2 ? std::wcstol(token.c_str() + 2, nullptr, 10) : 0;
        const wchar_t letter = token.size() > 1 ? token[1] : L'\0';
        switch (letter) {
            case L'O': sorted.method = n; break;
            case L'F': sorted.subFolders = n != 0; break;
            case L'R': sorted.removeSubFolders = n != 0; break;
            default: break;  // D is accepted without effect; others are ignored
        }
    }
    return sorted;
}

}  // namespace fraxil
