// The registered Shredder class through COM: registration, the interface's member
// order and dispatch ids, the event table, defaults and flag values, the method
// cursor, and what every member answers on a fresh object.
#include "Fraxil.h"

#include "com/client.h"
#include "harness/support.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tidvex::com;
using tidvex::test::RegKeyExists;
using tidvex::test::RegReadString;

struct Fired {
    DISPID id;
    std::string text;
    LONG number;
};

// A shredder created by ProgID with a sink that records its events.
class Shredder : public ::testing::Test {
protected:
    void SetUp() override {
        HRESULT hr = E_FAIL;
        obj_ = CreateByProgId<IShredder>(L"Fraxil.Shredder", &hr);
        ASSERT_TRUE(obj_) << std::hex << hr;
        ASSERT_EQ(sink_.Connect(obj_.Get()), S_OK);
    }
    void TearDown() override { sink_.Disconnect(); }

    LONG Call(HRESULT (STDMETHODCALLTYPE IShredder::*member)(LONG*), HRESULT expect = S_OK) {
        LONG out = -7;
        EXPECT_EQ((obj_.Get()->*member)(&out), expect);
        return out;
    }
    LONG GetLong(HRESULT (STDMETHODCALLTYPE IShredder::*member)(LONG*)) { return Call(member); }
    std::string GetText(HRESULT (STDMETHODCALLTYPE IShredder::*member)(BSTR*)) {
        Bstr b;
        EXPECT_EQ((obj_.Get()->*member)(b.Put()), S_OK);
        return b.Text();
    }

    ComPtr<IShredder> obj_;
    std::vector<Fired> fired_;
    EventSink sink_{DIID__IShredderEvents, [this](DISPID id, const DISPPARAMS& p) {
                        Fired f{id, "", 0};
                        if (id == 1 || id == 3) f.text = EventArgText(p, 0);
                        if (id == 2) f = {id, EventArgText(p, 0), EventArgLong(p, 1)};
                        if (id == 4 || id == 5) f.number = EventArgLong(p, 0);
                        fired_.push_back(f);
                    }};
};

TEST(ShredderClass, RegistrationAndCreationByEitherProgId) {
    const std::string clsid = "{0A4888C2-6332-4ABA-A7AF-B35AFC147054}";
    const std::string key = "CLSID\\" + clsid;
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "Fraxil.Shredder.1", ""), "Shredder Class");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "Fraxil.Shredder.1\\CLSID", ""), clsid);
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "Fraxil.Shredder", ""), "Shredder Class");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "Fraxil.Shredder\\CLSID", ""), clsid);
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "Fraxil.Shredder\\CurVer", ""), "Fraxil.Shredder.1");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, key, ""), "Shredder Class");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, key + "\\ProgID", ""), "Fraxil.Shredder.1");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, key + "\\VersionIndependentProgID", ""), "Fraxil.Shredder");
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, key + "\\Programmable"));
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "ThreadingModel"), "Apartment");
    EXPECT_NE(RegReadString(HKEY_CLASSES_ROOT, key + "\\InprocServer32", "").value_or("").find("Fraxil.dll"),
              std::string::npos);
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, key + "\\TypeLib", ""), "{D608CE0A-0617-41E4-B32C-1012AD61BC2D}");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "TypeLib\\{D608CE0A-0617-41E4-B32C-1012AD61BC2D}\\1.0", ""),
              "Fraxil 1.0 Type Library");

    for (const wchar_t* progId : {L"Fraxil.Shredder", L"Fraxil.Shredder.1"}) {
        auto obj = CreateByProgId<IShredder>(progId);
        ASSERT_TRUE(obj);
        EXPECT_TRUE(obj.As<IConnectionPointContainer>());
    }
}

