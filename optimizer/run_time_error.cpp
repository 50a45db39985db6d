#include "run_time_error.h"

#include "com/com_types.h"
#include "errors/run_time_errors.h"

#include <oleauto.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <new>

namespace quenza {

RunTimeError RunTimeError::Of(long number) { return RunTimeError(number, tidvex::RunTimeErrorText(number)); }

RunTimeError RunTimeError::FromCurrentException() {
    try {
        throw;
    } catch (const RunTimeError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return Of(7);
    } catch (const std::exception& e) {
        return RunTimeError(51, e.what());
    } catch (...) {
        return RunTimeError(51, "Internal error");
    }
}

HRESULT RunTimeError::Report(const wchar_t* source, REFIID iid) const {
    // Run-time errors travel as FACILITY_CONTROL codes, which automation
    // clients turn back into the error number.
    return tidvex::com::ErrorWithInfo(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number_ & 0xFFFF), iid,
                                      tidvex::com::Narrow(source), Description());
}

long ToLong(const std::string& text) {
    size_t b = text.find_first_not_of(" \t");
    size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos) throw RunTimeError::Of(13);
    std::string t = text.substr(b, e - b + 1);
    double value = 0;
    if (t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h')) {
        // Hexadecimal literals are 32-bit patterns: &HFFFFFFFF is -1.
        if (t.size() > 10) throw RunTimeError::Of(6);
        char* end = nullptr;
        unsigned long long v = std::strtoull(t.c_str() + 2, &end, 16);
        if (*end != '\0') throw RunTimeError::Of(13);
        return static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(v)));
    }
    for (char c : t) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E'))
            throw RunTimeError::Of(13);
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtod(t.c_str(), &end);
    if (end == t.c_str() || *end != '\0') throw RunTimeError::Of(13);
    // Halves round to the even neighbour, as the conversion always has.
    value = std::nearbyint(value);
    if (errno == ERANGE || value > 2147483647.0 || value < -2147483648.0) throw RunTimeError::Of(6);
    return static_cast<long>(value);
}

}  // namespace quenza
