#include "registry/registry.h"

#include "registry/reg_key.h"
#include "text/text.h"

#include <algorithm>
#include <cstring>

namespace tidvex::registry {
namespace {

constexpr REGSAM kQueryValue = KEY_QUERY_VALUE;               // 1
constexpr REGSAM kEnumerateSubKeys = KEY_ENUMERATE_SUB_KEYS;  // 8
constexpr REGSAM kReadWrite = 0x3F;                           // query, set, create, enumerate, notify, link

// Two "%" with at least one character between them make an expandable text.
bool HasExpandMarks(const std::string& text) {
    auto first = text.find('%');
    return first != std::string::npos && text.find('%', first + 2) != std::string::npos;
}

// The names of an opened key's subkeys or values, in the registry's order.
std::vector<std::wstring> NamesOf(RegistryApi& api, HKEY key, bool sections) {
    std::vector<std::wstring> names;
    std::wstring name;
    for (DWORD index = 0;; ++index) {
        const LONG rc = sections ? api.EnumKeyW(key, index, name) : api.EnumValueW(key, index, name);
        if (rc != ERROR_SUCCESS) return names;
        names.push_back(name);
    }
}

std::string Quote(const std::string& path) {
    std::string p = text::Trim(path);
    if (p.empty() || p.front() != '"') p.insert(p.begin(), '"');
    if (p.size() < 2 || p.back() != '"') p.push_back('"');
    return p;
}

}  // namespace

std::string HiveName(std::int32_t classkey) {
    switch (classkey) {
        case kClassesRoot: return "HKEY_CLASSES_ROOT";
        case kCurrentUser: return "HKEY_CURRENT_USER";
        case kLocalMachine: return "HKEY_LOCAL_MACHINE";
        case kUsers: return "HKEY_USERS";
        default: return {};
    }
}

std::optional<std::int32_t> HiveFromName(const std::string& name) {
    const std::string u = text::Upper(name);
    for (std::int32_t hive : {kClassesRoot, kCurrentUser, kLocalMachine, kUsers})
        if (u == HiveName(hive)) return hive;
    return std::nullopt;
}

HKEY HiveHandle(std::int32_t classkey) {
    // The predefined handles are sign-extended 32-bit values.
    return reinterpret_cast<HKEY>(static_cast<LONG_PTR>(classkey));
}

const std::string& ModuleName() {
    static const std::string name = [] {
        HMODULE self = nullptr;
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&ModuleName), &self);
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(self, path, MAX_PATH);
        std::string n = text::Narrow(path);
        if (auto slash = n.find_last_of("\\/"); slash != std::string::npos) n.erase(0, slash + 1);
        if (auto dot = n.rfind('.'); dot != std::string::npos) n.erase(dot);
        return n;
    }();
    return name;
}

std::string CRegistry::Source() { return ModuleName() + ".cRegistry"; }

CRegistry::CRegistry(RegistryOptions options, RegistryApi& api) : api_(&api), options_(std::move(options)) {}

void CRegistry::Machine(const std::string& sMachine) {
    if (sMachine.size() < 3)
        machine_.clear();
    else if (sMachine.starts_with("\\\\"))
        machine_ = sMachine;
    else
        machine_ = "\\\\" + sMachine;
}

std::string CRegistry::KeyPath() const { return HiveName(classkey_) + "\\" + sectionkey_; }

bool CRegistry::OnSafeList() const { return options_.isSafeKey && options_.isSafeKey(KeyPath()); }

void CRegistry::Record(const std::string& description) { lastError_.emplace(kErrRegistry, description, Source()); }

bool CRegistry::KeyExists() {
    RegKey k(*api_);
    return k.Open(HiveHandle(classkey_), sectionkey_, kQueryValue | options_.view) == ERROR_SUCCESS;
}

bool CRegistry::IsLink() {
    RegKey k(*api_);
    return k.OpenLink(HiveHandle(classkey_), sectionkey_, kQueryValue | options_.view) == ERROR_SUCCESS &&
           IsLinkKey(*api_, k.Get());
}

