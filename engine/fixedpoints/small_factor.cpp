#include "engine/fixedpoints/small_factor.h"

#include <flint/ulong_extras.h>

#include <array>
#include <vector>

namespace vindrel::engine::fp {

namespace {

constexpr slong kMaxDegree = 5; // a factor without roots nor quadratic factors is then irreducible
constexpr int kPrimesTried = 6; // primes where f is square-free, before giving up
constexpr int kPrimesLooked = 12; // primes looked at (f may be square-free modulo none)

// Polynomials modulo a prime below 2^21, coefficients from degree 0, at
// most 2 kMaxDegree of them. A product of two residues is below 2^42, so a
// coefficient takes the sums of a product and a reduction unreduced.
using Coeffs = std::array<ulong, 2 * kMaxDegree>;

struct Modular {
    ulong p;
    slong n; // degree of the modulus g, monic
    Coeffs g {};

    // a mod g, a of degree at most 2n - 2 (deg + 1 coefficients used),
    // its coefficients below 2^45.
    void Reduce(Coeffs& a, slong deg) const
    {
        for (slong k = deg; k >= n; --k) {
            const ulong c = a[static_cast<size_t>(k)] % p;
            a[static_cast<size_t>(k)] = 0;
            if (c == 0) continue;
            for (slong i = 0; i < n; ++i)
                a[static_cast<size_t>(k - n + i)] += (p - g[static_cast<size_t>(i)]) * c;
        }
        for (slong i = 0; i < n; ++i)
            a[static_cast<size_t>(i)] %= p;
    }

    Coeffs MulMod(const Coeffs& a, const Coeffs& b) const
    {
        Coeffs r {};
        for (slong i = 0; i < n; ++i) {
            if (a[static_cast<size_t>(i)] == 0) continue;
            for (slong j = 0; j < n; ++j)
                r[static_cast<size_t>(i + j)] += a[static_cast<size_t>(i)] * b[static_cast<size_t>(j)];
        }
        Reduce(r, 2 * n - 2);
        return r;
    }

    // x^e mod g.
    Coeffs PowerOfX(ulong e) const
    {
        Coeffs r {};
        r[0] = 1;
        for (int bit = FLINT_BIT_COUNT(e) - 1; bit >= 0; --bit) {
            r = MulMod(r, r);
            if ((e >> bit) & 1) { // times x
                for (slong i = n; i > 0; --i)
                    r[static_cast<size_t>(i)] = r[static_cast<size_t>(i - 1)];
                r[0] = 0;
                Reduce(r, n);
            }
        }
        return r;
    }

    // a(b) mod g.
    Coeffs Compose(const Coeffs& a, const Coeffs& b) const
    {
        Coeffs r {};
        for (slong i = n - 1; i >= 0; --i) {
            r = MulMod(r, b);
            r[0] = (r[0] + a[static_cast<size_t>(i)]) % p;
        }
        return r;
    }
};

slong Degree(const Coeffs& a, slong bound)
{
    for (slong k = bound; k >= 0; --k)
        if (a[static_cast<size_t>(k)] != 0) return k;
    return -1;
}

// Degree of gcd(a, b) modulo p; a, b of degrees at most n.
slong GcdDegree(Coeffs a, Coeffs b, ulong p, slong n)
{
    slong da = Degree(a, n), db = Degree(b, n);
    if (da < db) {
        std::swap(a, b);
        std::swap(da, db);
    }
    while (db >= 0) {
        // a mod b
        const ulong inv = n_invmod(b[static_cast<size_t>(db)], p);
        for (slong k = da; k >= db; --k) {
            const ulong c = a[static_cast<size_t>(k)] * inv % p;
            if (c == 0) continue;
            for (slong i = 0; i <= db; ++i) {
                ulong& t = a[static_cast<size_t>(k - db + i)];
                t = (t + (p - b[static_cast<size_t>(i)]) * c) % p;
            }
        }
        da = Degree(a, db - 1);
        std::swap(a, b);
        std::swap(da, db);
    }
    return da;
}

const std::vector<ulong>& SmallPrimes()
{
    thread_local std::vector<ulong> primes;
    if (primes.empty()) {
        ulong p = UWORD(1) << 20;
        for (int i = 0; i < kPrimesLooked; ++i)
            primes.push_back(p = n_nextprime(p, 1));
    }
    return primes;
}

// True when the degree patterns modulo some primes prove the primitive f
// (degree 2 to kMaxDegree) irreducible over Q.
bool ProvenIrreducible(const fmpz_poly_t f)
{
    const slong n = fmpz_poly_degree(f);
    const ulong whole = (UWORD(1) << n) | 1; // the degrees a factor may have: 0 and n only
    ulong possible = (UWORD(1) << (n + 1)) - 1; // bit d: a factor of degree d is not excluded
    int tried = 0;
    for (const ulong p : SmallPrimes()) {
        const ulong lead = fmpz_fdiv_ui(fmpz_poly_lead(f), p);
        if (lead == 0) continue;
        Modular m { p, n };
        const ulong inv = n_invmod(lead, p);
        for (slong i = 0; i < n; ++i)
            m.g[static_cast<size_t>(i)] = fmpz_fdiv_ui(f->coeffs + i, p) * inv % p;
        Coeffs g = m.g, dg {};
        g[static_cast<size_t>(n)] = 1;
        for (slong i = 1; i <= n; ++i)
            dg[static_cast<size_t>(i - 1)] = g[static_cast<size_t>(i)] * static_cast<ulong>(i) % p;
        if (GcdDegree(g, dg, p, n) != 0) continue; // not square-free modulo p
        const Coeffs xp = m.PowerOfX(p);
        auto minusX = [&](Coeffs a) {
            a[1] = (a[1] + p - 1) % p;
            return a;
        };
        const slong linear = GcdDegree(minusX(xp), g, p, n);
        const slong quadratic = (GcdDegree(minusX(m.Compose(xp, xp)), g, p, n) - linear) / 2;
        const slong rest = n - linear - 2 * quadratic; // one irreducible factor modulo p when not 0
        ulong sums = 1; // the degrees of products of the factors modulo p
        for (slong k = 0; k < linear; ++k)
            sums |= sums << 1;
        for (slong k = 0; k < quadratic; ++k)
            sums |= sums << 2;
        if (rest > 0) sums |= sums << rest;
        possible &= sums;
        if (possible == whole) return true;
        if (++tried == kPrimesTried) break;
    }
    return false;
}

} // namespace

void FactorEliminant(flint::FmpzPolyFactor& fac, const flint::FmpzPoly& p)
{
    const slong n = fmpz_poly_degree(p.raw());
    if (n >= 4 && n <= kMaxDegree) {
        flint::FmpzPoly f;
        fmpz_poly_primitive_part(f.raw(), p.raw()); // positive leading coefficient
        if (ProvenIrreducible(f.raw())) {
            fmpz_poly_content(&fac.raw()->c, p.raw());
            if (fmpz_sgn(fmpz_poly_lead(p.raw())) < 0) fmpz_neg(&fac.raw()->c, &fac.raw()->c);
            fmpz_poly_factor_insert(fac.raw(), f.raw(), 1);
            return;
        }
    }
    fmpz_poly_factor(fac.raw(), p.raw());
}

} // namespace vindrel::engine::fp
