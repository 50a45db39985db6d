#include "harness/every_member.h"

#include "com/barrier.h"
#include "com/com_types.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <new>

namespace tidvex::test {

using com::Bstr;
using com::ComPtr;
using com::Narrow;

namespace {

// The interface whose functions carry vtable offsets: a dual interface's own
// type information, not its dispatch view.
ComPtr<ITypeInfo> VtableInfo(IDispatch* object) {
    ComPtr<ITypeInfo> info;
    if (FAILED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Put()))) return {};
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return {};
    const bool dispatchView = attr->typekind == TKIND_DISPATCH;
    info->ReleaseTypeAttr(attr);
    if (!dispatchView) return info;
    HREFTYPE ref = 0;
    ComPtr<ITypeInfo> vtable;
    if (FAILED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) ||
        FAILED(info->GetRefTypeInfo(ref, vtable.Put())))
        return {};
    return vtable;
}

std::string MemberName(ITypeInfo* info, const FUNCDESC& f) {
    Bstr name;
    UINT count = 0;
    BSTR names[1] = {};
    if (SUCCEEDED(info->GetNames(f.memid, names, 1, &count)) && count) name = Bstr::Attach(names[0]);
    const char* prefix = f.invkind == INVOKE_PROPERTYGET   ? "get_"
                         : f.invkind == INVOKE_PROPERTYPUT ? "put_"
                                                           : "";
    return prefix + name.Text();
}

}  // namespace

std::vector<MemberCall> CallEveryMemberFailing(IDispatch* object) {
    std::vector<MemberCall> calls;
    ComPtr<ITypeInfo> info = VtableInfo(object);
    EXPECT_TRUE(info) << "no type information";
    if (!info) return calls;
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return calls;
    ComPtr<IUnknown> itf;
    object->QueryInterface(attr->guid, itf.PutVoid());
    const WORD functions = attr->cFuncs;
    info->ReleaseTypeAttr(attr);
    EXPECT_TRUE(itf);
    if (!itf) return calls;
    ScopedSeam<std::function<void()>> fault(com::gMemberFault, [] { throw std::bad_alloc(); });

    for (UINT i = 0; i < functions; ++i) {
        FUNCDESC* f = nullptr;
        if (FAILED(info->GetFuncDesc(i, &f))) continue;
        const size_t count = static_cast<size_t>(f->cParams);
        std::vector<VARIANT> args(count);
        std::vector<VARIANT*> argPointers(count);
        std::vector<VARTYPE> types(count);
        std::vector<std::array<std::uint64_t, 8>> storage(count, std::array<std::uint64_t, 8>{});
        std::vector<Bstr> texts(count);
        for (size_t p = 0; p < count; ++p) {
            VARIANT& a = args[p];
            VariantInit(&a);
            const VARTYPE vt = f->lprgelemdescParam[p].tdesc.vt;
            if (vt == VT_PTR) {
                types[p] = VT_UINT_PTR;
                V_VT(&a) = VT_UINT_PTR;
                V_UINT_PTR(&a) = reinterpret_cast<UINT_PTR>(storage[p].data());
            } else if (vt == VT_BSTR) {
                texts[p] = Bstr(std::wstring_view(L""));
                types[p] = VT_BSTR;
                V_VT(&a) = VT_BSTR;
                V_BSTR(&a) = texts[p].Get();
            } else if (vt == VT_VARIANT) {
                types[p] = VT_VARIANT;
            } else {
                types[p] = vt;
                V_VT(&a) = vt;
            }
            argPointers[p] = &a;
        }
        MemberCall call;
        call.member = MemberName(info.Get(), *f);
        VARIANT result;
        VariantInit(&result);
        SetErrorInfo(0, nullptr);
        HRESULT hr = DispCallFunc(itf.Get(), f->oVft, CC_STDCALL, VT_ERROR, static_cast<UINT>(count), types.data(),
                                  argPointers.data(), &result);
        call.result = SUCCEEDED(hr) ? V_ERROR(&result) : hr;
        ComPtr<IErrorInfo> error;
        if (GetErrorInfo(0, error.Put()) == S_OK && error) {
            Bstr source, description;
            error->GetSource(source.Put());
            error->GetDescription(description.Put());
            call.source = source.Text();
            call.description = description.Text();
        }
        calls.push_back(call);
        info->ReleaseFuncDesc(f);
    }
    return calls;
}

void ExpectEveryMemberFailsAsOutOfMemory(IDispatch* object, const std::string& source) {
    const auto calls = CallEveryMemberFailing(object);
    EXPECT_FALSE(calls.empty()) << source;
    for (const MemberCall& call : calls) {
        EXPECT_EQ(call.result, static_cast<HRESULT>(0x800A0007)) << source << "." << call.member;
        EXPECT_EQ(call.description, "Out of memory") << source << "." << call.member;
        EXPECT_EQ(call.source, source) << source << "." << call.member;
    }
    ComPtr<ISupportErrorInfo> support;
    object->QueryInterface(IID_ISupportErrorInfo, support.PutVoid());
    ASSERT_TRUE(support) << source;
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Put()), S_OK) << source;
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK) << source;
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(attr->guid), S_OK) << source;
    info->ReleaseTypeAttr(attr);
}

}  // namespace tidvex::test