bool CRegistry::CreateKey() {
    RegKey k(*api_);
    if (k.Create(HiveHandle(classkey_), sectionkey_, kReadWrite | options_.view) != ERROR_SUCCESS)
        throw RunTimeError(kErrRegistry, "Failed to create registry Key: '" + sectionkey_, Source());
    return true;
}

void CRegistry::Refused(const std::string& path, const std::string& why) {
    if (options_.refused) options_.refused(path, why);
}

LONG CRegistry::OpenParent(std::int32_t hive, const std::wstring& key, RegKey& parent, HKEY& at, std::wstring& last) {
    std::vector<std::wstring> names = KeyNames(key);
    if (names.empty()) return ERROR_INVALID_PARAMETER;  // the hive itself is never deleted
    last = names.back();
    names.pop_back();
    at = HiveHandle(hive);
    if (names.empty()) return ERROR_SUCCESS;
    std::wstring above;
    for (const auto& name : names) above += (above.empty() ? L"" : L"\\") + name;
    const LONG rc = OpenKeyLinkFree(*api_, at, above, KEY_QUERY_VALUE, options_.view, parent);
    at = parent.Get();
    return rc;
}

bool CRegistry::RemoveKey(std::int32_t hive, const std::wstring& key, const std::string& keyText) {
    lastError_.reset();
    RegKey parent(*api_);
    HKEY at = nullptr;
    std::wstring last;
    LONG rc = OpenParent(hive, key, parent, at, last);
    if (rc == ERROR_SUCCESS) rc = api_->DeleteSubkeyW(at, last, options_.view);
    if (rc != ERROR_SUCCESS) {
        if (rc == kLinkOnTheWay) Refused(HiveName(hive) + "\\" + keyText, "a registry link on the way");
        Record("Failed to delete registry Key: '" + std::to_string(hive) + "',Section: '" + keyText);
        return false;
    }
    const std::string path = HiveName(hive) + "\\" + keyText;
    if (options_.deleted) options_.deleted(path);
    if (options_.showlog) options_.showlog(path);
    return true;
}

bool CRegistry::RemoveValue(std::int32_t hive, const std::wstring& key, const std::wstring& name,
                            const std::string& keyText) {
    lastError_.reset();
    const std::string valueText = text::ForLog(name);
    RegKey k(*api_);
    const LONG opened = OpenKeyLinkFree(*api_, HiveHandle(hive), key, KEY_SET_VALUE, options_.view, k);
    if (opened != ERROR_SUCCESS) {
        if (opened == kLinkOnTheWay) Refused(HiveName(hive) + "\\" + keyText + "\\" + valueText, "a registry link on the way");
        Record("Failed to open key '" + std::to_string(hive) + "',Section: '" + keyText + "' for delete access");
        return false;
    }
    const LONG rc = api_->DeleteValueW(k.Get(), name);
    k.Close();
    if (rc != ERROR_SUCCESS) {
        Record("Failed to delete registry Key: '" + std::to_string(hive) + "',Section: '" + keyText + "',Key: '" +
               valueText);
        return false;
    }
    if (options_.deleted) options_.deleted(HiveName(hive) + "\\" + keyText + "\\" + valueText);
    return true;
}

bool CRegistry::DeleteKey(bool bCheckSafeList) {
    lastError_.reset();
    if (bCheckSafeList && OnSafeList()) return true;
    return RemoveKey(classkey_, text::Wide(sectionkey_), sectionkey_);
}

bool CRegistry::DeleteValue(bool bCheckSafeList) {
    lastError_.reset();
    if (bCheckSafeList && OnSafeList()) return true;
    return RemoveValue(classkey_, text::Wide(sectionkey_), text::Wide(valuekey_), sectionkey_);
}

bool CRegistry::DeleteKeyW(std::int32_t hive, const std::wstring& key) {
    return RemoveKey(hive, key, text::ForLog(key));
}

bool CRegistry::DeleteValueW(std::int32_t hive, const std::wstring& key, const std::wstring& name) {
    return RemoveValue(hive, key, name, text::ForLog(key));
}

