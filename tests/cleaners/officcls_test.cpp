// The Office cleaner through its COM interface: created by ProgID, events
// received by a sink, working on the most-recently-used lists the test seeded
// for the four Office versions in the sandbox's registry.
#include "Velmora.h"

#include "cleaner_events.h"
#include "library_copy.h"
#include "reg_seed.h"

#include "com/client.h"
#include "harness/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace tidvex::com;
using tidvex::test::RegKeyExists;
using velmora::test::CreateKey;
using velmora::test::EventRecorder;
using velmora::test::SetString;
using velmora::test::TodaysLog;
using velmora::test::ValueExists;

const char* const kVersions[] = {"11.0", "10.0", "9.0", "8.0"};
const wchar_t* const kSwitches[] = {L"CleanAccessMRU",      L"CleanWordMRU",  L"CleanOutlookMRU",
                                    L"CleanPhotoEditorMRU", L"CleanExcelMRU", L"CleanPowerPointMRU"};
const std::vector<std::string> kCaptions = {"Cleaning MS Access MRU",       "Cleaning MS Excel MRU",
                                            "Cleaning MS Pwerpoint MRU",    "Cleaning MS Photo Editor MRU",
                                            "Cleaning MS Outlook MRU",      "Cleaning MS Word MRU"};

std::string Office(const char* version, const std::string& rest) {
    return std::string("Software\\Microsoft\\Office\\") + version + rest;
}

class OfficClsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { libFolder_ = velmora::test::RegisterLibraryCopy("velmora_office"); }

    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Microsoft\\Office");
        HRESULT hr;
        obj_ = CreateByProgId<IDispatch>(L"Velmora.OfficCls", &hr);
        ASSERT_TRUE(obj_) << std::hex << hr;
        ASSERT_EQ(events_.Connect(obj_.Get()), S_OK);
    }
    void Set(const wchar_t* name) {
        ASSERT_EQ(InvokeByName(obj_.Get(), name, DISPATCH_PROPERTYPUT, {Variant::FromBool(true)}), S_OK);
    }
    void Run() {
        events_.Clear();
        ASSERT_EQ(InvokeByName(obj_.Get(), L"StartClean", DISPATCH_METHOD), S_OK);
    }

    static std::string libFolder_;
    ComPtr<IDispatch> obj_;
    EventRecorder events_{DIID___OfficCls};
};

std::string OfficClsTest::libFolder_;

TEST_F(OfficClsTest, WithoutOfficeEveryStepRunsInRunOrderAndChangesNothing) {
    for (const wchar_t* s : kSwitches) Set(s);
    Run();
    std::vector<std::string> expected{"CleanStart(-1)"};
    for (const auto& c : kCaptions) expected.push_back("Op:" + c);
    expected.push_back("CleanEnd(-1)");
    EXPECT_EQ(events_.Events(), expected);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Office"));
}

TEST_F(OfficClsTest, EveryListGoesForEveryVersionAndEverythingElseStays) {
    for (const char* v : kVersions) {
        const std::string access = Office(v, "\\Access\\Settings");
        for (const char* name : {"MRU1", "mru2", "xMrUy", "Other", "MR U"}) {
            SetString(HKEY_CURRENT_USER, access, name, "x");
        }
        SetString(HKEY_CURRENT_USER, Office(v, "\\Excel\\recent files"), "File1", "C:\\a.xls");
        for (const char* app : {"\\PowerPoint\\Data", "\\PhotoEditor\\Data", "\\Outlook\\Data", "\\Word\\Data"}) {
            SetString(HKEY_CURRENT_USER, Office(v, app), "Settings", "binary list");
            SetString(HKEY_CURRENT_USER, Office(v, app), "Keep", "1");
        }
        SetString(HKEY_CURRENT_USER, Office(v, "\\PowerPoint\\Recent File List"), "File1", "C:\\a.ppt");
    }
    CreateKey(HKEY_CURRENT_USER, Office("11.0", "\\PowerPoint\\Recent File List\\sub"));
    for (const wchar_t* s : kSwitches) Set(s);
    Run();
    EXPECT_EQ(events_.Captions(), kCaptions);
    EXPECT_EQ(events_.Events().back(), "CleanEnd(-1)");

    const std::string cu = "HKEY_CURRENT_USER\\";
    std::string log = TodaysLog(libFolder_);
    for (const char* v : kVersions) {
        const std::string access = Office(v, "\\Access\\Settings");
        for (const char* gone : {"MRU1", "mru2", "xMrUy"}) {
            EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, access, gone)) << v << " " << gone;
            EXPECT_NE(log.find("\tREG: " + cu + access + "\\" + gone + "\r\n"), std::string::npos) << gone;
        }
        EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, access, "Other")) << v;
        EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, access, "MR U")) << v;
        EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, Office(v, "\\Excel\\recent files"))) << v;
        EXPECT_NE(std::find(events_.Events().begin(), events_.Events().end(),
                            "Showmsg(3," + cu + Office(v, "\\Excel\\recent files") + ")"),
                  events_.Events().end())
            << "the registry copy's report reaches the caller as kind 3";
        for (const char* app : {"\\PowerPoint\\Data", "\\PhotoEditor\\Data", "\\Outlook\\Data", "\\Word\\Data"}) {
            EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, Office(v, app), "Settings")) << v << app;
            EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, Office(v, app), "Keep")) << v << app;
        }
        bool list = RegKeyExists(HKEY_CURRENT_USER, Office(v, "\\PowerPoint\\Recent File List"));
        EXPECT_EQ(list, std::string(v) != "11.0") << "the PowerPoint list key goes for 11.0 only";
    }
}

