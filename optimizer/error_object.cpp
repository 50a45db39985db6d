#include "classes.h"
#include "error_log.h"

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
    if (!disp) throw RunTimeError::Of(tidvex::kObjectRequired);
    Variant number, description;
    if (FAILED(tidvex::com::InvokeByName(disp, L"Number", DISPATCH_PROPERTYGET, {}, &number)) ||
        FAILED(tidvex::com::InvokeByName(disp, L"Description", DISPATCH_PROPERTYGET, {}, &description)))
        throw RunTimeError::Of(tidvex::kNoSuchMember);
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

namespace {

template <class Body>
HRESULT Member(Body&& body) {
    return tidvex::com::Barrier({&IID__Error, "VqQuenza.Error"}, std::forward<Body>(body));
}

}  // namespace

STDMETHODIMP Error::put_ErrLogPath(BSTR value) {
    return Member([&] { ErrLogPath() = Narrow(value); });
}

STDMETHODIMP Error::get_ErrLogPath(BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    return Member([&] { *value = AllocBstr(ErrLogPath()); });
}

STDMETHODIMP Error::LoggError(VARIANT* ErrorObject, BSTR* sMethod, VARIANT* AdditionalDesc, VARIANT* result) {
    if (result) VariantInit(result);
    return Member([&] {
        // Nothing that goes wrong while logging reaches the caller.
        try {
            const std::string method = sMethod ? Narrow(*sMethod) : std::string();
            quenza::LoggError(ErrorOf(ErrorObject), method, OptionalText(AdditionalDesc));
        } catch (...) {
        }
    });
}

STDMETHODIMP Error::LoggString(BSTR* sString, VARIANT* result) {
    if (result) VariantInit(result);
    return Member([&] {
        try {
            quenza::LoggString(sString ? Narrow(*sString) : std::string());
        } catch (...) {
        }
    });
}

STDMETHODIMP Error::DeleteErrorLog(VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    return Member([&] { *result = quenza::DeleteErrorLog() ? VARIANT_TRUE : VARIANT_FALSE; });
}

}  // namespace quenza
