// No failure inside a member of the Shredder class reaches a COM caller as an
// exception (a std::bad_alloc used to unwind into the caller): with a failure
// injected where each member begins, every member comes back as the failed call
// of "Out of memory" from "Fraxil.Shredder", and the object stays usable.
#include "shredder_object.h"

#include "com/client.h"
#include "harness/every_member.h"

#include <gtest/gtest.h>

namespace {

using namespace tidvex::com;

TEST(Barrier, EveryMemberTurnsAnInjectedFailureIntoAFailedCall) {
    ComPtr<IDispatch> obj;
    ASSERT_EQ(Create<fraxil::ShredderObject>(IID_IDispatch, obj.PutVoid()), S_OK);
    const auto calls = tidvex::test::CallEveryMemberFailing(obj.Get());
    EXPECT_GE(calls.size(), 80u);
    for (const auto& call : calls) {
        EXPECT_EQ(call.result, static_cast<HRESULT>(0x800A0007)) << call.member;
        EXPECT_EQ(call.description, "Out of memory") << call.member;
        EXPECT_EQ(call.source, "Fraxil.Shredder") << call.member;
    }
    auto support = obj.As<ISupportErrorInfo>();
    ASSERT_TRUE(support);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IShredder), S_OK);

    // Without the failure the members work as before.
    auto shredder = obj.As<IShredder>();
    LONG done = 0;
    EXPECT_EQ(shredder->Initialize(&done), S_OK);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(shredder->GetFirstShreddingAlgorithm(&done), S_OK);
    EXPECT_EQ(done, 1);
}

}  // namespace
