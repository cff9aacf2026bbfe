#include "engine/fixedpoints/system.h"

#include "engine/blowup/algebraic.h"
#include "engine/blowup/blowup.h"
#include "engine/classify/algebraic.h"
#include "engine/errors.h"
#include "engine/fixedpoints/texts.h"

namespace vindrel::engine {

std::string NumericCoefficientsNeeded(const ParsedSystem& s)
{
    std::string names;
    for (size_t i = 0; i < s.parameters.size(); ++i) {
        if (i > 0) names += i + 1 == s.parameters.size() ? fp::texts::kAnd : ", ";
        names += s.parameters[i];
    }
    const bool one = s.parameters.size() == 1;
    using namespace fp::texts;
    return std::string(kNumericOnly) + (one ? kOneConstant : kSeveralConstants) + names
        + (one ? kOneHasNoValue : kSeveralHaveNoValue) + kToGetThePoints;
}

FixedPointAnalysis AnalyseSystemFixedPoints(const ParsedSystem& s, const Deadline& deadline, ReportTexts texts)
{
    if (!s.parameters.empty()) throw ParametersNotSupported(NumericCoefficientsNeeded(s));
    FixedPointOptions options;
    options.classifier
        = [&deadline](const flint::FmpqMpoly& p, const flint::FmpqMpoly& q) -> std::optional<Nature> {
        try {
            return ClassifyOriginResolved(p, q, deadline);
        } catch (const LimitExceeded&) {
            return std::nullopt; // too hard here: the point keeps its honest linear verdict
        }
    };
    options.algebraicClassifier = [&deadline](const flint::FmpqMpoly& p, const flint::FmpqMpoly& q,
                                      const AlgebraicPoint& point) -> std::optional<Nature> {
        try {
            if (std::optional<Nature> n = ClassifyAlgebraicPoint(p, q, point)) return n;
            return BlowUpAlgebraicPoint(p, q, point, deadline);
        } catch (const LimitExceeded&) {
            return std::nullopt;
        }
    };
    options.texts = texts;
    return AnalyseFixedPoints(s.P, s.Q, deadline, options);
}

} // namespace vindrel::engine
