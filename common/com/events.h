// Outgoing events: connection points whose sinks are kept in the process's global
// interface table, so that an event fired on any thread reaches each sink in its
// own apartment (a client on a single-threaded apartment receives it on its own
// thread while the firing thread waits).
//
// A thread that fires many events (a worker) never waits for ever on a sink
// that no call reaches any more: its thread has ended, or its apartment has
// not taken a call for kUnanswered (it no longer dispatches messages, or has
// been left). Such a sink hears nothing more from that thread, which goes on.
#pragma once

#include "com_types.h"

#include <ocidl.h>
#include <olectl.h>

#include <atomic>
#include <initializer_list>
#include <list>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace tidvex::com {

// A call that its sink's apartment has not taken within this time (a thread
// that dispatches no messages as long is not responding) is given up.
inline constexpr DWORD kUnanswered = 5000;

struct SinkWatch;
class Courier;

class ConnectionPoint final : public IConnectionPoint {
public:
    ConnectionPoint(IConnectionPointContainer* container, REFIID iid);
    ~ConnectionPoint();
    ConnectionPoint(const ConnectionPoint&) = delete;
    ConnectionPoint& operator=(const ConnectionPoint&) = delete;

    // Lifetime is the container's.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return container_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return container_->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** out) override;

    const IID& Iid() const { return iid_; }
    size_t SinkCount();

    // Calls every connected sink's IDispatch::Invoke with the event's id and its
    // arguments, given in declared order (first argument first). Must be called on
    // a thread that has entered an apartment, with no lock of the caller held.
    void Fire(DISPID id, std::span<VARIANT> args = {});

    // For a thread that fires many events (a worker): each sink is fetched from
    // the table once for it and kept until UnpinSinks, which that same thread
    // calls before it leaves its apartment. Fetching a sink for another
    // apartment costs calls to the sink's apartment of its own. The events of
    // that thread travel to each sink on a thread of the sink's own, so that
    // the firing thread can give up a call that its sink's apartment never takes.
    void PinSinksForThread();
    void UnpinSinks();

private:
    struct Sink {
        DWORD cookie;
        DWORD gitCookie;
        std::shared_ptr<SinkWatch> watch;
    };
    struct Pinned {
        DWORD cookie;
        ComPtr<IDispatch> disp;
        std::shared_ptr<Courier> courier;
        std::shared_ptr<SinkWatch> watch;
        bool ended = false;  // the sink no longer takes this thread's calls
    };
    IConnectionPointContainer* container_;
    IID iid_;
    ComPtr<IGlobalInterfaceTable> git_;
    std::mutex mu_;
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
    // The sinks pinned by each thread. A worker that ends may still be letting
    // its own go while the next one pins: entries are added and removed under
    // mu_, and each thread alone touches the sinks of its own entry.
    struct Pins {
        DWORD thread;
        std::vector<Pinned> sinks;
    };
    std::list<Pins> pins_;
    Pins* PinsOfThisThread();
};

// IConnectionPointContainer for an object with one or more event interfaces.
class EventSourceBase : public IConnectionPointContainer {
public:
    using Interface = IConnectionPointContainer;

    explicit EventSourceBase(std::initializer_list<IID> eventInterfaces);

    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** out) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

    // The connection point of an event interface (the first one when iid is null).
    ConnectionPoint& Point(const IID* iid = nullptr);

    void FireEvent(DISPID id, std::span<VARIANT> args = {}) { Point().Fire(id, args); }

    // ConnectionPoint::PinSinksForThread / UnpinSinks for every event interface.
    void PinSinksForThread();
    void UnpinSinks();

private:
    std::vector<std::unique_ptr<ConnectionPoint>> points_;
};

// List EventSource<&DIID_x, ...> among an object's ComObject interfaces.
template <const IID*... Events>
class EventSource : public EventSourceBase {
public:
    EventSource() : EventSourceBase({*Events...}) {}
};

}  // namespace tidvex::com
