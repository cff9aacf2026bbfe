// A small JSON value for vindrel-analyse --json: null, booleans, numbers,
// strings, arrays and objects that keep their keys in insertion order.
// Build a value, then dump() it, or read it back with the kind tests and
// accessors (for the pages built from the same object); strings are escaped properly (quotes,
// backslashes, control characters; UTF-8 passes through).
#pragma once

#include <memory>
#include <optional>
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
    bool isBool() const { return std::holds_alternative<bool>(v_); }
    bool isNumber() const
    {
        return std::holds_alternative<long long>(v_) || std::holds_alternative<double>(v_);
    }
    bool isString() const { return std::holds_alternative<std::string>(v_); }
    bool isArray() const { return std::holds_alternative<Array>(v_); }
    bool isObject() const { return std::holds_alternative<Object>(v_); }

    // Reading: the value when it is of that kind, else nothing (nullptr).
    std::optional<bool> boolean() const
    {
        if (const bool* b = std::get_if<bool>(&v_)) return *b;
        return std::nullopt;
    }
    std::optional<double> number() const
    {
        if (const long long* n = std::get_if<long long>(&v_)) return static_cast<double>(*n);
        if (const double* d = std::get_if<double>(&v_)) return *d;
        return std::nullopt;
    }
    const std::string* string() const { return std::get_if<std::string>(&v_); }
    const Array* array() const { return std::get_if<Array>(&v_); }
    const Object* object() const { return std::get_if<Object>(&v_); }

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
