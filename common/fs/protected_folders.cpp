#include "fs/protected_folders.h"

#include "fs/canonical.h"
#include "fs/paths.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <userenv.h>

#include <algorithm>
#include <iterator>

namespace tidvex::fs {

namespace {

// The known folders that steps exist to empty, by the shell's two names for
// them; the old numbers of Favorites and Startup for all users lead to the
// same known folders.
struct RoleByNumber {
    int csidl;
    OwnFolder role;
};
constexpr RoleByNumber kRolesByNumber[] = {
    {CSIDL_TEMPLATES, OwnFolder::Templates},         {CSIDL_RECENT, OwnFolder::Recent},
    {CSIDL_CDBURN_AREA, OwnFolder::CdBurning},       {CSIDL_INTERNET_CACHE, OwnFolder::InternetCache},
    {CSIDL_COOKIES, OwnFolder::Cookies},             {CSIDL_FAVORITES, OwnFolder::Favorites},
    {CSIDL_COMMON_FAVORITES, OwnFolder::Favorites},  {CSIDL_STARTUP, OwnFolder::Startup},
    {CSIDL_ALTSTARTUP, OwnFolder::Startup},          {CSIDL_COMMON_STARTUP, OwnFolder::CommonStartup},
    {CSIDL_COMMON_ALTSTARTUP, OwnFolder::CommonStartup},
};
struct RoleById {
    const KNOWNFOLDERID* id;
    OwnFolder role;
};
const RoleById kRolesById[] = {
    {&FOLDERID_Templates, OwnFolder::Templates},         {&FOLDERID_Recent, OwnFolder::Recent},
    {&FOLDERID_CDBurning, OwnFolder::CdBurning},         {&FOLDERID_InternetCache, OwnFolder::InternetCache},
    {&FOLDERID_Cookies, OwnFolder::Cookies},             {&FOLDERID_Favorites, OwnFolder::Favorites},
    {&FOLDERID_Startup, OwnFolder::Startup},             {&FOLDERID_CommonStartup, OwnFolder::CommonStartup},
};

OwnFolder RoleOfNumber(int csidl) {
    for (const RoleByNumber& r : kRolesByNumber) {
        if (r.csidl == csidl) return r.role;
    }
    return OwnFolder::None;
}

OwnFolder RoleOfId(const KNOWNFOLDERID& id) {
    for (const RoleById& r : kRolesById) {
        if (IsEqualGUID(*r.id, id)) return r.role;
    }
    return OwnFolder::None;
}

std::wstring FolderOfModule(HMODULE module) {
    const std::wstring file = PathFromSystem([module](wchar_t* b, DWORD n) { return GetModuleFileNameW(module, b, n); });
    const size_t cut = file.find_last_of(L"\\/");
    return cut == std::wstring::npos ? std::wstring() : file.substr(0, cut);
}

// Every folder the known-folder manager knows, with its own name for it.
template <typename Add>
void ReadKnownFolders(Add add) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IKnownFolderManager* manager = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_KnownFolderManager, nullptr, CLSCTX_INPROC_SERVER, IID_IKnownFolderManager,
                                   reinterpret_cast<void**>(&manager)))) {
        KNOWNFOLDERID* ids = nullptr;
        UINT count = 0;
        if (SUCCEEDED(manager->GetFolderIds(&ids, &count)) && ids) {
            for (UINT i = 0; i < count; ++i) {
                IKnownFolder* folder = nullptr;
                if (FAILED(manager->GetFolder(ids[i], &folder)) || !folder) continue;
                PWSTR path = nullptr;
                if (SUCCEEDED(folder->GetPath(KF_FLAG_DONT_VERIFY, &path)) && path) add(path, RoleOfId(ids[i]));
                CoTaskMemFree(path);
                folder->Release();
            }
            CoTaskMemFree(ids);
        }
        manager->Release();
    }
    if (SUCCEEDED(com)) CoUninitialize();
}

