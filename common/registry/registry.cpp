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
        char path[MAX_PATH] = {};
        GetModuleFileNameA(self, path, MAX_PATH);
        std::string n = path;
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
    if (k.OpenLink(HiveHandle(classkey_), sectionkey_, kQueryValue | options_.view) != ERROR_SUCCESS) return false;
    DWORD type = REG_NONE, size = 0;
    return api_->QueryValueEx(k.Get(), "SymbolicLinkValue", &type, nullptr, &size) == ERROR_SUCCESS &&
           type == REG_LINK;
}

bool CRegistry::CreateKey() {
    RegKey k(*api_);
    if (k.Create(HiveHandle(classkey_), sectionkey_, kReadWrite | options_.view) != ERROR_SUCCESS)
        throw RunTimeError(kErrRegistry, "Failed to create registry Key: '" + sectionkey_, Source());
    return true;
}

bool CRegistry::DeleteKey(bool bCheckSafeList) {
    lastError_.reset();
    if (bCheckSafeList && OnSafeList()) return true;
    if (api_->DeleteKeyInView(HiveHandle(classkey_), sectionkey_, options_.view) != ERROR_SUCCESS) {
        Record("Failed to delete registry Key: '" + std::to_string(classkey_) + "',Section: '" + sectionkey_);
        return false;
    }
    if (options_.deleted) options_.deleted(KeyPath());
    if (options_.showlog) options_.showlog(KeyPath());
    return true;
}

bool CRegistry::DeleteValue(bool bCheckSafeList) {
    lastError_.reset();
    if (bCheckSafeList && OnSafeList()) return true;
    // A key that is a registry link is opened as the link: a value is never
    // deleted in the key the link points to.
    RegKey k(*api_);
    if (k.OpenLink(HiveHandle(classkey_), sectionkey_, kReadWrite | options_.view) != ERROR_SUCCESS) {
        Record("Failed to open key '" + std::to_string(classkey_) + "',Section: '" + sectionkey_ +
               "' for delete access");
        return false;
    }
    LONG rc = api_->DeleteValue(k.Get(), valuekey_);
    k.Close();
    if (rc != ERROR_SUCCESS) {
        Record("Failed to delete registry Key: '" + std::to_string(classkey_) + "',Section: '" + sectionkey_ +
               "',Key: '" + valuekey_);
        return false;
    }
    if (options_.deleted) options_.deleted(KeyPath() + "\\" + valuekey_);
    return true;
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
    DWORD type = 0, size = 0;
    LONG rc = api_->QueryValueEx(key, valuekey_, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return default_;
    valueType_ = static_cast<std::int32_t>(type);

    RegBytes data(size);
    DWORD got = size;
    if (size > 0 && api_->QueryValueEx(key, valuekey_, &type, data.data(), &got) != ERROR_SUCCESS) return default_;
    data.resize(std::min(got, size));

    switch (type) {
        case REG_SZ:
        case REG_MULTI_SZ:
        case REG_EXPAND_SZ: {
            // The terminating NUL is not part of the text; a multi-string keeps its separators.
            std::string text(data.begin(), data.end());
            if (!text.empty() && text.back() == '\0') text.pop_back();
            if (type != REG_EXPAND_SZ) return text;
            DWORD needed = api_->ExpandEnvironment(text, nullptr, 0);
            if (needed == 0) return text;
            std::string expanded(needed, '\0');
            api_->ExpandEnvironment(text, expanded.data(), needed);
            expanded.resize(needed - 1);
            if (auto nul = expanded.find('\0'); nul != std::string::npos) expanded.resize(nul);
            return expanded;
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

bool CRegistry::EnumerateValues(std::vector<std::string>& names, std::int32_t& count) {
    names.clear();
    count = 0;
    RegKey key(*api_);
    if (key.OpenLink(HiveHandle(classkey_), sectionkey_, kQueryValue | options_.view) != ERROR_SUCCESS) return true;
    const HKEY k = key.Get();
    DWORD longest = 0;
    if (api_->QueryInfoKey(k, &longest) != ERROR_SUCCESS) longest = 0;
    std::string buffer(std::max<DWORD>(longest + 1, 1), '\0');
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(buffer.size());
        if (api_->EnumValue(k, index, buffer.data(), &length) != ERROR_SUCCESS) break;
        names.emplace_back(buffer.data(), std::min<DWORD>(length, static_cast<DWORD>(buffer.size())));
        ++count;
    }
    return true;
}

bool CRegistry::EnumerateSections(std::vector<std::string>& names, std::int32_t& count) {
    names.clear();
    count = 0;
    RegKey key(*api_);
    if (key.OpenLink(HiveHandle(classkey_), sectionkey_, kEnumerateSubKeys | options_.view) != ERROR_SUCCESS)
        return true;
    const HKEY k = key.Get();
    try {
        char buffer[255];
        for (DWORD index = 0;; ++index) {
            std::memset(buffer, 0, sizeof buffer);
            if (api_->EnumKey(k, index, buffer, sizeof buffer) != ERROR_SUCCESS) break;
            names.emplace_back(buffer, strnlen(buffer, sizeof buffer));
            ++count;
        }
    } catch (const std::exception& e) {
        throw RunTimeError(kErrEnumerate, e.what(), Source());
    }
    return true;
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

void CRegistry::del_reg_sub(const std::string& inkey) {
    const auto slash = inkey.find('\\');
    const auto hive = HiveFromName(slash == std::string::npos ? inkey : inkey.substr(0, slash));
    if (!hive || slash == std::string::npos) return;
    std::string path = inkey.substr(slash + 1);
    while (!path.empty() && path.back() == '\\') path.pop_back();
    // A hive root (or a path made of backslashes only) is never deleted.
    if (path.find_first_not_of('\\') == std::string::npos) return;
    const std::string full = inkey.substr(0, slash + 1) + path;

    // Every failure inside is passed over and the next step runs.
    auto quietly = [](auto&& step) {
        try {
            step();
        } catch (...) {
        }
    };
    CRegistry inner(RegistryOptions{{}, options_.deleted, {}, options_.view}, *api_);
    inner.classkey(*hive);
    inner.sectionkey(path);
    // A registry link goes as a link: what it points to lies elsewhere and is
    // never walked into, emptied or deleted.
    if (inner.IsLink()) {
        quietly([&] {
            if (inner.DeleteKey() && options_.showlog) options_.showlog(full);
        });
        return;
    }
    std::string tried;  // the subkey the last pass went into
    for (;;) {
        std::vector<std::string> sections, values;
        std::int32_t sectionCount = 0, valueCount = 0;
        quietly([&] { inner.EnumerateSections(sections, sectionCount); });
        // The subkey the last pass could not delete comes first again: stop
        // there. (Whether it can still be opened tells nothing: a key nobody
        // may read is as stuck as one nobody may delete.)
        if (!sections.empty() && !tried.empty() && sections.front() == tried) return;
        quietly([&] { inner.EnumerateValues(values, valueCount); });
        for (const auto& name : values) {
            inner.valuekey(name);
            quietly([&] { inner.DeleteValue(); });
        }
        if (sections.empty()) {
            quietly([&] {
                if (inner.DeleteKey() && options_.showlog) options_.showlog(full);
            });
            return;
        }
        tried = sections.front();
        quietly([&] { del_reg_sub(full + "\\" + tried); });
    }
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
