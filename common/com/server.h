// In-process COM server support shared by the three libraries: the module (lock
// count, class table, embedded type library, registration), a reference-counted
// object base, the class factory, and IDispatch through the type library.
#pragma once

#include "barrier.h"
#include "com_types.h"

#include <atomic>
#include <initializer_list>
#include <mutex>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

namespace tidvex::com {

using CreateFn = HRESULT (*)(REFIID iid, void** out);

// One creatable class of a library and how it is registered.
struct ClassEntry {
    const CLSID* clsid;
    const wchar_t* description;        // default value of the ProgID and CLSID keys
    const wchar_t* progId;             // "Fraxil.Shredder.1", or the only ProgID
    const wchar_t* versionIndependentProgId;  // "Fraxil.Shredder", or nullptr
    const wchar_t* threadingModel;     // "Apartment"
    CreateFn create;
};

struct LibraryInfo {
    const GUID* libid;
    WORD majorVersion;
    WORD minorVersion;
    // What the library wrote outside its own registration and removes again
    // when it is unregistered; nothing when null.
    HRESULT (*unregisterExtras)() = nullptr;
};

class Module {
public:
    static Module& Instance();

    // Called from DllMain on process attach.
    void Init(HINSTANCE instance, const LibraryInfo& lib, std::span<const ClassEntry> classes);

    HINSTANCE Handle() const { return instance_; }
    std::wstring Path() const;    // full path of the module file
    std::string Folder() const;   // the folder that holds the module, without a closing "\"
    // Where the failures of the module's own entry points are reported from:
    // the module's file name without its extension ("Fraxil").
    ErrorTarget Errors(REFIID iid) const { return {&iid, name_.c_str()}; }

    void Lock() { ++locks_; }
    void Unlock() { --locks_; }
    LONG LockCount() const { return locks_; }

    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out);
    HRESULT CanUnloadNow() const { return locks_ == 0 ? S_OK : S_FALSE; }
    HRESULT RegisterServer();
    HRESULT UnregisterServer();

    // The type library embedded in the module as resource TYPELIB 1, loaded once.
    HRESULT GetTypeLib(ITypeLib** out);
    HRESULT GetTypeInfo(REFGUID guid, ITypeInfo** out);

    // Called from DllMain on process detach. When the whole process ends, other
    // libraries may be gone already, so the cached type library is left alone.
    void Shutdown(bool processEnding);

private:
    HRESULT Register();
    HRESULT Unregister();

    HINSTANCE instance_ = nullptr;
    std::string name_;
    LibraryInfo lib_{};
    std::span<const ClassEntry> classes_;
    std::atomic<LONG> locks_{0};
    std::mutex mu_;
    ITypeLib* typeLib_ = nullptr;
};

// A reference to the module this code is linked into, for a thread of its own
// that runs the module's code: the thread ends with FreeLibraryAndExitThread on
// it, so the module is never unloaded under it. Null when none could be had.
HMODULE ReferenceOwnModule();

// Keeps the module loaded for the life of the holder (objects and locks).
class ModuleRef {
public:
    ModuleRef() { Module::Instance().Lock(); }
    ModuleRef(const ModuleRef&) { Module::Instance().Lock(); }
    ModuleRef& operator=(const ModuleRef&) = default;
    ~ModuleRef() { Module::Instance().Unlock(); }
};

// The IID a listed base answers to: its own, or for Dispatch<X> that of X.
template <class I>
constexpr const IID& IidOf() {
    if constexpr (requires { typename I::Interface; }) {
        return __uuidof(typename I::Interface);
    } else {
        return __uuidof(I);
    }
}

// Reference counting and QueryInterface over the listed interfaces. IUnknown and
// IDispatch are answered by the first listed interface that derives from them.
// Objects are created with a count of 0; CreateInstance takes the first reference.
template <class... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;
    virtual ~ComObject() = default;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown)) {
            *out = FirstUnknown();
        } else if (!Find<Interfaces...>(iid, out)) {
            if (IsEqualIID(iid, IID_IDispatch)) *out = FirstDispatch<Interfaces...>();
            if (!*out) *out = QueryExtra(iid);
        }
        if (!*out) return E_NOINTERFACE;
        static_cast<IUnknown*>(*out)->AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        if (refs_ == InnerReferences() + 1) LastOuterReferenceGoing();
        ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }

