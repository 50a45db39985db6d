// No failure inside a member of the library's classes reaches a COM caller as
// an exception: with a failure injected where each member begins, every member
// of every class comes back as the failed call of "Out of memory" with the
// library's name as its source.
#include "classes.h"

#include "fake_platform.h"

#include "com/client.h"
#include "harness/every_member.h"
#include "harness/support.h"

#include <gtest/gtest.h>

namespace {

using namespace tidvex::com;

struct ClassCase {
    const char* name;
    HRESULT (*create)(REFIID, void**);
};

const ClassCase kClasses[] = {
    {"BrowsCls", &Create<velmora::BrowsCls>}, {"WinCls", &Create<velmora::WinCls>},
    {"OfficCls", &Create<velmora::OfficCls>}, {"ChatCls", &Create<velmora::ChatCls>},
    {"General", &Create<velmora::General>},   {"INI", &Create<velmora::INI>},
    {"OS", &Create<velmora::OS>},             {"System", &Create<velmora::System>},
};

TEST(Barrier, EveryMemberTurnsAnInjectedFailureIntoAFailedCall) {
    velmora::test::FakePlatform platform(tidvex::test::ScratchFolder("barrier"));
    for (const ClassCase& c : kClasses) {
        ComPtr<IDispatch> obj;
        ASSERT_EQ(c.create(IID_IDispatch, obj.PutVoid()), S_OK) << c.name;
        const auto calls = tidvex::test::CallEveryMemberFailing(obj.Get());
        EXPECT_FALSE(calls.empty()) << c.name;
        for (const auto& call : calls) {
            EXPECT_EQ(call.result, static_cast<HRESULT>(0x800A0007)) << c.name << "." << call.member;
            EXPECT_EQ(call.description, "Out of memory") << c.name << "." << call.member;
            EXPECT_EQ(call.source, "Velmora") << c.name << "." << call.member;
        }
        auto support = obj.As<ISupportErrorInfo>();
        ASSERT_TRUE(support) << c.name;
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(obj->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Put()), S_OK);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        EXPECT_EQ(support->InterfaceSupportsErrorInfo(attr->guid), S_OK) << c.name;
        info->ReleaseTypeAttr(attr);
    }
}

}  // namespace