TEST(ShredderClass, MembersCarryDispatchIdsInInterfaceOrder) {
    auto obj = CreateByProgId<IDispatch>(L"Fraxil.Shredder");
    ASSERT_TRUE(obj);
    const wchar_t* members[] = {
        L"Initialize", L"ShredderApplicationName", L"ProfileName", L"ShredMethod", L"Language", L"ApplicationPath",
        L"EnableHook", L"StartHook", L"StopHook", L"EnableRestorePoints", L"ReleaseShredder", L"EnableContextMenu",
        L"AddContextMenu", L"EnableLogFile", L"LogFileName", L"DisableWarning", L"ShredSubFolder", L"RemoveSubFolder",
        L"CurrentProgress", L"CurrentTotalProgress", L"SessionState", L"GetRestorePoints", L"LastMessage",
        L"CurrentItemShredded", L"NewSession", L"StartSession", L"AbortSession", L"AddFile", L"AddFolder", L"AddDrive",
        L"RemoveFile", L"RemoveFolder", L"RemoveDrive", L"FilesCount", L"FoldersCount", L"DrivesCount",
        L"RestorePointsCount", L"GetFirstRestorePoint", L"strRestorePointName", L"nRestorePointSequenceNumber",
        L"strRestorePointType", L"CreationTime", L"NextRestorePoint", L"GetFirstFile", L"NextFile", L"GetFirstFolder",
        L"NextFolder", L"GetFirstDrive", L"NextDrive", L"SessionType", L"GetFirstShreddingAlgorithm",
        L"NextShreddingAlgorithm", L"CurrentAlgorithmName", L"CurrentAlgorithmDescription",
        L"CurrentAlgorithmPassesCount", L"CurrentAlgorithm_PassInfo_PatternLength",
        L"CurrentAlgorithm_PassInfo_WriteType", L"CurrentAlgorithm_PassInfo_Pattern", L"ParentWindowHandle",
        L"ShredHiddenAndSystemFiles", L"CommandLineString", L"ProcessCommandLine", L"FilesInUseCount"};
    DISPID expected = 1;
    for (const wchar_t* name : members) {
        DISPID id = -1;
        LPOLESTR n = const_cast<LPOLESTR>(name);
        ASSERT_EQ(obj->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id), S_OK) << Narrow(name);
        EXPECT_EQ(id, expected++) << Narrow(name);
    }
    ComPtr<ITypeInfo> ti;
    ASSERT_EQ(obj->GetTypeInfo(0, LOCALE_USER_DEFAULT, ti.Put()), S_OK);
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(ti->GetTypeAttr(&attr), S_OK);
    // 63 members, a second entry for each of the 17 read-write properties, and IDispatch's seven.
    EXPECT_EQ(attr->cFuncs, 63 + 17 + 7);
    ti->ReleaseTypeAttr(attr);
}

TEST(ShredderClass, TheEventInterfaceHasItsSixEvents) {
    auto obj = CreateByProgId<IDispatch>(L"Fraxil.Shredder");
    ASSERT_TRUE(obj);
    ComPtr<ITypeInfo> own;
    ASSERT_EQ(obj->GetTypeInfo(0, LOCALE_USER_DEFAULT, own.Put()), S_OK);
    ComPtr<ITypeLib> lib;
    UINT index = 0;
    ASSERT_EQ(own->GetContainingTypeLib(lib.Put(), &index), S_OK);
    ComPtr<ITypeInfo> events;
    ASSERT_EQ(lib->GetTypeInfoOfGuid(DIID__IShredderEvents, events.Put()), S_OK);

    const std::vector<std::vector<std::wstring>> expected = {{L"Message", L"strMessage"},
                                                             {L"ErrorMessage", L"strErrrorMessage", L"nErrorNumber"},
                                                             {L"CurrentItemShredded", L"strCurrentItemShredded"},
                                                             {L"CurrentProgress", L"nCurrentProgress"},
                                                             {L"CurrentTotalProgress", L"nCurrentTotalProgress"},
                                                             {L"SessionCompleted"}};
    const VARTYPE types[][2] = {{VT_BSTR}, {VT_BSTR, VT_I4}, {VT_BSTR}, {VT_I4}, {VT_I4}, {}};
    for (DISPID id = 1; id <= 6; ++id) {
        BSTR names[4] = {};
        UINT count = 0;
        ASSERT_EQ(events->GetNames(id, names, 4, &count), S_OK) << id;
        std::vector<std::wstring> got;
        for (UINT i = 0; i < count; ++i) {
            got.emplace_back(names[i]);
            SysFreeString(names[i]);
        }
        EXPECT_EQ(got, expected[id - 1]) << id;
    }
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(events->GetTypeAttr(&attr), S_OK);
    EXPECT_EQ(attr->typekind, TKIND_DISPATCH);
    for (UINT f = 0; f < attr->cFuncs; ++f) {
        FUNCDESC* fd = nullptr;
        ASSERT_EQ(events->GetFuncDesc(f, &fd), S_OK);
        if (fd->memid >= 1 && fd->memid <= 6) {
            for (SHORT p = 0; p < fd->cParams; ++p)
                EXPECT_EQ(fd->lprgelemdescParam[p].tdesc.vt, types[fd->memid - 1][p]) << fd->memid;
        }
        events->ReleaseFuncDesc(fd);
    }
    events->ReleaseTypeAttr(attr);
}

