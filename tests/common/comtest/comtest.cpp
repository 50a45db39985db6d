// A small COM class for testing the shared server support: a method with a
// result, a text property and events fired on the caller's or a worker thread.
#include "ComTest.h"

#include "com/events.h"
#include "com/server.h"

#include <string>
#include <thread>

namespace {

using namespace tidvex::com;

class TestObjectImpl final : public ComObject<Dispatch<ITestObject>, EventSource<&DIID__ITestObjectEvents>> {
public:

    STDMETHODIMP Add(LONG a, LONG b, LONG* sum) override {
        if (!sum) return E_POINTER;
        *sum = a + b;
        return S_OK;
    }
    STDMETHODIMP get_Name(BSTR* value) override {
        if (!value) return E_POINTER;
        *value = AllocBstr(name_);
        return S_OK;
    }
    STDMETHODIMP put_Name(BSTR value) override {
        name_ = Narrow(value);
        return S_OK;
    }
    STDMETHODIMP FireEvents(LONG count, VARIANT_BOOL fromWorker) override {
        if (!fromWorker) {
            FireAll(count);
            return S_OK;
        }
        AddRef();  // the worker keeps the object alive until it is done
        std::thread([this, count] {
            CoInitializeEx(nullptr, COINIT_MULTITHREADED);
            FireAll(count);
            Release();
            CoUninitialize();
        }).detach();
        return S_OK;
    }

private:
    void FireAll(LONG count) {
        for (LONG i = 0; i < count; ++i) {
            Variant index = Variant::FromLong(i);
            Variant text = Variant::FromText(name_ + std::to_string(i));
            VARIANT args[] = {*index.Get(), *text.Get()};
            FireEvent(1, args);
        }
        // By-reference arguments: what a sink writes comes back to the source.
        Bstr text("before");
        VARIANT_BOOL flag = VARIANT_FALSE;
        VARIANT args[2];
        V_VT(&args[0]) = VT_BYREF | VT_BSTR;
        V_BSTRREF(&args[0]) = text.Put();
        *V_BSTRREF(&args[0]) = AllocBstr("before");
        V_VT(&args[1]) = VT_BYREF | VT_BOOL;
        V_BOOLREF(&args[1]) = &flag;
        FireEvent(2, args);
        name_ = text.Text() + (flag ? "/true" : "/false");
    }

    std::string name_ = "item";
};

}  // namespace

namespace tidvex::com {

const LibraryInfo& ServerLibrary() {
    static const LibraryInfo lib{&LIBID_ComTestLib, 1, 0};
    return lib;
}

std::span<const ClassEntry> ServerClasses() {
    static const ClassEntry classes[] = {
        {&CLSID_TestObject, L"TestObject Class", L"TidvexTest.TestObject.1", L"TidvexTest.TestObject", L"Apartment",
         &Create<TestObjectImpl>},
    };
    return classes;
}

}  // namespace tidvex::com