std::vector<std::wstring> CRegistry::SectionsW(std::int32_t hive, const std::wstring& key) {
    RegKey k(*api_);
    if (k.OpenW(HiveHandle(hive), key, kEnumerateSubKeys | options_.view, REG_OPTION_OPEN_LINK) != ERROR_SUCCESS)
        return {};
    return NamesOf(*api_, k.Get(), true);
}

std::vector<std::wstring> CRegistry::ValuesW(std::int32_t hive, const std::wstring& key) {
    RegKey k(*api_);
    if (k.OpenW(HiveHandle(hive), key, kQueryValue | options_.view, REG_OPTION_OPEN_LINK) != ERROR_SUCCESS) return {};
    return NamesOf(*api_, k.Get(), false);
}

std::optional<RawValue> CRegistry::RawW(std::int32_t hive, const std::wstring& key, const std::wstring& name) {
    RegKey k(*api_);
    if (k.OpenW(HiveHandle(hive), key, kQueryValue | options_.view) != ERROR_SUCCESS) return std::nullopt;
    // A value that grows between the two calls is asked for again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        RawValue value;
        DWORD size = 0;
        if (api_->QueryValueExW(k.Get(), name, &value.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
        value.bytes.resize(size);
        const LONG rc = api_->QueryValueExW(k.Get(), name, &value.type, value.bytes.data(), &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return std::nullopt;
        value.bytes.resize(size);
        return value;
    }
    return std::nullopt;
}

std::optional<std::wstring> CRegistry::TextW(std::int32_t hive, const std::wstring& key, const std::wstring& name) {
    const std::optional<RawValue> value = RawW(hive, key, name);
    if (!value || !(value->type == REG_SZ || value->type == REG_EXPAND_SZ || value->type == REG_MULTI_SZ))
        return std::nullopt;
    std::wstring text(value->bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(text.data(), value->bytes.data(), text.size() * sizeof(wchar_t));
    if (const auto nul = text.find(L'\0'); nul != std::wstring::npos) text.resize(nul);
    if (value->type != REG_EXPAND_SZ) return text;
    return api_->ExpandEnvironmentW(text);
}

bool CRegistry::SetTextW(std::int32_t hive, const std::wstring& key, const std::wstring& name,
                         const std::wstring& text) {
    RegKey k(*api_);
    if (OpenKeyLinkFree(*api_, HiveHandle(hive), key, KEY_SET_VALUE, options_.view, k) != ERROR_SUCCESS) return false;
    return api_->SetValueExW(k.Get(), name, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool CRegistry::ConnectRoot(HKEY& root, RegKey& remote) {
    root = HiveHandle(classkey_);
    if (machine_.empty()) return true;
    if (remote.Connect(machine_, root) != ERROR_SUCCESS) return false;
    root = remote.Get();
    return true;
}

RegValue CRegistry::Value() {
    RegKey remote(*api_), k(*api_);
    HKEY root;
    if (!ConnectRoot(root, remote)) return default_;
    if (k.Open(root, sectionkey_, kQueryValue | options_.view) != ERROR_SUCCESS) return default_;
    return ReadOpened(k.Get());
}

RegValue CRegistry::ReadOpened(HKEY key) {
    // Read wide and handed on only when the code page holds it exactly: the
    // narrow call would best-fit a path to another existing item's name.
    const std::wstring name = text::Wide(valuekey_);
    DWORD type = 0, size = 0;
    LONG rc = api_->QueryValueExW(key, name, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return default_;
    valueType_ = static_cast<std::int32_t>(type);

    RegBytes data(size);
    DWORD got = size;
    if (size > 0 && api_->QueryValueExW(key, name, &type, data.data(), &got) != ERROR_SUCCESS) return default_;
    data.resize(std::min(got, size));

    switch (type) {
        case REG_SZ:
        case REG_MULTI_SZ:
        case REG_EXPAND_SZ: {
            // The terminating NUL is not part of the text; a multi-string keeps its separators.
            std::wstring wide(data.size() / sizeof(wchar_t), L'\0');
            if (!wide.empty()) std::memcpy(wide.data(), data.data(), wide.size() * sizeof(wchar_t));
            if (!wide.empty() && wide.back() == L'\0') wide.pop_back();
            if (type == REG_EXPAND_SZ) {
                if (std::optional<std::wstring> expanded = api_->ExpandEnvironmentW(wide)) wide = std::move(*expanded);
            }
            std::optional<std::string> exact = text::NarrowExact(wide);
            if (!exact) return default_;
            return std::move(*exact);
        }
        case REG_DWORD:
        case REG_DWORD_BIG_ENDIAN: {
            data.resize(4, 0);
            if (type == REG_DWORD_BIG_ENDIAN) std::reverse(data.begin(), data.end());
            std::uint32_t n = 0;
            std::memcpy(&n, data.data(), 4);
            return static_cast<std::int32_t>(n);
        }
        default:
            // One element more than the data, holding 0.
            data.push_back(0);
            return data;
    }
}

void CRegistry::Value(const RegValue& vValue) {
    const std::string description = "Failed to set registry value Key: '" + std::to_string(classkey_) + "',Section: '" +
                                    sectionkey_ + "',Key: '" + valuekey_ + "' to value: '" + vValue.Text() + "'";
    LONG rc = ERROR_SUCCESS;
    {
        RegKey remote(*api_), key(*api_);
        HKEY root;
        if (!ConnectRoot(root, remote)) throw RunTimeError(kErrRegistry, description, Source());
        if (key.Create(root, sectionkey_, kReadWrite | options_.view) != ERROR_SUCCESS)
            throw RunTimeError(kErrRegistry, description, Source());
        const HKEY k = key.Get();

        switch (valueType_) {
            case REG_SZ:
            case REG_EXPAND_SZ: {
                const std::string text = vValue.Text();
                rc = api_->SetValueEx(k, valuekey_, HasExpandMarks(text) ? REG_EXPAND_SZ : REG_SZ,
                                      reinterpret_cast<const BYTE*>(text.c_str()), static_cast<DWORD>(text.size() + 1));
                break;
            }
            case REG_BINARY: {
                const RegBytes* bytes = vValue.Bytes();
                if (!bytes)
                    throw RunTimeError::Of(kErrRegistry, ModuleName());
                rc = api_->SetValueEx(k, valuekey_, REG_BINARY, bytes->data(), static_cast<DWORD>(bytes->size()));
                break;
            }
            case REG_DWORD:
            case REG_DWORD_BIG_ENDIAN:
                // Only integers are written; anything else is passed over.
                if (vValue.IsInteger()) {
                    std::uint32_t n = static_cast<std::uint32_t>(vValue.Long());
                    rc = api_->SetValueEx(k, valuekey_, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n);
                }
                break;
            default:
                rc = ERROR_INVALID_DATA;  // 13
                break;
        }
    }
    if (rc != ERROR_SUCCESS) throw RunTimeError(kErrWriteFailed, description, Source());
}

bool CRegistry::EnumerateNarrow(bool sections, std::vector<std::string>& names, std::int32_t& count) {
    names.clear();
    count = 0;
    RegKey key(*api_);
    const REGSAM access = sections ? kEnumerateSubKeys : kQueryValue;
    if (key.OpenLink(HiveHandle(classkey_), sectionkey_, access | options_.view) != ERROR_SUCCESS) return true;
    for (const std::wstring& name : NamesOf(*api_, key.Get(), sections)) {
        if (auto exact = text::NarrowExact(name)) {
            names.push_back(std::move(*exact));
            ++count;
        } else {
            Refused(KeyPath() + "\\" + text::ForLog(name), "a name outside the code page");
        }
    }
    return true;
}

bool CRegistry::EnumerateValues(std::vector<std::string>& names, std::int32_t& count) {
    return EnumerateNarrow(false, names, count);
}

bool CRegistry::EnumerateSections(std::vector<std::string>& names, std::int32_t& count) {
    try {
        return EnumerateNarrow(true, names, count);
    } catch (const std::exception& e) {
        throw RunTimeError(kErrEnumerate, e.what(), Source());
    }
}

RegValue CRegistry::ValueEx(std::int32_t eKey, const std::string& sSectionKey, const std::string& sValueKey,
                            std::int32_t eValueType, const RegValue& vDefault) {
    classkey_ = eKey;
    sectionkey_ = sSectionKey;
    valuekey_ = sValueKey;
    valueType_ = eValueType;
    default_ = vDefault;
    return Value();
}

void CRegistry::ValueEx(std::int32_t eKey, const std::string& sSectionKey, const std::string& sValueKey,
                        std::int32_t eValueType, const RegValue& vDefault, const RegValue& NewValue) {
    classkey_ = eKey;
    sectionkey_ = sSectionKey;
    valuekey_ = sValueKey;
    valueType_ = eValueType;
    default_ = vDefault;
    if (valueType_ == REG_SZ && NewValue == RegValue(std::string())) {
        Value(default_);
        return;
    }
    Value(NewValue);
}

CRegistry::Shown CRegistry::Shown::Below(const std::wstring& name) const {
    const std::string n = text::ForLog(name);
    return {logged + "\\" + n, shown + "\\" + n};
}

void CRegistry::del_reg_sub(const std::string& inkey) {
    const auto slash = inkey.find('\\');
    const auto hive = HiveFromName(slash == std::string::npos ? inkey : inkey.substr(0, slash));
    if (!hive || slash == std::string::npos) return;
    std::string path = inkey.substr(slash + 1);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    // A hive root (or a path made of backslashes only) is never deleted.
    if (path.find_first_not_of('\\') == std::string::npos) return;
    RemoveTree(*hive, text::Wide(path), {HiveName(*hive) + "\\" + path, inkey.substr(0, slash + 1) + path});
}

bool CRegistry::DeleteTreeW(std::int32_t hive, const std::wstring& key) {
    const std::string path = text::ForLog(key);
    return RemoveTree(hive, key, {HiveName(hive) + "\\" + path, HiveName(hive) + "\\" + path});
}

namespace {

// Every failure inside a recursive delete is passed over and the next step runs.
template <class Step>
void Quietly(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

}  // namespace

bool CRegistry::RemoveTree(std::int32_t hive, const std::wstring& key, const Shown& paths) {
    RegKey parent(*api_);
    HKEY at = nullptr;
    std::wstring last;
    LONG rc = ERROR_SUCCESS;
    Quietly([&] { rc = OpenParent(hive, key, parent, at, last); });
    if (rc == kLinkOnTheWay) Refused(paths.logged, "a registry link on the way");
    if (rc != ERROR_SUCCESS) return false;
    return RemoveSubtree(at, last, paths);
}

bool CRegistry::RemoveSubtree(HKEY parent, const std::wstring& name, const Shown& paths) {
    auto removeSelf = [&] {
        bool gone = false;
        Quietly([&] {
            if (api_->DeleteSubkeyW(parent, name, options_.view) != ERROR_SUCCESS) return;
            gone = true;
            if (options_.deleted) options_.deleted(paths.logged);
            if (options_.showlog) options_.showlog(paths.shown);
        });
        return gone;
    };
    RegKey key(*api_);
    LONG rc = ERROR_OPEN_FAILED;
    Quietly([&] {
        rc = key.OpenW(parent, name, kQueryValue | kEnumerateSubKeys | KEY_SET_VALUE | options_.view,
                       REG_OPTION_OPEN_LINK);
    });
    // A registry link goes as a link: what it points to lies elsewhere and is
    // never walked into, emptied or deleted. A key that cannot be opened is
    // still tried as it is.
    bool link = false;
    if (rc == ERROR_SUCCESS) Quietly([&] { link = IsLinkKey(*api_, key.Get()); });
    if (rc != ERROR_SUCCESS || link) {
        key.Close();
        return removeSelf();
    }
    std::wstring tried;  // the subkey the last pass went into
    for (;;) {
        std::vector<std::wstring> sections, values;
        Quietly([&] { sections = NamesOf(*api_, key.Get(), true); });
        // The subkey the last pass could not delete comes first again: stop
        // there. (Whether it can still be opened tells nothing: a key nobody
        // may read is as stuck as one nobody may delete.)
        if (!sections.empty() && !tried.empty() && sections.front() == tried) return false;
        Quietly([&] { values = NamesOf(*api_, key.Get(), false); });
        for (const auto& value : values) {
            Quietly([&] {
                if (api_->DeleteValueW(key.Get(), value) == ERROR_SUCCESS && options_.deleted)
                    options_.deleted(paths.logged + "\\" + text::ForLog(value));
            });
        }
        if (sections.empty()) break;
        tried = sections.front();
        Quietly([&] { RemoveSubtree(key.Get(), tried, paths.Below(tried)); });
    }
    key.Close();
    return removeSelf();
}

void CRegistry::WriteClassValue(const std::string& key, const std::string& text) {
    struct Restore {
        CRegistry& r;
        std::int32_t classkey;
        std::string sectionkey;
        ~Restore() {
            r.classkey_ = classkey;
            r.sectionkey_ = sectionkey;
        }
    } restore{*this, classkey_, sectionkey_};
    valuekey_.clear();
    valueType_ = REG_SZ;
    classkey_ = kClassesRoot;
    sectionkey_ = key;
    Value(text);
    classkey_ = kLocalMachine;
    sectionkey_ = "SOFTWARE\\Classes\\" + key;
    Value(text);
}

void CRegistry::CreateEXEAssociation(const std::string& path, const std::string& className,
                                     const std::string& description, const std::string& extension,
                                     const std::string& openText, bool withPrint, const std::string& printText,
                                     bool withNew, const std::string& newText, bool withInstall,
                                     const std::string& installText, std::int32_t iconIndex) {
    const std::string exe = Quote(path);
    auto command = [&](const std::string& sw) { return exe + " " + (sw.empty() ? "" : sw + " ") + "\"%1\""; };
    auto orDefault = [](const std::string& text, const std::string& fallback) {
        return text.empty() ? fallback : text;
    };
    const std::string shell = className + "\\shell\\";

    WriteClassValue("." + extension, className);
    WriteClassValue(className, description);
    WriteClassValue(shell + "open", orDefault(openText, "&Open"));
    WriteClassValue(shell + "open\\command", command(""));
    if (withPrint) {
        WriteClassValue(shell + "print", orDefault(printText, "&Print"));
        WriteClassValue(shell + "print\\command", command("/p"));
    }
    if (withInstall) {
        WriteClassValue(shell + "add", orDefault(installText, "&Install " + extension));
        WriteClassValue(shell + "add\\command", command("/a"));
    }
    if (withNew) {
        WriteClassValue(shell + "new", orDefault(newText, "&New"));
        WriteClassValue(shell + "new\\command", command("/n"));
    }
    if (iconIndex > -1) WriteClassValue(className + "\\DefaultIcon", exe + "," + std::to_string(iconIndex));
}

void CRegistry::CreateAdditionalEXEAssociations(const std::string& sClassName, const std::vector<std::string>& vItems) {
    if (vItems.empty() || vItems.size() % 3 != 0)
        throw RunTimeError(kErrAssociationItems,
                           "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected "
                           "Name/Text/Command",
                           Source());
    CRegistry probe(RegistryOptions{.view = options_.view}, *api_);
    probe.classkey(kClassesRoot);
    probe.sectionkey(sClassName);
    if (!probe.KeyExists())
        throw RunTimeError(kErrAssociationNoClass,
                           "Error - attempt to create additional associations before class defined.", Source());
    for (std::size_t i = 0; i < vItems.size(); i += 3) {
        const std::string key = sClassName + "\\shell\\" + vItems[i];
        WriteClassValue(key, vItems[i + 1]);
        WriteClassValue(key + "\\command", vItems[i + 2]);
    }
}

}  // namespace tidvex::registry
