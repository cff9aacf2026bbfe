// The nature of the singular points at infinity (Poincaré compactification).
//
// Chart U1 (x > 0): u = y/x, v = 1/x. With P_k, Q_k the homogeneous parts of
// degree k and d the degree of the system, the field multiplied by v^(d-1)
// (positive where v > 0) is
//     u' = sum_k v^(d-k) [Q_k(1,u) - u P_k(1,u)],   v' = -sum_k v^(d-k+1) P_k(1,u).
// Chart U2 (y > 0): u = x/y, v = 1/y, the same with x, y and P, Q exchanged.
// v = 0 is the circle at infinity, invariant; its singular points are (u0, 0)
// with h(u0) = 0, h(u) = H(1,u), H = x Q_d - y P_d, and the origin of U2 when
// x divides H (the end of the y-axis).
// The chart of the opposite half-plane (x < 0, resp. y < 0) carries the same
// field times (-1)^(d-1): the opposite point has the same type, and its
// stability is reversed when d is even (d = 0 included).
//
// Pipeline per point: Jacobian at (u0, 0), upper triangular
//   [[h'(u0), b], [0, -P_d(1,u0)]], exact signs in Q[u]/(f), f the
//   irreducible factor of h that u0 is a root of
//   -> both eigenvalues non-zero: saddle or node, exactly;
//   -> otherwise, at a rational u0, the local classifier on the chart system
//      translated to the origin;
//   -> lambda1 = 0, lambda2 <> 0: v = 0 is a centre manifold, and the order
//      and sign of h at u0 decide (saddle, node or saddle-node);
//   -> else "non déterminée", naming what is open.
#pragma once

#include "engine/fixedpoints/fixed_points.h"
#include "engine/fixedpoints/real_roots.h"

#include <optional>
#include <string>

namespace vindrel::engine::fp {

class InfinityCharts {
public:
    // P, Q: the system (variables 0 and 1), degree: max of their total degrees.
    // algebraic, when set, classifies the non-elementary points of irrational u0.
    InfinityCharts(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q, slong degree,
        const LocalClassifier& classifier, AlgebraicClassifier algebraic = {},
        ReportTexts texts = ReportTexts::Written);

    // The point in direction (1, u0), u0 the root of the irreducible factor f
    // of h isolated by root; fills nature, oppositeStability and chartText.
    void ClassifySlope(InfinitePoint& point, const flint::FmpzPoly& f, const RootInterval& root) const;
    // The point in direction (0, 1), the end of the y-axis.
    void ClassifyVertical(InfinitePoint& point) const;

    struct Chart {
        flint::FmpqMpoly F, G; // u', v' in variables 0 (u) and 1 (v)
        flint::FmpqPoly h, fu, fv, gv; // at v = 0: F, dF/du, dF/dv, dG/dv as polynomials in u
        std::string num, den; // u = num/den, v = 1/den (variable names of the system)
    };

    // When x Q_d - y P_d = 0 identically, the whole circle is singular: the
    // charts then hold the field divided by v, for which v = 0 is no longer
    // singular, and these are its singular points on the circle: the real
    // roots of slopes(), and the end of the y-axis when vertical().
    static InfinityCharts Divided(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q, slong degree,
        const LocalClassifier& classifier, ReportTexts texts = ReportTexts::Written);
    const flint::FmpqPoly& slopes() const { return slopes_; }
    bool vertical() const { return vertical_; }

private:
    void Classify(
        InfinitePoint& point, const Chart& chart, const flint::FmpzPoly& f, const RootInterval& root) const;
    std::optional<Nature> Algebraic(
        const Chart& chart, const flint::FmpzPoly& f, const RootInterval& root) const;
    void ClassifyDivided(
        InfinitePoint& point, const Chart& chart, const flint::FmpzPoly& f, const RootInterval& root) const;

    bool divided_ = false;
    bool texts_ = true; // chartText written
    flint::FmpqPoly slopes_;
    bool vertical_ = false;
    slong degree_;
    const LocalClassifier& classifier_;
    AlgebraicClassifier algebraic_;
    // The chart of the end of the y-axis, made when first needed (P and Q
    // outlive the charts).
    const Chart& AlongY() const;
    const flint::FmpqMpoly* p_;
    const flint::FmpqMpoly* q_;
    Chart along_x_;
    mutable std::optional<Chart> along_y_;
    std::string u_, v_, x_, y_;
};

} // namespace vindrel::engine::fp
