#include "events.h"

#include "server.h"

#include "handles/handles.h"

#include <algorithm>

namespace tidvex::com {

// What the firing side knows of a sink's apartment: the thread that connected
// the sink (when it is a single-threaded apartment's), and whether a call is on
// its way there that the apartment has not taken yet.
struct SinkWatch {
    handles::KernelObject thread;
    std::atomic<bool> awaited{false};
};

namespace {

// Stands for a sink in the table: it lives in the sink's apartment, so a call
// that reaches it tells that the apartment takes calls, and passes it on.
class SinkRelay final : public ComObject<IDispatch> {
public:
    SinkRelay(ComPtr<IDispatch> sink, std::shared_ptr<SinkWatch> watch)
        : sink_(std::move(sink)), watch_(std::move(watch)) {}

    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return sink_->GetTypeInfoCount(n); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) override {
        return sink_->GetTypeInfo(index, lcid, out);
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return sink_->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) override {
        watch_->awaited = false;
        return sink_->Invoke(id, iid, lcid, flags, params, result, excep, argErr);
    }

private:
    ComPtr<IDispatch> sink_;
    std::shared_ptr<SinkWatch> watch_;
};

// The failures of a call that say its sink's apartment is gone; any other
// failure is the sink's own answer (an event it does not handle, say).
bool SinkIsGone(HRESULT hr) {
    switch (hr) {
        case CO_E_OBJNOTCONNECTED:
        case RPC_E_DISCONNECTED:
        case RPC_E_SERVER_DIED:
        case RPC_E_SERVER_DIED_DNE:
        case HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE):
        case HRESULT_FROM_WIN32(RPC_S_CALL_FAILED):
            return true;
        default:
            return false;
    }
}

}  // namespace

// Carries the events of one firing thread to one sink on a thread of its own,
// in the multithreaded apartment, while the firing thread waits; a call that
// never returns keeps only that thread.
class Courier {
public:
    // Null when no thread could be started (the caller then calls the sink itself).
    static std::shared_ptr<Courier> Start(ComPtr<IDispatch> sink);
    // Its thread ends, and lets the sink go, before this returns, unless a call
    // that it gave up on still keeps that thread.
    ~Courier() {
        {
            Locked lock(*shared_);
            shared_->quit = true;
        }
        WakeConditionVariable(&shared_->called);
        if (!givenUp_) WaitForSingleObject(thread_.Get(), kUnanswered);
    }
    Courier(const Courier&) = delete;
    Courier& operator=(const Courier&) = delete;

    // False when the sink is gone: the call failed for that reason, the sink's
    // thread has ended, or its apartment has not taken the call for kUnanswered.
    bool Deliver(DISPID id, std::span<VARIANT> args, SinkWatch& watch);

private:
    // The two threads hand each call over and back under a slim lock: its
    // waits and wakes stay within the process, where a pair of event objects
    // costs a call into the system on both sides of every hand-over.
    struct Shared {
        SRWLOCK lock = SRWLOCK_INIT;
        CONDITION_VARIABLE called = CONDITION_VARIABLE_INIT;    // a call or the end for the courier
        CONDITION_VARIABLE answered = CONDITION_VARIABLE_INIT;  // the sink has returned
        bool pending = false, done = false, quit = false;
        ComPtr<IDispatch> sink;  // used and let go on the courier's thread only
        DISPID id = 0;
        std::vector<VARIANT> args;  // copies the courier's thread clears
        HRESULT result = S_OK;
    };
    struct Locked {
        explicit Locked(Shared& s) : lock(s.lock) { AcquireSRWLockExclusive(&lock); }
        ~Locked() { ReleaseSRWLockExclusive(&lock); }
        SRWLOCK& lock;
    };
    struct Launch {
        std::shared_ptr<Shared> shared;
        HMODULE module;
    };
    Courier(std::shared_ptr<Shared> shared, handles::KernelObject thread)
        : shared_(std::move(shared)), thread_(std::move(thread)) {}
    static DWORD WINAPI Run(void* launch);

    std::shared_ptr<Shared> shared_;
    handles::KernelObject thread_;
    bool givenUp_ = false;  // a call is still on its way there
};

std::shared_ptr<Courier> Courier::Start(ComPtr<IDispatch> sink) {
    auto shared = std::make_shared<Shared>();
    shared->sink = std::move(sink);
    auto launch = std::make_unique<Launch>(Launch{shared, ReferenceOwnModule()});
    handles::KernelObject thread(CreateThread(nullptr, 0, &Courier::Run, launch.get(), 0, nullptr));
    if (!thread) {
        if (launch->module) FreeLibrary(launch->module);
        return nullptr;
    }
    launch.release();
    return std::shared_ptr<Courier>(new Courier(std::move(shared), std::move(thread)));
}

