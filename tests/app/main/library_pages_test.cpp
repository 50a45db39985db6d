// The optimizer page over the registered Quenza object: what Apply writes
// through the real setters, the readers give back at the next start. And the
// shredder object's configuration through the registered Fraxil.
#include "library_page_fixture.h"

#include "com/com_types.h"

#include <algorithm>

namespace tidvex::test {
namespace {

class LibraryPagesTest : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        form_->Optimizer = main::MakeQuenzaOptimizer();
        for (const char* d : {"C: [system]", "D:"}) List(f().lstPreventAccess).AddItem(d);
    }
    // The objects go before the apartment does.
    void TearDown() override { form_.reset(); }
    com::ComInit com_;
};

TEST_F(LibraryPagesTest, WhatApplyWritesTheNextStartReads) {
    struct Case {
        const char* what;
        std::vector<int> boxes;
        int count;
    };
    const Case cases[] = {
        {"every tweak with 12 connections", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 12},
        {"none", {}, 2},
        {"some", {0, 4, 8}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (auto* box : f().chkOptimizer) box->Value(0);
        for (int b : c.boxes) f().chkOptimizer[static_cast<size_t>(b)]->Value(-1);
        f().lstPreventAccess->Checked(0, true);
        f().cmbConnections->ListIndex(c.count - 1);
        Button(f().cmdOptimizeApply).UserClick();
        EXPECT_EQ(window_.shown.back(), "Optimization settings have been applied successfully. Ok icon 2");

        main::frmMain next(factory_, window_);
        next.Optimizer = main::MakeQuenzaOptimizer();
        next.LoadOptimizerSettings();
        const auto chosen = [&](int i) { return std::find(c.boxes.begin(), c.boxes.end(), i) != c.boxes.end(); };
        // The connections tweak turned off shows off again, with the system's count of 2.
        for (int i = 0; i < 11; ++i)
            EXPECT_EQ(next.chkOptimizer[static_cast<size_t>(i)]->Value() != 0, chosen(i)) << i;
        EXPECT_EQ(next.cmbConnections->Text(), chosen(1) ? std::to_string(c.count) : "2");
    }
}

TEST_F(LibraryPagesTest, TheRegisteredShredderTakesThePagesConfiguration) {
    form_->Shredder = main::MakeFraxilShredder(f());
    f().cmdShredder_Click(0);
    f().InitShredder();
    Mem<controls::MemoryComboBox>(f().cmbShredMethod).UserChoose(2);
    EXPECT_EQ(f().Shredder->SessionType(), 0);
    Button(f().cmdShredder[2]).UserClick();
    EXPECT_EQ(f().Shredder->SessionType(), 2);
}

}  // namespace
}  // namespace tidvex::test
