// The one way a failure leaves a COM member of the three libraries: every
// exported member runs its body inside Barrier, which turns any exception into
// the member's failed HRESULT with the thread's error information (interface,
// source, description). Nothing is ever thrown across a COM call.
#pragma once

#include "errors/run_time_error.h"
#include "seam/seam.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string_view>
#include <type_traits>

namespace tidvex::com {

// Whom a member's failures are reported as coming from: the interface, and the
// source named when the error carries none ("Velmora", "Fraxil.Shredder").
struct ErrorTarget {
    const IID* iid;
    const char* source;
};

// The HRESULT of a run-time error number: 1 to 65535 as Automation carries
// run-time errors (FACILITY_CONTROL, 0x800A0000 + number), a negative number
// (a failure code already, such as 0x800469A9) unchanged, anything else E_FAIL.
HRESULT ErrorHResult(std::int32_t number);

// The run-time error that a failed call on an object returned: the number
// ErrorHResult made the HRESULT from (the HRESULT itself when it was not made
// from one) and the description of the thread's error information, or
// `fallback` when the object left none.
RunTimeError CallError(HRESULT hr, std::string_view fallback);

// Sets the thread's error information for the error and returns its HRESULT.
HRESULT ReportError(const RunTimeError& error, const ErrorTarget& target) noexcept;

// ReportError for the exception being handled (CurrentError); call it only
// inside a catch block.
HRESULT ReportCurrentError(const ErrorTarget& target) noexcept;

// A test seam: when set, it runs as every guarded member starts, and may throw
// to make the member fail the way an unexpected failure inside it would.
extern Seam<std::function<void()>> gMemberFault;

// Runs a member's body. A body returning void gives S_OK; one returning an
// HRESULT gives that.
template <class Body>
HRESULT Barrier(const ErrorTarget& target, Body&& body) noexcept {
    try {
        if (const auto& fault = gMemberFault.Get()) fault();
        if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
            body();
            return S_OK;
        } else {
            return body();
        }
    } catch (...) {
        return ReportCurrentError(target);
    }
}

}  // namespace tidvex::com
