// An open registry key that owns itself: it is closed, through the RegistryApi
// that opened it, when the object ends or opens another key.
#pragma once

#include "registry/registry_api.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tidvex::registry {

class RegKey {
public:
    explicit RegKey(RegistryApi& api = RealRegistry()) : api_(&api) {}
    ~RegKey() { Close(); }
    RegKey(RegKey&& other) noexcept : api_(other.api_), key_(std::exchange(other.key_, nullptr)) {}
    RegKey& operator=(RegKey&& other) noexcept {
        if (this != &other) {
            Close();
            api_ = other.api_;
            key_ = std::exchange(other.key_, nullptr);
        }
        return *this;
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Each closes the key held before and returns the platform's result code.
    LONG Open(HKEY root, const std::string& subKey, REGSAM access, DWORD options = 0) {
        Close();
        return api_->OpenKeyEx(root, subKey, options, access, &key_);
    }
    // The same for a name outside the code page.
    LONG OpenW(HKEY root, const std::wstring& subKey, REGSAM access, DWORD options = 0) {
        Close();
        return api_->OpenKeyExW(root, subKey, options, access, &key_);
    }
    // Opens the key itself when it is a registry link, not the key it points to.
    LONG OpenLink(HKEY root, const std::string& subKey, REGSAM access) {
        return Open(root, subKey, access, REG_OPTION_OPEN_LINK);
    }
    LONG Create(HKEY root, const std::string& subKey, REGSAM access, const std::string& keyClass = "") {
        Close();
        return api_->CreateKeyEx(root, subKey, keyClass, access, &key_);
    }
    LONG Connect(const std::string& machine, HKEY root) {
        Close();
        return api_->ConnectRegistry(machine, root, &key_);
    }

    HKEY Get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    // For a call that opens a key into an out parameter: closes what is held.
    HKEY* Put() {
        Close();
        return &key_;
    }
    void Close() {
        if (key_) api_->CloseKey(std::exchange(key_, nullptr));
    }

private:
    RegistryApi* api_;
    HKEY key_ = nullptr;
};

// Whether an opened key is a registry link (opened as itself).
bool IsLinkKey(RegistryApi& api, HKEY key);

// The names of a key path ("A\B\C"), empty names left out.
std::vector<std::wstring> KeyNames(std::wstring_view path);

// Opens root\path one name at a time, each key as itself, so that no registry
// link on the way is followed: a link anywhere on the path, the last key
// included, gives kLinkOnTheWay. The last key is opened with `access` (with
// `view` added to every open); `key` holds it. An empty path opens nothing
// (ERROR_INVALID_PARAMETER).
LONG OpenKeyLinkFree(RegistryApi& api, HKEY root, std::wstring_view path, REGSAM access, REGSAM view, RegKey& key);

}  // namespace tidvex::registry
