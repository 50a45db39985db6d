#include "services/lists.h"

#include "fs/canonical.h"
#include "fs/fso.h"
#include "fs/guarded_file.h"
#include "fs/whole_file.h"
#include "registry/registry.h"
#include "services/helpers.h"
#include "services/logger.h"
#include "services/program.h"
#include "text/text.h"

#include <windows.h>

#include <algorithm>
#include <optional>

namespace tidvex::services {

MatchLists gMatchLists;

namespace {

using fs::ReadWholeFile;

// Too little content to hold an entry.
bool CountsAsEmpty(const std::string& content) { return text::Trim(content).size() < 2; }

std::vector<std::string> Lines(const std::string& content) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = content.find("\r\n", start);
        lines.push_back(content.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return lines;
}

struct Entry {
    std::string type, value;
};

// A line's type and value (the text between the first "|" and the next one);
// nothing for a line without "|".
std::optional<Entry> ParseLine(const std::string& line) {
    auto bar = line.find('|');
    if (bar == std::string::npos) return std::nullopt;
    auto next = line.find('|', bar + 1);
    return Entry{line.substr(0, bar),
                 line.substr(bar + 1, next == std::string::npos ? std::string::npos : next - bar - 1)};
}

std::wstring RequireListFile(std::int32_t lList) {
    std::wstring path = ListFilePath(lList);
    if (path.empty()) throw fs::MakeFsError(fs::kInvalidArgument);
    return path;
}

}  // namespace

std::wstring ListFilePath(std::int32_t lList) {
    switch (lList) {
        case kSafeList: return AppFolder() + L"\\lstSafe.lst";
        case kBlackList: return AppFolder() + L"\\lstBlack.lst";
        case kCookieList: return AppFolder() + L"\\lstCookie.lst";
        default: return {};
    }
}

bool AddiTem2File(std::int32_t lType, const std::string& sItem, std::int32_t lList) {
    try {
        const std::wstring path = RequireListFile(lList);
        if (!fs::AppendLine(path, std::to_string(lType) + "|" + sItem)) throw fs::FsErrorFromPlatform(GetLastError());
        return true;
    } catch (...) {
        gLogger().LoggError(CurrentError(), "AddiTem2File");
        return false;
    }
}

bool RemoveItemFromList(const std::string& sItem, std::int32_t lList) {
    try {
        const std::wstring path = RequireListFile(lList);
        auto content = ReadWholeFile(path);
        if (!content || CountsAsEmpty(*content)) return false;
        std::string kept;
        for (const auto& line : Lines(*content)) {
            if (line.empty()) continue;
            auto entry = ParseLine(line);
            if (entry && entry->value == sItem) continue;
            kept += line + "\r\n";  // a line without "|" is kept as it is
        }
        // Written beside the list and put in its place, so a failed write loses nothing.
        fs::ReplaceFileContent(path, kept);
        return true;
    } catch (...) {
        gLogger().LoggError(CurrentError(), "RemoveItemFromList");
        return false;
    }
}

bool LoadFile2List(std::int32_t lList, ListBox& lst) {
    try {
        auto content = ReadWholeFile(RequireListFile(lList));
        if (!content) return false;
        if (CountsAsEmpty(*content)) return true;
        for (const auto& line : Lines(*content))
            if (auto entry = ParseLine(line)) lst.AddItem(entry->value);
        return true;
    } catch (...) {
        gLogger().LoggError(CurrentError(), "LoadFile2List");
        return false;
    }
}

bool FillSafeBlackLists() {
    gMatchLists = MatchLists{};
    try {
        auto load = [](std::int32_t list, std::vector<std::string>* byType[3], bool* emptyFlag[3]) {
            auto content = ReadWholeFile(ListFilePath(list));
            if (!content || CountsAsEmpty(*content)) return;
            for (const auto& line : Lines(*content)) {
                auto entry = ParseLine(line);
                if (!entry || entry->type.size() != 1 || entry->type[0] < '0' || entry->type[0] > '2') continue;
                const int type = entry->type[0] - '0';
                byType[type]->push_back(entry->value);
                if (emptyFlag[type]) *emptyFlag[type] = false;
            }
        };
        MatchLists& m = gMatchLists;
        std::vector<std::string>* safe[3] = {&m.safeFiles, &m.safeFolders, &m.safeKeys};
        bool* noFlags[3] = {nullptr, nullptr, nullptr};
        load(kSafeList, safe, noFlags);
        std::vector<std::string>* black[3] = {&m.blackFiles, &m.blackFolders, &m.blackKeys};
        bool* blackFlags[3] = {&m.blackFilesEmpty, &m.blackFoldersEmpty, &m.blackKeysEmpty};
        load(kBlackList, black, blackFlags);
        return true;
    } catch (...) {
        gLogger().LoggError(CurrentError(), "FillSafeBlackLists");
        return false;
    }
}

bool IsItemInArray(const std::string& sItem, const std::vector<std::string>& arr, bool bPartial) {
    try {
        for (const auto& entry : arr) {
            if (bPartial ? text::ContainsNoCase(sItem, entry) : text::EqualsNoCase(sItem, entry)) return true;
        }
        return false;
    } catch (...) {
        gLogger().LoggError(CurrentError(), "IsItemInArray");
        return false;
    }
}

bool IsItemInArray(std::wstring_view sItem, const std::vector<std::string>& arr, bool bPartial) {
    try {
        for (const auto& entry : arr) {
            const std::wstring wide = text::Wide(entry);
            if (bPartial ? text::ContainsNoCase(sItem, wide) : text::EqualsNoCase(sItem, wide)) return true;
        }
        return false;
    } catch (...) {
        gLogger().LoggError(CurrentError(), "IsItemInArray");
        return false;
    }
}

SafeIdentities::SafeIdentities(const MatchLists& lists) {
    auto read = [this](const std::vector<std::string>& entries, std::vector<fs::FileIdentity>& into) {
        for (const std::string& entry : entries) {
            // What an entry names is kept as the system reads the name.
            const fs::CanonicalPath path = fs::Canonical(entry, fs::RelativePaths::Refuse, fs::NameReading::Plain);
            if (!path) continue;
            if (const auto id = known_.Of(path.path)) into.push_back(*id);
        }
    };
    read(lists.safeFiles, files_);
    read(lists.safeFolders, folders_);
}

bool SafeIdentities::Keeps(const std::wstring& path) {
    if (files_.empty() && folders_.empty()) return false;
    const fs::Lineage lineage = fs::LineageOf(path, &known_);
    for (const fs::FileIdentity& file : files_) {
        if (lineage.self && fs::SameIdentity(*lineage.self, file)) return true;
    }
    for (const fs::FileIdentity& folder : folders_) {
        if (lineage.IsOrIsBelow(folder)) return true;
    }
    return false;
}

bool IsItemInList(const std::wstring& sItem, const ListBox& lst) {
    for (int i = 0; i < lst.ListCount(); ++i)
        if (lst.List(i) == sItem) return true;
    return false;
}

namespace {

constexpr size_t kFirstRecord = 0x5000;
constexpr size_t kRecordSize = 256;
constexpr size_t kTextStart = 97;

// The record's text: printable bytes kept, each run of NULs one space, other bytes dropped.
std::string RecordText(const unsigned char* record) {
    std::string text;
    bool inNulRun = false;
    for (size_t i = kTextStart; i < kRecordSize; ++i) {
        unsigned char c = record[i];
        if (c >= 33 && c <= 126) {
            text.push_back(static_cast<char>(c));
            inNulRun = false;
        } else if (c == 0 && !inNulRun) {
            text.push_back(' ');
            inNulRun = true;
        }
    }
    return text;
}

}  // namespace

bool LoadCookies2List(ListBox& lst) {
    try {
        registry::CRegistry reg;
        reg.classkey(registry::kCurrentUser);
        reg.sectionkey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
        reg.valuekey("Cookies");
        const std::string folder = reg.Value().Text();

        std::vector<std::string> cookieFiles;
        const std::string found = FindFiles(folder, true, false, true);
        for (size_t start = 1; start <= found.size();) {
            size_t end = found.find('*', start);
            cookieFiles.push_back(found.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        for (auto& name : cookieFiles) name = text::Upper(name);

        auto index = ReadWholeFile(folder + "\\index.dat");
        if (!index) throw fs::MakeFsError(fs::kFileNotFound);
        for (size_t at = kFirstRecord; at < index->size(); at += kRecordSize) {
            unsigned char record[kRecordSize] = {};
            std::copy_n(index->data() + at, std::min(kRecordSize, index->size() - at), record);
            const std::string signature(reinterpret_cast<char*>(record), 4);
            if (signature != "URL " && signature != "LEAK") continue;
            const std::string text = RecordText(record);
            const auto at_ = text.find('@');
            const std::string site = "http://" + (at_ == std::string::npos ? text : text.substr(at_ + 1));
            const auto space = site.find(' ');
            const std::string file =
                text::Upper(text::Trim(space == std::string::npos ? std::string() : site.substr(space + 1)));
            auto match = std::find(cookieFiles.begin(), cookieFiles.end(), file);
            if (match == cookieFiles.end()) continue;
            cookieFiles.erase(match);  // each cookie file yields one site at most
            lst.AddItem(site.substr(0, space + 1));
        }
        return true;
    } catch (...) {
        gLogger().LoggError(CurrentError(), "LoadCookies2List");
        return false;
    }
}

}  // namespace tidvex::services
