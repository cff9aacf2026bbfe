#!/usr/bin/python3
"""SymPy peer: sympy_peer.py P Q prints the number of real solutions of
P = Q = 0, found as the peers usually do it: the resultant in x, its real
roots (exact, isolated by SymPy), then back-substitution: the real roots in y
of P(x0, y) at which Q(x0, y) vanishes numerically (SymPy keeps the
substituted polynomial in double precision, hence the loose tolerances)."""
import sys

import sympy as sp

x, y = sp.symbols("x y")
P = sp.Poly(sp.sympify(sys.argv[1].replace("^", "**")), x, y)
Q = sp.Poly(sp.sympify(sys.argv[2].replace("^", "**")), x, y)
R = sp.Poly(sp.resultant(P.as_expr(), Q.as_expr(), y), x)
count = 0
for x0 in sp.real_roots(R.sqf_part()):
    xv = sp.N(x0, 40)
    Py = sp.Poly(P.as_expr().subs(x, xv), y)
    if Py.degree() <= 0:
        continue
    for yv in Py.nroots(n=30, maxsteps=200):
        if abs(sp.im(yv)) < 1e-12 and abs(Q.as_expr().subs({x: xv, y: sp.re(yv)})) < 1e-9:
            count += 1
print(count)
