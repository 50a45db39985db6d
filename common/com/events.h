// Outgoing events: connection points whose sinks are kept in the process's global
// interface table, so that an event raised on any thread reaches each sink in
// its own apartment (a client on a single-threaded apartment receives it on its
// own thread, one call at a time, while that thread dispatches messages).
//
// An event is raised in one of two ways:
// - Fire calls each sink and returns once each has handled it (what a sink
//   writes through a by-reference argument is there to read).
// - Post puts it in each sink's queue and returns at once: a thread of the
//   connection's own delivers the queue in order. A thread whose work must not
//   depend on its client (a worker) posts. A sink whose thread takes no call
//   for a while gets the rest once it takes calls again; it is dropped for good
//   only when its thread has ended or a call tells that its apartment is gone.
#pragma once

#include "com_types.h"

#include "handles/handles.h"

#include <ocidl.h>
#include <olectl.h>

#include <initializer_list>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace tidvex::com {

class Courier;

// How a posted event waits in a sink's queue.
enum class Posting {
    Each,    // delivered as posted
    Newest,  // a counter's value: it replaces the one of the same event still
             // waiting behind the last other event, so a slow sink gets the newest
    Last,    // a counter's last value: replaces as Newest does, and is never replaced
};

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
    // arguments, given in declared order (first argument first), and returns
    // when each has returned. Must be called on a thread that has entered an
    // apartment, with no lock of the caller held.
    void Fire(DISPID id, std::span<VARIANT> args = {});
    // Queues the event for every connected sink and returns at once. The
    // arguments are copied, by-reference ones by their value.
    void Post(DISPID id, std::span<const VARIANT> args = {}, Posting how = Posting::Each);
    // From now on no event reaches a sink, and what waits in the queues is dropped.
    void Silence();

private:
    struct Sink {
        DWORD cookie;
        DWORD gitCookie;
        std::shared_ptr<handles::KernelObject> thread;  // of a single-threaded apartment's sink
        std::shared_ptr<Courier> courier;               // started by the first Post
    };
    IConnectionPointContainer* container_;
    IID iid_;
    ComPtr<IGlobalInterfaceTable> git_;
    std::mutex mu_;
    std::vector<Sink> sinks_;
    DWORD nextCookie_ = 1;
    bool silent_ = false;
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
    void PostEvent(DISPID id, std::span<const VARIANT> args = {}, Posting how = Posting::Each) {
        Point().Post(id, args, how);
    }
    // ConnectionPoint::Silence for every event interface.
    void SilenceEvents();

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
