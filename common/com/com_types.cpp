#include "com_types.h"

#include "text/text.h"

#include <cstdio>

namespace tidvex::com {

std::wstring Widen(std::string_view s) { return text::Wide(s); }

std::string Narrow(std::wstring_view s) { return text::Narrow(s); }

std::string Narrow(const BSTR b) {
    if (!b) return {};
    return Narrow(std::wstring_view(b, SysStringLen(b)));
}

std::string GuidText(REFGUID g) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned long>(g.Data1), g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2],
                  g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
    return buf;
}

std::wstring GuidTextW(REFGUID g) { return Widen(GuidText(g)); }

BSTR AllocBstr(std::string_view s) { return AllocBstr(std::wstring_view(Widen(s))); }

BSTR AllocBstr(std::wstring_view s) { return SysAllocStringLen(s.data(), static_cast<UINT>(s.size())); }

Variant Variant::FromLong(LONG n) {
    Variant v;
    V_VT(&v.v_) = VT_I4;
    V_I4(&v.v_) = n;
    return v;
}

Variant Variant::FromShort(SHORT n) {
    Variant v;
    V_VT(&v.v_) = VT_I2;
    V_I2(&v.v_) = n;
    return v;
}

Variant Variant::FromBool(bool b) {
    Variant v;
    V_VT(&v.v_) = VT_BOOL;
    V_BOOL(&v.v_) = b ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
}

Variant Variant::FromText(std::string_view s) {
    Variant v;
    V_VT(&v.v_) = VT_BSTR;
    V_BSTR(&v.v_) = AllocBstr(s);
    return v;
}

Variant Variant::FromWide(std::wstring_view s) {
    Variant v;
    V_VT(&v.v_) = VT_BSTR;
    V_BSTR(&v.v_) = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
    return v;
}

LONG Variant::AsLong(LONG fallback) const {
    VARIANT t;
    VariantInit(&t);
    LONG r = fallback;
    if (SUCCEEDED(VariantChangeType(&t, const_cast<VARIANT*>(&v_), 0, VT_I4))) r = V_I4(&t);
    VariantClear(&t);
    return r;
}

bool Variant::AsBool() const { return AsLong(0) != 0; }

std::wstring Variant::AsWide() const {
    VARIANT t;
    VariantInit(&t);
    std::wstring r;
    if (SUCCEEDED(VariantChangeType(&t, const_cast<VARIANT*>(&v_), 0, VT_BSTR)) && V_BSTR(&t))
        r.assign(V_BSTR(&t), SysStringLen(V_BSTR(&t)));
    VariantClear(&t);
    return r;
}

std::string Variant::AsText() const { return Narrow(AsWide()); }

}  // namespace tidvex::com
