// No failure inside a member of the library's classes reaches a COM caller as
// an exception: with a failure injected where each member begins, every member
// comes back as the failed call of "Out of memory" with its class as the source.
#include "classes.h"

#include "com/client.h"
#include "harness/every_member.h"

#include <gtest/gtest.h>

namespace {

using namespace tidvex::com;

struct ClassCase {
    const char* source;
    HRESULT (*create)(REFIID, void**);
};

const ClassCase kClasses[] = {
    {"VqQuenza.Optimizer", &Create<quenza::Optimizer>},
    {"VqQuenza.Error", &Create<quenza::Error>},
};

TEST(Barrier, EveryMemberTurnsAnInjectedFailureIntoAFailedCall) {
    for (const ClassCase& c : kClasses) {
        ComPtr<IDispatch> obj;
        ASSERT_EQ(c.create(IID_IDispatch, obj.PutVoid()), S_OK) << c.source;
        tidvex::test::ExpectEveryMemberFailsAsOutOfMemory(obj.Get(), c.source);
    }
}

// Early-bound callers find ErrLogPath's put before its get in the interface.
TEST(ErrorClass, ErrLogPathIsPutThenGet) {
    ComPtr<IDispatch> obj;
    ASSERT_EQ(Create<quenza::Error>(IID_IDispatch, obj.PutVoid()), S_OK);
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(obj->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Put()), S_OK);
    std::vector<INVOKEKIND> kinds;
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        ASSERT_EQ(info->GetFuncDesc(i, &f), S_OK);
        BSTR name = nullptr;
        UINT count = 0;
        info->GetNames(f->memid, &name, 1, &count);
        if (count && std::wstring(name) == L"ErrLogPath") kinds.push_back(f->invkind);
        SysFreeString(name);
        info->ReleaseFuncDesc(f);
    }
    info->ReleaseTypeAttr(attr);
    EXPECT_EQ(kinds, (std::vector<INVOKEKIND>{INVOKE_PROPERTYPUT, INVOKE_PROPERTYGET}));

    auto error = obj.As<_Error>();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->put_ErrLogPath(Bstr("S:\\errors.txt").Get()), S_OK);
    Bstr path;
    EXPECT_EQ(error->get_ErrLogPath(path.Put()), S_OK);
    EXPECT_EQ(path.Text(), "S:\\errors.txt");
}

}  // namespace
