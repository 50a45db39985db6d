// The run frame that the four cleaner classes share: the five events, the busy and
// stop flags, the caption before each step, the end and the error path.
#pragma once

#include "library.h"
#include "registry_factory.h"
#include "shredder_factory.h"

#include "com/events.h"
#include "com/server.h"
#include "seam/seam.h"

#include <array>
#include <cstddef>
#include <functional>
#include <span>
#include <string>

namespace velmora {

// How the end of a run differs between the classes.
struct FrameRules {
    bool stopTestAfterLastStep;  // one more stop test before the end events
    bool cleanStartFalseAtEnd;   // CleanStart(False) after CleanEnd or CleanAbort
};

// Kinds of the Showmsg event.
enum : BYTE {
    kMsgBusy = 1,
    kMsgError = 2,
    kMsgNoBackup = 3,
    kMsgOfficeRegistry = 3,
    kMsgLog = 4,
};

inline constexpr char kBusyText[] = "This operation already working now.";

// The dispatch ids of the five events, the same in the four event interfaces.
enum CleanerEventId : DISPID {
    kCurrentCleanOperationEvent = 1,
    kShowmsgEvent = 2,
    kCleanStartEvent = 3,
    kCleanAbortEvent = 4,
    kCleanEndEvent = 5,
};

// The five events of a cleaner class; every argument goes by reference.
class CleanerEvents {
public:
    explicit CleanerEvents(tidvex::com::EventSourceBase& source) : source_(source) {}
    void CurrentCleanOperation(const std::string& operation);
    void Showmsg(BYTE kind, const std::string& text);
    void CleanStart(bool value);
    void CleanAbort(bool value);
    void CleanEnd(bool value);

private:
    void FireBool(DISPID id, bool value);
    tidvex::com::EventSourceBase& source_;
};

// One step of a class's run, in run order.
struct StepInfo {
    const char* caption;  // nullptr: the step raises no caption
    bool twoWay;          // runs on every run, its switch chooses the action
};

struct RunState {
    bool stop = false;
    bool busy = false;
};

// A test seam: when set, it is called in place of each step's action that is
// due, with the class name, the step's index in run order and its switch. It
// returns true when it took the step's place (false lets the action run), and
// it may throw to make the step fail.
using StepHook = std::function<bool(const char* cleaner, size_t step, bool on)>;
extern tidvex::Seam<StepHook> gStepHook;

// StartClean: runs the steps whose switch is on (and every two-way step), raising
// the events; an error a step does not absorb ends the run through the error path
// and never reaches the caller.
void RunCleaner(const char* name, CleanerEvents& events, RunState& state, const FrameRules& rules,
                std::span<const StepInfo> steps, const std::function<bool(size_t)>& switchOn,
                const std::function<void(size_t, bool)>& runStep);

// The COM side of a cleaner class: the flags, the switches (by index) and the
// shared members. Derived gives kName, kRules, Steps(), SwitchOfStep(i) and RunStep(i, on).
template <class Derived, class Interface, const IID* EventIid, size_t SwitchCount>
class Cleaner : public tidvex::com::ComObject<tidvex::com::Dispatch<Interface>, tidvex::com::EventSource<EventIid>,
                                              tidvex::com::SupportErrorInfo<Interface>> {
public:
    STDMETHODIMP StopClean() override {
        return Member([&] { state_.stop = true; });
    }
    STDMETHODIMP StartClean() override {
        // A caller may drop its last reference from inside an event handler.
        tidvex::com::ComPtr<Cleaner> self(this);
        return Member([&] {
            Derived& derived = static_cast<Derived&>(*this);
            CleanerEvents events(*this);
            RunCleaner(
                Derived::kName, events, state_, Derived::kRules, Derived::Steps(),
                [&derived](size_t i) { return derived.Switch(Derived::SwitchOfStep(i)) != VARIANT_FALSE; },
                [&derived](size_t i, bool on) { derived.RunStep(i, on); });
        });
    }

    VARIANT_BOOL Switch(size_t i) const { return switches_[i]; }

protected:
    // Runs a member's body behind the library's barrier.
    template <class Body>
    HRESULT Member(Body&& body) {
        return velmora::Member(__uuidof(Interface), std::forward<Body>(body));
    }
    template <class T, class Read>
    HRESULT Out(T* out, Read&& read) {
        return velmora::Out(__uuidof(Interface), out, std::forward<Read>(read));
    }
    HRESULT GetSwitch(size_t i, VARIANT_BOOL* value) {
        return Out(value, [&] { return switches_[i]; });
    }
    HRESULT PutSwitch(size_t i, VARIANT_BOOL value) {
        return Member([&] { switches_[i] = value; });
    }
    // The reset: the given switches and the busy flag; never the stop flag.
    void Reset(size_t first = 0, size_t last = SwitchCount) {
        for (size_t i = first; i < last; ++i) switches_[i] = VARIANT_FALSE;
        state_.busy = false;
    }
    CleanerEvents Events() { return CleanerEvents(*this); }
    // A step's registry object; what it reports through Showlog is passed on as
    // a Showmsg of the given kind.
    CleanerRegistry StepRegistry(BYTE showmsgKind) {
        return MakeRegistry([this, showmsgKind](const std::string& text) { Events().Showmsg(showmsgKind, text); });
    }

    // A step's shredder object; its ShowLog is passed on as Showmsg kind 4.
    Shredder StepShredder() {
        return MakeShredder([this](const std::string& text) { Events().Showmsg(kMsgLog, text); });
    }

    // Shreds what a folder from the registry or a profile holds (sub-folders
    // included), and the folder too unless contentsOnly; a folder that may not be
    // worked on is left alone and logged. The folder is worked on by its
    // canonical path, the one that was judged. `own` is the protected folder
    // that the step exists to empty, if any.
    void ShredFolder(const std::wstring& folder, bool contentsOnly, const char* extension = "*",
                     tidvex::fs::OwnFolder own = tidvex::fs::OwnFolder::None) {
        if (auto canonical = MayCleanFolder(folder, own))
            StepShredder().FolderShred(*canonical, contentsOnly, extension, true);
    }

    std::array<VARIANT_BOOL, SwitchCount> switches_{};
    RunState state_;
};

// A switch property pair of a cleaner's interface, stored at index Index.
#define VELMORA_SWITCH(Name, Index)                                                               \
    STDMETHODIMP get_##Name(VARIANT_BOOL* value) override { return GetSwitch(Index, value); } \
    STDMETHODIMP put_##Name(VARIANT_BOOL value) override { return PutSwitch(Index, value); }

// The library-wide shred switch as a property of a cleaner's interface.
#define VELMORA_SHRED_SWITCH                                                                \
    STDMETHODIMP put_isShredInsteadofNormalDelete(VARIANT_BOOL* value) override {           \
        if (!value) return E_POINTER;                                                       \
        return Member([&] { SetShredSwitch(*value); });                                     \
    }                                                                                       \
    STDMETHODIMP get_isShredInsteadofNormalDelete(VARIANT_BOOL* value) override {           \
        return Out(value, [] { return ShredSwitch(); });                                    \
    }

}  // namespace velmora
