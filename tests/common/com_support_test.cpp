// The shared COM server support, through a test class registered in the sandbox:
// creation by ProgID, late-bound calls through the type library, events through a
// connection point on the caller's thread and from a worker thread, registration
// keys written and removed.
#include "ComTest.h"

#include "com/client.h"
#include "harness/support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace tidvex::com;
using tidvex::test::PumpUntil;
using tidvex::test::RegKeyExists;
using tidvex::test::RegReadString;

const char kClsidKey[] = "CLSID\\{35697A16-214C-4A93-8386-2F7065642DDF}";

TEST(ComServer, RegistrationWritesTheProgIdAndClassKeys) {
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "TidvexTest.TestObject.1", ""), "TestObject Class");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "TidvexTest.TestObject.1\\CLSID", ""),
              "{35697A16-214C-4A93-8386-2F7065642DDF}");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "TidvexTest.TestObject\\CurVer", ""), "TidvexTest.TestObject.1");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "TidvexTest.TestObject\\CLSID", ""),
              "{35697A16-214C-4A93-8386-2F7065642DDF}");
    std::string clsid = kClsidKey;
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, clsid, ""), "TestObject Class");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, clsid + "\\ProgID", ""), "TidvexTest.TestObject.1");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, clsid + "\\VersionIndependentProgID", ""), "TidvexTest.TestObject");
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, clsid + "\\Programmable"));
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");
    auto server = RegReadString(HKEY_CLASSES_ROOT, clsid + "\\InprocServer32", "");
    ASSERT_TRUE(server);
    EXPECT_NE(server->find("ComTest.dll"), std::string::npos) << *server;
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, clsid + "\\TypeLib", ""), "{D31634C3-F061-47D8-B6BF-72454E65586C}");
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, "TypeLib\\{D31634C3-F061-47D8-B6BF-72454E65586C}\\1.0"));
}

TEST(ComServer, LateBoundCallsGoThroughTheTypeLibrary) {
    HRESULT hr;
    auto obj = CreateByProgId<IDispatch>(L"TidvexTest.TestObject", &hr);
    ASSERT_TRUE(obj) << std::hex << hr;

    Variant sum;
    ASSERT_EQ(InvokeByName(obj.Get(), L"Add", DISPATCH_METHOD, {Variant::FromLong(40), Variant::FromLong(2)}, &sum),
              S_OK);
    EXPECT_EQ(sum.AsLong(), 42);
    // Arguments of another type are converted by the dispatch layer.
    ASSERT_EQ(InvokeByName(obj.Get(), L"Add", DISPATCH_METHOD, {Variant::FromText("5"), Variant::FromShort(6)}, &sum),
              S_OK);
    EXPECT_EQ(sum.AsLong(), 11);

    ASSERT_EQ(InvokeByName(obj.Get(), L"Name", DISPATCH_PROPERTYPUT, {Variant::FromText("Fraxil")}), S_OK);
    Variant name;
    ASSERT_EQ(InvokeByName(obj.Get(), L"Name", DISPATCH_PROPERTYGET, {}, &name), S_OK);
    EXPECT_EQ(name.AsText(), "Fraxil");

    EXPECT_EQ(InvokeByName(obj.Get(), L"NoSuchMember", DISPATCH_METHOD), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(InvokeByName(obj.Get(), L"Add", DISPATCH_METHOD, {Variant::FromLong(1)}), DISP_E_BADPARAMCOUNT);
}

TEST(ComServer, EarlyBindingAndInterfaceIdentity) {
    auto obj = CreateByClsid<ITestObject>(CLSID_TestObject);
    ASSERT_TRUE(obj);
    LONG sum = 0;
    EXPECT_EQ(obj->Add(2, 3, &sum), S_OK);
    EXPECT_EQ(sum, 5);
    auto unk1 = obj.As<IUnknown>();
    auto disp = obj.As<IDispatch>();
    auto unk2 = disp.As<IUnknown>();
    EXPECT_EQ(unk1.Get(), unk2.Get());
    EXPECT_TRUE(obj.As<IConnectionPointContainer>());
    EXPECT_FALSE(obj.As<IPersist>());
}

struct Recorded {
    DISPID id;
    LONG index;
    std::string text;
    DWORD thread;
};

TEST(ComServer, EventsReachTheSinkOnTheCallersThreadInOrder) {
    auto obj = CreateByProgId<ITestObject>(L"TidvexTest.TestObject");
    ASSERT_TRUE(obj);
    std::vector<Recorded> got;
    EventSink sink(DIID__ITestObjectEvents, [&](DISPID id, const DISPPARAMS& p) {
        if (id == 1) {
            got.push_back({id, EventArgLong(p, 0), EventArgText(p, 1), GetCurrentThreadId()});
        } else if (id == 2) {
            // Write through the by-reference arguments.
            VARIANT* text = EventArg(p, 0);
            VARIANT* flag = EventArg(p, 1);
            ASSERT_TRUE(text && (V_VT(text) == (VT_BYREF | VT_BSTR)));
            ASSERT_TRUE(flag && (V_VT(flag) == (VT_BYREF | VT_BOOL)));
            SysFreeString(*V_BSTRREF(text));
            *V_BSTRREF(text) = SysAllocString(L"changed");
            *V_BOOLREF(flag) = VARIANT_TRUE;
            got.push_back({id, 0, "touch", GetCurrentThreadId()});
        }
    });
    ASSERT_EQ(sink.Connect(obj.Get()), S_OK);

    ASSERT_EQ(obj->FireEvents(3, VARIANT_FALSE), S_OK);
    ASSERT_EQ(got.size(), 4u);
    for (LONG i = 0; i < 3; ++i) {
        EXPECT_EQ(got[i].index, i);
        EXPECT_EQ(got[i].text, "item" + std::to_string(i));
        EXPECT_EQ(got[i].thread, GetCurrentThreadId());
    }
    Bstr name;
    ASSERT_EQ(obj->get_Name(name.Put()), S_OK);
    EXPECT_EQ(name.Text(), "changed/true");

    sink.Disconnect();
    got.clear();
    obj->FireEvents(2, VARIANT_FALSE);
    EXPECT_TRUE(got.empty()) << "a disconnected sink still receives events";
}

TEST(ComServer, EventsFromAWorkerThreadArriveOnTheSinksOwnThread) {
    auto obj = CreateByProgId<ITestObject>(L"TidvexTest.TestObject");
    ASSERT_TRUE(obj);
    std::vector<Recorded> got;
    EventSink sink(DIID__ITestObjectEvents, [&](DISPID id, const DISPPARAMS& p) {
        if (id == 1) got.push_back({id, EventArgLong(p, 0), EventArgText(p, 1), GetCurrentThreadId()});
        if (id == 2) got.push_back({id, 0, "touch", GetCurrentThreadId()});
    });
    ASSERT_EQ(sink.Connect(obj.Get()), S_OK);
    ASSERT_EQ(obj->FireEvents(20, VARIANT_TRUE), S_OK);
    // The worker waits for each call; this thread must keep dispatching messages.
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 21; }));
    for (LONG i = 0; i < 20; ++i) {
        EXPECT_EQ(got[i].index, i);
        EXPECT_EQ(got[i].thread, GetCurrentThreadId());
    }
    EXPECT_EQ(got[20].id, 2);
}

