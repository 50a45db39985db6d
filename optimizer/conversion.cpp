#include "conversion.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace quenza {

long ToLong(const std::string& text) {
    size_t b = text.find_first_not_of(" \t");
    size_t e = text.find_last_not_of(" \t");
    if (b == std::string::npos) throw RunTimeError::Of(tidvex::kTypeMismatch);
    std::string t = text.substr(b, e - b + 1);
    double value = 0;
    if (t.size() > 2 && t[0] == '&' && (t[1] == 'H' || t[1] == 'h')) {
        // Hexadecimal literals are 32-bit patterns: &HFFFFFFFF is -1.
        if (t.size() > 10) throw RunTimeError::Of(tidvex::kOverflow);
        char* end = nullptr;
        unsigned long long v = std::strtoull(t.c_str() + 2, &end, 16);
        if (*end != '\0') throw RunTimeError::Of(tidvex::kTypeMismatch);
        return static_cast<long>(static_cast<int32_t>(static_cast<uint32_t>(v)));
    }
    for (char c : t) {
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E'))
            throw RunTimeError::Of(tidvex::kTypeMismatch);
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtod(t.c_str(), &end);
    if (end == t.c_str() || *end != '\0') throw RunTimeError::Of(tidvex::kTypeMismatch);
    // Halves round to the even neighbour, as the conversion always has.
    value = std::nearbyint(value);
    if (errno == ERANGE || value > 2147483647.0 || value < -2147483648.0) throw RunTimeError::Of(tidvex::kOverflow);
    return static_cast<long>(value);
}

}  // namespace quenza