DWORD WINAPI Courier::Run(void* p) {
    const HMODULE module = static_cast<Launch*>(p)->module;
    {
        std::unique_ptr<Launch> launch(static_cast<Launch*>(p));
        ComInit com(COINIT_MULTITHREADED);
        Shared& s = *launch->shared;
        for (;;) {
            {
                Locked lock(s);
                while (!s.pending && !s.quit) SleepConditionVariableSRW(&s.called, &s.lock, INFINITE, 0);
                if (!s.pending) break;
                s.pending = false;
            }
            DISPPARAMS params{s.args.data(), nullptr, static_cast<UINT>(s.args.size()), 0};
            s.result = s.sink->Invoke(s.id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                                      nullptr);
            for (VARIANT& v : s.args) VariantClear(&v);
            {
                Locked lock(s);
                s.done = true;
            }
            WakeConditionVariable(&s.answered);
        }
        s.sink.Reset();
    }
    if (module) FreeLibraryAndExitThread(module, 0);
    return 0;
}

bool Courier::Deliver(DISPID id, std::span<VARIANT> args, SinkWatch& watch) {
    Shared& s = *shared_;
    s.id = id;
    s.args.assign(args.size(), VARIANT{});
    for (size_t i = 0; i < args.size(); ++i) {
        VariantInit(&s.args[i]);
        VariantCopy(&s.args[i], &args[i]);
    }
    watch.awaited = true;
    const DWORD start = GetTickCount();
    {
        Locked lock(s);
        s.pending = true;
        s.done = false;
    }
    WakeConditionVariable(&s.called);
    Locked lock(s);
    for (;;) {
        if (s.done) return !SinkIsGone(s.result);
        if (SleepConditionVariableSRW(&s.answered, &s.lock, 100, 0) || s.done) continue;
        // Every tenth of a second without an answer: has the sink's thread
        // ended, or does its apartment take no call?
        if ((watch.thread && WaitForSingleObject(watch.thread.Get(), 0) == WAIT_OBJECT_0) ||
            (watch.awaited && GetTickCount() - start >= kUnanswered)) {
            givenUp_ = true;
            return false;
        }
    }
}

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* container, REFIID iid) : container_(container), iid_(iid) {
    CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IGlobalInterfaceTable,
                     git_.PutVoid());
}

ConnectionPoint::~ConnectionPoint() {
    if (!git_) return;
    for (const Sink& s : sinks_) git_->RevokeInterfaceFromGlobal(s.gitCookie);
}

STDMETHODIMP ConnectionPoint::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
        *out = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP ConnectionPoint::GetConnectionInterface(IID* iid) {
    if (!iid) return E_POINTER;
    *iid = iid_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** out) {
    if (!out) return E_POINTER;
    container_->AddRef();
    *out = container_;
    return S_OK;
}

STDMETHODIMP ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (!cookie) return E_POINTER;
    *cookie = 0;
    if (!sink) return E_POINTER;
    if (!git_) return E_UNEXPECTED;
    return Barrier(Module::Instance().Errors(IID_IConnectionPoint), [&] {
        // The sink must implement the event interface; it is called through
        // IDispatch, whose marshalling every apartment has.
        ComPtr<IUnknown> events;
        if (FAILED(sink->QueryInterface(iid_, events.PutVoid()))) return CONNECT_E_CANNOTCONNECT;
        ComPtr<IDispatch> disp;
        if (FAILED(sink->QueryInterface(IID_IDispatch, disp.PutVoid()))) return CONNECT_E_CANNOTCONNECT;
        // The sink's apartment is this thread's: when it is a single-threaded
        // one, the thread that must dispatch the calls to it.
        auto watch = std::make_shared<SinkWatch>();
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        if (SUCCEEDED(CoGetApartmentType(&type, &qualifier)) && (type == APTTYPE_STA || type == APTTYPE_MAINSTA))
            watch->thread.Reset(OpenThread(SYNCHRONIZE, FALSE, GetCurrentThreadId()));
        ComPtr<IDispatch> relay(new SinkRelay(std::move(disp), watch));
        std::lock_guard lock(mu_);
        sinks_.reserve(sinks_.size() + 1);  // nothing can fail once the sink is in the table
        DWORD gitCookie = 0;
        HRESULT hr = git_->RegisterInterfaceInGlobal(relay.Get(), IID_IDispatch, &gitCookie);
        if (FAILED(hr)) return hr;
        *cookie = nextCookie_++;
        sinks_.push_back({*cookie, gitCookie, std::move(watch)});
        return S_OK;
    });
}