protected:
    // References the object holds on itself (a worker of its own), as opposed
    // to its callers'.
    virtual ULONG InnerReferences() const { return 0; }
    // Called on the thread that lets the last reference from outside go, just
    // before it does; the object's own references may still be held.
    virtual void LastOuterReferenceGoing() {}

    // Interfaces answered outside the list (a contained object, for instance).
    // Returns an un-AddRef'ed pointer or nullptr.
    virtual void* QueryExtra(REFIID) { return nullptr; }

    IUnknown* FirstUnknown() { return static_cast<IUnknown*>(static_cast<FirstOf<Interfaces...>*>(this)); }

private:
    template <class First, class...>
    struct FirstOfT {
        using type = First;
    };
    template <class... Is>
    using FirstOf = typename FirstOfT<Is...>::type;

    template <class I, class... Rest>
    bool Find(REFIID iid, void** out) {
        if (IsEqualIID(iid, IidOf<I>())) {
            *out = static_cast<I*>(this);
            return true;
        }
        if constexpr (sizeof...(Rest) > 0) return Find<Rest...>(iid, out);
        return false;
    }
    template <class I, class... Rest>
    void* FirstDispatch() {
        if constexpr (std::is_base_of_v<IDispatch, I>) {
            return static_cast<IDispatch*>(static_cast<I*>(this));
        } else if constexpr (sizeof...(Rest) > 0) {
            return FirstDispatch<Rest...>();
        } else {
            return nullptr;
        }
    }

    std::atomic<ULONG> refs_{0};
    ModuleRef moduleRef_;
};

// IDispatch of a dual interface, served from the module's type library.
template <class DualInterface>
class Dispatch : public DualInterface {
public:
    using Interface = DualInterface;

    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        if (!n) return E_POINTER;
        *n = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return Barrier(Errors(), [&] { return Module::Instance().GetTypeInfo(__uuidof(DualInterface), out); });
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return Barrier(Errors(), [&] {
            ComPtr<ITypeInfo> ti;
            HRESULT hr = Module::Instance().GetTypeInfo(__uuidof(DualInterface), ti.Put());
            if (FAILED(hr)) return hr;
            return DispGetIDsOfNames(ti.Get(), names, count, ids);
        });
    }
    // The member called fails through its own barrier; DispInvoke hands its
    // error information to the caller's EXCEPINFO.
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        return Barrier(Errors(), [&] {
            ComPtr<ITypeInfo> ti;
            HRESULT hr = Module::Instance().GetTypeInfo(__uuidof(DualInterface), ti.Put());
            if (FAILED(hr)) return hr;
            return DispInvoke(static_cast<DualInterface*>(this), ti.Get(), id, flags, params, result, excep, argErr);
        });
    }

private:
    static ErrorTarget Errors() { return Module::Instance().Errors(__uuidof(DualInterface)); }
};

// ISupportErrorInfo of an object whose failures on the dual interface Dual come
// with error information (its members go through com/barrier.h).
template <class Dual>
class SupportErrorInfo : public ISupportErrorInfo {
public:
    using Interface = ISupportErrorInfo;

    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override {
        return IsEqualIID(iid, __uuidof(Dual)) ? S_OK : S_FALSE;
    }
};

// The class factory of one class.
class ClassFactory final : public ComObject<IClassFactory> {
public:
    explicit ClassFactory(CreateFn create) : create_(create) {}
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    CreateFn create_;
};

// Creates an object of class T and returns the interface asked for.
template <class T, class... Args>
HRESULT CreateInstance(REFIID iid, void** out, Args&&... args) {
    if (!out) return E_POINTER;
    *out = nullptr;
    // A constructor that throws fails the creation; callers run this behind the barrier.
    T* obj = new T(std::forward<Args>(args)...);
    obj->AddRef();
    HRESULT hr = obj->QueryInterface(iid, out);
    obj->Release();
    return hr;
}

// The creation function of a class table entry.
template <class T>
HRESULT Create(REFIID iid, void** out) {
    return CreateInstance<T>(iid, out);
}

}  // namespace tidvex::com
