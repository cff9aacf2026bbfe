// A minimal JSON reader for checking vindrel-analyse's output.
#pragma once

#include "engine/text/json_object.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace vindrel::engine::testing {

struct JValue {
    enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
    bool b = false;
    double n = 0;
    std::string s;
    std::vector<JValue> a;
    std::vector<std::pair<std::string, JValue>> o;

    const JValue& operator[](const std::string& key) const
    {
        for (const auto& [k, v] : o)
            if (k == key) return v;
        throw std::out_of_range("no key " + key);
    }
    bool has(const std::string& key) const
    {
        for (const auto& kv : o)
            if (kv.first == key) return true;
        return false;
    }
};

class JReader {
public:
    explicit JReader(const std::string& text)
        : t_(text)
    {
    }
    JValue ReadAll()
    {
        JValue v = Value();
        Ws();
        if (i_ != t_.size()) throw std::runtime_error("trailing text at " + std::to_string(i_));
        return v;
    }

private:
    void Ws()
    {
        while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\n' || t_[i_] == '\t' || t_[i_] == '\r'))
            ++i_;
    }
    void Lit(const char* w)
    {
        for (; *w; ++w, ++i_)
            if (i_ >= t_.size() || t_[i_] != *w) throw std::runtime_error("bad literal");
    }
    JValue Value()
    {
        Ws();
        if (i_ >= t_.size()) throw std::runtime_error("unexpected end");
        JValue v;
        const char c = t_[i_];
        if (c == 'n') {
            Lit("null");
        } else if (c == 't') {
            Lit("true");
            v.kind = JValue::Bool;
            v.b = true;
        } else if (c == 'f') {
            Lit("false");
            v.kind = JValue::Bool;
        } else if (c == '"') {
            v.kind = JValue::String;
            v.s = Str();
        } else if (c == '[') {
            v.kind = JValue::Array;
            ++i_;
            Ws();
            if (t_[i_] == ']') {
                ++i_;
                return v;
            }
            while (true) {
                v.a.push_back(Value());
                Ws();
                if (t_[i_] == ',') {
                    ++i_;
                    continue;
                }
                if (t_[i_++] != ']') throw std::runtime_error("expected ]");
                break;
            }
        } else if (c == '{') {
            v.kind = JValue::Object;
            ++i_;
            Ws();
            if (t_[i_] == '}') {
                ++i_;
                return v;
            }
            while (true) {
                Ws();
                std::string k = Str();
                Ws();
                if (t_[i_++] != ':') throw std::runtime_error("expected :");
                v.o.emplace_back(k, Value());
                Ws();
                if (t_[i_] == ',') {
                    ++i_;
                    continue;
                }
                if (t_[i_++] != '}') throw std::runtime_error("expected }");
                break;
            }
        } else {
            v.kind = JValue::Number;
            char* end = nullptr;
            v.n = std::strtod(t_.c_str() + i_, &end);
            if (end == t_.c_str() + i_) throw std::runtime_error("bad value");
            i_ = static_cast<size_t>(end - t_.c_str());
        }
        return v;
    }
    // Strings are read by the engine's own strict reader (escapes, surrogate pairs).
    std::string Str()
    {
        std::string out, problem;
        if (!ReadJsonString(t_, i_, out, problem)) throw std::runtime_error(problem);
        return out;
    }
    const std::string& t_;
    size_t i_ = 0;
};

inline JValue ParseJson(const std::string& text)
{
    return JReader(text).ReadAll();
}

} // namespace vindrel::engine::testing
