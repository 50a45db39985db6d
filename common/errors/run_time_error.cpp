#include "errors/run_time_error.h"

#include <windows.h>

#include <new>

namespace tidvex {

RunTimeError RunTimeError::Of(std::int32_t number, std::string source) {
    return RunTimeError(number, RunTimeErrorText(number), std::move(source));
}

const char* RunTimeErrorText(long number) {
    switch (number) {
        case kInvalidArgument: return "Invalid procedure call or argument";
        case kOverflow: return "Overflow";
        case kOutOfMemory: return "Out of memory";
        case kSubscriptOutOfRange: return "Subscript out of range";
        case kTypeMismatch: return "Type mismatch";
        case kFileNotFound: return "File not found";
        case kFileAlreadyExists: return "File already exists";
        case kDiskFull: return "Disk full";
        case kPermissionDenied: return "Permission denied";
        case kDiskNotReady: return "Disk not ready";
        case kPathFileAccess: return "Path/File access error";
        case kPathNotFound: return "Path not found";
        case kObjectNotSet: return "Object variable or With block variable not set";
        case kObjectRequired: return "Object required";
        case kCannotCreateObject: return "ActiveX component can't create object";
        case kNoSuchMember: return "Object doesn't support this property or method";
        default: return "Application-defined or object-defined error";
    }
}

RunTimeError CurrentError() {
    try {
        throw;
    } catch (const RunTimeError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return RunTimeError::Of(kOutOfMemory);
    } catch (const std::exception& e) {
        const std::string text = e.what();
        return text.empty() ? RunTimeError::Of(kInvalidArgument) : RunTimeError(kInvalidArgument, text);
    } catch (...) {
        return RunTimeError::Of(kInvalidArgument);
    }
}

RunTimeError PlatformError(unsigned long code) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string description = text ? text : "";
    if (text) LocalFree(text);
    while (!description.empty() && (description.back() == '\n' || description.back() == '\r' ||
                                    description.back() == ' ' || description.back() == '.'))
        description.pop_back();
    return RunTimeError(static_cast<std::int32_t>(code), description);
}

}  // namespace tidvex
