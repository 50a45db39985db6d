// The registry operations the registry class is built on. The real one calls
// advapi32 and kernel32; tests use FakeRegistry (fake_registry.h) to run the
// class without Windows' registry and to make single operations fail.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace tidvex::registry {

// What OpenKeyLinkFree gives when a key on the way is a registry link.
inline constexpr LONG kLinkOnTheWay = ERROR_CANT_RESOLVE_FILENAME;

class RegistryApi {
public:
    virtual ~RegistryApi() = default;

    // Each returns the platform's result code (ERROR_SUCCESS on success).
    // options: 0, or REG_OPTION_OPEN_LINK to open a registry link itself rather
    // than the key it points to.
    virtual LONG OpenKeyEx(HKEY root, const std::string& subKey, DWORD options, REGSAM access, HKEY* key) = 0;
    // options 0, no security attributes.
    virtual LONG CreateKeyEx(HKEY root, const std::string& subKey, const std::string& keyClass, REGSAM access,
                             HKEY* key) = 0;
    // data may be null to learn type and size only.
    virtual LONG QueryValueEx(HKEY key, const std::string& name, DWORD* type, BYTE* data, DWORD* size) = 0;
    virtual LONG SetValueEx(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size) = 0;
    // Deletes a key that has no subkeys. A registry link is deleted itself; the
    // key it points to is never touched.
    virtual LONG DeleteKey(HKEY root, const std::string& subKey) = 0;
    // DeleteKey in a registry view (KEY_WOW64_64KEY, KEY_WOW64_32KEY); 0 is the
    // process's own view. Only the real registry has views.
    virtual LONG DeleteKeyInView(HKEY root, const std::string& subKey, REGSAM view) {
        (void)view;
        return DeleteKey(root, subKey);
    }
    virtual LONG DeleteValue(HKEY key, const std::string& name) = 0;
    // name: a buffer of size characters.
    virtual LONG EnumKey(HKEY key, DWORD index, char* name, DWORD size) = 0;
    // nameLength: in, the buffer's size in characters; out, the name's length.
    virtual LONG EnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength) = 0;
    // The length of the longest value name, in characters.
    virtual LONG QueryInfoKey(HKEY key, DWORD* maxValueNameLength) = 0;
    virtual LONG CloseKey(HKEY key) = 0;
    virtual LONG ConnectRegistry(const std::string& machine, HKEY root, HKEY* key) = 0;
    // As ExpandEnvironmentStringsA: the size needed (with the NUL), 0 on failure.
    virtual DWORD ExpandEnvironment(const std::string& source, char* dest, DWORD size) = 0;

    // The same through the wide calls: names and text exactly as the registry
    // keeps them. The defaults serve a registry that holds code-page names only
    // (FakeRegistry): they go through the calls above, text data converted, and
    // a name the code page cannot hold is found nowhere (ERROR_FILE_NOT_FOUND).
    virtual LONG OpenKeyExW(HKEY root, const std::wstring& subKey, DWORD options, REGSAM access, HKEY* key);
    // Text types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) as UTF-16; sizes in bytes.
    virtual LONG QueryValueExW(HKEY key, const std::wstring& name, DWORD* type, BYTE* data, DWORD* size);
    virtual LONG SetValueExW(HKEY key, const std::wstring& name, DWORD type, const BYTE* data, DWORD size);
    virtual LONG DeleteValueW(HKEY key, const std::wstring& name);
    // Deletes the subkey `name` (no subkeys of its own) of the opened key
    // `parent`, opened as itself: a registry link goes, never its target.
    virtual LONG DeleteSubkeyW(HKEY parent, const std::wstring& name, REGSAM view);
    // The name at `index`.
    virtual LONG EnumKeyW(HKEY key, DWORD index, std::wstring& name);
    virtual LONG EnumValueW(HKEY key, DWORD index, std::wstring& name);
    // The text with its environment variables expanded; nothing on failure.
    virtual std::optional<std::wstring> ExpandEnvironmentW(const std::wstring& source);
};

// The machine's registry.
RegistryApi& RealRegistry();

}  // namespace tidvex::registry
