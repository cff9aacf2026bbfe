#!/usr/bin/python3
"""SymPy peer: sympy_peer.py P Q prints the number of real solutions."""
import sys

import sympy as sp

x, y = sp.symbols("x y")
P = sp.sympify(sys.argv[1].replace("^", "**"))
Q = sp.sympify(sys.argv[2].replace("^", "**"))
count = 0
for sol in sp.solve_poly_system([P, Q], x, y) or []:
    if all(abs(sp.im(sp.N(v, 30))) < 1e-20 for v in sol):
        count += 1
print(count)
