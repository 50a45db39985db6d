#include "events.h"

#include "server.h"

#include "handles/handles.h"

#include <algorithm>
#include <deque>

namespace tidvex::com {

namespace {

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

bool Ended(const std::shared_ptr<handles::KernelObject>& thread) {
    return thread && *thread && WaitForSingleObject(thread->Get(), 0) == WAIT_OBJECT_0;
}

}  // namespace

// Delivers the events posted for one sink, in order, from a thread of its own in
// the multithreaded apartment: a call that its sink's apartment takes late, or
// never, keeps only that thread. Whoever posts never waits for it.
class Courier {
public:
    // Null when no thread could be started.
    static std::shared_ptr<Courier> Start(ComPtr<IGlobalInterfaceTable> git, DWORD gitCookie,
                                          std::shared_ptr<handles::KernelObject> sinkThread);
    Courier(const Courier&) = delete;
    Courier& operator=(const Courier&) = delete;

    void Post(DISPID id, std::span<const VARIANT> args, Posting how);
    // Nothing more is delivered: what waits is dropped, and the thread ends
    // after the call under way, if any, without being waited for.
    void Stop();

private:
    struct Event {
        DISPID id = 0;
        std::vector<VARIANT> args;  // last first, as DISPPARAMS takes them
        Posting how = Posting::Each;
        Event() = default;
        Event(Event&& o) noexcept : id(o.id), args(std::move(o.args)), how(o.how) { o.args.clear(); }
        Event& operator=(Event&& o) noexcept {
            std::swap(id, o.id);
            std::swap(args, o.args);
            std::swap(how, o.how);
            return *this;
        }
        ~Event() {
            for (VARIANT& v : args) VariantClear(&v);
        }
    };
    // The poster and the courier's thread meet under a slim lock: its waits and
    // wakes stay within the process, so a post costs no call into the system.
    struct Locked {
        explicit Locked(SRWLOCK& l) : lock(l) { AcquireSRWLockExclusive(&lock); }
        ~Locked() { ReleaseSRWLockExclusive(&lock); }
        SRWLOCK& lock;
    };
    struct Launch {
        std::shared_ptr<Courier> courier;
        HMODULE module;
    };
    // How often a poster looks whether the sink's thread has ended while a call
    // to it is under way (a call to a thread that ended may never return).
    static constexpr DWORD kLook = 100;

    Courier(ComPtr<IGlobalInterfaceTable> git, DWORD gitCookie, std::shared_ptr<handles::KernelObject> sinkThread)
        : git_(std::move(git)), gitCookie_(gitCookie), sinkThread_(std::move(sinkThread)) {}
    static DWORD WINAPI Run(void* launch);
    void Deliver();
    // With the lock held: the next event to deliver, false when the courier ends.
    bool NextEvent(Event& next);
    void DropAll();  // with the lock held

    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE posted_ = CONDITION_VARIABLE_INIT;
    std::deque<Event> queue_;
    bool stopped_ = false;
    bool calling_ = false;
    DWORD callSince_ = 0, lastLook_ = 0;
    const ComPtr<IGlobalInterfaceTable> git_;
    const DWORD gitCookie_;
    const std::shared_ptr<handles::KernelObject> sinkThread_;
};

std::shared_ptr<Courier> Courier::Start(ComPtr<IGlobalInterfaceTable> git, DWORD gitCookie,
                                        std::shared_ptr<handles::KernelObject> sinkThread) {
    std::shared_ptr<Courier> courier(new Courier(std::move(git), gitCookie, std::move(sinkThread)));
    auto launch = std::make_unique<Launch>(Launch{courier, ReferenceOwnModule()});
    handles::KernelObject thread(CreateThread(nullptr, 0, &Courier::Run, launch.get(), 0, nullptr));
    if (!thread) {
        if (launch->module) FreeLibrary(launch->module);
        return nullptr;
    }
    launch.release();
    return courier;
}

DWORD WINAPI Courier::Run(void* p) {
    const HMODULE module = static_cast<Launch*>(p)->module;
    {
        std::unique_ptr<Launch> launch(static_cast<Launch*>(p));
        ComInit com(COINIT_MULTITHREADED);
        launch->courier->Deliver();
    }
    if (module) FreeLibraryAndExitThread(module, 0);
    return 0;
}

void Courier::Deliver() {
    // Fetched here, not by the poster: fetching a sink for another apartment
    // costs calls to the sink's apartment of its own.
    // A courier stopped before that calls nothing: its sink's cookie may by
    // then name another sink.
    ComPtr<IDispatch> sink;
    if (FAILED(git_->GetInterfaceFromGlobal(gitCookie_, IID_IDispatch, sink.PutVoid())) || !sink) {
        Stop();
        return;
    }
    Event event;
    for (;;) {
        {
            Locked lock(lock_);
            if (!NextEvent(event)) break;
        }
        if (Ended(sinkThread_)) {
            Stop();
            break;
        }
        DISPPARAMS params{event.args.data(), nullptr, static_cast<UINT>(event.args.size()), 0};
        const HRESULT hr = sink->Invoke(event.id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                                        nullptr, nullptr);
        event = Event();
        {
            Locked lock(lock_);
            calling_ = false;
        }
        if (SinkIsGone(hr)) {
            Stop();
            break;
        }
    }
}

bool Courier::NextEvent(Event& next) {
    while (queue_.empty() && !stopped_) SleepConditionVariableSRW(&posted_, &lock_, INFINITE, 0);
    if (stopped_) return false;
    next = std::move(queue_.front());
    queue_.pop_front();
    calling_ = true;
    callSince_ = GetTickCount();
    return true;
}

void Courier::Post(DISPID id, std::span<const VARIANT> args, Posting how) {
    Event event;
    event.id = id;
    event.how = how;
    event.args.resize(args.size());
    for (size_t i = 0; i < args.size(); ++i) {
        VARIANT& copy = event.args[args.size() - 1 - i];
        VariantInit(&copy);
        VariantCopyInd(&copy, const_cast<VARIANT*>(&args[i]));
    }
    Locked lock(lock_);
    if (stopped_) return;
    const DWORD now = GetTickCount();
    if (calling_ && now - callSince_ >= kLook && now - lastLook_ >= kLook) {
        lastLook_ = now;
        if (Ended(sinkThread_)) {
            DropAll();
            return;
        }
    }
    if (how != Posting::Each) {
        // The value of the same counter still waiting behind the last other
        // event is old news; one before that other event is kept, so that the
        // sink hears a counter's last value before what followed it.
        for (auto it = queue_.rbegin(); it != queue_.rend() && it->how == Posting::Newest; ++it) {
            if (it->id == id) {
                queue_.erase(std::next(it).base());
                break;
            }
        }
    }
    queue_.push_back(std::move(event));
    WakeConditionVariable(&posted_);
}

void Courier::DropAll() {
    stopped_ = true;
    queue_.clear();
    WakeConditionVariable(&posted_);
}

void Courier::Stop() {
    Locked lock(lock_);
    DropAll();
}

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* container, REFIID iid) : container_(container), iid_(iid) {
    CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER, IID_IGlobalInterfaceTable,
                     git_.PutVoid());
}

