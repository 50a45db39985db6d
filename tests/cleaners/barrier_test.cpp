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
        SCOPED_TRACE(c.name);
        ComPtr<IDispatch> obj;
        ASSERT_EQ(c.create(IID_IDispatch, obj.PutVoid()), S_OK);
        tidvex::test::ExpectEveryMemberFailsAsOutOfMemory(obj.Get(), "Velmora");
    }
}

}  // namespace
