// The one run-time error of the program and the three libraries: a number, the
// source that raised it and a description. The event log writes its number and
// description, Velmora's Showmsg its description, and a COM caller receives all
// three (com/barrier.h).
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tidvex {

// Numbers with a usual text (RunTimeErrorText).
enum RunTimeErrorNumber : std::int32_t {
    kInvalidArgument = 5,     // "Invalid procedure call or argument"
    kOverflow = 6,            // "Overflow"
    kOutOfMemory = 7,         // "Out of memory"
    kSubscriptOutOfRange = 9, // "Subscript out of range"
    kTypeMismatch = 13,       // "Type mismatch"
    kFileNotFound = 53,       // "File not found"
    kFileAlreadyExists = 58,  // "File already exists"
    kDiskFull = 61,           // "Disk full"
    kPermissionDenied = 70,   // "Permission denied"
    kDiskNotReady = 71,       // "Disk not ready"
    kPathFileAccess = 75,     // "Path/File access error"
    kPathNotFound = 76,       // "Path not found"
    kObjectNotSet = 91,       // "Object variable or With block variable not set"
    kObjectRequired = 424,    // "Object required"
    kCannotCreateObject = 429,  // "ActiveX component can't create object"
    kNoSuchMember = 438,      // "Object doesn't support this property or method"
};

class RunTimeError : public std::runtime_error {
public:
    // source may stay empty: whoever reports the error then names its own.
    RunTimeError(std::int32_t number, const std::string& description, std::string source = {})
        : std::runtime_error(description), number_(number), source_(std::move(source)) {}

    // The error with its usual text (53 "File not found").
    static RunTimeError Of(std::int32_t number, std::string source = {});

    std::int32_t Number() const { return number_; }
    const std::string& Source() const { return source_; }
    std::string Description() const { return what(); }

private:
    std::int32_t number_;
    std::string source_;
};

// "File not found" for 53, "Type mismatch" for 13, ...; a number without a usual
// text gives "Application-defined or object-defined error".
const char* RunTimeErrorText(long number);

// The error being handled; call it only inside a catch block. A RunTimeError is
// itself; running out of memory is 7 "Out of memory"; any other failure is 5
// with its own text, or with 5's usual text when it carries none.
RunTimeError CurrentError();

// A platform failure code as an error: the code and the platform's text for it.
RunTimeError PlatformError(unsigned long code);

}  // namespace tidvex