STDMETHODIMP ConnectionPoint::Unadvise(DWORD cookie) {
    return Barrier(Module::Instance().Errors(IID_IConnectionPoint), [&] {
        DWORD gitCookie = 0;
        {
            std::lock_guard lock(mu_);
            auto it =
                std::find_if(sinks_.begin(), sinks_.end(), [cookie](const Sink& s) { return s.cookie == cookie; });
            if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
            gitCookie = it->gitCookie;
            sinks_.erase(it);
        }
        git_->RevokeInterfaceFromGlobal(gitCookie);
        return S_OK;
    });
}

STDMETHODIMP ConnectionPoint::EnumConnections(IEnumConnections** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

size_t ConnectionPoint::SinkCount() {
    std::lock_guard lock(mu_);
    return sinks_.size();
}

void ConnectionPoint::Fire(DISPID id, std::span<VARIANT> args) {
    std::vector<Sink> targets;
    {
        std::lock_guard lock(mu_);
        targets = sinks_;
    }
    if (targets.empty()) return;
    // DISPPARAMS takes the arguments last first. The VARIANTs are shallow copies:
    // by-reference arguments still point at the caller's storage.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    Pins* pins = PinsOfThisThread();
    const bool pinnedHere = pins != nullptr;
    if (pinnedHere) {
        // Sinks unadvised since they were pinned are let go. They are known by
        // their connection's cookie, which is never given twice (the table's may be).
        std::erase_if(pins->sinks, [&](const Pinned& p) {
            return std::none_of(targets.begin(), targets.end(), [&](const Sink& s) { return s.cookie == p.cookie; });
        });
    }
    for (const Sink& target : targets) {
        Pinned* pinned = nullptr;
        if (pinnedHere) {
            auto it = std::find_if(pins->sinks.begin(), pins->sinks.end(),
                                   [&](const Pinned& p) { return p.cookie == target.cookie; });
            if (it != pins->sinks.end()) pinned = &*it;
        }
        if (!pinned) {
            ComPtr<IDispatch> disp;
            // A sink unadvised since the snapshot is simply no longer found.
            if (FAILED(git_->GetInterfaceFromGlobal(target.gitCookie, IID_IDispatch, disp.PutVoid())) || !disp)
                continue;
            if (!pinnedHere) {
                disp->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
                continue;
            }
            pinned = &pins->sinks.emplace_back(Pinned{target.cookie, disp, Courier::Start(disp), target.watch});
        }
        if (pinned->ended) continue;
        if (!pinned->courier) {
            pinned->disp->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                                 nullptr);
        } else if (!pinned->courier->Deliver(id, reversed, *pinned->watch)) {
            pinned->ended = true;  // nothing more from this thread: it goes on without that sink
        }
    }
}

ConnectionPoint::Pins* ConnectionPoint::PinsOfThisThread() {
    const DWORD thread = GetCurrentThreadId();
    std::lock_guard lock(mu_);
    auto it = std::find_if(pins_.begin(), pins_.end(), [&](const Pins& p) { return p.thread == thread; });
    return it == pins_.end() ? nullptr : &*it;
}

void ConnectionPoint::PinSinksForThread() {
    const DWORD thread = GetCurrentThreadId();
    std::lock_guard lock(mu_);
    if (std::none_of(pins_.begin(), pins_.end(), [&](const Pins& p) { return p.thread == thread; }))
        pins_.push_back({thread, {}});
}

void ConnectionPoint::UnpinSinks() {
    const DWORD thread = GetCurrentThreadId();
    std::list<Pins> mine;
    {
        std::lock_guard lock(mu_);
        auto it = std::find_if(pins_.begin(), pins_.end(), [&](const Pins& p) { return p.thread == thread; });
        if (it != pins_.end()) mine.splice(mine.begin(), pins_, it);
    }
    // Let go outside the lock: each courier's thread is waited for as it ends,
    // and letting a sink go calls its apartment.
}

EventSourceBase::EventSourceBase(std::initializer_list<IID> eventInterfaces) {
    for (const IID& iid : eventInterfaces) points_.push_back(std::make_unique<ConnectionPoint>(this, iid));
}

STDMETHODIMP EventSourceBase::EnumConnectionPoints(IEnumConnectionPoints** out) {
    if (out) *out = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP EventSourceBase::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (auto& p : points_) {
        if (IsEqualIID(p->Iid(), iid)) {
            p->AddRef();
            *out = p.get();
            return S_OK;
        }
    }
    return CONNECT_E_NOCONNECTION;
}

void EventSourceBase::PinSinksForThread() {
    for (auto& p : points_) p->PinSinksForThread();
}

void EventSourceBase::UnpinSinks() {
    for (auto& p : points_) p->UnpinSinks();
}

ConnectionPoint& EventSourceBase::Point(const IID* iid) {
    if (iid) {
        for (auto& p : points_)
            if (IsEqualIID(p->Iid(), *iid)) return *p;
    }
    return *points_.front();
}

}  // namespace tidvex::com