ConnectionPoint::~ConnectionPoint() {
    for (const Sink& s : sinks_) {
        if (s.courier) s.courier->Stop();
        if (git_) git_->RevokeInterfaceFromGlobal(s.gitCookie);
    }
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
        auto thread = std::make_shared<handles::KernelObject>();
        APTTYPE type;
        APTTYPEQUALIFIER qualifier;
        if (SUCCEEDED(CoGetApartmentType(&type, &qualifier)) && (type == APTTYPE_STA || type == APTTYPE_MAINSTA))
            thread->Reset(OpenThread(SYNCHRONIZE, FALSE, GetCurrentThreadId()));
        std::lock_guard lock(mu_);
        sinks_.reserve(sinks_.size() + 1);  // nothing can fail once the sink is in the table
        DWORD gitCookie = 0;
        HRESULT hr = git_->RegisterInterfaceInGlobal(disp.Get(), IID_IDispatch, &gitCookie);
        if (FAILED(hr)) return hr;
        *cookie = nextCookie_++;
        sinks_.push_back({*cookie, gitCookie, std::move(thread), nullptr});
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
            // Stopped before its table entry goes, whose cookie may then be given again.
            if (it->courier) it->courier->Stop();
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
    std::vector<DWORD> targets;
    {
        std::lock_guard lock(mu_);
        if (silent_) return;
        for (const Sink& s : sinks_) targets.push_back(s.gitCookie);
    }
    if (targets.empty()) return;
    // DISPPARAMS takes the arguments last first. The VARIANTs are shallow copies:
    // by-reference arguments still point at the caller's storage.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    for (DWORD gitCookie : targets) {
        ComPtr<IDispatch> disp;
        // A sink unadvised since the snapshot is simply no longer found.
        if (FAILED(git_->GetInterfaceFromGlobal(gitCookie, IID_IDispatch, disp.PutVoid())) || !disp) continue;
        disp->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
}

void ConnectionPoint::Post(DISPID id, std::span<const VARIANT> args, Posting how) {
    std::lock_guard lock(mu_);
    if (silent_) return;
    for (Sink& s : sinks_) {
        if (!s.courier) s.courier = Courier::Start(git_, s.gitCookie, s.thread);
        if (s.courier) s.courier->Post(id, args, how);
    }
}

void ConnectionPoint::Silence() {
    std::lock_guard lock(mu_);
    silent_ = true;
    for (const Sink& s : sinks_)
        if (s.courier) s.courier->Stop();
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

void EventSourceBase::SilenceEvents() {
    for (auto& p : points_) p->Silence();
}

ConnectionPoint& EventSourceBase::Point(const IID* iid) {
    if (iid) {
        for (auto& p : points_)
            if (IsEqualIID(p->Iid(), *iid)) return *p;
    }
    return *points_.front();
}

}  // namespace tidvex::com
