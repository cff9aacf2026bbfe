#include "engine/tool/words.h"

#include "engine/errors.h"
#include "engine/parse/parser.h"
#include "engine/report/dos.h"

namespace vindrel::engine {

namespace {

std::string Join(const std::vector<std::string>& words, size_t from, size_t to)
{
    std::string out;
    for (size_t i = from; i < to; ++i) {
        if (i > from) out += ' ';
        out += words[i];
    }
    return out;
}

std::string Quoted(const std::vector<std::string>& words)
{
    return "\"" + SanitizeForDos(Join(words, 0, words.size())) + "\"";
}

bool Parses(const std::string& p, const std::string& q, char xvar, char yvar)
{
    try {
        ParseSystem(p, q, xvar, yvar);
        return true;
    } catch (const EngineError&) {
        return false;
    }
}

} // namespace

Components RejoinWords(const std::vector<std::string>& allWords, VarsWord varsWord, char xvar, char yvar)
{
    std::vector<std::string> words = allWords;
    Components c;
    c.xvar = xvar;
    c.yvar = yvar;
    if (varsWord == VarsWord::Present) {
        if (words.size() < 3)
            throw EngineError("Il faut deux composantes, dx/dt et dy/dt, suivies des variables (xy) : reçu "
                + Quoted(words) + ".");
        const std::string vars = words.back();
        if (vars.size() != 2 || !IsLetter(vars[0]) || !IsLetter(vars[1]) || vars[0] == vars[1])
            throw EngineError("Le dernier mot doit nommer les deux variables, par exemple xy : reçu \""
                + SanitizeForDos(vars) + "\".");
        c.xvar = vars[0];
        c.yvar = vars[1];
        words.pop_back();
    }
    if (words.size() < 2)
        throw EngineError(
            "Il faut deux composantes, dx/dt et dy/dt, séparées par un espace : reçu " + Quoted(words) + ".");
    if (words.size() == 2) {
        c.p = words[0];
        c.q = words[1];
        return c;
    }
    if (words.size() > kMaxWords)
        throw LimitExceeded("Les composantes ne doivent pas contenir d'espace : trop de mots reçus ("
            + std::to_string(words.size()) + ").");
    size_t found = 0, valid = 0;
    for (size_t k = 1; k < words.size(); ++k) {
        if (Parses(Join(words, 0, k), Join(words, k, words.size()), c.xvar, c.yvar)) {
            ++valid;
            found = k;
        }
    }
    if (valid == 1) {
        c.p = Join(words, 0, found);
        c.q = Join(words, found, words.size());
        return c;
    }
    if (valid == 0)
        throw EngineError("Les composantes ne doivent pas contenir d'espace : aucune façon de couper "
            + Quoted(words) + " en deux composantes valides. Tapez chaque composante sans espace.");
    throw EngineError("Les composantes ne doivent pas contenir d'espace : " + Quoted(words) + " se coupe de "
        + std::to_string(valid)
        + " façons en deux composantes valides, on ne peut pas savoir laquelle est voulue. Tapez chaque "
          "composante sans espace.");
}

} // namespace vindrel::engine