// The shell writes every folder it is asked for back into the "Shell Folders"
// values (and the defaults of missing "User Shell Folders" values), which the
// cleaners read as the user's own: what reading the table changed there is put
// back as it was.
class ShellFolderValuesKept {
public:
    ShellFolderValuesKept() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            for (const wchar_t* path : {kShellFolders, kUserShellFolders}) keys_.push_back({root, path, ValuesOf(root, path)});
        }
    }
    ~ShellFolderValuesKept() {
        for (const Key& key : keys_) Restore(key);
    }
    ShellFolderValuesKept(const ShellFolderValuesKept&) = delete;
    ShellFolderValuesKept& operator=(const ShellFolderValuesKept&) = delete;

private:
    static constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    static constexpr wchar_t kUserShellFolders[] =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
        bool operator==(const Value&) const = default;
    };
    struct Key {
        HKEY root;
        const wchar_t* path;
        std::vector<Value> values;
    };

    static std::vector<Value> ValuesOf(HKEY root, const wchar_t* path) {
        std::vector<Value> values;
        HKEY key;
        if (RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return values;
        for (DWORD i = 0;; ++i) {
            wchar_t name[16384];
            DWORD nameLength = ARRAYSIZE(name), type = 0, size = 0;
            if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
            Value value{std::wstring(name, nameLength), type, std::vector<BYTE>(size)};
            if (RegQueryValueExW(key, value.name.c_str(), nullptr, &value.type, value.data.data(), &size) ==
                ERROR_SUCCESS) {
                value.data.resize(size);
                values.push_back(std::move(value));
            }
        }
        RegCloseKey(key);
        return values;
    }

    static void Restore(const Key& before) {
        const std::vector<Value> now = ValuesOf(before.root, before.path);
        if (now == before.values) return;
        HKEY key;
        if (RegOpenKeyExW(before.root, before.path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
        for (const Value& value : now) {
            const bool was = std::any_of(before.values.begin(), before.values.end(),
                                         [&](const Value& old) { return old.name == value.name; });
            if (!was) RegDeleteValueW(key, value.name.c_str());
        }
        for (const Value& value : before.values) {
            if (std::find(now.begin(), now.end(), value) == now.end())
                RegSetValueExW(key, value.name.c_str(), 0, value.type, value.data.data(),
                               static_cast<DWORD>(value.data.size()));
        }
        RegCloseKey(key);
    }

    std::vector<Key> keys_;
};

}  // namespace

ProtectedFolders ProtectedFolders::Read(const std::vector<std::wstring>& programFolders) {
    ProtectedFolders table;
    {
        const ShellFolderValuesKept kept;
        table.AddShellFolders();
    }
    table.AddProfiles();
    table.AddSystemFolders();
    table.AddProgramFolders(programFolders);
    return table;
}

// Every folder by the shell's old numbers (the only names older systems know),
// then by the known-folder manager, which knows the newer ones.
void ProtectedFolders::AddShellFolders() {
    for (int csidl = 0; csidl < 0x80; ++csidl) {
        wchar_t path[MAX_PATH + 1] = {};
        if (SUCCEEDED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_DONT_VERIFY, nullptr, SHGFP_TYPE_CURRENT, path)))
            Add(path, RoleOfNumber(csidl), csidl == CSIDL_SYSTEM || csidl == CSIDL_SYSTEMX86);
    }
    ReadKnownFolders([this](const wchar_t* path, OwnFolder role) { Add(path, role); });
}

// The folder of the profiles and every profile in it.
void ProtectedFolders::AddProfiles() {
    const std::wstring profiles = PathFromSystem([](wchar_t* b, DWORD n) {
        return GetProfilesDirectoryW(b, &n) ? static_cast<DWORD>(wcsnlen(b, n)) : n;
    });
    if (profiles.empty()) return;
    Add(profiles);
    if (const auto entries = ListFolder(profiles)) {
        for (const WideFolderEntry& entry : *entries) {
            if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) Add(JoinPath(profiles, entry.name));
        }
    }
}

