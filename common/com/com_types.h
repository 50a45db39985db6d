// Small RAII helpers for interface pointers, BSTR and VARIANT, and the text
// conversions between the system code page (what the product works in) and the
// wide strings that cross COM.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <objbase.h>

#include <string>
#include <string_view>
#include <utility>

namespace tidvex::com {

// An owning interface pointer.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    explicit ComPtr(T* p, bool addRef = true) : p_(p) {
        if (p_ && addRef) p_->AddRef();
    }
    ComPtr(const ComPtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~ComPtr() { Reset(); }
    ComPtr& operator=(const ComPtr& o) {
        if (this != &o) {
            if (o.p_) o.p_->AddRef();
            Reset();
            p_ = o.p_;
        }
        return *this;
    }
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            Reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }

    void Reset() {
        if (T* p = std::exchange(p_, nullptr)) p->Release();
    }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // For out parameters: releases what is held and gives the slot.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }
    T* Detach() { return std::exchange(p_, nullptr); }

    template <class U>
    ComPtr<U> As(REFIID iid) const {
        ComPtr<U> out;
        if (p_) p_->QueryInterface(iid, out.PutVoid());
        return out;
    }
    template <class U>
    ComPtr<U> As() const {
        return As<U>(__uuidof(U));
    }

private:
    T* p_ = nullptr;
};

// Text conversions. The system's texts are byte strings in the ANSI code page.
std::wstring Widen(std::string_view s);
std::string Narrow(std::wstring_view s);
std::string Narrow(const BSTR b);  // a null BSTR is the empty text
std::string GuidText(REFGUID g);   // "{XXXXXXXX-...}" in upper case
std::wstring GuidTextW(REFGUID g);

// An owning BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::wstring_view s) : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    explicit Bstr(std::string_view s) : Bstr(std::wstring_view(Widen(s))) {}
    explicit Bstr(const wchar_t* s) : b_(SysAllocString(s)) {}
    Bstr(const Bstr& o) : b_(o.b_ ? SysAllocStringLen(o.b_, SysStringLen(o.b_)) : nullptr) {}
    Bstr(Bstr&& o) noexcept : b_(std::exchange(o.b_, nullptr)) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr& operator=(Bstr o) noexcept {
        std::swap(b_, o.b_);
        return *this;
    }

    // Takes ownership of a BSTR that a callee returned.
    static Bstr Attach(BSTR b) {
        Bstr r;
        r.b_ = b;
        return r;
    }
    BSTR Get() const { return b_; }
    BSTR* Put() {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    BSTR Detach() { return std::exchange(b_, nullptr); }
    UINT Length() const { return b_ ? SysStringLen(b_) : 0; }
    std::wstring Wide() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }
    std::string Text() const { return Narrow(b_); }

private:
    BSTR b_ = nullptr;
};

// Allocates a BSTR for an out parameter (the caller of the member frees it).
BSTR AllocBstr(std::string_view s);
BSTR AllocBstr(std::wstring_view s);

// An owning VARIANT.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    Variant(const Variant& o) {
        VariantInit(&v_);
        VariantCopy(&v_, const_cast<VARIANT*>(&o.v_));
    }
    Variant(Variant&& o) noexcept {
        v_ = o.v_;
        VariantInit(&o.v_);
    }
    Variant& operator=(Variant o) noexcept {
        std::swap(v_, o.v_);
        return *this;
    }
    ~Variant() { VariantClear(&v_); }

    static Variant FromLong(LONG n);
    static Variant FromShort(SHORT n);
    static Variant FromBool(bool b);  // VARIANT_TRUE (-1) or VARIANT_FALSE
    static Variant FromText(std::string_view s);
    static Variant FromWide(std::wstring_view s);

    VARIANT* Get() { return &v_; }
    const VARIANT* Get() const { return &v_; }
    VARTYPE Type() const { return V_VT(&v_); }
    void Clear() { VariantClear(&v_); }
    // Converted reads; a value that cannot be converted gives the fallback.
    LONG AsLong(LONG fallback = 0) const;
    bool AsBool() const;
    std::string AsText() const;
    std::wstring AsWide() const;

private:
    VARIANT v_;
};

// Keeps COM initialised on the current thread for the life of the object.
class ComInit {
public:
    explicit ComInit(DWORD model = COINIT_APARTMENTTHREADED) : hr_(CoInitializeEx(nullptr, model)) {}
    ~ComInit() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComInit(const ComInit&) = delete;
    ComInit& operator=(const ComInit&) = delete;
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_;
};

}  // namespace tidvex::com