// A caller in the multithreaded apartment reaches the apartment-threaded object
// through COM's own proxy; Initialize succeeds there as on the main thread.
TEST(ShredderClass, InitializeFromAThreadInTheMultithreadedApartment) {
    HRESULT created = E_FAIL, called = E_FAIL;
    LONG out = -7;
    std::thread([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        {
            auto obj = CreateByProgId<IShredder>(L"Fraxil.Shredder", &created);
            if (obj) called = obj->Initialize(&out);
        }
        CoUninitialize();
    }).join();
    EXPECT_EQ(created, S_OK);
    EXPECT_EQ(called, S_OK);
    EXPECT_EQ(out, 1);
}

TEST_F(Shredder, InitializeSetsTheDefaultsOverEarlierValues) {
    // The main program sets a session type before Initialize; that must work.
    EXPECT_EQ(obj_->put_SessionType(1), S_OK);
    EXPECT_EQ(obj_->put_Language(Bstr("Deutsch").Get()), S_OK);
    EXPECT_EQ(obj_->put_LogFileName(Bstr("mine.txt").Get()), S_OK);
    EXPECT_EQ(obj_->put_ShredMethod(3), S_OK);
    EXPECT_EQ(obj_->put_EnableLogFile(1), S_OK);
    EXPECT_EQ(obj_->put_ShredHiddenAndSystemFiles(0), S_OK);
    EXPECT_EQ(obj_->put_ApplicationPath(Bstr("C:\\Tidvex").Get()), S_OK);

    EXPECT_EQ(Call(&IShredder::Initialize), 1);
    ASSERT_EQ(fired_.size(), 1u);
    EXPECT_EQ(fired_[0].id, 1);
    EXPECT_EQ(fired_[0].text, "Init Success.");

    EXPECT_EQ(GetText(&IShredder::get_Language), "English");
    EXPECT_EQ(GetText(&IShredder::get_LogFileName), "log.txt");
    short method = -1;
    EXPECT_EQ(obj_->get_ShredMethod(&method), S_OK);
    EXPECT_EQ(method, 0);
    EXPECT_EQ(GetLong(&IShredder::get_EnableRestorePoints), 1);
    EXPECT_EQ(GetLong(&IShredder::get_EnableContextMenu), 1);
    EXPECT_EQ(GetLong(&IShredder::get_ShredHiddenAndSystemFiles), 1);
    EXPECT_EQ(GetLong(&IShredder::get_EnableHook), 0);
    EXPECT_EQ(GetLong(&IShredder::get_EnableLogFile), 0);
    EXPECT_EQ(GetLong(&IShredder::get_DisableWarning), 0);
    EXPECT_EQ(GetLong(&IShredder::get_ShredSubFolder), 0);
    EXPECT_EQ(GetLong(&IShredder::get_RemoveSubFolder), 0);
    EXPECT_EQ(GetLong(&IShredder::get_SessionType), 0);
    EXPECT_EQ(GetLong(&IShredder::get_SessionState), 0);
    EXPECT_EQ(GetLong(&IShredder::get_CurrentProgress), 0);
    EXPECT_EQ(GetLong(&IShredder::get_CurrentTotalProgress), 0);
    EXPECT_EQ(GetLong(&IShredder::get_FilesInUseCount), 0);
    // Not among the defaults: kept.
    EXPECT_EQ(GetText(&IShredder::get_ApplicationPath), "C:\\Tidvex");
    EXPECT_EQ(GetText(&IShredder::get_CurrentItemShredded), "");
    EXPECT_EQ(GetText(&IShredder::get_LastMessage), "");
}