// A worker goes on only once a handler has returned, however long it takes, and
// what the handler wrote through by-reference arguments is what it then reads.
TEST(ComServer, AWorkerWaitsForEachHandlerAndReadsWhatItWrote) {
    auto obj = CreateByProgId<ITestObject>(L"TidvexTest.TestObject");
    ASSERT_TRUE(obj);
    const DWORD delays[] = {0, 30, 250};
    for (DWORD delay : delays) {
        SCOPED_TRACE(delay);
        obj->put_Name(Bstr("item").Get());
        std::vector<std::string> texts;
        int touches = 0;
        EventSink sink(DIID__ITestObjectEvents, [&](DISPID id, const DISPPARAMS& p) {
            if (id == 1) texts.push_back(EventArgText(p, 1));
            if (id != 2) return;
            ++touches;
            Sleep(delay);
            SysFreeString(*V_BSTRREF(EventArg(p, 0)));
            *V_BSTRREF(EventArg(p, 0)) = SysAllocString(L"changed");
            *V_BOOLREF(EventArg(p, 1)) = VARIANT_TRUE;
        });
        ASSERT_EQ(sink.Connect(obj.Get()), S_OK);
        ASSERT_EQ(obj->FireEvents(1, VARIANT_TRUE), S_OK);
        ASSERT_TRUE(PumpUntil([&] { return touches == 1; }));
        // The first worker ends right after the handler; the second names what it read.
        PumpUntil([] { return false; }, std::chrono::milliseconds(200));
        ASSERT_EQ(obj->FireEvents(1, VARIANT_TRUE), S_OK);
        ASSERT_TRUE(PumpUntil([&] { return touches == 2; }));
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[1], "changed/true0");
        sink.Disconnect();
    }
}

