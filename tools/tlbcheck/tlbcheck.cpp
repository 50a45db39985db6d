// Loads a type library (from a .tlb or a module's TYPELIB resource) and fails when
// its LIBID is not the intended one, or when an interface's base does not resolve
// to IDispatch, IUnknown or another interface of the same library.
//   tlbcheck <file> <{LIBID}>
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cwchar>

namespace {

bool BaseIsSound(ITypeInfo* info, const GUID& libid, const wchar_t* name) {
    TYPEATTR* attr = nullptr;
    if (FAILED(info->GetTypeAttr(&attr))) return false;
    bool ok = true;
    for (UINT i = 0; i < attr->cImplTypes && ok; ++i) {
        HREFTYPE ref;
        ITypeInfo* base = nullptr;
        if (FAILED(info->GetRefTypeOfImplType(i, &ref)) || FAILED(info->GetRefTypeInfo(ref, &base))) {
            std::fwprintf(stderr, L"tlbcheck: %ls: base %u does not resolve\n", name, i);
            ok = false;
            break;
        }
        TYPEATTR* battr = nullptr;
        ITypeLib* blib = nullptr;
        UINT index = 0;
        base->GetTypeAttr(&battr);
        base->GetContainingTypeLib(&blib, &index);
        TLIBATTR* blibAttr = nullptr;
        if (blib) blib->GetLibAttr(&blibAttr);
        bool own = blibAttr && IsEqualGUID(blibAttr->guid, libid);
        bool standard = battr && (IsEqualGUID(battr->guid, IID_IDispatch) || IsEqualGUID(battr->guid, IID_IUnknown));
        bool isInterface = battr && (battr->typekind == TKIND_INTERFACE || battr->typekind == TKIND_DISPATCH);
        if (!isInterface || !(standard || own)) {
            std::fwprintf(stderr, L"tlbcheck: %ls: base %u is not IDispatch, IUnknown or an own interface\n", name, i);
            ok = false;
        }
        if (blibAttr) blib->ReleaseTLibAttr(blibAttr);
        if (blib) blib->Release();
        if (battr) base->ReleaseTypeAttr(battr);
        base->Release();
    }
    info->ReleaseTypeAttr(attr);
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fwprintf(stderr, L"usage: tlbcheck <file> <{LIBID}>\n");
        return 2;
    }
    CoInitialize(nullptr);
    GUID want;
    if (FAILED(CLSIDFromString(argv[2], &want))) {
        std::fwprintf(stderr, L"tlbcheck: bad LIBID %ls\n", argv[2]);
        return 2;
    }
    ITypeLib* lib = nullptr;
    HRESULT hr = LoadTypeLibEx(argv[1], REGKIND_NONE, &lib);
    if (FAILED(hr)) {
        std::fwprintf(stderr, L"tlbcheck: cannot load a type library from %ls (0x%08lx)\n", argv[1],
                      static_cast<unsigned long>(hr));
        return 1;
    }
    int rc = 0;
    TLIBATTR* libAttr = nullptr;
    lib->GetLibAttr(&libAttr);
    if (!IsEqualGUID(libAttr->guid, want)) {
        wchar_t got[64];
        StringFromGUID2(libAttr->guid, got, 64);
        std::fwprintf(stderr, L"tlbcheck: %ls has LIBID %ls, expected %ls\n", argv[1], got, argv[2]);
        rc = 1;
    }
    lib->ReleaseTLibAttr(libAttr);
    UINT count = lib->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        TYPEKIND kind;
        lib->GetTypeInfoType(i, &kind);
        if (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH) continue;
        ITypeInfo* info = nullptr;
        if (FAILED(lib->GetTypeInfo(i, &info))) continue;
        BSTR name = nullptr;
        lib->GetDocumentation(static_cast<INT>(i), &name, nullptr, nullptr, nullptr);
        if (!BaseIsSound(info, want, name ? name : L"?")) rc = 1;
        // The interface half of a dual interface has its own base to check.
        HREFTYPE dualRef;
        ITypeInfo* dual = nullptr;
        if (kind == TKIND_DISPATCH && SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &dualRef)) &&
            SUCCEEDED(info->GetRefTypeInfo(dualRef, &dual))) {
            if (!BaseIsSound(dual, want, name ? name : L"?")) rc = 1;
            dual->Release();
        }
        SysFreeString(name);
        info->Release();
    }
    lib->Release();
    if (rc == 0) std::wprintf(L"tlbcheck: %ls: %u types, sound\n", argv[1], count);
    std::fflush(stdout);
    return rc;
}
