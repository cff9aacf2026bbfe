#include "engine/text/json.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <cstdio>
#include <stdexcept>

namespace vindrel::engine {

Json& Json::push(Json value)
{
    auto* a = std::get_if<Array>(&v_);
    if (!a) throw std::logic_error("Json::push on a value that is not an array");
    a->push_back(std::move(value));
    return *this;
}

Json& Json::set(const std::string& key, Json value)
{
    auto* o = std::get_if<Object>(&v_);
    if (!o) throw std::logic_error("Json::set on a value that is not an object");
    for (auto& [k, v] : *o)
        if (k == key) {
            v = std::move(value);
            return *this;
        }
    if (o->empty()) o->reserve(8); // objects have a few fields at least
    o->emplace_back(key, std::move(value));
    return *this;
}

const Json* Json::find(const std::string& key) const
{
    const auto* o = std::get_if<Object>(&v_);
    if (!o) return nullptr;
    for (const auto& [k, v] : *o)
        if (k == key) return &v;
    return nullptr;
}

namespace {

bool Plain(unsigned char c)
{
    return c >= 0x20 && c != 0x7F && c != '"' && c != '\\';
}

void QuoteTo(std::string& out, const std::string& s)
{
    out += '"';
    size_t start = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (Plain(c)) continue;
        out.append(s, start, i - start);
        start = i + 1;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default: {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        }
        }
    }
    out.append(s, start, std::string::npos);
    out += '"';
}

} // namespace

std::string JsonQuote(const std::string& s)
{
    std::string out;
    QuoteTo(out, s);
    return out;
}

void Json::DumpTo(std::string& out) const
{
    if (std::holds_alternative<std::monostate>(v_)) {
        out += "null";
    } else if (const bool* b = std::get_if<bool>(&v_)) {
        out += *b ? "true" : "false";
    } else if (const long long* n = std::get_if<long long>(&v_)) {
        out += std::to_string(*n);
    } else if (const double* d = std::get_if<double>(&v_)) {
        if (!std::isfinite(*d)) {
            out += "null";
            return;
        }
        // As printf's %.17g, which to_chars matches exactly.
        char buf[40];
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, *d, std::chars_format::general, 17);
        const std::string_view s(buf, ec == std::errc() ? static_cast<size_t>(end - buf) : 0);
        out += s;
        if (s.find_first_of(".e") == std::string_view::npos) out += ".0";
    } else if (const std::string* s = std::get_if<std::string>(&v_)) {
        QuoteTo(out, *s);
    } else if (const Array* a = std::get_if<Array>(&v_)) {
        out += '[';
        for (size_t i = 0; i < a->size(); ++i) {
            if (i) out += ", ";
            (*a)[i].DumpTo(out);
        }
        out += ']';
    } else if (const Object* o = std::get_if<Object>(&v_)) {
        out += '{';
        for (size_t i = 0; i < o->size(); ++i) {
            if (i) out += ", ";
            QuoteTo(out, (*o)[i].first);
            out += ": ";
            (*o)[i].second.DumpTo(out);
        }
        out += '}';
    }
}

std::string Json::dump() const
{
    std::string out;
    DumpTo(out);
    return out;
}

} // namespace vindrel::engine