// A worker keeps the sinks it fetched for its thread; a sink disconnected while
// it fires hears no more, and one connected meanwhile hears the rest.
TEST(ComServer, AWorkersSinksFollowConnectionsMadeWhileItFires) {
    auto obj = CreateByProgId<ITestObject>(L"TidvexTest.TestObject");
    ASSERT_TRUE(obj);
    struct Case {
        LONG switchAt;  // the first sink hands over after the event of this index
        size_t firstHears, secondHears;
    };
    const Case cases[] = {{0, 1, 20}, {4, 5, 16}, {19, 20, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.switchAt);
        std::vector<LONG> first, second;
        bool touched = false;
        EventSink* secondSink = nullptr;
        EventSink one(DIID__ITestObjectEvents, [&](DISPID id, const DISPPARAMS& p) {
            if (id != 1) return;
            first.push_back(EventArgLong(p, 0));
            if (first.back() == c.switchAt) {
                one.Disconnect();
                secondSink->Connect(obj.Get());
            }
        });
        EventSink two(DIID__ITestObjectEvents, [&](DISPID id, const DISPPARAMS& p) {
            if (id == 1) second.push_back(EventArgLong(p, 0));
            if (id == 2) touched = true;
        });
        secondSink = &two;
        ASSERT_EQ(one.Connect(obj.Get()), S_OK);
        ASSERT_EQ(obj->FireEvents(20, VARIANT_TRUE), S_OK);
        ASSERT_TRUE(PumpUntil([&] { return touched; }));
        EXPECT_EQ(first.size(), c.firstHears);
        ASSERT_EQ(second.size() + 1, c.secondHears) << "the second sink hears the rest and the last event";
        for (size_t i = 0; i < second.size(); ++i) EXPECT_EQ(second[i], c.switchAt + 1 + static_cast<LONG>(i));
        two.Disconnect();
    }
}

TEST(ComServer, FindConnectionPointRefusesOtherInterfaces) {
    auto obj = CreateByProgId<IConnectionPointContainer>(L"TidvexTest.TestObject");
    ASSERT_TRUE(obj);
    ComPtr<IConnectionPoint> cp;
    EXPECT_EQ(obj->FindConnectionPoint(IID_IDispatch, cp.Put()), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(obj->FindConnectionPoint(DIID__ITestObjectEvents, cp.Put()), S_OK);
    EXPECT_EQ(cp->Unadvise(12345), CONNECT_E_NOCONNECTION);
    // A sink that does not implement the event interface is refused.
    EventSink wrong(IID_IPersist, [](DISPID, const DISPPARAMS&) {});
    EXPECT_NE(wrong.Connect(obj.Get()), S_OK);
}

// The test server's registration entry points, called directly.
class ServerEntries {
public:
    ServerEntries() : dll_(LoadLibraryA("Y:\\ComTest.dll")) {}
    ~ServerEntries() {
        if (dll_) FreeLibrary(dll_);
    }
    HRESULT Register() const { return Call("DllRegisterServer"); }
    HRESULT Unregister() const { return Call("DllUnregisterServer"); }

private:
    HRESULT Call(const char* name) const {
        using Entry = HRESULT(WINAPI*)();
        auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(dll_, name)));
        return entry ? entry() : E_NOTIMPL;
    }
    HMODULE dll_;
};

TEST(ComServer, UnregisterRemovesExactlyWhatRegistrationWrote) {
    ServerEntries server;
    // A key of someone else's beside ours must survive.
    HKEY other;
    ASSERT_EQ(RegCreateKeyA(HKEY_CLASSES_ROOT, "TidvexTest.Other", &other), ERROR_SUCCESS);
    RegCloseKey(other);

    ASSERT_EQ(server.Unregister(), S_OK);
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "TidvexTest.TestObject.1"));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "TidvexTest.TestObject"));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kClsidKey));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "TypeLib\\{D31634C3-F061-47D8-B6BF-72454E65586C}\\1.0"));
    EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, "Interface\\{EFE84FC8-A922-4CEF-BC9A-F39699DA15AA}"));
    EXPECT_TRUE(RegKeyExists(HKEY_CLASSES_ROOT, "TidvexTest.Other"));
    ComPtr<IDispatch> none;
    EXPECT_TRUE(FAILED(CreateByProgId(L"TidvexTest.TestObject", IID_IDispatch, none.PutVoid())));
    EXPECT_EQ(server.Unregister(), S_OK) << "unregistering twice must not fail";

    ASSERT_EQ(server.Register(), S_OK);
    EXPECT_TRUE(CreateByProgId<IDispatch>(L"TidvexTest.TestObject"));
    RegDeleteKeyA(HKEY_CLASSES_ROOT, "TidvexTest.Other");
}

// A registry link planted below the class key goes with the key as a link; the
// key it points to keeps everything.
TEST(ComServer, UnregisteringRemovesAPlantedRegistryLinkNotItsTarget) {
    ServerEntries server;
    for (bool leaf : {true, false}) {
        ASSERT_EQ(server.Register(), S_OK);
        const std::string target = tidvex::test::SeedLinkTarget("comserver", leaf);
        const std::string link = std::string(kClsidKey) + (leaf ? "\\planted" : "\\InprocServer32\\planted");
        ASSERT_TRUE(tidvex::test::MakeRegistryLink(HKEY_CLASSES_ROOT, link, target));
        ASSERT_EQ(server.Unregister(), S_OK);
        EXPECT_FALSE(RegKeyExists(HKEY_CLASSES_ROOT, kClsidKey)) << leaf;
        EXPECT_TRUE(tidvex::test::LinkTargetIntact("comserver", leaf)) << leaf;
    }
    ASSERT_EQ(server.Register(), S_OK);
}

}  // namespace
