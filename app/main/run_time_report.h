// The report of a failure that ends the program: a start-up step, or a call on
// the shredder or optimizer object, that raised the run-time error. The user
// sees the error's number and description and what failed; then the program
// ends cleanly, with the error's number as its exit code.
#pragma once

#include "errors/run_time_error.h"
#include "seam/seam.h"

#include <functional>
#include <string>

namespace tidvex::main {

// What the report names when the shredder object cannot be created.
inline constexpr char kCreatingShredder[] = "Creating the shredder object (Fraxil.Shredder)";

// "Run-time error '429':", the description, and "<what> failed." on lines of
// their own.
std::string RunTimeReportText(const RunTimeError& error, const std::string& what);

// Shows the report and ends the process. Tests put a recorder in its place,
// which returns instead.
using RunTimeReporter = std::function<void(const RunTimeError& error, const std::string& text)>;
extern Seam<RunTimeReporter> gRunTimeReporter;

// Reports the error being handled (call it only inside a catch block) as the
// failure of `what`. With the real reporter it does not return.
void ReportFatalError(const std::string& what) noexcept;

// Runs a handler that has no error handler of its own: a failure it lets out
// (a failing call of a library object) is reported as the failure of `what`
// and ends the program.
template <class Body>
void EndingOnError(const std::string& what, Body&& body) noexcept {
    try {
        body();
    } catch (...) {
        ReportFatalError(what);
    }
}

}  // namespace tidvex::main
