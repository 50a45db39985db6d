#include "events.h"

#include "server.h"

#include <algorithm>

namespace tidvex::com {

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
        std::lock_guard lock(mu_);
        sinks_.reserve(sinks_.size() + 1);  // nothing can fail once the sink is in the table
        DWORD gitCookie = 0;
        HRESULT hr = git_->RegisterInterfaceInGlobal(disp.Get(), IID_IDispatch, &gitCookie);
        if (FAILED(hr)) return hr;
        *cookie = nextCookie_++;
        sinks_.push_back({*cookie, gitCookie});
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
    const bool pinnedHere = pinnedThread_ == GetCurrentThreadId();
    if (pinnedHere) {
        // Sinks unadvised since they were pinned are let go. They are known by
        // their connection's cookie, which is never given twice (the table's may be).
        std::erase_if(pinned_, [&](const auto& p) {
            return std::none_of(targets.begin(), targets.end(), [&](const Sink& s) { return s.cookie == p.first; });
        });
    }
    for (const Sink& target : targets) {
        ComPtr<IDispatch> disp;
        if (pinnedHere) {
            auto it = std::find_if(pinned_.begin(), pinned_.end(), [&](const auto& p) { return p.first == target.cookie; });
            if (it != pinned_.end()) disp = it->second;
        }
        if (!disp) {
            // A sink unadvised since the snapshot is simply no longer found.
            if (FAILED(git_->GetInterfaceFromGlobal(target.gitCookie, IID_IDispatch, disp.PutVoid())) || !disp)
                continue;
            if (pinnedHere) pinned_.emplace_back(target.cookie, disp);
        }
        disp->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
    }
}

void ConnectionPoint::PinSinksForThread() {
    pinned_.clear();
    pinnedThread_ = GetCurrentThreadId();
}

void ConnectionPoint::UnpinSinks() {
    if (pinnedThread_ != GetCurrentThreadId()) return;
    pinnedThread_ = 0;
    pinned_.clear();
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
