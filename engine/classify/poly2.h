// Small exact polynomials in x and y over Q, and truncated power series in
// one variable, for the local study of a fixed point at the origin: linear
// changes of coordinates, homogeneous parts, substitution y = h(x), real
// linear factors of binary forms, and exact linear algebra over Q.
// Engine-internal.
#pragma once

#include "engine/flint/classify_rational.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vindrel::engine::classify {

using flint::Rational;

// Coefficients c[k] of x^k, truncated at c.size() - 1.
using Series = std::vector<Rational>;

// Index of the first non-zero coefficient, or -1 when all are zero.
int SeriesOrder(const Series& s);

// a * b truncated at degree n.
Series SeriesMul(const Series& a, const Series& b, int n);

class Poly2 {
public:
    using Exp = std::pair<int, int>; // (power of x, power of y)

    Poly2() = default;
    static Poly2 Constant(const Rational& c);
    static Poly2 Monomial(int i, int j, const Rational& c = Rational(1));
    // Terms of a FLINT polynomial whose only variables are 0 (x) and 1 (y).
    static Poly2 FromMpoly(const flint::FmpqMpoly& p);

    const std::map<Exp, Rational>& Terms() const { return terms_; }
    bool IsZero() const { return terms_.empty(); }
    int Degree() const; // -1 for zero
    int LowDegree() const; // lowest total degree of a term; -1 for zero
    Rational Coeff(int i, int j) const;
    void AddTerm(int i, int j, const Rational& c);

    Poly2 Homogeneous(int k) const;
    Poly2 Truncated(int maxDegree) const;
    Poly2 Dx() const;
    Poly2 Dy() const;

    Poly2& operator+=(const Poly2& o);
    Poly2& operator-=(const Poly2& o);
    friend Poly2 operator+(Poly2 a, const Poly2& b) { return a += b; }
    friend Poly2 operator-(Poly2 a, const Poly2& b) { return a -= b; }
    friend Poly2 operator*(const Poly2& a, const Poly2& b);
    friend Poly2 operator*(const Rational& c, const Poly2& a);
    Poly2 operator-() const { return Rational(-1) * *this; }
    friend bool operator==(const Poly2& a, const Poly2& b) { return a.terms_ == b.terms_; }

    Poly2 Pow(int e) const;
    // p(a x + b y, c x + d y).
    Poly2 Linear(const Rational& a, const Rational& b, const Rational& c, const Rational& d) const;
    // p(x, h(x)) truncated at degree n.
    Series Along(const Series& h, int n) const;
    // Printed with the variable names x and y, FLINT's canonical form.
    std::string ToString() const;

private:
    std::map<Exp, Rational> terms_; // no zero coefficient is stored
};

// A real direction of lines through the origin.
struct Direction {
    Rational dx;
    Rational dy;
};

// The real lines through the origin on which a non-zero binary form vanishes:
// the rational ones exactly, and each irreducible factor of higher degree with
// real roots as a text ("y = m*x, m racine de ...").
struct FormZeros {
    std::vector<Direction> rational;
    std::vector<std::string> irrational; // one text per irreducible factor with real roots
    int irrationalCount = 0; // number of real lines they give
};
FormZeros RealLinearFactors(const Poly2& form);

// Text of the line through the origin along a direction ("y = 2*x", "x = 0").
std::string LineText(const Direction& d);

// A dense matrix over Q, rows of equal length.
using Matrix = std::vector<std::vector<Rational>>;

// The unique solution of a square system, or nothing when it is singular.
std::optional<std::vector<Rational>> SolveUnique(Matrix a, std::vector<Rational> rhs);

// A basis of { v : a v = 0 } for a matrix with `columns` columns.
std::vector<std::vector<Rational>> NullSpace(Matrix a, int columns);

// The matrix whose column k holds the coefficients of images[k].
Matrix CoefficientMatrix(const std::vector<Poly2>& images);

} // namespace vindrel::engine::classify
