// Each of the three libraries registers itself, and every class it lists can be
// created by its ProgID.
#include "Fraxil.h"
#include "Quenza.h"
#include "Velmora.h"

#include "com/client.h"
#include "harness/support.h"

#include <gtest/gtest.h>

namespace {

using namespace tidvex::com;
using tidvex::test::RegReadString;

TEST(Libraries, EveryClassIsCreatableByProgId) {
    const wchar_t* progIds[] = {L"Fraxil.Shredder", L"Fraxil.Shredder.1", L"Velmora.BrowsCls", L"Velmora.WinCls",
                                L"Velmora.OfficCls", L"Velmora.ChatCls", L"Velmora.General", L"Velmora.INI",
                                L"Velmora.OS", L"Velmora.System", L"VqQuenza.Optimizer", L"VqQuenza.Error"};
    for (const wchar_t* progId : progIds) {
        HRESULT hr = E_FAIL;
        auto obj = CreateByProgId<IDispatch>(progId, &hr);
        EXPECT_TRUE(obj) << Narrow(progId) << " hr=0x" << std::hex << hr;
        if (!obj) continue;
        ComPtr<ITypeInfo> ti;
        EXPECT_EQ(obj->GetTypeInfo(0, LOCALE_USER_DEFAULT, ti.Put()), S_OK) << Narrow(progId);
    }
}

TEST(Libraries, ShredderRegistrationScript) {
    const std::string clsid = "CLSID\\{0A4888C2-6332-4ABA-A7AF-B35AFC147054}";
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "Fraxil.Shredder.1", ""), "Shredder Class");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "Fraxil.Shredder", ""), "Shredder Class");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "Fraxil.Shredder\\CurVer", ""), "Fraxil.Shredder.1");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, clsid, ""), "Shredder Class");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, clsid + "\\TypeLib", ""), "{D608CE0A-0617-41E4-B32C-1012AD61BC2D}");
}

TEST(Libraries, CleanerClassesOfferTheirEventInterfaces) {
    const std::pair<const CLSID*, const IID*> cleaners[] = {{&CLSID_BrowsCls, &DIID___BrowsCls},
                                                            {&CLSID_WinCls, &DIID___WinCls},
                                                            {&CLSID_OfficCls, &DIID___OfficCls},
                                                            {&CLSID_ChatCls, &DIID___ChatCls},
                                                            {&CLSID_Shredder, &DIID__IShredderEvents}};
    for (auto [clsid, events] : cleaners) {
        auto obj = CreateByClsid<IConnectionPointContainer>(*clsid);
        ASSERT_TRUE(obj);
        ComPtr<IConnectionPoint> cp;
        EXPECT_EQ(obj->FindConnectionPoint(*events, cp.Put()), S_OK) << GuidText(*events);
    }
}

}  // namespace
