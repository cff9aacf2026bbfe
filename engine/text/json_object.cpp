#include "engine/text/json_object.h"

#include <algorithm>

namespace vindrel::engine {

namespace {

class Reader {
public:
    Reader(const std::string& t, std::string& problem)
        : t_(t)
        , problem_(problem)
    {
    }

    bool Object(JsonStringMembers& members)
    {
        Blank();
        if (!Take('{')) return Fail("un objet JSON commence par {");
        Blank();
        if (Take('}')) return End();
        for (;;) {
            std::string key, value;
            Blank();
            if (!String(key)) return false;
            Blank();
            if (!Take(':')) return Fail("deux-points attendu après une clé");
            Blank();
            if (!String(value)) return false;
            if (std::any_of(members.begin(), members.end(), [&](const auto& m) { return m.first == key; }))
                return Fail("une clé apparaît deux fois");
            members.emplace_back(std::move(key), std::move(value));
            Blank();
            if (Take('}')) return End();
            if (!Take(',')) return Fail("virgule ou } attendue");
        }
    }

    // The string that starts at pos (its opening quote); pos moves past it.
    bool StringAt(size_t& pos, std::string& out)
    {
        i_ = pos;
        const bool ok = String(out);
        pos = i_;
        return ok;
    }

private:
    bool End()
    {
        Blank();
        return i_ == t_.size() || Fail("rien n'est permis après l'objet");
    }

    bool String(std::string& out)
    {
        if (!Take('"'))
            return Fail("une chaîne entre guillemets est attendue (seules les chaînes sont lues)");
        while (i_ < t_.size()) {
            const unsigned char c = static_cast<unsigned char>(t_[i_++]);
            if (c == '"') return true;
            if (c < 0x20) return Fail("caractère de contrôle dans une chaîne");
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (i_ >= t_.size()) break;
            const char e = t_[i_++];
            switch (e) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned cp = 0;
                if (!Hex4(cp)) return false;
                if (cp >= 0xDC00 && cp <= 0xDFFF) return Fail("demi-paire UTF-16 isolée");
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    unsigned low = 0;
                    if (!Take('\\') || !Take('u') || !Hex4(low) || low < 0xDC00 || low > 0xDFFF)
                        return Fail("demi-paire UTF-16 isolée");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                }
                Utf8(cp, out);
                break;
            }
            default:
                return Fail("échappement inconnu \\" + std::string(1, e));
            }
        }
        return Fail("chaîne non fermée");
    }

    bool Hex4(unsigned& v)
    {
        for (int k = 0; k < 4; ++k) {
            if (i_ >= t_.size()) return Fail("\\u attend quatre chiffres hexadécimaux");
            const char c = t_[i_++];
            const int d = c >= '0' && c <= '9' ? c - '0'
                : c >= 'a' && c <= 'f'         ? c - 'a' + 10
                : c >= 'A' && c <= 'F'         ? c - 'A' + 10
                                               : -1;
            if (d < 0) return Fail("\\u attend quatre chiffres hexadécimaux");
            v = v * 16 + static_cast<unsigned>(d);
        }
        return true;
    }

    static void Utf8(unsigned cp, std::string& out)
    {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    void Blank()
    {
        while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\n' || t_[i_] == '\r'))
            ++i_;
    }

    bool Take(char c)
    {
        if (i_ < t_.size() && t_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }

    bool Fail(const std::string& what)
    {
        problem_
            = "JSON illisible, octet " + std::to_string(std::min(i_ + 1, t_.size() + 1)) + " : " + what + ".";
        return false;
    }

    const std::string& t_;
    std::string& problem_;
    size_t i_ = 0;
};

} // namespace

bool ReadJsonString(const std::string& text, size_t& pos, std::string& out, std::string& problem)
{
    Reader r(text, problem);
    return r.StringAt(pos, out);
}

bool ReadJsonStringObject(const std::string& text, JsonStringMembers& members, std::string& problem)
{
    members.clear();
    Reader r(text, problem);
    if (r.Object(members)) return true;
    members.clear();
    return false;
}

} // namespace vindrel::engine
