// The saved properties of a control of the program's own (what the form's
// design holds for it): named values, a value equal to its default not stored.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <variant>

namespace tidvex::controls {

// A font by name, size in points and weight.
struct FontSpec {
    std::string name = "MS Sans Serif";
    int size = 8;
    bool bold = false;
    bool operator==(const FontSpec&) const = default;
};

class PropertyBag {
public:
    using Value = std::variant<std::int64_t, bool, std::string, FontSpec>;

    template <class T>
    T ReadProperty(const std::string& name, const T& defaultValue) const {
        auto it = values_.find(name);
        if (it == values_.end()) return defaultValue;
        if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
            if (auto* n = std::get_if<std::int64_t>(&it->second)) return static_cast<T>(*n);
        } else {
            if (auto* v = std::get_if<T>(&it->second)) return *v;
        }
        return defaultValue;
    }

    template <class T>
    void WriteProperty(const std::string& name, const T& value, const T& defaultValue) {
        if (value == defaultValue) {
            values_.erase(name);
            return;
        }
        if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>)
            values_[name] = static_cast<std::int64_t>(value);
        else
            values_[name] = value;
    }

    bool Has(const std::string& name) const { return values_.count(name) != 0; }
    size_t Count() const { return values_.size(); }

private:
    std::map<std::string, Value> values_;
};

}  // namespace tidvex::controls