// Windows, the System folders (with the two the shredder has always kept below
// them) and the folders the environment names.
void ProtectedFolders::AddSystemFolders() {
    Add(PathFromSystem([](wchar_t* b, DWORD n) { return GetWindowsDirectoryW(b, n); }));
    for (const std::wstring& system :
         {PathFromSystem([](wchar_t* b, DWORD n) { return GetSystemDirectoryW(b, n); }),
          PathFromSystem([](wchar_t* b, DWORD n) { return GetSystemWow64DirectoryW(b, n); })}) {
        if (system.empty()) continue;
        Add(system, OwnFolder::None, true);
        Add(system + L"\\IOSUBSYS", OwnFolder::None, true);
        Add(system + L"\\VMM32", OwnFolder::None, true);
    }
    // The 64-bit program folders, which a 32-bit process sees only by these names.
    for (const wchar_t* name : {L"ProgramW6432", L"CommonProgramW6432", L"ProgramFiles", L"ProgramFiles(x86)",
                                L"CommonProgramFiles", L"SystemRoot", L"windir", L"USERPROFILE", L"ALLUSERSPROFILE",
                                L"PUBLIC", L"ProgramData"}) {
        Add(PathFromSystem([name](wchar_t* b, DWORD n) { return GetEnvironmentVariableW(name, b, n); }));
    }
}

// The program's own folders with their Backups: those given, the running
// program's and the calling module's.
void ProtectedFolders::AddProgramFolders(std::vector<std::wstring> folders) {
    folders.push_back(FolderOfModule(nullptr));
    HMODULE module = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&ProtectedFolders::Read), &module))
        folders.push_back(FolderOfModule(module));
    for (const std::wstring& folder : folders) {
        if (folder.empty()) continue;
        Add(folder);
        Add(JoinPath(folder, std::wstring(L"Backups")));
    }
}

void ProtectedFolders::Add(const std::wstring& path, OwnFolder role, bool system) {
    if (path.find_first_not_of(L' ') == std::wstring::npos) return;
    const CanonicalPath folder = Canonical(path, RelativePaths::Refuse, NameReading::Plain);
    // A root is no folder a step may empty anyway.
    if (!folder || folder.IsRoot()) return;
    for (Entry& entry : entries_) {
        if (entry.role == role && SamePath(entry.path, folder.path)) {
            entry.system = entry.system || system;
            return;
        }
    }
    entries_.push_back({folder.path, role, system, LineageOf(folder.path, &cache_)});
}

std::optional<std::wstring> ProtectedFolders::Refusing(const std::wstring& folder, OwnFolder own) const {
    const std::optional<FileIdentity> id = IdentityOf(folder);
    for (const Entry& entry : entries_) {
        const bool is = SamePath(folder, entry.path) ||
                        (id && entry.lineage.self && SameIdentity(*id, *entry.lineage.self));
        const bool holds = (!is && SameOrBelow(folder, entry.path)) || (id && entry.lineage.IsBelow(*id));
        if (holds || (is && (own == OwnFolder::None || entry.role != own))) return entry.path;
    }
    return std::nullopt;
}

std::optional<std::wstring> ProtectedFolders::Match(const std::wstring& folder) const {
    const std::optional<FileIdentity> id = IdentityOf(folder);
    for (const Entry& entry : entries_) {
        if (SamePath(folder, entry.path) || (id && entry.lineage.self && SameIdentity(*id, *entry.lineage.self)))
            return entry.path;
    }
    return std::nullopt;
}

bool ProtectedFolders::InSystemFolder(const std::wstring& path) const {
    std::optional<Lineage> lineage;
    for (const Entry& entry : entries_) {
        if (!entry.system) continue;
        if (SameOrBelow(entry.path, path)) return true;
        if (!entry.lineage.self) continue;
        if (!lineage) lineage = LineageOf(path, &cache_);
        if (lineage->IsOrIsBelow(*entry.lineage.self)) return true;
    }
    return false;
}

}  // namespace tidvex::fs
