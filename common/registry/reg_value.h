// A registry value as the registry class hands it over: empty, text, a 16- or
// 32-bit integer, a floating-point number, a Boolean or a byte array. Reads give
// text (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ), Long (the two DWORD types) or
// Bytes (anything else); the other kinds come from callers (a default, a value
// to write) and decide how a write treats them.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tidvex::registry {

using RegBytes = std::vector<std::uint8_t>;

class RegValue {
public:
    using Storage = std::variant<std::monostate, std::string, std::int16_t, std::int32_t, double, bool, RegBytes>;

    RegValue() = default;
    RegValue(std::string s) : v_(std::move(s)) {}
    RegValue(const char* s) : v_(std::string(s)) {}
    RegValue(std::int16_t n) : v_(n) {}
    RegValue(std::int32_t n) : v_(n) {}
    RegValue(long n) : v_(static_cast<std::int32_t>(n)) {}
    RegValue(double d) : v_(d) {}
    RegValue(bool b) : v_(b) {}
    RegValue(RegBytes b) : v_(std::move(b)) {}

    bool IsEmpty() const { return std::holds_alternative<std::monostate>(v_); }
    bool IsText() const { return std::holds_alternative<std::string>(v_); }
    // A 16- or 32-bit integer.
    bool IsInteger() const {
        return std::holds_alternative<std::int16_t>(v_) || std::holds_alternative<std::int32_t>(v_);
    }
    bool IsBytes() const { return std::holds_alternative<RegBytes>(v_); }

    // The value as text: empty for Empty, decimal for numbers, "True"/"False",
    // the bytes themselves for a byte array.
    std::string Text() const;
    // The value as a 32-bit integer: integers as they are, text that is a
    // decimal number, -1/0 for Booleans; anything else gives the fallback.
    std::int32_t Long(std::int32_t fallback = 0) const;
    // The byte array, or null when the value is not one.
    const RegBytes* Bytes() const { return std::get_if<RegBytes>(&v_); }

    const Storage& Get() const { return v_; }
    bool operator==(const RegValue&) const = default;

private:
    Storage v_;
};

}  // namespace tidvex::registry
