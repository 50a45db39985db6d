// CRegistry: the one registry class of Tidvex, Velmora and Quenza.
//
// A caller sets the target as properties (classkey = hive, sectionkey = key path
// below it, valuekey = value name, ValueType, Default) and then calls one
// operation; one object serves many operations. Every key an operation opens is
// closed before it returns. Reads never fail on a missing key or value: Value()
// gives Default(), KeyExists() false, the enumerations an empty list. CreateKey()
// and Value(v) throw RunTimeError; DeleteKey()/DeleteValue() return false and
// record the error in LastError(); del_reg_sub() is silent.
//
// Registry links (keys that open as another key) are never walked through:
// the enumerations list a link's own content (no subkeys), and DeleteKey and
// del_reg_sub delete a link, never the key it points to. Every delete opens
// each key from the hive down as itself: a link above the key (or, for a
// value, the key itself being a link) refuses the delete, which is reported
// through the `refused` option and, for DeleteKey/DeleteValue, LastError().
// Reads and writes of values follow a link as the platform does.
//
// The narrow interface (sectionkey, valuekey, EnumerateValues, ...) is text
// in the code page. The enumerations read the names through the wide calls and
// list only those the code page holds exactly; a name it cannot hold is left
// out and reported through `refused`, never listed as a look-alike. The
// members ending in W take and give names exactly as the registry keeps them,
// for callers that act on what they read.
//
// The three deliverables differ only in small options, never in copies:
//
//   * The program (app/services/registry.h) fills RegistryOptions::isSafeKey, so
//     DeleteKey(true)/DeleteValue(true) leave keys on the user's safe list alone.
//
//   * Velmora uses CleanerRegistry and gives it two hooks: `deleted` writes the
//     daily-log line (message "msg15" and the path) after each successful key or
//     value delete, `showlog` raises the class's Showlog event (after DeleteKey's
//     log line, and from del_reg_sub with the path it removed):
//
//         tidvex::registry::CleanerRegistry reg({
//             .deleted = [](const std::string& path) { AddToLog(GetMessageText("msg15") + " ", path); },
//             .showlog = [this](const std::string& path) { reg_Showlog(path); }});
//
//     Its DeleteKey()/DeleteValue() take no argument and check nothing. An
//     exception thrown by a hook reaches the caller of DeleteKey/DeleteValue
//     (del_reg_sub swallows everything).
//
//   * Quenza uses OptimizerRegistry: no association members, no del_reg_sub,
//     DeleteKey()/DeleteValue() without argument, check or log.
//
// Errors carry the source "<file name of the module that holds the class>.cRegistry",
// found at run time ("Tidvex.cRegistry", "Velmora.cRegistry", "Quenza.cRegistry").
// Every object talks to the machine's registry unless given another RegistryApi
// (tests pass a FakeRegistry, see fake_registry.h).
#pragma once

#include "errors/run_time_error.h"
#include "registry/reg_value.h"
#include "registry/registry_api.h"
#include "registry/wide_values.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tidvex::registry {

class RegKey;

// Hive values as classkey holds them (the platform's predefined handles).
inline constexpr std::int32_t kClassesRoot = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::int32_t kCurrentUser = static_cast<std::int32_t>(0x80000001u);
inline constexpr std::int32_t kLocalMachine = static_cast<std::int32_t>(0x80000002u);
inline constexpr std::int32_t kUsers = static_cast<std::int32_t>(0x80000003u);

// Error numbers.
inline constexpr std::int32_t kErrRegistry = 26001;
inline constexpr std::int32_t kErrWriteFailed = static_cast<std::int32_t>(0x800469A9u);
inline constexpr std::int32_t kErrEnumerate = static_cast<std::int32_t>(0x800469AAu);
inline constexpr std::int32_t kErrAssociationItems = static_cast<std::int32_t>(0x800469ACu);
inline constexpr std::int32_t kErrAssociationNoClass = static_cast<std::int32_t>(0x800469ADu);

// "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS";
// the empty text for any other value.
std::string HiveName(std::int32_t classkey);
// The hive of one of those four names (letter case ignored), or nothing.
std::optional<std::int32_t> HiveFromName(const std::string& name);
// The platform handle of a classkey value.
HKEY HiveHandle(std::int32_t classkey);
// "<module file name without extension>" of the module holding this code.
const std::string& ModuleName();

