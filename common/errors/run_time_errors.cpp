#include "errors/run_time_errors.h"

namespace tidvex {

const char* RunTimeErrorText(long number) {
    switch (number) {
        case 5: return "Invalid procedure call or argument";
        case 6: return "Overflow";
        case 7: return "Out of memory";
        case 9: return "Subscript out of range";
        case 13: return "Type mismatch";
        case 53: return "File not found";
        case 58: return "File already exists";
        case 61: return "Disk full";
        case 70: return "Permission denied";
        case 71: return "Disk not ready";
        case 75: return "Path/File access error";
        case 76: return "Path not found";
        case 424: return "Object required";
        case 438: return "Object doesn't support this property or method";
        default: return "Application-defined or object-defined error";
    }
}

}  // namespace tidvex
