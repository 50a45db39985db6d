// The messenger cleaner: MSN Messenger's received files and emoticons setting,
// Yahoo! Messenger's pager log and profiles, ICQ's bookmarks, chats, browser
// cache and ICQ Lite's received files; and the installed-messenger probes.
#include "classes.h"

#include "registry_factory.h"
#include "shredder_factory.h"

#include "fs/fso.h"
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

std::string ReadText(std::int32_t hive, const char* key, const char* name) {
    auto reg = MakeRegistry();
    reg.ClassKey(hive);
    reg.SectionKey(key);
    reg.ValueKey(name);
    return reg.value().Text();
}

// The folder of "\program files\" on the Windows drive whose name holds the
// word (lower case), in the order the search lists them; error 76 when the
// folder is missing or no entry holds the word.
std::string FindProgramFilesFolder(const std::string& word) {
    const std::string programFiles = WindowsDirectory(200).substr(0, 2) + "\\program files\\";
    if (auto entries = tidvex::fs::ListFolder(programFiles)) {
        for (const auto& entry : *entries) {
            if (tidvex::text::Lower(entry.name).find(word) != std::string::npos) return programFiles + entry.name;
        }
    }
    throw tidvex::RunTimeError::Of(tidvex::kPathNotFound);
}

// The ICQ folder: "InstalledDir", or when that is empty or blank the program
// folder whose name holds "icq".
std::string IcqFolder() {
    std::string installed = ReadText(kCurrentUser, kIcqGeneral, "InstalledDir");
    return tidvex::text::Trim(installed).empty() ? FindProgramFilesFolder("icq") : installed;
}

// Registry data stored as UTF-16 bytes, as text up to its first NUL.
std::string TextOfUtf16(const RegBytes& bytes) {
    std::wstring wide;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        wchar_t c = static_cast<wchar_t>(bytes[i] | (bytes[i + 1] << 8));
        if (c == L'\0') break;
        wide += c;
    }
    return tidvex::com::Narrow(wide);
}

// A name that stays one folder below its parent: not empty, ".", ".." or a path.
bool IsPlainName(const std::string& name) {
    std::string trimmed = tidvex::text::Trim(name);
    return !trimmed.empty() && trimmed != "." && trimmed != ".." &&
           name.find_first_of("\\/:") == std::string::npos;
}

// ICQ Lite's received-files folder of its first registered owner; empty when
// no owner is registered.
std::string IcqLiteReceivedFolder() {
    const std::vector<std::string> owners = SubkeyNames(kLocalMachine, kIcqOwners);
    if (owners.empty() || !IsPlainName(owners.front())) return {};
    const std::string& owner = owners.front();
    std::string saved = ReadText(kLocalMachine, (std::string(kIcqOwners) + "\\" + owner + "\\ICQLite").c_str(),
                                 "SaveFilePath");
    if (!saved.empty()) return saved;
    std::string documents = ShellFolder("Personal");
    if (documents.empty()) return {};
    return documents + "\\ICQ Lite\\" + owner;
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
    std::string folder;
    {
        auto reg = StepRegistry(kMsgLog);
        reg.ClassKey(kCurrentUser);
        reg.SectionKey(kMsnKey);
        reg.ValueKey("FtReceiveFolder");
        reg.ValueType(REG_BINARY);
        tidvex::registry::RegValue value = reg.value();
        if (const RegBytes* bytes = value.Bytes()) {
            // The read gives one element more than the data holds.
            RegBytes data(bytes->begin(), bytes->end() - (bytes->empty() ? 0 : 1));
            folder = TextOfUtf16(data);
        } else {
            folder = StripNulls(value.Text());
        }
    }
    if (folder.empty()) {
        std::string base = GetPlatformId() == 1 ? GetSpecialFolder(5) : GetWindowsDir();
        if (base.empty()) return;
        folder = base + "\\My Received Files";
    }
    ShredFolder(folder, true);
}

void ChatCls::CleanYahooPager() {
    if (!MessengerInstalled("yahoo")) return;
    std::string folder = ReadText(kLocalMachine, "SOFTWARE\\Yahoo\\Essentials", "mainDir");
    if (tidvex::text::Trim(folder).empty()) folder = FindProgramFilesFolder("yahoo");
    StepShredder().FileShred(folder + "\\messenger\\YPager.log");
}

void ChatCls::CleanYahooProfiles() {
    if (!MessengerInstalled("yahoo")) return;
    auto reg = StepRegistry(kMsgLog);
    reg.del_reg_sub("HKEY_CURRENT_USER\\Software\\Yahoo\\Profiles");
    reg.del_reg_sub("HKEY_CURRENT_USER\\Software\\Yahoo\\pager\\profiles");
    std::string profiles = WindowsDirectory(200).substr(0, 3) + "Program Files\\Yahoo!\\Messenger\\Profiles";
    ShredFolder(profiles, false);
    reg.ClassKey(kCurrentUser);
    reg.SectionKey(kYahooPager);
    reg.ValueKey("Yahoo! User ID");
    reg.DeleteValue();
}

void ChatCls::CleanIcqFolder(const char* subFolder) {
    if (!MessengerInstalled("icq")) return;
    ShredFolder(IcqFolder() + subFolder, true);
}

void ChatCls::CleanIcqChats() {
    if (!MessengerInstalled("icq")) return;
    std::string installed = ReadText(kCurrentUser, kIcqGeneral, "InstalledDir");
    if (installed.empty()) {
        std::string appData = GetSpecialFolder(26);
        if (!appData.empty()) ShredFolder(appData + "\\ICQLite\\HistoryDB", true);
        return;
    }
    if (tidvex::text::Trim(installed).empty()) installed = FindProgramFilesFolder("icq");
    ShredFolder(installed + "\\Chats", true);
}

// The folder goes whole and comes back empty; every failure ends the step only.
void ChatCls::CleanIcqReceived() {
    try {
        if (!MessengerInstalled("icq")) return;
        std::string folder = IcqLiteReceivedFolder();
        if (folder.empty() || !MayCleanFolder(folder)) return;
        ShredFolder(folder, false);
        auto& fso = tidvex::fs::gFSO();
        if (!fso.FolderExists(folder)) fso.CreateFolder(folder);
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
