#include "registry/fake_registry.h"

#include "registry/registry.h"
#include "text/text.h"

#include <algorithm>
#include <cstring>

namespace tidvex::registry {

using text::Upper;

struct FakeRegistry::Node {
    std::string name;
    std::string path;  // full path, hive name first
    std::weak_ptr<Node> parent;
    std::vector<NodePtr> children;
    std::vector<std::pair<std::string, Stored>> values;
    bool deleted = false;

    NodePtr Child(const std::string& upperName) const {
        for (const auto& c : children)
            if (Upper(c->name) == upperName) return c;
        return nullptr;
    }
    std::pair<std::string, Stored>* Value(const std::string& valueName) {
        for (auto& v : values)
            if (text::EqualsNoCase(v.first, valueName)) return &v;
        return nullptr;
    }
};

namespace {

std::vector<std::string> Split(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (c == '\\') {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

}  // namespace

FakeRegistry::FakeRegistry() {
    for (std::int32_t hive : {kClassesRoot, kCurrentUser, kLocalMachine, kUsers}) {
        auto node = std::make_shared<Node>();
        node->name = node->path = HiveName(hive);
        hives_[hive] = node;
    }
}

FakeRegistry::~FakeRegistry() = default;

void FakeRegistry::SetEnvironment(const std::string& name, const std::string& value) { env_[Upper(name)] = value; }

void FakeRegistry::Fail(Op op, LONG code) {
    Inject([op, code](Op o, const std::string&) { return o == op ? code : ERROR_SUCCESS; });
}

int FakeRegistry::Calls(Op op) const {
    auto it = calls_.find(op);
    return it == calls_.end() ? 0 : it->second;
}

LONG FakeRegistry::Injected(Op op, const std::string& subject) {
    ++calls_[op];
    return injector_ ? injector_(op, subject) : ERROR_SUCCESS;
}

FakeRegistry::NodePtr FakeRegistry::NodeOf(HKEY key) const {
    if (auto it = handles_.find(key); it != handles_.end()) return it->second->deleted ? nullptr : it->second;
    for (const auto& [hive, node] : hives_)
        if (HiveHandle(hive) == key) return node;
    return nullptr;
}

FakeRegistry::NodePtr FakeRegistry::Find(const NodePtr& from, const std::string& subKey) const {
    NodePtr node = from;
    for (const auto& part : Split(subKey)) {
        if (!node) break;
        node = node->Child(Upper(part));
    }
    return node;
}

FakeRegistry::NodePtr FakeRegistry::FindPath(const std::string& keyPath) const {
    auto parts = Split(keyPath);
    if (parts.empty()) return nullptr;
    auto hive = HiveFromName(parts.front());
    if (!hive) return nullptr;
    return Find(hives_.at(*hive), keyPath.substr(std::min(keyPath.size(), parts.front().size() + 1)));
}

FakeRegistry::NodePtr FakeRegistry::MakePath(const NodePtr& from, const std::string& subKey) {
    NodePtr node = from;
    for (const auto& part : Split(subKey)) {
        NodePtr child = node->Child(Upper(part));
        if (!child) {
            child = std::make_shared<Node>();
            child->name = part;
            child->path = node->path + "\\" + part;
            child->parent = node;
            node->children.push_back(child);
        }
        node = child;
    }
    return node;
}

HKEY FakeRegistry::NewHandle(const NodePtr& node) {
    HKEY h = reinterpret_cast<HKEY>(nextHandle_);
    nextHandle_ += 4;
    handles_[h] = node;
    return h;
}

void FakeRegistry::AddKey(const std::string& keyPath) {
    auto parts = Split(keyPath);
    auto hive = parts.empty() ? std::nullopt : HiveFromName(parts.front());
    if (!hive) return;
    MakePath(hives_.at(*hive), keyPath.substr(std::min(keyPath.size(), parts.front().size() + 1)));
}

void FakeRegistry::SetRaw(const std::string& keyPath, const std::string& name, DWORD type, const RegBytes& data) {
    AddKey(keyPath);
    NodePtr node = FindPath(keyPath);
    if (!node) return;
    if (auto v = node->Value(name))
        v->second = {type, data};
    else
        node->values.push_back({name, {type, data}});
}

void FakeRegistry::SetText(const std::string& keyPath, const std::string& name, const std::string& text, DWORD type) {
    RegBytes data(text.begin(), text.end());
    data.push_back(0);
    SetRaw(keyPath, name, type, data);
}

bool FakeRegistry::HasKey(const std::string& keyPath) const { return FindPath(keyPath) != nullptr; }

std::optional<FakeRegistry::Stored> FakeRegistry::Get(const std::string& keyPath, const std::string& name) const {
    NodePtr node = FindPath(keyPath);
    if (!node) return std::nullopt;
    if (auto v = node->Value(name)) return v->second;
    return std::nullopt;
}

LONG FakeRegistry::OpenKeyEx(HKEY root, const std::string& subKey, DWORD, REGSAM, HKEY* key) {
    NodePtr base = NodeOf(root);
    if (LONG rc = Injected(Op::OpenKeyEx, (base ? base->path : "") + "\\" + subKey)) return rc;
    if (!base) return ERROR_INVALID_HANDLE;
    NodePtr node = Find(base, subKey);
    if (!node) return ERROR_FILE_NOT_FOUND;
    *key = NewHandle(node);
    return ERROR_SUCCESS;
}

LONG FakeRegistry::CreateKeyEx(HKEY root, const std::string& subKey, const std::string&, REGSAM, HKEY* key) {
    NodePtr base = NodeOf(root);
    if (LONG rc = Injected(Op::CreateKeyEx, (base ? base->path : "") + "\\" + subKey)) return rc;
    if (!base) return ERROR_INVALID_HANDLE;
    *key = NewHandle(MakePath(base, subKey));
    return ERROR_SUCCESS;
}

LONG FakeRegistry::QueryValueEx(HKEY key, const std::string& name, DWORD* type, BYTE* data, DWORD* size) {
    NodePtr node = NodeOf(key);
    if (LONG rc = Injected(Op::QueryValueEx, (node ? node->path : "") + "\\" + name)) return rc;
    if (!node) return ERROR_INVALID_HANDLE;
    auto v = node->Value(name);
    if (!v) return ERROR_FILE_NOT_FOUND;
    const Stored& s = v->second;
    if (type) *type = s.type;
    const DWORD needed = static_cast<DWORD>(s.data.size());
    if (!data) {
        *size = needed;
        return ERROR_SUCCESS;
    }
    if (*size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, s.data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG FakeRegistry::SetValueEx(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size) {
    NodePtr node = NodeOf(key);
    if (LONG rc = Injected(Op::SetValueEx, (node ? node->path : "") + "\\" + name)) return rc;
    if (!node) return ERROR_INVALID_HANDLE;
    RegBytes bytes(data, data + size);
    if (auto v = node->Value(name))
        v->second = {type, bytes};
    else
        node->values.push_back({name, {type, bytes}});
    return ERROR_SUCCESS;
}

LONG FakeRegistry::DeleteKey(HKEY root, const std::string& subKey) {
    NodePtr base = NodeOf(root);
    if (LONG rc = Injected(Op::DeleteKey, (base ? base->path : "") + "\\" + subKey)) return rc;
    if (!base) return ERROR_INVALID_HANDLE;
    NodePtr node = Find(base, subKey);
    if (!node) return ERROR_FILE_NOT_FOUND;
    NodePtr parent = node->parent.lock();
    if (!parent || !node->children.empty()) return ERROR_ACCESS_DENIED;
    node->deleted = true;
    std::erase(parent->children, node);
    return ERROR_SUCCESS;
}

LONG FakeRegistry::DeleteValue(HKEY key, const std::string& name) {
    NodePtr node = NodeOf(key);
    if (LONG rc = Injected(Op::DeleteValue, (node ? node->path : "") + "\\" + name)) return rc;
    if (!node) return ERROR_INVALID_HANDLE;
    auto it = std::find_if(node->values.begin(), node->values.end(),
                           [&](const auto& v) { return text::EqualsNoCase(v.first, name); });
    if (it == node->values.end()) return ERROR_FILE_NOT_FOUND;
    node->values.erase(it);
    return ERROR_SUCCESS;
}

LONG FakeRegistry::EnumKey(HKEY key, DWORD index, char* name, DWORD size) {
    NodePtr node = NodeOf(key);
    if (LONG rc = Injected(Op::EnumKey, node ? node->path : "")) return rc;
    if (!node) return ERROR_INVALID_HANDLE;
    if (index >= node->children.size()) return ERROR_NO_MORE_ITEMS;
    const std::string& n = node->children[index]->name;
    if (n.size() + 1 > size) return ERROR_MORE_DATA;
    std::memcpy(name, n.c_str(), n.size() + 1);
    return ERROR_SUCCESS;
}

LONG FakeRegistry::EnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength) {
    NodePtr node = NodeOf(key);
    if (LONG rc = Injected(Op::EnumValue, node ? node->path : "")) return rc;
    if (!node) return ERROR_INVALID_HANDLE;
    if (index >= node->values.size()) return ERROR_NO_MORE_ITEMS;
    const std::string& n = node->values[index].first;
    if (n.size() + 1 > *nameLength) return ERROR_MORE_DATA;
    std::memcpy(name, n.c_str(), n.size() + 1);
    *nameLength = static_cast<DWORD>(n.size());
    return ERROR_SUCCESS;
}

LONG FakeRegistry::QueryInfoKey(HKEY key, DWORD* maxValueNameLength) {
    NodePtr node = NodeOf(key);
    if (LONG rc = Injected(Op::QueryInfoKey, node ? node->path : "")) return rc;
    if (!node) return ERROR_INVALID_HANDLE;
    DWORD longest = 0;
    for (const auto& v : node->values) longest = std::max(longest, static_cast<DWORD>(v.first.size()));
    *maxValueNameLength = longest;
    return ERROR_SUCCESS;
}

LONG FakeRegistry::CloseKey(HKEY key) {
    if (LONG rc = Injected(Op::CloseKey, "")) return rc;
    if (handles_.erase(key)) return ERROR_SUCCESS;
    for (const auto& [hive, node] : hives_)
        if (HiveHandle(hive) == key) return ERROR_SUCCESS;
    return ERROR_INVALID_HANDLE;
}

LONG FakeRegistry::ConnectRegistry(const std::string& machine, HKEY root, HKEY* key) {
    NodePtr base = NodeOf(root);
    if (LONG rc = Injected(Op::ConnectRegistry, machine)) return rc;
    if (!base) return ERROR_INVALID_HANDLE;
    *key = NewHandle(base);
    return ERROR_SUCCESS;
}

DWORD FakeRegistry::ExpandEnvironment(const std::string& source, char* dest, DWORD size) {
    if (Injected(Op::ExpandEnvironment, source)) return 0;
    std::string out;
    for (std::size_t i = 0; i < source.size();) {
        auto close = source[i] == '%' ? source.find('%', i + 1) : std::string::npos;
        auto it = close == std::string::npos ? env_.end() : env_.find(Upper(source.substr(i + 1, close - i - 1)));
        if (it != env_.end()) {
            out += it->second;
            i = close + 1;
        } else {
            out += source[i++];
        }
    }
    const DWORD needed = static_cast<DWORD>(out.size() + 1);
    if (dest && size >= needed) std::memcpy(dest, out.c_str(), needed);
    return needed;
}

}  // namespace tidvex::registry
