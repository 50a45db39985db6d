#include "client.h"

#include "server.h"

namespace tidvex::com {

HRESULT CreateByClsid(REFCLSID clsid, REFIID iid, void** out) {
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, out);
}

HRESULT CreateByProgId(const wchar_t* progId, REFIID iid, void** out) {
    if (out) *out = nullptr;
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(progId, &clsid);
    if (FAILED(hr)) return hr;
    return CreateByClsid(clsid, iid, out);
}

HRESULT InvokeByName(IDispatch* disp, const wchar_t* name, WORD flags, std::vector<Variant> args, Variant* result) {
    if (!disp) return E_POINTER;
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = disp->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    std::vector<VARIANT> reversed;
    for (auto it = args.rbegin(); it != args.rend(); ++it) reversed.push_back(*it->Get());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & DISPATCH_PROPERTYPUT) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    Variant local;
    EXCEPINFO excep{};
    UINT argErr = 0;
    hr = disp->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result ? result->Get() : local.Get(), &excep,
                      &argErr);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return hr;
}

VARIANT* EventArg(const DISPPARAMS& params, UINT index) {
    if (index >= params.cArgs) return nullptr;
    VARIANT* v = &params.rgvarg[params.cArgs - 1 - index];
    if (V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    return v;
}

namespace {
Variant ByValue(const VARIANT* v) {
    Variant out;
    if (!v) return out;
    if (V_VT(v) & VT_BYREF) {
        // VariantCopyInd follows the reference into a by-value copy.
        VariantCopyInd(out.Get(), const_cast<VARIANT*>(v));
    } else {
        VariantCopy(out.Get(), const_cast<VARIANT*>(v));
    }
    return out;
}
}  // namespace

LONG EventArgLong(const DISPPARAMS& params, UINT index) { return ByValue(EventArg(params, index)).AsLong(); }
bool EventArgBool(const DISPPARAMS& params, UINT index) { return ByValue(EventArg(params, index)).AsBool(); }
std::string EventArgText(const DISPPARAMS& params, UINT index) { return ByValue(EventArg(params, index)).AsText(); }

class EventSink::Receiver final : public ComObject<IDispatch> {
public:
    Receiver(REFIID iid, Handler handler) : iid_(iid), handler_(std::move(handler)) {}
    void Detach() { handler_ = nullptr; }

    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        if (!n) return E_POINTER;
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override {
        if (result) VariantInit(result);
        static const DISPPARAMS none{};
        if (handler_) handler_(id, params ? *params : none);
        return S_OK;
    }

protected:
    void* QueryExtra(REFIID iid) override {
        return IsEqualIID(iid, iid_) ? static_cast<IDispatch*>(this) : nullptr;
    }

private:
    IID iid_;
    Handler handler_;
};

EventSink::EventSink(REFIID eventInterface, Handler handler)
    : receiver_(new Receiver(eventInterface, std::move(handler))) {
    receiver_->AddRef();
    iid_ = eventInterface;
}

EventSink::~EventSink() {
    Disconnect();
    receiver_->Detach();
    receiver_->Release();
}

HRESULT EventSink::Connect(IUnknown* source) {
    Disconnect();
    if (!source) return E_POINTER;
    ComPtr<IConnectionPointContainer> container;
    HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, container.PutVoid());
    if (FAILED(hr)) return hr;
    ComPtr<IConnectionPoint> point;
    hr = container->FindConnectionPoint(iid_, point.Put());
    if (FAILED(hr)) return hr;
    hr = point->Advise(static_cast<IDispatch*>(receiver_), &cookie_);
    if (FAILED(hr)) return hr;
    point_ = point;
    return S_OK;
}

void EventSink::Disconnect() {
    if (point_) point_->Unadvise(cookie_);
    point_.Reset();
    cookie_ = 0;
}

}  // namespace tidvex::com
