// The client side of COM for Tidvex and the tests: creating a class by ProgID or
// CLSID, late-bound calls by member name, and a sink that receives the events of
// a dispatch event interface through a connection point.
#pragma once

#include "com_types.h"

#include <ocidl.h>
#include <olectl.h>

#include <functional>
#include <vector>

namespace tidvex::com {

HRESULT CreateByClsid(REFCLSID clsid, REFIID iid, void** out);
HRESULT CreateByProgId(const wchar_t* progId, REFIID iid, void** out);

template <class T>
ComPtr<T> CreateByProgId(const wchar_t* progId, HRESULT* hr = nullptr) {
    ComPtr<T> p;
    HRESULT r = CreateByProgId(progId, __uuidof(T), p.PutVoid());
    if (hr) *hr = r;
    return p;
}
template <class T>
ComPtr<T> CreateByClsid(REFCLSID clsid, HRESULT* hr = nullptr) {
    ComPtr<T> p;
    HRESULT r = CreateByClsid(clsid, __uuidof(T), p.PutVoid());
    if (hr) *hr = r;
    return p;
}

// Late-bound call of a member by name. args are in declared order; flags is
// DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT.
HRESULT InvokeByName(IDispatch* disp, const wchar_t* name, WORD flags, std::vector<Variant> args = {},
                     Variant* result = nullptr);

// Reading event arguments (index in declared order; by-reference values are followed).
LONG EventArgLong(const DISPPARAMS& params, UINT index);
bool EventArgBool(const DISPPARAMS& params, UINT index);
std::string EventArgText(const DISPPARAMS& params, UINT index);
VARIANT* EventArg(const DISPPARAMS& params, UINT index);  // nullptr when missing

// Receives the events of one dispatch event interface. The handler runs on the
// thread of the apartment that connected the sink.
class EventSink {
public:
    using Handler = std::function<void(DISPID id, const DISPPARAMS& params)>;

    EventSink(REFIID eventInterface, Handler handler);
    ~EventSink();
    EventSink(const EventSink&) = delete;
    EventSink& operator=(const EventSink&) = delete;

    HRESULT Connect(IUnknown* source);
    void Disconnect();
    bool Connected() const { return static_cast<bool>(point_); }

private:
    class Receiver;
    Receiver* receiver_;
    IID iid_;
    ComPtr<IConnectionPoint> point_;
    DWORD cookie_ = 0;
};

}  // namespace tidvex::com
