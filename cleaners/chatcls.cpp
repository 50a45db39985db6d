// The messenger cleaner: MSN Messenger's received files and emoticons setting,
// Yahoo! Messenger's pager log and profiles, ICQ's bookmarks, chats, browser
// cache and ICQ Lite's received files; and the installed-messenger probes.
#include "classes.h"

#include "registry_factory.h"
#include "shredder_factory.h"

#include "fs/fso.h"
#include "registry/wide_values.h"
#include "fs/paths.h"
#include "text/text.h"

namespace velmora {

using tidvex::registry::kCurrentUser;
using tidvex::registry::kLocalMachine;
using tidvex::registry::RegBytes;

namespace {

// Step 0 writes the emoticons setting on every run and has no caption.
constexpr StepInfo kSteps[] = {
    {nullptr, true},
    {"Cleaning MSN received files", false},
    {"Cleaning Yahoo pager settings", false},
    {"Cleaning Yahoo profiles", false},
    {"Cleaning ICQ Bookmarks", false},
    {"Cleaning ICQ Chats", false},
    {"Cleaning ICQ Browser Cache", false},
    {"Cleaning ICQ Received files", false},
};

constexpr char kMsnKey[] = "Software\\Microsoft\\MSNMessenger";
constexpr char kYahooPager[] = "Software\\Yahoo\\pager";
constexpr char kIcqGeneral[] = "SOFTWARE\\Mirabilis\\ICQ\\Install\\General";
constexpr char kIcqOwners[] = "SOFTWARE\\Mirabilis\\ICQ\\NewOwners";

bool MessengerInstalled(const std::string& messenger) {
    std::string name = tidvex::text::Lower(messenger);
    if (name == "msn") return RegistryKeyExists(kCurrentUser, kMsnKey);
    if (name == "icq") {
        return RegistryKeyExists(kCurrentUser, "SOFTWARE\\Mirabilis\\ICQ") ||
               RegistryKeyExists(kLocalMachine, "SOFTWARE\\Mirabilis\\ICQ");
    }
    if (name == "yahoo") {
        return RegistryKeyExists(kCurrentUser, "SOFTWARE\\Yahoo\\pager") ||
               RegistryKeyExists(kLocalMachine, "SOFTWARE\\Yahoo\\pager");
    }
    return false;
}

std::wstring ReadText(std::int32_t hive, const std::string& key, const char* name) {
    return ReadWideText(hive, key, name);
}

// The folder of "\program files\" on the Windows drive whose name holds the
// word (lower case), in the order the search lists them; error 76 when the
// folder is missing or no entry holds the word.
std::wstring FindProgramFilesFolder(const std::wstring& word) {
    const std::wstring programFiles = WindowsDirectory(200).substr(0, 2) + L"\\program files\\";
    if (auto entries = tidvex::fs::ListFolder(programFiles)) {
        for (const auto& entry : *entries) {
            std::wstring lower = entry.name;
            CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
            if (lower.find(word) != std::wstring::npos) return programFiles + entry.name;
        }
    }
    throw tidvex::RunTimeError::Of(tidvex::kPathNotFound);
}

// The ICQ folder: "InstalledDir", or when that is empty or blank the program
// folder whose name holds "icq".
std::wstring IcqFolder() {
    std::wstring installed = ReadText(kCurrentUser, kIcqGeneral, "InstalledDir");
    return TrimBlanks(installed).empty() ? FindProgramFilesFolder(L"icq") : installed;
}

// A name that stays one folder below its parent: not empty, ".", ".." or a path.
bool IsPlainName(const std::wstring& name) {
    std::wstring trimmed = TrimBlanks(name);
    return !trimmed.empty() && trimmed != L"." && trimmed != L".." &&
           name.find_first_of(L"\\/:") == std::wstring::npos;
}

// ICQ Lite's received-files folder of its first registered owner; empty when
// no owner is registered.
std::wstring IcqLiteReceivedFolder() {
    const std::vector<std::wstring> owners = WideSubkeyNames(kLocalMachine, kIcqOwners);
    if (owners.empty() || !IsPlainName(owners.front())) return {};
    const std::wstring& owner = owners.front();
    std::wstring saved = tidvex::registry::ReadWideText(
        HKEY_LOCAL_MACHINE, tidvex::text::Wide(kIcqOwners) + L"\\" + owner + L"\\ICQLite", L"SaveFilePath");
    if (!saved.empty()) return saved;
    std::wstring documents = ShellFolder("Personal");
    if (documents.empty()) return {};
    return documents + L"\\ICQ Lite\\" + owner;
}

}  // namespace

std::span<const StepInfo> ChatCls::Steps() { return kSteps; }

void ChatCls::RunStep(size_t step, bool on) {
    switch (step) {
        case MSNShowEmoticons: WriteEmoticons(on); break;
        case CleanMSNRecived: CleanMsnReceived(); break;
        case CleanYahooPage: CleanYahooPager(); break;
        case CleanYahooProfile: CleanYahooProfiles(); break;
        case CleanICQBookmark: CleanIcqFolder("\\Bookmark"); break;
        case CleanICQChat: CleanIcqChats(); break;
        case CleanICQBrowsCache: CleanIcqFolder("\\AteBrowser"); break;
        case CleanICQReceivedFile: CleanIcqReceived(); break;
        default: break;
    }
}

// Written only where MSN keeps its settings: a key made here would make MSN
// look installed from then on.
void ChatCls::WriteEmoticons(bool on) {
    auto reg = StepRegistry(kMsgLog);
    reg.ClassKey(kCurrentUser);
    reg.SectionKey(kMsnKey);
    if (!reg.KeyExists()) return;
    reg.ValueKey("ShowEmoticons");
    reg.ValueType(REG_BINARY);
    reg.value(RegBytes{static_cast<std::uint8_t>(on ? 1 : 0), 0});
}

void ChatCls::CleanMsnReceived() {
    if (!MessengerInstalled("msn")) return;
    // Text, or binary data taken as UTF-16, read as the registry keeps them.
    std::wstring folder = ReadWideText(kCurrentUser, kMsnKey, "FtReceiveFolder");
    if (folder.empty()) {
        std::wstring base = GetPlatformId() == 1 ? GetSpecialFolder(5) : GetWindowsDir();
        if (base.empty()) return;
        folder = base + L"\\My Received Files";
    }
    ShredFolder(folder, true);
}

void ChatCls::CleanYahooPager() {
    if (!MessengerInstalled("yahoo")) return;
    std::wstring folder = ReadText(kLocalMachine, "SOFTWARE\\Yahoo\\Essentials", "mainDir");
    if (TrimBlanks(folder).empty()) folder = FindProgramFilesFolder(L"yahoo");
    StepShredder().FileShred(folder + L"\\messenger\\YPager.log");
}

void ChatCls::CleanYahooProfiles() {
    if (!MessengerInstalled("yahoo")) return;
    auto reg = StepRegistry(kMsgLog);
    reg.del_reg_sub("HKEY_CURRENT_USER\\Software\\Yahoo\\Profiles");
    reg.del_reg_sub("HKEY_CURRENT_USER\\Software\\Yahoo\\pager\\profiles");
    std::wstring profiles = WindowsDirectory(200).substr(0, 3) + L"Program Files\\Yahoo!\\Messenger\\Profiles";
    ShredFolder(profiles, false);
    reg.ClassKey(kCurrentUser);
    reg.SectionKey(kYahooPager);
    reg.ValueKey("Yahoo! User ID");
    reg.DeleteValue();
}

void ChatCls::CleanIcqFolder(const char* subFolder) {
    if (!MessengerInstalled("icq")) return;
    ShredFolder(IcqFolder() + tidvex::text::Wide(subFolder), true);
}

void ChatCls::CleanIcqChats() {
    if (!MessengerInstalled("icq")) return;
    std::wstring installed = ReadText(kCurrentUser, kIcqGeneral, "InstalledDir");
    if (installed.empty()) {
        std::wstring appData = GetSpecialFolder(26);
        if (!appData.empty()) ShredFolder(appData + L"\\ICQLite\\HistoryDB", true);
        return;
    }
    if (TrimBlanks(installed).empty()) installed = FindProgramFilesFolder(L"icq");
    ShredFolder(installed + L"\\Chats", true);
}

// The folder goes whole and comes back empty; every failure ends the step only.
void ChatCls::CleanIcqReceived() {
    try {
        if (!MessengerInstalled("icq")) return;
        const std::wstring received = IcqLiteReceivedFolder();
        if (received.empty()) return;
        const std::optional<std::wstring> folder = MayCleanFolder(received);
        if (!folder) return;
        StepShredder().FolderShred(*folder, false, "*", true);
        auto& fso = tidvex::fs::gFSO();
        if (!fso.FolderExists(*folder)) fso.CreateFolder(*folder);
    } catch (const std::exception&) {
    }
}

// Stored nowhere: no step depends on it.
STDMETHODIMP ChatCls::get_CleanMSNAccount(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_ChatCls), value, [] { return false; });
}
STDMETHODIMP ChatCls::put_CleanMSNAccount(VARIANT_BOOL) {
    return Member([] {});
}

// The emoticons setting keeps its value.
STDMETHODIMP ChatCls::ChatReset() {
    return Member([&] { Reset(CleanMSNRecived, CleanICQReceivedFile + 1); });
}

STDMETHODIMP ChatCls::get_YahooExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_ChatCls), value, [] { return MessengerInstalled("yahoo"); });
}
STDMETHODIMP ChatCls::get_ICQExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_ChatCls), value, [] { return MessengerInstalled("icq"); });
}
STDMETHODIMP ChatCls::get_MSNExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_ChatCls), value, [] { return MessengerInstalled("msn"); });
}

}  // namespace velmora
