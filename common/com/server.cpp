#include "server.h"

#include "registry/reg_key.h"
#include "registry/registry.h"
#include "text/text.h"

namespace tidvex::com {

namespace {

// Creates HKEY_CLASSES_ROOT\<path> and, when value is given, writes it as the
// text value valueName (nullptr: the default value). Texts are written wide, so
// that a module path keeps every character.
LONG SetKey(const std::string& path, const wchar_t* valueName, const std::wstring* value) {
    registry::RegKey key;
    LONG rc = key.Create(HKEY_CLASSES_ROOT, path, KEY_SET_VALUE);
    if (rc != ERROR_SUCCESS || !value) return rc;
    return RegSetValueExW(key.Get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                          static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
}

LONG SetDefault(const std::string& path, const std::wstring& value) { return SetKey(path, nullptr, &value); }

// The default value of HKEY_CLASSES_ROOT\<progId>\CLSID; empty when missing.
std::string ClsidOfProgId(const std::string& progId) {
    registry::CRegistry reg;
    reg.classkey(registry::kClassesRoot);
    reg.sectionkey(progId + "\\CLSID");
    return reg.Value().Text();
}

// Deletes HKEY_CLASSES_ROOT\<path> with everything below it; a registry link
// planted there is deleted as a link, never followed.
void DeleteClassesKey(const std::string& path) {
    registry::CRegistry().del_reg_sub("HKEY_CLASSES_ROOT\\" + path);
}

SYSKIND OwnSysKind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }

}  // namespace

HMODULE ReferenceOwnModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&ReferenceOwnModule), &module);
    return module;
}

Module& Module::Instance() {
    static Module* module = new Module;  // outlives every object of the library
    return *module;
}

void Module::Init(HINSTANCE instance, const LibraryInfo& lib, std::span<const ClassEntry> classes) {
    instance_ = instance;
    lib_ = lib;
    classes_ = classes;
    std::string path = Narrow(Path());
    path.erase(0, path.find_last_of('\\') + 1);
    name_ = path.substr(0, path.rfind('.'));
}

void Module::Shutdown(bool processEnding) {
    std::lock_guard lock(mu_);
    if (!processEnding && typeLib_) typeLib_->Release();
    typeLib_ = nullptr;
}

std::wstring Module::Path() const {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(instance_, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            buf.resize(n);
            return buf;
        }
        buf.resize(buf.size() * 2);
    }
}

std::string Module::Folder() const {
    std::string path = Narrow(Path());
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

HRESULT Module::GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return Barrier(Errors(IID_IClassFactory), [&] {
        for (const ClassEntry& c : classes_) {
            if (IsEqualCLSID(clsid, *c.clsid)) return CreateInstance<ClassFactory>(iid, out, c.create);
        }
        return CLASS_E_CLASSNOTAVAILABLE;
    });
}

HRESULT Module::GetTypeLib(ITypeLib** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    std::lock_guard lock(mu_);
    if (!typeLib_) {
        HRESULT hr = LoadTypeLibEx(Path().c_str(), REGKIND_NONE, &typeLib_);
        if (FAILED(hr)) {
            typeLib_ = nullptr;
            return hr;
        }
    }
    typeLib_->AddRef();
    *out = typeLib_;
    return S_OK;
}

HRESULT Module::GetTypeInfo(REFGUID guid, ITypeInfo** out) {
    ComPtr<ITypeLib> tl;
    HRESULT hr = GetTypeLib(tl.Put());
    if (FAILED(hr)) return hr;
    return tl->GetTypeInfoOfGuid(guid, out);
}

HRESULT Module::RegisterServer() {
    return Barrier(Errors(IID_NULL), [&] { return Register(); });
}

HRESULT Module::UnregisterServer() {
    return Barrier(Errors(IID_NULL), [&] { return Unregister(); });
}

HRESULT Module::Register() {
    std::wstring path = Path();
    ComPtr<ITypeLib> tl;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, tl.Put());
    if (FAILED(hr)) return hr;

    const std::wstring libid = GuidTextW(*lib_.libid);
    for (const ClassEntry& c : classes_) {
        const std::wstring clsid = GuidTextW(*c.clsid);
        const std::string progId = Narrow(c.progId);
        const std::string clsKey = "CLSID\\" + Narrow(clsid);
        LONG rc = ERROR_SUCCESS;
        auto set = [&rc](LONG r) {
            if (rc == ERROR_SUCCESS) rc = r;
        };
        set(SetDefault(progId, c.description));
        set(SetDefault(progId + "\\CLSID", clsid));
        if (c.versionIndependentProgId) {
            const std::string independent = Narrow(c.versionIndependentProgId);
            set(SetDefault(independent, c.description));
            set(SetDefault(independent + "\\CLSID", clsid));
            set(SetDefault(independent + "\\CurVer", c.progId));
        }
        set(SetDefault(clsKey, c.description));
        set(SetDefault(clsKey + "\\ProgID", c.progId));
        if (c.versionIndependentProgId)
            set(SetDefault(clsKey + "\\VersionIndependentProgID", c.versionIndependentProgId));
        set(SetKey(clsKey + "\\Programmable", nullptr, nullptr));
        set(SetDefault(clsKey + "\\InprocServer32", path));
        const std::wstring model = c.threadingModel;
        set(SetKey(clsKey + "\\InprocServer32", L"ThreadingModel", &model));
        set(SetDefault(clsKey + "\\TypeLib", libid));
        if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    }
    return S_OK;
}

HRESULT Module::Unregister() {
    if (lib_.unregisterExtras) {
        HRESULT hr = lib_.unregisterExtras();
        if (FAILED(hr)) return hr;
    }
    for (const ClassEntry& c : classes_) {
        const std::string clsid = GuidText(*c.clsid);
        // A ProgID that another server has taken over since is not ours to remove.
        for (const wchar_t* progId : {c.progId, c.versionIndependentProgId}) {
            if (progId && text::EqualsNoCase(ClsidOfProgId(Narrow(progId)), clsid)) DeleteClassesKey(Narrow(progId));
        }
        DeleteClassesKey("CLSID\\" + clsid);
    }
    // A type library that is no longer registered counts as done: unregistering
    // twice must not fail.
    BSTR registered = nullptr;
    if (FAILED(QueryPathOfRegTypeLib(*lib_.libid, lib_.majorVersion, lib_.minorVersion, LOCALE_NEUTRAL, &registered)))
        return S_OK;
    SysFreeString(registered);
    HRESULT hr = UnRegisterTypeLib(*lib_.libid, lib_.majorVersion, lib_.minorVersion, LOCALE_NEUTRAL, OwnSysKind());
    return SUCCEEDED(hr) ? S_OK : hr;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    // A class whose construction fails (out of memory) is a failed creation.
    return Barrier(Module::Instance().Errors(IID_IClassFactory), [&] { return create_(iid, out); });
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock)
        Module::Instance().Lock();
    else
        Module::Instance().Unlock();
    return S_OK;
}

}  // namespace tidvex::com
