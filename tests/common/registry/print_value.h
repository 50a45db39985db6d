// Readable test output for registry values.
#pragma once

#include "registry/reg_value.h"

#include <ostream>

namespace tidvex::registry {

inline void PrintTo(const RegValue& v, std::ostream* os) {
    if (v.IsEmpty()) {
        *os << "Empty";
    } else if (auto b = v.Bytes()) {
        *os << "Bytes{";
        for (auto c : *b) *os << int(c) << ",";
        *os << "}";
    } else if (v.IsText()) {
        *os << "Text \"";
        for (char c : v.Text()) c ? (*os << c) : (*os << "\\0");
        *os << "\"";
    } else {
        *os << "Number " << v.Text();
    }
}

}  // namespace tidvex::registry
