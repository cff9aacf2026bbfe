#include "engine/fixedpoints/system.h"

#include "engine/classify/classify.h"
#include "engine/errors.h"

namespace vindrel::engine {

std::string NumericCoefficientsNeeded(const ParsedSystem& s)
{
    std::string names;
    for (size_t i = 0; i < s.parameters.size(); ++i) {
        if (i > 0) names += i + 1 == s.parameters.size() ? " et " : ", ";
        names += s.parameters[i];
    }
    const bool one = s.parameters.size() == 1;
    return std::string("durmosk ne traite que des systèmes à coefficients numériques : ")
        + (one ? "la constante littérale " : "les constantes littérales ") + names
        + (one ? " n'a pas de valeur.\nDonnez-lui une valeur numérique"
               : " n'ont pas de valeur.\nDonnez-leur des valeurs numériques")
        + " pour obtenir les points fixes.";
}

FixedPointAnalysis AnalyseSystemFixedPoints(const ParsedSystem& s, const Deadline& deadline)
{
    if (!s.parameters.empty()) throw ParametersNotSupported(NumericCoefficientsNeeded(s));
    FixedPointOptions options;
    options.classifier = [](const flint::FmpqMpoly& p, const flint::FmpqMpoly& q) -> std::optional<Nature> {
        try {
            return ClassifyOrigin(p, q);
        } catch (const LimitExceeded&) {
            return std::nullopt; // too hard here: the point keeps its honest linear verdict
        }
    };
    return AnalyseFixedPoints(s.P, s.Q, deadline, options);
}

} // namespace vindrel::engine
