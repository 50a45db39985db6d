// The cleaner classes of the library Velmora as the program binds them: created
// by class identifier and called through their dual interfaces as the type
// library declares them, their events received through connection points.
#pragma once

#include "Velmora.h"

#include "com/client.h"

#include <functional>
#include <string>

namespace tidvex::engine {

// The run-time error of a failed call on a library object: the HRESULT with the
// object's own error text when it gave one.
[[noreturn]] void ThrowLibraryError(HRESULT hr, const char* member);
// A class of the library that cannot be created (not registered, missing): 429.
[[noreturn]] void ThrowCannotCreate();
inline void CheckCall(HRESULT hr, const char* member) {
    if (FAILED(hr)) ThrowLibraryError(hr, member);
}
inline VARIANT_BOOL VBool(bool on) { return on ? VARIANT_TRUE : VARIANT_FALSE; }

template <class I>
com::ComPtr<I> CreateLibraryObject(REFCLSID clsid, REFIID iid) {
    com::ComPtr<I> object;
    HRESULT hr = com::CreateByClsid(clsid, iid, object.PutVoid());
    if (FAILED(hr) || !object) ThrowCannotCreate();
    return object;
}

// Reads a Boolean property of a library object.
template <class I>
bool ReadFlag(I* object, HRESULT (STDMETHODCALLTYPE I::*get)(VARIANT_BOOL*), const char* member) {
    VARIANT_BOOL value = VARIANT_FALSE;
    CheckCall((object->*get)(&value), member);
    return value != VARIANT_FALSE;
}

// One cleaner object of the library and the sink of its events. Of the events
// only CurrentCleanOperation is passed on; the handler runs on this thread
// while the object's StartClean runs.
template <class I>
class LibraryCleaner {
public:
    using OperationHandler = std::function<void(const std::string& sOperation)>;

    LibraryCleaner(REFCLSID clsid, REFIID iid, REFIID events, OperationHandler onOperation)
        : object_(CreateLibraryObject<I>(clsid, iid)),
          sink_(events, [handler = std::move(onOperation)](DISPID id, const DISPPARAMS& params) {
              if (id == kCurrentCleanOperation && handler) handler(com::EventArgText(params, 0));
          }) {
        CheckCall(sink_.Connect(object_.Get()), "Advise");
    }
    LibraryCleaner(const LibraryCleaner&) = delete;
    LibraryCleaner& operator=(const LibraryCleaner&) = delete;

    I* operator->() const { return object_.Get(); }
    I* Get() const { return object_.Get(); }

private:
    static constexpr DISPID kCurrentCleanOperation = 1;

    com::ComPtr<I> object_;
    com::EventSink sink_;
};

using BrowserCleaner = LibraryCleaner<_BrowsCls>;
using ChatCleaner = LibraryCleaner<_ChatCls>;
using WindowsCleaner = LibraryCleaner<_WinCls>;
using OfficeCleaner = LibraryCleaner<_OfficCls>;

}  // namespace tidvex::engine
