#include "frame.h"

#include <optional>

namespace velmora {

using tidvex::com::AllocBstr;

tidvex::Seam<StepHook> gStepHook;

void CleanerEvents::CurrentCleanOperation(const std::string& operation) {
    BSTR text = AllocBstr(operation);
    VARIANT arg;
    V_VT(&arg) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&arg) = &text;
    source_.FireEvent(kCurrentCleanOperationEvent, {&arg, 1});
    SysFreeString(text);
}

void CleanerEvents::Showmsg(BYTE kind, const std::string& message) {
    BSTR text = AllocBstr(message);
    VARIANT args[2];
    V_VT(&args[0]) = VT_BYREF | VT_UI1;
    V_UI1REF(&args[0]) = &kind;
    V_VT(&args[1]) = VT_BYREF | VT_BSTR;
    V_BSTRREF(&args[1]) = &text;
    source_.FireEvent(kShowmsgEvent, args);
    SysFreeString(text);
}

void CleanerEvents::FireBool(DISPID id, bool value) {
    VARIANT_BOOL flag = value ? VARIANT_TRUE : VARIANT_FALSE;
    VARIANT arg;
    V_VT(&arg) = VT_BYREF | VT_BOOL;
    V_BOOLREF(&arg) = &flag;
    source_.FireEvent(id, {&arg, 1});
}

void CleanerEvents::CleanStart(bool value) { FireBool(kCleanStartEvent, value); }
void CleanerEvents::CleanAbort(bool value) { FireBool(kCleanAbortEvent, value); }
void CleanerEvents::CleanEnd(bool value) { FireBool(kCleanEndEvent, value); }

void RunCleaner(const char* name, CleanerEvents& events, RunState& state, const FrameRules& rules,
                std::span<const StepInfo> steps, const std::function<bool(size_t)>& switchOn,
                const std::function<void(size_t, bool)>& runStep) {
    state.stop = false;
    if (state.busy) {
        events.Showmsg(kMsgBusy, kBusyText);
        return;
    }
    events.CleanStart(true);
    state.busy = true;
    // The folders this run must not empty, as they are now.
    ForgetProtectedFolders();
    std::optional<tidvex::RunTimeError> error;
    try {
        for (size_t i = 0; i < steps.size(); ++i) {
            // A stop leaves the object busy: only a reset or a new object runs again.
            if (state.stop) return;
            bool on = switchOn(i);
            if (!on && !steps[i].twoWay) continue;
            if (steps[i].caption) events.CurrentCleanOperation(steps[i].caption);
            const StepHook& hook = gStepHook.Get();
            if (!hook || !hook(name, i, on)) runStep(i, on);
        }
        if (rules.stopTestAfterLastStep && state.stop) return;
    } catch (...) {
        error = tidvex::CurrentError();
    }
    if (!error) {
        events.CleanEnd(true);
    } else {
        events.Showmsg(kMsgError, error->Description());
        events.CleanAbort(true);
    }
    if (rules.cleanStartFalseAtEnd) events.CleanStart(false);
    state.busy = false;
}

}  // namespace velmora
