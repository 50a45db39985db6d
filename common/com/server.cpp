#include "server.h"

#include <shlwapi.h>

namespace tidvex::com {

namespace {

LONG SetKey(HKEY root, const std::wstring& path, const wchar_t* valueName, const std::wstring* value) {
    HKEY key;
    LONG rc = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                              nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    if (value) {
        rc = RegSetValueExW(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value->c_str()),
                            static_cast<DWORD>((value->size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
    return rc;
}

LONG SetDefault(const std::wstring& path, const std::wstring& value) {
    return SetKey(HKEY_CLASSES_ROOT, path, nullptr, &value);
}

// Reads the default value of HKCR\<path>\CLSID; empty when missing.
std::wstring ClsidOfProgId(const std::wstring& progId) {
    wchar_t buf[64] = {};
    LONG size = sizeof buf;
    if (RegQueryValueW(HKEY_CLASSES_ROOT, (progId + L"\\CLSID").c_str(), buf, &size) != ERROR_SUCCESS) return {};
    buf[63] = 0;
    return buf;
}

SYSKIND OwnSysKind() { return sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32; }

}  // namespace

Module& Module::Instance() {
    static Module* module = new Module;  // outlives every object of the library
    return *module;
}

void Module::Init(HINSTANCE instance, const LibraryInfo& lib, std::span<const ClassEntry> classes) {
    instance_ = instance;
    lib_ = lib;
    classes_ = classes;
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
    for (const ClassEntry& c : classes_) {
        if (IsEqualCLSID(clsid, *c.clsid)) return CreateInstance<ClassFactory>(iid, out, c.create);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
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
    std::wstring path = Path();
    ComPtr<ITypeLib> tl;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, tl.Put());
    if (FAILED(hr)) return hr;

    std::wstring libid = GuidTextW(*lib_.libid);
    for (const ClassEntry& c : classes_) {
        std::wstring clsid = GuidTextW(*c.clsid);
        std::wstring clsKey = L"CLSID\\" + clsid;
        LONG rc = ERROR_SUCCESS;
        auto set = [&rc](LONG r) {
            if (rc == ERROR_SUCCESS) rc = r;
        };
        set(SetDefault(c.progId, c.description));
        set(SetDefault(std::wstring(c.progId) + L"\\CLSID", clsid));
        if (c.versionIndependentProgId) {
            set(SetDefault(c.versionIndependentProgId, c.description));
            set(SetDefault(std::wstring(c.versionIndependentProgId) + L"\\CLSID", clsid));
            set(SetDefault(std::wstring(c.versionIndependentProgId) + L"\\CurVer", c.progId));
        }
        set(SetDefault(clsKey, c.description));
        set(SetDefault(clsKey + L"\\ProgID", c.progId));
        if (c.versionIndependentProgId) set(SetDefault(clsKey + L"\\VersionIndependentProgID", c.versionIndependentProgId));
        set(SetKey(HKEY_CLASSES_ROOT, clsKey + L"\\Programmable", nullptr, nullptr));
        set(SetDefault(clsKey + L"\\InprocServer32", path));
        std::wstring model = c.threadingModel;
        set(SetKey(HKEY_CLASSES_ROOT, clsKey + L"\\InprocServer32", L"ThreadingModel", &model));
        set(SetDefault(clsKey + L"\\TypeLib", libid));
        if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    }
    return S_OK;
}

HRESULT Module::UnregisterServer() {
    for (const ClassEntry& c : classes_) {
        std::wstring clsid = GuidTextW(*c.clsid);
        // A ProgID that another server has taken over since is not ours to remove.
        for (const wchar_t* progId : {c.progId, c.versionIndependentProgId}) {
            if (progId && _wcsicmp(ClsidOfProgId(progId).c_str(), clsid.c_str()) == 0)
                SHDeleteKeyW(HKEY_CLASSES_ROOT, progId);
        }
        SHDeleteKeyW(HKEY_CLASSES_ROOT, (L"CLSID\\" + clsid).c_str());
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
    return create_(iid, out);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock)
        Module::Instance().Lock();
    else
        Module::Instance().Unlock();
    return S_OK;
}

}  // namespace tidvex::com
