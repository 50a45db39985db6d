#include "registry/reg_value.h"

#include <charconv>
#include <cstdio>

namespace tidvex::registry {

std::string RegValue::Text() const {
    struct {
        std::string operator()(std::monostate) const { return {}; }
        std::string operator()(const std::string& s) const { return s; }
        std::string operator()(std::int16_t n) const { return std::to_string(n); }
        std::string operator()(std::int32_t n) const { return std::to_string(n); }
        std::string operator()(double d) const {
            char buf[40];
            std::snprintf(buf, sizeof buf, "%.15g", d);
            return buf;
        }
        std::string operator()(bool b) const { return b ? "True" : "False"; }
        std::string operator()(const RegBytes& b) const { return std::string(b.begin(), b.end()); }
    } text;
    return std::visit(text, v_);
}

std::int32_t RegValue::Long(std::int32_t fallback) const {
    if (auto n = std::get_if<std::int32_t>(&v_)) return *n;
    if (auto n = std::get_if<std::int16_t>(&v_)) return *n;
    if (auto b = std::get_if<bool>(&v_)) return *b ? -1 : 0;
    if (auto d = std::get_if<double>(&v_)) {
        if (*d >= -2147483648.0 && *d <= 2147483647.0) return static_cast<std::int32_t>(*d);
        return fallback;
    }
    if (auto s = std::get_if<std::string>(&v_)) {
        std::int32_t n = 0;
        auto [end, ec] = std::from_chars(s->data(), s->data() + s->size(), n);
        if (ec == std::errc() && end == s->data() + s->size() && !s->empty()) return n;
    }
    return fallback;
}

}  // namespace tidvex::registry