struct RegistryOptions {
    // The program's safe-list check: true when the key text ("HKEY_...\<path>")
    // is protected. Asked by DeleteKey(true) and DeleteValue(true).
    std::function<bool(const std::string& keyText)> isSafeKey{};
    // After each successful DeleteKey/DeleteValue, with the full path deleted:
    // hive name, "\", key path and, for a value, "\" and the value name.
    std::function<void(const std::string& deletedPath)> deleted{};
    // Showlog: after DeleteKey succeeded (hive name, "\", key path), and from
    // del_reg_sub with the path it deleted.
    std::function<void(const std::string& keyPath)> showlog{};
    // Added to the access mask of every key the object opens or creates: a
    // registry view such as KEY_WOW64_64KEY, or 0 for the process's own view.
    REGSAM view = 0;
    // A step the object refused, with the path concerned and why: a delete
    // with a registry link on its way, a name the code page cannot hold.
    std::function<void(const std::string& path, const std::string& why)> refused{};
};

class CRegistry {
public:
    explicit CRegistry(RegistryOptions options = {}, RegistryApi& api = RealRegistry());

    // Remote computer: names shorter than 3 characters are stored as the empty
    // text, others get "\\" in front unless they already start with it.
    const std::string& Machine() const { return machine_; }
    void Machine(const std::string& sMachine);

    bool KeyExists();
    // Whether sectionkey names a registry link (a key that opens as another).
    bool IsLink();
    bool CreateKey();
    bool DeleteKey(bool bCheckSafeList = false);
    bool DeleteValue(bool bCheckSafeList = false);

    RegValue Value();
    void Value(const RegValue& vValue);

    // names[0] is the first name (the count-th name is names[count - 1]).
    bool EnumerateValues(std::vector<std::string>& names, std::int32_t& count);
    bool EnumerateSections(std::vector<std::string>& names, std::int32_t& count);

    void CreateEXEAssociation(const std::string& path, const std::string& className, const std::string& description,
                              const std::string& extension, const std::string& openText = "", bool withPrint = false,
                              const std::string& printText = "", bool withNew = false, const std::string& newText = "",
                              bool withInstall = false, const std::string& installText = "",
                              std::int32_t iconIndex = -1);
    // vItems: Name, Text, Command triples.
    void CreateAdditionalEXEAssociations(const std::string& sClassName, const std::vector<std::string>& vItems);

    std::int32_t ValueType() const { return valueType_; }
    void ValueType(std::int32_t eValueType) { valueType_ = eValueType; }
    std::int32_t classkey() const { return classkey_; }
    void classkey(std::int32_t eKey) { classkey_ = eKey; }
    const std::string& sectionkey() const { return sectionkey_; }
    void sectionkey(const std::string& sSectionKey) { sectionkey_ = sSectionKey; }
    const std::string& valuekey() const { return valuekey_; }
    void valuekey(const std::string& sValueKey) { valuekey_ = sValueKey; }

    RegValue ValueEx(std::int32_t eKey, const std::string& sSectionKey, const std::string& sValueKey,
                     std::int32_t eValueType, const RegValue& vDefault);
    void ValueEx(std::int32_t eKey, const std::string& sSectionKey, const std::string& sValueKey,
                 std::int32_t eValueType, const RegValue& vDefault, const RegValue& NewValue);

    const RegValue& Default() const { return default_; }
    void Default(const RegValue& vDefault) { default_ = vDefault; }

    // Deletes a full path ("HKEY_CURRENT_USER\Software\X") with everything below
    // it. Refuses anything but one of the four hive names followed by a key path.
    void del_reg_sub(const std::string& inkey);

    // ---- Names and text exactly as the registry keeps them ----
    // Each names its hive and key; the properties above stay as they are.
    // The subkeys and the values of a key (a link lists its own content).
    std::vector<std::wstring> SectionsW(std::int32_t hive, const std::wstring& key);
    std::vector<std::wstring> ValuesW(std::int32_t hive, const std::wstring& key);
    // The value as stored; nothing when it is missing or cannot be read whole.
    std::optional<RawValue> RawW(std::int32_t hive, const std::wstring& key, const std::wstring& name);
    // The text of a REG_SZ, REG_EXPAND_SZ (expanded) or REG_MULTI_SZ value up
    // to its first NUL; nothing when the value is missing, holds no text, or
    // its variables cannot be expanded.
    std::optional<std::wstring> TextW(std::int32_t hive, const std::wstring& key, const std::wstring& name);
    // Writes a REG_SZ value into a key that exists, every key on the way
    // opened as itself; false when the key is missing, or a link lies on the
    // way, or the write fails.
    bool SetTextW(std::int32_t hive, const std::wstring& key, const std::wstring& name, const std::wstring& text);
    // DeleteKey(false), DeleteValue(false) and del_reg_sub of exactly the
    // names given; DeleteTreeW tells whether the key itself went.
    bool DeleteKeyW(std::int32_t hive, const std::wstring& key);
    bool DeleteValueW(std::int32_t hive, const std::wstring& key, const std::wstring& name);
    bool DeleteTreeW(std::int32_t hive, const std::wstring& key);

