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
    tidvex::test::ExpectEveryMemberFailsAsOutOfMemory(obj.Get(), "Fraxil.Shredder");

    // Without the failure the members work as before.
    auto shredder = obj.As<IShredder>();
    LONG done = 0;
    EXPECT_EQ(shredder->Initialize(&done), S_OK);
    EXPECT_EQ(done, 1);
    EXPECT_EQ(shredder->GetFirstShreddingAlgorithm(&done), S_OK);
    EXPECT_EQ(done, 1);
}

}  // namespace
