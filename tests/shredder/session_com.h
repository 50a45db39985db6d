// A registered Shredder created by ProgID on this single-threaded apartment, with
// a sink that records its events as they arrive from the session's worker.
#pragma once

#include "Fraxil.h"
#include "worker_gate.h"

#include "com/client.h"
#include "harness/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace fraxil::comtest {

enum EventId : DISPID { kMessage = 1, kError = 2, kItem = 3, kProgress = 4, kTotal = 5, kCompleted = 6 };

// A file whose seven passes take the worker long enough for a test to hold it
// (fraxil::test::WorkerGate) between two of them.
inline constexpr size_t kBigFile = 16 << 20;

struct Fired {
    DISPID id;
    std::string text;
    LONG number = 0;
    bool operator==(const Fired&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Fired& f) {
    return os << "{" << f.id << ", \"" << f.text << "\", " << f.number << "}";
}

class Session : public ::testing::Test {
protected:
    void SetUp() override {
        HRESULT hr = E_FAIL;
        obj_ = tidvex::com::CreateByProgId<IShredder>(L"Fraxil.Shredder", &hr);
        ASSERT_TRUE(obj_) << std::hex << hr;
        ASSERT_EQ(sink_.Connect(obj_.Get()), S_OK);
        ASSERT_EQ(Call(&IShredder::Initialize), 1);
        dir_ = tidvex::test::ScratchFolder(std::string("fraxil_") +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        app_ = dir_ + "\\app";
        CreateDirectoryA(app_.c_str(), nullptr);
        obj_->put_ApplicationPath(tidvex::com::Bstr(app_).Get());
        obj_->put_ShredderApplicationName(tidvex::com::Bstr("Tidvex").Get());
        fired_.clear();
    }
    void TearDown() override {
        // No worker may outlive the test's own folders.
        if (obj_) {
            LONG state = 0;
            obj_->get_SessionState(&state);
            if (state == 1) {
                LONG out = 0;
                obj_->AbortSession(&out);
            }
        }
        onEvent_ = nullptr;
        sink_.Disconnect();
    }

    LONG Call(HRESULT (STDMETHODCALLTYPE IShredder::*member)(LONG*), HRESULT expect = S_OK) {
        LONG out = -7;
        EXPECT_EQ((obj_.Get()->*member)(&out), expect);
        return out;
    }
    LONG GetLong(HRESULT (STDMETHODCALLTYPE IShredder::*member)(LONG*)) {
        LONG out = -7;
        EXPECT_EQ((obj_.Get()->*member)(&out), S_OK);
        return out;
    }
    std::string GetText(HRESULT (STDMETHODCALLTYPE IShredder::*member)(BSTR*), HRESULT expect = S_OK) {
        tidvex::com::Bstr b;
        EXPECT_EQ((obj_.Get()->*member)(b.Put()), expect);
        return b.Text();
    }
    LONG Add(HRESULT (STDMETHODCALLTYPE IShredder::*member)(BSTR, LONG*), const std::string& item) {
        LONG out = -7;
        (obj_.Get()->*member)(tidvex::com::Bstr(item).Get(), &out);
        return out;
    }
    LONG AddWide(HRESULT (STDMETHODCALLTYPE IShredder::*member)(BSTR, LONG*), const std::wstring& item) {
        LONG out = -7;
        (obj_.Get()->*member)(tidvex::com::Bstr(std::wstring_view(item)).Get(), &out);
        return out;
    }

    // The events other than the two percentages, in order.
    std::vector<Fired> Texts() const {
        std::vector<Fired> r;
        for (const Fired& f : fired_)
            if (f.id != kProgress && f.id != kTotal) r.push_back(f);
        return r;
    }
    std::vector<LONG> Numbers(DISPID id) const {
        std::vector<LONG> r;
        for (const Fired& f : fired_)
            if (f.id == id) r.push_back(f.number);
        return r;
    }
    std::vector<Fired> Errors() const {
        std::vector<Fired> r;
        for (const Fired& f : fired_)
            if (f.id == kError) r.push_back(f);
        return r;
    }
    // Events of that id (and that text or number when given).
    size_t Count(DISPID id, const std::string& text = "", LONG number = 0) const {
        return static_cast<size_t>(std::count_if(fired_.begin(), fired_.end(), [&](const Fired& f) {
            return f.id == id && (text.empty() || f.text == text) && (number == 0 || f.number == number);
        }));
    }

    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        return tidvex::test::PumpUntil(done, timeout);
    }
    void PumpFor(std::chrono::milliseconds time) {
        tidvex::test::PumpUntil([] { return false; }, time);
    }
    bool WaitCompleted(std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        return PumpUntil([&] { return Count(kCompleted) > 0; }, timeout);
    }

    tidvex::com::ComPtr<IShredder> obj_;
    std::vector<Fired> fired_;
    std::function<void(const Fired&)> onEvent_;
    std::string dir_, app_;
    tidvex::com::EventSink sink_{DIID__IShredderEvents, [this](DISPID id, const DISPPARAMS& p) {
                                     Fired f{id, "", 0};
                                     if (id == kMessage || id == kItem) f.text = tidvex::com::EventArgText(p, 0);
                                     if (id == kError) f = {id, tidvex::com::EventArgText(p, 0), tidvex::com::EventArgLong(p, 1)};
                                     if (id == kProgress || id == kTotal) f.number = tidvex::com::EventArgLong(p, 0);
                                     fired_.push_back(f);
                                     if (onEvent_) onEvent_(fired_.back());
                                 }};
};

}  // namespace fraxil::comtest
