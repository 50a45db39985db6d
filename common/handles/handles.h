// Handles that close themselves: one owner each, moved but never copied, closed
// on every way out. One template; a kind of handle is its type, the value that
// means "none" and the call that closes it.
#pragma once

#include <windows.h>

#include <utility>

namespace tidvex::handles {

template <typename Kind>
class Owned {
public:
    using Type = typename Kind::Type;

    Owned() = default;
    explicit Owned(Type handle) : handle_(handle) {}
    ~Owned() { Reset(); }
    Owned(Owned&& other) noexcept : handle_(other.Release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Type Get() const { return handle_; }
    bool Valid() const { return handle_ != Kind::None(); }
    explicit operator bool() const { return Valid(); }
    // Gives the handle up without closing it.
    Type Release() { return std::exchange(handle_, Kind::None()); }
    // Closes what is held and holds `handle` instead.
    void Reset(Type handle = Kind::None()) {
        if (Valid()) Kind::Close(handle_);
        handle_ = handle;
    }

private:
    Type handle_ = Kind::None();
};

// CreateFile: none is INVALID_HANDLE_VALUE.
struct FileKind {
    using Type = HANDLE;
    static Type None() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { CloseHandle(h); }
};

// FindFirstFile: none is INVALID_HANDLE_VALUE, closed by FindClose.
struct FindKind {
    using Type = HANDLE;
    static Type None() { return INVALID_HANDLE_VALUE; }
    static void Close(Type h) { FindClose(h); }
};

// LoadLibrary.
struct ModuleKind {
    using Type = HMODULE;
    static Type None() { return nullptr; }
    static void Close(Type h) { FreeLibrary(h); }
};

// Events, threads, tokens: none is a null handle.
struct KernelObjectKind {
    using Type = HANDLE;
    static Type None() { return nullptr; }
    static void Close(Type h) { CloseHandle(h); }
};

using File = Owned<FileKind>;
using Find = Owned<FindKind>;
using Module = Owned<ModuleKind>;
using KernelObject = Owned<KernelObjectKind>;

}  // namespace tidvex::handles