TEST_F(Shredder, FlagsReadBackAsOneAndOtherValuesAsWritten) {
    ASSERT_EQ(Call(&IShredder::Initialize), 1);
    using Put = HRESULT (STDMETHODCALLTYPE IShredder::*)(LONG);
    using Get = HRESULT (STDMETHODCALLTYPE IShredder::*)(LONG*);
    const std::pair<Put, Get> flags[] = {{&IShredder::put_EnableHook, &IShredder::get_EnableHook},
                                         {&IShredder::put_EnableRestorePoints, &IShredder::get_EnableRestorePoints},
                                         {&IShredder::put_EnableContextMenu, &IShredder::get_EnableContextMenu},
                                         {&IShredder::put_EnableLogFile, &IShredder::get_EnableLogFile},
                                         {&IShredder::put_DisableWarning, &IShredder::get_DisableWarning},
                                         {&IShredder::put_ShredSubFolder, &IShredder::get_ShredSubFolder},
                                         {&IShredder::put_RemoveSubFolder, &IShredder::get_RemoveSubFolder},
                                         {&IShredder::put_ShredHiddenAndSystemFiles,
                                          &IShredder::get_ShredHiddenAndSystemFiles}};
    for (auto [put, get] : flags) {
        const LONG values[] = {-1, 7, 1, 0, LONG_MIN};
        for (LONG v : values) {
            EXPECT_EQ((obj_.Get()->*put)(v), S_OK);
            EXPECT_EQ(GetLong(get), v != 0 ? 1 : 0) << v;
        }
    }
    EXPECT_EQ(obj_->put_SessionType(5), S_OK);
    EXPECT_EQ(GetLong(&IShredder::get_SessionType), 5);
    EXPECT_EQ(obj_->put_ParentWindowHandle(0x1234), S_OK);
    EXPECT_EQ(GetLong(&IShredder::get_ParentWindowHandle), 0x1234);
    EXPECT_EQ(obj_->put_ShredderApplicationName(Bstr("Tidvex").Get()), S_OK);
    EXPECT_EQ(GetText(&IShredder::get_ShredderApplicationName), "Tidvex");
    EXPECT_EQ(obj_->put_ProfileName(Bstr("Tidvex Language Pack").Get()), S_OK);
    EXPECT_EQ(GetText(&IShredder::get_ProfileName), "Tidvex Language Pack");

    // A wiping method outside the table is refused and the last one kept.
    EXPECT_EQ(obj_->put_ShredMethod(4), S_OK);
    EXPECT_NE(obj_->put_ShredMethod(5), S_OK);
    EXPECT_NE(obj_->put_ShredMethod(-1), S_OK);
    short method = -1;
    obj_->get_ShredMethod(&method);
    EXPECT_EQ(method, 4);
    Variant late;
    EXPECT_NE(InvokeByName(obj_.Get(), L"ShredMethod", DISPATCH_PROPERTYPUT, {Variant::FromShort(9)}), S_OK);
    ASSERT_EQ(InvokeByName(obj_.Get(), L"ShredMethod", DISPATCH_PROPERTYGET, {}, &late), S_OK);
    EXPECT_EQ(late.AsLong(), 4);
}

TEST_F(Shredder, CommandLineStringIsCutToItsBuffer) {
    std::string longText(30000, 'c');
    EXPECT_EQ(obj_->put_CommandLineString(Bstr(longText).Get()), S_OK);
    EXPECT_EQ(GetText(&IShredder::get_CommandLineString), std::string(23399, 'c'));
    EXPECT_EQ(obj_->put_CommandLineString(Bstr("1? \"C:\\a b.txt\"").Get()), S_OK);
    EXPECT_EQ(GetText(&IShredder::get_CommandLineString), "1? \"C:\\a b.txt\"");
}

