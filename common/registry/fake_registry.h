// An in-memory registry for tests: the registry class runs on it as on the real
// one, and a test can make any single operation fail (or throw) to reach the
// class's failure paths. Key names compare without regard to letter case;
// subkeys and values enumerate in the order they were created.
#pragma once

#include "registry/reg_value.h"
#include "registry/registry_api.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tidvex::registry {

class FakeRegistry final : public RegistryApi {
public:
    enum class Op {
        OpenKeyEx,
        CreateKeyEx,
        QueryValueEx,
        SetValueEx,
        DeleteKey,
        DeleteValue,
        EnumKey,
        EnumValue,
        QueryInfoKey,
        CloseKey,
        ConnectRegistry,
        ExpandEnvironment
    };
    // Asked before every operation with the full path it concerns ("HKEY_CURRENT_USER\A\B",
    // for value operations followed by "\" and the value name); a non-zero result is
    // returned as the operation's error. It may also throw.
    using Injector = std::function<LONG(Op op, const std::string& subject)>;

    FakeRegistry();
    ~FakeRegistry() override;

    void Inject(Injector injector) { injector_ = std::move(injector); }
    // Every later call of op fails with code.
    void Fail(Op op, LONG code);
    void SetEnvironment(const std::string& name, const std::string& value);

    // Set-up and inspection by full path ("HKEY_CURRENT_USER\Software\X").
    void AddKey(const std::string& keyPath);
    void SetRaw(const std::string& keyPath, const std::string& name, DWORD type, const RegBytes& data);
    void SetText(const std::string& keyPath, const std::string& name, const std::string& text, DWORD type = REG_SZ);
    bool HasKey(const std::string& keyPath) const;
    struct Stored {
        DWORD type;
        RegBytes data;
    };
    std::optional<Stored> Get(const std::string& keyPath, const std::string& name) const;
    // Keys opened, created or connected and not yet closed.
    int OpenHandles() const { return static_cast<int>(handles_.size()); }
    int Calls(Op op) const;

    // Knows no registry links: the options are taken and passed over.
    LONG OpenKeyEx(HKEY root, const std::string& subKey, DWORD options, REGSAM access, HKEY* key) override;
    LONG CreateKeyEx(HKEY root, const std::string& subKey, const std::string& keyClass, REGSAM access,
                     HKEY* key) override;
    LONG QueryValueEx(HKEY key, const std::string& name, DWORD* type, BYTE* data, DWORD* size) override;
    LONG SetValueEx(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size) override;
    LONG DeleteKey(HKEY root, const std::string& subKey) override;
    LONG DeleteValue(HKEY key, const std::string& name) override;
    LONG EnumKey(HKEY key, DWORD index, char* name, DWORD size) override;
    LONG EnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength) override;
    LONG QueryInfoKey(HKEY key, DWORD* maxValueNameLength) override;
    LONG CloseKey(HKEY key) override;
    LONG ConnectRegistry(const std::string& machine, HKEY root, HKEY* key) override;
    DWORD ExpandEnvironment(const std::string& source, char* dest, DWORD size) override;

private:
    struct Node;
    using NodePtr = std::shared_ptr<Node>;

    LONG Injected(Op op, const std::string& subject);
    NodePtr NodeOf(HKEY key) const;
    NodePtr Find(const NodePtr& from, const std::string& subKey) const;
    NodePtr FindPath(const std::string& keyPath) const;
    NodePtr MakePath(const NodePtr& from, const std::string& subKey);
    HKEY NewHandle(const NodePtr& node);

    Injector injector_;
    std::map<std::int32_t, NodePtr> hives_;
    std::map<HKEY, NodePtr> handles_;
    std::map<Op, int> calls_;
    std::map<std::string, std::string> env_;
    std::uintptr_t nextHandle_ = 0x1000;
};

}  // namespace tidvex::registry
