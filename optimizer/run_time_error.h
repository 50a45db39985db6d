// A run-time error of the library: a number and its description, the form in which
// errors are logged and handed back to COM callers as failed calls.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace quenza {

class RunTimeError : public std::runtime_error {
public:
    RunTimeError(long number, const std::string& description) : std::runtime_error(description), number_(number) {}

    // The error with its usual text (13 "Type mismatch", 53 "File not found", ...).
    static RunTimeError Of(long number);
    // What a caught C++ exception stands for: bad_alloc is "Out of memory".
    static RunTimeError FromCurrentException();

    long Number() const { return number_; }
    std::string Description() const { return what(); }

    // The failed call a COM member returns for this error; the description goes
    // to the caller through the thread's error info.
    HRESULT Report(const wchar_t* source, REFIID iid) const;

private:
    long number_;
};

// The text of a number in the 32-bit range ("93440", " -5 ", "&H10", "12.5"), as a
// conversion to a long integer does it: a text that is no number raises 13, one
// outside the range raises 6.
long ToLong(const std::string& text);

}  // namespace quenza
