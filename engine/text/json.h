// A small JSON value for vindrel-analyse --json: null, booleans, numbers,
// strings, arrays and objects that keep their keys in insertion order.
// Build a value, then dump() it; strings are escaped properly (quotes,
// backslashes, control characters; UTF-8 passes through).
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace vindrel::engine {

class Json {
public:
    using Array = std::vector<Json>;
    using Object = std::vector<std::pair<std::string, Json>>;

    Json() = default; // null
    Json(std::nullptr_t) { }
    Json(bool b)
        : v_(b)
    {
    }
    Json(int n)
        : v_(static_cast<long long>(n))
    {
    }
    Json(long n)
        : v_(static_cast<long long>(n))
    {
    }
    Json(long long n)
        : v_(n)
    {
    }
    Json(double d)
        : v_(d)
    {
    }
    Json(std::string s)
        : v_(std::move(s))
    {
    }
    Json(const char* s)
        : v_(std::string(s))
    {
    }

    static Json MakeArray() { return Json(Array {}); }
    static Json MakeObject() { return Json(Object {}); }

    bool isNull() const { return std::holds_alternative<std::monostate>(v_); }

    // Arrays: appends. Objects: sets a key (replacing its value, keeping its place).
    Json& push(Json value);
    Json& set(const std::string& key, Json value);
    // Objects: the value of a key, or nullptr.
    const Json* find(const std::string& key) const;

    std::string dump() const;

private:
    explicit Json(Array a)
        : v_(std::move(a))
    {
    }
    explicit Json(Object o)
        : v_(std::move(o))
    {
    }
    void DumpTo(std::string& out) const;

    std::variant<std::monostate, bool, long long, double, std::string, Array, Object> v_;
};

// The JSON string literal of a UTF-8 text, quotes included.
std::string JsonQuote(const std::string& s);

} // namespace vindrel::engine