// A registry link planted where a step deletes is never followed: values are
// not deleted in the key it points to, and a deleted link goes as a link. A
// link ABOVE a list's key (the application's key made a link to a machine key
// holding the list's name) refuses that deletion, logged; the run goes on.
TEST_F(OfficClsTest, RegistryLinksInTheListsAreNeverFollowed) {
    using tidvex::test::LinkTargetIntact;
    struct Case {
        const wchar_t* step;
        std::string link;
        bool leafTarget;
        const char* value;  // what the step would delete in the target
        bool linkGoes;
        const char* inner = "inner";  // the list's key in the target, for a link above it
    } cases[] = {
        {L"CleanWordMRU", Office("11.0", "\\Word\\Data"), true, "Settings", false},
        {L"CleanAccessMRU", Office("10.0", "\\Access\\Settings"), true, "MRU1", false},
        {L"CleanExcelMRU", Office("9.0", "\\Excel\\recent files"), true, "File1", true},
        {L"CleanPowerPointMRU", Office("11.0", "\\PowerPoint\\Recent File List\\planted"), false, "File1", true},
        {L"CleanExcelMRU", Office("11.0", "\\Excel"), false, "File1", false, "recent files"},
        {L"CleanWordMRU", Office("10.0", "\\Word"), false, "Settings", false, "Data"},
        {L"CleanAccessMRU", Office("9.0", "\\Access"), false, "MRU1", false, "Settings"},
        {L"CleanPowerPointMRU", Office("10.0", "\\PowerPoint"), false, "Settings", false, "Data"},
        {L"CleanOutlookMRU", Office("8.0", "\\Outlook"), false, "Settings", false, "Data"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const std::string target =
            tidvex::test::SeedLinkTarget("officcls" + std::to_string(i), c.leafTarget, c.value, c.inner);
        ASSERT_TRUE(tidvex::test::MakeRegistryLink(HKEY_CURRENT_USER, c.link, target)) << c.link;
        Set(c.step);
    }
    Run();
    EXPECT_EQ(events_.Events().back(), "CleanEnd(-1)");
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_TRUE(LinkTargetIntact("officcls" + std::to_string(i), c.leafTarget, c.value, c.inner)) << c.link;
        EXPECT_EQ(tidvex::test::RegistryLinkExists(HKEY_CURRENT_USER, c.link), !c.linkGoes) << c.link;
        tidvex::test::RemoveRegistryLink(HKEY_CURRENT_USER, c.link);
    }
    EXPECT_NE(TodaysLog(libFolder_).find("a registry link on the way"), std::string::npos);
}

TEST_F(OfficClsTest, AnExcelListWithSubkeysStaysAndTheRunGoesOn) {
    SetString(HKEY_CURRENT_USER, Office("10.0", "\\Excel\\recent files"), "File1", "C:\\a.xls");
    CreateKey(HKEY_CURRENT_USER, Office("10.0", "\\Excel\\recent files\\child"));
    SetString(HKEY_CURRENT_USER, Office("9.0", "\\Word\\Data"), "Settings", "x");
    Set(L"CleanExcelMRU");
    Set(L"CleanWordMRU");
    Run();
    EXPECT_EQ(events_.Events().back(), "CleanEnd(-1)");
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, Office("10.0", "\\Excel\\recent files")));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, Office("9.0", "\\Word\\Data"), "Settings"));
}

TEST_F(OfficClsTest, OnlyWordRaisesOneCaptionAndAfterTheResetNothingRuns) {
    SetString(HKEY_CURRENT_USER, Office("8.0", "\\Outlook\\Data"), "Settings", "x");
    Set(L"CleanWordMRU");
    Run();
    EXPECT_EQ(events_.Captions(), std::vector<std::string>{"Cleaning MS Word MRU"});
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, Office("8.0", "\\Outlook\\Data"), "Settings"));

    Set(L"CleanOutlookMRU");
    Variant result;
    ASSERT_EQ(InvokeByName(obj_.Get(), L"OfficeReset", DISPATCH_METHOD, {}, &result), S_OK);
    EXPECT_EQ(result.Type(), VT_EMPTY);
    Run();
    EXPECT_EQ(events_.Events(), (std::vector<std::string>{"CleanStart(-1)", "CleanEnd(-1)"}));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, Office("8.0", "\\Outlook\\Data"), "Settings"));
}

}  // namespace
