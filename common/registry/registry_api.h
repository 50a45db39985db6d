// The registry operations the registry class is built on. The real one calls
// advapi32 and kernel32; tests use FakeRegistry (fake_registry.h) to run the
// class without Windows' registry and to make single operations fail.
#pragma once

#include <windows.h>

#include <string>

namespace tidvex::registry {

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
};

// The machine's registry.
RegistryApi& RealRegistry();

}  // namespace tidvex::registry