    // What the last DeleteKey/DeleteValue recorded; nothing after a success.
    const std::optional<RunTimeError>& LastError() const { return lastError_; }
    // "<module name>.cRegistry"
    static std::string Source();

private:
    // How a delete names what it removes: in the hooks (hive name first) and
    // in the Showlog of del_reg_sub (the hive word as the caller spelled it).
    struct Shown {
        std::string logged, shown;
        Shown Below(const std::wstring& name) const;
    };
    bool RemoveKey(std::int32_t hive, const std::wstring& key, const std::string& keyText);
    bool RemoveValue(std::int32_t hive, const std::wstring& key, const std::wstring& name, const std::string& keyText);
    bool RemoveTree(std::int32_t hive, const std::wstring& key, const Shown& paths);
    // Deletes the subkey `name` of the opened key `parent` with everything
    // below it; true when it went.
    bool RemoveSubtree(HKEY parent, const std::wstring& name, const Shown& paths);
    // The opened parent of `key` (the hive itself for a key right below it),
    // every key opened as itself; `last` gets the key's own name.
    LONG OpenParent(std::int32_t hive, const std::wstring& key, RegKey& parent, HKEY& at, std::wstring& last);
    void Refused(const std::string& path, const std::string& why);
    // The code-page names of a key's subkeys or values; the others are reported.
    bool EnumerateNarrow(bool sections, std::vector<std::string>& names, std::int32_t& count);
    bool OnSafeList() const;
    std::string KeyPath() const;  // hive name, "\", sectionkey
    void Record(const std::string& description);
    // Root to work under: the hive, or the connected remote hive, which remote then holds.
    bool ConnectRoot(HKEY& root, RegKey& remote);
    RegValue ReadOpened(HKEY key);
    void WriteClassValue(const std::string& key, const std::string& text);

    RegistryApi* api_;
    RegistryOptions options_;
    std::string machine_;
    std::int32_t classkey_ = 0;
    std::string sectionkey_;
    std::string valuekey_;
    std::int32_t valueType_ = 0;
    RegValue default_;
    std::optional<RunTimeError> lastError_;
};

struct CleanerHooks {
    std::function<void(const std::string& deletedPath)> deleted{};
    std::function<void(const std::string& keyPath)> showlog{};
    // Added to the access mask of every key the object opens or creates: a
    // registry view such as KEY_WOW64_64KEY, or 0 for the process's own view.
    REGSAM view = 0;
    std::function<void(const std::string& path, const std::string& why)> refused{};
};

// What the two library copies share: the libraries' member spellings
// (ClassKey, SectionKey, ValueKey) and deletes without argument or check.
class LibraryRegistry : public CRegistry {
public:
    using CRegistry::CRegistry;

    bool DeleteKey() { return CRegistry::DeleteKey(false); }
    bool DeleteValue() { return CRegistry::DeleteValue(false); }
    std::int32_t ClassKey() const { return classkey(); }
    void ClassKey(std::int32_t eKey) { classkey(eKey); }
    const std::string& SectionKey() const { return sectionkey(); }
    void SectionKey(const std::string& s) { sectionkey(s); }
    const std::string& ValueKey() const { return valuekey(); }
    void ValueKey(const std::string& s) { valuekey(s); }
};

// Velmora's copy (hooks as in the header comment), which also spells Value
// in lower case.
class CleanerRegistry : public LibraryRegistry {
public:
    explicit CleanerRegistry(CleanerHooks hooks = {}, RegistryApi& api = RealRegistry())
        : LibraryRegistry(RegistryOptions{{}, std::move(hooks.deleted), std::move(hooks.showlog), hooks.view,
                                          std::move(hooks.refused)},
                          api) {}

    RegValue value() { return Value(); }
    void value(const RegValue& v) { Value(v); }
};

// Quenza's reduced copy: no association members, no del_reg_sub, deletes
// without argument, check or log. It works in the 64-bit view of the registry,
// where Quenza's tweaks live also for the 32-bit library on 64-bit Windows.
class OptimizerRegistry : private LibraryRegistry {
public:
    explicit OptimizerRegistry(RegistryApi& api = RealRegistry())
        : LibraryRegistry(RegistryOptions{.view = KEY_WOW64_64KEY}, api) {}

    using LibraryRegistry::ClassKey;
    using LibraryRegistry::CreateKey;
    using LibraryRegistry::Default;
    using LibraryRegistry::DeleteKey;
    using LibraryRegistry::DeleteValue;
    using LibraryRegistry::EnumerateSections;
    using LibraryRegistry::EnumerateValues;
    using LibraryRegistry::KeyExists;
    using LibraryRegistry::LastError;
    using LibraryRegistry::Machine;
    using LibraryRegistry::SectionKey;
    using LibraryRegistry::Value;
    using LibraryRegistry::ValueEx;
    using LibraryRegistry::ValueKey;
    using LibraryRegistry::ValueType;
};

}  // namespace tidvex::registry
