// The run frame that the four cleaner classes share, table-driven across them:
// event order with every switch off and on, stop, busy and reset, re-entry, the
// error path of a failing step, the switches and the library-wide shred switch.
// The classes run in this process with their step actions replaced by a test
// hook, so nothing on the machine is touched.
#include "classes.h"
#include "frame.h"

#include "cleaner_events.h"
#include "fake_platform.h"

#include "com/client.h"
#include "fs/fso.h"
#include "harness/support.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace tidvex::com;
using velmora::test::EventRecorder;
using velmora::test::FakePlatform;

struct ClassCase {
    const char* name;
    HRESULT (*create)(REFIID, void**);
    const IID* events;
    std::vector<const wchar_t*> switches;  // every settable switch
    std::vector<const char*> captions;     // run order; nullptr: no caption
    std::vector<size_t> twoWaySteps;
    bool stopTestAfterLastStep;
    bool cleanStartFalse;
    const wchar_t* reset;
    bool hasShredSwitch;
    std::vector<int> stepOfSwitch;  // per entry of `switches`: its step in run order, -1 for none
};

const ClassCase kClasses[] = {
    {"WinCls", &Create<velmora::WinCls>, &DIID___WinCls,
     {L"CleanTmpFolder", L"CleanCdTmp", L"CleanTemplates", L"CleanRecBin", L"CleanRecent3D", L"CleanInputRecent",
      L"CleanDrawRecent", L"CleanClipboardRecent", L"CleanAssHistory", L"CleanComDialogHistory", L"CleanLogFiles",
      L"CleanMsPaintRecent", L"CleanWordPadRecent", L"CleanRunHistory", L"CleanFindHistoryP", L"CleanMPRecent",
      L"CleanRecentDoc", L"CleanIconCashP", L"CleanRecentPrinter", L"CleanRecentRegedit", L"CleanRegeditHistory"},
     {"Cleaning Temp Folder", "Cleaning CD Burning Folder", "Cleaning Templates Folder", "Cleaning Recycle bin",
      "Cleaning Direct 3D MRU", "Cleaning Direct Input MRU", "Cleaning Direct Draw MRU", "Cleaning Clipboard",
      "Clening user assistant history", "Cleaning Open & Save history", "Cleaning Windows log files",
      "Cleaning MS Paint MRU", "Cleaning Word Pad History", "Cleaning Run Dialog History", "Cleaning Find History",
      "Cleaning Media Player history", "Cleaning Recent Documents", "Cleaning Icon Cache",
      "Cleaning Printer Connections", "Cleaning RegEdit History", "Cleaning RegEdit History"},
     {}, false, false, L"WinReset", true,
     {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
    {"OfficCls", &Create<velmora::OfficCls>, &DIID___OfficCls,
     {L"CleanAccessMRU", L"CleanWordMRU", L"CleanOutlookMRU", L"CleanPhotoEditorMRU", L"CleanExcelMRU",
      L"CleanPowerPointMRU"},
     {"Cleaning MS Access MRU", "Cleaning MS Excel MRU", "Cleaning MS Pwerpoint MRU", "Cleaning MS Photo Editor MRU",
      "Cleaning MS Outlook MRU", "Cleaning MS Word MRU"},
     {}, true, false, L"OfficeReset", false,
     {0, 5, 4, 3, 1, 2}},
    {"BrowsCls", &Create<velmora::BrowsCls>, &DIID___BrowsCls,
     {L"IECleanCashe", L"IECleanTypedUrl", L"IECleanHistory", L"IECleanDownloadDir", L"IEAutoComplete",
      L"IERemoveCookies", L"IETypedUrlP", L"IEFavorite", L"IEPassWord", L"FFCleanCash", L"FFCleanHistory",
      L"FFCleanBookMark", L"FFRemoveCookies", L"NSCleanHistory", L"NSCleanCash", L"NSCleanAutoComplete",
      L"NSCleanCookies", L"NSCleanMail", L"OPCleanHistory", L"OPCleanCash", L"OPCleanCookie"},
     {"Cleaning IE Typed URLs", "Cleaning IE History", "Cleaning IE Download Directory", nullptr,
      "Cleaning IE Cookies", nullptr, nullptr, nullptr, "Cleaning IE Cahce", "Cleaning FireFox Cache",
      "Cleaning FireFox History", "Cleaning FireFox Book Marks", "Cleaning FireFox Cookies", "Cleaning Opera Cache",
      "Cleaning Opera History", "Cleaning Opera Cookies", "Cleaning Netscape History", "Cleaning Netscape Cache",
      nullptr, "Cleaning Netscape Cookies", "Cleaning Netscape Mail Trash"},
     {3, 5, 6, 7}, true, true, L"BrowsReset", true,
     {8, 0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 16, 17, 18, 19, 20, 14, 13, 15}},
    {"ChatCls", &Create<velmora::ChatCls>, &DIID___ChatCls,
     {L"CleanMSNAccount", L"CleanMSNRecived", L"MSNShowEmoticons", L"CleanYahooPage", L"CleanYahooProfile",
      L"CleanICQReceivedFile", L"CleanICQChat", L"CleanICQBookmark", L"CleanICQBrowsCache"},
     {nullptr, "Cleaning MSN received files", "Cleaning Yahoo pager settings", "Cleaning Yahoo profiles",
      "Cleaning ICQ Bookmarks", "Cleaning ICQ Chats", "Cleaning ICQ Browser Cache", "Cleaning ICQ Received files"},
     {0}, true, true, L"ChatReset", true,
     {-1, 1, 0, 2, 3, 7, 5, 4, 6}},
};

// One step as the hook saw it: its index and the switch's value.
struct Ran {
    size_t step;
    bool on;
    bool operator==(const Ran&) const = default;
};

class CleanerFrame : public testing::TestWithParam<ClassCase> {
protected:
    void SetUp() override {
        const ClassCase& c = GetParam();
        ASSERT_EQ(c.create(IID_IDispatch, obj_.PutVoid()), S_OK);
        ASSERT_EQ(events_.Connect(obj_.Get()), S_OK);
    }

    void Call(const wchar_t* member) {
        ASSERT_EQ(InvokeByName(obj_.Get(), member, DISPATCH_METHOD), S_OK) << Narrow(member);
    }
    void SetSwitch(const wchar_t* name, bool on) {
        ASSERT_EQ(InvokeByName(obj_.Get(), name, DISPATCH_PROPERTYPUT, {Variant::FromBool(on)}), S_OK) << Narrow(name);
    }
    bool GetSwitch(const wchar_t* name) {
        Variant v;
        EXPECT_EQ(InvokeByName(obj_.Get(), name, DISPATCH_PROPERTYGET, {}, &v), S_OK) << Narrow(name);
        EXPECT_EQ(v.Type(), VT_BOOL) << Narrow(name);
        return v.AsBool();
    }
    void SwitchAll(bool on) {
        for (const wchar_t* s : GetParam().switches) SetSwitch(s, on);
    }
    void Run() {
        ran_.clear();
        events_.Clear();
        Call(L"StartClean");
    }
    size_t StepCount() const { return GetParam().captions.size(); }
    // The events of a complete run in which the steps `steps` raised their captions.
    std::vector<std::string> CompleteRun(const std::vector<size_t>& steps) const {
        std::vector<std::string> out{"CleanStart(-1)"};
        for (size_t s : steps) {
            if (GetParam().captions[s]) out.push_back(std::string("Op:") + GetParam().captions[s]);
        }
        out.push_back("CleanEnd(-1)");
        if (GetParam().cleanStartFalse) out.push_back("CleanStart(0)");
        return out;
    }
    std::vector<std::string> Begun(const std::vector<size_t>& steps) const {
        std::vector<std::string> out = CompleteRun(steps);
        out.erase(out.end() - (GetParam().cleanStartFalse ? 2 : 1), out.end());
        return out;
    }

    FakePlatform platform_{tidvex::test::ScratchFolder("frame")};
    ComPtr<IDispatch> obj_;
    EventRecorder events_{*GetParam().events};
    std::vector<Ran> ran_;
    std::function<void(size_t)> onStep_;
    tidvex::ScopedSeam<velmora::StepHook> hook_{velmora::gStepHook, [this](const char* cleaner, size_t step, bool on) {
                                                    EXPECT_STREQ(cleaner, GetParam().name);
                                                    ran_.push_back({step, on});
                                                    if (onStep_) onStep_(step);
                                                    return true;
                                                }};
};

TEST_P(CleanerFrame, WithEverySwitchOffOnlyTheTwoWayStepsRunWithoutCaptions) {
    Run();
    EXPECT_EQ(events_.Events(), CompleteRun({}));
    std::vector<Ran> expected;
    for (size_t s : GetParam().twoWaySteps) expected.push_back({s, false});
    EXPECT_EQ(ran_, expected);
}

TEST_P(CleanerFrame, WithEverySwitchOnEveryStepRunsInOrderAfterItsCaption) {
    SwitchAll(true);
    Run();
    std::vector<size_t> all;
    std::vector<Ran> expected;
    for (size_t s = 0; s < StepCount(); ++s) {
        all.push_back(s);
        expected.push_back({s, true});
    }
    EXPECT_EQ(events_.Events(), CompleteRun(all));
    EXPECT_EQ(ran_, expected);
}

TEST_P(CleanerFrame, StopDuringAStepEndsTheRunAndLeavesTheObjectBusyUntilReset) {
    SwitchAll(true);
    const size_t stopAt = 1;
    onStep_ = [&](size_t step) {
        if (step == stopAt) Call(L"StopClean");
    };
    Run();
    EXPECT_EQ(events_.Events(), Begun({0, 1})) << "no end event after a stop";
    ASSERT_EQ(ran_.size(), 2u) << "the step in progress finishes, no later one runs";

    onStep_ = nullptr;
    Run();
    EXPECT_EQ(events_.Events(), std::vector<std::string>{"Showmsg(1,This operation already working now.)"});
    EXPECT_TRUE(ran_.empty());

    Call(GetParam().reset);
    for (const wchar_t* s : GetParam().switches) {
        if (std::wstring(s) != L"MSNShowEmoticons") {
            EXPECT_FALSE(GetSwitch(s)) << Narrow(s) << " after the reset";
        }
    }
    SwitchAll(true);
    Run();
    EXPECT_EQ(events_.Events().front(), "CleanStart(-1)");
    EXPECT_EQ(ran_.size(), StepCount());
}

TEST_P(CleanerFrame, StopBeforeStartHasNoEffect) {
    Call(L"StopClean");
    Run();
    EXPECT_EQ(events_.Events(), CompleteRun({}));
}

TEST_P(CleanerFrame, StopDuringTheLastStepEndsTheRunUnlessTheClassSkipsTheLastStopTest) {
    SwitchAll(true);
    onStep_ = [&](size_t step) {
        if (step == StepCount() - 1) Call(L"StopClean");
    };
    Run();
    std::vector<size_t> all;
    for (size_t s = 0; s < StepCount(); ++s) all.push_back(s);
    if (GetParam().stopTestAfterLastStep) {
        EXPECT_EQ(events_.Events(), Begun(all));
    } else {
        EXPECT_EQ(events_.Events(), CompleteRun(all));
        onStep_ = nullptr;
        Run();
        EXPECT_EQ(events_.Events(), CompleteRun(all)) << "a completed run leaves the object idle";
    }
}

TEST_P(CleanerFrame, StartCleanDuringARunReportsBusyAndClearsTheStopFlag) {
    SwitchAll(true);
    onStep_ = [&](size_t step) {
        if (step != 0) return;
        Call(L"StopClean");
        Call(L"StartClean");  // as when a caller's handler runs while the shredder yields
    };
    Run();
    std::vector<size_t> all;
    for (size_t s = 0; s < StepCount(); ++s) all.push_back(s);
    std::vector<std::string> expected = CompleteRun(all);
    expected.insert(expected.begin() + (GetParam().captions[0] ? 2 : 1),
                    "Showmsg(1,This operation already working now.)");
    EXPECT_EQ(events_.Events(), expected);
    EXPECT_EQ(ran_.size(), StepCount());
}

TEST_P(CleanerFrame, AFailingStepEndsTheRunThroughTheErrorPath) {
    SwitchAll(true);
    const size_t failAt = 2;
    onStep_ = [&](size_t step) {
        if (step == failAt) throw tidvex::fs::MakeFsError(tidvex::fs::kPermissionDenied);
    };
    Run();
    std::vector<std::string> expected = Begun({0, 1, 2});
    expected.push_back("Showmsg(2,Permission denied)");
    expected.push_back("CleanAbort(-1)");
    if (GetParam().cleanStartFalse) expected.push_back("CleanStart(0)");
    EXPECT_EQ(events_.Events(), expected);
    EXPECT_EQ(ran_.size(), failAt + 1) << "no later step runs";

    // The object is idle again, and its switches are as they were.
    onStep_ = nullptr;
    Run();
    EXPECT_EQ(ran_.size(), StepCount());
    EXPECT_EQ(events_.Events()[events_.Events().size() - (GetParam().cleanStartFalse ? 2 : 1)], "CleanEnd(-1)");
}

TEST_P(CleanerFrame, EachSwitchReadsBackAloneAndTheResetClearsThem) {
    const auto& switches = GetParam().switches;
    for (const wchar_t* s : switches) EXPECT_FALSE(GetSwitch(s)) << Narrow(s) << " of a new object";
    for (const wchar_t* set : switches) {
        SetSwitch(set, true);
        for (const wchar_t* s : switches) {
            bool stored = std::wstring(s) == set && std::wstring(s) != L"CleanMSNAccount";
            EXPECT_EQ(GetSwitch(s), stored) << Narrow(s) << " after setting " << Narrow(set);
        }
        SetSwitch(set, false);
    }
    SwitchAll(true);
    Call(GetParam().reset);
    for (const wchar_t* s : switches) {
        // The messenger cleaner's emoticons setting outlives its reset.
        EXPECT_EQ(GetSwitch(s), std::wstring(s) == L"MSNShowEmoticons") << Narrow(s);
    }
}

TEST_P(CleanerFrame, OnlyTheStepsWhoseSwitchIsOnRaiseTheirCaption) {
    // The last switch in interface order.
    const wchar_t* last = GetParam().switches.back();
    SetSwitch(last, true);
    Run();
    ASSERT_EQ(events_.Captions().size(), 1u);
    for (const Ran& r : ran_) {
        bool twoWay = std::find(GetParam().twoWaySteps.begin(), GetParam().twoWaySteps.end(), r.step) !=
                      GetParam().twoWaySteps.end();
        if (!twoWay) {
            EXPECT_EQ(GetParam().captions[r.step], events_.Captions()[0]);
        }
    }
}

TEST_P(CleanerFrame, EachSwitchAloneRunsItsOwnStepAfterItsOwnCaption) {
    const ClassCase& c = GetParam();
    ASSERT_EQ(c.stepOfSwitch.size(), c.switches.size());
    for (size_t i = 0; i < c.switches.size(); ++i) {
        Call(c.reset);
        SetSwitch(c.switches[i], true);
        Run();
        const int own = c.stepOfSwitch[i];
        std::vector<Ran> expected;
        for (size_t s = 0; s < StepCount(); ++s) {
            bool twoWay = std::find(c.twoWaySteps.begin(), c.twoWaySteps.end(), s) != c.twoWaySteps.end();
            if (static_cast<int>(s) == own) {
                expected.push_back({s, true});
            } else if (twoWay) {
                expected.push_back({s, false});
            }
        }
        EXPECT_EQ(ran_, expected) << Narrow(c.switches[i]);
        std::vector<std::string> captions;
        if (own >= 0 && c.captions[own]) captions.push_back(c.captions[own]);
        EXPECT_EQ(events_.Captions(), captions) << Narrow(c.switches[i]);
        SetSwitch(c.switches[i], false);
    }
}

INSTANTIATE_TEST_SUITE_P(Cleaners, CleanerFrame, testing::ValuesIn(kClasses),
                         [](const testing::TestParamInfo<ClassCase>& info) { return std::string(info.param.name); });

TEST(ShredSwitch, IsOneSwitchForEveryObjectOfEveryClass) {
    FakePlatform platform(tidvex::test::ScratchFolder("shred"));
    ComPtr<IDispatch> win, brows, chat, office;
    ASSERT_EQ(Create<velmora::WinCls>(IID_IDispatch, win.PutVoid()), S_OK);
    ASSERT_EQ(Create<velmora::BrowsCls>(IID_IDispatch, brows.PutVoid()), S_OK);
    ASSERT_EQ(Create<velmora::ChatCls>(IID_IDispatch, chat.PutVoid()), S_OK);
    ASSERT_EQ(Create<velmora::OfficCls>(IID_IDispatch, office.PutVoid()), S_OK);
    auto get = [](IDispatch* d) {
        Variant v;
        EXPECT_EQ(InvokeByName(d, L"isShredInsteadofNormalDelete", DISPATCH_PROPERTYGET, {}, &v), S_OK);
        return v.AsBool();
    };
    EXPECT_FALSE(get(win.Get()));
    ASSERT_EQ(InvokeByName(brows.Get(), L"isShredInsteadofNormalDelete", DISPATCH_PROPERTYPUT,
                           {Variant::FromBool(true)}),
              S_OK);
    EXPECT_TRUE(get(win.Get())) << "an object made earlier sees the change";
    EXPECT_TRUE(get(chat.Get()));
    EXPECT_EQ(velmora::ShredSwitch(), VARIANT_TRUE);
    InvokeByName(win.Get(), L"WinReset", DISPATCH_METHOD);
    EXPECT_TRUE(get(brows.Get())) << "a reset leaves the shred switch alone";
    EXPECT_EQ(InvokeByName(office.Get(), L"isShredInsteadofNormalDelete", DISPATCH_PROPERTYGET), DISP_E_UNKNOWNNAME)
        << "the Office cleaner has no shred switch";
    ASSERT_EQ(InvokeByName(chat.Get(), L"isShredInsteadofNormalDelete", DISPATCH_PROPERTYPUT,
                           {Variant::FromBool(false)}),
              S_OK);
    EXPECT_FALSE(get(brows.Get()));
}

TEST(ShredSwitch, IsPassedByReferenceAsTheTypeLibrarySays) {
    FakePlatform platform(tidvex::test::ScratchFolder("shredref"));
    ComPtr<_WinCls> win;
    ASSERT_EQ(Create<velmora::WinCls>(__uuidof(_WinCls), win.PutVoid()), S_OK);
    VARIANT_BOOL on = VARIANT_TRUE;
    ASSERT_EQ(win->put_isShredInsteadofNormalDelete(&on), S_OK);
    VARIANT_BOOL now = VARIANT_FALSE;
    ASSERT_EQ(win->get_isShredInsteadofNormalDelete(&now), S_OK);
    EXPECT_EQ(now, VARIANT_TRUE);
    on = VARIANT_FALSE;
    win->put_isShredInsteadofNormalDelete(&on);
}

}  // namespace