TEST_F(Shredder, TheMethodCursorMakesTheItemUnderItCurrentThenAdvances) {
    // Before Initialize the table is empty.
    EXPECT_EQ(Call(&IShredder::GetFirstShreddingAlgorithm, S_FALSE), 0);
    ASSERT_EQ(fired_.size(), 1u);
    EXPECT_EQ(fired_[0].id, 2);
    EXPECT_EQ(fired_[0].number, 37016);
    EXPECT_EQ(fired_[0].text, "Shredding Algorithms List is empty.");
    EXPECT_EQ(GetLong(&IShredder::get_CurrentAlgorithmPassesCount), -1);
    EXPECT_EQ(GetLong(&IShredder::get_CurrentAlgorithm_PassInfo_WriteType), -1);
    EXPECT_EQ(GetLong(&IShredder::get_CurrentAlgorithm_PassInfo_PatternLength), -1);
    EXPECT_EQ(GetText(&IShredder::get_CurrentAlgorithmName), "");
    EXPECT_EQ(GetText(&IShredder::get_CurrentAlgorithm_PassInfo_Pattern), "");

    ASSERT_EQ(Call(&IShredder::Initialize), 1);
    // No cursor yet.
    fired_.clear();
    EXPECT_EQ(Call(&IShredder::NextShreddingAlgorithm, S_FALSE), 0);
    ASSERT_EQ(fired_.size(), 1u);
    EXPECT_EQ(fired_[0].number, 37017);
    EXPECT_EQ(fired_[0].text, "Shredding Algorithms List is empty, or you have reached the end of the list");

    EXPECT_EQ(Call(&IShredder::GetFirstShreddingAlgorithm), 1);
    EXPECT_EQ(GetText(&IShredder::get_CurrentAlgorithmName), "Quick Shred");
    EXPECT_EQ(GetText(&IShredder::get_CurrentAlgorithmDescription),
              "The fastest but the least secured data destruction algorithm.");
    EXPECT_EQ(GetLong(&IShredder::get_CurrentAlgorithmPassesCount), 1);
    EXPECT_EQ(GetLong(&IShredder::get_CurrentAlgorithm_PassInfo_WriteType), 2);
    EXPECT_EQ(GetLong(&IShredder::get_CurrentAlgorithm_PassInfo_PatternLength), 1);
    EXPECT_EQ(GetText(&IShredder::get_CurrentAlgorithm_PassInfo_Pattern), std::string(1, '\0'));

    struct Expected {
        const char* name;
        LONG passes, writeType, patternLength;
        std::string pattern;
    };
    const Expected all[] = {{"Quick Shred", 1, 2, 1, std::string(1, '\0')},
                            {"U.S. Standard, DoD 5220.22-M", 3, 1, 0, ""},
                            {"NAVSO P-5239-26 (RLL)", 3, 2, 1, "\x01"},
                            {"NAVSO P-5239-26 (MFM)", 3, 2, 1, "\x01"},
                            {"German Standard, VSITR", 7, 2, 1, std::string(1, '\0')}};
    // The first Next after GetFirst yields the first method again.
    fired_.clear();
    for (const Expected& e : all) {
        EXPECT_EQ(Call(&IShredder::NextShreddingAlgorithm), 1);
        EXPECT_EQ(GetText(&IShredder::get_CurrentAlgorithmName), e.name);
        EXPECT_EQ(GetLong(&IShredder::get_CurrentAlgorithmPassesCount), e.passes);
        EXPECT_EQ(GetLong(&IShredder::get_CurrentAlgorithm_PassInfo_WriteType), e.writeType) << e.name;
        EXPECT_EQ(GetLong(&IShredder::get_CurrentAlgorithm_PassInfo_PatternLength), e.patternLength) << e.name;
        EXPECT_EQ(GetText(&IShredder::get_CurrentAlgorithm_PassInfo_Pattern), e.pattern) << e.name;
    }
    EXPECT_TRUE(fired_.empty());
    EXPECT_EQ(Call(&IShredder::NextShreddingAlgorithm, S_FALSE), 0);
    ASSERT_EQ(fired_.size(), 1u);
    EXPECT_EQ(fired_[0].number, 37017);
    // The last method stays current after the end.
    EXPECT_EQ(GetText(&IShredder::get_CurrentAlgorithmName), "German Standard, VSITR");

    // Released: no table, no cursor, no current method, until a new Initialize.
    EXPECT_EQ(obj_->ReleaseShredder(), S_OK);
    EXPECT_EQ(GetText(&IShredder::get_CurrentAlgorithmName), "");
    EXPECT_EQ(GetLong(&IShredder::get_CurrentAlgorithmPassesCount), -1);
    EXPECT_EQ(Call(&IShredder::GetFirstShreddingAlgorithm, S_FALSE), 0);
    ASSERT_EQ(Call(&IShredder::Initialize), 1);
    EXPECT_EQ(Call(&IShredder::GetFirstShreddingAlgorithm), 1);
}

