#include "classes.h"
#include "error_log.h"
#include "run_time_error.h"

#include "com/client.h"

namespace quenza {

namespace {

using tidvex::com::AllocBstr;
using tidvex::com::Narrow;
using tidvex::com::Variant;

// The variant behind any number of by-reference levels.
const VARIANT* Deref(const VARIANT* v) {
    while (v && V_VT(v) == (VT_BYREF | VT_VARIANT)) v = V_VARIANTREF(v);
    return v;
}

// The caught error a caller hands over: an object with Number and Description.
RunTimeError ErrorOf(const VARIANT* errorObject) {
    const VARIANT* v = Deref(errorObject);
    IDispatch* disp = nullptr;
    if (v && V_VT(v) == VT_DISPATCH) disp = V_DISPATCH(v);
    if (v && V_VT(v) == (VT_BYREF | VT_DISPATCH) && V_DISPATCHREF(v)) disp = *V_DISPATCHREF(v);
    if (!disp) throw RunTimeError::Of(424);
    Variant number, description;
    if (FAILED(tidvex::com::InvokeByName(disp, L"Number", DISPATCH_PROPERTYGET, {}, &number)) ||
        FAILED(tidvex::com::InvokeByName(disp, L"Description", DISPATCH_PROPERTYGET, {}, &description)))
        throw RunTimeError::Of(438);
    return RunTimeError(number.AsLong(), description.AsText());
}

// An optional text argument: missing or empty gives the empty text.
std::string OptionalText(const VARIANT* arg) {
    const VARIANT* v = Deref(arg);
    if (!v || V_VT(v) == VT_ERROR || V_VT(v) == VT_EMPTY || V_VT(v) == VT_NULL) return {};
    Variant text;
    if (FAILED(VariantChangeType(text.Get(), const_cast<VARIANT*>(v), 0, VT_BSTR))) return {};
    return text.AsText();
}

}  // namespace

STDMETHODIMP Error::InterfaceSupportsErrorInfo(REFIID iid) { return IsEqualIID(iid, IID__Error) ? S_OK : S_FALSE; }

STDMETHODIMP Error::get_ErrLogPath(BSTR* value) {
    if (!value) return E_POINTER;
    *value = AllocBstr(ErrLogPath());
    return S_OK;
}

STDMETHODIMP Error::put_ErrLogPath(BSTR value) {
    ErrLogPath() = Narrow(value);
    return S_OK;
}

STDMETHODIMP Error::LoggError(VARIANT* ErrorObject, BSTR* sMethod, VARIANT* AdditionalDesc, VARIANT* result) {
    if (result) VariantInit(result);
    // Nothing that goes wrong while logging reaches the caller.
    try {
        const std::string method = sMethod ? Narrow(*sMethod) : std::string();
        quenza::LoggError(ErrorOf(ErrorObject), method, OptionalText(AdditionalDesc));
    } catch (...) {
    }
    return S_OK;
}

STDMETHODIMP Error::LoggString(BSTR* sString, VARIANT* result) {
    if (result) VariantInit(result);
    try {
        quenza::LoggString(sString ? Narrow(*sString) : std::string());
    } catch (...) {
    }
    return S_OK;
}

STDMETHODIMP Error::DeleteErrorLog(VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    try {
        *result = quenza::DeleteErrorLog() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    } catch (...) {
        *result = VARIANT_FALSE;
        return RunTimeError::FromCurrentException().Report(L"VqQuenza.Error", IID__Error);
    }
}

}  // namespace quenza
