// A polynomial vector field evaluated in double, in the plane and on the
// Poincare disc. Built from the exact polynomials (the first two variables
// are x and y) or directly from terms.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace vindrel::flint {
class FmpqMpoly;
}

namespace vindrel::portrait {

// A failure to draw (file not writable, polynomial with constants, ...),
// with a French message.
class PortraitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Vec2 {
    double x = 0, y = 0;
};

inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(double s, Vec2 a) { return {s * a.x, s * a.y}; }
inline double Dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
double Norm(Vec2 a);

// c * x^i * y^j
struct Term {
    double c = 0;
    int i = 0, j = 0;
};

class PolynomialField {
public:
    PolynomialField(std::vector<Term> p, std::vector<Term> q);

    Vec2 operator()(Vec2 at) const;
    double P(Vec2 at) const { return EvalP(at); }
    double Q(Vec2 at) const { return EvalQ(at); }
    // Jacobian [[Px, Py], [Qx, Qy]] as {Px, Py, Qx, Qy}.
    void Jacobian(Vec2 at, double out[4]) const;
    int Degree() const { return degree_; }
    const std::vector<Term>& PTerms() const { return p_; }
    const std::vector<Term>& QTerms() const { return q_; }

    // On the Poincare disc, X = x/r, Y = y/r with r = sqrt(1+x^2+y^2): the
    // transported field multiplied by r^(1-d), which is bounded and tangent
    // to the circle. Defined for X^2 + Y^2 <= 1.
    Vec2 Disc(Vec2 at) const;
    // The signs of P and Q at the plane point of a disc point (X^2+Y^2 < 1).
    double DiscP(Vec2 at) const;
    double DiscQ(Vec2 at) const;
    // X*Q_d - Y*P_d on the circle: zero at the points at infinity.
    double AtInfinity(Vec2 onCircle) const;

private:
    static double Eval(const std::vector<Term>& t, int degree, Vec2 at);
    // Dense coefficients, row j (the coefficients of x^0 y^j, ..., x^(d-j)
    // y^j) after row j - 1, for Horner's rule in x within Horner's rule in y.
    static std::vector<double> DenseRows(const std::vector<Term>& t, int degree);
    static double Horner(const std::vector<double>& rows, int degree, Vec2 at);
    double EvalP(Vec2 at) const { return denseP_.empty() ? Eval(p_, degreeP_, at) : Horner(denseP_, degreeP_, at); }
    double EvalQ(Vec2 at) const { return denseQ_.empty() ? Eval(q_, degreeQ_, at) : Horner(denseQ_, degreeQ_, at); }
    static double Homogeneous(const std::vector<Term>& t, int degree, Vec2 at, double s);
    static double TopPart(const std::vector<Term>& t, int degree, Vec2 at);
    std::vector<Term> p_, q_;
    std::vector<double> denseP_, denseQ_; // empty: term by term
    int degree_ = 0, degreeP_ = 0, degreeQ_ = 0;
};

// P and Q without their repeated factors: the same zero sets, each crossed
// with a change of sign, so that a grid finds all of them (a factor such as
// (x - 2y)^2 keeps its sign and would show in scattered dots).
PolynomialField SquareFreeField(const flint::FmpqMpoly& P, const flint::FmpqMpoly& Q);

// The terms of a polynomial over Q whose variables are [x, y, ...]; throws
// PortraitError when another variable appears.
std::vector<Term> TermsOf(const flint::FmpqMpoly& poly);

// The two charts of the sphere that the points at infinity are studied in:
// u = y/x, v = 1/x (AlongX, the side x > 0 where v > 0) and u = x/y, v = 1/y
// (AlongY, the side y > 0).
enum class Chart { AlongX, AlongY };

// The field of degree d in a chart, multiplied by v^(d-1) (the same orbits
// and the same time where v > 0, reversed where v < 0 when d is even), as a
// field in (u, v): AlongX gives u' = v^d (Q - u P)(1/v, u/v), v' = -v^(d+1) P(1/v, u/v).
// Divided: when x Q_d - y P_d = 0 identically (the whole circle singular),
// the same divided by v, for which the circle is no longer singular (the time
// then reversed where v < 0 when d is odd).
enum class ChartDivision { None, ByV };
PolynomialField ChartField(const PolynomialField& f, Chart chart, ChartDivision division = ChartDivision::None);

// The disc point of a chart point: sign(v) (1, u) / sqrt(1 + u^2 + v^2) for
// AlongX (coordinates exchanged for AlongY), on the circle when v = 0 (taken
// on the side v >= 0).
Vec2 ChartToDisc(Chart chart, Vec2 uv);

Vec2 ToDisc(Vec2 plane);
Vec2 FromDisc(Vec2 disc); // X^2 + Y^2 < 1

} // namespace vindrel::portrait
