// Verdict pieces shared by the classification at rational points
// (classify.cpp) and at points with algebraic coordinates (algebraic.cpp):
// sign words, stability, the closing sentence, and the verdict at imaginary
// eigenvalues from the first non-zero Lyapunov value or a centre proof.
#pragma once

#include "engine/classify/classify_texts.h"
#include "engine/classify/local.h"
#include "engine/nature.h"

#include <optional>
#include <string>

namespace vindrel::engine::classify {

inline constexpr int kMaxFocalOrder = 5; // Lyapunov values L1..L5
inline constexpr int kMinSeriesOrder = 20; // centre manifold and Andreev series, at least this order

inline const char* SignText(int sign)
{
    return sign < 0 ? "< 0" : (sign > 0 ? "> 0" : "= 0");
}

inline Stability StabilityOfSign(int sign)
{
    return sign < 0 ? Stability::Stable : Stability::Unstable;
}

inline Nature Finish(Nature n, const std::string& prefix)
{
    n.explanation = prefix + " Le point est : " + texts::TypeName(n) + ".";
    return n;
}

// "L1 = L2 = ... = L<upTo> = 0"
inline std::string ZeroValuesText(int upTo)
{
    std::string s;
    for (int k = 1; k <= upTo; ++k)
        s += "L" + std::to_string(k) + " = ";
    return s + "0";
}

// Imaginary eigenvalues: a weak focus from the first non-zero Lyapunov value,
// else a centre when proveCentre finds a proof, else the question stays open.
template <class ProveCentre>
Nature ImaginaryVerdict(const std::string& intro, const FocalResult& focal, ProveCentre proveCentre)
{
    Nature n;
    n.linearPart = LinearPart::Imaginary;
    if (focal.order > 0) {
        n.type = PointType::WeakFocus;
        n.order = focal.order;
        n.stability = StabilityOfSign(focal.sign);
        const std::string lk
            = "L" + std::to_string(focal.order) + " = " + focal.value + " " + SignText(focal.sign);
        n.reason = (focal.order > 1 ? ZeroValuesText(focal.order - 1) + ", " : std::string()) + lk;
        return Finish(n, intro + " Valeurs de Lyapunov : " + n.reason + ".");
    }
    const std::string zeros = ZeroValuesText(kMaxFocalOrder);
    if (std::optional<CentreProof> proof = proveCentre()) {
        n.type = PointType::Center;
        n.reason = proof->reason;
        return Finish(n, intro + " Valeurs de Lyapunov : " + zeros + ". " + proof->explanation);
    }
    n.type = PointType::Undetermined;
    n.reason = zeros + ", centre non prouve";
    n.explanation = intro + " Les valeurs de Lyapunov L1 à L" + std::to_string(kMaxFocalOrder)
        + " sont nulles et aucune preuve de centre n'a été trouvée : centre ou foyer faible d'ordre > "
        + std::to_string(kMaxFocalOrder) + " (non déterminé).";
    return n;
}

} // namespace vindrel::engine::classify