TEST_F(Shredder, ErrorsGoToTheLogWhenItIsOn) {
    std::string app = tidvex::test::ScratchFolder("fraxil_com_log");
    ASSERT_EQ(Call(&IShredder::Initialize), 1);
    obj_->put_ApplicationPath(Bstr(app).Get());
    obj_->put_EnableLogFile(1);
    obj_->put_LogFileName(Bstr("").Get());
    Call(&IShredder::NextShreddingAlgorithm, S_FALSE);
    EXPECT_EQ(tidvex::test::ReadFileBytes(app + "\\log.txt"),
              "Error 37017:Shredding Algorithms List is empty, or you have reached the end of the list\r\n");
}

// On a fresh object every member that refused while the server lacked its
// support now answers, each with the reason of a refusal as an event.
TEST_F(Shredder, MembersOnAFreshObjectAnswerWithTheirReasons) {
    ASSERT_EQ(Call(&IShredder::Initialize), 1);
    struct Case {
        HRESULT (STDMETHODCALLTYPE IShredder::*member)(LONG*);
        LONG out;
        HRESULT hr;
        std::vector<LONG> numbers;  // of the ErrorMessage events
    };
    const Case cases[] = {
        {&IShredder::StartHook, 0, S_FALSE, {34009}},
        {&IShredder::StopHook, 0, S_FALSE, {34009}},
        {&IShredder::AddContextMenu, 0, S_FALSE, {31059, 34001}},
        {&IShredder::GetRestorePoints, 0, S_OK, {36010}},  // this thread is in a single-threaded apartment
        {&IShredder::GetFirstRestorePoint, 0, S_FALSE, {37008}},
        {&IShredder::NextRestorePoint, 0, S_FALSE, {37009}},
        {&IShredder::NewSession, 1, S_OK, {}},
        {&IShredder::AbortSession, 0, S_FALSE, {37018}},
        {&IShredder::ProcessCommandLine, 1, S_OK, {}},  // an empty text starts nothing
    };
    for (const Case& c : cases) {
        fired_.clear();
        EXPECT_EQ(Call(c.member, c.hr), c.out);
        std::vector<LONG> numbers;
        for (const Fired& f : fired_) numbers.push_back(f.number);
        EXPECT_EQ(numbers, c.numbers);
    }
    fired_.clear();
    LONG out = -1;
    Bstr item("C:\\x.txt");
    Bstr text;
    EXPECT_EQ(obj_->GetFirstFile(text.Put()), S_FALSE);
    EXPECT_EQ(text.Text(), "");
    EXPECT_EQ(obj_->RemoveDrive(item.Get(), &out), S_FALSE);
    EXPECT_EQ(out, 0);
    EXPECT_EQ(GetLong(&IShredder::get_FilesCount), 0);
    EXPECT_EQ(GetLong(&IShredder::get_RestorePointsCount), 0);
    EXPECT_EQ(GetLong(&IShredder::get_nRestorePointSequenceNumber), -1);
    EXPECT_EQ(obj_->AddFile(item.Get(), &out), S_OK);
    EXPECT_EQ(out, 1);
    EXPECT_EQ(GetLong(&IShredder::get_FilesCount), 1);
    // A session of an empty kind completes at once.
    obj_->put_SessionType(9);
    EXPECT_EQ(Call(&IShredder::StartSession), 1);
    EXPECT_TRUE(tidvex::test::PumpUntil([&] { return !fired_.empty() && fired_.back().id == 6; }));
    EXPECT_EQ(GetLong(&IShredder::get_SessionState), 3);
}

}  // namespace
